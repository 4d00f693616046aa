#include "session/TableOrder.h"

#include "floor/Messages.h"
#include "platform/FileNames.h"
#include "platform/Sqlite.h"
#include "session/Session.h"
#include "store/Schema.h"

#include <QFileInfo>
#include <QMap>

namespace qb {

namespace {

QString fileNameOf(const QString& tableName)
{
    QString name = tableName.trimmed();
    if (!name.endsWith(QStringLiteral(".db"), Qt::CaseInsensitive)) name += QStringLiteral(".db");
    return name;
}

QString orderByClause(const QStringList& fields)
{
    QStringList quoted;
    for (const QString& f : fields) quoted << sql::quoteIdentifier(f);
    return quoted.join(QStringLiteral(", "));
}

// An index serves an order when its leading columns are the order's fields: INFLEC is read in
// "Word" order through its key Word;WNo and in "WNo" order through WNo_ (WNo;Word).
bool servesOrder(const QStringList& indexColumns, const QStringList& fields)
{
    if (fields.isEmpty() || indexColumns.size() < fields.size()) return false;
    for (int i = 0; i < fields.size(); ++i)
        if (indexColumns[i].compare(fields[i], Qt::CaseInsensitive) != 0) return false;
    return true;
}

}  // namespace

bool TableLocation::locate(const QString& databaseName, const QString& tableName, QString* error)
{
    own_.reset();
    db_ = nullptr;
    QString file = fileNameOf(tableName);
    const schema::Table* known = schema::find(file);
    if (databaseName.compare(kStoreDatabaseName, Qt::CaseInsensitive) == 0) {
        Store& store = session().store;
        if (!known || !store.isAttached(known->name)) {
            if (error) *error = file + QStringLiteral(" is not open");
            return false;
        }
        db_ = &store.db();
        schema_ = known->schemaName;
        table_ = known->name;
        return true;
    }
    // A folder as database: its file holds one table named like the file.
    QString path = files::resolve(databaseName, file);
    if (!QFileInfo::exists(path)) {
        if (error) *error = path + QStringLiteral(" is missing");
        return false;
    }
    own_ = std::make_unique<sql::Database>();
    if (!own_->open(path, false, error)) {
        own_.reset();
        return false;
    }
    db_ = own_.get();
    schema_ = QStringLiteral("main");
    table_ = known ? known->name : QFileInfo(file).completeBaseName();
    return true;
}

QString TableLocation::qualified() const
{
    return sql::quoteIdentifier(schema_) + QLatin1Char('.') + sql::quoteIdentifier(table_);
}

QStringList splitIndexFields(const QString& indexFields)
{
    QStringList fields;
    for (const QString& f : indexFields.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        fields << f.trimmed();
    return fields;
}

bool hasOrder(TableLocation& location, const QStringList& fields, QString* error)
{
    sql::Database& db = location.db();
    const QString schemaId = sql::quoteIdentifier(location.schema());
    // The primary key of a table with a rowid key does not show up as an index.
    QStringList keyColumns;
    {
        sql::Statement st(db, QStringLiteral("PRAGMA %1.table_info(%2)")
                                  .arg(schemaId, sql::quoteIdentifier(location.table())));
        QMap<int, QString> byPosition;
        while (st.next())
            if (st.intValue(5) > 0) byPosition.insert(st.intValue(5), st.textValue(1));
        if (!st.ok()) {
            if (error) *error = st.error();
            return false;
        }
        keyColumns = byPosition.values();
    }
    if (!keyColumns.isEmpty() && servesOrder(keyColumns, fields)) return true;

    QStringList indexes;
    {
        sql::Statement st(db, QStringLiteral("PRAGMA %1.index_list(%2)")
                                  .arg(schemaId, sql::quoteIdentifier(location.table())));
        while (st.next()) indexes << st.textValue(1);
        if (!st.ok()) {
            if (error) *error = st.error();
            return false;
        }
    }
    for (const QString& index : indexes) {
        sql::Statement st(
            db,
            QStringLiteral("PRAGMA %1.index_info(%2)").arg(schemaId, sql::quoteIdentifier(index)));
        QStringList columns;
        while (st.next()) columns << st.textValue(2);
        if (st.ok() && servesOrder(columns, fields)) return true;
    }
    if (error)
        *error = QStringLiteral("%1 has no index on %2")
                     .arg(location.table(), fields.join(QLatin1Char(';')));
    return false;
}

bool opensInOrder(TableLocation& location, const QStringList& fields, QString* error)
{
    QString sqlText = QStringLiteral("SELECT * FROM ") + location.qualified();
    if (!fields.isEmpty()) sqlText += QStringLiteral(" ORDER BY ") + orderByClause(fields);
    sqlText += QStringLiteral(" LIMIT 1");
    sql::Statement st(location.db(), sqlText);
    st.next();
    if (!st.ok()) {
        if (error) *error = st.error();
        return false;
    }
    return true;
}

bool TableObject::open(QString* error)
{
    active = false;
    TableLocation location;
    if (!location.locate(databaseName, tableName, error)) return false;
    QStringList fields = splitIndexFields(indexFields);
    if (!fields.isEmpty() && !hasOrder(location, fields, error)) return false;
    if (!opensInOrder(location, fields, error)) return false;
    active = true;
    return true;
}

QString TableObject::orderBy() const
{
    QStringList fields = splitIndexFields(indexFields);
    return fields.isEmpty() ? QString() : QStringLiteral(" ORDER BY ") + orderByClause(fields);
}

bool SetTableOrder(TableObject& table, const QString& indexFields, const QString& context)
{
    if (table.active && table.indexFields == indexFields) return true;
    table.close();
    table.indexFields = indexFields;
    if (table.open()) return true;
    SysProblem(QStringLiteral("Failed fieldindexnames: ") + context + QStringLiteral("  ") +
               indexFields + QStringLiteral(" of ") + table.name);
    return false;
}

}  // namespace qb
