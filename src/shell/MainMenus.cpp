// The main window's menu bar, desktop pop-up menu, notification-area menu, and the small
// commands that the shell serves itself.
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QSysInfo>
#include <QSystemTrayIcon>
#include <QToolButton>
#include <QUrl>

#include "cards/Desktop.h"
#include "floor/Messages.h"
#include "floor/Settings.h"
#include "platform/FileNames.h"
#include "platform/IniFile.h"
#include "session/Session.h"
#include "shell/AboutDialog.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/DesktopProgram.h"
#include "shell/HelpWindow.h"
#include "shell/MainWindow.h"
#include "shell/ToolBarPanel.h"

namespace qb {

namespace {

// The program's pages on the web.
const QString kWebSite = QStringLiteral("https://quillbox.example.org/");
const QString kTutorials = QStringLiteral("https://quillbox.example.org/tutorials/");
const QString kDownloads = QStringLiteral("https://quillbox.example.org/download/");
const QString kReportAddress = QStringLiteral("quillbox-report@example.org");

const QString kAppearance = QStringLiteral("APPEARANCE");
const QString kWallpaperKey = QStringLiteral("WallPaper_BMP_FileName");

struct ToggleEntry {
    const char* command;
    OptionToggle toggle;
};
const ToggleEntry kToggles[] = {
    {cmd::QuickCardFlip, OptionToggle::QuickFlip},
    {cmd::HotSpotBringToFront, OptionToggle::BringToFrontCorner},
    {cmd::HotSpotSendToBack, OptionToggle::SendBackCorner},
    {cmd::FlywordOnDoubleClick, OptionToggle::FlyWordClick},
    {cmd::VerboseMode, OptionToggle::VerboseMode},
    {cmd::RemoveCommentLines, OptionToggle::RemoveComments},
    {cmd::OutlineAsHtml, OptionToggle::OutlineAsHtml},
    {cmd::MergeWordsInConcept, OptionToggle::MergeWords},
    {cmd::Windows95ExtendedDesktop, OptionToggle::Windows95},
};

QKeySequence keys(const char* text) { return QKeySequence(QString::fromLatin1(text)); }

// Free memory figures for the report's subject, in KiB.
void memoryFigures(qint64* total, qint64* available, int* loadPercent)
{
    *total = 0;
    *available = 0;
    qint64 memAvailable = 0, swapFree = 0;
    QFile f(QStringLiteral("/proc/meminfo"));
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : f.readAll().split('\n')) {
            const QList<QByteArray> parts = line.simplified().split(' ');
            if (parts.size() < 2) continue;
            if (parts[0] == "MemTotal:")
                *total = parts[1].toLongLong();
            else if (parts[0] == "MemAvailable:")
                memAvailable = parts[1].toLongLong();
            else if (parts[0] == "SwapFree:")
                swapFree = parts[1].toLongLong();
        }
    }
    *available = memAvailable + swapFree;
    *loadPercent = *total > 0 ? int(100 - memAvailable * 100 / *total) : 0;
}

}  // namespace

// One menu entry. The first entry of a command is its own action (its caption and shortcut);
// every further entry is a mirror that follows the command's enabled state and check mark and
// whose shortcut is only shown, so that no key is claimed twice.
QAction* TBillBoard::entry(QMenu* menu, const char* command, const QString& caption,
                           const QKeySequence& shortcut, bool hidden)
{
    const QString name = QString::fromLatin1(command);
    QAction* primary = commands_->action(name);
    QAction* a = primary;
    if (!placed_.contains(name)) {
        placed_.insert(name);
        primary->setText(caption);
        if (!shortcut.isEmpty()) primary->setShortcut(shortcut);
    } else {
        a = new QAction(caption, menu);
        a->setObjectName(name);
        if (!shortcut.isEmpty()) {
            a->setShortcut(shortcut);
            a->setShortcutContext(Qt::WidgetShortcut);
        }
        auto follow = [a, primary] {
            a->setEnabled(primary->isEnabled());
            a->setCheckable(primary->isCheckable());
            a->setChecked(primary->isChecked());
        };
        follow();
        connect(primary, &QAction::changed, a, follow);
        connect(a, &QAction::triggered, primary, [primary, a] {
            // The mirror's own check flip is undone: the command decides the mark.
            a->setChecked(primary->isChecked());
            primary->trigger();
        });
    }
    if (hidden) a->setVisible(false);
    menu->addAction(a);
    return a;
}

void TBillBoard::buildMenus()
{
    QMenuBar* bar = menuBar();
    setWindowIcon(ProgramIcon());

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    QMenu* fileNew = file->addMenu(QStringLiteral("&New"));
    entry(fileNew, cmd::NewWord, QStringLiteral("&Word           Ins"));  // Insert is a desktop key
    entry(fileNew, cmd::NewConcept, QStringLiteral("&Concept"), keys("Ctrl+Ins"));
    QMenu* fileNewItem = fileNew->addMenu(QStringLiteral("&Item"));
    entry(fileNewItem, cmd::NewBlankItem, QStringLiteral("&Blank New Item"), keys("Shift+Ins"));
    entry(fileNewItem, cmd::NewItemFromClipboard, QStringLiteral("&Clipboard To New Item"),
          keys("Ctrl+I"));
    entry(fileNew, cmd::NewFlyword, QStringLiteral("&Flyword"));
    file->addSeparator();
    entry(file, cmd::BackUpToFile, QStringLiteral("&Back Up To File"));
    entry(file, cmd::RestoreFromFile, QStringLiteral("&Restore From File"));
    entry(file, cmd::AddAnotherDatabase, QStringLiteral("&Add Another Database to this one"), {},
          true);
    file->addSeparator();
    entry(file, cmd::ExportNotes, QStringLiteral("Export Notes as &Markdown\u2026"));
    entry(file, cmd::ImportNotes, QStringLiteral("&Import Notes\u2026"));
    file->addSeparator();
    entry(file, cmd::FileExplorer, QStringLiteral("&File Explorer"));
    file->addSeparator();
    entry(file, cmd::UpdateChanges, QStringLiteral("&Update Changes && Refresh Desktop"),
          keys("Ctrl+S"));
    file->addSeparator();
    entry(file, cmd::Exit, QStringLiteral("E&xit"), keys("Ctrl+Q"));

    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    entry(edit, cmd::EditCut, QStringLiteral("Cu&t          Ctrl+X"));
    entry(edit, cmd::EditCopy, QStringLiteral("&Copy          Ctrl+C"), keys("F9"));
    entry(edit, cmd::EditPaste, QStringLiteral("&Paste         Ctrl+V"));
    edit->addSeparator();
    entry(edit, cmd::EditSelectAll, QStringLiteral("Se&lect All"), keys("Ctrl+A"));
    entry(edit, cmd::EditSelectAndCopyAll, QStringLiteral("&Select And Copy All"), keys("Ctrl+B"));
    edit->addSeparator();
    entry(edit, cmd::RemoveCRsFromClipboard, QStringLiteral("&Remove CR:s From Clipboard"),
          keys("Ctrl+F6"));

    QMenu* find = bar->addMenu(QStringLiteral("&Find"));
    entry(find, cmd::FindItemsAndConcepts, QStringLiteral("&Items && Concepts   "), keys("Ctrl+F"));
    find->addSeparator();
    entry(find, cmd::DictionaryWordSearch, QStringLiteral("&Dictionary Word Search"), keys("F2"));
    entry(find, cmd::NextDictionaryWordMatch, QStringLiteral("&Next Dictionary Word Match"),
          keys("F3"));

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    entry(view, cmd::ResetScreen, QStringLiteral("&Reset Screen"), keys("F8"));
    entry(view, cmd::NewBlankItem, QStringLiteral("New &Item"), keys("Shift+Ins"), true);
    entry(view, cmd::NewItemFromClipboard, QStringLiteral("New Item &From Clipboard"),
          keys("Ctrl+I"), true);
    entry(view, cmd::NewConcept, QStringLiteral("New &Concept"), keys("Ctrl+Ins"), true);
    view->addSeparator();
    entry(view, cmd::NewDictionaryWindow, QStringLiteral("&Dictionary Window   "), keys("Ctrl+T"));
    entry(view, cmd::NewProjectWindow, QStringLiteral("&Project Window"), keys("Ctrl+P"));
    view->addSeparator();
    entry(view, cmd::PopConcepts, QStringLiteral("Pop Concepts"), keys("F4"));
    entry(view, cmd::PopItems, QStringLiteral("Pop Items"), keys("F5"));
    view->addSeparator();
    entry(view, cmd::ViewImportFile, QStringLiteral("&View "));  // the file name is added at start
    entry(view, cmd::DisplayWordMill, QStringLiteral("Display &Word Mill"));
    entry(view, cmd::BookMode, QStringLiteral("&Book Mode"), keys("F12"));
    view->addSeparator();
    entry(view, cmd::ClipboardToEditor, QStringLiteral("Send Clipboard To Text &Editor"),
          keys("F6"));

    QMenu* clear = bar->addMenu(QStringLiteral("&Clear"));
    entry(clear, cmd::ClearConcepts, QStringLiteral("&Concepts"), keys("Ctrl+F1"));
    entry(clear, cmd::ClearItemsNotMarked, QStringLiteral("&Items Not Marked"), keys("Ctrl+F2"));
    entry(clear, cmd::ClearAllItems, QStringLiteral("All Ite&ms"));
    entry(clear, cmd::ClearInflections, QStringLiteral("Inflection&s"));
    entry(clear, cmd::ClearFlywords, QStringLiteral("&Flywords"));
    clear->addSeparator();
    entry(clear, cmd::ClearAllUnmarked, QStringLiteral("All &Unmarked Cards   "), keys("Ctrl+F3"));
    entry(clear, cmd::ClearAllCards, QStringLiteral("&All Cards   "), keys("Ctrl+F4"));
    clear->addSeparator();
    entry(clear, cmd::ClearDesktop, QStringLiteral("Clear &Desktop"));
    clear->addSeparator();
    entry(clear, cmd::StackBookText, QStringLiteral("Stack &Book Text"));
    entry(clear, cmd::ClearBookText, QStringLiteral("Clear Book Te&xt"));

    QMenu* sort = bar->addMenu(QStringLiteral("&Sort"));
    entry(sort, cmd::SortOnDiagonal, QStringLiteral("&On Diagonal"), keys("Shift+F9"));
    entry(sort, cmd::TextSideUpDiagonally, QStringLiteral("&Text Side Up Diagonally"));
    sort->addSeparator();
    entry(sort, cmd::TileItems, QStringLiteral("Tile &Items"), keys("Shift+F7"));
    entry(sort, cmd::TileItemsExtended, QStringLiteral("Tile Items &Extended"),
          keys("Ctrl+Shift+F7"));
    entry(sort, cmd::TileConcepts, QStringLiteral("Tile &Concepts"), keys("Shift+F8"));
    entry(sort, cmd::TileInflections, QStringLiteral("Tile Inflection&s"));
    entry(sort, cmd::TileFlywords, QStringLiteral("Tile &Flywords"));
    sort->addSeparator();
    entry(sort, cmd::BookMode, QStringLiteral("&Book Mode"), keys("F12"));

    // A menu-bar entry without a submenu. F9 already belongs to the Edit menu's Copy.
    QAction* copy = commands_->action(QString::fromLatin1(cmd::CopyFromTables));
    placed_.insert(QString::fromLatin1(cmd::CopyFromTables));
    copy->setText(QStringLiteral("Cop&y"));
    copy->setToolTip(QStringLiteral("Use when copying from tables"));
    copy->setStatusTip(copy->toolTip());
    bar->addAction(copy);

    QMenu* options = bar->addMenu(QStringLiteral("&Options"));
    options->setToolTipsVisible(true);
    QMenu* side = options->addMenu(QStringLiteral("Card Side &Up Mode"));
    entry(side, cmd::CardSideText, QStringLiteral("&Text"), keys("Shift+F2"));
    entry(side, cmd::CardSideKeywords, QStringLiteral("&Key Words"), keys("Shift+F3"));
    entry(side, cmd::CardSideProjects, QStringLiteral("&Projects/Topics   "), keys("Shift+F4"));
    entry(side, cmd::CardSideCombined, QStringLiteral("&Combined"), keys("Shift+F5"));
    QMenu* explode = options->addMenu(QStringLiteral("&Concept Explode Mode"));
    entry(explode, cmd::ExplodeOff, QStringLiteral("O&ff"));
    entry(explode, cmd::ExplodeOn, QStringLiteral("&On"));
    entry(explode, cmd::ExplodeMaximum, QStringLiteral("&Maximum"));
    entry(options, cmd::QuickCardFlip, QStringLiteral("&Quick Card Flip"));
    QMenu* hotSpots = options->addMenu(QStringLiteral("&Hot Spots"));
    entry(hotSpots, cmd::HotSpotBringToFront,
          QStringLiteral("Bring To &Front (Upper Right Corner)"));
    entry(hotSpots, cmd::HotSpotSendToBack, QStringLiteral("Send To &Back (Lower Left Corner)"));
    entry(options, cmd::CompactPacks, QStringLiteral("Compact Packs"));
    QAction* incremental = entry(options, cmd::IncrementalDictionarySearch,
                                 QStringLiteral("&Incremental Dictionary Search"), {}, true);
    incremental->setCheckable(true);
    entry(options, cmd::FlywordOnDoubleClick,
          QStringLiteral("Double-clicking Text Creates &Flyword"));
    options->addSeparator();
    entry(options, cmd::ShowHints, QStringLiteral("&Show Hints"));
    entry(options, cmd::VerboseMode, QStringLiteral("&Verbose Mode"));
    entry(options, cmd::SaveSettingsOnExit, QStringLiteral("Save Settings on E&xit"), {}, true);
    options->addSeparator();
    entry(options, cmd::RemoveCommentLines, QStringLiteral("Remove Comment Line In Outlines"));
    entry(options, cmd::OutlineAsHtml, QStringLiteral("Outline As HTML"));
    options->addSeparator();
    entry(options, cmd::MergeWordsInConcept, QStringLiteral("&Merge Words In Concept Window"));
    QAction* reschedule = entry(options, cmd::RescheduleItems, QStringLiteral("&Reschedule Items"));
    reschedule->setCheckable(true);

    QMenu* utilities = bar->addMenu(QStringLiteral("&Utilities"));
    entry(utilities, cmd::UndoRecentDeletes, QStringLiteral("&Undo Recent Deletes"));
    utilities->addSeparator();
    entry(utilities, cmd::FindDamagedItems, QStringLiteral("&Find Damaged Items"));
    entry(utilities, cmd::ClearAllData, QStringLiteral("Clear All Data"));
    entry(utilities, cmd::ShowStatistics, QStringLiteral("&Show Statistics"));
    entry(utilities, cmd::PrintAllItemTexts, QStringLiteral("&Print All Item Texts To File"));
    utilities->addSeparator();
    entry(utilities, cmd::ShowDatabaseLocationInfo, QStringLiteral("Show &Database Location Info"));
    entry(utilities, cmd::ClearFindEntries, QStringLiteral("Clear Find &Entries"));
    utilities->addSeparator();
    QMenu* wallpaper = utilities->addMenu(QStringLiteral("&Wallpaper"));
    entry(wallpaper, cmd::WallpaperFromClipboard, QStringLiteral("Set From Clipboard"));
    entry(wallpaper, cmd::WallpaperClear, QStringLiteral("Clear"));
    QMenu* image = utilities->addMenu(QStringLiteral("Desktop &Image"));
    entry(image, cmd::DesktopImageCopy, QStringLiteral("&Copy Image"));
    entry(image, cmd::DesktopImageRemove, QStringLiteral("&Remove Image"));
    entry(utilities, cmd::SmallApplicationWindow, QStringLiteral("Set Small Application Win&dow"));
    utilities->addSeparator();
    entry(utilities, cmd::ExportDesktopXml, QStringLiteral("Export Desktop Items As &XML File"));
    QMenu* allWords = utilities->addMenu(QStringLiteral("Send All Words To &Clipboard"));
    entry(allWords, cmd::AllDictionaryWordsToClipboard, QStringLiteral("All &Dictionary Words"));
    entry(allWords, cmd::AllInflectionsToClipboard, QStringLiteral("All &Inflections"));
    utilities->addSeparator();
    entry(utilities, cmd::AnalyzeItemText, QStringLiteral("&Analyze Item Text"), keys("F7"));

    QMenu* installation = bar->addMenu(QStringLiteral("&Installation"));
    installation->setToolTipsVisible(true);
    entry(installation, cmd::BrowserSetup, QStringLiteral("&Browser Setup"));
    QAction* w95 = entry(installation, cmd::Windows95ExtendedDesktop,
                         QStringLiteral("Windows 95 Extended Desktop"));
    w95->setToolTip(
        QStringLiteral("(This may have to be checked also for non- Windows 95 installations)"));
    installation->addSeparator();
    entry(installation, cmd::ClearAllTimeStamps, QStringLiteral("Clear All &Time Stamps"));
    installation->addSeparator();
    entry(installation, cmd::EditIniFile, QStringLiteral("&Edit INI-file"));
    entry(installation, cmd::DownloadLatestVersion, QStringLiteral("&Download Latest Version"), {},
          true);

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    entry(help, cmd::WebSite, QStringLiteral("&QB Web Site"));
    entry(help, cmd::Tutorials, QStringLiteral("&Tutorials"));
    entry(help, cmd::DownloadProgramFiles, QStringLiteral("&Download Program Files"), {}, true);
    entry(help, cmd::SendReport, QStringLiteral("&Send a Report!"));
    help->addSeparator();
    entry(help, cmd::OnlineHelp, QStringLiteral("&Online Help"), {}, true);
    entry(help, cmd::HelpContents, QStringLiteral("&Help Contents && Index"));
    entry(help, cmd::ContextHelp, QStringLiteral("Context-&Sensitive Help"), keys("F1"));
    entry(help, cmd::HotKeys, QStringLiteral("Hot &Keys (Shortcuts)"));
    entry(help, cmd::ReleaseNotes, QStringLiteral("&Release Notes"));
    help->addSeparator();
    entry(help, cmd::About, QStringLiteral("&About QB"));
}

void TBillBoard::buildDesktopMenu()
{
    desktopMenu_ = new QMenu(this);
    desktopMenu_->setObjectName(QStringLiteral("desktopMenu"));
    QMenu* m = desktopMenu_;
    entry(m, cmd::ResetScreen, QStringLiteral("Reset Screen"), keys("F8"));
    m->addSeparator();
    entry(m, cmd::NewConcept, QStringLiteral("New Concept"), keys("Ctrl+Ins"));
    entry(m, cmd::NewBlankItem, QStringLiteral("New Item"), keys("Shift+Ins"));
    entry(m, cmd::NewItemFromClipboard, QStringLiteral("New Item from Clipboard"));
    entry(m, cmd::NewDictionaryWindow, QStringLiteral("New Dictionary Window"), keys("Ctrl+T"));
    entry(m, cmd::NewProjectWindow, QStringLiteral("New Project Wndow"), keys("Ctrl+P"));
    m->addSeparator();
    entry(m, cmd::PopConcepts, QStringLiteral("Pop Concepts"), keys("F4"));
    entry(m, cmd::PopItems, QStringLiteral("Pop Items"), keys("F5"));
    entry(m, cmd::ClipboardToEditor, QStringLiteral("Clipboard to Editor"), keys("F6"));
    entry(m, cmd::BookMode, QStringLiteral("Bookmode"));
    desktopImageSeparator_ = m->addSeparator();
    desktopImageEntries_ << entry(m, cmd::DesktopImageCopy, QStringLiteral("Copy Image"))
                         << entry(m, cmd::DesktopImageRemove, QStringLiteral("Remove Image"));
    // The image entries only while the desktop image is shown.
    connect(m, &QMenu::aboutToShow, this, [this] {
        const auto& visible = session().shell.desktopImageVisible;
        const bool shown = visible && visible();
        desktopImageSeparator_->setVisible(shown);
        for (QAction* a : desktopImageEntries_) a->setVisible(shown);
    });
}

void TBillBoard::buildTrayMenu()
{
    trayMenu_ = new QMenu(this);
    trayMenu_->setObjectName(QStringLiteral("trayMenu"));
    entry(trayMenu_, cmd::TraySaveClipboardAsItem, QStringLiteral("Save Clipboard Text as Item"));
    entry(trayMenu_, cmd::TraySaveClipboardNoCRs,
          QStringLiteral("Save Clipboard Text as Item no CRs"));
    entry(trayMenu_, cmd::TraySaveClipboardToImportFile, QStringLiteral("Save Clipboard Text to "));
    entry(trayMenu_, cmd::GetUrl, QStringLiteral("Grab URL to Make a Project"));
    trayMenu_->addSeparator();
    entry(trayMenu_, cmd::Exit, QStringLiteral("Exit Quillbox"));
    entry(trayMenu_, cmd::RestoreWindow, QStringLiteral("Restore QB Window"));

    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        // Without a tray the captures are reached from the Edit menu.
        for (QAction* top : menuBar()->actions()) {
            if (top->text() != QStringLiteral("&Edit") || !top->menu()) continue;
            QMenu* edit = top->menu();
            edit->addSeparator();
            entry(edit, cmd::TraySaveClipboardAsItem,
                  QStringLiteral("Save Clipboard Text as Item"));
            entry(edit, cmd::TraySaveClipboardNoCRs,
                  QStringLiteral("Save Clipboard Text as Item no CRs"));
            entry(edit, cmd::TraySaveClipboardToImportFile,
                  QStringLiteral("Save Clipboard Text to qbimport.txt"));
        }
        return;
    }
    tray_ = new QSystemTrayIcon(windowIcon(), this);
    connect(tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    commands_->trigger(QString::fromLatin1(cmd::TrayIconClick));
                else if (reason == QSystemTrayIcon::Context)
                    trayMenu_->popup(QCursor::pos() - QPoint(14, 148));
            });
}

void TBillBoard::bindToggleOption(const char* command, int toggle)
{
    const OptionToggle t = OptionToggle(toggle);
    commands_->bindToggle(
        QString::fromLatin1(command),
        [this, t] {
            bool mark = ApplyToggle(t);
            refreshMenuMarks();  // one option may switch another one with it
            return mark;
        },
        ToggleMark(t));
}

void TBillBoard::refreshMenuMarks()
{
    const Settings& s = session().settings;
    for (const ToggleEntry& e : kToggles) {
        QAction* a = commands_->action(QString::fromLatin1(e.command));
        a->setCheckable(true);
        a->setChecked(ToggleMark(e.toggle));
    }
    commands_->action(QString::fromLatin1(cmd::SaveSettingsOnExit))
        ->setChecked(s.saveToIniFileOnExit);
    commands_->action(QString::fromLatin1(cmd::ShowHints))->setChecked(hintsShown_);
    toolBar_->directoryPicture()->setToolTip(QStringLiteral("Database Location: ") +
                                             session().dir());
    setExplodeIndicator(s.itemExpansionOnDrop);
}

void TBillBoard::bindShellCommands()
{
    CommandRegistry& c = *commands_;
    auto name = [](const char* n) { return QString::fromLatin1(n); };

    c.bind(name(cmd::ResetScreen), [this] {
        ResetMainWindow();
        if (session().shell.listCardsGoTop) session().shell.listCardsGoTop();
    });
    c.bindToggle(
        name(cmd::ShowHints),
        [this] {
            setHintsShown(!hintsShown_);
            return hintsShown_;
        },
        hintsShown_);
    c.bind(name(cmd::RefreshClipboardSize), [this] { toolBar_->refreshClipboardSize(); });
    c.bind(name(cmd::SmallApplicationWindow), [this] {
        showNormal();
        resize(640, 480);
        repaint();
    });
    for (const ToggleEntry& e : kToggles) bindToggleOption(e.command, int(e.toggle));
    c.bindToggle(
        name(cmd::SaveSettingsOnExit),
        [] {
            Settings& s = session().settings;
            s.saveToIniFileOnExit = !s.saveToIniFileOnExit;
            IniFile::writeBoolOnce(session().iniPath(), QStringLiteral("SYSTEM"),
                                   QStringLiteral("SaveToIniFileOnExit"), s.saveToIniFileOnExit);
            return s.saveToIniFileOnExit;
        },
        session().settings.saveToIniFileOnExit);
    c.bind(name(cmd::WallpaperFromClipboard), [this] { wallpaperFromClipboard(); });
    c.bind(name(cmd::WallpaperClear), [this] { wallpaperClear(); });
    c.bind(name(cmd::EditIniFile), [this] { editIniFile(); });
    c.bind(name(cmd::Exit), [this] { Exit1Click(); });
    c.bind(name(cmd::RestoreWindow), [this] { restoreFromTray(); });
    c.bind(name(cmd::HelpContents), [] { HelpWindow::showTopic(QStringLiteral("contents")); });
    c.bind(name(cmd::ContextHelp), [this] { contextHelp(); });
    c.bind(name(cmd::HotKeys), [] { HelpWindow::showTopic(QStringLiteral("fkeys")); });
    c.bind(name(cmd::ReleaseNotes), [this] { showReleaseNotes(); });
    c.bind(name(cmd::About), [this] {
        AboutDialog about(this);
        about.exec();
    });
}

// The web entries work only once something can start the browser.
void TBillBoard::bindWebCommands()
{
    if (!session().shell.openUrl) return;
    CommandRegistry& c = *commands_;
    auto name = [](const char* n) { return QString::fromLatin1(n); };
    c.bind(name(cmd::WebSite), [this] { openAddress(kWebSite); });
    c.bind(name(cmd::Tutorials), [this] { openAddress(kTutorials); });
    c.bind(name(cmd::DownloadProgramFiles), [this] { openAddress(kDownloads); });
    c.bind(name(cmd::DownloadLatestVersion), [this] { openAddress(kDownloads); });
    c.bind(name(cmd::SendReport), [this] { openAddress(reportAddress()); });
}

void TBillBoard::openAddress(const QString& url)
{
    if (session().shell.openUrl) session().shell.openUrl(url);
}

QString TBillBoard::reportAddress() const
{
    const Settings& s = session().settings;
    qint64 total = 0, available = 0;
    int load = 0;
    memoryFigures(&total, &available, &load);
    const QString subject = QStringLiteral("QBv") + session().version() +
                            (s.isWindows95 ? QStringLiteral("+W95;") : QStringLiteral("-W95;")) +
                            QSysInfo::kernelType() + QLatin1Char(' ') + QSysInfo::kernelVersion() +
                            QStringLiteral(" (") + QSysInfo::prettyProductName() +
                            QStringLiteral(");") + QStringLiteral(";") + QString::number(load) +
                            QLatin1Char(';') + QString::number(total) + QLatin1Char(';') +
                            QString::number(available) + QLatin1Char(':');
    return QStringLiteral("mailto:") + kReportAddress + QStringLiteral("?subject=") +
           QString::fromLatin1(QUrl::toPercentEncoding(subject));
}

void TBillBoard::contextHelp() { HelpWindow::showFocusedTopic(); }

void TBillBoard::editIniFile()
{
    Session& s = session();
    QDir::setCurrent(s.dir());
    // The hand-off minimises the program once the editor is on its way, and says why not otherwise.
    const bool editing = s.shell.editFile && s.shell.editFile(s.iniPath());
    if (editing)
        ShowInfo(QStringLiteral("Some settings will take effect immediately, others on next "
                                "startup. Wait a few seconds for update..."),
                 QStringLiteral("qb8908"), kInformation, 50110);
    ReadIniFile();
    refreshMenuMarks();
    applyDesktopColour();
    if (editing) restoreFromTray();
}

void TBillBoard::wallpaperFromClipboard()
{
    Session& s = session();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard->text().size() > 1000000) {
        ShowInfo(QStringLiteral("Too big bitmap on clipboard"), QStringLiteral("qb6828"), kError,
                 50070);
        return;
    }
    const QImage image = clipboard->image();
    if (image.isNull()) {
        ShowInfo(QStringLiteral("No image (bitmap) on clipboard"), QStringLiteral("qb6828"), kError,
                 50070);
        return;
    }
    const QString fileName = QStringLiteral("wallpaper.bmp");
    QBuffer bmp;
    if (!bmp.open(QIODevice::WriteOnly) || !image.save(&bmp, "BMP") ||
        !files::writeBytesFile(files::resolve(s.dir(), fileName), bmp.data()) ||
        !IniFile::writeStringOnce(s.iniPath(), kAppearance, kWallpaperKey, fileName)) {
        ShowInfo(QStringLiteral("Some problem with this operation..."), QStringLiteral("qb6828"),
                 kError, 50070);
        return;
    }
    s.settings.wallPaperFileName = fileName;
    showWallpaper(image);
}

void TBillBoard::wallpaperClear()
{
    Session& s = session();
    hideWallpaper();
    if (!IniFile::writeStringOnce(s.iniPath(), kAppearance, kWallpaperKey,
                                  QStringLiteral("NOIMAGE"))) {
        ShowInfo(QStringLiteral("Some problem with this operation..."), QStringLiteral("qb6843"),
                 kError, 50070);
        return;
    }
    s.settings.wallPaperFileName = QStringLiteral("NOIMAGE");
}

}  // namespace qb
