#include "platform/Sqlite.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace qb::sql;

TEST(Sqlite, BoundParametersNeverRunAsSql)
{
    Database db;
    ASSERT_TRUE(db.openMemory());
    ASSERT_TRUE(db.exec(QStringLiteral("CREATE TABLE WORD (Word TEXT)")));
    // A text may start with U+FEFF: it is a character of the text, not a byte-order mark.
    const QString nasty = QStringLiteral("\uFEFFo'hara\"; DROP TABLE WORD; --%_ ÅÄÖ Ж");
    Statement ins(db, QStringLiteral("INSERT INTO WORD (Word) VALUES (?1)"));
    ins.bind(1, nasty);
    ASSERT_TRUE(ins.run()) << ins.error().toStdString();
    Statement sel(db, QStringLiteral("SELECT Word FROM WORD WHERE Word = ?1"));
    sel.bind(1, nasty);
    ASSERT_TRUE(sel.next());
    EXPECT_EQ(sel.textValue(0), nasty);
}

TEST(Sqlite, TransactionSpansAttachedFilesAndRollsBackWhenNotCommitted)
{
    QTemporaryDir dir;
    Database db;
    ASSERT_TRUE(db.open(dir.filePath(QStringLiteral("A.DB")), true));
    ASSERT_TRUE(db.attach(dir.filePath(QStringLiteral("B.DB")), QStringLiteral("b"), true));
    ASSERT_TRUE(db.exec(QStringLiteral("CREATE TABLE A (x); CREATE TABLE b.B (y);")));
    {
        Transaction t(db);
        ASSERT_TRUE(t.isActive());
        db.exec(QStringLiteral("INSERT INTO A VALUES (1); INSERT INTO B VALUES (2);"));
    }  // no commit
    Statement count(db,
                    QStringLiteral("SELECT (SELECT COUNT(*) FROM A) + (SELECT COUNT(*) FROM B)"));
    ASSERT_TRUE(count.next());
    EXPECT_EQ(count.intValue(0), 0);
    {
        Transaction t(db);
        db.exec(QStringLiteral("INSERT INTO A VALUES (1)"));
        {
            Savepoint sp(db, QStringLiteral("card"));
            db.exec(QStringLiteral("INSERT INTO B VALUES (2)"));
        }  // rolled back to the savepoint only
        ASSERT_TRUE(t.commit());
    }
    Statement again(
        db, QStringLiteral("SELECT (SELECT COUNT(*) FROM A) * 10 + (SELECT COUNT(*) FROM B)"));
    ASSERT_TRUE(again.next());
    EXPECT_EQ(again.intValue(0), 10);
}

TEST(Sqlite, OpeningWithoutCreateRefusesAMissingFile)
{
    QTemporaryDir dir;
    Database db;
    QString error;
    EXPECT_FALSE(db.open(dir.filePath(QStringLiteral("NONE.DB")), false, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("NONE.DB"))));
}
