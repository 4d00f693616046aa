// New items, the date stamp, the card-side-up mode and Update Changes, through the main window's
// commands as the user gives them.
#include "ItemsFixture.h"

#include "cards/Desktop.h"
#include "cards/DesktopMap.h"
#include "cards/DesktopMapPanel.h"
#include "items/CardSideIndicatorPanel.h"
#include "items/DesktopPicturePanel.h"
#include "items/ItemCard.h"
#include "items/ItemCommands.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/MainWindow.h"
#include "shell/ToolBarPanel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QToolButton>

using namespace qb;

namespace {

constexpr Timestamp kConcept = -45000.25L;

class NewItems : public test::ItemsFixture {
protected:
    void SetUp() override
    {
        ItemsFixture::SetUp();
        qApp->setQuitOnLastWindowClosed(false);
        cwd = QDir::currentPath();
        addWord(1, QStringLiteral("apple"));
        addConcept(kConcept, {1});
        window = std::make_unique<TBillBoard>();
        window->resize(900, 700);
        window->show();
        // The first activation clears the desktop and runs the start-up checks: it is over before
        // the test puts cards down.
        QCoreApplication::processEvents();
        if (!window->firstActivationDone()) window->FormActivate();
        QCoreApplication::processEvents();
        messenger.clear();
    }
    void TearDown() override
    {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        desktoppicture::Reset();
        QDir::setCurrent(cwd);
        ItemsFixture::TearDown();
    }

    bool run(const char* command)
    {
        return window->commands().trigger(QString::fromLatin1(command));
    }
    QAction* action(const char* command)
    {
        return window->commands().action(QString::fromLatin1(command));
    }
    TDesktop& desk() { return *window->desktop(); }
    // The text a new blank item gets with this in the date-stamp box.
    QString stampedText(const QString& box)
    {
        window->dateStampBox()->setPlainText(box);
        EXPECT_TRUE(run(cmd::NewBlankItem));
        QList<TItem*> cards = desk().cardsOf<TItem>();
        return cards.isEmpty() ? QStringLiteral("<no card>") : cards.last()->item().text;
    }

    std::unique_ptr<TBillBoard> window;
    QString cwd;
};

TEST_F(NewItems, TheDateStampBoxStartsEveryNewItem)
{
    ASSERT_EQ(window->dateStampText(), QStringLiteral("*Date*"));
    EXPECT_EQ(stampedText(QStringLiteral("*Date*")), QStringLiteral("[26-12-08]\n"));
    EXPECT_EQ(session().dateStamp, QStringLiteral("[26-12-08]"));
    // "*DATE*" in any case anywhere in the box, once its first line is long enough.
    EXPECT_EQ(stampedText(QStringLiteral("see *dAtE* here")), QStringLiteral("[26-12-08]\n"));
    EXPECT_EQ(stampedText(QStringLiteral("abc\nthe *date*")), QStringLiteral("[26-12-08]\n"));
    // Otherwise the first line of three or more characters, as it stands.
    session().dateStamp.clear();
    EXPECT_EQ(stampedText(QStringLiteral("Meeting notes\nnot this")),
              QStringLiteral("Meeting notes\n"));
    EXPECT_EQ(stampedText(QStringLiteral("abc")), QStringLiteral("abc\n"));
    EXPECT_TRUE(session().dateStamp.isEmpty()) << "only a date changes DateStamp";
    // A first line of two characters or less stamps nothing, even with the date below it.
    EXPECT_EQ(stampedText(QStringLiteral("ab\n*DATE*")), QString());
    EXPECT_EQ(stampedText(QString()), QString());
}

TEST_F(NewItems, ANewItemOfOnlyTheStampIsNeverWrittenAndOneWithTextIs)
{
    EXPECT_EQ(stampedText(QStringLiteral("*Date*")), QStringLiteral("[26-12-08]\n"));
    TItem* card = desk().cardsOf<TItem>().last();
    EXPECT_TRUE(card->data().changed);
    EXPECT_EQ(card->contentsUp(), ctxText);
    EXPECT_TRUE(run(cmd::UpdateChanges));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM ITEM")).toInt(), 0);
    EXPECT_EQ(desk().cardsOf<TItem>().size(), 1) << "the empty card stays until it is closed";

    card->textEditor()->moveCursor(QTextCursor::End);
    card->textEditor()->insertPlainText(QStringLiteral("a thought"));
    window->toolBar()->button(QString::fromLatin1(cmd::UpdateChanges))->click();
    EXPECT_EQ(scalar(QStringLiteral("SELECT TX FROM ITEM")).toString(),
              QStringLiteral("[26-12-08]\na thought"));
    EXPECT_FALSE(card->data().changed);
}

TEST_F(NewItems, ClipboardToNewItemPutsTheClipboardTextBelowTheStamp)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("copied line\r\nsecond line"));
    window->dateStampBox()->setPlainText(QStringLiteral("*Date*"));
    EXPECT_EQ(action(cmd::NewItemFromClipboard)->shortcut(),
              QKeySequence(QStringLiteral("Ctrl+I")));
    EXPECT_EQ(action(cmd::NewBlankItem)->shortcut(), QKeySequence(QStringLiteral("Shift+Ins")));
    EXPECT_TRUE(run(cmd::NewItemFromClipboard));
    TItem* card = desk().cardsOf<TItem>().last();
    EXPECT_EQ(card->item().text, QStringLiteral("[26-12-08]\ncopied line\nsecond line"));
    EXPECT_EQ(card->textEditor()->toPlainText(), card->item().text);

    // Without a stamp the clipboard text follows an empty first line.
    window->dateStampBox()->setPlainText(QStringLiteral("x"));
    EXPECT_TRUE(run(cmd::NewItemFromClipboard));
    EXPECT_EQ(desk().cardsOf<TItem>().last()->item().text,
              QStringLiteral("\ncopied line\nsecond line"));

    // A clipboard beyond the item limit: the user learns how much did not fit.
    QGuiApplication::clipboard()->setText(QString(47600, QLatin1Char('c')));
    EXPECT_TRUE(run(cmd::NewItemFromClipboard));
    EXPECT_EQ(desk().cardsOf<TItem>().last()->item().text.size(), 32000);
    EXPECT_TRUE(messenger.saw(QStringLiteral("15601 characters of the text were left out")));
}

TEST_F(NewItems, WithDateHintsTheNewCardShowsItsDate)
{
    session().settings.showItemDateAsHint = true;
    window->setHintsShown(false);
    EXPECT_TRUE(run(cmd::NewBlankItem));
    TItem* card = desk().cardsOf<TItem>().last();
    EXPECT_EQ(card->toolTip(), QStringLiteral("26-12-08"));
    EXPECT_TRUE(window->hintsShown());
}

TEST_F(NewItems, TheCardSideUpModeAsksTurnsAndShowsItsIndicator)
{
    addItem(-46001.5L, QStringLiteral("one"), {{kConcept, 1}});
    addItem(-46002.5L, QStringLiteral("two"), {{kConcept, 1}});
    TItem* shown = PlaceItemCard(desk(), -46001.5L, QPoint(40, 40)).card;
    TItem* dropped = PlaceItemCard(desk(), -46002.5L, QPoint(300, 40)).card;
    ASSERT_TRUE(shown && dropped);
    dropped->data().hidden = true;
    const QRect place = shown->geometry();
    TCardSideIndicator* indicator = CardSideIndicator();
    ASSERT_NE(indicator, nullptr);
    EXPECT_EQ(indicator->mode(), ctxText);
    EXPECT_TRUE(action(cmd::CardSideText)->isChecked());
    EXPECT_EQ(action(cmd::CardSideCombined)->shortcut(), QKeySequence(QStringLiteral("Shift+F5")));

    // No: the mode and its mark change, the cards stay as they are.
    messenger.answer(MessageButton::No);
    EXPECT_TRUE(run(cmd::CardSideKeywords));
    EXPECT_TRUE(messenger.saw(QStringLiteral("Turn any cards on desktop immediately?")));
    EXPECT_EQ(session().settings.cardSideUp, ctxKeys);
    EXPECT_TRUE(action(cmd::CardSideKeywords)->isChecked());
    EXPECT_FALSE(action(cmd::CardSideText)->isChecked());
    EXPECT_EQ(indicator->mode(), ctxKeys);
    EXPECT_EQ(shown->contentsUp(), ctxText);

    // Yes: every card not dropped turns, in its place and size.
    desk().scrollTo(30, 20);
    messenger.answer(MessageButton::Yes);
    EXPECT_TRUE(run(cmd::CardSideCombined));
    EXPECT_EQ(shown->contentsUp(), ctxCombined)
        << messenger.texts().join(QStringLiteral(" | ")).toStdString();
    EXPECT_EQ(shown->geometry(), place);
    EXPECT_EQ(dropped->contentsUp(), ctxText);
    EXPECT_EQ(desk().scroll(), QPoint(30, 20));

    // Turning at once: no question.
    session().settings.turnCardsImm = true;
    const int asked = messenger.count();
    EXPECT_TRUE(run(cmd::CardSideProjects));
    EXPECT_EQ(messenger.count(), asked);
    EXPECT_EQ(shown->contentsUp(), ctxUrls);

    // A press on the indicator moves on: Projects -> Combined -> Text -> Key Words.
    std::vector<int> modes;
    for (int i = 0; i < 3; ++i) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5),
                          QPointF(indicator->mapToGlobal(QPoint(5, 5))), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(indicator, &press);
        modes.push_back(session().settings.cardSideUp);
    }
    EXPECT_EQ(modes, (std::vector<int>{ctxCombined, ctxText, ctxKeys}));
    EXPECT_EQ(shown->contentsUp(), ctxKeys);
    EXPECT_TRUE(action(cmd::CardSideKeywords)->isChecked());

    // New cards from the store come with the mode's side.
    addItem(-46003.5L, QStringLiteral("three"), {{kConcept, 1}});
    EXPECT_EQ(PlaceItemCard(desk(), -46003.5L, QPoint(500, 40)).card->contentsUp(), ctxKeys);
}

TEST_F(NewItems, UpdateChangesWritesTheCardsAndRedrawsTheMap)
{
    addItem(-46001.5L, QStringLiteral("stored"), {{kConcept, 1}});
    TItem* card = PlaceItemCard(desk(), -46001.5L, QPoint(40, 40)).card;
    ASSERT_NE(card, nullptr);
    card->textEditor()->selectAll();
    card->textEditor()->insertPlainText(QStringLiteral("edited"));
    card->move(1500, 1500);
    EXPECT_EQ(action(cmd::UpdateChanges)->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    EXPECT_TRUE(run(cmd::UpdateChanges));
    EXPECT_EQ(scalar(QStringLiteral("SELECT TX FROM ITEM")).toString(), QStringLiteral("edited"));
    // The map shows the card where it went.
    const QImage& map = desk().map()->image();
    const QPoint at = DesktopMapRect(card->data(), map.size(), TDesktop::kSize).topLeft();
    EXPECT_EQ(map.pixelIndex(at), 6)
        << at.x() << "," << at.y() << " of " << map.width() << "x" << map.height();
}

}  // namespace
