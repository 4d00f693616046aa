#include "floor/Messages.h"

#include "platform/FileNames.h"
#include "session/Session.h"
#include "support/StoreFixture.h"

#include <gtest/gtest.h>

using namespace qb;

class Messages : public test::StoreFixture {};

TEST_F(Messages, SystemErrorShowsItsCodeAndWritesTheTwoLineProblemLog)
{
    messenger.expect(QStringLiteral("Something broke qb1050"));
    messenger.expect(QStringLiteral("Plain error qb7"));
    session().settings.alwaysShowSystemInfo = false;
    ShowInfo(QStringLiteral("Something broke"), QStringLiteral("qb1050"), kSystemError, 40060);
    ASSERT_EQ(messenger.count(), 1);
    EXPECT_TRUE(messenger.shown[0].request.showCode);
    EXPECT_EQ(messenger.shown[0].request.title(), QStringLiteral("SYSTEM ERROR"));
    QString log;
    ASSERT_TRUE(files::readTextFile(path(QStringLiteral("problems.txt")), &log));
    QStringList lines = log.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[1], QStringLiteral("qb1050"));
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("26-12-08")));

    // An ordinary error hides the code unless AlwaysShowSystemInfo is set.
    ShowInfo(QStringLiteral("Plain error"), QStringLiteral("qb7"), kError, 0);
    EXPECT_FALSE(messenger.shown[1].request.showCode);
    session().settings.alwaysShowSystemInfo = true;
    ShowInfo(QStringLiteral("Plain error"), QStringLiteral("qb7"), kError, 0);
    EXPECT_TRUE(messenger.shown[2].request.showCode);
}

TEST_F(Messages, QuietModeTurnsVerboseMessagesIntoABeep)
{
    session().settings.quiet = true;
    EXPECT_TRUE(ShowInfoIfVerbose(QStringLiteral("Saved"), QString(), kQuestionNo, 0));
    EXPECT_EQ(messenger.count(), 0);
    EXPECT_EQ(messenger.beeps, 1);
    WarningBeep();
    EXPECT_EQ(messenger.beeps, 1) << "the warning beep is silent in Quiet mode";
}

TEST_F(Messages, InputRequestTrimsTheAnswerBothWays)
{
    QString answer = QStringLiteral("   padded word  ");
    messenger.answer(MessageButton::Ok, QStringLiteral("  typed  "));
    EXPECT_TRUE(ShowInfo(QStringLiteral("Name?"), QString(), kInputRequest, answer, 0));
    EXPECT_EQ(messenger.shown[0].request.answer, QStringLiteral("padded word"));
    EXPECT_EQ(answer, QStringLiteral("typed"));

    QString kept = QStringLiteral("unchanged");
    messenger.answer(MessageButton::Cancel, QStringLiteral("ignored"));
    EXPECT_FALSE(ShowInfo(QStringLiteral("Name?"), QString(), kInputRequest, kept, 0));
    EXPECT_EQ(kept, QStringLiteral("unchanged"));

    QString empty = QStringLiteral("x");
    messenger.answer(MessageButton::Ok, QString(""));
    EXPECT_TRUE(ShowInfo(QStringLiteral("Name?"), QString(), kInputRequest, empty, 0));
    EXPECT_EQ(empty, QString());
}

TEST_F(Messages, CloseAllSetsTheStopFlagAndThenNothingIsShown)
{
    messenger.expect(QStringLiteral("still shown"));
    session().flags.requestEscape();
    messenger.answer(MessageButton::CloseAll);
    EXPECT_FALSE(
        ShowInfo(QStringLiteral("Database failure"), QStringLiteral("qb1"), kSystemError, 0));
    EXPECT_TRUE(session().flags.stopped());
    EXPECT_FALSE(session().flags.escapeRequested()) << "every message clears the Esc request";
    EXPECT_FALSE(AskYesDefault(QStringLiteral("Go on?"), 0));
    EXPECT_EQ(messenger.count(), 1);
    SysProblem(QStringLiteral("still shown"));
    ASSERT_EQ(messenger.plain.size(), 1u);
    EXPECT_EQ(messenger.plain[0],
              QStringLiteral("An unexpected system problem was encountered\r\nstill shown"));
}

TEST_F(Messages, WrappersUseTheirKindsAndDefaultHelpTopic)
{
    messenger.expect(QStringLiteral("Quit?"));
    messenger.expect(QStringLiteral("Go?"));
    messenger.expect(QStringLiteral("up115"));
    messenger.expect(QStringLiteral("piv467"));
    EXPECT_FALSE(AskNoDefault(QStringLiteral("Quit?"), 0));  // No is the default
    EXPECT_TRUE(AskYesDefault(QStringLiteral("Go?"), 40020));
    NonTrivialError(QStringLiteral("up115"));
    NotImplemented();
    ASSERT_EQ(messenger.count(), 4);
    EXPECT_EQ(messenger.shown[0].request.kind, kQuestionNo);
    EXPECT_EQ(messenger.shown[0].request.helpTopic, 60030);
    EXPECT_EQ(messenger.shown[1].request.helpTopic, 40020);
    EXPECT_EQ(messenger.shown[2].request.message,
              QStringLiteral("A non-trivial system error occurred here\r\nup115"));
    EXPECT_EQ(messenger.shown[2].request.code, QStringLiteral("up115"));
    EXPECT_EQ(messenger.shown[3].request.code, QStringLiteral("piv467"));
    EXPECT_TRUE(messenger.shown[3].request.message.startsWith(
        QStringLiteral("Not implemented in version ")));
}

TEST_F(Messages, EscHandlingOfWaits)
{
    session().flags.requestEscape();
    EXPECT_FALSE(GeneralDoNotAnulByEsc());
    EXPECT_TRUE(GeneralAnulByEsc());
    EXPECT_FALSE(session().flags.escapeRequested());
    EXPECT_FALSE(GeneralAnulByEsc());
}

TEST(WrapMessage, BreaksAtTheLastBreakCharacterAndKeepsAllText)
{
    QString text = QStringLiteral(
        "This is a fairly long message that must be wrapped somewhere before column fifty.");
    QString wrapped = WrapMessage(text, 50);
    QStringList lines = wrapped.split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 2);
    for (const QString& l : lines) EXPECT_LE(l.size(), 50);
    EXPECT_EQ(lines.join(QString()), text);
    EXPECT_TRUE(lines[0].endsWith(QLatin1Char(' ')));
    QString unbroken(130, QLatin1Char('x'));
    EXPECT_EQ(WrapMessage(unbroken, 64).remove(QStringLiteral("\r\n")), unbroken);
}
