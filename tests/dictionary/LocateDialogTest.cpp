#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "DictionaryUiFixture.h"
#include "cards/Desktop.h"
#include "dictionary/ConceptCard.h"
#include "dictionary/DictionaryState.h"
#include "dictionary/DictionaryWindow.h"
#include "dictionary/LocateDialog.h"
#include "session/Session.h"
#include "shell/MainWindow.h"
#include "support/ModalDriver.h"

using namespace qb;

namespace {

class LocateDialog : public test::DictionaryUi {
protected:
    void SetUp() override
    {
        DictionaryUi::SetUp();
        n = addWords({"dog", "cab", "cart", "car", "scar"});
        w = openWindow();
        w->browser().setOrder(DictOrder::Alphabetical);
        w->rowsChanged();
        w->focusGrid();
    }
    static TLocateInList* dialogOf(QWidget* modal) { return qobject_cast<TLocateInList*>(modal); }

    std::vector<int> n;
    TDict* w = nullptr;
    test::ModalDriver driver;
};

TEST_F(LocateDialog, TypingOnTheDesktopJumpsAfterThePauseAndTheDialogComesBack)
{
    addConcept(-44000.5, {n[3]});  // car is in one concept
    QString firstInput, reopenedInput, hit, count;
    bool caretAtEnd = false, bufferFocused = false, timerRunning = false, showOffered = false;
    int timerInterval = 0;
    driver.then([&](QWidget* modal) {
        TLocateInList* d = dialogOf(modal);
        ASSERT_NE(d, nullptr);
        EXPECT_TRUE(d->incrementalBox()->isVisible());
        EXPECT_FALSE(d->fromTopBox()->isVisible());
        QLineEdit* input = d->input()->lineEdit();
        firstInput = input->text();
        caretAtEnd = !input->hasSelectedText() && input->cursorPosition() == input->text().size();
        QTest::keyClick(input, Qt::Key_A);
        // Two letters and a key let go: the pause begins, further keys are collected.
        bufferFocused = d->focusWidget() == d->inputBuffer();
        timerRunning = d->typingTimer()->isActive();
        timerInterval = d->typingTimer()->interval();
        QTest::keyClick(d->inputBuffer(), Qt::Key_R);
        d->typingTimer()->stop();
        d->Timer1Timer();
    });
    driver.then([&](QWidget* modal) {
        TLocateInList* d = dialogOf(modal);
        ASSERT_NE(d, nullptr);
        reopenedInput = d->input()->lineEdit()->text();
        hit = d->hitReport()->text();
        count = d->conceptCount()->text();
        showOffered = d->showButton()->isVisible() && !d->okButton()->isVisible();
        d->closeButton()->click();
    });
    QTest::keyClick(w->grid(), Qt::Key_C);
    EXPECT_EQ(driver.handled(), 2);
    EXPECT_TRUE(driver.strays.isEmpty());
    EXPECT_EQ(firstInput, QStringLiteral("c"));
    EXPECT_TRUE(caretAtEnd);
    EXPECT_TRUE(bufferFocused);
    EXPECT_TRUE(timerRunning);
    EXPECT_EQ(timerInterval, session().settings.dictLocateDelay);
    // "car" exactly, though "cart" and "scar" contain it and "cab" begins with "ca".
    EXPECT_EQ(reopenedInput, QStringLiteral("car"));
    EXPECT_EQ(hit, QStringLiteral(" car"));
    EXPECT_EQ(count, QStringLiteral("  1"));
    EXPECT_TRUE(showOffered);
    EXPECT_EQ(selectedWord(w), QStringLiteral("car"));
    EXPECT_FALSE(dictionaryState().locate.continuation);
}

TEST_F(LocateDialog, TypingWithPausesShowsTheTextJumpsAfterThePauseAndLeavesTheClipboard)
{
    addWords({"smoulder", "mouse", "amount"});
    w->browser().refresh();
    w->rowsChanged();
    QGuiApplication::clipboard()->setText(QStringLiteral("copied by the user"));
    // A key as the user types it: to whatever has the focus.
    auto typeKey = [](Qt::Key key) {
        QTest::qWait(250);
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, key);
    };
    QString firstInput, typed, reopened, selected;
    bool jumped = false;
    driver.then([&](QWidget* modal) {
        TLocateInList* d = dialogOf(modal);
        ASSERT_NE(d, nullptr);
        firstInput = d->input()->lineEdit()->text();
        typeKey(Qt::Key_O);
        typeKey(Qt::Key_U);
        typed = d->input()->lineEdit()->text() + d->inputBuffer()->text();
        jumped = QTest::qWaitFor([d] { return !d->isVisible(); }, 3000);
    });
    driver.then([&](QWidget* modal) {
        TLocateInList* d = dialogOf(modal);
        ASSERT_NE(d, nullptr);
        reopened = d->input()->lineEdit()->text();
        selected = selectedWord(w);
        d->closeButton()->click();
    });
    QTest::keyClick(w->grid(), Qt::Key_M);
    EXPECT_EQ(driver.handled(), 2);
    EXPECT_EQ(firstInput, QStringLiteral("m"));
    EXPECT_EQ(typed, QStringLiteral("mou"));
    EXPECT_TRUE(jumped);
    EXPECT_EQ(reopened, QStringLiteral("mou"));
    // The window stood on the first word containing the text while the dialog was back.
    EXPECT_EQ(selected, QStringLiteral("amount"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("copied by the user"));
}

TEST_F(LocateDialog, OneLetterDoesNotJumpAndSpaceStartsAgain)
{
    bool timerAfterOne = true;
    QString afterSpace = QStringLiteral("unset");
    driver.then([&](QWidget* modal) {
        TLocateInList* d = dialogOf(modal);
        ASSERT_NE(d, nullptr);
        QLineEdit* input = d->input()->lineEdit();
        input->clear();
        d->input()->setEditText(QString());
        QTest::keyClick(input, Qt::Key_D);
        timerAfterOne = d->typingTimer()->isActive();
        QTest::keyClick(input, Qt::Key_O);
        QTest::keyClick(input, Qt::Key_Space);
        afterSpace = input->text();
        d->typingTimer()->stop();
        d->closeButton()->click();
    });
    QTest::keyClick(w->grid(), Qt::Key_X);
    EXPECT_EQ(driver.handled(), 1);
    EXPECT_FALSE(timerAfterOne);
    EXPECT_EQ(afterSpace, QString());
}

TEST_F(LocateDialog, ShowBringsTheFoundWordsConceptsOntoTheDesktop)
{
    addConcept(-44000.5, {n[3], n[0]});
    addConcept(-44000.25, {n[3]});
    exec(QStringLiteral("UPDATE WORD SET WTS2 = NULL"));
    driver.then([&](QWidget* modal) {
        TLocateInList* d = dialogOf(modal);
        ASSERT_NE(d, nullptr);
        QTest::keyClick(d->input()->lineEdit(), Qt::Key_A);
        QTest::keyClick(d->inputBuffer(), Qt::Key_R);
        d->typingTimer()->stop();
        d->Timer1Timer();
    });
    driver.then([&](QWidget* modal) {
        TLocateInList* d = dialogOf(modal);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->conceptCount()->text(), QStringLiteral("  2"));
        d->showButton()->click();
    });
    QTest::keyClick(w->grid(), Qt::Key_C);
    EXPECT_EQ(driver.handled(), 2);
    QList<TSynWheel*> cards = conceptCards();
    ASSERT_EQ(cards.size(), 2);
    const Settings& s = session().settings;
    QPoint spot = desktop->toDesktop(QPoint(s.createSpotSX, s.createSpotSY));
    EXPECT_EQ(cards[0]->pos(), spot);
    EXPECT_EQ(cards[1]->pos(),
              spot + QPoint(s.horizontal + s.conceptWinExtraOffsetHoriz, s.vertical));
    // The usage of the word shown was renewed.
    EXPECT_FALSE(scalar(QStringLiteral("SELECT WTS2 FROM WORD WHERE Word = 'car'")).isNull());
    EXPECT_TRUE(scalar(QStringLiteral("SELECT WTS2 FROM WORD WHERE Word = 'cab'")).isNull());
}

}  // namespace
