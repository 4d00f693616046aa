#pragma once

#include "platform/Sqlite.h"

#include <QString>
#include <QStringList>

namespace qb::schema {
struct Table;
}

namespace qb {

// The open store: one connection with ITEM.DB as main and the other ten table files attached.
// Table names are unique across the files, so statements name tables unqualified ("WORD").
class Store {
public:
    Store() = default;
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Opens the store in dir. Missing table files other than ITEM.DB are left unattached (the
    // start-up checks create them); damaged files fail the open with a message, and so do files
    // that cannot be written unless readOnlyAllowed (a reader): then isReadOnly() tells.
    bool open(const QString& dir, QString* error = nullptr, bool readOnlyAllowed = false);
    void close();
    bool isOpen() const { return db_.isOpen(); }
    // Some table file of the open store could only be opened for reading.
    bool isReadOnly() const { return readOnly_; }

    QString dir() const { return dir_; }
    sql::Database& db() { return db_; }

    bool isAttached(const QString& tableName) const;
    QString pathOf(const QString& tableFileName) const;
    // Attaches a table file, creating the file with its table and indexes when create is set.
    bool attachTable(const schema::Table& table, bool create, QString* error = nullptr);
    bool detachTable(const schema::Table& table, QString* error = nullptr);
    // Closes and reopens every file, for file-level work (pack, restore) in between.
    bool reopen(QString* error = nullptr);

    // SQLite's check of one attached file: quick (the page structure) or full (with every index
    // entry). Empty when it passed, else the first fault it found. Reads the whole file, so the
    // open leaves it to the start-up checks.
    QString checkFile(const schema::Table& table, bool quick);
    // What the user can do about a table file that is damaged or missing: the files that the
    // start makes anew may be deleted, the others come back from a backup.
    static QString repairAdvice(const QString& fileName);

    // Super-journal files (ITEM.DB-mj...) in the store directory.
    QStringList superJournals() const;
    // Removes super-journals that no journal names, while no other program writes to the store;
    // returns how many went. Runs at every open.
    int removeOrphanedSuperJournals();

    // Files that were found missing at open.
    QStringList missingTables() const { return missing_; }

private:
    QString dir_;
    sql::Database db_;
    QStringList attached_;
    QStringList missing_;
    bool readOnlyAllowed_ = false;
    bool readOnly_ = false;
};

}  // namespace qb
