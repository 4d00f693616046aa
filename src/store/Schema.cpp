#include "store/Schema.h"

#include "platform/FileNames.h"
#include "platform/Sqlite.h"

#include <QDir>
#include <QFileInfo>

namespace qb::schema {

namespace {

using FT = FieldType;

std::vector<Table> makeTables()
{
    std::vector<Table> t;
    t.push_back({QStringLiteral("ITEM"),
                 QStringLiteral("ITEM.DB"),
                 QStringLiteral("main"),
                 {{"IT", FT::Float}, {"TX", FT::Memo}, {"ITS", FT::Float}, {"Animation", FT::Blob}},
                 {"IT"},
                 {{"ITEM_ITS", {"ITS"}}}});
    t.push_back(
        {QStringLiteral("ITEMKEYS"),
         QStringLiteral("ITEMKEYS.DB"),
         QStringLiteral("itemkeys"),
         {{"IT", FT::Float}, {"Order", FT::Smallint}, {"ITC", FT::Float}, {"WNo", FT::Integer}},
         {"IT", "Order"},
         // WNo is not an order of its own, but word look-ups and frequencies need it;
         // with IT beside it the frequency count reads the index alone.
         {{"ITEMKEYS_ITC", {"ITC"}}, {"ITEMKEYS_WNo", {"WNo", "IT"}}}});
    t.push_back({QStringLiteral("ITEMURL"),
                 QStringLiteral("ITEMURL.DB"),
                 QStringLiteral("itemurl"),
                 {{"IT", FT::Float}, {"Order", FT::Smallint}, {"Project", FT::String, 38}},
                 {"IT", "Order"},
                 {{"ITEMURL_Project", {"Project"}}}});
    t.push_back({QStringLiteral("DICT"),
                 QStringLiteral("DICT.DB"),
                 QStringLiteral("dict"),
                 {{"C", FT::Float}, {"WNo", FT::Integer}, {"CTS", FT::Float}},
                 {"C", "WNo"},
                 {{"DICT_WNo", {"WNo"}}, {"DICT_CTS", {"CTS"}}}});
    t.push_back({QStringLiteral("WORD"),
                 QStringLiteral("WORD.DB"),
                 QStringLiteral("word"),
                 {{"Word", FT::String, 38},
                  {"WNo", FT::Integer},
                  {"WTS", FT::Float},
                  {"WTS2", FT::Float},
                  {"WFQ", FT::Integer}},
                 {},
                 {{"WORD_Word", {"Word"}},
                  {"WORD_WNo", {"WNo"}},
                  {"WORD_WTS", {"WTS"}},
                  {"WORD_WTS2", {"WTS2"}},
                  {"WORD_WFQ", {"WFQ"}}}});
    t.push_back({QStringLiteral("INFLEC"),
                 QStringLiteral("INFLEC.DB"),
                 QStringLiteral("inflec"),
                 {{"Word", FT::String, 38}, {"WNo", FT::Integer}},
                 {"Word", "WNo"},
                 {{"WNo_", {"WNo", "Word"}, true}}});
    t.push_back({QStringLiteral("PROJECT"),
                 QStringLiteral("PROJECT.DB"),
                 QStringLiteral("project"),
                 {{"Project", FT::String, 38},
                  {"PTS", FT::Float},
                  {"URL", FT::String, 80},
                  {"Tag", FT::String, 38}},
                 {"Project"},
                 {{"PROJECT_PTS", {"PTS"}}}});
    t.push_back({QStringLiteral("SHOW"),
                 QStringLiteral("SHOW.DB"),
                 QStringLiteral("show"),
                 {{"ConCatId", FT::String, 80}, {"Image", FT::Blob}, {"Audio", FT::Blob}},
                 {"ConCatId"},
                 {}});
    t.push_back({QStringLiteral("ITMSJMP"),
                 QStringLiteral("ITMSJMP.DB"),
                 QStringLiteral("itmsjmp"),
                 {{"ITS1", FT::Float}, {"ITS2", FT::Float}, {"TS", FT::DateTime}},
                 {"ITS1", "ITS2", "TS"},
                 {}});
    t.push_back({QStringLiteral("PRJORDR"),
                 QStringLiteral("PRJORDR.DB"),
                 QStringLiteral("prjordr"),
                 {{"Project", FT::String, 80}, {"IT", FT::Float}, {"ITS", FT::Float}},
                 {"Project", "IT"},
                 {}});
    t.push_back({QStringLiteral("SCHED"),
                 QStringLiteral("SCHED.DB"),
                 QStringLiteral("sched"),
                 {{"IT", FT::Float}, {"TX", FT::Memo}, {"ITS", FT::Float}, {"Animation", FT::Blob}},
                 {"IT"},
                 {{"SCHED_ITS", {"ITS"}}}});
    return t;
}

QString fieldList(const QStringList& fields)
{
    QStringList quoted;
    for (const QString& f : fields) quoted << qb::sql::quoteIdentifier(f);
    return quoted.join(QStringLiteral(", "));
}

}  // namespace

const std::vector<Table>& tables()
{
    static const std::vector<Table> all = makeTables();
    return all;
}

const Table* find(const QString& nameOrFile)
{
    QString key = nameOrFile.trimmed();
    if (key.endsWith(QStringLiteral(".db"), Qt::CaseInsensitive)) key.chop(3);
    for (const Table& t : tables())
        if (t.name.compare(key, Qt::CaseInsensitive) == 0) return &t;
    return nullptr;
}

QString sqlType(FieldType type)
{
    switch (type) {
    case FT::Float: return QStringLiteral("REAL");
    case FT::Integer:
    case FT::Smallint: return QStringLiteral("INTEGER");
    case FT::String:
    case FT::Memo: return QStringLiteral("TEXT");
    case FT::Blob: return QStringLiteral("BLOB");
    case FT::DateTime: return QStringLiteral("TEXT");  // ISO 8601, readable with the sqlite3 tool
    }
    return QStringLiteral("TEXT");
}

QStringList createStatements(const Table& table, const QString& schema)
{
    QString prefix =
        schema.isEmpty() ? QString() : qb::sql::quoteIdentifier(schema) + QLatin1Char('.');
    QStringList columns;
    for (const Field& f : table.fields)
        columns << qb::sql::quoteIdentifier(f.name) + QLatin1Char(' ') + sqlType(f.type);
    if (!table.primaryKey.isEmpty())
        columns << QStringLiteral("PRIMARY KEY (%1)").arg(fieldList(table.primaryKey));
    QStringList out;
    out << QStringLiteral("CREATE TABLE %1%2 (%3)")
               .arg(prefix, qb::sql::quoteIdentifier(table.name),
                    columns.join(QStringLiteral(", ")));
    for (const Index& ix : table.indexes)
        out << QStringLiteral("CREATE %1INDEX %2%3 ON %4 (%5)")
                   .arg(ix.unique ? QStringLiteral("UNIQUE ") : QString(), prefix,
                        qb::sql::quoteIdentifier(ix.name), qb::sql::quoteIdentifier(table.name),
                        fieldList(ix.fields));
    return out;
}

bool createTable(qb::sql::Database& db, const Table& table, const QString& schema, QString* error)
{
    for (const QString& statement : createStatements(table, schema))
        if (!db.exec(statement, error)) return false;
    return true;
}

bool createTableFile(const QString& dir, const Table& table, QString* error)
{
    QString path = qb::files::resolve(dir, table.fileName);
    if (QFileInfo::exists(path)) return true;
    // Build in a side file and move it into place, so a failure never leaves half a table.
    QString temp = QDir(dir).filePath(table.fileName + QStringLiteral(".new"));
    QFile::remove(temp);
    {
        qb::sql::Database db;
        if (!db.open(temp, true, error)) return false;
        if (!createTable(db, table, QString(), error)) {
            db.close();
            QFile::remove(temp);
            return false;
        }
    }
    QFile::remove(temp + QStringLiteral("-journal"));
    if (!QFile::rename(temp, QDir(dir).filePath(table.fileName))) {
        if (error) *error = QStringLiteral("Cannot write ") + table.fileName;
        QFile::remove(temp);
        return false;
    }
    return true;
}

bool createEmptyStore(const QString& dir, QString* error)
{
    if (!QDir().mkpath(dir)) {
        if (error) *error = QStringLiteral("Cannot create the directory ") + dir;
        return false;
    }
    for (const Table& table : tables())
        if (!createTableFile(dir, table, error)) return false;
    return true;
}

bool fileHasTable(qb::sql::Database& db, const QString& schema, const Table& table, QString* error)
{
    qb::sql::Statement st(
        db, QStringLiteral("PRAGMA %1.table_info(%2)")
                .arg(qb::sql::quoteIdentifier(schema), qb::sql::quoteIdentifier(table.name)));
    QStringList present;
    while (st.next()) present << st.textValue(1).toLower();
    if (!st.ok()) {
        if (error) *error = st.error();
        return false;
    }
    for (const Field& f : table.fields) {
        if (!present.contains(f.name.toLower())) {
            if (error)
                *error =
                    present.isEmpty()
                        ? QStringLiteral("%1 holds no table %2").arg(table.fileName, table.name)
                        : QStringLiteral("%1 lacks the field %2").arg(table.fileName, f.name);
            return false;
        }
    }
    return true;
}

}  // namespace qb::schema
