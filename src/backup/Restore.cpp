#include "backup/Restore.h"

#include "backup/Maintenance.h"
#include "backup/RestorePackage.h"

#include "floor/Messages.h"
#include "items/Associations.h"
#include "platform/Sqlite.h"
#include "session/DataChecks.h"
#include "session/Session.h"
#include "store/Schema.h"

#include <QFileInfo>

#include <sqlite3.h>

#include <cstring>
#include <memory>
#include <optional>

namespace qb {

const QString kSelfExtractingRefused = QStringLiteral(
    "Self-extracting packages (.exe) do not exist on this platform: select the .zip package");

namespace {

// The order the unpacked tables are checked in.
const char* const kCheckOrder[] = {"WORD",     "DICT",   "PROJECT", "ITEM",    "ITEMURL",
                                   "ITEMKEYS", "INFLEC", "SHOW",    "ITMSJMP", "PRJORDR"};
// The order they are appended in (INFLEC comes last, after the store's words are filled in).
const char* const kAppendOrder[] = {"ITEM", "ITEMKEYS", "ITEMURL", "DICT",   "PROJECT",
                                    "WORD", "ITMSJMP",  "SHOW",    "PRJORDR"};
const char* const kOldFormAppendOrder[] = {"ITEM", "ITEMKEYS", "ITEMURL",
                                           "DICT", "PROJECT",  "WORD"};

QString tempName(const schema::Table& table)
{
    return QStringLiteral("pkg_") + table.name.toLower();
}

QString qualified(const schema::Table& table)
{
    return sql::quoteIdentifier(table.schemaName) + QLatin1Char('.') +
           sql::quoteIdentifier(table.name);
}

QStringList fieldNames(const schema::Table& table)
{
    QStringList names;
    for (const schema::Field& f : table.fields) names << sql::quoteIdentifier(f.name);
    return names;
}

// The key a package row is matched by. WORD has none of its own: a word is its number.
QStringList keyOf(const schema::Table& table)
{
    return table.primaryKey.isEmpty() ? QStringList{QStringLiteral("WNo")} : table.primaryKey;
}

QString keyPresent(const schema::Table& table, const QString& alias)
{
    QStringList parts;
    for (const QString& k : keyOf(table))
        parts << alias + sql::quoteIdentifier(k) + QStringLiteral(" IS NOT NULL");
    return parts.join(QStringLiteral(" AND "));
}

QString keyMatch(const schema::Table& table, const QString& a, const QString& b)
{
    QStringList parts;
    for (const QString& k : keyOf(table))
        parts << a + sql::quoteIdentifier(k) + QStringLiteral(" = ") + b + sql::quoteIdentifier(k);
    return parts.join(QStringLiteral(" AND "));
}

class Failure {
public:
    QString text;
    bool set(const QString& why)
    {
        if (text.isEmpty()) text = why;
        return false;
    }
};

bool run(sql::Database& db, const QString& statement, Failure& failure, qint64* changes = nullptr)
{
    sql::Statement st(db, statement);
    if (!st.run()) return failure.set(st.error());
    if (changes) *changes = db.changes();
    return true;
}

bool count(sql::Database& db, const QString& statement, qint64* out, Failure& failure)
{
    sql::Statement st(db, statement);
    if (!st.next()) return failure.set(st.ok() ? QStringLiteral("no count") : st.error());
    *out = st.int64Value(0);
    return true;
}

// Only the renumbering writes to the package's rows: the other tables with a key of their own
// go from their unpacked file straight into the store, and only their keys are copied, for the
// counts.
bool copiedWhole(const schema::Table& table)
{
    static const QStringList renumbered{QStringLiteral("WORD"), QStringLiteral("ITEMKEYS"),
                                        QStringLiteral("DICT"), QStringLiteral("INFLEC")};
    return table.primaryKey.isEmpty() || renumbered.contains(table.name);
}

// After an emptying nothing of the store's is replaced, so the counts need no temporary copy;
// the keyword links, whose key holds no word number, take their new numbers on the way in. The
// other renumbered tables are copied for the removal of twins.
bool streamedAfterEmptying(const schema::Table& table)
{
    return !copiedWhole(table) || table.name == QLatin1String("ITEMKEYS");
}

using NewNumbers = QHash<qint64, Renumbering::Use>;

// Copies an unpacked table (or only its key) into a temporary table of the store's connection,
// in its order, every value with its own type. The column _step marks rows renumbered later.
bool loadIntoTemp(sql::Database& store, const schema::Table& table, const QString& path,
                  Failure& failure)
{
    sql::Database source;
    QString error;
    if (!OpenUntrusted(source, path, &error)) return failure.set(error);
    const QString temp = sql::quoteIdentifier(tempName(table));
    QStringList columns, names;
    for (const schema::Field& f : table.fields)
        if (copiedWhole(table) || table.primaryKey.contains(f.name)) {
            columns << sql::quoteIdentifier(f.name) + QLatin1Char(' ') + schema::sqlType(f.type);
            names << sql::quoteIdentifier(f.name);
        }
    if (!run(store, QStringLiteral("DROP TABLE IF EXISTS temp.") + temp, failure) ||
        !run(store,
             QStringLiteral("CREATE TEMP TABLE %1 (%2, _step INTEGER NOT NULL DEFAULT 0)")
                 .arg(temp, columns.join(QStringLiteral(", "))),
             failure))
        return false;

    // Each row keeps its package row number: a restore writes it back at that number.
    const QByteArray select =
        // The rows themselves, never an index of the package's that might say otherwise.
        QStringLiteral("SELECT rowid, %1 FROM %2 NOT INDEXED ORDER BY rowid")
            .arg(names.join(QStringLiteral(", ")), sql::quoteIdentifier(table.name))
            .toUtf8();
    QStringList marks;
    for (int i = 1; i <= names.size() + 1; ++i) marks << QStringLiteral("?%1").arg(i);
    const QByteArray insert =
        QStringLiteral("INSERT INTO temp.%1 (rowid, %2) VALUES (%3)")
            .arg(temp, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")))
            .toUtf8();
    sqlite3_stmt* from = nullptr;
    sqlite3_stmt* to = nullptr;
    bool ok =
        sqlite3_prepare_v2(source.handle(), select.constData(), -1, &from, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(store.handle(), insert.constData(), -1, &to, nullptr) == SQLITE_OK;
    int rc = SQLITE_OK;
    while (ok && (rc = sqlite3_step(from)) == SQLITE_ROW) {
        for (int i = 0; i <= names.size(); ++i)
            sqlite3_bind_value(to, i + 1, sqlite3_column_value(from, i));
        ok = sqlite3_step(to) == SQLITE_DONE;
        sqlite3_reset(to);
    }
    if (ok && rc != SQLITE_DONE) ok = false;
    if (!ok)
        failure.set(QFileInfo(path).fileName() + QStringLiteral(": ") +
                    QString::fromUtf8(sqlite3_errmsg(from ? source.handle() : store.handle())));
    sqlite3_finalize(from);
    sqlite3_finalize(to);
    return ok;
}

// Writes the new word numbers into the package's tables: WORD row by row, the use tables in one
// statement each from the map of old numbers, then drops the rows the renumbering made twins of
// another (the one not renumbered, else the earliest renumbered, stays).
bool renumber(sql::Database& db, const QStringList& useTables, bool hasWords, bool storeEmptied,
              std::vector<TableCounts>& counts, NewNumbers& kept, Failure& failure)
{
    if (!hasWords) return true;
    std::vector<PackageWord> words;
    std::vector<qint64> rowids;
    {
        sql::Statement st(db, QStringLiteral("SELECT rowid, \"Word\", \"WNo\" FROM temp.pkg_word "
                                             "ORDER BY rowid"));
        while (st.next()) {
            rowids.push_back(st.int64Value(0));
            PackageWord w;
            if (!st.isNull(1)) w.word = st.textValue(1);
            if (!st.isNull(2)) w.number = st.int64Value(2);
            words.push_back(w);
        }
        if (!st.ok()) return failure.set(st.error());
    }
    QHash<QString, qint64> storeWords;
    qint64 highest = 0;
    // A restore numbers the words as if the store were empty: all of its own go.
    if (!storeEmptied) {
        sql::Statement st(db, QStringLiteral("SELECT \"Word\", \"WNo\" FROM \"word\".\"WORD\" "
                                             "WHERE \"Word\" IS NOT NULL ORDER BY rowid"));
        while (st.next())
            if (!storeWords.contains(st.textValue(0)))
                storeWords.insert(st.textValue(0), st.int64Value(1));
        if (!st.ok()) return failure.set(st.error());
        sql::Statement max(db, QStringLiteral("SELECT MAX(\"WNo\") FROM \"word\".\"WORD\""));
        if (!max.next()) return failure.set(max.error());
        highest = std::max<qint64>(0, max.int64Value(0));
    }
    const Renumbering numbers = ReIdentify(words, storeWords, highest);
    kept = numbers.uses;

    {
        sql::Statement st(db,
                          QStringLiteral("UPDATE temp.pkg_word SET \"WNo\" = ?2 WHERE rowid = ?1"));
        for (size_t i = 0; i < words.size(); ++i) {
            st.bind(1, (long long)rowids[i]).bind(2, (long long)numbers.newNumbers[i]);
            if (!st.run()) return failure.set(st.error());
            st.reset();
        }
    }
    if (!run(db, QStringLiteral("DROP TABLE IF EXISTS temp.renum"), failure) ||
        !run(db,
             QStringLiteral("CREATE TEMP TABLE renum (old INTEGER PRIMARY KEY, new INTEGER, "
                            "step INTEGER)"),
             failure))
        return false;
    {
        sql::Statement st(db, QStringLiteral("INSERT INTO temp.renum VALUES (?1, ?2, ?3)"));
        for (auto it = numbers.uses.cbegin(); it != numbers.uses.cend(); ++it) {
            st.bind(1, (long long)it.key())
                .bind(2, (long long)it.value().newNumber)
                .bind(3, it.value().step + 1);
            if (!st.run()) return failure.set(st.error());
            st.reset();
        }
    }
    for (const QString& name : useTables) {
        const schema::Table& table = *schema::find(name);
        const QString temp = tempName(table);
        if (!run(db,
                 QStringLiteral("UPDATE temp.%1 SET \"WNo\" = r.new, _step = r.step "
                                "FROM temp.renum AS r WHERE %1.\"WNo\" = r.old")
                     .arg(temp),
                 failure))
            return false;
        if (table.primaryKey.contains(QStringLiteral("WNo"))) {
            QStringList key;
            for (const QString& k : table.primaryKey) key << sql::quoteIdentifier(k);
            qint64 dropped = 0;
            if (!run(db,
                     QStringLiteral("DELETE FROM temp.%1 WHERE rowid IN (SELECT rid FROM (SELECT "
                                    "rowid AS rid, ROW_NUMBER() OVER (PARTITION BY %2 ORDER BY "
                                    "_step, rowid) AS rn FROM temp.%1 WHERE %3) WHERE rn > 1)")
                         .arg(temp, key.join(QStringLiteral(", ")), keyPresent(table, QString())),
                     failure, &dropped))
                return false;
            for (TableCounts& c : counts)
                if (c.table == table.name) {
                    c.inPackage += dropped;
                    c.notTaken += dropped;
                }
        }
    }
    return run(db, QStringLiteral("DROP TABLE temp.renum"), failure);
}

using Prepared = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

Prepared prepare(sql::Database& db, const QString& statement)
{
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db.handle(), statement.toUtf8().constData(), -1, &st, nullptr);
    return Prepared(st, sqlite3_finalize);
}

// The rows written into one table, in package order: column 0 is the package row number, the
// table's fields follow.
struct RowSource {
    sqlite3* handle = nullptr;
    QByteArray select;
    std::vector<int> keyColumns;  // rows without a whole key are not taken
    int wordColumn = -1;          // its number is renumbered on the way
    const NewNumbers* numbers = nullptr;
};

class SourceRows {
public:
    SourceRows(const RowSource& source, int fields) : source_(source), fields_(fields)
    {
        ok_ = sqlite3_prepare_v2(source.handle, source.select.constData(), -1, &st_, nullptr) ==
              SQLITE_OK;
    }
    ~SourceRows() { sqlite3_finalize(st_); }
    SourceRows(const SourceRows&) = delete;
    SourceRows& operator=(const SourceRows&) = delete;

    // The next row with a whole key; false at the end or on an error (see ok()).
    bool next()
    {
        while (ok_) {
            const int rc = sqlite3_step(st_);
            if (rc != SQLITE_ROW) {
                ok_ = rc == SQLITE_DONE;
                return false;
            }
            ++total_;
            bool whole = true;
            for (int k : source_.keyColumns)
                whole = whole && sqlite3_column_type(st_, k + 1) != SQLITE_NULL;
            if (!whole) continue;
            ++valid_;
            word_.reset();
            if (source_.wordColumn >= 0 &&
                sqlite3_column_type(st_, source_.wordColumn + 1) == SQLITE_INTEGER) {
                const auto use =
                    source_.numbers->constFind(sqlite3_column_int64(st_, source_.wordColumn + 1));
                if (use != source_.numbers->cend()) word_ = use->newNumber;
            }
            return true;
        }
        return false;
    }
    qint64 rowid() const { return sqlite3_column_int64(st_, 0); }

    // Binds the fields to ?first, ?first+1, ...
    void bind(sqlite3_stmt* to, int first) const
    {
        for (int i = 0; i < fields_; ++i)
            if (word_ && i == source_.wordColumn)
                sqlite3_bind_int64(to, first + i, *word_);
            else
                sqlite3_bind_value(to, first + i, sqlite3_column_value(st_, i + 1));
    }

    // True when the store's row (fields from column `first`) holds exactly these values, each
    // with its own type: writing the row again would change nothing.
    bool sameAs(sqlite3_stmt* row, int first) const
    {
        for (int i = 0; i < fields_; ++i) {
            const int type = sqlite3_column_type(row, first + i);
            if (word_ && i == source_.wordColumn) {
                if (type != SQLITE_INTEGER || sqlite3_column_int64(row, first + i) != *word_)
                    return false;
                continue;
            }
            if (type != sqlite3_column_type(st_, i + 1)) return false;
            switch (type) {
            case SQLITE_INTEGER:
                if (sqlite3_column_int64(row, first + i) != sqlite3_column_int64(st_, i + 1))
                    return false;
                break;
            case SQLITE_FLOAT: {
                const double a = sqlite3_column_double(row, first + i);
                const double b = sqlite3_column_double(st_, i + 1);
                if (std::memcmp(&a, &b, sizeof a) != 0) return false;
                break;
            }
            case SQLITE_TEXT:
            case SQLITE_BLOB: {
                const void* a = type == SQLITE_TEXT
                                    ? static_cast<const void*>(sqlite3_column_text(row, first + i))
                                    : sqlite3_column_blob(row, first + i);
                const void* b = type == SQLITE_TEXT
                                    ? static_cast<const void*>(sqlite3_column_text(st_, i + 1))
                                    : sqlite3_column_blob(st_, i + 1);
                const int n = sqlite3_column_bytes(row, first + i);
                if (n != sqlite3_column_bytes(st_, i + 1) || (n > 0 && std::memcmp(a, b, n) != 0))
                    return false;
                break;
            }
            default: break;
            }
        }
        return true;
    }

    bool ok() const { return ok_; }
    QString error() const { return QString::fromUtf8(sqlite3_errmsg(source_.handle)); }
    qint64 total() const { return total_; }
    qint64 valid() const { return valid_; }

private:
    const RowSource& source_;
    const int fields_;
    sqlite3_stmt* st_ = nullptr;
    bool ok_ = false;
    qint64 total_ = 0, valid_ = 0;
    std::optional<qint64> word_;
};

// The rows of an unpacked table file, never read through an index of the package's that might
// say otherwise; word numbers are renumbered on the way when numbers are given.
RowSource fileSource(const schema::Table& table, sql::Database& package, const NewNumbers* numbers)
{
    RowSource source;
    source.handle = package.handle();
    source.select =
        QStringLiteral("SELECT rowid, %1 FROM %2 NOT INDEXED ORDER BY rowid")
            .arg(fieldNames(table).join(QStringLiteral(", ")), sql::quoteIdentifier(table.name))
            .toUtf8();
    for (int i = 0; i < int(table.fields.size()); ++i) {
        if (table.primaryKey.contains(table.fields[size_t(i)].name)) source.keyColumns.push_back(i);
        if (numbers && table.fields[size_t(i)].name == QLatin1String("WNo")) source.wordColumn = i;
    }
    source.numbers = numbers;
    return source;
}

// A package row whose key the store has replaces that row's fields (empty for WORD, which has
// no key of its own).
QString upsertClause(const schema::Table& table)
{
    if (table.primaryKey.isEmpty()) return QString();
    QStringList key, sets;
    for (const QString& k : table.primaryKey) key << sql::quoteIdentifier(k);
    for (const schema::Field& f : table.fields)
        if (!table.primaryKey.contains(f.name))
            sets << sql::quoteIdentifier(f.name) + QStringLiteral(" = excluded.") +
                        sql::quoteIdentifier(f.name);
    return QStringLiteral(" ON CONFLICT (%1) DO %2")
        .arg(key.join(QStringLiteral(", ")),
             sets.isEmpty() ? QStringLiteral("NOTHING")
                            : QStringLiteral("UPDATE SET ") + sets.join(QStringLiteral(", ")));
}

// Inserts the rows of an unpacked file into the store's table in their order, skipping those
// without a whole key, as one INSERT ... SELECT from a copy of the file would.
bool streamAppend(sql::Database& store, const schema::Table& table, const QString& path,
                  const QString& onConflict, Failure& failure)
{
    sql::Database package;
    QString error;
    if (!OpenUntrusted(package, path, &error)) return failure.set(error);
    const auto failed = [&](const QString& why) {
        return failure.set(QFileInfo(path).fileName() + QStringLiteral(": ") + why);
    };
    QStringList marks;
    for (int i = 1; i <= int(table.fields.size()); ++i) marks << QStringLiteral("?%1").arg(i);
    const Prepared insert =
        prepare(store, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)%4")
                           .arg(qualified(table), fieldNames(table).join(QStringLiteral(", ")),
                                marks.join(QStringLiteral(", ")), onConflict));
    sqlite3_stmt* to = insert.get();
    if (!to) return failed(store.lastError());
    const RowSource source = fileSource(table, package, nullptr);
    SourceRows rows(source, int(table.fields.size()));
    while (rows.next()) {
        rows.bind(to, 1);
        const int rc = sqlite3_step(to);
        sqlite3_reset(to);
        if (rc != SQLITE_DONE) return failed(store.lastError());
    }
    return rows.ok() || failed(rows.error());
}

// Appends the package's rows into the store's table: a row whose key the store has replaces
// that row's fields, any other is added; a row without a whole key is counted as not taken.
bool appendTable(sql::Database& db, const schema::Table& table, const QString& path,
                 TableCounts& counts, Failure& failure)
{
    QStringList others;
    for (const schema::Field& f : table.fields)
        if (!keyOf(table).contains(f.name)) others << sql::quoteIdentifier(f.name);
    const QString onConflict = upsertClause(table);
    const QString temp = QStringLiteral("temp.") + sql::quoteIdentifier(tempName(table));
    const QString target = qualified(table);
    const QStringList names = fieldNames(table);
    const QString present = keyPresent(table, QStringLiteral("p."));
    qint64 total = 0, valid = 0, replaced = 0;
    if (!count(db, QStringLiteral("SELECT COUNT(*) FROM %1").arg(temp), &total, failure) ||
        !count(db, QStringLiteral("SELECT COUNT(*) FROM %1 p WHERE %2").arg(temp, present), &valid,
               failure) ||
        !count(db,
               QStringLiteral("SELECT COUNT(*) FROM %1 p WHERE %2 AND EXISTS (SELECT 1 FROM %3 t "
                              "WHERE %4)")
                   .arg(temp, present, target,
                        keyMatch(table, QStringLiteral("t."), QStringLiteral("p."))),
               &replaced, failure))
        return false;
    counts.inPackage += total;
    counts.notTaken += total - valid;
    counts.replaced += replaced;
    counts.added += valid - replaced;

    const QString columns = names.join(QStringLiteral(", "));
    if (!copiedWhole(table)) return streamAppend(db, table, path, onConflict, failure);
    if (!table.primaryKey.isEmpty())
        return run(db,
                   QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3 p WHERE %4 ORDER BY "
                                  "p.rowid%5")
                       .arg(target, columns, temp, present, onConflict),
                   failure);
    // Words: the last package row of a number is the one that stays, as row after row would.
    const QString last =
        QStringLiteral(
            "(SELECT * FROM %1 WHERE rowid IN (SELECT MAX(rowid) FROM %1 p WHERE %2 "
            "GROUP BY p.\"WNo\"))")
            .arg(temp, present);
    QStringList fromSets;
    for (const QString& o : others) fromSets << o + QStringLiteral(" = p.") + o;
    fromSets << QStringLiteral("\"Word\" = p.\"Word\"");
    return run(db,
               QStringLiteral("UPDATE %1 SET %2 FROM %3 AS p WHERE %1.\"WNo\" = p.\"WNo\"")
                   .arg(target, fromSets.join(QStringLiteral(", ")), last),
               failure) &&
           run(db,
               QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3 AS p WHERE NOT EXISTS "
                              "(SELECT 1 FROM %1 t WHERE t.\"WNo\" = p.\"WNo\") ORDER BY p.rowid")
                   .arg(target, columns, last),
               failure);
}

bool loadedTable(const std::vector<const schema::Table*>& loaded, const QString& name)
{
    for (const schema::Table* t : loaded)
        if (t->name == name) return true;
    return false;
}

// The words whose frequency mark the package can change: those of its keyword links, those of
// the store's links it replaces, and its own words (their marks come from another store).
bool noteTouchedWords(sql::Database& db, const std::vector<const schema::Table*>& loaded,
                      Failure& failure)
{
    if (!run(db, QStringLiteral("DROP TABLE IF EXISTS temp.touched"), failure) ||
        !run(db, QStringLiteral("CREATE TEMP TABLE touched (wno INTEGER PRIMARY KEY)"), failure))
        return false;
    QStringList fills;
    if (loadedTable(loaded, QStringLiteral("ITEMKEYS")))
        fills << QStringLiteral("SELECT \"WNo\" FROM temp.pkg_itemkeys")
              << QStringLiteral(
                     "SELECT t.\"WNo\" FROM \"itemkeys\".\"ITEMKEYS\" t JOIN "
                     "temp.pkg_itemkeys p ON t.\"IT\" = p.\"IT\" AND t.\"Order\" = "
                     "p.\"Order\"");
    if (loadedTable(loaded, QStringLiteral("WORD")))
        fills << QStringLiteral("SELECT \"WNo\" FROM temp.pkg_word");
    for (const QString& fill : fills)
        if (!run(db,
                 QStringLiteral("INSERT OR IGNORE INTO temp.touched SELECT \"WNo\" FROM (%1) "
                                "WHERE \"WNo\" IS NOT NULL")
                     .arg(fill),
                 failure))
            return false;
    return true;
}

// The frequency mark as the start computes it: minus the number of keyword links, 1 for none.
// After an emptying every word with a number came from the package, and each is refreshed.
bool refreshFrequencies(sql::Database& db, Failure& failure, bool allWords)
{
    const QString mark = QStringLiteral(
        "COALESCE((SELECT -COUNT(k.\"IT\") FROM \"itemkeys\".\"ITEMKEYS\" k WHERE k.\"WNo\" = "
        "\"WORD\".\"WNo\" GROUP BY k.\"WNo\"), 1)");
    const QString which = allWords ? QStringLiteral("\"WNo\" IS NOT NULL")
                                   : QStringLiteral("\"WNo\" IN (SELECT wno FROM temp.touched)");
    // A mark that is right already is not written again.
    return run(db,
               QStringLiteral("UPDATE \"word\".\"WORD\" SET \"WFQ\" = %1 WHERE %2 AND \"WFQ\" IS "
                              "NOT %1")
                   .arg(mark, which),
               failure);
}

// A pragma of every file of the connection (or of the named ones) set for a while, then put
// back as it was.
class SchemaPragma {
public:
    SchemaPragma(sql::Database& db, const QString& name, const QString& value,
                 const QStringList& only = {})
        : db_(db)
    {
        QStringList schemas;
        {
            sql::Statement st(db_, QStringLiteral("PRAGMA database_list"));
            while (st.next()) schemas << st.textValue(1);
        }
        if (!schemas.contains(QStringLiteral("temp"))) schemas << QStringLiteral("temp");
        for (const QString& schema : schemas) {
            if (!only.isEmpty() && !only.contains(schema)) continue;
            const QString pragma = sql::quoteIdentifier(schema) + QLatin1Char('.') + name;
            sql::Statement st(db_, QStringLiteral("PRAGMA ") + pragma);
            if (!st.next()) continue;
            // secure_delete reads back FAST as 2, which it would take for a plain "on".
            QString old = st.textValue(0);
            if (name == QLatin1String("secure_delete") && old == QLatin1String("2"))
                old = QStringLiteral("FAST");
            saved_.push_back({pragma, old});
            db_.exec(QStringLiteral("PRAGMA %1 = %2").arg(pragma, value));
        }
    }
    ~SchemaPragma()
    {
        for (const auto& [pragma, old] : saved_)
            db_.exec(QStringLiteral("PRAGMA %1 = %2").arg(pragma, old));
    }
    SchemaPragma(const SchemaPragma&) = delete;
    SchemaPragma& operator=(const SchemaPragma&) = delete;

private:
    sql::Database& db_;
    std::vector<std::pair<QString, QString>> saved_;
};

// A large cache for the run: with the default one the append's index writes spill the cache
// into the files again and again, each spill syncing the journal first. Negative: KiB, per file.
const QString kLargerCache = QStringLiteral("-65536");

// With secure delete (on in some builds of SQLite) every freed page is journaled and written
// over with zeros: emptying the store's tables would write them twice more, though the append
// fills those pages again at once. FAST still cleans the pages that stay in use.
const QString kFreeWithoutZeros = QStringLiteral("FAST");

// A restore writes every row back at the row number it had in the package, so a table that
// already holds most of the package keeps those rows untouched. Beyond this the store's own
// later rows would find no room above them.
constexpr qint64 kHighestKeptRowid = qint64(1) << 53;

enum class InPlace { Written, Unsuitable, Failed };

// Compares the package's rows with the store's, row number by row number, and writes only the
// difference: the store's rows that differ or are not in the package go, the package's rows
// that differ or are new come in at their numbers. Unsuitable when more than a quarter of the
// table would be written (emptying and appending anew is then cheaper), when the package's
// row numbers cannot be kept, or when the package holds one key twice (its rows then merge as
// the append merges them).
InPlace restoreInPlace(sql::Database& db, const schema::Table& table, const QString& storeFile,
                       const RowSource& source, Failure& failure, qint64* total, qint64* valid)
{
    const QString target = qualified(table);
    const int fields = int(table.fields.size());
    std::vector<qint64> gone, added;
    {
        // The store's rows are read through a connection of their own, which sees them as this
        // transaction does (nothing of this file is written yet, and the transaction's lock
        // keeps other writers out). A row that cannot be read there leaves this transaction
        // untouched by the error, and the table is emptied instead, which reads only its pages.
        sql::Database reader;
        if (!OpenUntrusted(reader, storeFile, nullptr)) return InPlace::Unsuitable;
        Failure unread;
        qint64 storeRows = 0;
        if (!count(reader,
                   QStringLiteral("SELECT COUNT(*) FROM ") + sql::quoteIdentifier(table.name),
                   &storeRows, unread))
            return InPlace::Unsuitable;
        const size_t limit = size_t(storeRows / 4 + 64);
        SourceRows rows(source, fields);
        const Prepared store =
            prepare(reader, QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY rowid")
                                .arg(fieldNames(table).join(QStringLiteral(", ")),
                                     sql::quoteIdentifier(table.name)));
        sqlite3_stmt* st = store.get();
        if (!st) return InPlace::Unsuitable;
        int rc = sqlite3_step(st);
        qint64 last = 0;
        while (rows.next()) {
            const qint64 rowid = rows.rowid();
            if (rowid <= last || rowid > kHighestKeptRowid) return InPlace::Unsuitable;
            last = rowid;
            for (; rc == SQLITE_ROW && sqlite3_column_int64(st, 0) < rowid; rc = sqlite3_step(st))
                gone.push_back(sqlite3_column_int64(st, 0));
            if (rc == SQLITE_ROW && sqlite3_column_int64(st, 0) == rowid) {
                if (!rows.sameAs(st, 1)) {
                    gone.push_back(rowid);
                    added.push_back(rowid);
                }
                rc = sqlite3_step(st);
            } else {
                added.push_back(rowid);
            }
            if (gone.size() + added.size() > limit) return InPlace::Unsuitable;
        }
        if (!rows.ok()) return failure.set(rows.error()), InPlace::Failed;
        for (; rc == SQLITE_ROW; rc = sqlite3_step(st)) gone.push_back(sqlite3_column_int64(st, 0));
        if (rc != SQLITE_DONE) return InPlace::Unsuitable;
        if (gone.size() + added.size() > limit) return InPlace::Unsuitable;
        *total = rows.total();
        *valid = rows.valid();
    }

    sql::Savepoint step(db, QStringLiteral("restore_in_place"));
    if (!step.isActive()) return failure.set(db.lastError()), InPlace::Failed;
    {
        sql::Statement drop(db, QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(target));
        for (qint64 rowid : gone) {
            drop.bind(1, (long long)rowid);
            if (!drop.run()) return failure.set(drop.error()), InPlace::Failed;
            drop.reset();
        }
    }
    if (!added.empty()) {
        QStringList marks;
        for (int i = 0; i <= fields; ++i) marks << QStringLiteral("?%1").arg(i + 1);
        // No conflict clause: a key met twice means the package holds it twice.
        const Prepared insert =
            prepare(db, QStringLiteral("INSERT INTO %1 (rowid, %2) VALUES (%3)")
                            .arg(target, fieldNames(table).join(QStringLiteral(", ")),
                                 marks.join(QStringLiteral(", "))));
        sqlite3_stmt* to = insert.get();
        if (!to) return failure.set(db.lastError()), InPlace::Failed;
        SourceRows rows(source, fields);
        size_t next = 0;
        while (next < added.size() && rows.next()) {
            if (rows.rowid() != added[next]) continue;
            ++next;
            sqlite3_bind_int64(to, 1, rows.rowid());
            rows.bind(to, 2);
            const int rc = sqlite3_step(to);
            sqlite3_reset(to);
            if (rc == SQLITE_CONSTRAINT) {
                step.rollback();
                return InPlace::Unsuitable;
            }
            if (rc != SQLITE_DONE) return failure.set(db.lastError()), InPlace::Failed;
        }
        if (!rows.ok()) return failure.set(rows.error()), InPlace::Failed;
        if (next != added.size())
            return failure.set(QStringLiteral("the package changed while it was read")),
                   InPlace::Failed;
    }
    if (!step.release(&failure.text)) return InPlace::Failed;
    return InPlace::Written;
}

// Empties the store's table and appends the package's rows, at their package row numbers when
// those are in order and in range (else at new numbers in the same order); a key met again
// replaces the fields of its first row.
bool restoreByAppend(sql::Database& db, const schema::Table& table, const RowSource& source,
                     Failure& failure, qint64* total, qint64* valid)
{
    const QString target = qualified(table);
    const int fields = int(table.fields.size());
    const QString onConflict = upsertClause(table);
    QStringList marks;
    for (int i = 0; i <= fields; ++i) marks << QStringLiteral("?%1").arg(i + 1);
    const QString names = fieldNames(table).join(QStringLiteral(", "));
    for (const bool keepRowids : {true, false}) {
        sql::Savepoint step(db, QStringLiteral("restore_by_append"));
        if (!step.isActive()) return failure.set(db.lastError());
        {
            SchemaPragma quickFree(db, QStringLiteral("secure_delete"), kFreeWithoutZeros,
                                   {table.schemaName});
            if (!run(db, QStringLiteral("DELETE FROM ") + target, failure)) return false;
        }
        // Without the row numbers the fields still take ?2, ?3, ...
        const Prepared insert = prepare(
            db, keepRowids
                    ? QStringLiteral("INSERT INTO %1 (rowid, %2) VALUES (%3)%4")
                          .arg(target, names, marks.join(QStringLiteral(", ")), onConflict)
                    : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)%4")
                          .arg(target, names, marks.mid(1).join(QStringLiteral(", ")), onConflict));
        sqlite3_stmt* to = insert.get();
        if (!to) return failure.set(db.lastError());
        SourceRows rows(source, fields);
        qint64 last = 0;
        bool numbersKept = true;
        while (rows.next()) {
            if (keepRowids) {
                numbersKept = rows.rowid() > last && rows.rowid() <= kHighestKeptRowid;
                if (!numbersKept) break;
                last = rows.rowid();
                sqlite3_bind_int64(to, 1, rows.rowid());
            }
            rows.bind(to, 2);
            const int rc = sqlite3_step(to);
            sqlite3_reset(to);
            if (rc != SQLITE_DONE) return failure.set(db.lastError());
        }
        if (!numbersKept) {
            step.rollback();
            continue;
        }
        if (!rows.ok()) return failure.set(rows.error());
        *total = rows.total();
        *valid = rows.valid();
        return step.release(&failure.text);
    }
    return failure.set(QStringLiteral("no row numbers for ") + table.name);
}

// A restore's write of one table: the package's rows at their package row numbers, in place
// where the store holds most of them already, else after an emptying. Counted as added, as
// into an empty store.
bool restoreTable(sql::Database& db, const schema::Table& table, const QString& path,
                  TableCounts& counts, Failure& failure, const NewNumbers& numbers)
{
    const QStringList names = fieldNames(table);
    const bool streamed = streamedAfterEmptying(table);
    sql::Database package;
    RowSource source;
    if (streamed) {
        QString error;
        if (!OpenUntrusted(package, path, &error)) return failure.set(error);
        source = fileSource(table, package, &numbers);
    } else {
        // Renumbered in its temporary copy, which kept the package's row numbers.
        const QString temp = QStringLiteral("temp.") + sql::quoteIdentifier(tempName(table));
        qint64 total = 0, valid = 0;
        if (!count(db, QStringLiteral("SELECT COUNT(*) FROM %1").arg(temp), &total, failure) ||
            !count(db,
                   QStringLiteral("SELECT COUNT(*) FROM %1 p WHERE %2")
                       .arg(temp, keyPresent(table, QStringLiteral("p."))),
                   &valid, failure))
            return false;
        counts.inPackage += total;
        counts.notTaken += total - valid;
        counts.added += valid;
        source.handle = db.handle();
        const QString columns = names.join(QStringLiteral(", "));
        source.select =
            (table.primaryKey.isEmpty()
                 // Words: the last package row of a number is the one that stays.
                 ? QStringLiteral("SELECT p.rowid, %2 FROM %1 p WHERE p.rowid IN (SELECT "
                                  "MAX(q.rowid) FROM %1 q WHERE %3 GROUP BY q.\"WNo\") ORDER BY "
                                  "p.rowid")
                       .arg(temp, columns, keyPresent(table, QStringLiteral("q.")))
                 : QStringLiteral("SELECT p.rowid, %2 FROM %1 p WHERE %3 ORDER BY p.rowid")
                       .arg(temp, columns, keyPresent(table, QStringLiteral("p."))))
                .toUtf8();
    }
    qint64 total = 0, valid = 0;
    const InPlace inPlace = restoreInPlace(db, table, session().store.pathOf(table.fileName),
                                           source, failure, &total, &valid);
    if (inPlace == InPlace::Failed) return false;
    if (inPlace == InPlace::Unsuitable &&
        !restoreByAppend(db, table, source, failure, &total, &valid))
        return false;
    if (streamed) {
        counts.inPackage += total;
        counts.notTaken += total - valid;
        counts.added += valid;
    }
    return true;
}

void dropTemps(sql::Database& db)
{
    for (const schema::Table& table : schema::tables())
        db.exec(QStringLiteral("DROP TABLE IF EXISTS temp.") +
                sql::quoteIdentifier(tempName(table)));
    db.exec(QStringLiteral("DROP TABLE IF EXISTS temp.renum"));
    db.exec(QStringLiteral("DROP TABLE IF EXISTS temp.touched"));
}

}  // namespace

Renumbering ReIdentify(const std::vector<PackageWord>& words,
                       const QHash<QString, qint64>& storeWords, qint64 storeHighest)
{
    Renumbering result;
    result.newNumbers.reserve(words.size());
    qint64 last = 0;
    for (size_t i = 0; i < words.size(); ++i) {
        const PackageWord& w = words[i];
        qint64 c;
        auto found = w.word.isNull() ? storeWords.cend() : storeWords.constFind(w.word);
        if (found != storeWords.cend()) {
            c = found.value();
        } else {
            c = storeHighest + 1;
            if (last >= c) c = last + 1;
            last = c;
        }
        result.newNumbers.push_back(c);
        if (w.number && !result.uses.contains(*w.number))
            result.uses.insert(*w.number, {c, int(i)});
    }
    return result;
}

qint64 RestoreResult::notTaken() const
{
    qint64 n = 0;
    for (const TableCounts& c : tables) n += c.notTaken;
    return n;
}

QString RestoreResult::summary() const
{
    QStringList lines;
    for (const TableCounts& c : tables)
        lines << QStringLiteral("%1: %2 in package, %3 added, %4 replaced, %5 not taken")
                     .arg(c.table)
                     .arg(c.inPackage)
                     .arg(c.added)
                     .arg(c.replaced)
                     .arg(c.notTaken);
    return lines.join(QLatin1Char('\n'));
}

RestoreHooks& restoreHooks() { return session().part<RestoreHooks>(); }

namespace {

constexpr int kHelpRestore = 30170;

// A reason may quote names from the package: no control character of theirs reaches the
// screen or the terminal.
QString printable(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = QLatin1Char('?');
    return out;
}

void notOk(RestoreRun& run, const QString& why)
{
    run.problem = printable(why);
    ShowInfo(run.problem.isEmpty() ? kArchiveNotOk
                                   : kArchiveNotOk + QStringLiteral("\r\n") + run.problem,
             QString(), kError, kHelpRestore);
}

// Restore's questions before anything is emptied: its own, then Clear All Data's. Declining
// Clear All Data's keeps the store and goes on as a merge.
bool askRestoreQuestions(RestoreMode& mode)
{
    if (!AskYesDefault(
            QStringLiteral("Next step will be to erase the current data base. Continue?"),
            kHelpRestore))
        return false;
    const int items = StoreItemCount();
    if (items >= 2 &&
        !(AskYesDefault(QStringLiteral("This command will remove all data. A regular backup will "
                                       "be made first if the database is not empty."),
                        kHelpRestore) &&
          AskYesDefault(
              QStringLiteral("Very last warning: OK to delete all data in the data base?"),
              kHelpRestore))) {
        mode = RestoreMode::Merge;
        return true;
    }
    // A store that holds items is never emptied without the offer of a backup.
    if (items > 0 && restoreHooks().offerBackup && !restoreHooks().offerBackup()) return false;
    return true;
}

}  // namespace

RestoreRun RunPackageImport(const RestoreRequest& request)
{
    RestoreRun run;
    run.mode = request.mode;
    Session& s = session();
    if (UnzipProgram().isEmpty()) {
        ShowInfo(
            QStringLiteral(
                "This routine requires ZIP.exe or UNZIP.exe, get from Help/Online/Download file"),
            QStringLiteral("sd85"), kInformation, kHelpRestore);
        notOk(run, QStringLiteral("no unzip program was found"));
        return run;
    }
    if (!LooksLikePackageName(request.path)) {
        ShowInfo(QStringLiteral("Select a correct QB archive file!"), QString(), kError,
                 kHelpRestore);
        notOk(run, QStringLiteral("the name ends neither in .zip nor in .exe"));
        run.outcome = RestoreOutcome::WrongName;
        return run;
    }
    PackageImport import;
    s.messenger().setWaitCursor(true);
    s.hooks.banner(QStringLiteral("If there are problems, wait for time-out"));
    const bool prepared = import.prepare(request.path);
    s.hooks.noBanner();
    s.messenger().setWaitCursor(false);
    if (!prepared || s.flags.stopped()) {
        notOk(run, prepared ? QStringLiteral("stopped") : import.problem());
        return run;
    }
    // The old form holds no more than an export: bringing it in alone would lose the store.
    // The answer decides what is done, so the CLI is asked too (its --yes answers Yes).
    if (run.mode == RestoreMode::Restore && import.oldForm()) {
        PlainMessage(QStringLiteral("OBSOLETE CODE 15428"));
        if (!AskYesDefault(
                QStringLiteral("This is \"EXPORT\" project data - do you want to add instead?"),
                kHelpRestore)) {
            notOk(run, QStringLiteral("an old-form package is added, never restored"));
            return run;
        }
        run.mode = RestoreMode::Merge;
    }
    if (request.ask && run.mode == RestoreMode::Restore && !askRestoreQuestions(run.mode)) {
        run.outcome = RestoreOutcome::Declined;
        return run;
    }
    if (run.mode == RestoreMode::Merge) run.changedTexts = import.changedItemTexts();
    if (request.ask) {
        QString question = QStringLiteral("Will add/replace with data from: ") + request.path +
                           QStringLiteral(
                               "? \r\nNOTE: This operation will lock the PC for "
                               "some time");
        if (run.changedTexts != 0)
            question += QStringLiteral("\r\n") + changedTextsLine(run.changedTexts);
        if (!AskNoDefault(question, kHelpRestore)) {
            run.outcome = RestoreOutcome::Declined;
            return run;
        }
    } else if (run.mode == RestoreMode::Merge && restoreHooks().confirmChangedTexts &&
               !restoreHooks().confirmChangedTexts(run.changedTexts)) {
        run.outcome = RestoreOutcome::Declined;
        return run;
    }
    // Without questions (the CLI took --yes) the backup before the emptying is still made.
    if (!request.ask && run.mode == RestoreMode::Restore && StoreItemCount() > 0 &&
        restoreHooks().offerBackup && !restoreHooks().offerBackup()) {
        run.outcome = RestoreOutcome::Declined;
        return run;
    }
    if (import.oldForm()) PlainMessage(QStringLiteral("OBSOLETE CODE 25146"));
    s.messenger().setWaitCursor(true);
    run.result = import.apply(run.mode, request.progress);
    s.messenger().setWaitCursor(false);
    if (!run.result.committed) {
        ShowInfo(QStringLiteral("The package was not taken, the store is as it was: ") +
                     run.result.problem,
                 QStringLiteral("sd244"), kError, kHelpRestore);
        run.outcome = RestoreOutcome::Failed;
        return run;
    }
    if (run.result.notTaken() > 0)
        ShowInfo(QStringLiteral("Rows not taken from the package:\r\n") + run.result.summary(),
                 QStringLiteral("sd232b"), kInformation, kHelpRestore);
    // The bar is full when "Done" says so, not left at the append's last step.
    if (request.progress) request.progress(100);
    ShowInfo(QStringLiteral("Done, pls press Ctrl+S if needed to see changes after the operation"),
             QStringLiteral("sd232"), kInformation, kHelpRestore);
    run.outcome = RestoreOutcome::Done;
    return run;
}

QString changedTextsLine(qint64 count)
{
    if (count < 0) return QStringLiteral("It could not be told how many items get another text.");
    return QStringLiteral(
               "%1 items of this store will get the package's text instead of their own.")
        .arg(count);
}

bool LooksLikePackageName(const QString& path)
{
    const QString name = QFileInfo(path).fileName().toUpper();
    return name.contains(QStringLiteral(".ZIP")) || name.contains(QStringLiteral(".EXE"));
}

bool IsSelfExtractingName(const QString& path)
{
    const QString name = QFileInfo(path).fileName().toUpper();
    return name.contains(QStringLiteral(".EXE")) && !name.contains(QStringLiteral(".ZIP"));
}

PackageImport::~PackageImport()
{
    if (session().store.isOpen()) dropTemps(session().store.db());
    ClearScratch();
}

bool PackageImport::prepare(const QString& zipPath)
{
    prepared_ = false;
    problem_.clear();
    auto fail = [&](const QString& why) {
        problem_ = why;
        return false;
    };
    if (IsSelfExtractingName(zipPath)) return fail(kSelfExtractingRefused);
    const PackageListing listing = CheckPackageListing(zipPath);
    if (!listing.ok()) return fail(listing.problem);
    ClearScratch();
    QString why;
    if (!UnpackPackage(zipPath, listing, &why)) return fail(why);
    state_ = VerifyUnpacked();
    if (!state_.valid) return fail(QStringLiteral("the package lacks a required table"));
    for (const char* name : kCheckOrder) {
        const QString path = UnpackedFile(QString::fromLatin1(name));
        if (path.isEmpty()) continue;
        if (!CheckUnpackedTable(path, QString::fromLatin1(name), &why)) return fail(why);
    }
    prepared_ = true;
    return true;
}

qint64 PackageImport::changedItemTexts() const
{
    const QString path = prepared_ ? UnpackedFile(QStringLiteral("ITEM")) : QString();
    Store& store = session().store;
    if (path.isEmpty() || !store.isOpen()) return -1;
    sql::Database package;
    if (!OpenUntrusted(package, path, nullptr)) return -1;
    // One read for all the look-ups: each on its own would take and drop the lock and look
    // for a journal again.
    sql::Savepoint reading(store.db(), QStringLiteral("changed_texts"));
    // Matched as the append matches them: by id, the text compared with its type.
    sqlite3_stmt* from = nullptr;
    sqlite3_stmt* probe = nullptr;
    bool ok =
        sqlite3_prepare_v2(package.handle(),
                           "SELECT \"IT\", \"TX\" FROM \"ITEM\" WHERE \"IT\" IS NOT NULL", -1,
                           &from, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(store.db().handle(),
                           "SELECT 1 FROM main.\"ITEM\" WHERE \"IT\" = ?1 AND \"TX\" IS NOT ?2", -1,
                           &probe, nullptr) == SQLITE_OK;
    qint64 changed = 0;
    int rc = SQLITE_OK;
    while (ok && (rc = sqlite3_step(from)) == SQLITE_ROW) {
        sqlite3_bind_value(probe, 1, sqlite3_column_value(from, 0));
        sqlite3_bind_value(probe, 2, sqlite3_column_value(from, 1));
        const int found = sqlite3_step(probe);
        if (found == SQLITE_ROW)
            ++changed;
        else if (found != SQLITE_DONE)
            ok = false;
        sqlite3_reset(probe);
    }
    if (rc != SQLITE_DONE) ok = false;
    sqlite3_finalize(from);
    sqlite3_finalize(probe);
    reading.release();
    return ok ? changed : -1;
}

RestoreResult PackageImport::apply(RestoreMode mode, const ProgressFn& progress)
{
    RestoreResult result;
    auto report = [&](int value) {
        if (progress) progress(value);
    };
    if (!prepared_) {
        result.problem = problem_.isEmpty() ? kArchiveNotOk : problem_;
        return result;
    }
    Session& s = session();
    Store& store = s.store;
    if (!store.isOpen()) {
        result.problem = QStringLiteral("the store is not open");
        return result;
    }
    sql::Database& db = store.db();
    Failure failure;

    std::vector<const schema::Table*> appended;
    for (const char* name :
         state_.oldForm
             ? std::vector<const char*>(std::begin(kOldFormAppendOrder),
                                        std::end(kOldFormAppendOrder))
             : std::vector<const char*>(std::begin(kAppendOrder), std::end(kAppendOrder)))
        if (!UnpackedFile(QString::fromLatin1(name)).isEmpty())
            appended.push_back(schema::find(QString::fromLatin1(name)));
    const bool withInflec = state_.inflecPresent && !state_.oldForm;
    std::vector<const schema::Table*> loaded = appended;
    if (withInflec) loaded.push_back(schema::find(QStringLiteral("INFLEC")));

    SchemaPragma cache(db, QStringLiteral("cache_size"), kLargerCache);
    // The temporary copies are scratch: nothing to clean when they go.
    SchemaPragma scratch(db, QStringLiteral("secure_delete"), kFreeWithoutZeros,
                         {QStringLiteral("temp")});
    // The renumbered tables (and the keys of the others) go into temporary tables first:
    // reading them takes no lock on the store's files, so other programs write on meanwhile.
    // A restore, which replaces nothing, streams the keyword links and the tables not
    // renumbered from their files during the append instead. These copies and the append write
    // the package's tables afresh; nothing reads a package file's own indexes.
    bool ok = true;
    for (const schema::Table* table : loaded) {
        if (!store.isAttached(table->name) && !store.attachTable(*table, true)) {
            ok = failure.set(QStringLiteral("the store has no table ") + table->name);
            break;
        }
    }
    if (ok) {
        sql::Transaction load(db, false);
        ok = load.isActive();
        // Reading the package is most of the work: the bar moves with it.
        for (size_t i = 0; ok && i < loaded.size(); ++i) {
            report(int(80 * i / loaded.size()));
            // After an emptying nothing is replaced: the counts need no keys of the package.
            if (mode == RestoreMode::Restore && streamedAfterEmptying(*loaded[i])) continue;
            ok = loadIntoTemp(db, *loaded[i], UnpackedFile(loaded[i]->name), failure);
        }
        if (ok) ok = load.commit(&failure.text);
    }
    for (const schema::Table* table : loaded) result.tables.push_back({table->name});

    if (ok) {
        sql::Transaction transaction(db);
        ok = transaction.isActive() || failure.set(db.lastError());
        // A restore empties every table; both empty the queue of scheduled items first.
        if (ok && ScheduleAvailable() && !ClearSchedule()) ok = failure.set(db.lastError());
        const bool emptied = mode == RestoreMode::Restore;
        if (emptied) {
            // The package's own tables are written over in place, table by table.
            SchemaPragma quickFree(db, QStringLiteral("secure_delete"), kFreeWithoutZeros);
            for (const schema::Table& table : schema::tables())
                if (ok && store.isAttached(table.name) && table.name != QStringLiteral("SCHED") &&
                    !loadedTable(appended, table.name))
                    ok = run(db, QStringLiteral("DELETE FROM ") + qualified(table), failure);
        }
        report(85);
        QStringList useTables{QStringLiteral("DICT")};
        if (!emptied) useTables << QStringLiteral("ITEMKEYS");
        if (withInflec) useTables << QStringLiteral("INFLEC");
        const bool hasWords = !UnpackedFile(QStringLiteral("WORD")).isEmpty();
        NewNumbers numbers;
        if (ok) ok = renumber(db, useTables, hasWords, emptied, result.tables, numbers, failure);
        if (ok && !emptied) ok = noteTouchedWords(db, loaded, failure);
        report(90);
        for (size_t i = 0; ok && i < appended.size(); ++i) {
            if (s.flags.stopped()) ok = failure.set(QStringLiteral("stopped"));
            TableCounts* counts = nullptr;
            for (TableCounts& c : result.tables)
                if (c.table == appended[i]->name) counts = &c;
            if (ok)
                ok = emptied ? restoreTable(db, *appended[i], UnpackedFile(appended[i]->name),
                                            *counts, failure, numbers)
                             : appendTable(db, *appended[i], UnpackedFile(appended[i]->name),
                                           *counts, failure);
            const QString name = appended[i]->name;
            if (name == QStringLiteral("ITEMKEYS")) report(state_.oldForm ? 93 : 91);
            if (name == QStringLiteral("DICT")) report(state_.oldForm ? 95 : 93);
            if (name == QStringLiteral("WORD") && !state_.oldForm) report(95);
        }
        if (ok && store.isAttached(QStringLiteral("INFLEC"))) {
            report(97);
            FillInflec();
            if (withInflec)
                ok = appendTable(db, *schema::find(QStringLiteral("INFLEC")),
                                 UnpackedFile(QStringLiteral("INFLEC")), result.tables.back(),
                                 failure);
        }
        if (ok && store.isAttached(QStringLiteral("WORD")) &&
            store.isAttached(QStringLiteral("ITEMKEYS")))
            ok = refreshFrequencies(db, failure, emptied);
        if (ok) ok = transaction.commit(&failure.text);
        if (!ok) transaction.rollback();
    }
    dropTemps(db);
    if (ok) {
        result.committed = true;
        report(99);
    } else {
        result.problem = failure.text.isEmpty() ? QStringLiteral("failed") : failure.text;
        for (TableCounts& c : result.tables) c = TableCounts{c.table};
    }
    return result;
}

}  // namespace qb
