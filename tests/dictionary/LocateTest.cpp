#include "DictionaryFixture.h"

#include "dictionary/DictionaryWindowRules.h"
#include "dictionary/LocateDialogLogic.h"

#include <gtest/gtest.h>

#include <functional>

using namespace qb;

class Locate : public test::DictionaryFixture {
protected:
    void SetUp() override
    {
        DictionaryFixture::SetUp();
        addWords({QStringLiteral("bar"), QStringLiteral("car"), QStringLiteral("carpet"),
                  QStringLiteral("oscar"), QStringLiteral("scarf")});
        window = &openWindow();
        window->browser().setOrder(DictOrder::Alphabetical);
        window->focused = true;
        dictionaryHooks().runLocateDialog = [this] {
            ++dialogRuns;
            LocateDialogLogic dialog;
            dialog.activate(clipboard);
            if (user) user(dialog);
            dialog.closed();
        };
    }
    // The user types text into the dialog and presses OK.
    void typeAndOk(const QString& text)
    {
        user = [text](LocateDialogLogic& d) {
            d.setInput(text);
            d.ok();
        };
    }
    void standOn(const QString& word) { ASSERT_TRUE(window->browser().positionOnWord(word)); }

    test::FakeDictionaryWindow* window = nullptr;
    std::function<void(LocateDialogLogic&)> user;
    QString clipboard;
    int dialogRuns = 0;
};

TEST_F(Locate, PlainSearchPrefersTheWholeWordThenAWordContainingTheText)
{
    standOn(QStringLiteral("scarf"));
    typeAndOk(QStringLiteral("CAR"));
    DictWordSearch();
    EXPECT_EQ(window->currentWord(), QStringLiteral("car"));
    EXPECT_EQ(dialogRuns, 1);
    EXPECT_EQ(dictionaryState().locate.searchText, QStringLiteral("car"));
    EXPECT_EQ(dictionaryState().locate.hitReport, QStringLiteral(" car"));
    EXPECT_EQ(dictionaryState().locate.caption, QStringLiteral("LOCATE WORD IN DICTIONARY"));
    EXPECT_TRUE(
        dictionaryState().locate.incrementalVisible);  // hidden only while the menu's search ran

    typeAndOk(QStringLiteral("arp"));
    DictWordSearch();
    EXPECT_EQ(window->currentWord(), QStringLiteral("carpet"));
    EXPECT_EQ(dictionaryState().locate.history,
              (QStringList{QStringLiteral("arp"), QStringLiteral("CAR")}));
}

TEST_F(Locate, NextMatchGoesOnFromTheRowAfterTheCurrentOneWithoutTheDialog)
{
    typeAndOk(QStringLiteral("car"));
    DictWordSearch();
    ASSERT_EQ(window->currentWord(), QStringLiteral("car"));
    QStringList hits;
    for (int i = 0; i < 4; ++i) {
        DictLocateFromMenu(true);
        hits << window->currentWord();
    }
    // Past the last match the search starts again from the top.
    EXPECT_EQ(hits, (QStringList{QStringLiteral("carpet"), QStringLiteral("oscar"),
                                 QStringLiteral("scarf"), QStringLiteral("car")}));
    EXPECT_EQ(dialogRuns, 1);
}

TEST_F(Locate, FromTopOffSearchesFromTheRowAfterTheCurrentOne)
{
    standOn(QStringLiteral("carpet"));
    dictionaryState().locate.fromTopChecked = false;
    typeAndOk(QStringLiteral("car"));
    DictWordSearch();
    EXPECT_EQ(window->currentWord(), QStringLiteral("oscar"));
    dictionaryState().locate.fromTopChecked = true;
    DictWordSearch();
    EXPECT_EQ(window->currentWord(), QStringLiteral("car"));
}

TEST_F(Locate, AFailedSearchReturnsToTheStartAndOffersTheInflections)
{
    standOn(QStringLiteral("oscar"));
    typeAndOk(QStringLiteral("zz"));
    messenger.answer(MessageButton::Cancel);
    DictWordSearch();
    EXPECT_EQ(window->currentWord(), QStringLiteral("oscar"));
    ASSERT_EQ(messenger.count(), 1);
    EXPECT_EQ(messenger.shown[0].request.message, QStringLiteral("Search among inflections?"));
    EXPECT_EQ(messenger.shown[0].request.code, QStringLiteral("d982"));
    EXPECT_EQ(messenger.shown[0].request.kind, kInputRequest);
    EXPECT_EQ(messenger.shown[0].request.answer, QStringLiteral("zz"));
    EXPECT_EQ(messenger.beeps, 1);
    EXPECT_TRUE(dictionaryState().locate.showDialog);
    EXPECT_EQ(dictionaryState().locate.failureCount, 1);

    // After a failure NextMatch shows the dialog again; Yes on the offer looks among the forms.
    dictionaryState().locate.incrementalChecked = false;
    exec(QStringLiteral("INSERT INTO INFLEC (Word, WNo) VALUES ('barred', 1)"));
    typeAndOk(QStringLiteral("barr"));
    messenger.answer(MessageButton::Ok, QStringLiteral("barr"));
    DictLocateFromMenu(true);
    EXPECT_EQ(dialogRuns, 2);
    EXPECT_EQ(window->inflectionWindows, QStringList{QStringLiteral("bar")});
    EXPECT_EQ(window->currentWord(), QStringLiteral("oscar"));
}

TEST_F(Locate, IncrementalTypingJumpsAfterThePauseAndComesBack)
{
    window->browser().goLast();
    std::vector<std::function<void(LocateDialogLogic&)>> visits;
    visits.push_back([](LocateDialogLogic& d) {
        EXPECT_TRUE(d.incrementalMode());
        EXPECT_EQ(d.input(), QStringLiteral("c"));  // the typed character
        EXPECT_FALSE(d.selectAllOnOpen());
        EXPECT_FALSE(d.keyReleased(Qt::Key_C));  // one character does not jump
        d.charTyped(QLatin1Char('a'));
        d.setInput(QStringLiteral("ca"));
        ASSERT_TRUE(d.keyReleased(Qt::Key_A));
        d.bufferTyped(QStringLiteral("rp"));  // typed while the jump waits
        d.timerFired();
    });
    visits.push_back([this](LocateDialogLogic& d) {
        EXPECT_EQ(window->currentWord(), QStringLiteral("carpet"));
        EXPECT_EQ(d.input(), QStringLiteral("carp"));
        EXPECT_TRUE(d.showButtonVisible());
        EXPECT_EQ(dictionaryState().locate.statText, QStringLiteral("  0"));
        d.charTyped(QLatin1Char('x'));
        d.setInput(QStringLiteral("carpx"));
        ASSERT_TRUE(d.keyReleased(Qt::Key_X));
        d.timerFired();
    });
    visits.push_back([this](LocateDialogLogic& d) {
        // The failed jump: back where the search began, the input emptied for new typing.
        EXPECT_EQ(window->currentWord(), QStringLiteral("scarf"));
        EXPECT_EQ(d.input(), QString());
        d.setInput(QStringLiteral("word"));
        d.space();
        EXPECT_EQ(d.input(), QString());
        d.leave();
    });
    size_t visit = 0;
    user = [&](LocateDialogLogic& d) {
        ASSERT_LT(visit, visits.size());
        visits[visit++](d);
    };
    ASSERT_TRUE(DictLocateFromKeyPress(QLatin1Char('C')));
    EXPECT_EQ(visit, 3u);
    EXPECT_EQ(messenger.count(), 0);  // no offer of the inflections while typing
    EXPECT_FALSE(dictionaryState().locate.continuation);
    EXPECT_FALSE(DictLocateFromKeyPress(QLatin1Char('+')));
    EXPECT_EQ(visit, 3u);
}

TEST_F(Locate, TheDialogProposesTheClipboardAndCountsConcepts)
{
    dictionaryState().locate.incrementalVisible = false;  // as the menu's search opens it
    LocateDialogLogic d;
    d.activate(QStringLiteral("   "));
    EXPECT_EQ(d.input(), QString());
    d.activate(QString(QChar(0x1b)));
    EXPECT_EQ(d.input(), QString());
    d.activate(QStringLiteral("Oscar\r\nsecond line"));
    EXPECT_EQ(d.input(), QStringLiteral("Oscar"));
    EXPECT_TRUE(d.compact());
    EXPECT_EQ(d.height(), LocateDialogLogic::kCompactHeight);
    EXPECT_TRUE(d.countButtonVisible());
    EXPECT_TRUE(d.fromTopVisible());
    d.activate(QStringLiteral("other"));
    EXPECT_EQ(d.input(), QStringLiteral("Oscar"));  // an input is kept
    d.ctrlPressed();
    EXPECT_FALSE(dictionaryState().locate.fromTopChecked);

    addConcept(-46000.5, {4});
    addConcept(-46001.5, {4, 2});
    std::vector<Timestamp> shown;
    dictionaryHooks().developConcepts = [&](const std::vector<Timestamp>& ids, QPoint) {
        shown = ids;
    };
    typeAndOk(QStringLiteral("oscar"));
    DictWordSearch();
    ASSERT_EQ(dictionaryState().locate.foundWordNo, 4);
    dictionaryState().locate.status = LocateStatus::Found;
    LocateDialogLogic counted;
    EXPECT_FALSE(counted.showButtonVisible());  // not before the count is known
    counted.countConcepts();
    EXPECT_EQ(dictionaryState().locate.statText, QStringLiteral("  2"));
    EXPECT_TRUE(counted.showButtonVisible());
    EXPECT_FALSE(counted.okVisible());
    counted.show();
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_FALSE(scalar(QStringLiteral("SELECT WTS2 FROM WORD WHERE WNo = 4")).isNull());
    EXPECT_TRUE(counted.closeRequested());
}

TEST_F(Locate, EscAsksWhetherToStopUnlessQuiet)
{
    messenger.expect(QStringLiteral("lw238"));
    LocateDialogLogic d;
    EXPECT_FALSE(d.escPressed());  // No is the default
    EXPECT_EQ(messenger.shown.back().request.code, QStringLiteral("lw238"));
    EXPECT_FALSE(session().flags.escapeRequested());
    session().settings.quiet = true;
    session().commitRunning.raise();
    EXPECT_TRUE(d.escPressed());
    EXPECT_TRUE(session().flags.escapeRequested());
    EXPECT_FALSE(session().commitRunning.raised());
    EXPECT_EQ(messenger.beeps, 1);
}

TEST_F(Locate, OtherPartsPositionTheFirstShownWindowByNumber)
{
    auto& second = openWindow();
    window->shown = false;
    DictPositionFromMain(3);
    EXPECT_EQ(second.currentWord(), QStringLiteral("carpet"));
    EXPECT_TRUE(second.focused);
    EXPECT_EQ(second.frontCount, 1);
    DictPositionFromMain(77);
    EXPECT_EQ(second.browser().currentIndex(), second.browser().rowCount() - 1);
}

TEST_F(Locate, DropsPositionTheWindowOrSayWhyNot)
{
    messenger.expect(QStringLiteral("d467"));
    DictionaryBrowser& b = window->browser();
    EXPECT_TRUE(DropOnDictionary(*window, {DictDropSource::ConceptOrKeyword, 4, {}}));
    EXPECT_EQ(window->currentWord(), QStringLiteral("oscar"));
    EXPECT_EQ(dictionaryState().keys.word, QStringLiteral("oscar"));
    b.setOrder(DictOrder::TimeStamp);
    EXPECT_EQ(window->currentWord(), QStringLiteral("oscar"));  // the keys keep the dropped row

    EXPECT_FALSE(DropOnDictionary(*window, {DictDropSource::ConceptOrKeyword, 99, {}}));
    EXPECT_EQ(messenger.shown.back().request.code, QStringLiteral("d467"));
    EXPECT_TRUE(DropOnDictionary(*window, {DictDropSource::Project, 0, QStringLiteral("SCARF")}));
    EXPECT_EQ(window->currentWord(), QStringLiteral("scarf"));
    EXPECT_FALSE(DropOnDictionary(*window, {DictDropSource::Project, 0, QStringLiteral("GARDEN")}));
    EXPECT_TRUE(messenger.saw(QStringLiteral("Word not found in Dictionary as a primary word")));
    int said = messenger.count();
    EXPECT_FALSE(DropOnDictionary(*window, {DictDropSource::DictionaryWindow, 99, {}}));
    session().settings.quiet = true;
    EXPECT_FALSE(DropOnDictionary(*window, {DictDropSource::InflectionWindow, 99, {}}));
    EXPECT_EQ(messenger.count(), said);

    exec(QStringLiteral("INSERT INTO INFLEC (Word, WNo) VALUES ('scarves', 5)"));
    EXPECT_TRUE(DropOnDictionary(*window, {DictDropSource::Flyword, 0, QStringLiteral("scarves")}));
    EXPECT_EQ(window->currentWord(), QStringLiteral("scarf"));
    EXPECT_EQ(window->inflectionWindows, QStringList{QStringLiteral("scarf")});
}
