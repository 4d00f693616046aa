#include "store/Schema.h"

#include "platform/FileNames.h"
#include "platform/Sqlite.h"
#include "session/Session.h"
#include "support/StoreFixture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

using namespace qb;

namespace {

class FreshDir : public test::StoreFixture {
public:
    FreshDir() : StoreFixture(false) {}
};

QStringList indexColumns(sql::Database& db, const QString& index)
{
    sql::Statement st(db, QStringLiteral("PRAGMA index_info(%1)").arg(sql::quoteIdentifier(index)));
    QStringList cols;
    while (st.next()) cols << st.textValue(2);
    return cols;
}

}  // namespace

TEST_F(FreshDir, CliInitMakesAllElevenTableFilesWithFieldsAndIndexes)
{
    QString out, err;
    ASSERT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("init")}, &out, &err), 0)
        << err.toStdString();
    ASSERT_EQ(schema::tables().size(), 11u);
    for (const schema::Table& table : schema::tables()) {
        QString file = QDir(dir()).filePath(table.fileName);
        ASSERT_TRUE(QFile::exists(file)) << table.fileName.toStdString();
        sql::Database db;
        ASSERT_TRUE(db.open(file, false));
        QString why;
        EXPECT_TRUE(schema::fileHasTable(db, QStringLiteral("main"), table, &why))
            << why.toStdString();
        for (const schema::Index& ix : table.indexes)
            EXPECT_EQ(indexColumns(db, ix.name), ix.fields) << ix.name.toStdString();
    }
    EXPECT_TRUE(QFile::exists(QDir(dir()).filePath(QStringLiteral("cleandata.zip"))));
}

TEST_F(FreshDir, TheSqlite3ToolReadsTheFiles)
{
    QString tool = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (tool.isEmpty()) GTEST_SKIP() << "sqlite3 tool not installed";
    QString error;
    ASSERT_TRUE(schema::createEmptyStore(dir(), &error));
    QProcess p;
    p.start(tool, {QDir(dir()).filePath(QStringLiteral("INFLEC.DB")), QStringLiteral(".schema")});
    ASSERT_TRUE(p.waitForFinished());
    QString schemaText = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(schemaText.contains(QStringLiteral("PRIMARY KEY (\"Word\", \"WNo\")")))
        << schemaText.toStdString();
    EXPECT_TRUE(schemaText.contains(QStringLiteral("CREATE UNIQUE INDEX \"WNo_\"")))
        << schemaText.toStdString();
}

TEST_F(FreshDir, OpeningFindsTablesInAnySpellingAndLeavesMissingOnesUnattached)
{
    QString error;
    ASSERT_TRUE(schema::createEmptyStore(dir(), &error));
    QDir d(dir());
    ASSERT_TRUE(d.rename(QStringLiteral("INFLEC.DB"), QStringLiteral("Inflec.db")));
    ASSERT_TRUE(QFile::remove(d.filePath(QStringLiteral("SHOW.DB"))));
    ASSERT_TRUE(session().store.open(dir(), &error)) << error.toStdString();
    EXPECT_TRUE(session().store.isAttached(QStringLiteral("INFLEC")));
    EXPECT_FALSE(session().store.isAttached(QStringLiteral("SHOW")));
    EXPECT_FALSE(QFile::exists(d.filePath(QStringLiteral("SHOW.DB"))))
        << "opening must not create files";
    EXPECT_EQ(session().store.missingTables(), QStringList{QStringLiteral("SHOW")});
    sql::Statement st(session().store.db(), QStringLiteral("SELECT COUNT(*) FROM INFLEC"));
    EXPECT_TRUE(st.next());
}

TEST_F(FreshDir, DamagedTableFilesFailTheOpenAndAreLeftAsTheyWere)
{
    QString error;
    ASSERT_TRUE(schema::createEmptyStore(dir(), &error));
    QString word = QDir(dir()).filePath(QStringLiteral("WORD.DB"));
    ASSERT_TRUE(QFile::remove(word));
    QFile f(word);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not a table file at all, just some text that someone saved here");
    f.close();
    EXPECT_FALSE(session().store.open(dir(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("WORD.DB"))) << error.toStdString();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("this is not a table file"));
    f.close();

    // An empty file is not a store table either.
    ASSERT_TRUE(QFile::remove(word));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_FALSE(session().store.open(dir(), &error));
}

TEST_F(FreshDir, ReadOnlyTableFileFailsTheOpen)
{
    QString error;
    ASSERT_TRUE(schema::createEmptyStore(dir(), &error));
    QString word = QDir(dir()).filePath(QStringLiteral("WORD.DB"));
    QFile::setPermissions(word, QFileDevice::ReadOwner | QFileDevice::ReadUser);
    if (QFileInfo(word).isWritable()) GTEST_SKIP() << "running with rights that ignore file modes";
    EXPECT_FALSE(session().store.open(dir(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("WORD.DB"))) << error.toStdString();
}
