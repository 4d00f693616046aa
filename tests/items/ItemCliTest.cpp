#include "ItemsFixture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace qb;

namespace {

class ItemCli : public test::ItemsFixture {};

TEST_F(ItemCli, ShowPrintsTheTextTheKeywordsAndTheProjects)
{
    addWord(7, QStringLiteral("r\u00E9sum\u00E9"));
    addWord(8, QStringLiteral("plan"));
    addProject(QStringLiteral("OLD"), -45000.0L);
    addProject(QStringLiteral("NEW"), -45900.0L);
    const Timestamp id = -46300.0412345L;
    addItem(id,
            QStringLiteral(
                "first line\n\u041A\u0438\u0440\u0438\u043B\u043B\u0438\u0446\u0430 \"quoted\""),
            {{-45100.5L, 7}, {-45200.5L, 8}}, {QStringLiteral("OLD"), QStringLiteral("NEW")});
    session().store.close();

    QString out, err;
    // The id as printed, with 15 significant digits.
    ASSERT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("item"),
                      QStringLiteral("show"), QStringLiteral("-46300.0412345")},
                     &out, &err),
              0)
        << err.toStdString();
    EXPECT_EQ(out,
              QStringLiteral(
                  "item -46300.0412345\n"
                  "text\n"
                  "first line\n\u041A\u0438\u0440\u0438\u043B\u043B\u0438\u0446\u0430 \"quoted\"\n"
                  "keywords 2\n"
                  "  r\u00E9sum\u00E9 (word 7, concept -45100.5)\n"
                  "  plan (word 8, concept -45200.5)\n"
                  "projects 2\n"
                  "  NEW\n"
                  "  OLD\n"));

    EXPECT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("item"),
                      QStringLiteral("show"), QStringLiteral("-46300.05")},
                     &out, &err),
              1);
    EXPECT_TRUE(err.contains(QStringLiteral("No item with id")));
    EXPECT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("item"),
                      QStringLiteral("show"), QStringLiteral("x'; --")},
                     &out, &err),
              2);
    EXPECT_EQ(
        runCli({QStringLiteral("--dir"), dir(), QStringLiteral("item"), QStringLiteral("list")},
               &out, &err),
        2);
}

TEST_F(ItemCli, AddStoresAnItemThroughTheCommitAndChoosesTheConceptAsTheCaptureDoes)
{
    session().store.close();
    auto cli = [&](QStringList args, QString* out, QString* err) {
        args.prepend(dir());
        args.prepend(QStringLiteral("--dir"));
        return runCli(args, out, err);
    };
    QString out, err;
    // A word not in the dictionary becomes a word with a concept of its own.
    ASSERT_EQ(
        cli({"item", "add", "--keyword", "Rose", "A rose is a rose\r\nis a \"rose\""}, &out, &err),
        0)
        << err.toStdString();
    const QString first = out.trimmed();
    ASSERT_EQ(cli({"item", "show", first}, &out, &err), 0) << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("A rose is a rose\nis a \"rose\"\n")))
        << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("keywords 1\n  rose (word 1, concept")))
        << out.toStdString();

    // The second item with that word goes through the same concept.
    ASSERT_EQ(cli({"item", "add", "--keyword", "rose", "second"}, &out, &err), 0)
        << err.toStdString();
    QString error;
    ASSERT_TRUE(session().store.open(dir(), &error)) << error.toStdString();
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(DISTINCT C) FROM DICT")).toInt(), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(DISTINCT ITC) FROM ITEMKEYS")).toInt(), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM ITEM")).toInt(), 2);

    // A word of two concepts is refused with a clear message and nothing is written.
    sql::Statement second(
        session().store.db(),
        QStringLiteral("INSERT INTO DICT (C, WNo, CTS) VALUES (-40000.5, 1, -40000.5)"));
    ASSERT_TRUE(second.run());
    session().store.close();
    EXPECT_EQ(cli({"item", "add", "--keyword", "rose", "third"}, &out, &err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("belongs to 2 concepts"))) << err.toStdString();
    ASSERT_TRUE(session().store.open(dir(), &error));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM ITEM")).toInt(), 2);

    session().store.close();
    EXPECT_EQ(cli({"item", "add", "some text"}, &out, &err), 2);
    EXPECT_EQ(cli({"item", "add", "--keyword", "rose", "   "}, &out, &err), 1);
}

TEST_F(ItemCli, AFailedAddLeavesNoNewWordBehind)
{
    exec(QStringLiteral(
        "CREATE TRIGGER refuse BEFORE INSERT ON ITEM BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    session().store.close();
    QString out, err;
    EXPECT_EQ(runCli({"--dir", dir(), "item", "add", "--keyword", "lonely", "text"}, &out, &err),
              1);
    QString error;
    ASSERT_TRUE(session().store.open(dir(), &error)) << error.toStdString();
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM WORD")).toInt(), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM INFLEC")).toInt(), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM DICT")).toInt(), 0);
}

TEST_F(ItemCli, NothingIsAddedIntoADamagedFile)
{
    for (int i = 0; i < 200; ++i) addItem(-46000.0 - i, QString(400, QChar(u'a' + i % 26)));
    session().store.close();
    QFile file(QDir(dir()).filePath(QStringLiteral("ITEM.DB")));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(3 * 4096));
    file.write(QByteArray(8192, 'Z'));
    file.close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray damaged = file.readAll();
    file.close();

    QString out, err;
    EXPECT_EQ(runCli({"--dir", dir(), "item", "add", "--keyword", "fresh", "text"}, &out, &err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("ITEM.DB is damaged"))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("Restore ITEM.DB from a backup"))) << err.toStdString();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), damaged);
    QString error;
    ASSERT_TRUE(session().store.open(dir(), &error)) << error.toStdString();
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM WORD")).toInt(), 0);
}

TEST_F(ItemCli, ArgumentsAreTakenAsTheUserMeantThem)
{
    session().store.close();
    const QString cli = cliPath();
    QString out, err;
    auto show = [&](const QString& id) {
        QString shown;
        EXPECT_EQ(runCli({"--dir", dir(), "item", "show", id}, &shown, &err), 0)
            << err.toStdString();
        return shown;
    };

    // Bytes that are not UTF-8 are refused, not stored as replacement characters.
    QProcess shell;
    shell.start(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"),
         QStringLiteral("exec \"$1\" --dir \"$2\" item add --keyword \"$(printf 'ab\\377')\" text"),
         QStringLiteral("sh"), cli, dir()});
    ASSERT_TRUE(shell.waitForFinished(60000));
    EXPECT_EQ(shell.exitCode(), 2) << shell.readAllStandardError().toStdString();

    // "--" ends the options: the text "--yes" is the text.
    ASSERT_EQ(
        runCli({"--dir", dir(), "item", "add", "--keyword", "flag", "--", "--yes"}, &out, &err), 0)
        << err.toStdString();
    EXPECT_TRUE(show(out.trimmed()).contains(QStringLiteral("text\n--yes\n")));

    // Twenty emoji are twenty characters.
    QString emoji;
    for (int i = 0; i < 20; ++i) emoji += QString::fromUcs4(U"\U0001F600", 1);
    ASSERT_EQ(runCli({"--dir", dir(), "item", "add", "--keyword", emoji, "smile"}, &out, &err), 0)
        << err.toStdString();
    EXPECT_TRUE(
        show(out.trimmed()).contains(QStringLiteral("  ") + emoji + QStringLiteral(" (word")));

    // The text from a file, and from standard input.
    QString longText = QStringLiteral("from a file \u00E9\n");
    longText += QString(20000, QLatin1Char('x'));
    QFile file(dir() + QStringLiteral("/text.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(longText.toUtf8());
    file.close();
    ASSERT_EQ(
        runCli({"--dir", dir(), "item", "add", "--keyword", "flag", "--file", file.fileName()},
               &out, &err),
        0)
        << err.toStdString();
    EXPECT_TRUE(show(out.trimmed()).contains(longText));

    QProcess piped;
    piped.start(cli, {"--dir", dir(), "item", "add", "--keyword", "flag", "--file", "-"});
    ASSERT_TRUE(piped.waitForStarted());
    piped.write("through a pipe\n");
    piped.closeWriteChannel();
    ASSERT_TRUE(piped.waitForFinished(60000));
    ASSERT_EQ(piped.exitCode(), 0) << piped.readAllStandardError().toStdString();
    EXPECT_TRUE(show(QString::fromUtf8(piped.readAllStandardOutput()).trimmed())
                    .contains(QStringLiteral("through a pipe\n")));

    QString error;
    ASSERT_TRUE(session().store.open(dir(), &error)) << error.toStdString();
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM WORD")).toInt(), 2);
}

TEST_F(ItemCli, ARelativeFileIsTheCallersNotTheStores)
{
    session().store.close();
    QTemporaryDir caller;
    ASSERT_TRUE(caller.isValid());
    for (const auto& [where, text] :
         {std::pair{caller.path(), "the caller's note"}, std::pair{dir(), "the store's note"}}) {
        QFile note(where + QStringLiteral("/note.txt"));
        ASSERT_TRUE(note.open(QIODevice::WriteOnly));
        note.write(text);
    }
    QProcess add;
    add.setWorkingDirectory(caller.path());
    add.start(cliPath(),
              {"--dir", dir(), "item", "add", "--keyword", "note", "--file", "note.txt"});
    ASSERT_TRUE(add.waitForFinished(60000));
    ASSERT_EQ(add.exitCode(), 0) << add.readAllStandardError().toStdString();
    QString out, err;
    ASSERT_EQ(runCli({"--dir", dir(), "item", "show",
                      QString::fromUtf8(add.readAllStandardOutput()).trimmed()},
                     &out, &err),
              0)
        << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("text\nthe caller's note\n"))) << out.toStdString();
}

TEST_F(ItemCli, ANulInTheTextIsRefusedAndTabsAndLineBreaksAreKept)
{
    session().store.close();
    QString out, err;
    auto addFile = [&](const QByteArray& bytes) {
        QFile file(dir() + QStringLiteral("/text.txt"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        return runCli({"--dir", dir(), "item", "add", "--keyword", "k", "--file", file.fileName()},
                      &out, &err);
    };
    EXPECT_EQ(addFile(QByteArray("shown\0hidden", 12)), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("must not contain a NUL character")))
        << err.toStdString();

    ASSERT_EQ(addFile("a\tb\nc"), 0) << err.toStdString();
    ASSERT_EQ(runCli({"--dir", dir(), "item", "show", out.trimmed()}, &out, &err), 0);
    EXPECT_TRUE(out.contains(QStringLiteral("text\na\tb\nc\n"))) << out.toStdString();
    QString error;
    ASSERT_TRUE(session().store.open(dir(), &error)) << error.toStdString();
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM ITEM")).toInt(), 1);
}

}  // namespace
