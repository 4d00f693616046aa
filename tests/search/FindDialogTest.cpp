#include "floor/RunGuard.h"
#include "search/FindWordDialog.h"
#include "search/TextSearch.h"
#include "session/Session.h"
#include "support/ModalDriver.h"
#include "support/StoreFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include <gtest/gtest.h>

namespace qb::test {

namespace {

class FindDialog : public StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        QApplication::clipboard()->clear();
    }

    // Opens the dialog modally; act sees it open. Returns the input as it was shown.
    QString openWith(const std::function<void(TFind_Word&)>& act)
    {
        QString shown;
        TFind_Word& dialog = TFind_Word::instance();
        driver.then([&](QWidget*) {
            shown = dialog.inputText();
            act(dialog);
        });
        dialog.exec();
        EXPECT_TRUE(driver.strays.isEmpty());
        return shown;
    }

    ModalDriver driver;
};

TEST_F(FindDialog, ActivationProposesTheClipboardsFirstWordOnceThenTheNewestHistoryEntry)
{
    search::searchState().history = {QStringLiteral("  "), QStringLiteral("pear"),
                                     QStringLiteral("plum")};
    QApplication::clipboard()->setText(QStringLiteral("Grape juice, fresh"));
    QString caretAt;
    const QString first = openWith([&](TFind_Word& d) {
        caretAt = QString::number(d.input()->lineEdit()->cursorPosition());
        // Blank entries are gone from the list the dialog shows.
        EXPECT_EQ(d.input()->count(), 2);
        d.cancelButton()->click();
    });
    EXPECT_EQ(first, QStringLiteral("Grape"));
    EXPECT_EQ(caretAt, QStringLiteral("5"));
    EXPECT_EQ(search::searchState().history, (QStringList{"pear", "plum"}));

    // The same clipboard is not proposed twice: the history's first entry comes instead.
    const QString second = openWith([](TFind_Word& d) { d.cancelButton()->click(); });
    EXPECT_EQ(second, QStringLiteral("pear"));

    // A text already in the input stays.
    QApplication::clipboard()->setText(QStringLiteral("kiwi"));
    const QString third = openWith([](TFind_Word& d) { d.cancelButton()->click(); });
    EXPECT_EQ(third, QStringLiteral("kiwi"));
}

TEST_F(FindDialog, OkPromotesThePreviousAndTheNewTextCancelClearsTextAndRunMarks)
{
    search::searchState().history = {QStringLiteral("pear"), QStringLiteral("apple")};
    openWith([](TFind_Word& d) {
        d.setInputText(QStringLiteral("  Plum "));
        d.okButton()->click();
    });
    TFind_Word& dialog = TFind_Word::instance();
    EXPECT_EQ(dialog.searchText(), QStringLiteral("plum"));
    EXPECT_EQ(search::searchState().history, (QStringList{"plum", "pear", "apple"}));

    // The previous text goes to the top first, then the new one above it.
    search::searchState().history = {QStringLiteral("pear"), QStringLiteral("apple")};
    openWith([](TFind_Word& d) {
        d.setInputText(QStringLiteral("APPLE"));
        d.exactButton()->setChecked(true);
        d.okButton()->click();
    });
    EXPECT_EQ(search::searchState().history, (QStringList{"apple", "plum", "pear"}));
    EXPECT_EQ(dialog.request().text, QStringLiteral("apple"));
    EXPECT_EQ(dialog.request().mode, search::MatchMode::Exact);

    Session& s = session();
    s.flags.requestEscape();
    s.flags.holdAbort();
    s.commitRunning.raise();
    openWith([](TFind_Word& d) { d.cancelButton()->click(); });
    EXPECT_TRUE(dialog.searchText().isEmpty());
    EXPECT_TRUE(dialog.inputText().isEmpty());
    EXPECT_FALSE(s.flags.escapeRequested());
    EXPECT_FALSE(s.flags.abortHeld());
    EXPECT_FALSE(s.commitRunning.raised());
}

TEST_F(FindDialog, EnterOnTheHistorysEntryRunsTheSearchAtOnce)
{
    search::searchState().history = {QStringLiteral("river")};
    int result = -1;
    TFind_Word& dialog = TFind_Word::instance();
    driver.then([&](QWidget*) {
        dialog.input()->lineEdit()->selectAll();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(dialog.input()->lineEdit(), &press);
        result = dialog.result();
    });
    dialog.exec();
    EXPECT_EQ(result, int(QDialog::Accepted));
    EXPECT_EQ(dialog.searchText(), QStringLiteral("river"));
}

TEST_F(FindDialog, PicturesOnlyChangesOnlyWithItemTextsAndCountsForEveryType)
{
    TFind_Word& dialog = TFind_Word::instance();
    EXPECT_TRUE(dialog.picturesBox()->isEnabled());
    dialog.picturesBox()->setChecked(true);
    dialog.typeButton(search::SearchType::ConceptsAndItems)->setChecked(true);
    EXPECT_FALSE(dialog.picturesBox()->isEnabled());
    EXPECT_TRUE(dialog.request().picturesOnly);
    EXPECT_EQ(dialog.request().type, search::SearchType::ConceptsAndItems);
    dialog.typeButton(search::SearchType::ItemTexts)->setChecked(true);
    EXPECT_TRUE(dialog.picturesBox()->isEnabled());
}

TEST_F(FindDialog, CutFromRightTakesTheLastCharacterOrOnlyTheSelection)
{
    TFind_Word& dialog = TFind_Word::instance();
    dialog.setInputText(QStringLiteral("apples"));
    dialog.cutButton()->click();
    EXPECT_EQ(dialog.inputText(), QStringLiteral("apple"));
    dialog.input()->lineEdit()->setSelection(0, 3);
    dialog.cutButton()->click();
    EXPECT_EQ(dialog.inputText(), QStringLiteral("apple"));
    EXPECT_FALSE(dialog.input()->lineEdit()->hasSelectedText());
    EXPECT_EQ(dialog.input()->lineEdit()->cursorPosition(), 5);
    dialog.eraseButton()->click();
    EXPECT_TRUE(dialog.inputText().isEmpty());
}

}  // namespace

}  // namespace qb::test
