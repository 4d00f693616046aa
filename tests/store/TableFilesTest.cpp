#include "session/TableFiles.h"

#include "StoreChecksSupport.h"
#include "platform/FileNames.h"
#include "session/Engine.h"
#include "session/TableOrder.h"
#include "store/Schema.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

using namespace qb;

namespace {

class TableFilesTest : public test::StoreChecksFixture {
protected:
    // Items with texts of every kind and pictures with every byte value, some without.
    void addItems(int count)
    {
        QRandomGenerator random(7);
        for (int i = 0; i < count; ++i) {
            QString text = QStringLiteral("Item %1: Ärger über Öl, 日本語 and \"quotes\"\n").arg(i);
            if (i % 7 == 0) text += QString(20000 + i, QLatin1Char('x'));
            QVariant picture;
            if (i % 3 != 0) {
                QByteArray bytes(64 + i, '\0');
                for (char& b : bytes) b = char(random.bounded(256));
                bytes[0] = 'B';
                bytes[1] = 'M';
                picture = bytes;
            }
            exec(
                QStringLiteral("INSERT INTO ITEM (IT, TX, ITS, Animation) VALUES (?1, ?2, ?3, ?4)"),
                {-46000.0 - i * 0.001, text, -46100.0 - i * 0.001, picture});
        }
    }

    QStringList itemRows()
    {
        return rows(QStringLiteral(
            "SELECT printf('%.17g', IT), TX, printf('%.17g', ITS), hex(Animation), typeof(Animation) "
            "FROM ITEM ORDER BY IT"));
    }
    QStringList indexNames(const QString& schema)
    {
        return rows(
            QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type = 'index' ORDER BY name")
                .arg(schema));
    }
};

}  // namespace

TEST_F(TableFilesTest, PackingAStoreTableKeepsEveryRecordByteForByteAndReopensTheStore)
{
    addItems(60);
    exec(QStringLiteral("DELETE FROM ITEM WHERE rowid % 2 = 0"));  // leaves free pages to give back
    QStringList before = itemRows();
    QStringList indexesBefore = indexNames(QStringLiteral("main"));
    ASSERT_EQ(before.size(), 30);
    qint64 sizeBefore = QFileInfo(path(QStringLiteral("ITEM.DB"))).size();

    EXPECT_TRUE(PackTable(QStringLiteral("Item"), dir()));

    EXPECT_EQ(messenger.count(), 0) << messenger.texts().join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(session().store.isOpen());
    EXPECT_TRUE(session().store.isAttached(QStringLiteral("WORD")))
        << "every table is attached again";
    EXPECT_EQ(itemRows(), before);
    EXPECT_EQ(indexNames(QStringLiteral("main")), indexesBefore);
    EXPECT_LT(QFileInfo(path(QStringLiteral("ITEM.DB"))).size(), sizeBefore)
        << "the file was rewritten";
    EXPECT_FALSE(QFileInfo::exists(QDir(dir()).filePath(QStringLiteral("temp.db"))));
}

TEST_F(TableFilesTest, PackingATableInAScratchFolderKeepsItsSpellingAndLeavesTheStoreOpen)
{
    QByteArray image(3000, '\0');
    for (int i = 0; i < image.size(); ++i) image[i] = char(i * 31);
    exec(QStringLiteral("INSERT INTO SHOW (ConCatId, Image, Audio) VALUES ('1*2', ?1, ?2)"),
         {image, QByteArray("RIFF\0\0WAVE", 10)});
    QString scratch = QDir(dir()).filePath(QStringLiteral("TmpImp"));
    ASSERT_TRUE(QDir().mkpath(scratch));
    ASSERT_TRUE(QFile::copy(path(QStringLiteral("SHOW.DB")),
                            QDir(scratch).filePath(QStringLiteral("Show.db"))));
    // A leftover from an interrupted pack is cleared first.
    ASSERT_TRUE(files::writeTextFile(QDir(scratch).filePath(QStringLiteral("temp.db")),
                                     QStringLiteral("junk")));

    EXPECT_TRUE(PackTable(QStringLiteral("SHOW"), scratch));

    EXPECT_EQ(QDir(scratch).entryList(QDir::Files), QStringList{QStringLiteral("Show.db")});
    sql::Database packed;
    ASSERT_TRUE(packed.open(QDir(scratch).filePath(QStringLiteral("Show.db")), false));
    sql::Statement st(packed,
                      QStringLiteral("SELECT Image, Audio FROM SHOW WHERE ConCatId = '1*2'"));
    ASSERT_TRUE(st.next());
    EXPECT_EQ(st.blobValue(0), image);
    EXPECT_EQ(st.blobValue(1), QByteArray("RIFF\0\0WAVE", 10));
    EXPECT_TRUE(session().store.isOpen());
    EXPECT_EQ(messenger.count(), 0);
}

TEST_F(TableFilesTest, PackingAMissingTableFailsWithTheZipPackMessage)
{
    messenger.expect(QStringLiteral("qbdb544"));
    EXPECT_FALSE(PackTable(QStringLiteral("Nothing"), dir()));
    ASSERT_EQ(messenger.count(), 1);
    EXPECT_EQ(messenger.shown[0].request.message, QStringLiteral("Zip pack routine error"));
    EXPECT_EQ(messenger.shown[0].request.code, QStringLiteral("qbdb544"));
    EXPECT_EQ(messenger.shown[0].request.kind, kSystemError);
    EXPECT_EQ(messenger.shown[0].request.helpTopic, 30160);
    EXPECT_TRUE(session().store.isOpen());
}

TEST_F(TableFilesTest, ClosedTablesCanBeReplacedOnDiskAndAFailedReopenStopsTheProgram)
{
    messenger.expect(QStringLiteral("Failed: OpenQBFiles"));
    CloseQBFiles();
    EXPECT_FALSE(session().store.isOpen());
    // File-level work on the closed store: WORD.DB replaced by a file with one word.
    {
        QFile::remove(path(QStringLiteral("WORD.DB")));
        sql::Database db;
        ASSERT_TRUE(db.open(QDir(dir()).filePath(QStringLiteral("WORD.DB")), true));
        ASSERT_TRUE(
            schema::createTable(db, *schema::find(QStringLiteral("WORD")), QString(), nullptr));
        ASSERT_TRUE(db.exec(QStringLiteral("INSERT INTO WORD (Word, WNo) VALUES ('swapped', 1)")));
    }
    EXPECT_TRUE(OpenQBFiles());
    EXPECT_EQ(scalar(QStringLiteral("SELECT Word FROM WORD")).toString(),
              QStringLiteral("swapped"));

    CloseQBFiles();
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("ITEM.DB"))));
    EXPECT_FALSE(OpenQBFiles());
    EXPECT_TRUE(session().flags.stopped());
    ASSERT_EQ(messenger.plain.size(), 1u);
    EXPECT_EQ(messenger.plain[0], QStringLiteral("Failed: OpenQBFiles"));
}

TEST_F(TableFilesTest, SetTableOrderReportsAnOrderTheTableLacks)
{
    messenger.expect(QStringLiteral("Failed fieldindexnames"));
    TableObject words{QStringLiteral("WORDS"), kStoreDatabaseName, QStringLiteral("Word.db"),
                      QString()};
    EXPECT_TRUE(SetTableOrder(words, QStringLiteral("WNo"), QStringLiteral("Freq setup")));
    EXPECT_TRUE(words.active);
    EXPECT_EQ(words.orderBy(), QStringLiteral(" ORDER BY \"WNo\""));

    TableObject projects{QStringLiteral("PROJECTS"), kStoreDatabaseName,
                         QStringLiteral("PROJECT.db"), QString()};
    EXPECT_FALSE(SetTableOrder(projects, QStringLiteral("Tag"), QStringLiteral("Tag sort")));
    EXPECT_FALSE(projects.active);
    ASSERT_EQ(messenger.plain.size(), 1u);
    EXPECT_EQ(messenger.plain[0],
              QStringLiteral("An unexpected system problem was encountered\r\n"
                             "Failed fieldindexnames: Tag sort  Tag of PROJECTS"));
}

TEST_F(TableFilesTest, EngineReportAndDatabaseLocationInfo)
{
    messenger.expect(QStringLiteral("qb5566"));
    QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir()));
    bool available = EngineAvailable();
    QDir::setCurrent(previous);
    ASSERT_TRUE(available);
    QString report;
    ASSERT_TRUE(
        files::readTextFile(QDir(dir()).filePath(QStringLiteral("BDE_SysInfo.txt")), &report));
    QStringList lines = report.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("Local Share: OFF"));
    EXPECT_EQ(lines[1], QStringLiteral("Network Type: NONE"));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("User Name: ")));
    EXPECT_EQ(lines[3], QStringLiteral("Ini File: ") + session().iniPath());
    EXPECT_EQ(lines[4], QStringLiteral("Language Driver: SQLite ") + sql::sqliteVersion() +
                            QStringLiteral(" UTF-8"));

    session().hooks.scrollPosition = [] { return QPoint(120, 45); };
    ShowDatabaseLocationInfo();
    ASSERT_EQ(messenger.count(), 1);
    const MessageRequest& shown = messenger.shown[0].request;
    EXPECT_EQ(shown.code, QStringLiteral("qb5566"));
    EXPECT_EQ(shown.kind, kInformation);
    EXPECT_EQ(shown.helpTopic, 75010);
    EXPECT_EQ(shown.message,
              QStringLiteral("This QB.exe program (") + session().version() +
                  QStringLiteral(" ) and its database runs in: ") + session().dir() +
                  QStringLiteral(
                      ".  Desktop is at 120 / 45\r\nCurrent SQLite Language driver is SQLite ") +
                  sql::sqliteVersion() + QStringLiteral(" UTF-8"));
}
