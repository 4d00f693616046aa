#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTreeWidget>

#include "DictionaryUiFixture.h"
#include "HtmlCheck.h"
#include "cards/CommandPanel.h"
#include "cards/Desktop.h"
#include "projects/OutlinePrint.h"
#include "projects/ProjectWindow.h"
#include "session/Session.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/MainWindow.h"

using namespace qb;

namespace {

class OutlineWindow : public test::DictionaryUi {
protected:
    void SetUp() override
    {
        DictionaryUi::SetUp();
        addProject(QStringLiteral("BETA"), -45000.1);
        addProject(QStringLiteral("ALPHA"), -45000.2);
        addProject(QStringLiteral("GAMMA"), -45000.3);
        addItem(-46100.1L, QStringLiteral("alpha text"), {}, {"ALPHA"});
        outl = path(QStringLiteral("outl"));
        QDir().mkpath(outl);
        outlineHooks().openDocument = [this](const QString& file, bool html) {
            opened << file + (html ? QStringLiteral(" html") : QStringLiteral(" text"));
            return true;
        };
    }
    void TearDown() override
    {
        TMyPopUpMenu::setFileDialogAnswer(nullptr);
        outlineHooks().openDocument = nullptr;
        DictionaryUi::TearDown();
    }

    TProj* openWindow()
    {
        window->commands().trigger(QString::fromLatin1(cmd::NewProjectWindow));
        return desktop->cardsOf<TProj>().last();
    }
    QTreeWidgetItem* node(TProj* w, const QString& text)
    {
        const QList<QTreeWidgetItem*> found =
            w->tree()->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }
    // "name<parent" in display order.
    static QStringList shape(TProj* w)
    {
        QStringList out;
        std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* n) {
            out << (n->parent() ? n->text(0) + QLatin1Char('<') + n->parent()->text(0)
                                : n->text(0));
            for (int i = 0; i < n->childCount(); ++i) walk(n->child(i));
        };
        for (int i = 0; i < w->tree()->topLevelItemCount(); ++i) walk(w->tree()->topLevelItem(i));
        return out;
    }
    void answerFileDialog(const QString& file)
    {
        TMyPopUpMenu::setFileDialogAnswer(
            [file](const TMyPopUpMenu::FileDialogRequest&) { return file; });
    }

    QString outl;
    QStringList opened;
};

TEST_F(OutlineWindow, SaveResetLoadAndPrintTheTree)
{
    TProj* w = openWindow();
    w->moveNode(node(w, "ALPHA"), node(w, "[NEW]"), TProj::TreeDrop::Attach);
    w->moveNode(node(w, "GAMMA"), node(w, "ALPHA"), TProj::TreeDrop::Attach);
    const QStringList arranged = {"[NEW]", "ALPHA<[NEW]", "GAMMA<ALPHA", "BETA"};
    ASSERT_EQ(shape(w), arranged);

    // The automatic saves write nothing while the outline is "New".
    EXPECT_TRUE(w->saveOutline());
    EXPECT_TRUE(QDir(outl).entryList(QDir::Files).isEmpty());

    const QString file = QDir(outl).filePath(QStringLiteral("plan.qbo"));
    answerFileDialog(file);
    w->command(QStringLiteral("SaveOutline"));
    ASSERT_TRUE(QFile::exists(file));
    EXPECT_EQ(w->outlineId(), QStringLiteral("plan"));
    EXPECT_EQ(w->tree()->topLevelItem(0)->text(0), QStringLiteral("[PLAN]"));

    w->command(QStringLiteral("RefrOutline"));
    EXPECT_EQ(w->outlineId(), QStringLiteral("New"));
    EXPECT_EQ(shape(w), (QStringList{"[NEW]", "GAMMA", "ALPHA", "BETA"}));

    w->command(QStringLiteral("GetOutline"));
    EXPECT_TRUE(w->outlineLoaded());
    EXPECT_EQ(shape(w), (QStringList{"[PLAN]", "ALPHA<[PLAN]", "GAMMA<ALPHA", "BETA"}));
    EXPECT_EQ(w->currentName(), QStringLiteral("ALPHA"));

    // Printed from the title; the document is handed on to be opened.
    w->tree()->setCurrentItem(w->tree()->topLevelItem(0));
    const QString text = w->GoTvPrintItemText();
    EXPECT_TRUE(text.endsWith(QStringLiteral("outltxt/Outline PLAN.txt")));
    session().settings.html = true;
    w->command(QStringLiteral("PrintOutline"));
    EXPECT_EQ(opened, (QStringList{text + " text", path("outltxt/Outline PLAN.htm") + " html"}));
    QFile document(text);
    ASSERT_TRUE(document.open(QIODevice::ReadOnly));
    const QByteArray written = document.readAll();
    EXPECT_TRUE(written.contains("\r\n1 ALPHA\r\n=======\r\n\r\nalpha text\r\n"));
    EXPECT_TRUE(written.contains("\r\n1.1 GAMMA\r\n"));
    QFile html(path("outltxt/Outline PLAN.htm"));
    ASSERT_TRUE(html.open(QIODevice::ReadOnly));
    EXPECT_EQ(test::HtmlProblem(QString::fromUtf8(html.readAll())), QString());

    // Unhook: the subtree comes apart, the deepest node first.
    w->tree()->setCurrentItem(node(w, "ALPHA"));
    w->command(QStringLiteral("NilOutline"));
    EXPECT_EQ(shape(w), (QStringList{"[PLAN]", "BETA", "GAMMA", "ALPHA"}));
}

TEST_F(OutlineWindow, TheLayoutSavesTheOutlineAndBringsItBack)
{
    TProj* w = openWindow();
    w->moveNode(node(w, "BETA"), node(w, "[NEW]"), TProj::TreeDrop::Attach);
    const QString file = QDir(outl).filePath(QStringLiteral("desk.qbo"));
    answerFileDialog(file);
    w->command(QStringLiteral("SaveOutline"));
    w->moveNode(node(w, "GAMMA"), node(w, "BETA"), TProj::TreeDrop::Attach);

    std::vector<ProjectWindowRecord> saved = session().shell.windows.projectWindows();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].outlineId, QStringLiteral("desk"));
    ASSERT_TRUE(saved[0].saveOutline(file));
    // The second save of the file keeps the first as a numbered backup.
    EXPECT_TRUE(QFile::exists(QDir(outl).filePath(QStringLiteral("desk001.BCK"))));

    w->HideCard();
    flushDeletes();
    ProjectWindowRestore restore;
    restore.number = 2;
    restore.outlineFile = file;
    restore.sideUp = TProj::TreeMode;
    ASSERT_TRUE(session().shell.windows.openProjectWindow(restore));
    TProj* back = desktop->cardsOf<TProj>().last();
    EXPECT_EQ(back->outlineId(), QStringLiteral("desk"));
    EXPECT_EQ(shape(back), (QStringList{"[DESK]", "BETA<[DESK]", "GAMMA<BETA", "ALPHA"}));

    // At exit the layout's save is the window's last: one exit, one backup.
    const int backups = QDir(outl).entryList({QStringLiteral("desk*.BCK")}).size();
    session().flags.beginClosing();
    ASSERT_TRUE(session().shell.windows.projectWindows()[0].saveOutline(file));
    delete back;
    session().flags.reset();
    EXPECT_EQ(QDir(outl).entryList({QStringLiteral("desk*.BCK")}).size(), backups + 1);
}

}  // namespace
