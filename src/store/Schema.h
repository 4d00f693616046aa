#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace qb::sql {
class Database;
}

namespace qb::schema {

enum class FieldType { Float, Integer, Smallint, String, Memo, Blob, DateTime };

struct Field {
    QString name;
    FieldType type;
    int size = 0;  // characters, for String
};

struct Index {
    QString name;        // index name inside the table's file
    QStringList fields;  // in order
    bool unique = false;
};

struct Table {
    QString name;        // table name inside the file ("ITEM")
    QString fileName;    // file in the store directory ("ITEM.DB")
    QString schemaName;  // attachment name on the store connection ("main" for ITEM)
    std::vector<Field> fields;
    QStringList primaryKey;  // empty: no key
    std::vector<Index> indexes;
};

// The eleven tables of a store, ITEM first.
const std::vector<Table>& tables();
// Looks a table up by its name or file name, without regard to case ("Inflec.db", "word").
const Table* find(const QString& nameOrFile);

QString sqlType(FieldType type);
// CREATE TABLE and CREATE INDEX statements for the table, with the given schema qualifier
// ("" for an unqualified statement).
QStringList createStatements(const Table& table, const QString& schema);

// Creates the table with its key and indexes in a newly opened database file.
bool createTable(qb::sql::Database& db, const Table& table, const QString& schema, QString* error);

// Makes the table's file in dir (spelled as the schema spells it) unless a file of that name
// exists in any spelling.
bool createTableFile(const QString& dir, const Table& table, QString* error);

// Lays down an empty store (all eleven files) in dir. Existing table files are left alone.
bool createEmptyStore(const QString& dir, QString* error);

// True when the file holds a table of that name with all the named fields.
bool fileHasTable(qb::sql::Database& db, const QString& schema, const Table& table, QString* error);

}  // namespace qb::schema
