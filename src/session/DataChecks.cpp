#include "session/DataChecks.h"

#include "floor/Messages.h"
#include "floor/Messenger.h"
#include "platform/FileNames.h"
#include "platform/Sqlite.h"
#include "session/Session.h"
#include "session/TableOrder.h"
#include "store/Schema.h"

#include <QFileInfo>

namespace qb {

const QString kIndexCheckMessage = QStringLiteral(
    " table in application directory is not OK. Empty system twice, restart and restore from "
    "backup. (For itmsjmp.*, sched.*, show.* and prjordr.* a deletion of referenced files will fix "
    "the problem.)");

const std::vector<IndexCheck>& indexChecks()
{
    static const std::vector<IndexCheck> checks = {
        {QStringLiteral("DICT.db"), QStringLiteral("C;WNo")},
        {QStringLiteral("DICT.db"), QStringLiteral("CTS")},
        {QStringLiteral("DICT.db"), QStringLiteral("WNo")},
        {QStringLiteral("PROJECT.db"), QStringLiteral("Project")},
        {QStringLiteral("PROJECT.db"), QStringLiteral("PTS")},
        {QStringLiteral("ITEM.db"), QStringLiteral("IT")},
        {QStringLiteral("ITEM.db"), QStringLiteral("ITS")},
        {QStringLiteral("ITEMKEYS.db"), QStringLiteral("IT;Order")},
        {QStringLiteral("ITEMKEYS.db"), QStringLiteral("ITC")},
        {QStringLiteral("ITEMURL.db"), QStringLiteral("IT;Order")},
        {QStringLiteral("ITEMURL.db"), QStringLiteral("Project")},
        {QStringLiteral("WORD.db"), QStringLiteral("Word")},
        {QStringLiteral("WORD.db"), QStringLiteral("WNo")},
        {QStringLiteral("WORD.db"), QStringLiteral("WTS")},
        {QStringLiteral("WORD.db"), QStringLiteral("WTS2")},
        {QStringLiteral("WORD.db"), QStringLiteral("WFQ")},
        {QStringLiteral("INFLEC.db"), QStringLiteral("Word")},
        {QStringLiteral("INFLEC.db"), QStringLiteral("WNo")},
        {QStringLiteral("SHOW.db"), QStringLiteral("ConcatId")},
        {QStringLiteral("ITMSJMP.db"), QStringLiteral("ITS1;ITS2;TS")},
        {QStringLiteral("PRJORDR.db"), QStringLiteral("Project;IT")},
    };
    return checks;
}

namespace {

class WaitCursor {
public:
    WaitCursor() { session().messenger().setWaitCursor(true); }
    ~WaitCursor() { session().messenger().setWaitCursor(false); }
};

bool tableFileExists(const schema::Table& table)
{
    return files::exists(session().store.dir(), table.fileName);
}

bool tableIsThere(const schema::Table& table)
{
    Store& store = session().store;
    if (!store.isOpen() || !tableFileExists(table)) return false;
    // A file that appeared after the store was opened is attached now.
    return store.isAttached(table.name) || store.attachTable(table, false);
}

// Creates a missing table file with its key and indexes and attaches it. Failures are swallowed:
// the result says whether the table is there.
bool createWhenMissing(const QString& name)
{
    const schema::Table& table = *schema::find(name);
    Store& store = session().store;
    if (store.isOpen() && !tableFileExists(table)) {
        session().hooks.clear();
        WaitCursor wait;
        // A journal left by a crash must not be played into the new file.
        files::removeIfPresent(store.dir(), table.fileName + QStringLiteral("-journal"));
        store.attachTable(table, true);
    }
    return tableIsThere(table);
}

void dropKeyViolations(sql::Database& db)
{
    db.exec(QStringLiteral("DROP TABLE IF EXISTS temp.") +
            sql::quoteIdentifier(kKeyViolationTable));
}

// The append of WORD into INFLEC as one set operation: rows whose (form, number) pair is already
// in INFLEC or repeats within WORD, and rows without a key, go to KV1; the rest are inserted.
bool appendWordsIntoInflec()
{
    sql::Database& db = session().store.db();
    sql::Savepoint fill(db, QStringLiteral("inflec_fill"));
    if (!fill.isActive()) return false;
    dropKeyViolations(db);
    const QString kv = QStringLiteral("temp.") + sql::quoteIdentifier(kKeyViolationTable);
    if (!db.exec(QStringLiteral("CREATE TEMP TABLE %1 (\"Word\" TEXT, \"WNo\" INTEGER)")
                     .arg(sql::quoteIdentifier(kKeyViolationTable))))
        return false;
    sql::Statement violations(
        db,
        QStringLiteral(
            "INSERT INTO %1 (\"Word\", \"WNo\") "
            "SELECT w.\"Word\", w.\"WNo\" FROM WORD w "
            "WHERE w.\"Word\" IS NULL OR w.\"WNo\" IS NULL "
            "OR EXISTS (SELECT 1 FROM INFLEC i WHERE i.\"Word\" = w.\"Word\" AND i.\"WNo\" = w.\"WNo\") "
            "OR w.rowid > (SELECT MIN(x.rowid) FROM WORD x "
            "WHERE x.\"Word\" = w.\"Word\" AND x.\"WNo\" = w.\"WNo\") "
            "ORDER BY w.rowid")
            .arg(kv));
    if (!violations.run()) return false;
    sql::Statement append(
        db, QStringLiteral("INSERT OR IGNORE INTO INFLEC (\"Word\", \"WNo\") "
                           "SELECT \"Word\", \"WNo\" FROM WORD "
                           "WHERE \"Word\" IS NOT NULL AND \"WNo\" IS NOT NULL ORDER BY rowid"));
    if (!append.run()) return false;
    return fill.release();
}

bool inflecIsEmpty()
{
    if (!tableIsThere(*schema::find(QStringLiteral("INFLEC")))) return false;
    sql::Statement st(session().store.db(), QStringLiteral("SELECT EXISTS (SELECT 1 FROM INFLEC)"));
    return st.next() && st.intValue(0) == 0;
}

void upgradeFailed(const QString& text)
{
    NonTrivialError(text);
    session().flags.requestStop();
}

}  // namespace

bool CreateInflec()
{
    const schema::Table& inflec = *schema::find(QStringLiteral("INFLEC"));
    Store& store = session().store;
    if (store.isOpen() && !tableFileExists(inflec)) {
        session().hooks.clear();
        WaitCursor wait;
        dropKeyViolations(store.db());
        files::removeIfPresent(store.dir(), inflec.fileName + QStringLiteral("-journal"));
        if (store.attachTable(inflec, true)) appendWordsIntoInflec();
    }
    return tableIsThere(inflec);
}

bool FillInflec()
{
    bool filled = false;
    if (tableIsThere(*schema::find(QStringLiteral("INFLEC")))) {
        session().hooks.clear();
        WaitCursor wait;
        filled = appendWordsIntoInflec();
    }
    session().hooks.restoreWindows();
    session().messenger().setWaitCursor(false);
    return filled;
}

bool CreateItmsjmp() { return createWhenMissing(QStringLiteral("ITMSJMP")); }
bool CreateShow() { return createWhenMissing(QStringLiteral("SHOW")); }
bool CreatePrjOrdr() { return createWhenMissing(QStringLiteral("PRJORDR")); }
bool CreateSched() { return createWhenMissing(QStringLiteral("SCHED")); }

bool CheckIndex(const QString& databaseName, const QString& tableName, const QString& message,
                const QString& indexFields)
{
    if (session().flags.stopped()) return false;
    TableLocation location;
    QStringList fields = splitIndexFields(indexFields);
    if (!location.locate(databaseName, tableName, nullptr) ||
        !hasOrder(location, fields, nullptr)) {
        NonTrivialError(tableName + message);
        return false;
    }
    if (!opensInOrder(location, fields, nullptr)) {
        NonTrivialError(tableName + message);
        return false;
    }
    return true;
}

bool GetFrequencies()
{
    sql::Database& db = session().store.db();
    sql::Savepoint pass(db, QStringLiteral("frequencies"));
    // Only the rows whose mark changes are written, so a start with few changes writes little.
    sql::Statement update(
        db, QStringLiteral("WITH counted AS (SELECT D.\"WNo\" AS wno, COUNT(D.\"IT\") AS n "
                           "FROM ITEMKEYS D GROUP BY D.\"WNo\") "
                           "UPDATE WORD SET \"WFQ\" = fresh.wfq "
                           "FROM (SELECT w.rowid AS id, COALESCE(-c.n, 1) AS wfq "
                           "FROM WORD w LEFT JOIN counted c ON c.wno = w.\"WNo\") AS fresh "
                           "WHERE WORD.rowid = fresh.id AND WORD.\"WFQ\" IS NOT fresh.wfq"));
    if (!pass.isActive() || !update.run() || !pass.release()) {
        pass.rollback();
        SysProblem(QStringLiteral("Database error QB_97 3902"));
        return false;
    }
    return true;
}

bool CheckTableFiles(bool quick)
{
    Session& s = session();
    bool whole = true;
    for (const schema::Table& table : schema::tables()) {
        if (!s.store.isAttached(table.name)) continue;
        const QString fault = s.store.checkFile(table, quick);
        if (fault.isEmpty()) continue;
        PlainMessage(table.fileName + QStringLiteral(" is damaged (") + fault +
                     QStringLiteral(")\r\n") + Store::repairAdvice(table.fileName));
        whole = false;
    }
    if (!whole) s.flags.requestStop();
    return whole;
}

bool DataChecks(bool filesChecked)
{
    Session& s = session();
    s.hooks.banner(QStringLiteral("Wait for Database Checks"));
    if (!s.store.isOpen()) {
        // The store was never opened (a table file is missing): say which, once, and stop.
        static const QStringList madeByTheStart = {
            QStringLiteral("INFLEC"), QStringLiteral("ITMSJMP"), QStringLiteral("SHOW"),
            QStringLiteral("PRJORDR"), QStringLiteral("SCHED")};
        QString missing;
        for (const schema::Table& table : schema::tables())
            if (!madeByTheStart.contains(table.name) && !files::exists(s.dir(), table.fileName))
                missing += QStringLiteral("\r\n") + table.fileName +
                           QStringLiteral(" is missing from ") + s.dir() +
                           QStringLiteral(": restore it from a backup.");
        upgradeFailed(QStringLiteral("Failed to upgrade the data base to Quillbox 2000 version") +
                      missing);
        s.hooks.noBanner();
        return false;
    }
    // Pages overwritten behind SQLite's back pass the open; the checks below would write into them.
    if (!filesChecked && !CheckTableFiles(true)) {
        s.hooks.noBanner();
        return false;
    }
    if (!CreateInflec())
        upgradeFailed(QStringLiteral("Failed to upgrade the data base to Quillbox 2000 version"));
    if (!CreateItmsjmp())
        upgradeFailed(QStringLiteral(
            "Failed to upgrade the data base to Quillbox 2000 1.1 version (Associations Jump Table"));
    if (!CreateShow())
        upgradeFailed(QStringLiteral(
            "Failed to upgrade the data base to Quillbox 2000 1.1 version (Show Connections Table)"));
    if (!CreatePrjOrdr())
        upgradeFailed(QStringLiteral(
            "Failed to upgrade the data base to Quillbox 2000 1.115 version (PrjOrdr Table)"));
    if (inflecIsEmpty()) FillInflec();
    if (!s.flags.stopped())
        for (const IndexCheck& check : indexChecks())
            CheckIndex(kStoreDatabaseName, check.tableName, kIndexCheckMessage, check.indexFields);
    s.hooks.banner(QStringLiteral("Frequencies Update"));
    GetFrequencies();
    s.hooks.noBanner();
    return !s.flags.stopped();
}

}  // namespace qb
