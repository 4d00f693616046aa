#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QThread>

#include "DictionaryUiFixture.h"
#include "cards/Desktop.h"
#include "platform/IniFile.h"
#include "projects/BrowserSetup.h"
#include "projects/InlineBrowser.h"
#include "projects/ProjectDialogs.h"
#include "projects/ProjectWindow.h"
#include "session/Session.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/MainWindow.h"
#include "support/ModalDriver.h"

using namespace qb;

namespace {

// The web browser as the main window and the project windows use it.
class Browser : public test::DictionaryUi {
protected:
    void SetUp() override
    {
        DictionaryUi::SetUp();
        addProject(QStringLiteral("GAMMA"), -45000.3);
    }
    void TearDown() override
    {
        QGuiApplication::clipboard()->clear();
        DictionaryUi::TearDown();
    }
    // A browser that writes the one argument it got, then "done".
    QString recorder()
    {
        const QString p = path(QStringLiteral("browser/web"));
        QDir().mkpath(QFileInfo(p).absolutePath());
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(
            "#!/bin/sh\nd=$(dirname \"$0\")\nprintf '%s|%s' \"$#\" \"$1\" > \"$d/arg.txt\"\n"
            ": > \"$d/done\"\n");
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeOther);
        return p;
    }
    QString recorded()
    {
        QElapsedTimer waited;
        waited.start();
        while (!QFile::exists(path(QStringLiteral("browser/done"))) && waited.elapsed() < 10000)
            QThread::msleep(20);
        QFile f(path(QStringLiteral("browser/arg.txt")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    TProj* openWindow()
    {
        window->commands().trigger(QString::fromLatin1(cmd::NewProjectWindow));
        return desktop->cardsOf<TProj>().value(0);
    }

    test::ModalDriver driver;
};

TEST_F(Browser, TheCornerSignHandsTheProjectsAddressToTheBrowserAsItIs)
{
    session().settings.webBrowser = recorder();
    const QString address = QStringLiteral("https://example.org/a b?q=\"1\";$(id)");
    exec(QStringLiteral("UPDATE PROJECT SET URL = ?1 WHERE Project = 'GAMMA'"), {address});
    TProj* w = openWindow();
    ASSERT_NE(w, nullptr);
    w->selectName(QStringLiteral("GAMMA"));
    EXPECT_TRUE(w->panelRows().contains(QStringLiteral("URLCall")));
    w->CornerMouseDown(Qt::LeftButton, {500, 500});
    w->CornerMouseUp(Qt::LeftButton, {500, 500});
    EXPECT_EQ(recorded(), QStringLiteral("1|") + address);
}

TEST_F(Browser, TheInlineBrowserStartsOnItsOwnPageAndFollowsLocalLinksInPlace)
{
    TInlineBrowserForm form(nullptr);
    EXPECT_TRUE(form.view()->toPlainText().contains(QStringLiteral("Quillbox project browser")));
    EXPECT_FALSE(TInlineBrowserForm::startPage().contains(QStringLiteral("://")));

    const QString page = path(QStringLiteral("pages/index.html"));
    QDir().mkpath(QFileInfo(page).absolutePath());
    QFile index(page);
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write(
        "<html><body><p>Index</p><a href=\"next.html\">next</a> "
        "<a href=\"https://example.org/\">web</a></body></html>");
    index.close();
    QFile next(path(QStringLiteral("pages/next.html")));
    ASSERT_TRUE(next.open(QIODevice::WriteOnly));
    next.write("<html><body><p>Second page</p></body></html>");
    next.close();
    exec(QStringLiteral("UPDATE PROJECT SET URL = ?1 WHERE Project = 'GAMMA'"), {page});
    TProj* w = openWindow();
    ASSERT_NE(w, nullptr);
    w->selectName(QStringLiteral("GAMMA"));
    w->command(QStringLiteral("URLCall"));
    ASSERT_NE(w->browserForm(), nullptr);
    EXPECT_EQ(w->browserForm()->caption()->text(), QStringLiteral("GAMMA"));
    EXPECT_EQ(w->browserForm()->status()->text(), page);
    EXPECT_TRUE(w->browser()->toPlainText().contains(QStringLiteral("Index")));

    QStringList opened;
    session().shell.openUrl = [&](const QString& url) {
        opened << url;
        return true;
    };
    Q_EMIT w->browser()->anchorClicked(QUrl(QStringLiteral("next.html")));
    EXPECT_TRUE(w->browser()->toPlainText().contains(QStringLiteral("Second page")));
    EXPECT_TRUE(opened.isEmpty());
    Q_EMIT w->browser()->anchorClicked(QUrl(QStringLiteral("https://example.org/")));
    EXPECT_EQ(opened, QStringList{QStringLiteral("https://example.org/")});
    session().shell.openUrl = nullptr;
}

TEST_F(Browser, GrabUrlMakesAProjectOfTheClipboardsLink)
{
    auto* mime = new QMimeData;
    mime->setHtml(QStringLiteral("<a href=\"https://garden.example/plan\">Garden plan</a>"));
    QGuiApplication::clipboard()->setMimeData(mime);
    driver.then([&](QWidget* d) {
        auto* dialog = qobject_cast<TNewProj*>(d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->urlLabel()->text(), QStringLiteral("https://garden.example/plan"));
        EXPECT_EQ(dialog->nameEdit()->text(), QStringLiteral("GARDEN PLAN"));
        dialog->okButton()->click();
    });
    driver.then([&](QWidget* d) {
        ASSERT_NE(qobject_cast<TUpd_Project*>(d), nullptr);
        d->findChild<QPushButton*>(QStringLiteral("ok"))->click();
    });
    window->commands().trigger(QString::fromLatin1(cmd::GetUrl));
    EXPECT_EQ(driver.handled(), 2);
    EXPECT_EQ(rows(QStringLiteral("SELECT URL FROM PROJECT WHERE Project = 'GARDEN PLAN'")),
              QStringList{QStringLiteral("https://garden.example/plan")});

    // Nothing to grab: said so, and the dialog still comes up empty.
    QGuiApplication::clipboard()->setText(QStringLiteral("just words"));
    messenger.expect(QStringLiteral("Check if the customized web browser is open"));
    driver.then([&](QWidget* d) {
        auto* dialog = qobject_cast<TNewProj*>(d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->urlLabel()->text(), QString());
    });
    window->commands().trigger(QString::fromLatin1(cmd::GetUrl));
    EXPECT_EQ(driver.handled(), 3);
}

TEST_F(Browser, SetupTakesOnlyAProgramThatIsThereAndWritesItAtOnce)
{
    const QString before = session().settings.webBrowser;
    driver.then([&](QWidget* d) {
        auto* dialog = qobject_cast<TfrmSetBrowser*>(d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("SELECT WEB BROWSER"));
        dialog->pathEdit()->setText(path(QStringLiteral("no-such-browser")));
        EXPECT_FALSE(dialog->OKBtnClick());
    });
    messenger.expect(QStringLiteral("File or URL does not exist"));
    window->commands().trigger(QString::fromLatin1(cmd::BrowserSetup));
    EXPECT_EQ(session().settings.webBrowser, before);

    const QString web = recorder();
    driver.then([&](QWidget* d) {
        auto* dialog = qobject_cast<TfrmSetBrowser*>(d);
        ASSERT_NE(dialog, nullptr);
        dialog->pathEdit()->setText(web);
        dialog->netscapeButton()->setChecked(true);
        d->findChild<QPushButton*>(QStringLiteral("ok"))->click();
    });
    window->commands().trigger(QString::fromLatin1(cmd::BrowserSetup));
    EXPECT_EQ(driver.handled(), 2);
    EXPECT_EQ(session().settings.webBrowser, web);
    IniFile ini(session().iniPath());
    EXPECT_EQ(ini.readString(QStringLiteral("HELPER APPS"), QStringLiteral("WebBrowser"), {}), web);
    EXPECT_EQ(ini.readInteger(QStringLiteral("HELPER APPS"), QStringLiteral("NetscapeUsed"), 0), 1);
}

}  // namespace
