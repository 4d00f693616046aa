#include "store/Store.h"

#include "platform/FileNames.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QtEndian>

#include <cstring>

namespace qb {

namespace {

// The file name of the super-journal that a rollback journal names in its trailer (name, length,
// checksum, magic at the end of the file), or empty when it names none.
QString superJournalNamedBy(const QString& journalPath)
{
    static const unsigned char magic[8] = {0xd9, 0xd5, 0x05, 0xf9, 0x20, 0xa1, 0x63, 0xd7};
    QFile journal(journalPath);
    if (!journal.open(QIODevice::ReadOnly)) return {};
    const qint64 size = journal.size();
    if (size < 16 || !journal.seek(size - 16)) return {};
    const QByteArray tail = journal.read(16);
    if (tail.size() != 16 || std::memcmp(tail.constData() + 8, magic, 8) != 0) return {};
    const quint32 length = qFromBigEndian<quint32>(tail.constData());
    if (length == 0 || length > 65536 || qint64(length) > size - 16) return {};
    if (!journal.seek(size - 16 - length)) return {};
    return QFileInfo(QFile::decodeName(journal.read(length))).fileName();
}

QSet<QString> superJournalsInUse(const QDir& dir)
{
    QSet<QString> named;
    const QStringList journals = dir.entryList({QStringLiteral("*-journal")},
                                               QDir::Files | QDir::Hidden | QDir::CaseSensitive);
    for (const QString& journal : journals) {
        QString name = superJournalNamedBy(dir.filePath(journal));
        if (!name.isEmpty()) named << name;
    }
    return named;
}

}  // namespace

Store::~Store() { close(); }

QString Store::repairAdvice(const QString& fileName)
{
    static const QStringList madeAnew = {QStringLiteral("ITMSJMP.DB"), QStringLiteral("SCHED.DB"),
                                         QStringLiteral("SHOW.DB"), QStringLiteral("PRJORDR.DB")};
    if (madeAnew.contains(fileName, Qt::CaseInsensitive))
        return QStringLiteral("Delete ") + fileName +
               QStringLiteral(" to fix the problem: the next start makes it anew, empty.");
    return QStringLiteral("Restore ") + fileName +
           QStringLiteral(" from a backup; Quillbox writes nothing into it as it is.");
}

QString Store::checkFile(const schema::Table& table, bool quick)
{
    sql::Statement st(
        db_, QStringLiteral("PRAGMA %1.%2(1)")
                 .arg(sql::quoteIdentifier(table.schemaName),
                      quick ? QStringLiteral("quick_check") : QStringLiteral("integrity_check")));
    if (!st.next()) return st.ok() ? QStringLiteral("the check gave no answer") : st.error();
    const QString answer = st.textValue(0);
    return answer == QStringLiteral("ok") ? QString() : answer;
}

QStringList Store::superJournals() const
{
    // SQLite names them after the main file: ITEM.DB-mj, six hex digits, 9, two hex digits.
    static const QRegularExpression pattern(QStringLiteral("^ITEM\\.DB-mj[0-9A-F]{6}9[0-9A-F]{2}$"),
                                            QRegularExpression::CaseInsensitiveOption);
    QStringList found;
    const QStringList entries = QDir(dir_).entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries)
        if (pattern.match(entry).hasMatch()) found << entry;
    return found;
}

int Store::removeOrphanedSuperJournals()
{
    const QStringList candidates = superJournals();
    if (candidates.isEmpty()) return 0;
    const QDir dir(dir_);
    QSet<QString> inUse = superJournalsInUse(dir);
    // A write lock on every table file: no other program is in the middle of a commit, so no
    // super-journal is being made or still needed by one. Hot journals are played back here.
    sql::Transaction lock(db_, true);
    if (!lock.isActive()) return 0;
    inUse.unite(superJournalsInUse(dir));
    int removed = 0;
    for (const QString& name : candidates)
        if (!inUse.contains(name) && QFile::remove(dir.filePath(name))) ++removed;
    lock.rollback();
    return removed;
}

QString Store::pathOf(const QString& tableFileName) const
{
    return files::resolve(dir_, tableFileName);
}

bool Store::open(const QString& dir, QString* error, bool readOnlyAllowed)
{
    close();
    dir_ = dir;
    readOnlyAllowed_ = readOnlyAllowed;
    // Every refusal names the file, and for a damaged one says what to do about it.
    auto fail = [&](const schema::Table& table, QString why) {
        if (!why.contains(table.fileName, Qt::CaseInsensitive))
            why = table.fileName + QStringLiteral(": ") + why;
        static const QStringList damage = {
            QStringLiteral("not a database"), QStringLiteral("malformed"),
            QStringLiteral("holds no table"), QStringLiteral("lacks the field"),
            QStringLiteral("is damaged")};
        for (const QString& sign : damage)
            if (why.contains(sign)) {
                why += QStringLiteral("\r\n") + repairAdvice(table.fileName);
                break;
            }
        if (error) *error = why;
        close();
        return false;
    };
    const schema::Table& item = schema::tables().front();
    QString itemPath = pathOf(item.fileName);
    if (!QFileInfo::exists(itemPath)) {
        if (error) *error = QStringLiteral("Data base missing");
        return false;
    }
    QString why;
    if (!db_.open(itemPath, false, &why)) return fail(item, why);
    if (!schema::fileHasTable(db_, QStringLiteral("main"), item, &why)) return fail(item, why);
    if (db_.isReadOnly(QStringLiteral("main"))) {
        if (!readOnlyAllowed_)
            return fail(item, item.fileName + QStringLiteral(" cannot be written"));
        readOnly_ = true;
    }
    for (const schema::Table& table : schema::tables()) {
        if (table.schemaName == QStringLiteral("main")) continue;
        if (!QFileInfo::exists(pathOf(table.fileName))) {
            missing_ << table.name;
            continue;
        }
        if (!attachTable(table, false, &why)) return fail(table, why);
    }
    // A program killed between making a super-journal and naming it in the journals leaves it
    // behind; nothing will ever read it again. A reader leaves them to the next writer.
    if (!readOnly_) removeOrphanedSuperJournals();
    return true;
}

void Store::close()
{
    db_.close();
    attached_.clear();
    missing_.clear();
    readOnly_ = false;
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
    const bool hasTable = schema::fileHasTable(db_, table.schemaName, table, &why);
    const bool readOnly = hasTable && db_.isReadOnly(table.schemaName);
    if (!hasTable || (readOnly && !readOnlyAllowed_)) {
        if (why.isEmpty()) why = table.fileName + QStringLiteral(" cannot be written");
        db_.detach(table.schemaName);
        if (error) *error = why;
        return false;
    }
    if (readOnly) readOnly_ = true;
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
    return open(dir, error, readOnlyAllowed_);
}

}  // namespace qb
