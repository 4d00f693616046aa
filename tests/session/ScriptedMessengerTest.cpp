#include "support/ScriptedMessenger.h"

#include <gtest/gtest.h>

using namespace qb;
using qb::test::ScriptedMessenger;

namespace {

MessageRequest request(const QString& message, const QString& code)
{
    MessageRequest r;
    r.message = message;
    r.code = code;
    return r;
}

}  // namespace

// The end-of-test check of the fixture's messenger: what it lets through and what it names.
TEST(ScriptedMessenger, NamesUnusedAnswersUnexpectedMessagesAndDeclaredOnesThatNeverCame)
{
    ScriptedMessenger m;
    EXPECT_TRUE(m.problems().isEmpty());

    m.answer(MessageButton::Yes);
    m.answer(MessageButton::No);
    m.showInfo(request(QStringLiteral("Go on?"), QStringLiteral("q1")));     // takes Yes
    m.showInfo(request(QStringLiteral("Disk full"), QStringLiteral("e2")));  // takes No
    m.showInfo(request(QStringLiteral("Nobody asked"), QStringLiteral("x3")));
    m.plainMessage(QStringLiteral("Plain words"));
    m.showInfo(request(QStringLiteral("Looked at"), QStringLiteral("s4")));
    m.showInfo(request(QStringLiteral("Declared"), QStringLiteral("d5")));
    m.showInfo(request(QStringLiteral("Maybe here"), QStringLiteral("a6")));
    m.answer(MessageButton::Cancel);
    m.expect(QStringLiteral("d5"));
    m.expect(QStringLiteral("never shown"));
    m.allow(QStringLiteral("Maybe"));
    m.allow(QStringLiteral("not there either"));
    EXPECT_TRUE(m.saw(QStringLiteral("Looked")));

    EXPECT_EQ(
        m.problems(),
        QStringList({
            QStringLiteral("a queued answer was never used (button %1, text \"\")")
                .arg(int(MessageButton::Cancel)),
            QStringLiteral("a message the test did not expect: \"Nobody asked\", code x3"),
            QStringLiteral("a message the test did not expect: \"Plain words\", code (plain)"),
            QStringLiteral("an expected message never came: \"never shown\""),
        }));

    // clear() hides messages from saw() but not from the end check.
    m.clear();
    EXPECT_FALSE(m.saw(QStringLiteral("Nobody asked")));
    EXPECT_EQ(m.problems().size(), 4);

    m.expectAny();
    EXPECT_EQ(m.problems().size(), 2) << "the unused answer and the missing declared message stay";
}
