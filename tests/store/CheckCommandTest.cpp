#include "StoreChecksSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>

using namespace qb;

namespace {

class CheckCommand : public test::StoreChecksFixture {
protected:
    int check(QString* out, QString* err)
    {
        session().store.close();
        return runCli({QStringLiteral("--dir"), dir(), QStringLiteral("check")}, out, err);
    }
};

}  // namespace

TEST_F(CheckCommand, RecreatesTheMissingTablesAndRefillsInflec)
{
    addWord(1, QStringLiteral("river"));
    addWord(2, QStringLiteral("река"));
    addKeyword(-46001.1, 1, -45000.1, 2);
    session().store.close();
    for (const char* file : {"ITMSJMP.DB", "SHOW.DB", "PRJORDR.DB", "INFLEC.DB", "SCHED.DB"})
        ASSERT_TRUE(QFile::remove(path(QString::fromLatin1(file))));

    QString out, err;
    EXPECT_EQ(check(&out, &err), 0) << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Store checks passed"))) << out.toStdString();

    for (const char* file : {"ITMSJMP.DB", "SHOW.DB", "PRJORDR.DB", "INFLEC.DB", "SCHED.DB"})
        EXPECT_TRUE(QFileInfo::exists(path(QString::fromLatin1(file)))) << file;
    {
        sql::Database db;
        ASSERT_TRUE(db.open(path(QStringLiteral("INFLEC.DB")), false));
        sql::Statement st(db, QStringLiteral("SELECT Word, WNo FROM INFLEC ORDER BY WNo"));
        QStringList forms;
        while (st.next())
            forms << st.textValue(0) + QLatin1Char('|') + QString::number(st.intValue(1));
        EXPECT_EQ(forms, (QStringList{QStringLiteral("river|1"), QStringLiteral("река|2")}));
        sql::Database sched;
        ASSERT_TRUE(sched.open(path(QStringLiteral("SCHED.DB")), false));
        sql::Statement fields(
            sched,
            QStringLiteral("SELECT group_concat(name, ',') FROM pragma_table_info('SCHED')"));
        ASSERT_TRUE(fields.next());
        EXPECT_EQ(fields.textValue(0), QStringLiteral("IT,TX,ITS,Animation"))
            << "SCHED has ITEM's fields";
        sql::Database words;
        ASSERT_TRUE(words.open(path(QStringLiteral("WORD.DB")), false));
        sql::Statement wfq(words, QStringLiteral("SELECT WFQ FROM WORD ORDER BY WNo"));
        ASSERT_TRUE(wfq.next());
        EXPECT_EQ(wfq.intValue(0), 1);
        ASSERT_TRUE(wfq.next());
        EXPECT_EQ(wfq.intValue(0), -1);
    }

    QString tool = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (tool.isEmpty()) GTEST_SKIP() << "sqlite3 tool not installed";
    QProcess p;
    p.start(tool, {path(QStringLiteral("INFLEC.DB")),
                   QStringLiteral("SELECT Word || '=' || WNo FROM INFLEC ORDER BY WNo;")});
    ASSERT_TRUE(p.waitForFinished());
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()), QStringLiteral("river=1\nрека=2\n"));
    p.start(tool, {path(QStringLiteral("SHOW.DB")), QStringLiteral(".schema")});
    ASSERT_TRUE(p.waitForFinished());
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardOutput())
                    .contains(QStringLiteral("PRIMARY KEY (\"ConCatId\")")));
}

TEST_F(CheckCommand, ABrokenOrderIsPrintedAndFailsTheCommand)
{
    alterFile(QStringLiteral("ITEM.DB"), QStringLiteral("DROP INDEX ITEM_ITS"));
    QString out, err;
    EXPECT_EQ(check(&out, &err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("ITEM.db table in application directory is not OK.")))
        << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Store checks found problems"))) << out.toStdString();
    EXPECT_TRUE(QFileInfo::exists(path(QStringLiteral("problems.txt"))))
        << "system errors are logged";
}

TEST_F(CheckCommand, StatsFailsWithTheReasonWhenATableFileIsMissing)
{
    session().store.close();
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("WORD.DB"))));
    QString out, err;
    EXPECT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("stats")}, &out, &err), 1);
    EXPECT_FALSE(out.contains(QStringLiteral("-1"))) << out.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("WORD"))) << err.toStdString();
}

TEST_F(CheckCommand, ReadingCommandsOpenAStoreThatCannotBeWrittenReadOnly)
{
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only files";
    addWord(1, QStringLiteral("river"));
    addConcept(-45000.5L, {1});
    addItem(-46300.5L, QStringLiteral("a river bank"), {{-45000.5L, 1}});
    session().store.close();
    const QFileDevice::Permissions readable =
        QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    const QStringList entries = QDir(dir()).entryList(QDir::Files);
    for (const QString& name : entries) QFile::setPermissions(path(name), readable);
    QFile::setPermissions(dir(), readable | QFileDevice::ExeOwner);

    QString out, err;
    auto cli = [&](QStringList args) {
        return runCli(QStringList{QStringLiteral("--dir"), dir()} + args, &out, &err);
    };
    for (const QStringList& args :
         {QStringList{"check"}, QStringList{"stats"}, QStringList{"word", "list"},
          QStringList{"item", "show", "-46300.5"}, QStringList{"search", "river"}}) {
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        EXPECT_EQ(cli(args), 0) << err.toStdString();
        EXPECT_EQ(err, QStringLiteral("The store cannot be written; it is opened read-only\n"));
    }
    EXPECT_TRUE(out.startsWith(QStringLiteral("-46300.5\t3\t5"))) << out.toStdString();
    EXPECT_EQ(cli({"word", "add", "sea"}), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("ITEM.DB cannot be written"))) << err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("itemtext.idx"))));

    QFile::setPermissions(dir(), readable | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    for (const QString& name : entries)
        QFile::setPermissions(path(name), readable | QFileDevice::WriteOwner);
}
