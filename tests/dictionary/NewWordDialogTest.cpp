#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "DictionaryUiFixture.h"
#include "dictionary/DeleteWordDialog.h"
#include "dictionary/DictionaryState.h"
#include "dictionary/DictionaryWindow.h"
#include "dictionary/LocateDialog.h"
#include "dictionary/NewWordDialog.h"
#include "session/Session.h"
#include "shell/MainWindow.h"
#include "support/ModalDriver.h"

using namespace qb;

namespace {

class NewWordDialog : public test::DictionaryUi {
protected:
    // The dialog run as the user works it: type the text, press OK.
    int addThroughDialog(const QString& typed)
    {
        TNewWord dialog(QString(), window.get());
        dialog.show();
        type(dialog.input(), typed);
        dialog.OKBtnClick();
        return dialog.createdWordNo();
    }
    static QStringList gridWords(QListWidget* grid)
    {
        QStringList out;
        for (int i = 0; i < grid->count(); ++i) out << grid->item(i)->text();
        return out;
    }
};

TEST_F(NewWordDialog, WordsWithQuotesPercentUnderscoreAndOtherScriptsGoInAsTyped)
{
    const QString fortyOne = QStringLiteral("abcdefghijklmnopqrstuvwxyzabcdefghijklmno");
    const QStringList typed = {"O'Neil's",
                               "say \"cheese\"",
                               "50%",
                               "snake_case",
                               QStringLiteral("Ёлка"),
                               QStringLiteral("日本語"),
                               QStringLiteral("  spaced  "),
                               fortyOne};
    for (const QString& t : typed) EXPECT_GT(addThroughDialog(t), 0) << t.toStdString();
    EXPECT_EQ(
        rows(QStringLiteral("SELECT Word FROM WORD ORDER BY WNo")),
        (QStringList{"o'neil's", "say \"cheese\"", "50%", "snake_case", QStringLiteral("ёлка"),
                     QStringLiteral("日本語"), "spaced", fortyOne.left(38)}));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM INFLEC")).toInt(), typed.size());
}

TEST_F(NewWordDialog, TheTwoTestsTakePercentAndUnderscoreLiterally)
{
    addWords({"50%", "500", "snake_case", "snakeXcase", "a50%b"});
    TNewWord dialog(QString(), window.get());
    dialog.show();
    type(dialog.input(), QStringLiteral("50%"));
    EXPECT_EQ(dialog.testButton()->text(), QStringLiteral("Test     "));
    dialog.TestBtnClick();
    EXPECT_EQ(dialog.gridLabel()->text(), QStringLiteral("Dictionary: "));
    EXPECT_EQ(gridWords(dialog.dictionaryGrid()), QStringList{"50%"});
    EXPECT_EQ(dialog.testButton()->text(), QStringLiteral("Test more"));
    dialog.TestBtnClick();
    EXPECT_EQ(gridWords(dialog.dictionaryGrid()), (QStringList{"50%", "a50%b"}));
    EXPECT_FALSE(dialog.testButton()->isVisible());
    EXPECT_TRUE(dialog.okButton()->isDefault());
    EXPECT_EQ(dialog.height(), NewWordCheck::dialogHeight(NewWordCheck::gridHeight(
                                   dialog.dictionaryGrid()->fontMetrics().height(), 2)));

    // A new text starts the test again and hides the matches.
    dialog.input()->clear();
    type(dialog.input(), QStringLiteral("snake_"));
    EXPECT_TRUE(dialog.testButton()->isVisible());
    EXPECT_FALSE(dialog.dictionaryGrid()->isVisible());
    dialog.TestBtnClick();
    EXPECT_EQ(gridWords(dialog.dictionaryGrid()), QStringList{"snake_case"});

    // Double-click a match: nothing is made, the window goes to it.
    QListWidgetItem* item = dialog.dictionaryGrid()->item(0);
    Q_EMIT dialog.dictionaryGrid()->itemDoubleClicked(item);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dictionaryState().wordToGoTo, QStringLiteral("snake_case"));
    EXPECT_EQ(dialog.createdWordNo(), 0);
}

TEST_F(NewWordDialog, TheEraseButtonCutsFromTheRightUnlessTextIsSelected)
{
    TNewWord dialog(QStringLiteral("kitten"), window.get());
    dialog.show();
    EXPECT_EQ(dialog.input()->text(), QStringLiteral("kitten"));
    EXPECT_EQ(dialog.eraseButton()->toolTip(), QStringLiteral("Cut word from right"));
    dialog.EraseBtnClick();
    EXPECT_EQ(dialog.input()->text(), QStringLiteral("kitte"));
    dialog.input()->selectAll();
    dialog.EraseBtnClick();
    EXPECT_EQ(dialog.input()->text(), QStringLiteral("kitte"));
    EXPECT_FALSE(dialog.input()->hasSelectedText());
    EXPECT_EQ(dialog.input()->cursorPosition(), 5);
    dialog.OKBtnClick();
    EXPECT_EQ(rows(QStringLiteral("SELECT Word FROM WORD")), QStringList{"kitte"});
}

TEST_F(NewWordDialog, RenameAndLocateTakeTheSameWords)
{
    addWords({"snakexcase", "snake_case", "plain"});
    TDict* w = openWindow();
    w->browser().setOrder(DictOrder::Alphabetical);
    w->rowsChanged();
    selectWord(w, "plain");
    test::ModalDriver driver;
    QString caption;
    driver.then([&](QWidget* modal) {
        auto* d = qobject_cast<TDeleteWordFrm*>(modal);
        ASSERT_NE(d, nullptr);
        caption = d->windowTitle();
        EXPECT_EQ(d->input()->selectedText(), QStringLiteral("plain"));
        type(d->input(), QStringLiteral("Ünï 100%_\"q\""));
        d->okButton()->click();
    });
    w->command(QStringLiteral("Rename"));
    EXPECT_EQ(caption, QStringLiteral("CHANGE WORD FROM: plain"));
    EXPECT_EQ(rows(QStringLiteral("SELECT Word FROM WORD ORDER BY WNo")),
              (QStringList{"snakexcase", "snake_case", QStringLiteral("ünï 100%_\"q\"")}));
    EXPECT_EQ(selectedWord(w), QStringLiteral("ünï 100%_\"q\""));

    // The locate finds "snake_case" itself, not the word where "_" would stand for any letter.
    w->browser().goTop();
    w->rowsChanged();
    driver.then([&](QWidget* modal) {
        auto* d = qobject_cast<TLocateInList*>(modal);
        ASSERT_NE(d, nullptr);
        d->input()->setEditText(QString());
        type(d->input()->lineEdit(), QStringLiteral("e_c"));
        d->okButton()->click();
    });
    w->command(QStringLiteral("Locate"));
    EXPECT_EQ(selectedWord(w), QStringLiteral("snake_case"));
    EXPECT_TRUE(driver.strays.isEmpty());
}

}  // namespace
