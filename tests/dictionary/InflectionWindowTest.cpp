#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "DictionaryUiFixture.h"
#include "cards/CommandPanel.h"
#include "cards/Desktop.h"
#include "cards/DragGrid.h"
#include "dictionary/DictionaryWindow.h"
#include "dictionary/InflectionWindow.h"
#include "session/Session.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/MainWindow.h"
#include "support/ModalDriver.h"

using namespace qb;

namespace {

class InflectionWindow : public test::DictionaryUi {
protected:
    QList<TInflect*> shownInflections() const
    {
        QList<TInflect*> shown;
        for (TInflect* w : desktop->cardsOf<TInflect>())
            if (!w->data().hidden) shown << w;
        return shown;
    }
    // The card was sized to its rows: at least 20 pixels a row plus 53, every row in view.
    static bool sizedToRows(TInflect* w)
    {
        const int rows = int(w->forms().size());
        const QRect last = w->grid()->visualRect(w->grid()->model()->index(rows - 1, 0));
        return w->height() >= 20 * rows + 53 && last.top() >= 0 &&
               last.bottom() < w->grid()->viewport()->height();
    }
    static QPoint rowPoint(TInflect* w, int row)
    {
        return w->grid()->visualRect(w->grid()->model()->index(row, 0)).center();
    }
    // A right press on the grid's row; the panel answers with command (empty: only look).
    QStringList panel(TInflect* w, int row, const QString& command)
    {
        QStringList shown;
        TMyPopUpMenu::setTestAnswer([&](TMyPopUpMenu& p) {
            shown = p.shownRows();
            if (!command.isEmpty()) p.chooseCommand(command);
        });
        QTest::mousePress(w->grid()->viewport(), Qt::RightButton, Qt::NoModifier, rowPoint(w, row));
        TMyPopUpMenu::setTestAnswer(nullptr);
        return shown;
    }
};

TEST_F(InflectionWindow, LongPressOpensTheFormsWhichAreInsertedRenamedAndRemoved)
{
    addWords({"emu", "кот"});
    TDict* dict = openWindow();
    dict->browser().setOrder(DictOrder::Alphabetical);
    dict->rowsChanged();
    selectWord(dict, QStringLiteral("кот"));
    QWidget* grid = dict->grid()->viewport();
    QPoint at = dict->grid()->visualRect(dict->grid()->currentIndex()).center();
    QTest::mousePress(grid, Qt::LeftButton, Qt::NoModifier, at);
    QTRY_COMPARE_WITH_TIMEOUT(shownInflections().size(), 1, 3000);
    QTest::mouseRelease(grid, Qt::LeftButton, Qt::NoModifier, at);

    TInflect* w = shownInflections().front();
    const Settings& s = session().settings;
    EXPECT_EQ(w->visiblePos(), QPoint(s.popSpotZX + s.horizontal, s.popSpotZY + s.vertical));
    EXPECT_EQ(w->width(), dict->width());
    EXPECT_TRUE(sizedToRows(w));
    EXPECT_EQ(w->grid()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("КОТ"));
    EXPECT_EQ(w->forms(), QStringList{QStringLiteral("кот")});
    EXPECT_FALSE(panel(w, 0, QString()).contains(QStringLiteral("Delete")));

    // "&Insert Word": the word less its last letter, typed on.
    test::ModalDriver driver;
    driver.then([](QWidget* modal) {
        auto* dialog = qobject_cast<TNew_Inflect*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("ADD INFLECTION"));
        QTest::mouseClick(dialog->eraseButton(), Qt::LeftButton);
        EXPECT_EQ(dialog->input()->text(), QStringLiteral("ко"));
        type(dialog->input(), QStringLiteral("ТЫ"));
        QTest::keyClick(dialog->input(), Qt::Key_Return);
    });
    panel(w, 0, QStringLiteral("TestWord"));
    EXPECT_EQ(driver.handled(), 1);
    EXPECT_EQ(w->forms(), (QStringList{QStringLiteral("кот"), QStringLiteral("коты")}));
    const int twoRows = w->height();
    EXPECT_TRUE(sizedToRows(w));
    EXPECT_EQ(w->currentRow(), 0);  // back on the word's own form

    // A double click on a form renames the word; its old text stays a form.
    QTest::mouseClick(w->grid()->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(w, 1));
    QTest::mouseDClick(w->grid()->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(w, 1));
    EXPECT_EQ(rows(QStringLiteral("SELECT Word FROM WORD ORDER BY WNo")),
              (QStringList{QStringLiteral("emu"), QStringLiteral("коты")}));
    EXPECT_EQ(selectedWord(dict), QStringLiteral("коты"));
    EXPECT_EQ(w->grid()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("КОТЫ"));

    QTest::mouseClick(w->grid()->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(w, 0));
    EXPECT_TRUE(panel(w, 0, QStringLiteral("Delete")).contains(QStringLiteral("Delete")));
    EXPECT_EQ(w->forms(), QStringList{QStringLiteral("коты")});
    EXPECT_LT(w->height(), twoRows);
    EXPECT_TRUE(driver.strays.isEmpty());
}

TEST_F(InflectionWindow, DropsAddAFlywordOrFindTheDroppedWordAndClearHidesTheWindows)
{
    std::vector<int> n = addWords({"emu", "gnu"});
    TDict* dict = openWindow();
    dict->openInflectionWindow(n[0], QStringLiteral("emu"));
    dict->openInflectionWindow(n[1], QStringLiteral("gnu"));
    ASSERT_EQ(shownInflections().size(), 2);
    TInflect* w = shownInflections().front()->wordNo() == n[0] ? shownInflections().front()
                                                               : shownInflections().back();
    TInflect* other =
        w == shownInflections().front() ? shownInflections().back() : shownInflections().front();
    const Settings& s = session().settings;
    EXPECT_EQ(other->visiblePos() - w->visiblePos(), QPoint(s.horizontal, s.vertical));

    DragPayload flyword;
    flyword.source = DragPayload::Source::Flyword;
    flyword.word = QStringLiteral("Émus");
    drop(w->grid()->viewport(), QPoint(10, 10), flyword);
    EXPECT_EQ(w->forms(), (QStringList{QStringLiteral("emu"), QStringLiteral("émus")}));
    // Dropped again it is found: nothing is added.
    EXPECT_TRUE(w->DropOnGrid(flyword));
    EXPECT_EQ(w->forms().size(), 2);
    EXPECT_EQ(w->currentRow(), 1);

    DragPayload keyword;
    keyword.source = DragPayload::Source::ItemKeyword;
    keyword.wordNo = n[1];
    keyword.word = QStringLiteral("gnu");
    drop(w->grid()->viewport(), QPoint(10, 10), keyword);
    EXPECT_TRUE(messenger.saw(QStringLiteral("Word not found in Inflections window")));
    DragPayload project;
    project.source = DragPayload::Source::Project;
    project.project = QStringLiteral("EMU");
    EXPECT_TRUE(w->DropOnGrid(project));
    EXPECT_EQ(w->currentRow(), 0);

    window->commands().trigger(QString::fromLatin1(cmd::ClearInflections));
    EXPECT_TRUE(shownInflections().isEmpty());
    // Clearing all cards starts the cascade again one step from the pop spot.
    dict->openInflectionWindow(n[1], QStringLiteral("gnu"));
    window->commands().trigger(QString::fromLatin1(cmd::ClearAllCards));
    dict->openInflectionWindow(n[1], QStringLiteral("gnu"));
    ASSERT_EQ(shownInflections().size(), 1);
    EXPECT_EQ(shownInflections().front()->visiblePos(),
              QPoint(s.popSpotZX + s.horizontal, s.popSpotZY + s.vertical));
}

TEST_F(InflectionWindow, FindInItemTextsSearchesEveryForm)
{
    std::vector<int> n = addWords({"emu"});
    exec(QStringLiteral("INSERT INTO INFLEC (Word, WNo) VALUES ('ostrich', ?1)"), {n[0]});
    addItem(-46000.1, QStringLiteral("an emu"));
    addItem(-46000.2, QStringLiteral("an ostrich"));
    addItem(-46000.3, QStringLiteral("a gnu"));
    TDict* dict = openWindow();
    dict->openInflectionWindow(n[0], QStringLiteral("emu"));
    TInflect* w = shownInflections().front();
    panel(w, 0, QStringLiteral("MultFindText"));
    EXPECT_EQ(desktop->cardsOfKind(CardKind::Item).size(), 2);
}

}  // namespace
