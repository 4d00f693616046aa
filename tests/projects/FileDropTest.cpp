#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>

#include "DictionaryUiFixture.h"
#include "cards/Desktop.h"
#include "projects/ProjectDialogs.h"
#include "projects/ProjectWindow.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/MainWindow.h"
#include "support/ModalDriver.h"

using namespace qb;

namespace {

// Files from the file manager dropped on the desktop and on project windows.
class FileDrop : public test::DictionaryUi {
protected:
    void SetUp() override
    {
        DictionaryUi::SetUp();
        addProject(QStringLiteral("GAMMA"), -45000.3);
    }

    QString file(const QString& name)
    {
        const QString p = path(name);
        QDir().mkpath(QFileInfo(p).absolutePath());
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("notes");
        return p;
    }
    TProj* openWindow()
    {
        window->commands().trigger(QString::fromLatin1(cmd::NewProjectWindow));
        return desktop->cardsOf<TProj>().value(0);
    }
    // As the file manager delivers it.
    static void dropFiles(QWidget* target, QPoint at, const QStringList& paths)
    {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
        mime.setUrls(urls);
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        EXPECT_TRUE(drop.isAccepted());
        QApplication::processEvents();
    }
    QString urlOf(const QString& project)
    {
        return rows(QStringLiteral("SELECT URL FROM PROJECT WHERE Project = '%1'").arg(project))
            .value(0);
    }

    test::ModalDriver driver;
};

TEST_F(FileDrop, OnTheDesktopTheLastFileBecomesANewProjectConnectedToIt)
{
    const QString first = file(QStringLiteral("first.txt"));
    const QString notes = file(QStringLiteral("garden notes.txt"));
    driver.then([&](QWidget* d) {
        auto* dialog = qobject_cast<TNewProj*>(d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(),
                  QStringLiteral("Add Project with shortcut or file connected"));
        EXPECT_EQ(dialog->nameEdit()->text(), QStringLiteral("GARDEN NOTES"));
        EXPECT_EQ(dialog->urlLabel()->text(), notes);
        dialog->okButton()->click();
    });
    driver.then([&](QWidget* d) {
        auto* dialog = qobject_cast<TUpd_Project*>(d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->urlEdit()->text(), notes);
        dialog->findChild<QPushButton*>(QStringLiteral("ok"))->click();
    });
    dropFiles(desktop->surface(), {300, 300}, {first, notes});
    EXPECT_EQ(driver.handled(), 2);
    EXPECT_TRUE(driver.strays.isEmpty()) << driver.strays.join(',').toStdString();
    EXPECT_EQ(urlOf(QStringLiteral("GARDEN NOTES")), notes);
}

TEST_F(FileDrop, OnTheListOfAFilteredWindowTheNewProjectTakesTheCategory)
{
    exec(QStringLiteral("UPDATE PROJECT SET Tag = 'GARDEN' WHERE Project = 'GAMMA'"));
    TProj* w = openWindow();
    ASSERT_NE(w, nullptr);
    w->setFilter(QStringLiteral("GARDEN"), true);
    w->setDisplayMode(TProj::ListMode);
    const QString plan = file(QStringLiteral("docs/plan.md"));
    driver.then([&](QWidget* d) {
        auto* dialog = qobject_cast<TNewProj*>(d);
        ASSERT_NE(dialog, nullptr);
        dialog->nameEdit()->setText(QStringLiteral("PLAN"));
        dialog->okButton()->click();
    });
    driver.then([&](QWidget* d) {
        auto* dialog = qobject_cast<TUpd_Project*>(d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->categoryBox()->currentText(), QStringLiteral("GARDEN"));
        dialog->findChild<QPushButton*>(QStringLiteral("ok"))->click();
    });
    dropFiles(w->grid()->viewport(), {20, 20}, {plan});
    EXPECT_EQ(driver.handled(), 2);
    EXPECT_EQ(rows(QStringLiteral("SELECT Tag, URL FROM PROJECT WHERE Project = 'PLAN'")),
              QStringList{QStringLiteral("GARDEN|") + plan});
    EXPECT_EQ(w->currentName(), QStringLiteral("PLAN"));
    EXPECT_TRUE(w->TvFind(QStringLiteral("PLAN")));
}

TEST_F(FileDrop, OnAProjectNodeThePathIsRegisteredAfterTheQuestionAndKeepsTheCategory)
{
    exec(QStringLiteral("UPDATE PROJECT SET Tag = 'GARDEN' WHERE Project = 'GAMMA'"));
    TProj* w = openWindow();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->displayMode(), TProj::TreeMode);
    QTreeWidgetItem* node = w->tree()->findItems(QStringLiteral("GAMMA"), Qt::MatchExactly)[0];
    const QPoint at = w->tree()->visualItemRect(node).center();
    const QString notes = file(QStringLiteral("notes.txt"));

    messenger.answer(MessageButton::No);
    dropFiles(w->tree()->viewport(), at, {notes});
    EXPECT_TRUE(messenger.saw(QStringLiteral("GAMMA: Ok to register shortcut: ") + notes));
    EXPECT_EQ(urlOf(QStringLiteral("GAMMA")), QString());

    messenger.answer(MessageButton::Yes);
    EXPECT_TRUE(w->DropFiles({notes}, at));
    EXPECT_EQ(rows(QStringLiteral("SELECT Tag, URL FROM PROJECT WHERE Project = 'GAMMA'")),
              QStringList{QStringLiteral("GARDEN|") + notes});

    const QString other = file(QStringLiteral("other.txt"));
    messenger.answer(MessageButton::Yes);
    EXPECT_TRUE(w->DropFiles({other}, at));
    EXPECT_TRUE(messenger.saw(QStringLiteral("GAMMA: Ok to replace shortcut: ") + notes +
                              QStringLiteral("\n with: ") + other));
    EXPECT_EQ(urlOf(QStringLiteral("GAMMA")), other);
}

TEST_F(FileDrop, ATooLongPathOrAMissingFileChangesNothing)
{
    TProj* w = openWindow();
    ASSERT_NE(w, nullptr);
    QTreeWidgetItem* node = w->tree()->findItems(QStringLiteral("GAMMA"), Qt::MatchExactly)[0];
    const QPoint at = w->tree()->visualItemRect(node).center();
    const QString longPath = file(QString(80, QLatin1Char('n')) + QStringLiteral(".txt"));
    messenger.expect(QStringLiteral("Project name or URL length must not exceed 80 chars"));
    EXPECT_FALSE(w->DropFiles({longPath}, at));
    messenger.expect(QStringLiteral("File size check failed /DropFiles"));
    EXPECT_FALSE(w->DropFiles({path(QStringLiteral("gone.txt"))}, at));
    EXPECT_EQ(urlOf(QStringLiteral("GAMMA")), QString());
    EXPECT_EQ(driver.handled(), 0);
}

}  // namespace
