#include "desktop/PopulateRules.h"
#include "desktop/PopulateState.h"
#include "session/Session.h"
#include "support/StoreFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>

#include <gtest/gtest.h>

using namespace qb;

namespace {

class PopulateRulesTest : public test::StoreFixture {
protected:
    PopulateRulesTest() : StoreFixture(false) {}
    void SetUp() override
    {
        StoreFixture::SetUp();
        populateState().hooks.enableDesktop = [this](bool on) { enabled.push_back(on); };
    }
    std::vector<bool> enabled;
};

TEST_F(PopulateRulesTest, ItemsPileUpAtTheLimitOfTheDesktop)
{
    const Settings s;
    // Scrolled: the limit is a desktop coordinate, so it lies nearer in the visible part.
    EXPECT_EQ(ItemSetPosition({100, 50}, 70, {500, 400}, s, false), QPoint(1220, 1320));
    EXPECT_EQ(ItemSetPosition({100, 50}, 0, {500, 400}, s, false), QPoint(128, 50));
}

TEST_F(PopulateRulesTest, CollectedTextHasTheHeadAndEachTextAfterAnEmptyLine)
{
    const QDateTime when(QDate(2026, 12, 8), QTime(14, 35, 7));
    ProjectTextCollector c;
    EXPECT_FALSE(c.add(QStringLiteral("before start"), true));
    c.start(QStringLiteral("GARDEN"), when);
    EXPECT_TRUE(c.add(QStringLiteral("first text"), true));
    EXPECT_TRUE(c.add(QStringLiteral("second\ntext"), false));
    const QString head =
        QStringLiteral("GARDEN   ") + QLocale().toString(when, QLocale::ShortFormat);
    EXPECT_TRUE(c.text().startsWith(head)) << c.text().toStdString();
    EXPECT_TRUE(c.text().endsWith(QStringLiteral("\n\nfirst text\n\nsecond\ntext")))
        << c.text().toStdString();
    // A new card counts 100 more than its text; a card that was there counts its text alone.
    EXPECT_EQ(c.running(), 10 + 100 + 11);
}

TEST_F(PopulateRulesTest, CollectedTextStopsKeepingNearItsLimit)
{
    ProjectTextCollector c;
    c.start(QStringLiteral("P"), QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
    const QString big(31900, QLatin1Char('x'));
    int kept = 0;
    for (int i = 0; i < 10; ++i) kept += c.add(big, true) ? 1 : 0;
    // 8 x 32000 = 256000 passes 255900: the eighth text and the rest are left out.
    EXPECT_EQ(kept, 7);
    EXPECT_LE(c.text().size(), ProjectTextCollector::kBufferLength);
    // The running length starts again with each set.
    c.resetRunning();
    EXPECT_TRUE(c.add(QStringLiteral("small"), true));
    EXPECT_LE(c.text().size(), ProjectTextCollector::kBufferLength);
}

TEST_F(PopulateRulesTest, KeyPressesClearTheFlagsAndEscSetsTheAbortFlags)
{
    Session& s = session();
    s.flags.requestEscape();
    s.commitRunning.raise();
    populateState().loading = true;
    KeyPressFlags(false);
    EXPECT_FALSE(s.flags.escapeRequested());
    EXPECT_FALSE(s.commitRunning.raised());
    EXPECT_FALSE(populateState().loading);
    ASSERT_FALSE(enabled.empty());
    EXPECT_TRUE(enabled.back());

    s.commitRunning.raise();
    KeyPressFlags(true);
    EXPECT_TRUE(s.flags.escapeRequested());
    EXPECT_TRUE(s.flags.abortHeld());
    EXPECT_FALSE(s.commitRunning.raised());
    EXPECT_EQ(populateState().escPresses, 1);
    const int start = 0;
    EXPECT_TRUE(PopulateStopRequested(start, false));

    // The release takes the Esc request; the held abort and the count stay.
    KeyReleaseFlags();
    EXPECT_FALSE(s.flags.escapeRequested());
    EXPECT_TRUE(s.flags.abortHeld());
    EXPECT_TRUE(PopulateStopRequested(start, false));
    // A loop begun after the press, the abort already held.
    EXPECT_FALSE(PopulateStopRequested(populateState().escPresses, true));
}

TEST_F(PopulateRulesTest, NestedRunsLeaveTheDesktopToTheOutermost)
{
    Session& s = session();
    {
        PopulateRun outer;
        EXPECT_TRUE(s.commitRunning.raised());
        EXPECT_TRUE(populateState().lock.isActive());
        {
            PopulateRun inner;
            EXPECT_TRUE(s.commitRunning.raised());
        }
        EXPECT_TRUE(s.commitRunning.raised());
        EXPECT_EQ(enabled, std::vector<bool>{false});
    }
    EXPECT_FALSE(s.commitRunning.raised());
    EXPECT_EQ(enabled, (std::vector<bool>{false, true}));
}

TEST_F(PopulateRulesTest, TheDesktopLockFreesTheDesktopAfterItsTime)
{
    Session& s = session();
    DesktopLock& lock = populateState().lock;
    EXPECT_EQ(lock.interval(), 10000);

    // Fired while a commit runs: the desktop takes input, the held abort stays.
    s.flags.holdAbort();
    s.commitRunning.raise();
    lock.start();
    lock.fire();
    EXPECT_FALSE(lock.isActive());
    EXPECT_TRUE(enabled.back());
    EXPECT_TRUE(s.flags.abortHeld());

    // A shortened lock through the event loop; no commit runs: the held abort goes.
    s.commitRunning.lower();
    enabled.clear();
    lock.setInterval(20);
    lock.start();
    QElapsedTimer waited;
    waited.start();
    while (lock.isActive() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_FALSE(lock.isActive());
    EXPECT_EQ(enabled, std::vector<bool>{true});
    EXPECT_FALSE(s.flags.abortHeld());
}

TEST_F(PopulateRulesTest, FailureReportsSetTheAbortFlagsOrEndTheProgram)
{
    messenger.expect(QStringLiteral("disk full.Drop command failed"));
    messenger.expect(QStringLiteral("Develop Concept set failed"));
    Session& s = session();
    int ended = 0;
    populateState().hooks.endProgram = [&] { ++ended; };
    ReportPopulateFailure(QStringLiteral("disk full"),
                          QStringLiteral(".Drop command failed  Press Esc"));
    ASSERT_EQ(messenger.plain.size(), 1u);
    EXPECT_EQ(messenger.plain[0], QStringLiteral("disk full.Drop command failed  Press Esc"));
    EXPECT_TRUE(s.flags.escapeRequested());
    EXPECT_TRUE(s.flags.abortHeld());
    EXPECT_EQ(ended, 0);

    s.flags.clearEscape();
    s.flags.releaseAbort();
    ReportPopulateFailure(QStringLiteral("Windows API error"),
                          QStringLiteral(". Develop Concept set failed Press Esc"));
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(s.flags.abortHeld());
}

}  // namespace
