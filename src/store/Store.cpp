#include "store/Store.h"

#include "platform/FileNames.h"
#include "store/Schema.h"

#include <QFileInfo>

namespace qb {

Store::~Store() { close(); }

QString Store::pathOf(const QString& tableFileName) const
{
    return files::resolve(dir_, tableFileName);
}

bool Store::open(const QString& dir, QString* error)
{
    close();
    dir_ = dir;
    const schema::Table& item = schema::tables().front();
    QString itemPath = pathOf(item.fileName);
    if (!QFileInfo::exists(itemPath)) {
        if (error) *error = QStringLiteral("Data base missing");
        return false;
    }
    QString why;
    if (!db_.open(itemPath, false, &why)) {
        if (error) *error = item.fileName + QStringLiteral(": ") + why;
        return false;
    }
    if (!schema::fileHasTable(db_, QStringLiteral("main"), item, &why) ||
        db_.isReadOnly(QStringLiteral("main"))) {
        if (why.isEmpty()) why = item.fileName + QStringLiteral(" cannot be written");
        if (error) *error = why;
        close();
        return false;
    }
    for (const schema::Table& table : schema::tables()) {
        if (table.schemaName == QStringLiteral("main")) continue;
        if (!QFileInfo::exists(pathOf(table.fileName))) {
            missing_ << table.name;
            continue;
        }
        if (!attachTable(table, false, &why)) {
            if (error) *error = why;
            close();
            return false;
        }
    }
    return true;
}

void Store::close()
{
    db_.close();
    attached_.clear();
    missing_.clear();
}

bool Store::isAttached(const QString& tableName) const
{
    const schema::Table* table = schema::find(tableName);
    if (!table) return false;
    if (table->schemaName == QStringLiteral("main")) return db_.isOpen();
    return attached_.contains(table->name);
}

bool Store::attachTable(const schema::Table& table, bool create, QString* error)
{
    if (attached_.contains(table.name)) return true;
    QString path = pathOf(table.fileName);
    bool isNew = !QFileInfo::exists(path);
    if (isNew && !create) {
        if (error) *error = table.fileName + QStringLiteral(" is missing");
        return false;
    }
    QString why;
    // The connection was opened without the right to create files, so a new table file is
    // made on its own and then attached.
    if (isNew && !schema::createTableFile(dir_, table, &why)) {
        if (error) *error = table.fileName + QStringLiteral(": ") + why;
        return false;
    }
    if (isNew) path = pathOf(table.fileName);
    if (!db_.attach(path, table.schemaName, false, &why)) {
        if (error) *error = table.fileName + QStringLiteral(": ") + why;
        return false;
    }
    if (!schema::fileHasTable(db_, table.schemaName, table, &why) ||
        db_.isReadOnly(table.schemaName)) {
        if (why.isEmpty()) why = table.fileName + QStringLiteral(" cannot be written");
        db_.detach(table.schemaName);
        if (error) *error = why;
        return false;
    }
    attached_ << table.name;
    missing_.removeAll(table.name);
    return true;
}

bool Store::detachTable(const schema::Table& table, QString* error)
{
    if (!attached_.contains(table.name)) return true;
    if (!db_.detach(table.schemaName, error)) return false;
    attached_.removeAll(table.name);
    return true;
}

bool Store::reopen(QString* error)
{
    QString dir = dir_;
    return open(dir, error);
}

}  // namespace qb
