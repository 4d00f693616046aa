#include "cards/CommandPanel.h"
#include "cards/DragPayload.h"
#include "cards/PlacementCounters.h"
#include "desktop/PopulateState.h"
#include "dictionary/DictionaryState.h"
#include "dictionary/DictionaryWindows.h"
#include "items/ItemCommands.h"
#include "items/ItemHooks.h"
#include "session/ExecFile.h"
#include "session/Session.h"
#include "support/StoreFixture.h"

#include <QPointer>

#include <gtest/gtest.h>

using namespace qb;

namespace {

class RunState : public test::StoreFixture {
protected:
    RunState() : StoreFixture(false) {}
};

TEST_F(RunState, ResetLeavesNothingOfTheRunBehind)
{
    Session& s = session();
    s.flags.requestStop();
    s.flags.requestEscape();
    s.flags.holdAbort();
    s.flags.beginClosing();
    s.commitRunning.raise();
    populateState().loading = true;
    populateState().escPresses = 3;
    populateState().hooks.endProgram = [] {};
    placementCounters().popItems = {48, 56};
    CurrentDrag().word = QStringLiteral("river");
    itemHooks().associate = [](Timestamp, Timestamp) {};
    lastEnteredItem() = -45000.5L;
    CurrentGroupColor() = QColor(Qt::red);
    dictionaryState().lastNewWord = QStringLiteral("river");
    dictionaryHooks().focusLogoPanel = [] {};
    TExecFile::setPeriodScale(0.25);
    QPointer<TMyPopUpMenu> panel = &TMyPopUpMenu::instance();

    s.resetRunState();

    EXPECT_FALSE(s.flags.stopped() || s.flags.escapeRequested() || s.flags.abortHeld() ||
                 s.flags.closing());
    EXPECT_FALSE(s.commitRunning.raised());
    EXPECT_FALSE(populateState().loading);
    EXPECT_EQ(populateState().escPresses, 0);
    EXPECT_FALSE(populateState().hooks.endProgram);
    EXPECT_EQ(placementCounters().popItems, QPoint(0, 0));
    EXPECT_TRUE(CurrentDrag().word.isEmpty());
    EXPECT_FALSE(itemHooks().associate);
    EXPECT_EQ(lastEnteredItem(), -1.0L);
    EXPECT_FALSE(CurrentGroupColor().isValid());
    EXPECT_TRUE(dictionaryState().lastNewWord.isEmpty());
    EXPECT_FALSE(dictionaryHooks().focusLogoPanel);
    EXPECT_EQ(TExecFile::periodScale(), 1.0);
    EXPECT_TRUE(panel.isNull()) << "the run's command panel goes with the run";
}

}  // namespace
