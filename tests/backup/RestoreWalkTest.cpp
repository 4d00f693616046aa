// The renumbering and append by set operations against the word-by-word walk they replace: on
// random small stores and packages with clashing numbers, shared words and inflections, every
// row of the store afterwards must be the walk's, with the frequency marks fresh.

#include "backup/Restore.h"

#include "session/Session.h"
#include "store/Schema.h"
#include "support/StoreFixture.h"

#include "RestoreSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <random>

using namespace qb;

namespace {

const QStringList kVocabulary = {"tree", "Tree", "bush", "leaf", "root", "stem", "bark", "moss"};

// ---- the walk, row by row, as the restore was first written -----------------------------------

bool tryRun(sql::Database& db, const QString& sql, const QVariantList& values)
{
    sql::Statement st(db, sql);
    for (int i = 0; i < values.size(); ++i) st.bindVariant(i + 1, values[i]);
    return st.run();
}

std::vector<QVariantList> select(sql::Database& db, const QString& sql,
                                 const QVariantList& values = {})
{
    sql::Statement st(db, sql);
    for (int i = 0; i < values.size(); ++i) st.bindVariant(i + 1, values[i]);
    std::vector<QVariantList> out;
    while (st.next()) {
        QVariantList row;
        for (int c = 0; c < st.columnCount(); ++c) row << st.value(c);
        out.push_back(row);
    }
    EXPECT_TRUE(st.ok()) << sql.toStdString() << st.error().toStdString();
    return out;
}

// Sets a use row's number; a row that would then repeat another's key is dropped.
void setNumber(sql::Database& pkg, const QString& table, qint64 rowid, qint64 number)
{
    if (!tryRun(pkg, QStringLiteral("UPDATE %1 SET WNo = ?1 WHERE rowid = ?2").arg(table),
                {number, rowid}))
        tryRun(pkg, QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(table), {rowid});
}

void literalWalk(sql::Database& pkg, sql::Database& store)
{
    qint64 handedOut = 0;
    for (const QVariantList& w : select(pkg, "SELECT rowid, Word, WNo FROM WORD ORDER BY rowid")) {
        qint64 c = -1;
        for (const QVariantList& s : select(store, "SELECT Word, WNo FROM WORD ORDER BY rowid"))
            if (!w[1].isNull() && !s[0].isNull() && s[0].toString() == w[1].toString()) {
                c = s[1].toLongLong();
                break;
            }
        if (c < 0) {
            const auto last = select(store, "SELECT MAX(WNo) FROM WORD");
            c = (last.empty() || last[0][0].isNull() ? 0 : last[0][0].toLongLong()) + 1;
            if (handedOut >= c) c = handedOut + 1;
            handedOut = c;
        }
        tryRun(pkg, "UPDATE WORD SET WNo = ?1 WHERE rowid = ?2", {c, w[0]});
        if (w[2].isNull()) continue;
        const qint64 a = w[2].toLongLong();
        for (const QString& table : {QStringLiteral("ITEMKEYS"), QStringLiteral("DICT")})
            for (const QVariantList& r :
                 select(pkg,
                        QStringLiteral("SELECT rowid FROM %1 WHERE WNo = ?1 ORDER BY rowid")
                            .arg(table),
                        {a}))
                setNumber(pkg, table, r[0].toLongLong(), -c);
        for (;;) {
            const auto r =
                select(pkg, "SELECT rowid FROM INFLEC WHERE WNo = ?1 ORDER BY rowid", {a});
            if (r.empty()) break;
            setNumber(pkg, QStringLiteral("INFLEC"), r[0][0].toLongLong(), -c);
        }
    }
    for (const QString& table :
         {QStringLiteral("ITEMKEYS"), QStringLiteral("DICT"), QStringLiteral("INFLEC")})
        for (const QVariantList& r :
             select(pkg, QStringLiteral("SELECT rowid, WNo FROM %1 WHERE WNo < 0 ORDER BY rowid")
                             .arg(table)))
            setNumber(pkg, table, r[0].toLongLong(), -r[1].toLongLong());
}

// Row after row: a row whose key the store has replaces it, any other is added.
void literalAppend(sql::Database& pkg, const QString& pkgSchema, sql::Database& store,
                   const schema::Table& table)
{
    const QStringList key =
        table.primaryKey.isEmpty() ? QStringList{QStringLiteral("WNo")} : table.primaryKey;
    QStringList names, marks, match, find, sets;
    for (const schema::Field& f : table.fields) {
        names << sql::quoteIdentifier(f.name);
        marks << QStringLiteral("?%1").arg(names.size());
    }
    QList<int> keyColumns;
    for (const QString& k : key) {
        keyColumns << names.indexOf(sql::quoteIdentifier(k));
        match << sql::quoteIdentifier(k) + QStringLiteral(" = ?%1").arg(keyColumns.last() + 1);
        find << sql::quoteIdentifier(k) + QStringLiteral(" = ?%1").arg(keyColumns.size());
    }
    for (int i = 0; i < names.size(); ++i) sets << names[i] + QStringLiteral(" = ?%1").arg(i + 1);
    for (const QVariantList& row :
         select(pkg, QStringLiteral("SELECT %1 FROM %2.%3 ORDER BY rowid")
                         .arg(names.join(','), pkgSchema, sql::quoteIdentifier(table.name)))) {
        QVariantList keyValues;
        for (int c : keyColumns) keyValues << row[c];
        const auto found = select(store,
                                  QStringLiteral("SELECT 1 FROM %1 WHERE %2")
                                      .arg(sql::quoteIdentifier(table.name), find.join(" AND ")),
                                  keyValues);
        if (found.empty())
            EXPECT_TRUE(
                tryRun(store,
                       QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                           .arg(sql::quoteIdentifier(table.name), names.join(','), marks.join(',')),
                       row));
        else
            EXPECT_TRUE(tryRun(
                store,
                QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                    .arg(sql::quoteIdentifier(table.name), sets.join(','), match.join(" AND ")),
                row));
    }
}

// ---- random stores ------------------------------------------------------------------------------

struct Random {
    std::mt19937 gen;
    int operator()(int n) { return int(gen() % unsigned(n)); }
};

void fill(Random& r, const std::function<void(const QString&, const QVariantList&)>& exec,
          int idBase)
{
    const int words = 2 + r(7);
    QList<int> numbers;
    for (int i = 0; i < words; ++i) {
        const int n = 1 + r(12);  // old numbers clash with each other and with the store's
        numbers << n;
        exec("INSERT INTO WORD VALUES (?1, ?2, ?3, ?4, ?5)",
             {kVocabulary[r(kVocabulary.size())], n, -46000.0 - r(100), 1 - r(3), -1.0});
    }
    auto someNumber = [&] { return r(5) == 0 ? 1 + r(14) : numbers[r(numbers.size())]; };
    for (int c = 0; c < 3; ++c)
        for (int k = 0; k < 4; ++k)
            exec("INSERT OR IGNORE INTO DICT VALUES (?1, ?2, ?3)",
                 {-45000.0 - idBase - c, someNumber(), -45000.0 - r(50)});
    for (int i = 0; i < 4; ++i) {
        const double it = -46000.0 - idBase - i * 0.5 - (r(3) == 0 ? 0 : 0.25 * idBase);
        exec("INSERT OR REPLACE INTO ITEM VALUES (?1, ?2, ?1, NULL)",
             {it, QStringLiteral("text %1").arg(r(100))});
        for (int k = 1; k <= 1 + r(3); ++k)
            exec("INSERT OR REPLACE INTO ITEMKEYS VALUES (?1, ?2, ?3, ?4)",
                 {it, k, -45000.0 - idBase, someNumber()});
    }
    for (int i = 0; i < 6; ++i)
        exec("INSERT OR IGNORE INTO INFLEC VALUES (?1, ?2)",
             {kVocabulary[r(kVocabulary.size())] + (r(2) ? "s" : ""), someNumber()});
}

// Every word's frequency mark as the start computes it.
const QString kFreshMarks = QStringLiteral(
    "UPDATE WORD SET WFQ = COALESCE((SELECT -COUNT(k.IT) FROM ITEMKEYS k WHERE k.WNo = WORD.WNo "
    "GROUP BY k.WNo), 1)");

class RestoreWalk : public test::StoreFixture {};

TEST_F(RestoreWalk, TheSetOperationsLeaveEveryRowTheWalkLeaves)
{
    const QString base = dir() + QStringLiteral("-walk");
    for (int round = 0; round < 20; ++round) {
        Random r{std::mt19937(unsigned(round) * 7919u + 17u)};
        const RestoreMode mode = round % 4 == 3 ? RestoreMode::Restore : RestoreMode::Merge;
        // The store, and a copy of it for the walk.
        for (const schema::Table& t : schema::tables())
            exec(QStringLiteral("DELETE FROM ") + sql::quoteIdentifier(t.name));
        exec(QStringLiteral("BEGIN"));
        fill(
            r, [&](const QString& s, const QVariantList& v) { exec(s, v); }, 0);
        exec(QStringLiteral("COMMIT"));
        // Marks fresh before, so that after the bring-in every mark must be fresh again.
        exec(kFreshMarks);
        const QString expectedDir = base + QStringLiteral("/expected%1").arg(round);
        QDir().mkpath(expectedDir);
        for (const schema::Table& t : schema::tables())
            ASSERT_TRUE(QFile::copy(path(t.fileName), QDir(expectedDir).filePath(t.fileName)));

        test::PackageSource src(base + QStringLiteral("/package%1").arg(round));
        src.exec(QStringLiteral("BEGIN"));
        fill(
            r, [&](const QString& s, const QVariantList& v) { src.exec(s, v); }, round % 2 ? 0 : 7);
        src.exec(QStringLiteral("COMMIT"));
        const QString zip = src.zip(base + QStringLiteral("/p%1.zip").arg(round));

        // The walk on copies of the package files, appended into the copy of the store.
        const QString walkDir = base + QStringLiteral("/walk%1").arg(round);
        QDir().mkpath(walkDir);
        for (const QString& f : test::PackageSource::packageFiles())
            ASSERT_TRUE(QFile::copy(QDir(src.dir).filePath(f), QDir(walkDir).filePath(f)));
        Store expected;
        ASSERT_TRUE(expected.open(expectedDir));
        ASSERT_TRUE(expected.db().exec(QStringLiteral("PRAGMA synchronous=OFF; BEGIN")));
        {
            sql::Database pkg;
            ASSERT_TRUE(pkg.open(QDir(walkDir).filePath("WORD.DB"), false));
            for (const char* table : {"ITEMKEYS", "DICT", "INFLEC"}) {
                const QString t = QString::fromLatin1(table);
                ASSERT_TRUE(pkg.attach(QDir(walkDir).filePath(t + ".DB"), t.toLower(), false));
            }
            ASSERT_TRUE(pkg.exec(QStringLiteral("BEGIN")));
            if (mode == RestoreMode::Restore) {
                for (const schema::Table& t : schema::tables()) {
                    ASSERT_TRUE(expected.db().exec(QStringLiteral("DELETE FROM ") +
                                                   sql::quoteIdentifier(t.name)));
                }
            }
            literalWalk(pkg, expected.db());
            ASSERT_TRUE(pkg.exec(QStringLiteral("COMMIT")));
        }
        for (const char* table : {"ITEM", "ITEMKEYS", "ITEMURL", "DICT", "PROJECT", "WORD",
                                  "ITMSJMP", "SHOW", "PRJORDR"}) {
            const QString name = QString::fromLatin1(table);
            sql::Database pkg;
            ASSERT_TRUE(pkg.open(QDir(walkDir).filePath(name + QStringLiteral(".DB")), false));
            literalAppend(pkg, QStringLiteral("main"), expected.db(), *schema::find(name));
        }
        ASSERT_TRUE(expected.db().exec(
            "INSERT OR IGNORE INTO INFLEC SELECT Word, WNo FROM WORD WHERE Word IS NOT NULL AND "
            "WNo IS NOT NULL ORDER BY rowid"));
        {
            sql::Database pkg;
            ASSERT_TRUE(pkg.open(QDir(walkDir).filePath("INFLEC.DB"), false));
            literalAppend(pkg, QStringLiteral("main"), expected.db(),
                          *schema::find(QStringLiteral("INFLEC")));
        }
        ASSERT_TRUE(expected.db().exec(kFreshMarks));
        ASSERT_TRUE(expected.db().exec(QStringLiteral("COMMIT")));

        messenger.allow(QStringLiteral("Rows not taken from the package"));
        messenger.allow(QStringLiteral("Done, pls press Ctrl+S"));
        const RestoreRun run = RunPackageImport({zip, mode, false, {}});
        ASSERT_EQ(run.outcome, RestoreOutcome::Done) << run.result.problem.toStdString();
        EXPECT_EQ(test::everyRow(session().store.db()), test::everyRow(expected.db()))
            << "round " << round;
    }
    QDir(base).removeRecursively();
}

}  // namespace
