#include "session/DataChecks.h"

#include "StoreChecksSupport.h"
#include "session/TableOrder.h"
#include "store/Schema.h"

#include <gtest/gtest.h>

#include <QFileInfo>

using namespace qb;

namespace {

class DataChecksTest : public test::StoreChecksFixture {
protected:
    QString indexFailure(const QString& table) const
    {
        return QStringLiteral("A non-trivial system error occurred here\r\n") + table +
               kIndexCheckMessage;
    }
    // A store in use: its INFLEC has forms, so the start does not refill it.
    void addWordWithForm(const QString& word, int wno)
    {
        addWord(wno, word);
        exec(QStringLiteral("INSERT INTO INFLEC (Word, WNo) VALUES (?1, ?2)"), {word, wno});
    }
};

const QStringList kNewerTables = {QStringLiteral("ITMSJMP.DB"), QStringLiteral("SHOW.DB"),
                                  QStringLiteral("PRJORDR.DB")};

}  // namespace

TEST_F(DataChecksTest, AnOlderStoreGainsTheNewerTablesEmptyAndTheChecksPass)
{
    addWordWithForm(QStringLiteral("tree"), 1);
    removeTableFiles(kNewerTables);
    ASSERT_FALSE(session().store.isAttached(QStringLiteral("SHOW")));

    EXPECT_TRUE(DataChecks());

    EXPECT_EQ(messenger.count(), 0) << messenger.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(messenger.plain.empty());
    EXPECT_FALSE(session().flags.stopped());
    for (const QString& file : kNewerTables) {
        EXPECT_TRUE(QFileInfo::exists(path(file))) << file.toStdString();
        QString table = QFileInfo(file).completeBaseName();
        EXPECT_TRUE(session().store.isAttached(table)) << file.toStdString();
        EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table).toInt(), 0);
    }
    EXPECT_EQ(desktopClears, 3) << "each creation clears the desktop first";
    EXPECT_EQ(banners, (QStringList{QStringLiteral("Wait for Database Checks"),
                                    QStringLiteral("Frequencies Update")}));
    EXPECT_EQ(bannerHides, 1);
}

TEST_F(DataChecksTest, AStoreThatHasTheTablesKeepsTheirContents)
{
    addWordWithForm(QStringLiteral("tree"), 1);
    QByteArray picture("BM\x00\x01\xff picture bytes", 20);
    exec(QStringLiteral(
        "INSERT INTO ITMSJMP (ITS1, ITS2, TS) VALUES (-46001.1, -46002.2, '2026-12-08T14:35:07')"));
    exec(QStringLiteral("INSERT INTO SHOW (ConCatId, Image, Audio) VALUES ('1*2*note', ?1, NULL)"),
         {picture});
    exec(QStringLiteral("INSERT INTO PRJORDR (Project, IT, ITS) VALUES ('GARDEN', -46001.1, 3.0)"));
    exec(QStringLiteral("INSERT INTO SCHED (IT) VALUES (-46001.1)"));
    const QString snapshot = QStringLiteral(
        "SELECT 'j', ITS1, ITS2, TS FROM ITMSJMP UNION ALL SELECT 's', ConCatId, hex(Image), Audio FROM SHOW "
        "UNION ALL SELECT 'p', Project, IT, ITS FROM PRJORDR UNION ALL SELECT 'q', IT, TX, ITS FROM SCHED");
    QStringList before = rows(snapshot);
    ASSERT_EQ(before.size(), 4);

    EXPECT_TRUE(DataChecks());
    EXPECT_TRUE(CreateSched());

    EXPECT_EQ(rows(snapshot), before);
    EXPECT_EQ(desktopClears, 0) << "nothing was created, so the desktop stays";
    EXPECT_EQ(messenger.count(), 0);
}

TEST_F(DataChecksTest, AMissingInflecIsRebuiltFromWordAndRepeatedPairsGoToKV1)
{
    addWord(1, QStringLiteral("apple"));
    addWord(2, QStringLiteral("pear"));
    addWord(1, QStringLiteral("apple"));  // the same pair twice: a key violation
    addWord(3, QStringLiteral("pear"));   // same form, other number: a pair of its own
    addWord(4, QStringLiteral("größe"));
    removeTableFiles({QStringLiteral("INFLEC.DB")});

    EXPECT_TRUE(DataChecks());

    EXPECT_TRUE(QFileInfo::exists(path(QStringLiteral("INFLEC.DB"))));
    EXPECT_EQ(rows(QStringLiteral("SELECT Word, WNo FROM INFLEC ORDER BY WNo, Word")),
              (QStringList{QStringLiteral("apple|1"), QStringLiteral("pear|2"),
                           QStringLiteral("pear|3"), QStringLiteral("größe|4")}));
    EXPECT_EQ(rows(QStringLiteral("SELECT Word, WNo FROM temp.KV1")),
              QStringList{QStringLiteral("apple|1")});
    EXPECT_EQ(messenger.count(), 0) << "key violations are not reported";
    EXPECT_EQ(windowRestores, 0) << "a rebuild does not refill and so does not restore the windows";
    // The rebuilt table has its key and the WNo_ index: the checks of its orders passed.
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT COUNT(*) FROM inflec.sqlite_master WHERE name = 'WNo_'"))
            .toInt(),
        1);
}

TEST_F(DataChecksTest, AnEmptyInflecIsRefilledButOneWithFormsIsLeftAlone)
{
    addWord(1, QStringLiteral("house"));
    addWord(2, QStringLiteral("mouse"));
    EXPECT_TRUE(DataChecks());
    EXPECT_EQ(rows(QStringLiteral("SELECT Word, WNo FROM INFLEC ORDER BY WNo")),
              (QStringList{QStringLiteral("house|1"), QStringLiteral("mouse|2")}));
    EXPECT_EQ(windowRestores, 1) << "the refill restores the saved windows";
    EXPECT_EQ(desktopClears, 1);

    // INFLEC now has rows: a later start adds nothing, even for a new word.
    addWord(3, QStringLiteral("louse"));
    EXPECT_TRUE(DataChecks());
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM INFLEC")).toInt(), 2);
    EXPECT_EQ(windowRestores, 1);

    // A fill called directly (as the restore does) keeps existing pairs once and parks them in KV1.
    EXPECT_TRUE(FillInflec());
    EXPECT_EQ(rows(QStringLiteral("SELECT Word, WNo FROM INFLEC ORDER BY WNo")),
              (QStringList{QStringLiteral("house|1"), QStringLiteral("mouse|2"),
                           QStringLiteral("louse|3")}));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM temp.KV1")).toInt(), 2);
}

TEST_F(DataChecksTest, FrequenciesCountTheKeywordLinksOfEachWord)
{
    addWord(1, QStringLiteral("unused"), -1, -5);  // a stale mark from an earlier start
    addWord(2, QStringLiteral("popular"));
    addWord(3, QStringLiteral("once"));
    addKeyword(-46001.1, 1, -45000.1, 2);
    addKeyword(-46001.1, 2, -45000.2, 3);
    addKeyword(-46002.2, 1, -45000.1, 2);
    addKeyword(-46003.3, 4, -45000.3, 2);
    addKeyword(-46003.3, 5, -45000.4, 99);  // a link to a word that is gone counts for nobody

    EXPECT_TRUE(DataChecks());
    const QString marks = QStringLiteral("SELECT Word, WFQ FROM WORD ORDER BY WNo");
    EXPECT_EQ(rows(marks), (QStringList{QStringLiteral("unused|1"), QStringLiteral("popular|-3"),
                                        QStringLiteral("once|-1")}));
    EXPECT_EQ(messenger.count(), 0);

    // A word that lost its links is unused again at the next start.
    exec(QStringLiteral("DELETE FROM ITEMKEYS WHERE WNo = 3"));
    exec(QStringLiteral("DELETE FROM ITEMKEYS WHERE IT = -46002.2"));
    EXPECT_TRUE(GetFrequencies());
    EXPECT_EQ(rows(marks), (QStringList{QStringLiteral("unused|1"), QStringLiteral("popular|-2"),
                                        QStringLiteral("once|1")}));
}

TEST_F(DataChecksTest, ADroppedIndexFailsItsCheckAndTheOtherChecksStillRun)
{
    messenger.expect(QStringLiteral("DICT.db table in application directory is not OK"));
    messenger.expect(QStringLiteral("WORD.db table in application directory is not OK"));
    addWord(1, QStringLiteral("stale"), -1, -9);
    alterFile(QStringLiteral("DICT.DB"), QStringLiteral("DROP INDEX DICT_CTS"));
    alterFile(QStringLiteral("WORD.DB"), QStringLiteral("DROP INDEX WORD_WFQ"));

    EXPECT_TRUE(DataChecks()) << "a failed check leaves the stop flag to the user";

    ASSERT_EQ(messenger.count(), 2) << messenger.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(messenger.shown[0].request.message, indexFailure(QStringLiteral("DICT.db")));
    EXPECT_EQ(messenger.shown[0].request.kind, kSystemError);
    EXPECT_EQ(messenger.shown[1].request.message, indexFailure(QStringLiteral("WORD.db")));
    EXPECT_FALSE(session().flags.stopped());
    EXPECT_EQ(scalar(QStringLiteral("SELECT WFQ FROM WORD")).toInt(), 1)
        << "the frequencies still ran";
}

TEST_F(DataChecksTest, CloseAllOnAFailedCheckSkipsTheRemainingChecks)
{
    alterFile(QStringLiteral("DICT.DB"),
              QStringLiteral("DROP INDEX DICT_CTS; DROP INDEX DICT_WNo"));
    alterFile(QStringLiteral("ITEMURL.DB"), QStringLiteral("DROP INDEX ITEMURL_Project"));
    messenger.answer(MessageButton::CloseAll);

    EXPECT_FALSE(DataChecks());

    EXPECT_EQ(messenger.count(), 1);
    EXPECT_TRUE(session().flags.stopped());
}

TEST_F(DataChecksTest, ADamagedNewerTableFailsTheUpgradeAndStopsTheProgram)
{
    removeTableFiles({QStringLiteral("SHOW.DB")});
    // A file that appeared under the table's name but holds no table.
    QFile damaged(QDir(dir()).filePath(QStringLiteral("SHOW.DB")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(4096, 'x'));
    damaged.close();

    EXPECT_FALSE(DataChecks());

    EXPECT_TRUE(session().flags.stopped());
    ASSERT_EQ(messenger.count(), 1) << "the index checks are skipped once the program stops";
    EXPECT_TRUE(messenger.saw(QStringLiteral(
        "Failed to upgrade the data base to Quillbox 2000 1.1 version (Show Connections Table)")));
    EXPECT_EQ(damaged.size(), 4096) << "the damaged file is not overwritten";
}

TEST_F(DataChecksTest, CheckIndexReadsAFolderAsDatabaseAndDoesNothingWhileStopped)
{
    messenger.expect(QStringLiteral("WORD.db lacks Tag"));
    messenger.expect(QStringLiteral("DICT.db is missing"));
    QString scratch = QDir(dir()).filePath(QStringLiteral("TmpImp"));
    ASSERT_TRUE(QDir().mkpath(scratch));
    ASSERT_TRUE(QFile::copy(path(QStringLiteral("WORD.DB")),
                            QDir(scratch).filePath(QStringLiteral("Word.db"))));
    EXPECT_TRUE(
        CheckIndex(scratch, QStringLiteral("WORD.db"), kIndexCheckMessage, QStringLiteral("WTS2")));
    EXPECT_FALSE(CheckIndex(scratch, QStringLiteral("WORD.db"), QStringLiteral(" lacks Tag"),
                            QStringLiteral("Tag")));
    EXPECT_FALSE(CheckIndex(scratch, QStringLiteral("DICT.db"), QStringLiteral(" is missing"),
                            QStringLiteral("C")));
    ASSERT_EQ(messenger.count(), 2);
    EXPECT_EQ(messenger.shown[0].request.code, QStringLiteral("WORD.db lacks Tag"));
    EXPECT_EQ(messenger.shown[1].request.code, QStringLiteral("DICT.db is missing"));

    session().flags.requestStop();
    EXPECT_FALSE(CheckIndex(kStoreDatabaseName, QStringLiteral("WORD.db"), kIndexCheckMessage,
                            QStringLiteral("WNo")));
    EXPECT_EQ(messenger.count(), 2);
}

TEST_F(DataChecksTest, WithoutTheDictionaryTheChecksSayWhichFileToRestore)
{
    messenger.expect(QStringLiteral("DICT.DB is missing from"));
    session().store.close();
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("DICT.DB"))));
    EXPECT_FALSE(DataChecks());
    EXPECT_TRUE(session().flags.stopped());
    ASSERT_EQ(messenger.count(), 1) << messenger.texts().join(QLatin1Char('|')).toStdString();
    const QString text = messenger.shown[0].request.message;
    EXPECT_TRUE(
        text.contains(QStringLiteral("Failed to upgrade the data base to Quillbox 2000 version")));
    EXPECT_TRUE(text.contains(QStringLiteral("DICT.DB is missing"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("ITMSJMP"))) << "the start makes that one itself";
}

TEST_F(DataChecksTest, OverwrittenPagesStopTheChecksBeforeAnyWriteAndNameTheFile)
{
    messenger.expect(QStringLiteral("ITEM.DB is damaged"));
    for (int i = 0; i < 200; ++i)
        exec(QStringLiteral("INSERT INTO ITEM (IT, TX, ITS) VALUES (?1, ?2, ?1)"),
             {-46000.0 - i, QString(400, QChar(u'a' + i % 26))});
    session().store.close();
    {
        QFile f(path(QStringLiteral("ITEM.DB")));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.seek(3 * 4096));
        f.write(QByteArray(8192, 'Z'));
    }
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("ITMSJMP.DB"))));

    QString out, err;
    EXPECT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("check")}, &out, &err), 1);
    EXPECT_FALSE(out.contains(QStringLiteral("Store checks passed"))) << out.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("Restore ITEM.DB from a backup"))) << err.toStdString();

    QString error;
    ASSERT_TRUE(session().store.open(dir(), &error)) << error.toStdString();
    EXPECT_FALSE(DataChecks());
    EXPECT_TRUE(session().flags.stopped());
    ASSERT_EQ(messenger.plain.size(), 1u);
    EXPECT_TRUE(messenger.plain[0].contains(QStringLiteral("ITEM.DB is damaged")))
        << messenger.plain[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("ITMSJMP.DB"))))
        << "nothing is written before the check";
}
