#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHelpEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>

#include "cards/Desktop.h"
#include "floor/Messages.h"
#include "platform/FileNames.h"
#include "platform/IniFile.h"
#include "search/ItemTextIndex.h"
#include "search/TextSearch.h"
#include "session/Session.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/HelpWindow.h"
#include "shell/InformationWindow.h"
#include "shell/MainWindow.h"
#include "shell/StatusBannerPanel.h"
#include "shell/ToolBarPanel.h"
#include "support/ModalDriver.h"
#include "support/StoreFixture.h"

using namespace qb;

namespace {

QMenu* submenu(const QList<QAction*>& actions, const QString& caption)
{
    for (QAction* a : actions)
        if (a->text() == caption && a->menu()) return a->menu();
    return nullptr;
}

// The entry reached through a path of captions from the menu bar.
QAction* entryAt(QMenuBar* bar, const QStringList& path)
{
    QList<QAction*> level = bar->actions();
    for (int i = 0; i < path.size(); ++i) {
        QAction* found = nullptr;
        for (QAction* a : level)
            if (a->text() == path[i]) found = a;
        if (!found) return nullptr;
        if (i + 1 == path.size()) return found;
        if (!found->menu()) return nullptr;
        level = found->menu()->actions();
    }
    return nullptr;
}

void collect(const QList<QAction*>& actions, QList<QAction*>* out)
{
    for (QAction* a : actions) {
        if (a->menu())
            collect(a->menu()->actions(), out);
        else if (!a->isSeparator())
            out->append(a);
    }
}

QStringList captions(const QList<QAction*>& actions)
{
    QStringList out;
    for (QAction* a : actions) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

class MainWindow : public test::StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        qApp->setQuitOnLastWindowClosed(false);
        cwd = QDir::currentPath();
        window = std::make_unique<TBillBoard>();
    }
    void TearDown() override
    {
        window.reset();
        QDir::setCurrent(cwd);
        StoreFixture::TearDown();
    }

    QString iniText()
    {
        QFile f(path(QStringLiteral("qb.ini")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    QAction* command(const char* name)
    {
        return window->commands().action(QString::fromLatin1(name));
    }

    std::unique_ptr<TBillBoard> window;
    test::ModalDriver driver;
    QString cwd;
};

}  // namespace

TEST_F(MainWindow, MenuBarHoldsEveryMenuInOrderWithExactCaptionsAndShortcuts)
{
    QMenuBar* bar = window->menuBar();
    EXPECT_EQ(captions(bar->actions()),
              (QStringList{"&File", "&Edit", "&Find", "&View", "&Clear", "&Sort", "Cop&y",
                           "&Options", "&Utilities", "&Installation", "&Help"}));

    struct Expected {
        QStringList path;
        QString shortcut;
    };
    const std::vector<Expected> entries = {
        {{"&File", "&New", "&Word           Ins"}, ""},
        {{"&File", "&New", "&Concept"}, "Ctrl+Ins"},
        {{"&File", "&New", "&Item", "&Blank New Item"}, "Shift+Ins"},
        {{"&File", "&New", "&Item", "&Clipboard To New Item"}, "Ctrl+I"},
        {{"&File", "&Update Changes && Refresh Desktop"}, "Ctrl+S"},
        {{"&File", "E&xit"}, "Ctrl+Q"},
        {{"&Edit", "Cu&t          Ctrl+X"}, ""},
        {{"&Edit", "&Copy          Ctrl+C"}, "F9"},
        {{"&Edit", "&Remove CR:s From Clipboard"}, "Ctrl+F6"},
        {{"&Find", "&Items && Concepts   "}, "Ctrl+F"},
        {{"&Find", "&Next Dictionary Word Match"}, "F3"},
        {{"&View", "&Reset Screen"}, "F8"},
        {{"&View", "&Dictionary Window   "}, "Ctrl+T"},
        {{"&View", "Send Clipboard To Text &Editor"}, "F6"},
        {{"&Clear", "All &Unmarked Cards   "}, "Ctrl+F3"},
        {{"&Clear", "Clear Book Te&xt"}, ""},
        {{"&Sort", "Tile Items &Extended"}, "Ctrl+Shift+F7"},
        {{"&Sort", "&Book Mode"}, "F12"},
        {{"&Options", "Card Side &Up Mode", "&Projects/Topics   "}, "Shift+F4"},
        {{"&Options", "&Concept Explode Mode", "O&ff"}, ""},
        {{"&Options", "&Hot Spots", "Send To &Back (Lower Left Corner)"}, ""},
        {{"&Utilities", "&Wallpaper", "Set From Clipboard"}, ""},
        {{"&Utilities", "Send All Words To &Clipboard", "All &Inflections"}, ""},
        {{"&Utilities", "&Analyze Item Text"}, "F7"},
        {{"&Installation", "&Edit INI-file"}, ""},
        {{"&Help", "&Help Contents && Index"}, ""},
        {{"&Help", "Context-&Sensitive Help"}, "F1"},
        {{"&Help", "&About QB"}, ""},
    };
    for (const Expected& e : entries) {
        SCOPED_TRACE(e.path.join(QStringLiteral(" > ")).toStdString());
        QAction* a = entryAt(bar, e.path);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->shortcut(), QKeySequence(e.shortcut));
        EXPECT_TRUE(a->isVisible());
    }
    EXPECT_EQ(entryAt(bar, {"Cop&y"})->toolTip(), QStringLiteral("Use when copying from tables"));
    EXPECT_EQ(
        entryAt(bar, {"&Installation", "Windows 95 Extended Desktop"})->toolTip(),
        QStringLiteral("(This may have to be checked also for non- Windows 95 installations)"));

    // The View menu in its order, hidden entries included.
    EXPECT_EQ(captions(submenu(bar->actions(), "&View")->actions()),
              (QStringList{"&Reset Screen", "New &Item", "New Item &From Clipboard", "New &Concept",
                           "-", "&Dictionary Window   ", "&Project Window", "-", "Pop Concepts",
                           "Pop Items", "-", "&View ", "Display &Word Mill", "&Book Mode", "-",
                           "Send Clipboard To Text &Editor"}));
}

TEST_F(MainWindow, HiddenEntriesAreHiddenAndUnboundOnesDisabled)
{
    QMenuBar* bar = window->menuBar();
    for (const QStringList& path :
         {QStringList{"&File", "&Add Another Database to this one"},
          QStringList{"&View", "New &Item"}, QStringList{"&View", "New Item &From Clipboard"},
          QStringList{"&View", "New &Concept"},
          QStringList{"&Options", "&Incremental Dictionary Search"},
          QStringList{"&Options", "Save Settings on E&xit"},
          QStringList{"&Installation", "&Download Latest Version"},
          QStringList{"&Help", "&Download Program Files"}, QStringList{"&Help", "&Online Help"}}) {
        QAction* a = entryAt(bar, path);
        ASSERT_NE(a, nullptr) << path.join(" > ").toStdString();
        EXPECT_FALSE(a->isVisible()) << path.join(" > ").toStdString();
    }
    // The shell's own commands work.
    for (const QStringList& path :
         {QStringList{"&View", "&Reset Screen"}, QStringList{"&File", "E&xit"},
          QStringList{"&Options", "&Show Hints"}, QStringList{"&Installation", "&Edit INI-file"},
          QStringList{"&Utilities", "Set Small Application Win&dow"},
          QStringList{"&Help", "Hot &Keys (Shortcuts)"}, QStringList{"&Sort", "Tile &Concepts"},
          QStringList{"&Help", "&QB Web Site"}, QStringList{"&File", "&Restore From File"},
          QStringList{"&Utilities", "Export Desktop Items As &XML File"}})
        EXPECT_TRUE(entryAt(bar, path)->isEnabled()) << path.join(" > ").toStdString();
    // A tool button follows its command.
    QToolButton* book = window->toolBar()->button(QString::fromLatin1(cmd::BookMode));
    ASSERT_NE(book, nullptr);
    EXPECT_TRUE(book->isEnabled());
    int books = 0;
    window->commands().bind(QString::fromLatin1(cmd::BookMode), [&] { ++books; });
    EXPECT_TRUE(book->isEnabled());
    book->click();
    EXPECT_EQ(books, 1);
    EXPECT_EQ(book->toolTip(), QStringLiteral("Bookmode - display items as continous text [F12]"));
    QToolButton* find = window->toolBar()->button(QString::fromLatin1(cmd::FindText));
    ASSERT_NE(find, nullptr);
    EXPECT_TRUE(find->isEnabled());
    EXPECT_EQ(find->toolTip(), QStringLiteral("Find text"));
    EXPECT_EQ(window->toolBar()->button(QString::fromLatin1(cmd::UpdateChanges))->toolTip(),
              QStringLiteral("Update changes to data base and refresh the desktop [Ctrl+S]"));
}

TEST_F(MainWindow, EveryEntryRunsANamedCommandAndNoKeyIsClaimedTwice)
{
    QList<QAction*> all;
    collect(window->menuBar()->actions(), &all);
    QHash<QString, QString> keyOwner;
    for (QAction* a : all) {
        EXPECT_TRUE(window->commands().contains(a->objectName())) << a->text().toStdString();
        if (a->shortcut().isEmpty() || a->shortcutContext() == Qt::WidgetShortcut) continue;
        const QString key = a->shortcut().toString();
        EXPECT_FALSE(keyOwner.contains(key))
            << key.toStdString() << " for " << a->text().toStdString() << " and "
            << keyOwner.value(key).toStdString();
        keyOwner.insert(key, a->text());
    }
    EXPECT_GE(keyOwner.size(), 30);
    // A second place of a command (the Sort menu's Book Mode) follows the first one.
    QAction* sortBook = entryAt(window->menuBar(), {"&Sort", "&Book Mode"});
    int books = 0;
    window->commands().bind(QString::fromLatin1(cmd::BookMode), [&] { ++books; });
    sortBook->trigger();
    EXPECT_EQ(books, 1);
}

TEST_F(MainWindow, DesktopMenuFollowsTheImageAndTheSuppressionFlag)
{
    QMenu* menu = window->desktopMenu();
    bool imageShown = false;
    session().shell.desktopImageVisible = [&] { return imageShown; };
    auto visibleCaptions = [&] {
        QStringList out;
        for (QAction* a : menu->actions())
            if (a->isVisible()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return out;
    };
    Q_EMIT menu->aboutToShow();
    EXPECT_EQ(visibleCaptions(),
              (QStringList{"Reset Screen", "-", "New Concept", "New Item",
                           "New Item from Clipboard", "New Dictionary Window", "New Project Wndow",
                           "-", "Pop Concepts", "Pop Items", "Clipboard to Editor", "Bookmode"}));
    imageShown = true;
    Q_EMIT menu->aboutToShow();
    QStringList withImage = visibleCaptions();
    ASSERT_GE(withImage.size(), 3);
    EXPECT_EQ(withImage.mid(withImage.size() - 3),
              (QStringList{"-", "Copy Image", "Remove Image"}));

    // A right press on the empty desktop opens it, unless a card asked to suppress it once.
    window->show();
    QWidget* surface = window->desktop()->surface();
    auto rightPress = [&] {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(300, 300),
                          surface->mapToGlobal(QPointF(300, 300)), Qt::RightButton, Qt::RightButton,
                          Qt::NoModifier);
        QApplication::sendEvent(surface, &press);
    };
    window->suppressDesktopMenuOnce();
    rightPress();
    EXPECT_FALSE(menu->isVisible());
    EXPECT_FALSE(window->desktopMenuSuppressed()) << "the flag is used up";
    // Nor while a run holds the desktop's input.
    window->desktop()->setTakesInput(false);
    rightPress();
    EXPECT_FALSE(menu->isVisible());
    window->desktop()->setTakesInput(true);
    rightPress();
    EXPECT_TRUE(menu->isVisible());
    menu->close();
    // Not on a card.
    auto* card = new QLabel(QStringLiteral("card"), surface);
    card->setGeometry(280, 280, 50, 50);
    card->show();
    rightPress();
    EXPECT_FALSE(menu->isVisible());
}

TEST_F(MainWindow, ShowHintsTwiceLeavesEveryHintAsItWasAndTheEntryChecked)
{
    QAction* hints = entryAt(window->menuBar(), {"&Options", "&Show Hints"});
    ASSERT_TRUE(hints->isCheckable());
    EXPECT_TRUE(hints->isChecked());
    window->show();
    QToolButton* button = window->toolBar()->button(QString::fromLatin1(cmd::FindText));
    ASSERT_NE(button, nullptr);
    QHash<QWidget*, QString> before;
    for (QWidget* w : window->findChildren<QWidget*>()) before.insert(w, w->toolTip());

    auto askHint = [&] {
        QToolTip::hideText();
        QHelpEvent e(QEvent::ToolTip, QPoint(5, 5), button->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(button, &e);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    hints->trigger();
    EXPECT_FALSE(window->hintsShown());
    EXPECT_FALSE(hints->isChecked());
    EXPECT_EQ(askHint(), QString()) << "no hint while hints are off";

    hints->trigger();
    EXPECT_TRUE(window->hintsShown());
    EXPECT_TRUE(hints->isChecked());
    EXPECT_EQ(askHint(), QStringLiteral("Find text"));
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (before.contains(w)) {
            EXPECT_EQ(w->toolTip(), before.value(w)) << w->objectName().toStdString();
        }
    }
    QToolTip::hideText();
}

TEST_F(MainWindow, OptionTogglesStoreAtOnceAndKeepTheirMarksInStep)
{
    window->FormCreate();
    QMenuBar* bar = window->menuBar();
    QAction* verbose = entryAt(bar, {"&Options", "&Verbose Mode"});
    EXPECT_TRUE(verbose->isChecked());
    verbose->trigger();
    EXPECT_FALSE(verbose->isChecked());
    EXPECT_TRUE(session().settings.quiet);
    EXPECT_TRUE(IniFile(path("qb.ini")).readBool("SYSTEM", "Quiet", false)) << "stored at once";

    QAction* html = entryAt(bar, {"&Options", "Outline As HTML"});
    QAction* washed = entryAt(bar, {"&Options", "Remove Comment Line In Outlines"});
    EXPECT_FALSE(html->isChecked());
    EXPECT_FALSE(washed->isChecked());
    html->trigger();
    EXPECT_TRUE(html->isChecked());
    EXPECT_TRUE(washed->isChecked()) << "HTML output needs the comment lines removed";
    washed->trigger();
    EXPECT_FALSE(washed->isChecked());
    EXPECT_FALSE(html->isChecked());

    QAction* flip = entryAt(bar, {"&Options", "&Quick Card Flip"});
    flip->trigger();
    EXPECT_TRUE(flip->isChecked());
    EXPECT_TRUE(IniFile(path("qb.ini")).readBool("APPEARANCE", "QuickFlip", false));
}

TEST_F(MainWindow, FormCreateLaysDownTheStoreFilesAndShowsTheSettings)
{
    writeIni(
        QStringLiteral("[FUNCTIONS]\r\nItemExpansionOnDrop=-1\r\n[WINDOW "
                       "SIZES]\r\nClientWidth=700\r\nClientHeight=500\r\nClientMaximized=1\r\n"));
    window->FormCreate();
    EXPECT_FALSE(session().flags.stopped());
    EXPECT_TRUE(session().store.isOpen());
    for (const char* folder : {"outl", "outltxt", "projects"})
        EXPECT_TRUE(QFileInfo(path(QString::fromLatin1(folder))).isDir()) << folder;
    EXPECT_EQ(window->dateStampText(), QStringLiteral("*Date*"));
    EXPECT_EQ(window->toolBar()->explodeText(), QStringLiteral("OFF"));
    EXPECT_EQ(window->size(), QSize(700, 500));
    EXPECT_TRUE(window->windowState() & Qt::WindowMaximized) << "the maximised window stays so";
    EXPECT_TRUE(window->delayedEventsTimer()->isActive());
    EXPECT_EQ(window->delayedEventsTimer()->interval(), 3000);
    EXPECT_TRUE(IniFile(path("qb.ini")).hasKey("LIMITS", "FindBatchSize"))
        << "the keys kept while loading";
    EXPECT_EQ(window->toolBar()->directoryPicture()->toolTip(),
              QStringLiteral("Database Location: ") + dir());

    QString pack0;
    ASSERT_TRUE(files::readTextFile(path("pack0.lst"), &pack0));
    EXPECT_TRUE(pack0.startsWith(QStringLiteral("WORD.DB\nDICT.DB\n")));
    EXPECT_EQ(messenger.count(), 0) << messenger.texts().join("|").toStdString();
}

TEST_F(MainWindow, WithoutTheDictionaryTheStartReportsASystemErrorAndGoesOn)
{
    messenger.expect(QStringLiteral("Database not found"));
    session().store.close();
    ASSERT_TRUE(QFile::remove(path("DICT.DB")));
    window->FormCreate();
    ASSERT_EQ(messenger.count(), 1);
    const MessageRequest& r = messenger.shown[0].request;
    EXPECT_EQ(r.kind, kSystemError);
    EXPECT_EQ(r.message, QStringLiteral("Database not found"));
    EXPECT_EQ(r.helpTopic, 30160);
    EXPECT_TRUE(r.showCode);
    EXPECT_EQ(r.code, QStringLiteral("Error in database operations.  The QB Program was "
                                     "deactivated. Please close windows and exit"));
    EXPECT_FALSE(session().flags.stopped());
    EXPECT_FALSE(session().store.isOpen());
}

TEST_F(MainWindow, ADamagedTableEndsTheStartWithoutTouchingTheStore)
{
    messenger.expect(QStringLiteral("DICT.DB: file is not a database"));
    session().store.close();
    QFile dict(path("DICT.DB"));
    ASSERT_TRUE(dict.open(QIODevice::WriteOnly | QIODevice::Truncate));
    dict.write(QByteArray("this is no table file at all, just text that got here").repeated(100));
    dict.close();
    const QByteArray damaged = [&] {
        QFile f(path("DICT.DB"));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    const QStringList before = QDir(dir()).entryList(QDir::Files | QDir::Hidden);

    window->FormCreate();
    EXPECT_TRUE(session().flags.stopped());
    ASSERT_EQ(messenger.plain.size(), 1u);
    EXPECT_TRUE(messenger.plain[0].contains(QStringLiteral("DICT.DB")))
        << messenger.plain[0].toStdString();
    EXPECT_TRUE(messenger.plain[0].contains(QStringLiteral("without changing it")));
    EXPECT_EQ(QDir(dir()).entryList(QDir::Files | QDir::Hidden), before)
        << "nothing written into the store";
    QFile f(path("DICT.DB"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), damaged);
}

TEST_F(MainWindow, SetDownWinWithSavingOffWritesNothing)
{
    writeIni(
        QStringLiteral("[SYSTEM]\r\nSaveToIniFileOnExit=0\r\n[WINDOWS "
                       "UP]\r\nProj_1_exists=1\r\n[WINDOW SIZES]\r\nProj_1_Left=40\r\n"));
    ASSERT_TRUE(ReadIniFile());
    const QString before = iniText();
    int asked = 0;
    session().shell.windows.projectWindows = [&] {
        ++asked;
        ProjectWindowRecord r;
        r.geometry = QRect(300, 200, 250, 400);
        return std::vector<ProjectWindowRecord>{r};
    };
    window->BaseOpening();
    ASSERT_TRUE(window->windowsRestored());
    window->SetDownWin();
    EXPECT_EQ(iniText(), before);
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(window->windowsRestored()) << "the restore runs again at the next activation";

    // With saving on, the same call records the window.
    session().settings.saveToIniFileOnExit = true;
    window->SetDownWin();
    IniFile ini(path("qb.ini"));
    EXPECT_EQ(ini.readInteger("WINDOW SIZES", "Proj_1_Left", 0), 300);
    EXPECT_EQ(asked, 1);
}

TEST_F(MainWindow, ClosingWithAnInconsistencyAsksEveryTimeAndNoKeepsTheProgramOpen)
{
    window->FormCreate();
    window->show();
    int commits = 0;
    session().hooks.updateItems = [&] { ++commits; };
    session().hooks.checkEmptyItems = [] {
        session().inconsistency = true;  // a card without keyword was found and reported
        return false;
    };
    auto questions = [&] {
        int n = 0;
        for (const auto& s : messenger.shown)
            if (s.request.message ==
                QStringLiteral("Inconsistency check; Do you still want to quit?"))
                ++n;
        return n;
    };
    messenger.answer(MessageButton::No);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->banner()->isVisible());
    EXPECT_EQ(questions(), 1);
    EXPECT_EQ(messenger.shown.back().request.kind, kQuestionNo);
    EXPECT_EQ(messenger.shown.back().request.helpTopic, 40020);
    EXPECT_TRUE(window->delayedEventsTimer()->isActive()) << "still running";

    messenger.answer(MessageButton::No);
    EXPECT_FALSE(window->close());
    EXPECT_EQ(questions(), 2) << "a second attempt asks again";

    // A maximised window is remembered as such, with the size it had before.
    window->resize(640, 480);
    window->showMaximized();
    QApplication::processEvents();
    ASSERT_TRUE(window->isMaximized());
    const QString before = iniText();
    messenger.answer(MessageButton::Yes);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(questions(), 3);
    EXPECT_FALSE(window->delayedEventsTimer()->isActive());
    EXPECT_TRUE(session().flags.closing());
    EXPECT_EQ(commits, 4) << "one commit per attempt, and the last one again before closing";
    EXPECT_NE(iniText(), before) << "the settings were written back";
    EXPECT_TRUE(IniFile(path("qb.ini")).readBool("WINDOW SIZES", "ClientMaximized", false));
    EXPECT_EQ(IniFile(path("qb.ini")).readInteger("WINDOW SIZES", "ClientWidth", 0), 640);
}

TEST_F(MainWindow, StopFlagClosesWithoutQuestionsAndWithoutWritingTheSettings)
{
    window->FormCreate();
    session().hooks.checkEmptyItems = [] { return false; };
    const QString before = iniText();
    session().flags.requestStop();
    EXPECT_TRUE(window->close());
    EXPECT_EQ(messenger.count(), 0);
    EXPECT_EQ(iniText(), before);
}

TEST_F(MainWindow, SafetyStopShowsItsMessageOnceAndTheStopPicture)
{
    messenger.expect(QStringLiteral("An unusual error was detected"));
    window->FormCreate();
    window->show();
    session().flags.requestStop();
    window->TimerDelayedEventsTimer();
    window->TimerDelayedEventsTimer();
    ASSERT_EQ(messenger.count(), 1);
    const MessageRequest& r = messenger.shown[0].request;
    EXPECT_EQ(r.code, QStringLiteral("qb6109"));
    EXPECT_EQ(r.kind, kInformation);
    EXPECT_EQ(r.helpTopic, 40060);
    EXPECT_TRUE(r.message.startsWith(
        QStringLiteral("An unusual error was detected and as a safety  \r\nprecaution")));
    EXPECT_TRUE(r.message.endsWith(QStringLiteral("Set MachineIndex low in QB.ini file\r\n")));
    EXPECT_TRUE(session().flags.stopped()) << "the stop stays in force";
    EXPECT_TRUE(window->toolBar()->stopPicture()->isVisible());
    EXPECT_FALSE(window->toolBar()->directoryPicture()->isVisible());
}

TEST_F(MainWindow, InformationFilesAreShownOnceAndAgainWhenTheyChange)
{
    window->FormCreate();
    const QString info = QDir(dir()).filePath(QStringLiteral("QB_info_1.txt"));
    ASSERT_TRUE(files::writeTextFile(info, QStringLiteral("The garden opens on Monday.")));
    QStringList seen;
    auto record = [&](QWidget* w) {
        auto* iw = qobject_cast<InformationWindow*>(w);
        ASSERT_TRUE(iw);
        EXPECT_EQ(iw->windowTitle(), QStringLiteral("INFORMATION"));
        EXPECT_TRUE(iw->onceLine()->isVisible());
        EXPECT_EQ(iw->onceLine()->text(),
                  QStringLiteral("This information is displayed once only"));
        seen << iw->textArea()->toPlainText();
        iw->okButton()->click();
    };
    driver.then(record);
    window->showInformationFiles();
    EXPECT_EQ(seen, QStringList{"The garden opens on Monday."});

    window->showInformationFiles();
    EXPECT_EQ(seen.size(), 1) << "not again while unchanged";
    EXPECT_TRUE(driver.strays.isEmpty());

    QFile f(info);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QFileInfo(info).lastModified().addSecs(90),
                              QFileDevice::FileModificationTime));
    f.close();
    driver.then(record);
    window->showInformationFiles();
    EXPECT_EQ(seen.size(), 2) << "a changed file is shown once more";
    EXPECT_FALSE(IniFile(path("qb.ini")).readString("INFORMATION", "QB_info_1", "").isEmpty());

    // The release notes show every time, without the once-only line.
    int notes = 0;
    auto releaseNotes = [&](QWidget* w) {
        auto* iw = qobject_cast<InformationWindow*>(w);
        ASSERT_TRUE(iw);
        EXPECT_FALSE(iw->onceLine()->isVisible());
        EXPECT_TRUE(iw->textArea()->toPlainText().contains(QStringLiteral("release notes")));
        ++notes;
    };
    driver.then(releaseNotes);
    driver.then(releaseNotes);
    command(cmd::ReleaseNotes)->trigger();
    command(cmd::ReleaseNotes)->trigger();
    EXPECT_EQ(notes, 2);
    EXPECT_TRUE(driver.strays.isEmpty());
}

TEST_F(MainWindow, WallpaperComesFromTheClipboardAndIsCleared)
{
    messenger.expect(QStringLiteral("qb6828"));
    window->FormCreate();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("only text"));
    command(cmd::WallpaperFromClipboard)->trigger();
    ASSERT_EQ(messenger.count(), 1);
    EXPECT_EQ(messenger.shown[0].request.message, QStringLiteral("No image (bitmap) on clipboard"));
    EXPECT_EQ(messenger.shown[0].request.code, QStringLiteral("qb6828"));
    EXPECT_FALSE(window->wallpaperShown());

    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(QColor(10, 120, 30));
    clipboard->setImage(picture);
    command(cmd::WallpaperFromClipboard)->trigger();
    EXPECT_TRUE(window->wallpaperShown());
    QImage stored(path("wallpaper.bmp"));
    ASSERT_FALSE(stored.isNull());
    EXPECT_EQ(stored.size(), QSize(64, 48));
    EXPECT_EQ(IniFile(path("qb.ini")).readString("APPEARANCE", "WallPaper_BMP_FileName", ""),
              QStringLiteral("wallpaper.bmp"));

    // The next start shows it again.
    TBillBoard second;
    second.FormCreate();
    EXPECT_TRUE(second.wallpaperShown());

    command(cmd::WallpaperClear)->trigger();
    EXPECT_FALSE(window->wallpaperShown());
    EXPECT_EQ(IniFile(path("qb.ini")).readString("APPEARANCE", "WallPaper_BMP_FileName", ""),
              QStringLiteral("NOIMAGE"));
    clipboard->clear();
}

TEST_F(MainWindow, EditIniFileRereadsTheSettingsAfterTheEditor)
{
    messenger.expect(QStringLiteral("qb8908"));
    window->FormCreate();
    EXPECT_FALSE(session().settings.quiet);
    // Without an editor hook the command only re-reads the file.
    session().shell.editFile = nullptr;
    IniFile::writeBoolOnce(path("qb.ini"), "SYSTEM", "Quiet", true);
    command(cmd::EditIniFile)->trigger();
    EXPECT_TRUE(session().settings.quiet);
    EXPECT_FALSE(entryAt(window->menuBar(), {"&Options", "&Verbose Mode"})->isChecked());
    EXPECT_EQ(messenger.count(), 0);

    QString edited;
    session().shell.editFile = [&](const QString& file) {
        edited = file;
        IniFile::writeBoolOnce(file, "SYSTEM", "Quiet", false);
        return true;
    };
    command(cmd::EditIniFile)->trigger();
    EXPECT_EQ(QFileInfo(edited).fileName().toLower(), QStringLiteral("qb.ini"));
    EXPECT_FALSE(session().settings.quiet);
    EXPECT_TRUE(entryAt(window->menuBar(), {"&Options", "&Verbose Mode"})->isChecked());
    ASSERT_EQ(messenger.count(), 1);
    EXPECT_EQ(messenger.shown[0].request.code, QStringLiteral("qb8908"));
    EXPECT_EQ(QDir::currentPath(), QDir(dir()).absolutePath());
}

TEST_F(MainWindow, ExplodeIndicatorShowsTheModeAndAPressTogglesIt)
{
    int toggles = 0;
    window->commands().bind(QString::fromLatin1(cmd::ToggleExplodeMode), [&] { ++toggles; });
    ToolBarPanel* bar = window->toolBar();
    window->setExplodeIndicator(1);
    EXPECT_EQ(bar->explodeText(), QStringLiteral("MAX"));
    window->setExplodeIndicator(0);
    EXPECT_EQ(bar->explodeText(), QStringLiteral("ON"));
    session().settings.plusMinusExplodeSign = true;
    window->setExplodeIndicator(1);
    EXPECT_TRUE(bar->plusShown());
    EXPECT_FALSE(bar->minusShown());
    EXPECT_EQ(bar->explodeText(), QString());
    window->setExplodeIndicator(-1);
    EXPECT_TRUE(bar->minusShown());
    window->setExplodeIndicator(0);
    EXPECT_FALSE(bar->plusShown());
    EXPECT_FALSE(bar->minusShown());

    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar->explodeIndicator(), &press);
    EXPECT_EQ(toggles, 1);
    EXPECT_EQ(bar->explodeIndicator()->toolTip(),
              QStringLiteral("Click here to change Explode Mode"));
}

TEST_F(MainWindow, ResetScreenAndTheBannerAndTheSmallWindow)
{
    window->show();
    window->desktop()->scrollTo(900, 700);
    int tops = 0;
    session().shell.listCardsGoTop = [&] { ++tops; };
    command(cmd::ResetScreen)->trigger();
    EXPECT_EQ(window->desktop()->scrollX(), 0);
    EXPECT_EQ(window->desktop()->scrollY(), 0);
    EXPECT_EQ(tops, 1);

    session().hooks.banner(QStringLiteral("Wait for Database Checks"));
    EXPECT_TRUE(window->banner()->isVisible());
    EXPECT_EQ(window->banner()->text(), QStringLiteral("Wait for Database Checks"));
    EXPECT_EQ(window->banner()->geometry(), window->desktop()->rect());
    session().hooks.noBanner();
    EXPECT_FALSE(window->banner()->isVisible());

    command(cmd::SmallApplicationWindow)->trigger();
    EXPECT_EQ(window->size(), QSize(640, 480));
}

// The window's icon is the installed theme icon at each of its sizes, not a small stand-in.
TEST_F(MainWindow, TheWindowCarriesTheThemeIconAtEachInstalledSize)
{
    const QList<QSize> sizes = window->windowIcon().availableSizes();
    for (int size : {48, 128, 256}) EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
}

TEST_F(MainWindow, FirstActivationRunsTheChecksOnceAndRestoresWindowsAfterEachSave)
{
    ASSERT_TRUE(
        files::writeBytesFile(QDir(dir()).filePath("empty.wav"), QByteArray("RIFF....WAVE")));
    window->FormCreate();
    int checks = 0, searches = 0, restores = 0, refreshes = 0;
    session().shell.dataChecks = [&] { ++checks; };
    session().shell.loadSearchEntries = [&] { ++searches; };
    IniFile::writeBoolOnce(path("qb.ini"), "WINDOWS UP", "Dict_1_exists", true);
    session().shell.windows.openDictionaryWindow = [&](const DictionaryWindowRestore&) {
        ++restores;
        return true;
    };
    window->commands().bind(QString::fromLatin1(cmd::RefreshClipboardSize), [&] { ++refreshes; });

    window->FormActivate();
    EXPECT_TRUE(window->firstActivationDone());
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(searches, 1);
    EXPECT_EQ(restores, 1);
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(command(cmd::ViewImportFile)->text(), QStringLiteral("&View qbimport.txt"));
    EXPECT_EQ(window->mapHost()->toolTip(),
              QStringLiteral("Desktop 2000x2000 - click to reposition"));
    EXPECT_FALSE(command(cmd::CompactPacks)->isVisible()) << "extra features are off";
    EXPECT_TRUE(QFileInfo::exists(path("new.wav"))) << "the recording starts from the empty sound";
    EXPECT_TRUE(session().settings.audioEnabled);

    window->FormActivate();
    EXPECT_EQ(checks, 1) << "the checks run at the first activation only";
    EXPECT_EQ(restores, 1);
    window->SetDownWin();
    IniFile::writeBoolOnce(path("qb.ini"), "WINDOWS UP", "Dict_1_exists", true);
    window->FormActivate();
    EXPECT_EQ(restores, 2) << "after a layout save the windows come back at the next activation";

    // A repaint is noticed by the delayed-events timer, which refreshes the clipboard size.
    window->show();
    QApplication::processEvents();
    window->repaint();
    QApplication::processEvents();
    window->TimerDelayedEventsTimer();
    EXPECT_GE(refreshes, 2);
}

TEST_F(MainWindow, FindHistoryComesAtTheFirstActivationAndGoesBackAtExitWithTheIndexBuiltBetween)
{
    writeIni(QStringLiteral("[SAVEDFIND]\r\nCount=2\r\nFindEntry_0=pear\r\nFindEntry_1=plum\r\n"));
    window->FormCreate();
    EXPECT_TRUE(search::searchState().history.isEmpty());
    QFile::remove(path("itemtext.idx"));
    window->FormActivate();
    EXPECT_EQ(search::searchState().history, (QStringList{"pear", "plum"}));
    // Built beside the window once it is up; searches walk meanwhile.
    QApplication::processEvents();
    QElapsedTimer waited;
    waited.start();
    while (search::searchState().indexBuilding && waited.elapsed() < 20000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(search::searchState().indexBuilding);
    EXPECT_FALSE(search::itemTextIndex().needsBuild());

    search::searchState().history = {QStringLiteral("fig"), QStringLiteral("pear")};
    EXPECT_TRUE(window->close());
    IniFile ini(path("qb.ini"));
    EXPECT_EQ(ini.readInteger("SAVEDFIND", "Count", 0), 2);
    EXPECT_EQ(ini.readString("SAVEDFIND", "FindEntry_0", ""), QStringLiteral("fig"));
    EXPECT_EQ(ini.readString("SAVEDFIND", "FindEntry_1", ""), QStringLiteral("pear"));
}

TEST_F(MainWindow, AStoppedSessionStillWritesTheFindHistoryBack)
{
    writeIni(QStringLiteral("[SAVEDFIND]\r\nCount=1\r\nFindEntry_0=pear\r\n"));
    window->FormCreate();
    window->FormActivate();
    ASSERT_EQ(search::searchState().history, QStringList{QStringLiteral("pear")});
    session().settings.saveToIniFileOnExit = true;
    session().hooks.checkEmptyItems = [] { return false; };

    search::searchState().history = {QStringLiteral("fig"), QStringLiteral("pear")};
    session().flags.requestStop();
    EXPECT_TRUE(window->close());
    IniFile ini(path(QStringLiteral("qb.ini")));
    EXPECT_EQ(ini.readInteger("SAVEDFIND", "Count", 0), 2);
    EXPECT_EQ(ini.readString("SAVEDFIND", "FindEntry_0", ""), QStringLiteral("fig"));
    EXPECT_EQ(ini.readString("SAVEDFIND", "FindEntry_1", ""), QStringLiteral("pear"));
}

TEST_F(MainWindow, TheClipboardIndicatorShowsTheClipboardAndTheLogoReturnsHome)
{
    window->show();
    ToolBarPanel* bar = window->toolBar();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("hello"));
    command(cmd::RefreshClipboardSize)->trigger();
    EXPECT_EQ(bar->clipboardSizeText(), QStringLiteral("       5"));
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    clipboard->setImage(picture);
    command(cmd::RefreshClipboardSize)->trigger();
    EXPECT_EQ(bar->clipboardSizeText(), QStringLiteral("         IMAGE"));
    clipboard->setText(QString());
    command(cmd::RefreshClipboardSize)->trigger();
    EXPECT_EQ(bar->clipboardSizeText(), QString());

    window->desktop()->scrollTo(600, 700);
    ASSERT_NE(window->desktop()->scrollX(), 0);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar->logoPanel(), &press);
    EXPECT_EQ(window->desktop()->scrollX(), 0);
    EXPECT_EQ(window->desktop()->scrollY(), 0);
}

TEST_F(MainWindow, ACtrlKeyReleaseRefreshesTheClipboardSizeAndOneOutsideAWidgetIsIgnored)
{
    int refreshes = 0;
    window->commands().bind(QString::fromLatin1(cmd::RefreshClipboardSize), [&] { ++refreshes; });
    window->show();
    QApplication::processEvents();
    if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();

    QKeyEvent release(QEvent::KeyRelease, Qt::Key_C, Qt::ControlModifier);
    QApplication::sendEvent(window.get(), &release);
    EXPECT_EQ(refreshes, 1);

    // The window system's window gets the key when no widget has the focus; it is no widget.
    QObject notAWidget;
    QKeyEvent again(QEvent::KeyRelease, Qt::Key_C, Qt::ControlModifier);
    QApplication::sendEvent(&notAWidget, &again);
    EXPECT_EQ(refreshes, 1);
}

TEST_F(MainWindow, WithoutTheEmptySoundRecordingIsOff)
{
    window->FormCreate();
    ASSERT_TRUE(session().settings.audioEnabled);
    window->FormActivate();
    EXPECT_FALSE(session().settings.audioEnabled);
    EXPECT_FALSE(QFileInfo::exists(path("new.wav")));
}

TEST_F(MainWindow, ChecksThatStopTheSessionCloseTheWindowAtTheFirstActivation)
{
    window->FormCreate();
    window->show();
    session().shell.dataChecks = [] { session().flags.requestStop(); };
    const QString before = iniText();
    window->FormActivate();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(session().flags.closing());
    EXPECT_EQ(iniText(), before) << "nothing written back from a stopped session";
}

TEST_F(MainWindow, ClosingPutsTheImportedTextBackIntoItsFile)
{
    window->FormCreate();
    ASSERT_TRUE(
        files::writeTextFile(QDir(dir()).filePath("qbimport.txt"), QStringLiteral("old line\r\n")));
    session().shell.importedText = [] { return QStringLiteral("note one\nnote two"); };
    EXPECT_TRUE(window->close());
    QFile f(path("qbimport.txt"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("old line\r\n\r\nnote one\r\nnote two\r\n"));
}

TEST_F(MainWindow, HelpEntriesOpenTheirTopics)
{
    window->show();
    command(cmd::HotKeys)->trigger();
    auto helps = QApplication::topLevelWidgets();
    HelpWindow* help = nullptr;
    for (QWidget* w : helps)
        if (auto* h = qobject_cast<HelpWindow*>(w); h && h->isVisible()) help = h;
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->browser()->source().fragment(), QStringLiteral("fkeys"));
    EXPECT_TRUE(help->browser()->toPlainText().contains(QStringLiteral("Ctrl+S")));

    // F1 finds the topic of the window that has the focus.
    window->logoPanel()->setProperty("qbHelpTopic", 50110);
    window->logoPanel()->setFocus();
    if (QApplication::focusWidget() == window->logoPanel()) {
        command(cmd::ContextHelp)->trigger();
        EXPECT_EQ(help->browser()->source().fragment(), QStringLiteral("50110"));
    }
    HelpWindow::closeAll();

    QString aboutText;
    driver.then([&](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), QStringLiteral("About QB"));
        if (auto* label = w->findChild<QLabel*>(QStringLiteral("aboutText")))
            aboutText = label->text();
    });
    command(cmd::About)->trigger();
    EXPECT_TRUE(aboutText.contains(session().version()));
    EXPECT_TRUE(aboutText.contains(QStringLiteral("Quillbox 2000")));
}

TEST_F(MainWindow, WebEntriesWorkOnceTheBrowserCanBeStarted)
{
    // The wiring hands addresses to the configured browser.
    EXPECT_TRUE(command(cmd::WebSite)->isEnabled());
    window.reset();
    QStringList opened;
    session().shell.openUrl = [&](const QString& url) {
        opened << url;
        return true;
    };
    window = std::make_unique<TBillBoard>();
    EXPECT_TRUE(command(cmd::WebSite)->isEnabled());
    command(cmd::WebSite)->trigger();
    command(cmd::SendReport)->trigger();
    ASSERT_EQ(opened.size(), 2);
    EXPECT_TRUE(opened[0].startsWith(QStringLiteral("https://")));
    EXPECT_TRUE(opened[1].startsWith(QStringLiteral("mailto:")));
    const QString subject =
        QUrl::fromPercentEncoding(opened[1].section(QStringLiteral("subject="), 1).toUtf8());
    EXPECT_TRUE(
        subject.startsWith(QStringLiteral("QBv") + session().version() + QStringLiteral("-W95;")))
        << subject.toStdString();
    EXPECT_TRUE(subject.endsWith(QLatin1Char(':')));
}

TEST_F(MainWindow, WithSavingOffClosingLeavesTheSettingsFileAsLoadingLeftIt)
{
    writeIni(QStringLiteral(
        "[SYSTEM]\r\nSaveToIniFileOnExit=0\r\n[WINDOW SIZES]\r\nClientWidth=700\r\n"));
    window->FormCreate();
    const QString afterLoading = iniText();
    window->resize(900, 650);
    session().shell.windows.projectWindows = [] { return std::vector<ProjectWindowRecord>(1); };
    EXPECT_TRUE(window->close());
    EXPECT_EQ(iniText(), afterLoading);
    EXPECT_EQ(IniFile(path("qb.ini")).readInteger("WINDOW SIZES", "ClientWidth", 0), 700);
}
