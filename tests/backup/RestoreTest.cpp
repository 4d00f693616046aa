// Restore and merge of a package: word renumbering, the cases of one transaction, and hostile
// packages that must change nothing.

#include "backup/Maintenance.h"
#include "backup/Restore.h"

#include "platform/FileNames.h"
#include "session/ExecFile.h"
#include "session/Session.h"
#include "support/StoreFixture.h"

#include "RestoreSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <sqlite3.h>

using namespace qb;

namespace {

class RestoreTest : public test::StoreFixture {
protected:
    QString work(const QString& name) const
    {
        return QDir(dir()).filePath(QStringLiteral("../") + QFileInfo(dir()).fileName() +
                                    QStringLiteral("-") + name);
    }

    void TearDown() override
    {
        for (const QString& d : made_) QDir(d).removeRecursively();
        StoreFixture::TearDown();
    }

    test::PackageSource& source()
    {
        if (!source_) {
            made_ << work(QStringLiteral("src"));
            source_ = std::make_unique<test::PackageSource>(made_.last());
        }
        return *source_;
    }

    QString zipPath(const QString& name)
    {
        made_ << work(QStringLiteral("zips"));
        QDir().mkpath(made_.last());
        return QDir(made_.last()).filePath(name);
    }

    RestoreRun runQuietly(const QString& zip, RestoreMode mode)
    {
        messenger.expect(QStringLiteral("Done, pls press Ctrl+S"));
        RestoreRun run = RunPackageImport({zip, mode, false, {}});
        EXPECT_EQ(run.outcome, RestoreOutcome::Done) << run.result.problem.toStdString();
        return run;
    }

    QStringList storeRows() { return test::everyRow(session().store.db()); }

    std::unique_ptr<test::PackageSource> source_;
    QStringList made_;
};

TEST_F(RestoreTest, RestoringIntoAnEmptiedStoreNumbersThePackageWordsInItsOrder)
{
    addWord(3, QStringLiteral("old"));
    addItem(-46000.5L, QStringLiteral("old item"), {{-45000.0L, 3}});
    test::PackageSource& src = source();
    src.exec(
        QStringLiteral("INSERT INTO WORD VALUES ('zeta', 40, -1, 1, -1), ('alpha', 7, -1, 1, "
                       "-1), ('mid', 12, -1, 1, -1)"));
    src.exec(QStringLiteral("INSERT INTO ITEM VALUES (-46001.25, 'restored', -46001.25, NULL)"));
    src.exec(
        QStringLiteral("INSERT INTO ITEMKEYS VALUES (-46001.25, 1, -45001.5, 7), (-46001.25, "
                       "2, -45001.5, 40)"));
    src.exec(
        QStringLiteral("INSERT INTO DICT VALUES (-45001.5, 7, -45001.5), (-45001.5, 12, "
                       "-45001.5)"));
    src.exec(QStringLiteral("INSERT INTO INFLEC VALUES ('zetas', 40), ('alphas', 7)"));
    RestoreRun run =
        runQuietly(src.zip(zipPath(QStringLiteral("12091530.zip"))), RestoreMode::Restore);
    EXPECT_EQ(rows(QStringLiteral("SELECT Word, WNo FROM WORD ORDER BY WNo")),
              (QStringList{"zeta|1", "alpha|2", "mid|3"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT \"Order\", WNo FROM ITEMKEYS ORDER BY 1")),
              (QStringList{"1|2", "2|1"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT WNo FROM DICT ORDER BY 1")), (QStringList{"2", "3"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT Word, WNo FROM INFLEC ORDER BY 1")),
              (QStringList{"alpha|2", "alphas|2", "mid|3", "zeta|1", "zetas|1"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT TX FROM ITEM")), QStringList{"restored"});
    EXPECT_EQ(run.result.notTaken(), 0);
    EXPECT_FALSE(QFileInfo::exists(ScratchDir()));
}

// The rows of a statement on another store's connection, as rows() gives them.
QStringList rowsOf(sql::Database& db, const QString& sql)
{
    QStringList out;
    sql::Statement st(db, sql);
    while (st.next()) {
        QStringList fields;
        for (int i = 0; i < st.columnCount(); ++i) fields << st.value(i).toString();
        out << fields.join(QLatin1Char('|'));
    }
    EXPECT_TRUE(st.ok()) << st.error().toStdString();
    return out;
}

// The change counter of a store file's header: moves with every transaction that writes it.
QByteArray changeCounter(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) && f.seek(24) ? f.read(4) : QByteArray();
}

const QString kItemsByRow = QStringLiteral(
    "SELECT rowid, IT, TX, typeof(Animation), quote(Animation) FROM ITEM ORDER BY rowid");
const QString kKeysByRow =
    QStringLiteral("SELECT rowid, IT, \"Order\", WNo FROM ITEMKEYS ORDER BY rowid");

TEST_F(RestoreTest, ARestoreOverALikeStoreWritesOnlyTheRowsThatDiffer)
{
    test::PackageSource& src = source();
    src.exec(
        QStringLiteral("INSERT INTO WORD VALUES ('tree', 1, -1, 1, -2), ('bush', 2, -1, 1, "
                       "-1)"));
    for (int i = 0; i < 40; ++i)
        src.exec(
            QStringLiteral("INSERT INTO ITEM VALUES (?1, ?2, ?1, ?3)"),
            {-46100.0 - i, QStringLiteral("note %1").arg(i), i == 3 ? QVariant(5.0) : QVariant()});
    // A gap in the package's row numbers, as any store with a deleted item has.
    src.exec(QStringLiteral("DELETE FROM ITEM WHERE TX = 'note 7'"));
    src.exec(
        QStringLiteral("INSERT INTO ITEMKEYS SELECT IT, 1, -45000.0, 1 + rowid % 2 FROM ITEM "
                       "WHERE rowid % 3 = 0"));
    const QStringList packageItems = rowsOf(src.store.db(), kItemsByRow);
    const QStringList packageKeys = rowsOf(src.store.db(), kKeysByRow);
    const QString zip = src.zip(zipPath(QStringLiteral("like.zip")));

    addItem(-46000.5L, QStringLiteral("only in the store"), {});
    runQuietly(zip, RestoreMode::Restore);
    EXPECT_EQ(rows(kItemsByRow), packageItems);
    EXPECT_EQ(rows(kKeysByRow), packageKeys);
    const QStringList restored = storeRows();

    const QByteArray counter = changeCounter(path(QStringLiteral("ITEM.DB")));
    ASSERT_EQ(counter.size(), 4);
    runQuietly(zip, RestoreMode::Restore);
    EXPECT_EQ(changeCounter(path(QStringLiteral("ITEM.DB"))), counter)
        << "the items' file holds the package's rows already and is not written";
    EXPECT_EQ(storeRows(), restored);

    // The store moves on from its backup; the restore brings back exactly the backup.
    exec(QStringLiteral("UPDATE ITEM SET TX = 'edited' WHERE TX = 'note 1'"));
    exec(QStringLiteral("UPDATE ITEM SET Animation = 5 WHERE TX = 'note 3'"));  // 5, not 5.0
    exec(QStringLiteral("DELETE FROM ITEM WHERE TX = 'note 20'"));
    exec(QStringLiteral("INSERT INTO ITEM VALUES (-46999, 'new since', -46999, NULL)"));
    exec(
        QStringLiteral("UPDATE ITEMKEYS SET WNo = 3 - WNo WHERE rowid = (SELECT MIN(rowid) FROM "
                       "ITEMKEYS)"));
    exec(QStringLiteral("DELETE FROM ITEMKEYS WHERE rowid = (SELECT MAX(rowid) FROM ITEMKEYS)"));
    runQuietly(zip, RestoreMode::Restore);
    EXPECT_EQ(rows(kItemsByRow), packageItems);
    EXPECT_EQ(rows(kKeysByRow), packageKeys);
    EXPECT_EQ(storeRows(), restored);
}

TEST_F(RestoreTest, AStoreRowThatCannotBeReadIsRestoredOverNotInPlace)
{
    test::PackageSource& src = source();
    src.exec(
        QStringLiteral("INSERT INTO ITEM VALUES (-46300.5, 'from the backup', -46300.5, "
                       "NULL)"));
    const QString zip = src.zip(zipPath(QStringLiteral("repair.zip")));
    addItem(-46300.5L, QString(300, QLatin1Char('Q')), {});
    session().store.close();
    {
        // The record's header promises a text longer than the record: any read of it fails,
        // while the page itself stays sound.
        QFile file(path(QStringLiteral("ITEM.DB")));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        const QByteArray header("\x06\x07\x84\x65\x07\x00", 6);
        const qsizetype at = bytes.indexOf(header);
        ASSERT_GE(at, 0);
        bytes[at + 2] = char(0x8f);
        file.seek(0);
        file.write(bytes);
    }
    QString error;
    ASSERT_TRUE(session().store.open(dir(), &error)) << error.toStdString();
    ASSERT_FALSE(
        sql::Statement(session().store.db(), QStringLiteral("SELECT TX FROM ITEM")).next());
    runQuietly(zip, RestoreMode::Restore);
    EXPECT_EQ(rows(QStringLiteral("SELECT IT, TX FROM ITEM")),
              QStringList{"-46300.5|from the backup"});
}

TEST_F(RestoreTest, AStoreUnlikeThePackageIsEmptiedAndFilledInThePackagesOrder)
{
    for (int i = 0; i < 200; ++i)
        addItem(-47000.0L - i, QStringLiteral("store %1").arg(i), {{-45000.0L, 1}});
    test::PackageSource& src = source();
    src.exec(QStringLiteral("INSERT INTO WORD VALUES ('zeta', 40, -1, 1, -1)"));
    for (int i = 0; i < 100; ++i)
        src.exec(QStringLiteral("INSERT INTO ITEM (rowid, IT, TX, ITS) VALUES (?1, ?2, ?3, ?2)"),
                 {10 * (i + 1), -46200.0 - i, QStringLiteral("package %1").arg(i)});
    // A row number no store could count on past: the rows take new ones, in the same order.
    src.exec(
        QStringLiteral("INSERT INTO ITEM (rowid, IT, TX, ITS) VALUES (9007199254740993, "
                       "-46400, 'last', -46400)"));
    src.exec(
        QStringLiteral("INSERT INTO ITEMKEYS (rowid, IT, \"Order\", ITC, WNo) SELECT 1000 + "
                       "3 * ROW_NUMBER() OVER (ORDER BY rowid), IT, 1, -45001.0, 40 FROM ITEM"));
    const QStringList texts =
        rowsOf(src.store.db(), QStringLiteral("SELECT TX FROM ITEM ORDER BY rowid"));
    runQuietly(src.zip(zipPath(QStringLiteral("unlike.zip"))), RestoreMode::Restore);
    EXPECT_EQ(rows(QStringLiteral("SELECT TX FROM ITEM ORDER BY rowid")), texts);
    EXPECT_EQ(scalar(QStringLiteral("SELECT MAX(rowid) FROM ITEM")).toLongLong(), 101);
    EXPECT_EQ(rows(QStringLiteral("SELECT DISTINCT WNo FROM ITEMKEYS")), QStringList{"1"});
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM ITEMKEYS")).toInt(), 101);
    // Packaged rows keep their numbers where they can.
    EXPECT_EQ(scalar(QStringLiteral("SELECT MAX(rowid) FROM ITEMKEYS")).toInt(), 1303);
}

TEST_F(RestoreTest, MergeGivesSharedWordsTheStoreNumberAndNewOnesNumbersAboveIt)
{
    addWord(17, QStringLiteral("tree"));
    addWord(20, QStringLiteral("leaf"));
    test::PackageSource& src = source();
    src.exec(
        QStringLiteral("INSERT INTO WORD VALUES ('bush', 17, -1, 1, -1), ('tree', 3, -1, 1, "
                       "-1)"));
    src.exec(
        QStringLiteral("INSERT INTO ITEMKEYS VALUES (-46002.0, 1, -45002.0, 3), (-46002.0, 2, "
                       "-45002.0, 17)"));
    src.exec(QStringLiteral("INSERT INTO DICT VALUES (-45002.0, 3, -45002.0)"));
    runQuietly(src.zip(zipPath(QStringLiteral("pkg.zip"))), RestoreMode::Merge);
    EXPECT_EQ(rows(QStringLiteral("SELECT Word, WNo FROM WORD ORDER BY WNo")),
              (QStringList{"tree|17", "leaf|20", "bush|21"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT \"Order\", WNo FROM ITEMKEYS ORDER BY 1")),
              (QStringList{"1|17", "2|21"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT WNo FROM DICT")), QStringList{"17"});
}

TEST_F(RestoreTest, AWordRenumberedOntoAnotherOldNumberIsNotRenumberedTwice)
{
    for (int w = 1; w <= 8; ++w) addWord(w, QStringLiteral("store%1").arg(w));
    test::PackageSource& src = source();
    src.exec(
        QStringLiteral("INSERT INTO WORD VALUES ('first', 5, -1, 1, -1), ('x', 100, -1, 1, "
                       "-1), ('y', 101, -1, 1, -1), ('second', 9, -1, 1, -1)"));
    src.exec(
        QStringLiteral("INSERT INTO ITEMKEYS VALUES (-46003.0, 1, -45003.0, 5), (-46003.0, 2, "
                       "-45003.0, 9), (-46004.0, 1, -45003.0, 5)"));
    runQuietly(src.zip(zipPath(QStringLiteral("pkg.zip"))), RestoreMode::Merge);
    EXPECT_EQ(rows(QStringLiteral("SELECT Word, WNo FROM WORD WHERE WNo > 8 ORDER BY WNo")),
              (QStringList{"first|9", "x|10", "y|11", "second|12"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT IT, \"Order\", WNo FROM ITEMKEYS ORDER BY 1, 2")),
              (QStringList{"-46004|1|9", "-46003|1|9", "-46003|2|12"}));
}

TEST_F(RestoreTest, MergingAPackageIntoItsOwnStoreChangesNoRow)
{
    addWord(1, QStringLiteral("tree"), -46000.1, -1, -46000.2);
    addWord(2, QStringLiteral("bush"), -1, -1);
    addConcept(-45000.5L, {1, 2});
    addProject(QStringLiteral("GARDEN"), -45500.0L);
    addItem(-46000.5L, QStringLiteral("a note"), {{-45000.5L, 1}, {-45000.5L, 2}},
            {QStringLiteral("GARDEN")});
    exec(QStringLiteral("INSERT INTO INFLEC VALUES ('tree', 1), ('bush', 2), ('trees', 1)"));
    exec(QStringLiteral("INSERT INTO SHOW VALUES ('x*1', x'0102', NULL)"));
    exec(QStringLiteral("INSERT INTO ITMSJMP VALUES (-46000.5, -46000.5, '2026-12-09T10:00:00')"));
    exec(QStringLiteral("INSERT INTO PRJORDR VALUES ('GARDEN', -46000.5, -1)"));
    const QStringList before = storeRows();
    QStringList paths;
    for (const QString& f : test::PackageSource::packageFiles()) paths << path(f);
    const QString zip = zipPath(QStringLiteral("own.zip"));
    test::zipFiles(zip, paths);
    RestoreRun run = runQuietly(zip, RestoreMode::Merge);
    EXPECT_EQ(storeRows(), before);
    EXPECT_EQ(run.result.notTaken(), 0);
}

TEST_F(RestoreTest, APackageWithoutInflecIsTakenAndTheFormsComeFromItsWords)
{
    test::PackageSource& src = source();
    src.exec(QStringLiteral("INSERT INTO WORD VALUES ('tree', 4, -1, 1, -1)"));
    QStringList files = test::PackageSource::packageFiles();
    files.removeAll(QStringLiteral("INFLEC.DB"));
    runQuietly(src.zip(zipPath(QStringLiteral("noinflec.zip")), files), RestoreMode::Merge);
    EXPECT_EQ(rows(QStringLiteral("SELECT Word, WNo FROM INFLEC")), QStringList{"tree|1"});
}

TEST_F(RestoreTest, ConceptRowsMadeTwinsByTheRenumberingAreCountedNotTaken)
{
    addWord(17, QStringLiteral("tree"));
    test::PackageSource& src = source();
    src.exec(
        QStringLiteral("INSERT INTO WORD VALUES ('tree', 5, -1, 1, -1), ('tree', 9, -1, 1, "
                       "-1)"));
    src.exec(QStringLiteral("INSERT INTO DICT VALUES (-45004.0, 5, -45004.0), (-45004.0, 9, -1)"));
    RestoreRun run = runQuietly(src.zip(zipPath(QStringLiteral("twins.zip"))), RestoreMode::Merge);
    messenger.saw(QStringLiteral("Rows not taken from the package"));
    EXPECT_EQ(rows(QStringLiteral("SELECT C, WNo, CTS FROM DICT")),
              QStringList{"-45004|17|-45004"});
    EXPECT_EQ(run.result.notTaken(), 1);
}

TEST_F(RestoreTest, TheRestoreAsksEverythingBeforeItEmptiesTheStore)
{
    addWord(1, QStringLiteral("kept"));
    addItem(-46000.5L, QStringLiteral("one"), {{-45000.0L, 1}});
    addItem(-46000.6L, QStringLiteral("two"), {{-45000.0L, 1}});
    const QStringList before = storeRows();
    test::PackageSource& src = source();
    src.exec(QStringLiteral("INSERT INTO WORD VALUES ('new', 4, -1, 1, -1)"));
    const QString zip = src.zip(zipPath(QStringLiteral("ask.zip")));
    // The offer the program binds: Clear All Data's backup, its warnings asked once.
    restoreHooks().offerBackup = [] { return BackupBeforeEmptying(); };
    TExecFile::setPeriodScale(0.01);
    // Yes to the erase question and to Clear All Data's two, a name for the backup, then No to
    // the last one.
    for (int i = 0; i < 3; ++i) messenger.answer(MessageButton::Yes);
    messenger.answer(MessageButton::Ok, QStringLiteral("before"));
    messenger.answer(MessageButton::No);
    RestoreRun run = RunPackageImport({zip, RestoreMode::Restore, true, {}});
    TExecFile::setPeriodScale(1.0);
    EXPECT_EQ(run.outcome, RestoreOutcome::Declined);
    EXPECT_TRUE(QFileInfo::exists(path(QStringLiteral("before.zip"))));
    EXPECT_EQ(storeRows(), before);

    // Declining Clear All Data's questions keeps the store and merges.
    messenger.answer(MessageButton::Yes);
    messenger.answer(MessageButton::No);
    messenger.answer(MessageButton::Yes);
    messenger.expect(QStringLiteral("Done, pls press Ctrl+S"));
    run = RunPackageImport({zip, RestoreMode::Restore, true, {}});
    EXPECT_EQ(run.outcome, RestoreOutcome::Done);
    EXPECT_EQ(run.mode, RestoreMode::Merge);
    EXPECT_EQ(rows(QStringLiteral("SELECT Word FROM WORD ORDER BY WNo")),
              (QStringList{"kept", "new"}));
}

TEST_F(RestoreTest, AFailureInTheLastTableLeavesTheWholeStoreAsItWas)
{
    addWord(1, QStringLiteral("kept"));
    addItem(-46000.5L, QStringLiteral("kept item"), {{-45000.0L, 1}});
    exec(
        QStringLiteral("CREATE TRIGGER prjordr.refuse BEFORE INSERT ON PRJORDR BEGIN SELECT "
                       "RAISE(ABORT, 'refused'); END"));
    const QStringList before = storeRows();
    test::PackageSource& src = source();
    src.exec(QStringLiteral("INSERT INTO WORD VALUES ('new', 4, -1, 1, -1)"));
    src.exec(QStringLiteral("INSERT INTO ITEM VALUES (-46009.0, 'new item', -46009.0, NULL)"));
    src.exec(QStringLiteral("INSERT INTO PRJORDR VALUES ('P', -46009.0, -1)"));
    messenger.expect(QStringLiteral("The package was not taken, the store is as it was"));
    const RestoreRun run = RunPackageImport(
        {src.zip(zipPath(QStringLiteral("fails.zip"))), RestoreMode::Restore, false, {}});
    EXPECT_EQ(run.outcome, RestoreOutcome::Failed);
    EXPECT_EQ(storeRows(), before);
    EXPECT_FALSE(QFileInfo::exists(ScratchDir()));
}

TEST_F(RestoreTest, ANameWithoutZipAndASelfExtractingPackageAreRefused)
{
    messenger.expect(QStringLiteral("Select a correct QB archive file!"));
    messenger.expect(kArchiveNotOk);
    EXPECT_EQ(
        RunPackageImport({path(QStringLiteral("ITEM.DB")), RestoreMode::Merge, false, {}}).outcome,
        RestoreOutcome::WrongName);
    messenger.expect(QStringLiteral("Self-extracting packages (.exe) do not exist"));
    EXPECT_EQ(
        RunPackageImport({zipPath(QStringLiteral("12091530.exe")), RestoreMode::Merge, false, {}})
            .outcome,
        RestoreOutcome::NotOk);
}

TEST_F(RestoreTest, TheCliRestoresOnlyWithYesAndPrintsTheCounts)
{
    addWord(1, QStringLiteral("mine"));
    addItem(-46000.5L, QStringLiteral("kept in the backup"), {{-45000.0L, 1}});
    test::PackageSource& src = source();
    src.exec(
        QStringLiteral("INSERT INTO WORD VALUES ('tree', 4, -1, 1, -1), ('mine', 9, -1, 1, "
                       "-1)"));
    const QString zip = src.zip(zipPath(QStringLiteral("cli.zip")));
    const QStringList before = storeRows();
    QString out, err;
    EXPECT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("restore"), zip}, &out, &err),
              2);
    EXPECT_EQ(storeRows(), before);
    EXPECT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("merge"), zip}, &out, &err), 0)
        << err.toStdString();
    EXPECT_TRUE(
        out.contains(QStringLiteral("WORD: 2 in package, 1 added, 1 replaced, 0 not taken")))
        << out.toStdString();
    EXPECT_EQ(rows(QStringLiteral("SELECT Word, WNo FROM WORD ORDER BY WNo")),
              (QStringList{"mine|1", "tree|2"}));
    EXPECT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("restore"), zip,
                      QStringLiteral("--yes")},
                     &out, &err),
              0)
        << err.toStdString();
    EXPECT_EQ(rows(QStringLiteral("SELECT Word, WNo FROM WORD ORDER BY WNo")),
              (QStringList{"tree|1", "mine|2"}));
    // The store held an item: it was packed before the restore emptied it.
    QStringList packages = QDir(dir()).entryList({QStringLiteral("*.zip")});
    packages.removeAll(QStringLiteral("cleandata.zip"));
    EXPECT_EQ(packages.size(), 1) << packages.join(' ').toStdString();
    EXPECT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("merge"),
                      path(QStringLiteral("ITEM.DB"))},
                     &out, &err),
              1);
    EXPECT_TRUE(err.contains(kArchiveNotOk));
}

TEST_F(RestoreTest, TheCliAddsAnOldFormPackageInsteadOfEmptyingTheStore)
{
    addWord(1, QStringLiteral("mine"));
    addItem(-46000.5L, QStringLiteral("my item"), {{-45000.0L, 1}});
    test::PackageSource& src = source();
    src.exec(QStringLiteral("INSERT INTO WORD VALUES ('tree', 4, -1, 1, -1)"));
    src.exec(QStringLiteral("INSERT INTO ITEM VALUES (-46001.0, 'old form', -46001.0, NULL)"));
    src.store.close();
    // The older form: the same tables under their "x" names.
    const QString old = work(QStringLiteral("oldform"));
    made_ << old;
    QDir().mkpath(old);
    const std::pair<const char*, const char*> names[] = {
        {"WORD.DB", "Wordx.db"}, {"DICT.DB", "Dictx.db"},       {"PROJECT.DB", "Projectx.db"},
        {"ITEM.DB", "Itemx.db"}, {"ITEMURL.DB", "Itemurlx.db"}, {"ITEMKEYS.DB", "itemkeyx.db"}};
    QStringList paths;
    for (const auto& [from, to] : names) {
        paths << QDir(old).filePath(QString::fromLatin1(to));
        ASSERT_TRUE(QFile::copy(QDir(src.dir).filePath(QString::fromLatin1(from)), paths.last()));
    }
    const QString zip = zipPath(QStringLiteral("12090800.zip"));
    test::zipFiles(zip, paths);
    QString out, err;
    ASSERT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("--yes"),
                      QStringLiteral("restore"), QStringLiteral("--no-backup"), zip},
                     &out, &err),
              0)
        << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("do you want to add instead?"))) << err.toStdString();
    EXPECT_EQ(rows(QStringLiteral("SELECT TX FROM ITEM ORDER BY IT")),
              (QStringList{"old form", "my item"}));
}

TEST_F(RestoreTest, TheCliReadsARelativePackagePathFromTheCallersDirectory)
{
    test::PackageSource& src = source();
    src.exec(QStringLiteral("INSERT INTO WORD VALUES ('wanted', 4, -1, 1, -1)"));
    const QString wanted = src.zip(zipPath(QStringLiteral("p.zip")));
    // An unrelated package of the same name in the store directory.
    src.exec(QStringLiteral("UPDATE WORD SET Word = 'unrelated'"));
    src.zip(path(QStringLiteral("p.zip")));
    QProcess cli;
    cli.setWorkingDirectory(QFileInfo(wanted).absolutePath());
    cli.start(cliPath(),
              {QStringLiteral("--dir"), dir(), QStringLiteral("merge"), QStringLiteral("p.zip")});
    ASSERT_TRUE(cli.waitForFinished(120000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    EXPECT_EQ(rows(QStringLiteral("SELECT Word FROM WORD")), QStringList{"wanted"});
}

TEST_F(RestoreTest, AMergeSaysHowManyItemTextsOfTheStoreItReplaces)
{
    addItem(-46000.5L, QStringLiteral("mine"));
    addItem(-46000.6L, QStringLiteral("same"));
    test::PackageSource& src = source();
    src.exec(
        QStringLiteral("INSERT INTO ITEM VALUES (-46000.5, 'theirs', -46000.5, NULL), "
                       "(-46000.6, 'same', -46000.6, NULL), (-46001.0, 'new', -46001.0, "
                       "NULL)"));
    const QString zip = src.zip(zipPath(QStringLiteral("clash.zip")));
    const QStringList before = storeRows();

    // The dialog's last question tells the count; No keeps the store.
    messenger.answer(MessageButton::No);
    EXPECT_EQ(RunPackageImport({zip, RestoreMode::Merge, true, {}}).outcome,
              RestoreOutcome::Declined);
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_TRUE(messenger.shown[0].request.message.contains(
        QStringLiteral("1 items of this store will get the package's text")));
    EXPECT_EQ(storeRows(), before);

    // The CLI prints it and goes on only with --yes.
    QString out, err;
    EXPECT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("merge"), zip}, &out, &err),
              2);
    EXPECT_TRUE(out.contains(QStringLiteral("1 items of this store"))) << out.toStdString();
    EXPECT_EQ(storeRows(), before);
    EXPECT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("--yes"),
                      QStringLiteral("merge"), zip},
                     &out, &err),
              0)
        << err.toStdString();
    EXPECT_EQ(rows(QStringLiteral("SELECT TX FROM ITEM ORDER BY IT")),
              (QStringList{"new", "same", "theirs"}));
}

TEST_F(RestoreTest, AMergeEmptiesTheScheduleAndRefreshesTheFrequencyOfTheWordsItTouches)
{
    addWord(1, QStringLiteral("tree"), -1, -1);
    addWord(2, QStringLiteral("lone"), -1, 1);
    addItem(-46000.5L, QStringLiteral("mine"), {{-45000.0L, 1}});
    exec(QStringLiteral("INSERT INTO SCHED VALUES (-46000.5, 'queued', -46000.5, NULL)"));
    test::PackageSource& src = source();
    // The package's marks are stale: its words are carried by one new item each.
    src.exec(
        QStringLiteral("INSERT INTO WORD VALUES ('tree', 7, -1, 1, 5), ('fresh', 8, -1, 1, "
                       "5)"));
    src.exec(QStringLiteral("INSERT INTO ITEM VALUES (-46001.0, 'theirs', -46001.0, NULL)"));
    src.exec(
        QStringLiteral("INSERT INTO ITEMKEYS VALUES (-46001.0, 1, -45001.0, 7), (-46001.0, "
                       "2, -45001.0, 8)"));
    runQuietly(src.zip(zipPath(QStringLiteral("marks.zip"))), RestoreMode::Merge);
    EXPECT_EQ(rows(QStringLiteral("SELECT Word, WFQ FROM WORD ORDER BY WNo")),
              (QStringList{"tree|-2", "lone|1", "fresh|-1"}));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM SCHED")).toInt(), 0);
}

TEST_F(RestoreTest, AScratchFolderThatCannotBeMadeIsNamed)
{
    test::PackageSource& src = source();
    const QString zip = src.zip(zipPath(QStringLiteral("12090900.zip")));
    // A file in the scratch folder's place, which the run may not remove.
    ASSERT_TRUE(files::writeTextFile(ScratchDir(), QStringLiteral("not a folder")));
    messenger.allow(QStringLiteral("You must manually delete directory"));
    messenger.expect(kArchiveNotOk);
    messenger.expect(QStringLiteral("Failed to create ") + ScratchDir() + QLatin1Char('/'));
    EXPECT_EQ(RunPackageImport({zip, RestoreMode::Merge, false, {}}).outcome,
              RestoreOutcome::NotOk);
    bool coded = false;
    for (const auto& shown : messenger.shown)
        coded |= shown.request.code == QStringLiteral("sd107");
    EXPECT_TRUE(coded);
    QFile::remove(ScratchDir());
}

// ---- hostile packages ---------------------------------------------------------------------

class HostilePackages : public RestoreTest {
protected:
    // A package that differs from a good one only in what the case puts in.
    QString folder()
    {
        if (folder_.isEmpty()) {
            made_ << work(QStringLiteral("hostile"));
            folder_ = made_.last();
            QDir().mkpath(folder_);
            test::PackageSource& src = source();
            src.exec(QStringLiteral("INSERT INTO WORD VALUES ('tree', 4, -1, 1, -1)"));
            src.store.close();
        }
        return folder_;
    }
    QString file(const QString& name) const { return QDir(folder_).filePath(name); }
    QStringList goodFiles()
    {
        QStringList paths;
        for (const QString& f : test::PackageSource::packageFiles())
            paths << QDir(source().dir).filePath(f);
        return paths;
    }
    void copyGood(const QString& into)
    {
        QDir().mkpath(into);
        for (const QString& f : goodFiles())
            ASSERT_TRUE(QFile::copy(f, QDir(into).filePath(QFileInfo(f).fileName())));
    }
    // Zips the files of a folder with names as given (zip run inside the folder).
    void zipIn(const QString& cwd, const QString& zip, const QStringList& args)
    {
        QProcess p;
        p.setWorkingDirectory(cwd);
        p.start(QStringLiteral("zip"), QStringList{QStringLiteral("-q"), zip} + args);
        ASSERT_TRUE(p.waitForFinished(60000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    }
    QString folder_;
};

TEST_F(HostilePackages, EachIsNotOkAndChangesNoRow)
{
    addWord(1, QStringLiteral("mine"));
    addItem(-46000.5L, QStringLiteral("mine"), {{-45000.0L, 1}});
    const QStringList before = storeRows();
    const QString f = folder();
    QStringList zips;

    // Path traversal, an absolute path, a symlink entry: a good package with one entry changed.
    auto crafted = [&](const QString& name, const QByteArray& entry, const QByteArray& data,
                       unsigned mode) {
        std::vector<test::ZipEntry> entries;
        for (const QString& g : goodFiles()) {
            QFile in(g);
            EXPECT_TRUE(in.open(QIODevice::ReadOnly));
            test::ZipEntry e{QFileInfo(g).fileName().toLatin1(), in.readAll()};
            if (e.name == "WORD.DB") e = {entry, data, mode};
            entries.push_back(e);
        }
        test::writeZip(file(name), entries);
        zips << file(name);
    };
    QFile word(QDir(source().dir).filePath(QStringLiteral("WORD.DB")));
    ASSERT_TRUE(word.open(QIODevice::ReadOnly));
    const QByteArray wordFile = word.readAll();
    crafted(QStringLiteral("12090001.zip"), "../../escaped/WORD.DB", wordFile, 0100644);
    crafted(QStringLiteral("12090002.zip"), QFileInfo(f).absoluteFilePath().toUtf8() + "/WORD.DB",
            wordFile, 0100644);
    crafted(QStringLiteral("12090003.zip"), "WORD.DB", "/etc/passwd", 0120777);
    crafted(QStringLiteral("12090007.zip"), "sub/WORD.DB", wordFile, 0100644);

    // A truncated zip and a text file named .zip.
    test::zipFiles(file(QStringLiteral("good.zip")), goodFiles());
    QFile good(file(QStringLiteral("good.zip")));
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    QFile cut(file(QStringLiteral("12090004.zip")));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(good.read(good.size() - 200));
    cut.close();
    zips << cut.fileName();
    QFile text(file(QStringLiteral("12090005.zip")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("just some text\n");
    text.close();
    zips << text.fileName();

    // A zip bomb: a table file of 200 MiB of zeros.
    const QString bomb = file(QStringLiteral("bomb"));
    copyGood(bomb);
    QFile big(QDir(bomb).filePath(QStringLiteral("SHOW.DB")));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_TRUE(big.resize(qint64(200) << 20));
    big.close();
    zipIn(bomb, file(QStringLiteral("12090006.zip")), test::PackageSource::packageFiles());
    zips << file(QStringLiteral("12090006.zip"));

    // A .DB that is not SQLite, a table with other fields, a table file with a trigger.
    auto variant = [&](const QString& name, const std::function<void(const QString&)>& change,
                       const QString& table = QStringLiteral("WORD.DB")) {
        const QString d = file(name);
        copyGood(d);
        change(QDir(d).filePath(table));
        test::zipFiles(
            file(name + QStringLiteral(".zip")), QStringList{} << [&] {
                QStringList p;
                for (const QString& n : test::PackageSource::packageFiles())
                    p << QDir(d).filePath(n);
                return p;
            }());
        zips << file(name + QStringLiteral(".zip"));
    };
    variant(QStringLiteral("notsqlite"), [](const QString& p) {
        QFile out(p);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(QByteArray(8192, 'x'));
    });
    auto onFile = [](const QString& p, const QString& sql) {
        sql::Database db;
        ASSERT_TRUE(db.open(p, false));
        ASSERT_TRUE(db.exec(sql)) << db.lastError().toStdString();
    };
    variant(QStringLiteral("otherfields"), [&](const QString& p) {
        onFile(p, QStringLiteral("DROP TABLE WORD; CREATE TABLE WORD (Word TEXT, WNo INTEGER, "
                                 "WTS REAL, WTS2 REAL, Extra TEXT)"));
    });
    variant(QStringLiteral("trigger"), [&](const QString& p) {
        onFile(p, QStringLiteral("CREATE TABLE log (x); CREATE TRIGGER t AFTER UPDATE ON WORD "
                                 "BEGIN INSERT INTO log VALUES (1); END"));
    });
    variant(QStringLiteral("triggeronly"), [&](const QString& p) {
        onFile(p, QStringLiteral("CREATE TRIGGER t AFTER UPDATE ON WORD BEGIN DELETE FROM WORD; "
                                 "END"));
    });
    // An index on a function the program does not have.
    variant(QStringLiteral("unknownfunction"), [&](const QString& p) {
        sql::Database db;
        ASSERT_TRUE(db.open(p, false));
        sqlite3_create_function(
            db.handle(), "elsewhere", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
            [](sqlite3_context* c, int, sqlite3_value** v) { sqlite3_result_value(c, v[0]); },
            nullptr, nullptr);
        ASSERT_TRUE(db.exec(QStringLiteral("CREATE INDEX odd ON WORD (elsewhere(Word))")))
            << db.lastError().toStdString();
    });
    // Texts longer than the program ever writes.
    variant(QStringLiteral("longword"), [&](const QString& p) {
        onFile(p, QStringLiteral("INSERT INTO WORD VALUES ('%1', 9, -1, 1, -1)")
                      .arg(QString(51, QLatin1Char('w'))));
    });
    variant(
        QStringLiteral("longtext"),
        [&](const QString& p) {
            onFile(p, QStringLiteral("INSERT INTO ITEM VALUES (-46001.0, '%1', -46001.0, NULL)")
                          .arg(QString(32001, QLatin1Char('t'))));
        },
        QStringLiteral("ITEM.DB"));

    for (const QString& zip : zips) {
        messenger.clear();
        messenger.expect(kArchiveNotOk);
        RestoreRun run = RunPackageImport({zip, RestoreMode::Restore, false, {}});
        EXPECT_EQ(run.outcome, RestoreOutcome::NotOk) << zip.toStdString();
        EXPECT_TRUE(messenger.saw(kArchiveNotOk)) << zip.toStdString();
        // The reason comes on a second line.
        ASSERT_FALSE(messenger.shown.empty());
        const QStringList lines =
            messenger.shown.back().request.message.split(QStringLiteral("\r\n"));
        EXPECT_EQ(lines.size(), 2) << zip.toStdString();
        EXPECT_FALSE(lines.value(1).trimmed().isEmpty()) << zip.toStdString();
        EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("problems.txt")))) << zip.toStdString();
        EXPECT_EQ(storeRows(), before) << zip.toStdString();
        EXPECT_FALSE(QFileInfo::exists(QDir(f).filePath(QStringLiteral("WORD.DB"))));
        EXPECT_FALSE(QFileInfo::exists(QDir(dir()).filePath(QStringLiteral("../escaped"))));
        EXPECT_FALSE(QFileInfo::exists(ScratchDir())) << zip.toStdString();
    }
    // The good package itself goes in.
    runQuietly(file(QStringLiteral("good.zip")), RestoreMode::Merge);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM WORD")).toInt(), 2);
}

TEST(PackageListing, NamesAreMatchedWithoutRegardToCaseInBothForms)
{
    bool old = true;
    EXPECT_EQ(PackageTableFor(QStringLiteral("Word.db"), &old), QStringLiteral("WORD"));
    EXPECT_FALSE(old);
    EXPECT_EQ(PackageTableFor(QStringLiteral("itemkeyx.DB"), &old), QStringLiteral("ITEMKEYS"));
    EXPECT_TRUE(old);
    EXPECT_TRUE(PackageTableFor(QStringLiteral("SCHED.DB"), &old).isEmpty());
    EXPECT_TRUE(PackageTableFor(QStringLiteral("ITEM.MB"), &old).isEmpty());
}

}  // namespace
