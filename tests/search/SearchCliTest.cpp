#include "SearchFixture.h"

#include <gtest/gtest.h>

using namespace qb;

namespace {

class SearchCli : public test::SearchFixture {};

TEST_F(SearchCli, PrintsOneHitALineAndTellsByItsExitCode)
{
    addWord(1, QStringLiteral("warfare"));
    addConcept(-45000.5L, {1});
    addItem(-46300.0412345L, QStringLiteral("The art of war"));
    addItem(-46300.0412346L, QStringLiteral("start again, art"));
    const Timestamp pictured = addItem(-46300.0412347L, QStringLiteral("a picture"));
    givePicture(pictured);
    session().store.close();
    const QStringList store{QStringLiteral("--dir"), dir(), QStringLiteral("search")};

    QString out, err;
    EXPECT_EQ(
        runCli(store + QStringList{QStringLiteral("--exact"), QStringLiteral("ART")}, &out, &err),
        0)
        << err.toStdString();
    EXPECT_EQ(out, QStringLiteral("-46300.0412345\t5\t3\n"));
    EXPECT_EQ(runCli(store + QStringList{QStringLiteral("art")}, &out), 0);
    EXPECT_EQ(out, QStringLiteral("-46300.0412346\t3\t3\n-46300.0412345\t5\t3\n"));
    EXPECT_EQ(runCli(store + QStringList{QStringLiteral("--literal"), QStringLiteral("art")}, &out),
              0);
    EXPECT_EQ(out, QStringLiteral("-46300.0412346\t3\t3\n-46300.0412345\t5\t3\n"));
    EXPECT_EQ(runCli(store + QStringList{QStringLiteral("--type"), QStringLiteral("concepts"),
                                         QStringLiteral("war")},
                     &out),
              0);
    EXPECT_EQ(out, QStringLiteral("C\t-45000.5\n-46300.0412345\t12\t3\n"));
    EXPECT_EQ(runCli(store + QStringList{QStringLiteral("--pictures")}, &out), 0);
    EXPECT_EQ(out, QStringLiteral("-46300.0412347\t0\t0\n"));
    EXPECT_EQ(runCli(store + QStringList{QStringLiteral("zebra")}, &out), 1);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_EQ(runCli(store + QStringList{QStringLiteral("--type"), QStringLiteral("desktop"),
                                         QStringLiteral("art")},
                     &out, &err),
              2);
    EXPECT_TRUE(err.contains(QStringLiteral("no desktop")));
}

TEST_F(SearchCli, AnItemAddedByTheCliIsFoundThroughTheIndexItKeptCurrent)
{
    session().store.close();
    const QStringList store{QStringLiteral("--dir"), dir()};
    QString out, err;
    ASSERT_EQ(runCli(store + QStringList{QStringLiteral("item"), QStringLiteral("add"),
                                         QStringLiteral("--keyword"), QStringLiteral("bird"),
                                         QStringLiteral("an owl")},
                     &out, &err),
              0)
        << err.toStdString();
    EXPECT_EQ(runCli(store + QStringList{QStringLiteral("search"), QStringLiteral("owl")}, &out),
              0);
    ASSERT_EQ(runCli(store + QStringList{QStringLiteral("item"), QStringLiteral("add"),
                                         QStringLiteral("--keyword"), QStringLiteral("bird"),
                                         QStringLiteral("a second owl")},
                     &out, &err),
              0);
    EXPECT_EQ(runCli(store + QStringList{QStringLiteral("search"), QStringLiteral("owl")}, &out),
              0);
    EXPECT_EQ(out.count(QLatin1Char('\n')), 2);
}

}  // namespace
