#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include "backup/Backup.h"
#include "floor/Settings.h"
#include "platform/FileNames.h"
#include "platform/Sqlite.h"
#include "session/ExecFile.h"
#include "session/Session.h"
#include "support/StoreFixture.h"

using namespace qb;

namespace {

class Backup : public test::StoreFixture {
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
    QString sub(const QString& name) const { return QDir(dir()).filePath(name); }
};

QStringList zipListing(const QString& package)
{
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-Z1"), package});
    if (!p.waitForFinished(30000)) return {};
    QStringList names =
        QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    names.sort();
    return names;
}

// Item texts of the ITEM.DB inside a package.
QStringList packedItems(const QString& package)
{
    QTemporaryDir out;
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-qq"), package, QStringLiteral("ITEM.DB"),
                                      QStringLiteral("-d"), out.path()});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {QStringLiteral("unzip failed")};
    sql::Database db;
    if (!db.open(QDir(out.path()).filePath(QStringLiteral("ITEM.DB")), false)) return {};
    QStringList texts;
    sql::Statement st(db, QStringLiteral("SELECT TX FROM ITEM ORDER BY IT"));
    while (st.next()) texts << st.textValue(0);
    return texts;
}

}  // namespace

TEST_F(Backup, BatchFilesListTheTableFilesAsSpelledAndPackThemWithZip)
{
    session().store.close();
    // A table file spelled otherwise is listed as it is spelled.
    ASSERT_TRUE(QFile::rename(sub("PROJECT.DB"), sub("Project.db")));
    ASSERT_TRUE(files::writeTextFile(sub("pack0.lst"), QStringLiteral("stale")));
    ASSERT_TRUE(WriteBatchFiles(dir()));

    QFile pack0(sub("pack0.lst"));
    ASSERT_TRUE(pack0.open(QIODevice::ReadOnly));
    EXPECT_EQ(pack0.readAll(),
              QByteArray("WORD.DB\r\nDICT.DB\r\nITEMKEYS.DB\r\nITEMURL.DB\r\nITEM.DB\r\n"
                         "Project.db\r\nINFLEC.DB\r\nSHOW.DB\r\nITMSJMP.DB\r\nPRJORDR.DB\r\n"));
    QFile pack2(sub("pack2.lst"));
    ASSERT_TRUE(pack2.open(QIODevice::ReadOnly));
    EXPECT_EQ(
        pack2.readAll(),
        QByteArray(
            "WORD.*\r\nDICT.*\r\nITEMKEYS.*\r\nITEMURL.*\r\nITEM.*\r\nPROJECT.*\r\nINFLEC.*\r\n"));

    // The script, run from elsewhere, changes to the folder given and packs the listed tables.
    QTemporaryDir elsewhere;
    QProcess sh;
    sh.setWorkingDirectory(elsewhere.path());
    sh.start(QStringLiteral("/bin/sh"), {sub("export.sh"), QStringLiteral("01021530.zip"), dir()});
    ASSERT_TRUE(sh.waitForFinished(60000));
    EXPECT_EQ(sh.exitCode(), 0) << sh.readAllStandardError().toStdString();
    QStringList expected = {"DICT.DB",    "INFLEC.DB",  "ITEM.DB",    "ITEMKEYS.DB", "ITEMURL.DB",
                            "ITMSJMP.DB", "PRJORDR.DB", "Project.db", "SHOW.DB",     "WORD.DB"};
    expected.sort();
    EXPECT_EQ(zipListing(sub("01021530.zip")), expected);
}

TEST_F(Backup, NameIsProposedFromTheClockAndCleaned)
{
    const QDateTime at(QDate(2026, 2, 3), QTime(9, 5));
    EXPECT_EQ(ProposedBackupName(at, QString(), QString()), QStringLiteral("02030905"));
    EXPECT_EQ(ProposedBackupName(at, QStringLiteral("xx"), QStringLiteral("MYBACKUP")),
              QStringLiteral("020309xx"));
    EXPECT_EQ(ProposedBackupName(at, QString(), QStringLiteral("MYBACKUP")),
              QStringLiteral("MYBACKUP"));

    EXPECT_EQ(CleanBackupName(QStringLiteral("my backup-1.x")), QStringLiteral("mybackup1x"));
    EXPECT_EQ(CleanBackupName(QStringLiteral("../etc/[a]|b\\c\u00a4")), QStringLiteral("etcabc"));
    EXPECT_EQ(CleanBackupName(QStringLiteral(" -. ,;/")), QString());

    messenger.answer(MessageButton::Ok, QStringLiteral("my backup-1.x"));
    EXPECT_EQ(BackupFileName(QString()), QStringLiteral("mybackup1x"));
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].request.answer, QStringLiteral("02030905"));
    EXPECT_EQ(messenger.shown[0].request.code, QStringLiteral("mon447"));
    messenger.answer(MessageButton::Cancel);
    EXPECT_EQ(BackupFileName(QString()), QString());
}

TEST_F(Backup, PackageHoldsExactlyTheTableFilesAndTheSameMinuteReplacesIt)
{
    addItem(-46000.1, QStringLiteral("first"));
    messenger.answer(MessageButton::Ok);  // the proposal
    const QString package = Backtofile(QStringLiteral("export.sh"), QString());
    ASSERT_EQ(package, sub("02030905.zip"));
    QStringList expected = {"DICT.DB",    "INFLEC.DB",  "ITEM.DB",    "ITEMKEYS.DB", "ITEMURL.DB",
                            "ITMSJMP.DB", "PRJORDR.DB", "PROJECT.DB", "SHOW.DB",     "WORD.DB"};
    expected.sort();
    EXPECT_EQ(zipListing(package), expected);
    EXPECT_EQ(packedItems(package), QStringList{QStringLiteral("first")});
    EXPECT_TRUE(session().store.isOpen()) << "the tables are open again";

    addItem(-46000.2, QStringLiteral("second"));
    clock.advanceMs(20000);
    // A batch file left by an older version, or edited by hand, is written anew before it runs.
    QFile stale(sub("export.sh"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly | QIODevice::Truncate));
    stale.write("#!/bin/sh\nexit 3\n");
    stale.close();
    messenger.answer(MessageButton::Ok);
    ASSERT_EQ(Backtofile(QStringLiteral("export.sh"), QString()), package);
    EXPECT_EQ(packedItems(package), (QStringList{"second", "first"}));
    // Nothing of the work is left beside the tables.
    const QStringList left = QDir(dir()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& d : left)
        EXPECT_FALSE(d.startsWith(QStringLiteral("backup-"))) << d.toStdString();
}

TEST_F(Backup, AWriteByAnotherProgramWhileZipRunsIsNotPacked)
{
    addItem(-46000.1, QStringLiteral("before"));
    // A zip that takes its time to start, so that the write surely comes before it reads.
    QTemporaryDir slow;
    const QString zip = QStandardPaths::findExecutable(QStringLiteral("zip"));
    ASSERT_FALSE(zip.isEmpty());
    QFile shim(QDir(slow.path()).filePath(QStringLiteral("zip")));
    ASSERT_TRUE(shim.open(QIODevice::WriteOnly));
    shim.write("#!/bin/sh\nsleep 0.3\nexec " + zip.toLocal8Bit() + " \"$@\"\n");
    shim.close();
    shim.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                        QFile::ExeOther);
    const QByteArray pathVariable = qgetenv("PATH");
    qputenv("PATH", slow.path().toLocal8Bit() + ':' + pathVariable);
    TExecFile::setPeriodScale(0.05);
    // Another program commits as soon as the backup waits for zip.
    QTimer::singleShot(0, [this] {
        sql::Database other;
        ASSERT_TRUE(other.open(path(QStringLiteral("ITEM.DB")), false));
        ASSERT_TRUE(
            other.exec(QStringLiteral("INSERT INTO ITEM (IT, TX, ITS) VALUES "
                                      "(-46000.2, 'during', -46000.2)")));
    });
    const QString package =
        MakeBackupPackage(QStringLiteral("moment"), QStringLiteral("export.sh"));
    qputenv("PATH", pathVariable);
    ASSERT_FALSE(package.isEmpty());
    EXPECT_EQ(packedItems(package), QStringList{QStringLiteral("before")});
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM ITEM")).toInt(), 2);
}

TEST_F(Backup, MissingZipMakesNoPackage)
{
    addItem(-46000.1, QStringLiteral("kept"));
    const QByteArray path = qgetenv("PATH");
    QTemporaryDir empty;
    qputenv("PATH", empty.path().toLocal8Bit());
    messenger.answer(MessageButton::Ok, QStringLiteral("nozip"));
    const QString package = Backtofile(QStringLiteral("export.sh"), QString());
    qputenv("PATH", path);
    EXPECT_TRUE(package.isEmpty());
    EXPECT_TRUE(messenger.saw(QStringLiteral("Backup file not found - operation failed.")));
    EXPECT_FALSE(QFileInfo::exists(sub("nozip.zip")));
}

// A zip of our own first on PATH, for the failures a real one meets.
class FakeZip {
public:
    explicit FakeZip(const QByteArray& body)
    {
        QFile shim(QDir(dir_.path()).filePath(QStringLiteral("zip")));
        EXPECT_TRUE(shim.open(QIODevice::WriteOnly));
        shim.write("#!/bin/sh\n" + body);
        shim.close();
        shim.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                            QFile::ReadOther | QFile::ExeOther);
        qputenv("PATH", dir_.path().toLocal8Bit() + ':' + path_);
    }
    ~FakeZip() { qputenv("PATH", path_); }
    QString dir() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QByteArray path_ = qgetenv("PATH");
};

TEST_F(Backup, AKilledBackupKeepsTheOlderPackageAndItsWorkGoesWithTheNext)
{
    addItem(-46000.1, QStringLiteral("first"));
    ASSERT_FALSE(MakeBackupPackage(QStringLiteral("keep"), QStringLiteral("export.sh")).isEmpty());
    const QString package = sub(QStringLiteral("keep.zip"));
    addItem(-46000.2, QStringLiteral("second"));
    session().store.close();
    // zip's temporary file as a backup that wrote beside the tables left it.
    QFile left(sub(QStringLiteral("ziAb12Cd")));
    ASSERT_TRUE(left.open(QIODevice::WriteOnly));
    left.write("PK\x03\x04 half a package");
    left.close();

    // The CLI is killed while zip runs.
    QTemporaryDir side;
    const QString pidFile = QDir(side.path()).filePath(QStringLiteral("cli.pid"));
    {
        FakeZip killer("while [ ! -s \"" + pidFile.toLocal8Bit() +
                       "\" ]; do sleep 0.05; done\nkill -9 $(cat \"" + pidFile.toLocal8Bit() +
                       "\")\nexit 1\n");
        QProcess cli;
        cli.start(cliPath(), {QStringLiteral("--dir"), dir(), QStringLiteral("backup"),
                              QStringLiteral("keep")});
        ASSERT_TRUE(cli.waitForStarted());
        ASSERT_TRUE(files::writeTextFile(pidFile, QString::number(cli.processId())));
        ASSERT_TRUE(cli.waitForFinished(60000));
        EXPECT_EQ(cli.exitStatus(), QProcess::CrashExit);
    }
    EXPECT_EQ(packedItems(package), QStringList{QStringLiteral("first")});
    EXPECT_EQ(QDir(dir()).entryList({QStringLiteral("backup-*")}, QDir::Dirs).size(), 1);

    // The next backup replaces the package whole and takes the leftovers away.
    QString out, err;
    ASSERT_EQ(
        runCli({QStringLiteral("--dir"), dir(), QStringLiteral("backup"), QStringLiteral("keep")},
               &out, &err),
        0)
        << err.toStdString();
    EXPECT_EQ(packedItems(package), (QStringList{"second", "first"}));
    EXPECT_EQ(QDir(dir()).entryList({QStringLiteral("backup-*"), QStringLiteral("zi*")},
                                    QDir::Dirs | QDir::Files),
              QStringList{});
}

TEST_F(Backup, AFullDiskIsSaidAndTheOlderPackageStays)
{
    addItem(-46000.1, QStringLiteral("first"));
    const QString package = MakeBackupPackage(QStringLiteral("keep"), QStringLiteral("export.sh"));
    ASSERT_FALSE(package.isEmpty());
    FakeZip full("echo 'zip I/O error: No space left on device' >&2\nexit 14\n");
    messenger.expect(
        QStringLiteral("Backup file not found - operation failed.\r\nThe disk is full"));
    EXPECT_TRUE(MakeBackupPackage(QStringLiteral("keep"), QStringLiteral("export.sh")).isEmpty());
    EXPECT_EQ(packedItems(package), QStringList{QStringLiteral("first")});
}

TEST_F(Backup, ADamagedTableMakesNoPackageAndIsNamed)
{
    exec(QStringLiteral("BEGIN"));
    for (int i = 0; i < 400; ++i) addWord(i + 1, QStringLiteral("word %1 ").arg(i).repeated(4));
    exec(QStringLiteral("COMMIT"));
    session().store.close();
    QFile word(sub(QStringLiteral("WORD.DB")));
    ASSERT_TRUE(word.open(QIODevice::ReadWrite));
    ASSERT_TRUE(word.seek(3 * 4096));
    word.write(QByteArray(8192, 'Z'));
    word.close();
    QString out, err;
    EXPECT_EQ(
        runCli({QStringLiteral("--dir"), dir(), QStringLiteral("backup"), QStringLiteral("broken")},
               &out, &err),
        1);
    EXPECT_TRUE(err.contains(QStringLiteral("WORD.DB is damaged"))) << err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(sub(QStringLiteral("broken.zip"))));
}

TEST_F(Backup, OfferComesEveryDelayMinutes)
{
    BackupOfferCounter counter;
    QList<int> due;
    for (int minute = 1; minute <= 9; ++minute)
        if (counter.tick(3)) due << minute;
    EXPECT_EQ(due, (QList<int>{3, 6, 9}));
    BackupOfferCounter every;
    EXPECT_TRUE(every.tick(1));
    EXPECT_TRUE(every.tick(1));
    BackupOfferCounter never;
    for (int minute = 1; minute <= 5; ++minute) EXPECT_FALSE(never.tick(0));

    session().settings.delayBetweenBackups = 2;
    TimerBackupTimer();
    EXPECT_EQ(messenger.shown.size(), 0u);
    messenger.answer(MessageButton::No);
    TimerBackupTimer();
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].request.message,
              QStringLiteral("Perform backup now?  (Desktop will be cleared!)"));
}
