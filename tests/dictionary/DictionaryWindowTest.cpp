#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "DictionaryUiFixture.h"
#include "cards/Collection.h"
#include "cards/CommandPanel.h"
#include "cards/Desktop.h"
#include "cards/DragGrid.h"
#include "dictionary/DictionaryState.h"
#include "dictionary/DictionaryWindow.h"
#include "dictionary/DictionaryWindows.h"
#include "dictionary/LocateDialog.h"
#include "dictionary/NewWordDialog.h"
#include "platform/IniFile.h"
#include "session/Session.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/MainWindow.h"
#include "support/ModalDriver.h"

using namespace qb;

namespace {

class DictionaryWindow : public test::DictionaryUi {
protected:
    // Words whose usage stamps and frequencies are all set and all different, so that every
    // order has a key to keep a word by.
    void wordsWithEveryKey()
    {
        std::vector<int> n = addWords({"cherry", "apple", "banana", "date"});
        const double usage[] = {-45000.4, -45000.1, -45000.3, -45000.2};
        const int frequency[] = {3, 9, 1, 5};
        for (int i = 0; i < 4; ++i)
            exec(QStringLiteral("UPDATE WORD SET WTS2 = ?1, WFQ = ?2 WHERE WNo = ?3"),
                 {usage[i], frequency[i], n[i]});
    }
    void clickTitle(TDict* w, int x = 10)
    {
        QWidget* header = w->grid()->horizontalHeader()->viewport();
        QTest::mouseClick(header, Qt::LeftButton, Qt::NoModifier, QPoint(x, 5));
    }
};

TEST_F(DictionaryWindow, FourTitleClicksGoRoundTheOrdersAndKeepTheWord)
{
    wordsWithEveryKey();
    TDict* w = openWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(shownTitle(w), QStringLiteral("TIME STAMP ORDER"));
    EXPECT_EQ(shownWords(w), (QStringList{"date", "banana", "apple", "cherry"}));
    selectWord(w, "banana");

    const QStringList titles = {"USAGE ORDER", "FREQUENCY ORDER", "ALPHABETICAL ORDER",
                                "TIME STAMP ORDER"};
    const QList<QStringList> orders = {{"cherry", "banana", "date", "apple"},
                                       {"banana", "cherry", "date", "apple"},
                                       {"apple", "banana", "cherry", "date"},
                                       {"date", "banana", "apple", "cherry"}};
    for (int i = 0; i < 4; ++i) {
        clickTitle(w);
        EXPECT_EQ(shownTitle(w), titles[i]);
        EXPECT_EQ(shownWords(w), orders[i]) << titles[i].toStdString();
        EXPECT_EQ(selectedWord(w), QStringLiteral("banana")) << titles[i].toStdString();
    }
    // A press near the column's right edge is the edge's, not the title's.
    int edge = w->grid()->horizontalHeader()->sectionSize(0) - 3;
    clickTitle(w, edge);
    EXPECT_EQ(shownTitle(w), QStringLiteral("TIME STAMP ORDER"));
    // The panel's "To&ggle Sort Order" steps the same way.
    TMyPopUpMenu::setTestAnswer(
        [](TMyPopUpMenu& panel) { panel.chooseCommand(QStringLiteral("AlphaOrder")); });
    w->dragGrid()->rowPress(Qt::RightButton, QPoint(10, 10), QPoint(300, 300));
    EXPECT_EQ(shownTitle(w), QStringLiteral("USAGE ORDER"));
}

TEST_F(DictionaryWindow, TheEleventhWindowIsRefusedAndAFreedSlotIsTakenAgain)
{
    addWords({"one"});
    QList<TDict*> windows;
    for (int i = 0; i < 10; ++i) {
        // Ctrl+T as the user presses it.
        QTest::keyClick(window.get(), Qt::Key_T, Qt::ControlModifier);
        windows = desktop->cardsOf<TDict>();
        ASSERT_EQ(windows.size(), i + 1);
        EXPECT_EQ(windows.last()->slot(), i + 1);
        EXPECT_EQ(windows.last()->pos(), desktop->windowCascadePosition(i + 1));
    }
    EXPECT_FALSE(messenger.saw(QStringLiteral("Too many windows")));
    EXPECT_EQ(openWindow(), nullptr);
    EXPECT_TRUE(messenger.saw(QStringLiteral("Too many windows on desktop qb3127")));
    EXPECT_EQ(desktop->cardsOf<TDict>().size(), 10);
    // One table: the desktop's slots and the dictionary rules see the same ten windows.
    EXPECT_EQ(desktop->slotTables().dictionaries.occupied(), 10);
    EXPECT_EQ(DictionaryWindows::instance().all().size(), 10u);
    EXPECT_EQ(DictionaryWindows::instance().at(4), static_cast<DictionaryWindowHost*>(windows[3]));

    // "&Hide Window" on the fourth; once collected its slot opens the next window.
    windows[3]->command(QStringLiteral("Drop"));
    EXPECT_EQ(DictionaryWindows::instance().firstShown(),
              static_cast<DictionaryWindowHost*>(windows[0]));
    Collect(*desktop, true);
    flushDeletes();
    EXPECT_EQ(DictionaryWindows::instance().at(4), nullptr);
    TDict* again = openWindow();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->slot(), 4);
}

TEST_F(DictionaryWindow, TheFirstFiveWindowsAreSavedAndComeBackWithPlaceSizeAndOrder)
{
    addWords({"alpha", "beta"});
    writeIni(QString());
    QList<TDict*> open;
    for (int i = 0; i < 6; ++i) open << openWindow();
    open[0]->setGeometry(QRect(desktop->toDesktop(QPoint(30, 40)), QSize(250, 300)));
    open[1]->TitleClick();  // usage
    open[2]->browser().setOrder(DictOrder::Alphabetical);
    open[3]->setGeometry(QRect(desktop->toDesktop(QPoint(600, 50)), QSize(400, 360)));
    open[4]->browser().setOrder(DictOrder::Frequency);
    // The second window is hidden: it is not saved, the others move up.
    open[1]->command(QStringLiteral("Drop"));
    window->SetDownWin();

    IniFile ini(path(QStringLiteral("qb.ini")));
    for (int n = 1; n <= 5; ++n)
        EXPECT_TRUE(ini.readBool("WINDOWS UP", QStringLiteral("Dict_%1_exists").arg(n), false))
            << n;
    EXPECT_FALSE(ini.readBool("WINDOWS UP", "Dict_6_exists", false));
    EXPECT_EQ(ini.readInteger("WINDOW SIZES", "Dict_1_Left", -1), 30);
    EXPECT_EQ(ini.readInteger("WINDOW SIZES", "Dict_1_Top", -1), 40);
    EXPECT_EQ(ini.readInteger("WINDOW SIZES", "Dict_1_width", -1), 250);
    EXPECT_EQ(ini.readInteger("WINDOW SIZES", "Dict_1_Height", -1), 300);
    EXPECT_EQ(ini.readInteger("SAVEDWORK", "DictSortOrder_1", -1), 2);  // time stamp
    EXPECT_EQ(ini.readInteger("SAVEDWORK", "DictSortOrder_2", -1),
              1);  // alphabetical (third window)
    EXPECT_EQ(ini.readInteger("SAVEDWORK", "DictSortOrder_4", -1), 4);  // frequency (fifth window)

    // A new run: the five come back in slots 1 to 5.
    window.reset();
    flushDeletes();
    window = std::make_unique<TBillBoard>();
    desktop = window->desktop();
    window->show();
    window->BaseOpening();
    QList<TDict*> back = desktop->cardsOf<TDict>();
    ASSERT_EQ(back.size(), 5);
    EXPECT_EQ(back[0]->slot(), 1);
    EXPECT_EQ(back[0]->visiblePos(), QPoint(30, 40));
    EXPECT_EQ(back[0]->size(), QSize(250, 300));
    EXPECT_EQ(back[1]->browser().order(), DictOrder::Alphabetical);
    EXPECT_EQ(shownTitle(back[1]), QStringLiteral("ALPHABETICAL ORDER"));
    EXPECT_EQ(back[2]->size(), QSize(400, 360));
    EXPECT_EQ(back[3]->browser().order(), DictOrder::Frequency);
    EXPECT_EQ(back[4]->slot(), 5);
}

TEST_F(DictionaryWindow, DropsOnTheGridPositionTheWindowOrSayWhyNot)
{
    std::vector<int> n = addWords({"cat", "dog", "emu"});
    TDict* w = openWindow();
    w->browser().setOrder(DictOrder::Alphabetical);
    w->rowsChanged();
    DragPayload fromConcept;
    fromConcept.source = DragPayload::Source::ConceptWord;
    fromConcept.wordNo = n[1];
    fromConcept.word = "dog";
    drop(w->grid()->viewport(), QPoint(10, 30), fromConcept);
    EXPECT_EQ(selectedWord(w), QStringLiteral("dog"));

    fromConcept.wordNo = 999;
    EXPECT_FALSE(w->DropOnGrid(fromConcept));
    EXPECT_TRUE(messenger.saw(QStringLiteral("Word not found in Dictionary table d467")));
    EXPECT_EQ(selectedWord(w), QStringLiteral("dog"));

    DragPayload project;
    project.source = DragPayload::Source::Project;
    project.project = "EMU";
    EXPECT_TRUE(w->DropOnGrid(project));
    EXPECT_EQ(selectedWord(w), QStringLiteral("emu"));
    project.project = "ZEBRA CROSSING";
    EXPECT_FALSE(w->DropOnGrid(project));
    EXPECT_TRUE(
        messenger.saw(QStringLiteral("Word not found in Dictionary as a primary word d487")));

    // A word from another dictionary window.
    TDict* other = openWindow();
    other->browser().positionOnWordNo(n[0]);
    other->rowsChanged();
    EXPECT_TRUE(w->DropOnGrid(other->dragPayload()));
    EXPECT_EQ(selectedWord(w), QStringLiteral("cat"));
}

TEST_F(DictionaryWindow, InsertOnTheDesktopOpensTheNewWordDialog)
{
    addWords({"apple"});
    TDict* w = openWindow();
    ASSERT_NE(w, nullptr);
    w->focusGrid();
    ASSERT_TRUE(w->grid()->hasFocus());
    test::ModalDriver driver;
    QString caption;
    driver.then([&](QWidget* modal) {
        auto* dialog = qobject_cast<TNewWord*>(modal);
        ASSERT_NE(dialog, nullptr);
        caption = dialog->windowTitle();
        type(dialog->input(), QStringLiteral("Kiwi "));
        dialog->okButton()->click();
    });
    QTest::keyClick(w->grid(), Qt::Key_Insert);
    EXPECT_EQ(driver.handled(), 1);
    EXPECT_EQ(caption, QStringLiteral("ADD WORD"));
    EXPECT_EQ(rows(QStringLiteral("SELECT Word FROM WORD ORDER BY WNo")),
              (QStringList{"apple", "kiwi"}));
    // The window in time stamp order shows the new word on top, selected.
    EXPECT_EQ(shownWords(w).value(0), QStringLiteral("kiwi"));
    EXPECT_EQ(selectedWord(w), QStringLiteral("kiwi"));

    // File > New > "&Word           Ins" is the same command.
    QAction* entry = window->commands().action(QString::fromLatin1(cmd::NewWord));
    EXPECT_EQ(entry->text(), QStringLiteral("&Word           Ins"));
    EXPECT_TRUE(entry->isEnabled());
    driver.then([](QWidget* modal) { EXPECT_NE(qobject_cast<TNewWord*>(modal), nullptr); });
    entry->trigger();
    EXPECT_EQ(driver.handled(), 2);

    // In a text field Insert stays the field's key.
    QApplication::setActiveWindow(window.get());
    window->dateStampBox()->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), window->dateStampBox());
    QTest::keyClick(window->dateStampBox(), Qt::Key_Insert);
    EXPECT_EQ(driver.handled(), 2);
    EXPECT_TRUE(driver.strays.isEmpty()) << driver.strays.join(",").toStdString();
}

TEST_F(DictionaryWindow, ShiftAndCtrlInsertInTheGridMakeANewItemAndANewConcept)
{
    addWords({"apple"});
    TDict* w = openWindow();
    ASSERT_NE(w, nullptr);
    w->focusGrid();
    ASSERT_TRUE(w->grid()->hasFocus());
    // The grid would take these as paste and copy; they are the program's commands.
    QTest::keyClick(w->grid(), Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(desktop->cardsOfKind(CardKind::Item).size(), 1u);
    w->focusGrid();
    QTest::keyClick(w->grid(), Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(conceptCards().size(), 1);
}

TEST_F(DictionaryWindow, AFailedAlphabeticalSearchStaysOnItsWordAndOffersTheInflections)
{
    addWords({"apple", "banana", "cherry"});
    TDict* w = openWindow();
    w->browser().setOrder(DictOrder::Alphabetical);
    w->rowsChanged();
    selectWord(w, "banana");
    w->focusGrid();
    test::ModalDriver driver;
    bool incrementalShown = true;
    driver.then([&](QWidget* modal) {
        auto* dialog = qobject_cast<TLocateInList*>(modal);
        ASSERT_NE(dialog, nullptr);
        incrementalShown = dialog->incrementalBox()->isVisible();
        dialog->input()->setEditText(QString());
        type(dialog->input()->lineEdit(), QStringLiteral("grape"));
        dialog->okButton()->click();
    });
    messenger.answer(MessageButton::Cancel);  // no search among the inflections
    QTest::keyClick(window.get(), Qt::Key_F2);
    EXPECT_EQ(driver.handled(), 1);
    EXPECT_FALSE(incrementalShown);
    ASSERT_FALSE(messenger.shown.empty());
    EXPECT_EQ(messenger.shown.back().request.message, QStringLiteral("Search among inflections?"));
    EXPECT_EQ(messenger.shown.back().request.code, QStringLiteral("d982"));
    EXPECT_EQ(messenger.shown.back().request.kind, kInputRequest);
    EXPECT_EQ(messenger.shown.back().request.answer, QStringLiteral("grape"));
    EXPECT_EQ(selectedWord(w), QStringLiteral("banana"));
    EXPECT_EQ(messenger.beeps, 1);

    // Part of a word is found from the start on.
    driver.then([&](QWidget* modal) {
        auto* dialog = qobject_cast<TLocateInList*>(modal);
        dialog->input()->setEditText(QString());
        type(dialog->input()->lineEdit(), QStringLiteral("err"));
        dialog->okButton()->click();
    });
    window->commands().trigger(QString::fromLatin1(cmd::DictionaryWordSearch));
    EXPECT_EQ(selectedWord(w), QStringLiteral("cherry"));
    EXPECT_TRUE(driver.strays.isEmpty());
}

}  // namespace
