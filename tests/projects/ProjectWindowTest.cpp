#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>

#include "DictionaryUiFixture.h"
#include "cards/Desktop.h"
#include "cards/DragGrid.h"
#include "cards/DragPayload.h"
#include "items/ItemCard.h"
#include "items/ItemCommands.h"
#include "projects/ProjectDialogs.h"
#include "projects/ProjectRecords.h"
#include "projects/ProjectWindow.h"
#include "session/Session.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/MainWindow.h"
#include "support/ModalDriver.h"

using namespace qb;

namespace {

class ProjectWindow : public test::DictionaryUi {
protected:
    void SetUp() override
    {
        DictionaryUi::SetUp();
        // Newest first in time stamp order: GAMMA, ALPHA, BETA.
        addProject(QStringLiteral("BETA"), -45000.1);
        addProject(QStringLiteral("ALPHA"), -45000.2);
        addProject(QStringLiteral("GAMMA"), -45000.3);
    }

    TProj* openWindow()
    {
        const int before = desktop->cardsOf<TProj>().size();
        window->commands().trigger(QString::fromLatin1(cmd::NewProjectWindow));
        QList<TProj*> all = desktop->cardsOf<TProj>();
        return all.size() > before ? all.last() : nullptr;
    }
    static QStringList names(TProj* w)
    {
        QStringList out;
        for (int r = 0; r < w->tableModel()->rowCount(); ++r)
            out << w->tableModel()->item(r, 0)->text();
        return out;
    }
    static QString title(TProj* w)
    {
        return w->tableModel()->headerData(0, Qt::Horizontal).toString();
    }
    static QStringList topNodes(TProj* w)
    {
        QStringList out;
        for (int i = 0; i < w->tree()->topLevelItemCount(); ++i)
            out << w->tree()->topLevelItem(i)->text(0);
        return out;
    }
    static void click(QWidget* dialog, const char* button)
    {
        auto* b = dialog->findChild<QPushButton*>(QString::fromLatin1(button));
        ASSERT_NE(b, nullptr) << button;
        b->click();
    }

    test::ModalDriver driver;
};

TEST_F(ProjectWindow, FifteenWindowsCascadeAndTheSixteenthIsRefused)
{
    TProj* first = openWindow();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->slot(), 1);
    EXPECT_EQ(first->displayMode(), TProj::TreeMode);
    for (int i = 2; i <= 15; ++i) ASSERT_NE(openWindow(), nullptr) << i;
    EXPECT_EQ(desktop->cardsOf<TProj>().last()->slot(), 15);
    EXPECT_EQ(openWindow(), nullptr);
    ASSERT_TRUE(messenger.saw(QStringLiteral("Too many windows on desktop")));
    EXPECT_EQ(messenger.shown.back().request.code, QStringLiteral("qb3160"));
    EXPECT_EQ(desktop->cardsOf<TProj>().size(), 15);
}

TEST_F(ProjectWindow, TheOrderSwitchKeepsTheCurrentProject)
{
    TProj* w = openWindow();
    ASSERT_NE(w, nullptr);
    w->setDisplayMode(TProj::ListMode);
    EXPECT_EQ(title(w), QStringLiteral("TIME STAMP ORDER"));
    EXPECT_EQ(names(w), (QStringList{"GAMMA", "ALPHA", "BETA"}));
    ASSERT_TRUE(w->selectName(QStringLiteral("ALPHA")));
    // A press on the name column's title.
    QTest::mouseClick(w->grid()->horizontalHeader()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(10, 5));
    EXPECT_EQ(title(w), QStringLiteral("ALPHABETICAL ORDER"));
    EXPECT_EQ(names(w), (QStringList{"ALPHA", "BETA", "GAMMA"}));
    EXPECT_EQ(w->currentName(), QStringLiteral("ALPHA"));
    w->command(QStringLiteral("AlphaOrder"));
    EXPECT_EQ(title(w), QStringLiteral("TIME STAMP ORDER"));
    EXPECT_EQ(w->currentName(), QStringLiteral("ALPHA"));
    EXPECT_EQ(projectState().current, QStringLiteral("ALPHA"));
    // Reset Screen puts every list card on its first row.
    session().shell.listCardsGoTop();
    EXPECT_EQ(w->currentName(), QStringLiteral("GAMMA"));
}

// A new window opens on the current project in its list and its tree alike, so the
// commands and drags of the window act on the node the user sees marked.
TEST_F(ProjectWindow, ANewWindowListsAndMarksTheCurrentProject)
{
    SetCurrentProject(QStringLiteral("BETA"));
    TProj* w = openWindow();
    ASSERT_NE(w, nullptr);
    ASSERT_NE(w->tree()->currentItem(), nullptr);
    EXPECT_EQ(w->tree()->currentItem()->text(0), QStringLiteral("BETA"));
    EXPECT_EQ(w->currentName(), QStringLiteral("BETA"));
    EXPECT_EQ(w->dragPayload().project, QStringLiteral("BETA"));
}

TEST_F(ProjectWindow, ThePanelShowsOnlyTheCommandsThatWork)
{
    TProj* w = openWindow();
    ASSERT_NE(w, nullptr);
    const QStringList tree = w->panelRows();
    EXPECT_FALSE(tree.contains(QStringLiteral("AlphaOrder")));
    EXPECT_FALSE(tree.contains(QStringLiteral("ConnectImage")));
    // The outline commands work on the tree only.
    const QStringList outline = {"GetOutline", "SaveOutline", "NilOutline", "RefrOutline",
                                 "PrintOutline"};
    for (const QString& command : outline)
        EXPECT_TRUE(tree.contains(command)) << command.toStdString();
    w->setDisplayMode(TProj::ListMode);
    EXPECT_TRUE(w->panelRows().contains(QStringLiteral("AlphaOrder")));
    for (const QString& command : outline)
        EXPECT_FALSE(w->panelRows().contains(command)) << command.toStdString();
    EXPECT_FALSE(w->panelRows().contains(QStringLiteral("URLCall")));
    exec(QStringLiteral("UPDATE PROJECT SET URL = 'http://example.org/a' WHERE Project = 'GAMMA'"));
    w->selectName(QStringLiteral("GAMMA"));
    EXPECT_TRUE(w->panelRows().contains(QStringLiteral("URLCall")));
}

TEST_F(ProjectWindow, AClipboardPictureConnectsToTheProject)
{
    TProj* w = openWindow();
    ASSERT_NE(w, nullptr);
    w->selectName(QStringLiteral("BETA"));
    QGuiApplication::clipboard()->setText(QStringLiteral("no picture"));
    EXPECT_FALSE(w->panelRows().contains(QStringLiteral("ConnectImage")));
    QImage picture(8, 6, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(picture);
    ASSERT_TRUE(w->panelRows().contains(QStringLiteral("ConnectImage")));
    w->command(QStringLiteral("ConnectImage"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM SHOW")), 1);
    QGuiApplication::clipboard()->clear();
}

TEST_F(ProjectWindow, NewProjectTestsTheNameThenOpensTheUpdateDialog)
{
    TProj* w = openWindow();
    ASSERT_NE(w, nullptr);
    bool refused = false;
    driver.then([&](QWidget* d) {
        auto* dialog = qobject_cast<TNewProj*>(d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("ADD PROJECT/URL/SHORTCUT"));
        type(dialog->nameEdit(), QStringLiteral("al"));
        EXPECT_EQ(dialog->testButton()->text(), QStringLiteral("Test     "));
        dialog->TestClick();
        // ALPHA starts with it: no OK.
        EXPECT_EQ(dialog->matches()->rowCount(), 1);
        refused = !dialog->okButton()->isEnabled();
        dialog->nameEdit()->clear();
        type(dialog->nameEdit(), QStringLiteral("delta"));
        dialog->TestClick();
        EXPECT_EQ(dialog->testButton()->text(), QStringLiteral("Test more"));
        dialog->TestClick();
        EXPECT_FALSE(dialog->testButton()->isVisible());
        ASSERT_TRUE(dialog->okButton()->isEnabled());
        dialog->okButton()->click();
    });
    driver.then([&](QWidget* d) {
        auto* dialog = qobject_cast<TUpd_Project*>(d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->nameEdit()->text(), QStringLiteral("DELTA"));
        EXPECT_TRUE(dialog->blankUrlLabel()->isVisibleTo(dialog));
        dialog->categoryBox()->setEditText(QStringLiteral("ideas"));
        click(dialog, "ok");
    });
    // The blank URL: no text file.
    messenger.answer(MessageButton::No);
    w->command(QStringLiteral("AddWord"));
    EXPECT_TRUE(refused);
    EXPECT_EQ(driver.handled(), 2);
    EXPECT_TRUE(driver.strays.isEmpty()) << driver.strays.join(',').toStdString();
    EXPECT_EQ(rows(QStringLiteral("SELECT Tag, URL FROM PROJECT WHERE Project = 'DELTA'")),
              QStringList{QStringLiteral("IDEAS|")});
    EXPECT_EQ(w->currentName(), QStringLiteral("DELTA"));
    EXPECT_TRUE(topNodes(w).contains(QStringLiteral("DELTA")));
}

TEST_F(ProjectWindow, ReturnInTheUpdateDialogKeepsTheCategoryShownOrTyped)
{
    // The tag is neither the first by row nor the first by name.
    exec(QStringLiteral("UPDATE PROJECT SET Tag = 'ZZZ' WHERE Project = 'BETA'"));
    exec(QStringLiteral("UPDATE PROJECT SET Tag = 'AAA' WHERE Project = 'ALPHA'"));
    exec(
        QStringLiteral("UPDATE PROJECT SET Tag = 'MIDDLE', URL = 'x.txt' WHERE Project = 'GAMMA'"));
    TProj* w = openWindow();
    ASSERT_NE(w, nullptr);
    w->selectName(QStringLiteral("GAMMA"));
    driver.then([&](QWidget* d) {
        auto* dialog = qobject_cast<TUpd_Project*>(d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->categoryBox()->currentText(), QStringLiteral("MIDDLE"));
        QTest::keyClick(dialog->categoryBox()->lineEdit(), Qt::Key_Return);
    });
    w->command(QStringLiteral("ProjUpdate"));
    EXPECT_EQ(rows(QStringLiteral("SELECT Tag FROM PROJECT WHERE Project = 'GAMMA'")),
              QStringList{QStringLiteral("MIDDLE")});
    driver.then([&](QWidget* d) {
        auto* dialog = qobject_cast<TUpd_Project*>(d);
        ASSERT_NE(dialog, nullptr);
        dialog->categoryBox()->lineEdit()->clear();
        type(dialog->categoryBox()->lineEdit(), QStringLiteral("trips"));
        QTest::keyClick(dialog->categoryBox()->lineEdit(), Qt::Key_Return);
    });
    w->command(QStringLiteral("ProjUpdate"));
    EXPECT_EQ(rows(QStringLiteral("SELECT Tag FROM PROJECT WHERE Project = 'GAMMA'")),
              QStringList{QStringLiteral("TRIPS")});
    EXPECT_EQ(driver.handled(), 2);
}

TEST_F(ProjectWindow, DeleteAnsweredNoOnReferencesLeavesOnlyCancel)
{
    addItem(-46000.1, QStringLiteral("linked"), {}, {QStringLiteral("BETA")});
    TProj* w = openWindow();
    ASSERT_NE(w, nullptr);
    w->selectName(QStringLiteral("BETA"));
    driver.then([&](QWidget* d) {
        auto* dialog = qobject_cast<TDeleteProjFrm*>(d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("CONFIRM PROJECT DELETE"));
        EXPECT_FALSE(dialog->okButton()->isEnabled());
        EXPECT_FALSE(dialog->refsOnlyButton()->isVisible());
        EXPECT_TRUE(dialog->cancelButton()->isEnabled());
        // Its wrapped explanation shows every line.
        for (QLabel* text : dialog->findChildren<QLabel*>())
            if (text->wordWrap()) EXPECT_GE(text->height(), text->heightForWidth(text->width()));
        dialog->okButton()->click();  // disabled: nothing happens
        click(dialog, "cancel");
    });
    messenger.answer(MessageButton::No);
    w->command(QStringLiteral("Delete"));
    EXPECT_EQ(driver.handled(), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM PROJECT WHERE Project = 'BETA'")), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM ITEMURL")), 1);
}

TEST_F(ProjectWindow, DeleteRemovesTheRowAndTheNodeEverywhere)
{
    TProj* w = openWindow();
    TProj* other = openWindow();
    ASSERT_TRUE(w && other);
    w->selectName(QStringLiteral("BETA"));
    session().settings.quiet = true;
    // GAMMA under BETA in the other window's outline.
    ASSERT_TRUE(other->moveNode(other->tree()->topLevelItem(1), other->tree()->topLevelItem(3),
                                TProj::TreeDrop::Attach));
    driver.then([&](QWidget* d) { click(d, "ok"); });
    messenger.expect(QString::fromLatin1(projectdialogs::kDeletedInfo));
    w->command(QStringLiteral("Delete"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM PROJECT WHERE Project = 'BETA'")), 0);
    EXPECT_FALSE(names(other).contains(QStringLiteral("BETA")));
    EXPECT_EQ(topNodes(other), (QStringList{"[NEW]", "ALPHA"}));
    ASSERT_EQ(other->tree()->topLevelItem(0)->childCount(), 1);
    EXPECT_EQ(other->tree()->topLevelItem(0)->child(0)->text(0), QStringLiteral("GAMMA"));
}

TEST_F(ProjectWindow, CategoryRestampsAndFiltersThenUndoLiftsTheFilter)
{
    exec(QStringLiteral("UPDATE PROJECT SET Tag = 'ab' WHERE Project = 'BETA'"));
    exec(QStringLiteral("UPDATE PROJECT SET Tag = 'XAB' WHERE Project = 'ALPHA'"));
    exec(QStringLiteral("UPDATE PROJECT SET Tag = 'A' WHERE Project = 'GAMMA'"));
    TProj* w = openWindow();
    ASSERT_NE(w, nullptr);
    driver.then([&](QWidget* d) {
        auto* dialog = qobject_cast<TTagSelect*>(d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_FALSE(dialog->undoButton()->isEnabled());
        QList<QListWidgetItem*> ab =
            dialog->tags()->findItems(QStringLiteral("ab"), Qt::MatchExactly);
        ASSERT_EQ(ab.size(), 1);
        dialog->tags()->setCurrentItem(ab.front());
        dialog->OKBtnClick();
    });
    w->command(QStringLiteral("TagSelect"));
    EXPECT_TRUE(w->filterOn());
    EXPECT_EQ(w->caption(), QStringLiteral("AB"));
    EXPECT_EQ(names(w), QStringList{QStringLiteral("BETA")});
    // AB and XAB were stamped to the top of time stamp order.
    EXPECT_EQ(rows(QStringLiteral("SELECT Project FROM PROJECT ORDER BY PTS")).mid(0, 2),
              (QStringList{"BETA", "ALPHA"}));

    driver.then([&](QWidget* d) {
        auto* dialog = qobject_cast<TTagSelect*>(d);
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(dialog->undoButton()->isEnabled());
        dialog->undoButton()->click();
    });
    w->command(QStringLiteral("TagSelect"));
    EXPECT_FALSE(w->filterOn());
    EXPECT_EQ(w->caption(), QStringLiteral("Projects"));
    EXPECT_EQ(names(w).size(), 3);
}

TEST_F(ProjectWindow, LocateSelectsTheHitAndNextGoesOn)
{
    // The oldest stamp: last in time stamp order.
    addProject(QStringLiteral("BETAMAX"), -45000.05);
    TProj* w = openWindow();
    ASSERT_NE(w, nullptr);
    driver.then([&](QWidget* d) {
        auto* dialog = qobject_cast<TFind_Project*>(d);
        ASSERT_NE(dialog, nullptr);
        dialog->textBox()->setEditText(QStringLiteral("eta"));
        dialog->StartClick();
    });
    w->command(QStringLiteral("Locate"));
    EXPECT_EQ(w->currentName(), QStringLiteral("BETA"));
    driver.then([&](QWidget* d) {
        auto* dialog = qobject_cast<TFind_Project*>(d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->textBox()->itemText(0), QStringLiteral("eta"));
        dialog->textBox()->setEditText(QStringLiteral("eta"));
        dialog->NextClick();
    });
    w->command(QStringLiteral("Locate"));
    EXPECT_EQ(w->currentName(), QStringLiteral("BETAMAX"));
    EXPECT_EQ(projectDialogsState().findHistory, QStringList{QStringLiteral("eta")});
}

TEST_F(ProjectWindow, DropsOnTheListSelectOrMakeTheProject)
{
    TProj* w = openWindow();
    ASSERT_NE(w, nullptr);
    DragPayload fromItem;
    fromItem.source = DragPayload::Source::ItemProject;
    fromItem.project = QStringLiteral("BETA");
    drop(w->grid()->viewport(), {20, 20}, fromItem);
    EXPECT_EQ(w->order(), ProjectOrder::Alphabetical);
    EXPECT_EQ(w->currentName(), QStringLiteral("BETA"));

    DragPayload word;
    word.source = DragPayload::Source::DictionaryWord;
    word.wordNo = 7;
    word.word = QStringLiteral("river");
    ASSERT_TRUE(w->DropOnGrid(word));
    EXPECT_EQ(w->order(), ProjectOrder::TimeStamp);
    EXPECT_EQ(w->currentName(), QStringLiteral("RIVER"));
    EXPECT_EQ(rows(QStringLiteral("SELECT Tag FROM PROJECT WHERE Project = 'RIVER'")),
              QStringList{QStringLiteral("WORD")});
    EXPECT_TRUE(topNodes(w).contains(QStringLiteral("RIVER")));
    // The list's drag carries the project to item cards and the desktop.
    DragPayload out = w->dragPayload();
    EXPECT_EQ(out.source, DragPayload::Source::Project);
    EXPECT_EQ(out.project, QStringLiteral("RIVER"));
}

TEST_F(ProjectWindow, TreeNodesMoveUnderOneAnotherAndWithTheArrows)
{
    session().settings.quiet = true;
    TProj* w = openWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(topNodes(w), (QStringList{"[NEW]", "GAMMA", "ALPHA", "BETA"}));
    QTreeWidgetItem* beta = w->tree()->topLevelItem(3);
    QTreeWidgetItem* gamma = w->tree()->topLevelItem(1);
    ASSERT_TRUE(w->moveNode(beta, gamma, TProj::TreeDrop::Attach));
    EXPECT_EQ(topNodes(w), (QStringList{"[NEW]", "GAMMA", "ALPHA"}));
    EXPECT_EQ(gamma->child(0)->text(0), QStringLiteral("BETA"));
    // The title never moves; a node never goes under itself.
    EXPECT_FALSE(w->moveNode(w->tree()->topLevelItem(0), gamma, TProj::TreeDrop::Attach));
    EXPECT_FALSE(w->moveNode(gamma, gamma->child(0), TProj::TreeDrop::Attach));

    QTreeWidgetItem* alpha = w->tree()->topLevelItem(2);
    w->tree()->setCurrentItem(alpha);
    EXPECT_EQ(w->currentName(), QStringLiteral("ALPHA"));
    w->TvKeyDown(Qt::Key_Up);  // before BETA, under GAMMA
    EXPECT_EQ(gamma->childCount(), 2);
    EXPECT_EQ(gamma->child(0)->text(0), QStringLiteral("ALPHA"));
    EXPECT_EQ(w->currentName(), QStringLiteral("BETA"));
    // Up on the first node after the title does nothing.
    w->tree()->setCurrentItem(gamma);
    w->TvKeyDown(Qt::Key_Up);
    EXPECT_EQ(topNodes(w), (QStringList{"[NEW]", "GAMMA"}));
}

TEST_F(ProjectWindow, ATreeDropAsksInsertThenAttach)
{
    session().settings.quiet = false;
    TProj* w = openWindow();
    ASSERT_NE(w, nullptr);
    QTreeWidgetItem* gamma = w->tree()->topLevelItem(1);
    QTreeWidgetItem* beta = w->tree()->topLevelItem(3);
    // No to both: the tree stays as it was.
    messenger.answer(MessageButton::No);
    messenger.answer(MessageButton::No);
    EXPECT_FALSE(w->dropNode(beta, gamma, TProj::TreeDrop::Insert));
    EXPECT_TRUE(messenger.saw(QStringLiteral("Insert BETA before GAMMA")));
    EXPECT_TRUE(messenger.saw(QStringLiteral("Attach BETA to GAMMA")));
    EXPECT_EQ(topNodes(w), (QStringList{"[NEW]", "GAMMA", "ALPHA", "BETA"}));
    // No to the insert, yes to the attach.
    messenger.answer(MessageButton::No);
    messenger.answer(MessageButton::Yes);
    EXPECT_TRUE(w->dropNode(beta, gamma, TProj::TreeDrop::Insert));
    EXPECT_EQ(gamma->child(0)->text(0), QStringLiteral("BETA"));
    // A drop on a label asks only the attach.
    QTreeWidgetItem* alpha = w->tree()->topLevelItem(2);
    messenger.answer(MessageButton::Yes);
    EXPECT_TRUE(w->dropNode(alpha, beta, TProj::TreeDrop::Attach));
    EXPECT_EQ(beta->child(0)->text(0), QStringLiteral("ALPHA"));
}

TEST_F(ProjectWindow, AProjectDraggedOntoAnItemCardLinksIt)
{
    TProj* w = openWindow();
    ASSERT_NE(w, nullptr);
    w->selectName(QStringLiteral("ALPHA"));
    CreateBlankItem(false);
    QList<TItem*> cards = desktop->cardsOf<TItem>();
    ASSERT_EQ(cards.size(), 1);
    cards.front()->DropOn(ItemPart::Urls, w->dragPayload(), {10, 10});
    EXPECT_EQ(cards.front()->item().projects, QStringList{QStringLiteral("ALPHA")});
    EXPECT_TRUE(cards.front()->item().changed);
}

TEST_F(ProjectWindow, TheHintNamesTheProjectUnderThePointer)
{
    exec(
        QStringLiteral("UPDATE PROJECT SET Tag = 'Home', URL = 'C:\\Notes\\A.TXT' "
                       "WHERE Project = 'GAMMA'"));
    TProj* w = openWindow();
    ASSERT_NE(w, nullptr);
    w->tree()->setFocus();
    ASSERT_TRUE(w->tree()->hasFocus());
    const QPoint onGamma = w->tree()->visualItemRect(w->tree()->topLevelItem(1)).center();
    w->DataToHintPanel(onGamma);
    ASSERT_TRUE(w->hintPanel()->isVisible());
    EXPECT_EQ(w->hintPanel()->text(), QStringLiteral(" gamma |  home |  c:\\notes\\a.txt"));
    // The title has no hint; leaving the labels hides it.
    w->DataToHintPanel(w->tree()->visualItemRect(w->tree()->topLevelItem(0)).center());
    EXPECT_FALSE(w->hintPanel()->isVisible());
    // At most one fill a second.
    const QPoint onAlpha = w->tree()->visualItemRect(w->tree()->topLevelItem(2)).center();
    w->DataToHintPanel(onAlpha);
    EXPECT_FALSE(w->hintPanel()->isVisible());
    clock.advanceMs(1000);
    w->DataToHintPanel(onAlpha);
    EXPECT_EQ(w->hintPanel()->text(), QStringLiteral(" alpha |  none |  - - -"));
    // With a category filter the category is left out.
    w->setFilter(QStringLiteral("HOME"), true);
    EXPECT_EQ(w->hintText(*FindProject(QStringLiteral("GAMMA"))),
              QStringLiteral(" gamma |  c:\\notes\\a.txt"));
}

TEST_F(ProjectWindow, TheFrameClickGoesRoundTheModesAndTheBrowserShowsALocalFile)
{
    const QString file = path(QStringLiteral("notes.txt"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("garden notes");
    }
    exec(QStringLiteral("UPDATE PROJECT SET URL = ?1 WHERE Project = 'GAMMA'"), {file});
    TProj* w = openWindow();
    ASSERT_NE(w, nullptr);
    w->selectName(QStringLiteral("GAMMA"));
    EXPECT_EQ(w->displayMode(), TProj::TreeMode);
    w->switchDisplayMode();
    EXPECT_EQ(w->displayMode(), TProj::ListMode);
    EXPECT_TRUE(w->grid()->isVisible());
    EXPECT_FALSE(w->tree()->isVisible());
    w->command(QStringLiteral("URLCall"));
    ASSERT_EQ(w->displayMode(), TProj::BrowserMode);
    ASSERT_NE(w->browser(), nullptr);
    EXPECT_TRUE(w->browser()->toPlainText().contains(QStringLiteral("garden notes")));
    w->switchDisplayMode();
    EXPECT_EQ(w->displayMode(), TProj::ListMode);
    EXPECT_EQ(w->browser(), nullptr);

    QStringList opened;
    session().shell.openUrl = [&](const QString& url) {
        opened << url;
        return true;
    };
    exec(QStringLiteral("UPDATE PROJECT SET URL = 'http://example.org/x' WHERE Project = 'BETA'"));
    w->refresh();
    w->selectName(QStringLiteral("BETA"));
    w->command(QStringLiteral("URLCall"));
    EXPECT_EQ(opened, QStringList{QStringLiteral("http://example.org/x")});
    // A double click on the URL opens it too; on the name the project goes to the top.
    w->RowDoubleClick(2);
    EXPECT_EQ(opened.size(), 2);
    w->RowDoubleClick(0);
    EXPECT_EQ(w->rows().front().name, QStringLiteral("BETA"));
    // A left click on the corner sign opens it; a right click shows the browser view.
    w->CornerMouseDown(Qt::LeftButton, {500, 500});
    w->CornerMouseUp(Qt::LeftButton, {500, 500});
    EXPECT_EQ(opened.size(), 3);
    w->setDisplayMode(TProj::ListMode);
    w->CornerMouseDown(Qt::RightButton, {500, 500});
    w->CornerMouseUp(Qt::RightButton, {501, 500});
    EXPECT_EQ(w->displayMode(), TProj::BrowserMode);
    session().shell.openUrl = nullptr;
    messenger.expect(QStringLiteral("URL/file missing or unsufficient resources"));
    w->RowDoubleClick(2);
    session().shell.openUrl = nullptr;
}

TEST_F(ProjectWindow, OpenWindowsAreRecordedAndRestored)
{
    TProj* w = openWindow();
    ASSERT_NE(w, nullptr);
    w->setDisplayMode(TProj::ListMode);
    w->setOrder(ProjectOrder::Alphabetical);
    w->selectName(QStringLiteral("BETA"));
    std::vector<ProjectWindowRecord> saved = session().shell.windows.projectWindows();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].sortOrder, 1);
    EXPECT_EQ(saved[0].sideUp, 0);
    EXPECT_EQ(saved[0].selectedProject, QStringLiteral("BETA"));

    w->HideCard();
    flushDeletes();
    ProjectWindowRestore restore;
    restore.number = 3;
    restore.geometry = QRect(30, 40, 300, 280);
    restore.sortOrder = 1;
    restore.selectedProject = QStringLiteral("GAMMA");
    restore.sideUp = 0;
    ASSERT_TRUE(session().shell.windows.openProjectWindow(restore));
    TProj* back = desktop->cardsOf<TProj>().last();
    EXPECT_EQ(back->slot(), 3);
    EXPECT_EQ(back->size(), QSize(300, 280));
    EXPECT_EQ(back->order(), ProjectOrder::Alphabetical);
    EXPECT_EQ(back->currentName(), QStringLiteral("GAMMA"));
    EXPECT_EQ(back->displayMode(), TProj::ListMode);
}

}  // namespace
