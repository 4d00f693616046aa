#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include "backup/Backup.h"
#include "backup/Maintenance.h"
#include "platform/FileNames.h"
#include "session/ExecFile.h"
#include "session/Session.h"
#include "support/StoreFixture.h"

using namespace qb;

namespace {

class Maintenance : public test::StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        TExecFile::setPeriodScale(0.01);
        clock.set(QDateTime(QDate(2026, 2, 3), QTime(9, 5, 12)));
        ASSERT_TRUE(WriteBatchFiles(dir()));
    }
    void TearDown() override
    {
        TExecFile::setPeriodScale(1.0);
        StoreFixture::TearDown();
    }
    void seedStore()
    {
        const int tree = addWord(1, QStringLiteral("tree"));
        const int leaf = addWord(2, QStringLiteral("leaf"));
        const Timestamp idea = addConcept(-45000.5, {tree, leaf});
        addProject(QStringLiteral("GARDEN"), -45000.6);
        addItem(-46000.1, QStringLiteral("a"), {{idea, tree}}, {QStringLiteral("GARDEN")});
        addItem(-46000.2, QStringLiteral("b"), {{idea, tree}, {idea, leaf}});
    }
    qint64 rowsIn(const char* table)
    {
        return scalar(QStringLiteral("SELECT COUNT(*) FROM ") + QLatin1String(table)).toLongLong();
    }
    qint64 allRows()
    {
        qint64 n = 0;
        for (const QString& t : TablesEmptiedByClearAll())
            n += scalar(QStringLiteral("SELECT COUNT(*) FROM ") + t).toLongLong();
        return n;
    }
};

// Records what the damaged-item test does with the desktop.
struct FakeDesk {
    QStringList events;
    std::vector<Timestamp> placed;
    int failAt = -1;  // index into placed at which the set-up fails
    DamagedItemsDesk desk()
    {
        DamagedItemsDesk d;
        d.place = [this](Timestamp id, int k) {
            placed.push_back(id);
            events << QStringLiteral("place%1").arg(k);
            return int(placed.size()) - 1 != failAt;
        };
        d.removeCards = [this] { events << QStringLiteral("remove"); };
        d.commit = [this] { events << QStringLiteral("commit"); };
        return d;
    }
};

}  // namespace

TEST_F(Maintenance, ClearTimeStampsSetsEveryStampToMinusOne)
{
    seedStore();
    exec(QStringLiteral("UPDATE WORD SET WTS = -45000.1, WTS2 = -45000.2"));
    ASSERT_TRUE(Clearalltimestamps1Click());
    EXPECT_EQ(rows(QStringLiteral("SELECT DISTINCT ITS FROM ITEM")), QStringList{"-1"});
    EXPECT_EQ(rows(QStringLiteral("SELECT DISTINCT CTS FROM DICT")), QStringList{"-1"});
    EXPECT_EQ(rows(QStringLiteral("SELECT DISTINCT PTS FROM PROJECT")), QStringList{"-1"});
    EXPECT_EQ(rows(QStringLiteral("SELECT DISTINCT WTS, WTS2 FROM WORD")), QStringList{"-1|-1"});
}

TEST_F(Maintenance, StatisticsOfAnEmptyAndOfASeededStore)
{
    QString text;
    ASSERT_TRUE(StatisticsText(&text));
    EXPECT_EQ(text, QStringLiteral("STATISTICS: \r\n\r\n0 words\r\n\r\n0 concepts"
                                   "\r\n       0 with 1 word\r\n       0 with 2 words"
                                   "\r\n       0 with 3 words\r\n       0 with 4 words"
                                   "\r\n       0 with 5 words\r\n       0 with more words"
                                   "\r\n\r\n0 items"
                                   "\r\n       0 with 1 keyword\r\n       0 with 2 keywords"
                                   "\r\n       0 with 3 keywords\r\n       0 with 4 keywords"
                                   "\r\n       0 with 5 keywords\r\n       0 with more keywords"
                                   "\r\n\r\n0 projects\r\n"));
    seedStore();
    for (int n = 3; n <= 7; ++n) addWord(n, QStringLiteral("w%1").arg(n));
    addConcept(-45000.7, {1, 2, 3, 4, 5, 6, 7});
    ASSERT_TRUE(StatisticsText(&text));
    EXPECT_TRUE(
        text.startsWith(QStringLiteral("STATISTICS: \r\n\r\n7 words\r\n\r\n2 concepts"
                                       "\r\n       0 with 1 word\r\n       1 with 2 words")))
        << text.toStdString();
    EXPECT_TRUE(
        text.contains(QStringLiteral("       1 with more words\r\n\r\n2 items"
                                     "\r\n       1 with 1 keyword"
                                     "\r\n       1 with 2 keywords")))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n\r\n1 projects\r\n")));
}

TEST_F(Maintenance, PrintAllWritesTheOldestItemFirstWithCrLf)
{
    addItem(-46000.2, QStringLiteral("b"));
    addItem(-46000.1, QStringLiteral("a"));
    messenger.expect(QStringLiteral("All text printed to file: "));
    const QString path = Printalltexttofile1Click();
    ASSERT_FALSE(path.isEmpty());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("a\r\n\r\nb\r\n\r\n"));
}

TEST_F(Maintenance, FindDamagedItemsGoesInBatchesOfTenAndResumes)
{
    for (int i = 0; i < 25; ++i) addItem(-46000.0 - 0.001 * i, QStringLiteral("item %1").arg(i));
    messenger.answer(MessageButton::Yes);
    messenger.expect(QStringLiteral("Done. Repair"));
    FakeDesk desk;
    EXPECT_EQ(FindDamagedItems1Click(desk.desk()), DamagedItemsOutcome::Passed);
    ASSERT_EQ(desk.placed.size(), 25u);
    // Removed at the start, after the first and second ten, and after the last five.
    QStringList removals;
    for (int i = 0; i < desk.events.size(); ++i)
        if (desk.events[i] == QStringLiteral("remove")) removals << desk.events.value(i - 1);
    EXPECT_EQ(removals, (QStringList{QString(), "place9", "place9", "place4"}));
    EXPECT_EQ(desk.events.count(QStringLiteral("commit")), 2);
    EXPECT_EQ(session().part<DamagedItemsResume>().position, 0);

    // A failure keeps the resume position at the failing item; the next run starts there.
    messenger.answer(MessageButton::Yes);
    FakeDesk failing;
    failing.failAt = 12;
    EXPECT_EQ(FindDamagedItems1Click(failing.desk()), DamagedItemsOutcome::ErrorFound);
    EXPECT_TRUE(messenger.saw(QStringLiteral("Error found")));
    EXPECT_EQ(failing.events.last(), QStringLiteral("place2")) << "its batch stays";
    messenger.answer(MessageButton::Yes);
    FakeDesk again;
    EXPECT_EQ(FindDamagedItems1Click(again.desk()), DamagedItemsOutcome::Passed);
    ASSERT_EQ(again.placed.size(), 13u);
    EXPECT_EQ(again.placed.front(), failing.placed.back());
    // That pass reached the last item: the next one starts from the first.
    messenger.answer(MessageButton::Yes);
    FakeDesk fromStart;
    FindDamagedItems1Click(fromStart.desk());
    EXPECT_EQ(fromStart.placed, desk.placed);
}

TEST_F(Maintenance, ClearAllDataBacksUpAFullStoreAndEmptiesItInOneGo)
{
    seedStore();
    messenger.answer(MessageButton::Yes);
    messenger.answer(MessageButton::Yes);
    messenger.answer(MessageButton::Ok, QStringLiteral("before"));
    ASSERT_TRUE(Clearalldata1Click());
    EXPECT_TRUE(QFileInfo::exists(path(QStringLiteral("before.zip"))));
    EXPECT_TRUE(session().store.isOpen());
    EXPECT_EQ(allRows(), 0);
}

TEST_F(Maintenance, ClearAllDataKeepsTheStoreWhenAWarningIsDeclinedOrTheBackupFails)
{
    seedStore();
    const qint64 before = allRows();
    messenger.answer(MessageButton::Yes);
    messenger.answer(MessageButton::No);
    EXPECT_FALSE(Clearalldata1Click());
    EXPECT_EQ(allRows(), before);

    const QByteArray pathVariable = qgetenv("PATH");
    qputenv("PATH", QByteArray("/nonexistent"));
    messenger.answer(MessageButton::Yes);
    messenger.answer(MessageButton::Yes);
    messenger.answer(MessageButton::Ok, QStringLiteral("before"));
    const bool cleared = Clearalldata1Click();
    qputenv("PATH", pathVariable);
    EXPECT_FALSE(cleared);
    EXPECT_TRUE(messenger.saw(QStringLiteral("Backup file not found - operation failed.")));
    EXPECT_EQ(allRows(), before);
}

TEST_F(Maintenance, ClearAllDataWithProblemsFileOffersTheBackupAndUnpacksCleanData)
{
    ASSERT_TRUE(QFileInfo::exists(files::shareDir() + QStringLiteral("/cleandata.zip")));
    seedStore();
    ASSERT_TRUE(files::writeTextFile(QDir(dir()).filePath(QStringLiteral("problems.txt")),
                                     QStringLiteral("qb1")));
    messenger.answer(MessageButton::Yes);
    messenger.answer(MessageButton::Yes);
    messenger.answer(MessageButton::Cancel);  // no package, but the offer came
    messenger.expect(QStringLiteral("A fresh empty database was created from CleanData.zip"));
    ASSERT_TRUE(Clearalldata1Click());
    EXPECT_TRUE(messenger.saw(QStringLiteral("Name of backup file")));
    EXPECT_FALSE(files::exists(dir(), QStringLiteral("problems.txt")));
    ASSERT_TRUE(session().store.isOpen());
    EXPECT_EQ(allRows(), 0);
    EXPECT_TRUE(session().store.isAttached(QStringLiteral("PRJORDR")));

    // An empty store asks nothing.
    messenger.expect(QStringLiteral("A fresh empty database was created from CleanData.zip"));
    messenger.clear();
    ASSERT_TRUE(Clearalldata1Click());
    EXPECT_EQ(messenger.count(), 1);
}

TEST_F(Maintenance, ClearAllDataNamesATableItCannotMakeAgainInFull)
{
    // A folder in the place of its journal keeps the table from being made.
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("PRJORDR.DB-journal"))));
    messenger.expect(QStringLiteral("A fresh empty database was created from CleanData.zip"));
    messenger.expect(
        QStringLiteral("Failed to create Quillbox 2000 1.1 version table (PrjOrdr Table)"));
    EXPECT_FALSE(Clearalldata1Click());
}

TEST_F(Maintenance, CliRunsTheSameCommands)
{
    seedStore();
    session().store.close();
    const QString d = dir();
    QString out, err;
    ASSERT_EQ(runCli({"--dir", d, "backup", "my backup-1.x"}, &out, &err), 0) << err.toStdString();
    EXPECT_EQ(out.trimmed(), QDir(d).filePath(QStringLiteral("mybackup1x.zip")));
    EXPECT_TRUE(QFileInfo::exists(out.trimmed()));

    ASSERT_EQ(runCli({"--dir", d, "stats"}, &out, &err), 0);
    EXPECT_TRUE(out.startsWith(QStringLiteral("STATISTICS: \n\n2 words\n\n1 concepts\n")))
        << out.toStdString();

    ASSERT_EQ(runCli({"--dir", d, "print-all"}, &out, &err), 0);
    EXPECT_TRUE(QFileInfo::exists(QDir(d).filePath(QStringLiteral("QB_ALL_ITEMS.txt"))));

    ASSERT_EQ(runCli({"--dir", d, "clear-timestamps"}, &out, &err), 0);
    ASSERT_TRUE(session().store.open(d));
    EXPECT_EQ(rows(QStringLiteral("SELECT DISTINCT ITS FROM ITEM")), QStringList{"-1"});
    session().store.close();

    EXPECT_EQ(runCli({"--dir", d, "clear-all"}, &out, &err), 2);
    ASSERT_EQ(runCli({"--dir", d, "--yes", "clear-all"}, &out, &err), 0) << err.toStdString();
    ASSERT_TRUE(session().store.open(d));
    EXPECT_EQ(allRows(), 0);
    // The backup it made first holds the items.
    const QStringList packages = QDir(d).entryList({QStringLiteral("????????.zip")}, QDir::Files);
    EXPECT_EQ(packages.size(), 1) << packages.join(QLatin1Char(' ')).toStdString();
}
