#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace qb::sql {
class Database;
}

namespace qb {

// The database name statements and table objects use for the store directory.
inline const QString kStoreDatabaseName = QStringLiteral("QB");

// Where a table lives: the store connection (database "QB") or a table file in a folder that
// serves as database (the restore's scratch folder), opened on a connection of its own.
class TableLocation {
public:
    // tableName is the table's file name in any spelling, with or without ".db".
    bool locate(const QString& databaseName, const QString& tableName, QString* error);

    sql::Database& db() { return *db_; }
    QString schema() const { return schema_; }
    QString table() const { return table_; }
    // schema.table, quoted, for statements.
    QString qualified() const;

private:
    std::unique_ptr<sql::Database> own_;
    sql::Database* db_ = nullptr;
    QString schema_;
    QString table_;
};

// Index fields as the table objects name them: "C;WNo".
QStringList splitIndexFields(const QString& indexFields);

// True when the table has an index, or its primary key, whose leading fields are these fields
// in this order.
bool hasOrder(TableLocation& location, const QStringList& fields, QString* error);
// Reads the first row in that order: the table opens in it.
bool opensInOrder(TableLocation& location, const QStringList& fields, QString* error);

// A table object of the desktop: a table of a database read in one of its orders. With SQLite,
// opening it means that the order exists and a query in that order runs.
struct TableObject {
    QString name;          // for messages ("WORDS")
    QString databaseName;  // kStoreDatabaseName or a folder path
    QString tableName;     // "WORD.db"
    QString indexFields;   // current order, "" for none
    bool active = false;

    bool open(QString* error = nullptr);
    void close() { active = false; }
    // ORDER BY clause of the current order ("" for none).
    QString orderBy() const;
};

// Makes the table object use the order. A table that cannot be opened in it is reported
// ("Failed fieldindexnames: ...") and left closed.
bool SetTableOrder(TableObject& table, const QString& indexFields, const QString& context);

}  // namespace qb
