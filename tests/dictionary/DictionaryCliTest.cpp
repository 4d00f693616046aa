#include "DictionaryFixture.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <memory>
#include <vector>

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

TEST_F(DictionaryCli, AKnownSpellingIsNeverAddedTwiceNotEvenBesideItemAdds)
{
    session().store.close();
    QString out, err;
    ASSERT_EQ(runCli({"--dir", dir(), "word", "add", "shared"}, &out, &err), 0);
    EXPECT_EQ(runCli({"--dir", dir(), "word", "add", "Shared"}, &out, &err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("\"shared\" is in the dictionary already (word 1)")))
        << err.toStdString();

    // Two word adds and an item add of one new spelling at once, round after round.
    for (int round = 0; round < 5; ++round) {
        const QString word = QStringLiteral("word%1").arg(round);
        std::vector<std::unique_ptr<QProcess>> runs;
        for (const QStringList& args :
             {QStringList{"word", "add", word}, QStringList{"item", "add", "--keyword", word, "x"},
              QStringList{"word", "add", word}}) {
            runs.push_back(std::make_unique<QProcess>());
            runs.back()->start(cliPath(), QStringList{"--dir", dir()} + args);
        }
        for (auto& run : runs) ASSERT_TRUE(run->waitForFinished(60000));
        EXPECT_EQ(runs[1]->exitCode(), 0) << runs[1]->readAllStandardError().toStdString();
    }
    QString error;
    ASSERT_TRUE(session().store.open(dir(), &error)) << error.toStdString();
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM WORD").toInt(), 6);
    EXPECT_EQ(scalar("SELECT COUNT(DISTINCT Word) FROM WORD").toInt(), 6);
}

TEST_F(DictionaryCli, ControlCharactersAreRefusedInWordsAndKeywords)
{
    session().store.close();
    QString out, err;
    for (const QString& word : {QStringLiteral("tab\there"), QStringLiteral("esc\x1b[31m")}) {
        EXPECT_EQ(runCli({"--dir", dir(), "word", "add", word}, &out, &err), 1);
        EXPECT_TRUE(err.contains(QStringLiteral("must not contain control characters")))
            << err.toStdString();
    }
    EXPECT_EQ(
        runCli({"--dir", dir(), "item", "add", "--keyword", "two\nlines", "text"}, &out, &err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("must not contain control characters")))
        << err.toStdString();
    ASSERT_EQ(runCli({"--dir", dir(), "word", "list"}, &out, &err), 0);
    EXPECT_EQ(out, QString());
}
