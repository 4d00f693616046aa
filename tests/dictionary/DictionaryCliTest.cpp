#include "DictionaryFixture.h"

#include <gtest/gtest.h>

using namespace qb;

class DictionaryCli : public test::DictionaryFixture {};

TEST_F(DictionaryCli, WordsAreAddedAndListedInEachOrder)
{
    session().store.close();  // the command line opens the store itself
    QString out;
    QString err;
    ASSERT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("word"), QStringLiteral("add"),
                      QStringLiteral("Pear")},
                     &out),
              0);
    EXPECT_EQ(out, QStringLiteral("1\tpear\n"));
    ASSERT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("word"), QStringLiteral("add"),
                      QStringLiteral("50%_off")},
                     &out),
              0);
    ASSERT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("word"), QStringLiteral("add"),
                      QStringLiteral("apple")},
                     &out),
              0);
    EXPECT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("word"), QStringLiteral("add"),
                      QString(39, QLatin1Char('x'))},
                     &out, &err),
              1);
    EXPECT_TRUE(err.contains(QStringLiteral("at most 38 characters")));
    EXPECT_EQ(
        runCli({QStringLiteral("--dir"), dir(), QStringLiteral("word"), QStringLiteral("add")}), 2);

    ASSERT_EQ(
        runCli({QStringLiteral("--dir"), dir(), QStringLiteral("word"), QStringLiteral("list")},
               &out),
        0);
    EXPECT_EQ(out, QStringLiteral("2\t50%_off\n3\tapple\n1\tpear\n"));
    ASSERT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("word"),
                      QStringLiteral("list"), QStringLiteral("--order"), QStringLiteral("freq")},
                     &out),
              0);
    EXPECT_EQ(out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), 3);
    EXPECT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("word"),
                      QStringLiteral("list"), QStringLiteral("--order"), QStringLiteral("size")},
                     &out, &err),
              2);
    EXPECT_TRUE(err.contains(QStringLiteral("unknown order")));
}

TEST_F(DictionaryCli, ConceptsAreListedWithTheirWords)
{
    addWords({QStringLiteral("car"), QStringLiteral("auto")});
    addConcept(-46000.5, {1, 2});
    session().store.close();
    QString out;
    ASSERT_EQ(
        runCli({QStringLiteral("--dir"), dir(), QStringLiteral("concept"), QStringLiteral("list")},
               &out),
        0);
    EXPECT_EQ(out, QStringLiteral("-46000.500000000\tcar, auto\n"));
    EXPECT_EQ(
        runCli({QStringLiteral("--dir"), dir(), QStringLiteral("concept"), QStringLiteral("show")}),
        2);
}
