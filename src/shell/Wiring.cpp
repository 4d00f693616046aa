#include "shell/Wiring.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>

#include <algorithm>

#include "backup/Backup.h"
#include "backup/Maintenance.h"
#include "backup/MaintenanceCommands.h"
#include "backup/Restore.h"
#include "backup/SelectDirDialog.h"
#include "cards/Collection.h"
#include "cards/Desktop.h"
#include "desktop/DesktopCommands.h"
#include "desktop/DesktopDrop.h"
#include "desktop/DesktopLayout.h"
#include "desktop/FlyWord.h"
#include "desktop/FlyWordRules.h"
#include "desktop/LayoutCommands.h"
#include "desktop/PackCommands.h"
#include "desktop/PopulateCommands.h"
#include "desktop/PopulateDesktop.h"
#include "desktop/PopulateState.h"
#include "dictionary/ConceptCard.h"
#include "dictionary/Concepts.h"
#include "dictionary/DictionaryCommands.h"
#include "dictionary/DictionaryState.h"
#include "dictionary/DictionaryWindow.h"
#include "dictionary/DictionaryWindowRules.h"
#include "dictionary/DictionaryWindows.h"
#include "dictionary/ExplodeMode.h"
#include "dictionary/LocateDialog.h"
#include "dictionary/NewWordDialog.h"
#include "dictionary/Words.h"
#include "floor/Messages.h"
#include "floor/Messenger.h"
#include "floor/RunContext.h"
#include "floor/Settings.h"
#include "interchange/ImportTimer.h"
#include "interchange/NotesCommands.h"
#include "interchange/XmlExport.h"
#include "items/Associations.h"
#include "items/CaptureCommands.h"
#include "items/CardSideIndicatorPanel.h"
#include "items/DesktopPicturePanel.h"
#include "items/ItemCard.h"
#include "items/ItemCardRules.h"
#include "items/ItemCommands.h"
#include "items/ItemHooks.h"
#include "items/ShowRecords.h"
#include "mill/MillWindow.h"
#include "platform/Clock.h"
#include "projects/BrowserSetup.h"
#include "projects/DropFiles.h"
#include "projects/FileDrops.h"
#include "projects/OutlinePrint.h"
#include "projects/ProjectDialogs.h"
#include "projects/ProjectOrder.h"
#include "projects/ProjectRecords.h"
#include "projects/ProjectWindow.h"
#include "search/FindHistory.h"
#include "search/FindWordDialog.h"
#include "search/ItemTextIndex.h"
#include "search/LookupMenu.h"
#include "search/SearchCommands.h"
#include "search/TextSearch.h"
#include "session/DataChecks.h"
#include "session/Engine.h"
#include "session/ExternalPrograms.h"
#include "session/Session.h"
#include "shell/ClipboardCommands.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/ImportedText.h"
#include "shell/MainWindow.h"
#include "shell/TerminationRequests.h"
#include "shell/ToolBarPanel.h"

namespace qb {

namespace {

// After a commit, the search index reads the written texts again once this long has passed
// without another commit.
constexpr int kIndexUpdatePauseMs = 1000;

// The hooks reach the window and the desktop of the moment: each is gone (null) once destroyed,
// and a hook then does what an empty one would.
TBillBoard* mainWindow() { return TBillBoard::instance(); }

QString name(const char* command) { return QString::fromLatin1(command); }

void clipboardChanged()
{
    if (TBillBoard* main = mainWindow()) main->commands().trigger(name(cmd::RefreshClipboardSize));
}

// ---- the main window ----

void wireWindowHooks()
{
    DesktopHooks& hooks = session().hooks;
    hooks.showBanner = [](const QString& text) {
        if (TBillBoard* main = mainWindow()) main->showBanner(text);
    };
    hooks.hideBanner = [] {
        if (TBillBoard* main = mainWindow()) main->hideBanner();
    };
    hooks.baseOpening = [] {
        if (TBillBoard* main = mainWindow()) main->BaseOpening();
    };
    hooks.setDownWin = [] {
        if (TBillBoard* main = mainWindow()) main->SetDownWin();
    };

    ShellHooks& shell = session().shell;
    shell.clipboardChanged = clipboardChanged;
    shell.clipboardSizeText = [](const QString& text) {
        if (TBillBoard* main = mainWindow()) main->setClipboardSizeText(text);
    };
    shell.mainWindow = []() -> QWidget* { return mainWindow(); };
    shell.raiseMainWindow = [] {
        if (TBillBoard* main = mainWindow()) {
            main->showNormal();
            main->raise();
            main->activateWindow();
        }
    };
    shell.endRequested = [] { return TerminationRequests::requested(); };
}

// ---- the store ----

void wireStore(TBillBoard& window)
{
    session().shell.dataChecks = [] { DataChecks(); };
    window.commands().bind(name(cmd::ShowDatabaseLocationInfo), [] {
        const QPoint scroll = session().hooks.scroll();
        ShowDatabaseLocationInfo(scroll.x(), scroll.y());
    });
}

// ---- the card framework's commands ----

void bindClear(CommandRegistry& commands, TDesktop* desktop, const char* command,
               ClearCommand clear)
{
    commands.bind(name(command), [desktop, clear] { ClearCards(*desktop, clear); });
}

void bindOption(CommandRegistry& commands, const char* command, OptionToggle toggle)
{
    commands.bindToggle(
        name(command), [toggle] { return ApplyToggle(toggle); }, ToggleMark(toggle));
}

void wireDesktopCommands(TBillBoard& window)
{
    CommandRegistry& commands = window.commands();
    TDesktop* desktop = window.desktop();
    bindClear(commands, desktop, cmd::ClearConcepts, ClearCommand::Concepts);
    bindClear(commands, desktop, cmd::ClearItemsNotMarked, ClearCommand::ItemsNotMarked);
    bindClear(commands, desktop, cmd::ClearAllItems, ClearCommand::AllItems);
    bindClear(commands, desktop, cmd::ClearInflections, ClearCommand::Inflections);
    bindClear(commands, desktop, cmd::ClearFlywords, ClearCommand::Flywords);
    bindClear(commands, desktop, cmd::ClearAllUnmarked, ClearCommand::AllUnmarked);
    bindClear(commands, desktop, cmd::ClearAllCards, ClearCommand::AllCards);
    bindClear(commands, desktop, cmd::ClearDesktop, ClearCommand::Desktop);
    commands.bind(name(cmd::UndoRecentDeletes), [desktop] { UndoRecentDeletes(*desktop); });
    commands.bind(name(cmd::ReturnHome), [desktop] {
        desktop->scrollTo(0, 0);
        QCoreApplication::processEvents();
    });
    bindOption(commands, cmd::HotSpotBringToFront, OptionToggle::BringToFrontCorner);
    bindOption(commands, cmd::HotSpotSendToBack, OptionToggle::SendBackCorner);

    // The logo panel takes the focus whenever no card may hold it.
    desktop->setFocusSink(window.logoPanel());
    InstallDesktopMap(*desktop, window.mapHost());
}

// ---- the dictionary ----

// The menu's check marks and the tool bar's indicator for the current explode mode.
void refreshExplodeMarks(TBillBoard& window)
{
    CommandRegistry& c = window.commands();
    ExplodeIndicator indicator = explodeIndicator();
    const std::pair<const char*, ExplodeMode> entries[] = {
        {cmd::ExplodeOff, ExplodeMode::Off},
        {cmd::ExplodeOn, ExplodeMode::On},
        {cmd::ExplodeMaximum, ExplodeMode::Maximum}};
    for (const auto& [command, mode] : entries) {
        QAction* a = c.action(name(command));
        a->setCheckable(true);
        a->setChecked(indicator.checked == mode);
    }
    window.setExplodeIndicator(int(indicator.checked));
}

void setExplode(TBillBoard& window, int value)
{
    SetExplodeMode(value);
    refreshExplodeMarks(window);
}

void bindExplodeEntries(TBillBoard& window)
{
    CommandRegistry& c = window.commands();
    TBillBoard* w = &window;
    c.bind(name(cmd::ExplodeOff), [w] { setExplode(*w, int(ExplodeMode::Off)); });
    c.bind(name(cmd::ExplodeOn), [w] { setExplode(*w, int(ExplodeMode::On)); });
    c.bind(name(cmd::ExplodeMaximum), [w] { setExplode(*w, int(ExplodeMode::Maximum)); });
    c.bind(name(cmd::ToggleExplodeMode), [w] {
        ToggleDisplays();
        refreshExplodeMarks(*w);
    });
    QAction* toggle = c.action(name(cmd::ToggleExplodeMode));
    toggle->setShortcut(QKeySequence(Qt::Key_F10));
    toggle->setShortcutContext(Qt::WindowShortcut);
    window.addAction(toggle);
    // The marks follow the settings, which a start or "Edit INI-file" reads again.
    for (QObject* o : c.action(name(cmd::ExplodeOn))->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(o))
            QObject::connect(menu, &QMenu::aboutToShow, w, [w] { refreshExplodeMarks(*w); });
    refreshExplodeMarks(window);
}

void wireDictionaryHooks()
{
    DictionaryHooks& hooks = dictionaryHooks();
    hooks.focusLogoPanel = [] {
        if (TBillBoard* main = mainWindow()) main->logoPanel()->setFocus(Qt::OtherFocusReason);
    };
    hooks.runNewWordDialog = [](const QString& proposed) {
        RunNewWordDialog(proposed, mainWindow());
    };
    hooks.runLocateDialog = [] { TLocateInList::run(); };
    hooks.placeConceptCard = [](ConceptCardData& card) {
        TDesktop* desktop = TDesktop::current();
        return desktop && PlaceNewConceptCard(*desktop, card);
    };
    hooks.clipboardText = [] {
        QClipboard* c = QGuiApplication::clipboard();
        return c ? c->text() : QString();
    };
    hooks.setClipboardText = [](const QString& text) {
        if (QClipboard* c = QGuiApplication::clipboard()) c->setText(text);
    };
    hooks.showConceptPicture = [](Timestamp conceptId) {
        desktoppicture::ShowFor(ShowKeyOfConcept(conceptId));
    };
    hooks.connectConceptImage = [](Timestamp conceptId, const QImage& image) {
        return desktoppicture::ConnectImage(ShowKeyOfConcept(conceptId), image);
    };

    WindowLayoutHooks& layout = session().shell.windows;
    layout.openDictionaryWindow = [](const DictionaryWindowRestore& saved) {
        TDesktop* desktop = TDesktop::current();
        return desktop && OpenSavedDictionaryWindow(*desktop, saved);
    };
    layout.dictionaryWindows = [] {
        TDesktop* desktop = TDesktop::current();
        return desktop ? OpenDictionaryWindows(*desktop) : std::vector<DictionaryWindowRecord>();
    };
    // Reset Screen: every list card to its first row.
    session().shell.listCardsGoTop = [] {
        if (TDesktop* desktop = TDesktop::current()) {
            DictionaryWindowsGoTop(*desktop);
            ProjectWindowsGoTop(*desktop);
        }
    };
}

void wireDictionaryCommands(TBillBoard& window)
{
    CommandRegistry& c = window.commands();
    TDesktop* desktop = window.desktop();
    c.bind(name(cmd::NewWord), [] { CallNewWord(QString(), false); });
    c.bind(name(cmd::NewConcept), [] { CreateBlankConcept(); });
    c.bind(name(cmd::NewDictionaryWindow), [desktop] { Newdictwindow1Click(*desktop); });
    c.bind(name(cmd::DictionaryWordSearch), [] { DictWordSearch(); });
    c.bind(name(cmd::LocateInDictionary), [] { DictWordSearch(); });
    c.bind(name(cmd::NextDictionaryWordMatch), [] { DictLocateFromMenu(true); });
    c.bindToggle(name(cmd::IncrementalDictionarySearch), ToggleIncrementalSearch,
                 dictionaryState().locate.incrementalChecked);
    c.bind(name(cmd::AllDictionaryWordsToClipboard), [] {
        WordListToClipboard(QStringLiteral("Word.db"), QStringLiteral("1"));
        clipboardChanged();
    });
    c.bind(name(cmd::AllInflectionsToClipboard), [] {
        WordListToClipboard(QStringLiteral("Inflec.db"), QStringLiteral("2"));
        clipboardChanged();
    });
    bindExplodeEntries(window);

    TBillBoard* w = &window;
    InstallDictionaryKeys(
        window, [w] { w->commands().trigger(name(cmd::NewWord)); },
        [w] { refreshExplodeMarks(*w); });
}

// ---- external programs ----

void SendClipboardToEditor()
{
    QClipboard* clipboard = QApplication::clipboard();
    ClipboardToEditor(clipboard ? clipboard->text() : QString());
}

void wireExternalPrograms(TBillBoard& window)
{
    QPointer<TBillBoard> guarded(&window);
    SetMinimizeProgramHook([guarded] {
        if (guarded) guarded->showMinimized();
    });

    CommandRegistry& commands = window.commands();
    QAction* toEditor = commands.action(name(cmd::ClipboardToEditor));
    toEditor->setShortcut(QKeySequence(Qt::Key_F6));
    // The key works even before a menu carries the action.
    window.addAction(toEditor);
    commands.bind(name(cmd::ClipboardToEditor), SendClipboardToEditor);
    commands.bind(name(cmd::FileExplorer), [] { FileExplorer(); });
    // "&Edit INI-file" hands the settings file to the text editor.
    session().shell.editFile = [](const QString& path) {
        return WordProcUtility(QuoteParameter(path));
    };
    // Web addresses go to the configured browser; the program steps aside once it started. A
    // hand-off put in before (a test's) is kept.
    if (!session().shell.openUrl)
        session().shell.openUrl = [](const QString& url) {
            if (!OpenInBrowser(url)) return false;
            MinimizeProgram();
            return true;
        };
}

// ---- items ----

struct ModeCommand {
    const char* command;
    int mode;
};
const ModeCommand kModeCommands[] = {
    {cmd::CardSideText, ctxText},
    {cmd::CardSideKeywords, ctxKeys},
    {cmd::CardSideProjects, ctxUrls},
    {cmd::CardSideCombined, ctxCombined},
};

void wireItemHooks()
{
    ItemHooks& hooks = itemHooks();
    // Files from the file manager dropped on a card: the last one, read by the projects' rules.
    hooks.droppedFiles = [](const QStringList& paths,
                            const QString& cardText) -> std::optional<QString> {
        if (paths.isEmpty()) return std::nullopt;
        return DropFileOnCard(paths.last(), cardText, session().settings.extraTextExtAllowed,
                              runContext().clock().now());
    };
    hooks.dateStampText = [] {
        TBillBoard* main = mainWindow();
        return main ? main->dateStampText() : QString();
    };
    hooks.showCardSideMarks = [](int mode) {
        TBillBoard* main = mainWindow();
        if (!main) return;
        for (const ModeCommand& m : kModeCommands) {
            QAction* a = main->commands().action(name(m.command));
            a->setCheckable(true);
            a->setChecked(m.mode == mode);
        }
    };
    hooks.startingUp = [] {
        TBillBoard* main = mainWindow();
        return main && !main->firstActivationDone();
    };
    hooks.showHints = [] {
        if (TBillBoard* main = mainWindow())
            if (!main->hintsShown()) main->setHintsShown(true);
    };
    // A word without concept dropped on an item card gets a concept card of its own first.
    hooks.newConceptCardForWord = [](const QString& word, int wordNo) {
        NewConceptCardForWord(word, wordNo);
    };
    // The search index reads the written items again once the user pauses (or at the next
    // search, whichever comes first), not on the commit's own path.
    hooks.itemsWritten = [](const std::vector<Timestamp>& items) {
        search::NoteItemsWritten(items);
        static QTimer* idle = nullptr;
        if (!idle) {
            idle = new QTimer(QCoreApplication::instance());
            idle->setSingleShot(true);
            QObject::connect(idle, &QTimer::timeout, [] { search::UpdateItemTextIndex(); });
        }
        idle->start(kIndexUpdatePauseMs);
    };
}

void wireItemCommands(TBillBoard& window)
{
    CommandRegistry& commands = window.commands();
    commands.bind(name(cmd::UpdateChanges), [] { UpdateItems(); });
    commands.bind(name(cmd::NewBlankItem), [] { CreateBlankItem(false); });
    commands.bind(name(cmd::NewItemFromClipboard), [] { CreateBlankItem(true); });
    for (const ModeCommand& m : kModeCommands) {
        const int mode = m.mode;
        commands.bind(name(m.command), [mode] { SetCardSideUpMode(mode); });
    }
    commands.bind(name(cmd::DesktopImageCopy), [] { desktoppicture::CopyImage(); });
    commands.bind(name(cmd::DesktopImageRemove), [] { desktoppicture::RemoveImage(); });

    // The indicator stands left of the explode indicator.
    if (ToolBarPanel* bar = window.toolBar()) {
        auto* i = new TCardSideIndicator(bar);
        if (auto* row = qobject_cast<QHBoxLayout*>(bar->layout())) {
            const int at = row->indexOf(bar->explodeIndicator());
            row->insertWidget(at < 0 ? row->count() : at, i);
        }
        QObject::connect(i, &TCardSideIndicator::pressed, i, [] {
            SetCardSideUpMode(NextCardSideMode(session().settings.cardSideUp));
        });
        SetCardSideIndicator(i);
    }
    // The settings are read after the window is made, and again by "Edit INI-file".
    ShowCardSideMode(session().settings.cardSideUp);
    QObject::connect(window.delayedEventsTimer(), &QTimer::timeout, &window,
                     [] { ShowCardSideMode(session().settings.cardSideUp); });
}

// ---- populating ----

void wirePopulateHooks(TDesktop& desktop)
{
    QPointer<TDesktop> d(&desktop);
    populateState().hooks.enableDesktop = [d](bool enabled) {
        if (d) d->setTakesInput(enabled);
    };
    itemHooks().showConnections = [d](int x, int y, Timestamp itemId) {
        if (d) ShowConnections(*d, x, y, itemId);
    };
    dictionaryHooks().developConcepts = [d](const std::vector<Timestamp>& concepts, QPoint at) {
        int groupColor = 0;
        if (d) DevelopSynWheelSet(*d, concepts, at, kNoItemToSkip, true, groupColor);
    };
    // A dropped project comes in the order saved for it.
    populateState().hooks.restoreProjectOrder = [](const QString& project) {
        AdvPrjQ_update(project);
    };
    projectHooks().placeItems = [d](const QString& project, int limit) {
        if (!d) return;
        ItemRows rows = ItemsOfProjectRows(project);
        if (int(rows.rows.size()) > limit) rows.rows.resize(size_t(limit));
        ItemSet items(std::move(rows));
        if (items.empty()) return;
        const Settings& settings = session().settings;
        int groupColor = 0;
        DevelopItemSet(*d, items, QPoint(settings.createSpotIX, settings.createSpotIY),
                       kNoItemToSkip, ItemSetText(), groupColor);
    };
    InstallDesktopDrops(desktop);
}

void wirePopulateCommands(TBillBoard& window)
{
    TDesktop* desktop = window.desktop();
    CommandRegistry& commands = window.commands();
    commands.bind(name(cmd::PopConcepts), [desktop] { PopConcepts(*desktop); });
    commands.bind(name(cmd::PopItems), [desktop] { PopItems(*desktop); });
}

// ---- the layout of the cards ----

void wireLayoutCommands(TBillBoard& window)
{
    TDesktop* desktop = window.desktop();
    CommandRegistry& commands = window.commands();
    // The tool bar's height at the time of the command: the top line lies below it.
    auto toolBarHeight = [&window] { return window.toolBar() ? window.toolBar()->height() : 0; };
    commands.bind(name(cmd::SortOnDiagonal),
                  [=] { SortOnDiagonal(*desktop, toolBarHeight(), false); });
    commands.bind(name(cmd::TextSideUpDiagonally),
                  [=] { SortOnDiagonal(*desktop, toolBarHeight(), true); });
    auto bindTile = [&](const char* command, TileKind kind, bool extended) {
        commands.bind(name(command), [=] { Tile(*desktop, toolBarHeight(), kind, extended); });
    };
    bindTile(cmd::TileItems, TileKind::Items, false);
    bindTile(cmd::TileItemsExtended, TileKind::Items, true);
    bindTile(cmd::TileConcepts, TileKind::Concepts, false);
    bindTile(cmd::TileInflections, TileKind::Inflections, false);
    bindTile(cmd::TileFlywords, TileKind::Flywords, false);
}

// ---- the text search ----

void wireSearch(TBillBoard& window)
{
    TDesktop* desktop = window.desktop();
    CommandRegistry& commands = window.commands();
    auto toolBarHeight = [&window] { return window.toolBar() ? window.toolBar()->height() : 0; };
    commands.bind(name(cmd::FindItemsAndConcepts),
                  [=] { search::ItemTextSearch(*desktop, toolBarHeight()); });
    commands.bind(name(cmd::FindText),
                  [=] { search::FindTextFromToolBar(*desktop, toolBarHeight()); });
    commands.bind(name(cmd::ClearFindEntries), [] { search::ClearFindEntries(); });

    ShellHooks& shell = session().shell;
    // Called at the main window's first activation.
    shell.loadSearchEntries = [] {
        search::searchState().history = search::LoadFindEntries();
        TFind_Word::instance().refreshHistory();
        // The index of a large store takes a while to build: built beside the program once the
        // window shows, so that neither the window nor the first search waits for it.
        TBillBoard* window = mainWindow();
        if (!window) return;
        QTimer::singleShot(0, window, [] {
            Session& s = session();
            if (!s.store.db().isOpen() || !search::searchState().indexEnabled) return;
            search::ItemTextIndex& index = search::itemTextIndex();
            if (index.needsBuild()) {
                search::BuildTextIndexBeside(mainWindow());
                return;
            }
            s.messenger().setWaitCursor(true);
            index.ensureCurrent(s.store.db());
            s.messenger().setWaitCursor(false);
        });
    };
    // Written back at exit also from a stopped session: the texts are the user's.
    shell.saveSearchEntries = search::SaveFindEntriesAtExit;
}

// ---- word forms ----

void wireWordForms()
{
    dictionaryHooks().findInItemTexts = [](const QString& form) {
        TBillBoard* w = mainWindow();
        if (!w || !w->desktop()) return false;
        // The form goes into the Find dialog's input, which is not shown.
        TFind_Word::instance().setInputText(form);
        search::SearchRequest request;
        request.text = search::SearchTextFromInput(form);
        int toolBarHeight = w->toolBar() ? w->toolBar()->height() : 0;
        search::SearchOutcome outcome =
            search::ItemTextSearch(*w->desktop(), toolBarHeight, request);
        return !outcome.escaped;
    };
    itemHooks().wordLookup = [](TItem& card, const QString& selection, QPoint at) {
        search::ShowLookupMenu(card, selection, at, [] {
            if (TBillBoard* w = mainWindow()) w->commands().trigger(name(cmd::FindText));
        });
    };
}

// ---- projects ----

void wireProjectWindows(TBillBoard& window)
{
    TDesktop* desktop = window.desktop();
    window.commands().bind(name(cmd::NewProjectWindow),
                           [desktop] { NewProjectWindowClick(*desktop); });
    desktop->filesDropped = [desktop](const QStringList& paths, QPoint) {
        DropFilesOnDesktop(*desktop, paths);
    };
    window.commands().bind(name(cmd::GetUrl), [desktop] { GrabURL(*desktop); });
    QPointer<TBillBoard> guarded(&window);
    window.commands().bind(name(cmd::BrowserSetup), [guarded] { RunBrowserSetup(guarded); });
    WindowLayoutHooks& layout = session().shell.windows;
    layout.openProjectWindow = [](const ProjectWindowRestore& saved) {
        TDesktop* d = TDesktop::current();
        return d && OpenSavedProjectWindow(*d, saved);
    };
    layout.projectWindows = [] {
        TDesktop* d = TDesktop::current();
        return d ? OpenProjectWindows(*d) : std::vector<ProjectWindowRecord>();
    };
    // A printed outline: HTML in the program registered for it, text in the text viewer.
    outlineHooks().openDocument = [](const QString& path, bool html) {
        return html ? ShellAnyProgram(QStringLiteral("xdg-open"), path, TWState::wsNormalize)
                    : ViewFile(path);
    };
}

// Restore and merge of a backup package; the backup offer before a restore empties the store is
// restoreHooks().offerBackup, left for the backup's code.
void wireRestoreCommands(TBillBoard& window)
{
    QPointer<TBillBoard> guarded(&window);
    window.commands().bind(name(cmd::RestoreFromFile),
                           [guarded] { RestoreFromFileClick(guarded.data()); });
    window.commands().bind(name(cmd::AddAnotherDatabase),
                           [guarded] { AddAnotherDatabaseClick(guarded.data()); });
    // A restore empties the store: after its warnings, the backup offer of Clear All Data.
    restoreHooks().offerBackup = [] { return BackupBeforeEmptying(); };
}

// File > "Export Notes as Markdown…" and "Import Notes…": the store as a folder of notes.
void wireNotes(TBillBoard& window)
{
    QPointer<TBillBoard> guarded(&window);
    window.commands().bind(name(cmd::ExportNotes), [guarded] { ExportNotesClick(guarded.data()); });
    window.commands().bind(name(cmd::ImportNotes), [guarded] { ImportNotesClick(guarded.data()); });
}

}  // namespace

void WireDesktop()
{
    DesktopHooks& hooks = session().hooks;
    hooks.clearDesktop = [] {
        if (TDesktop* desktop = TDesktop::current()) ClearCards(*desktop, ClearCommand::Desktop);
    };
    hooks.scrollPosition = [] {
        TDesktop* desktop = TDesktop::current();
        return desktop ? desktop->scroll() : QPoint();
    };
}

void WireItemDesktop(TDesktop& desktop)
{
    desktop.foundItemHandler = ShowFoundItem;
    Session& s = session();
    s.hooks.updateItems = [] { UpdateItems(); };
    s.hooks.checkEmptyItems = [] { return CheckEmptyItemsOnDesktop(); };
    s.shell.desktopImageVisible = [] { return desktoppicture::Visible(); };
    QObject::connect(&desktop, &TDesktop::allCardsClearedDone, &desktop,
                     [] { desktoppicture::Hide(); });
    desktoppicture::Reset();
}

void WirePopulateDesktop(TDesktop& desktop, QWidget* keyWindow, std::function<void()> resetScreen)
{
    wirePopulateHooks(desktop);
    // Without the dictionary's own concept cards, through the placeConceptCard hook.
    itemHooks().newConceptCardForWord = NewConceptAtCreateSpot;
    InstallDesktopKeys(desktop, keyWindow, std::move(resetScreen));
}

// In the order the subsystems were built; the key filters of the dictionary and of populating
// go onto the application in this order too.
namespace {

// ---- backup and maintenance ----

void wireBackup(TBillBoard& window)
{
    CommandRegistry& c = window.commands();
    TDesktop* desktop = window.desktop();
    c.bind(name(cmd::BackUpToFile), [] { BackUpToFileClick(); });
    c.bind(name(cmd::ClearAllData), [] { Clearalldata1Click(); });
    c.bind(name(cmd::ClearAllTimeStamps), [] { Clearalltimestamps1Click(); });
    c.bind(name(cmd::ShowStatistics), [] { ShowStatisticsClick(); });
    c.bind(name(cmd::PrintAllItemTexts), [] { Printalltexttofile1Click(); });
    c.bind(name(cmd::FindDamagedItems), [desktop] { FindDamagedItemsOnDesktop(*desktop); });
    // A settings load starts the damaged-item test from the first item again.
    static const bool resetRegistered = [] {
        RegisterTransientReset([] { session().part<DamagedItemsResume>().position = 0; });
        return true;
    }();
    (void)resetRegistered;

    // The offer's timer ticks every minute; the counter decides, from the setting of the moment.
    auto* timer = new QTimer(&window);
    timer->setObjectName(QStringLiteral("TimerBackup"));
    timer->setInterval(60000);
    QPointer<QTimer> guarded(timer);
    QObject::connect(timer, &QTimer::timeout, timer, [guarded] {
        guarded->stop();
        TimerBackupTimer();
        if (guarded) guarded->start();
    });
    session().shell.stopTimers.push_back([guarded] {
        if (guarded) guarded->stop();
    });
    timer->start();
}

// ---- flywords and the clipboard capture ----

void wireFlywords(TBillBoard& window)
{
    window.commands().bind(name(cmd::NewFlyword), [] { SetUpFlyWordClick(); });
    FlywordHooks& hooks = flywordHooks();
    hooks.cleanText = [](const QString& text) { return CleanFileName(text, true); };
    hooks.findText = [] {
        if (TBillBoard* main = mainWindow()) main->commands().trigger(name(cmd::FindText));
    };
    hooks.setClipboardText = [](const QString& text) {
        if (QClipboard* c = QGuiApplication::clipboard()) c->setText(text);
        clipboardChanged();
    };
    // A double click on selected item text: the flyword carries the card's touch timestamp.
    itemHooks().makeFlyword = [](const QString& text, QPoint desktopPos, Timestamp touch) {
        if (TDesktop* d = TDesktop::current()) CreateFlyword(desktopPos - d->scroll(), text, touch);
    };
    populateState().hooks.flywordDrop = DropFlywordOnDesktop;
}

void wireCapture(TBillBoard& window)
{
    CommandRegistry& c = window.commands();
    auto capture = [](LineBreaks mode) {
        captureState().saveMode = mode;
        SaveClpToItem(mode, false);
    };
    c.bind(name(cmd::TraySaveClipboardAsItem), [=] { capture(LineBreaks::Keep); });
    c.bind(name(cmd::TraySaveClipboardNoCRs), [=] { capture(LineBreaks::Remove); });
    c.bind(name(cmd::TrayIconClick), [] { SaveClpToItem(captureState().saveMode, false); });
    c.bind(name(cmd::RemoveCRsFromClipboard), [] { SaveClpToItem(LineBreaks::Remove, true); });
    c.bind(name(cmd::TraySaveClipboardToImportFile), [] { AnnotateClipboard(true); });
    c.bind(name(cmd::ViewImportFile), [] { TfrmImpText::showWindow(); });
    session().shell.importedText = TfrmImpText::existingText;

    c.bind(name(cmd::EditCut), [] { RunEditCommand(EditCommand::Cut); });
    c.bind(name(cmd::EditCopy), [] { RunEditCommand(EditCommand::Copy); });
    c.bind(name(cmd::CopyFromTables), [] { RunEditCommand(EditCommand::Copy); });
    c.bind(name(cmd::EditPaste), [] { RunEditCommand(EditCommand::Paste); });
    c.bind(name(cmd::EditSelectAll), [] { RunEditCommand(EditCommand::SelectAll); });
    c.bind(name(cmd::EditSelectAndCopyAll), [] { RunEditCommand(EditCommand::SelectAndCopyAll); });
}

}  // namespace

namespace {

// ---- the Word Mill ----

// "&Analyze Item Text": the focused item text, all of it, through the clipboard into the Mill.
void analyzeItemText()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return;
    QWidget* focus = QApplication::focusWidget();
    auto* itemText = qobject_cast<TItemText*>(focus);
    if (itemText) {
        itemText->selectAll();
        clipboard->setText(itemText->cardText());
    } else if (auto* editor = qobject_cast<QPlainTextEdit*>(focus)) {
        if (editor->textCursor().hasSelection()) editor->copy();
    } else if (auto* line = qobject_cast<QLineEdit*>(focus)) {
        if (line->hasSelectedText()) line->copy();
    }
    if (clipboard->text().size() <= 10) return;
    if (!itemText) InfoMessage(QStringLiteral("This is not an Item Card Text"));
    TMill::instance().WordMillAnalyzeClick();
}

void wireWordMill(TBillBoard& window)
{
    CommandRegistry& commands = window.commands();
    commands.bind(name(cmd::WordMillWithClipboard), [] {
        TMill& mill = TMill::instance();
        mill.GetClipboardText();
        mill.showRestored();
    });
    commands.bind(name(cmd::DisplayWordMill), [] {
        TMill& mill = TMill::instance();
        mill.showNormal();
        mill.raise();
    });
    commands.bind(name(cmd::AnalyzeItemText), [] { analyzeItemText(); });
    session().shell.saveExclusionList = [] {
        if (TMill* mill = TMill::existing()) mill->saveExclusionList();
    };
    session().shell.hideWordMill = [] {
        if (TMill* mill = TMill::existing()) mill->hide();
    };
}

// ---- associations, rescheduling, packs and book mode ----

void wirePacks(TBillBoard& window)
{
    TDesktop* desktop = window.desktop();
    CommandRegistry& c = window.commands();
    itemHooks().associate = [](Timestamp previous, Timestamp current) {
        StoreAssociation(previous, current, session().clock().now());
    };
    session().hooks.reschedule = [](Timestamp item) { ScheduleItem(item); };
    InstallLasso(*desktop);

    PackHooks& packs = packHooks();
    packs.currentProject = [] { return projectState().current; };
    packs.newProject = [] {
        QWidget* parent = TBillBoard::instance();
        if (!RunNewProjectDialog(QString(), parent)) return QString();
        const QString project = projectState().lastNewName;
        RunUpdateProjectDialog(project, parent);
        return project;
    };
    packs.collectPack = [](TDesktop& d, const std::vector<CardData*>& pack,
                           const QString& project) {
        if (!CollectPack(d, pack, project)) PlainMessage(QStringLiteral("CollectPack failed"));
    };
    packs.editor = [] { SendClipboardToEditor(); };
    c.bind(name(cmd::BookMode), [desktop] { BookEncode(*desktop); });
    c.bind(name(cmd::StackBookText), [desktop] { StackBookText(*desktop); });
    c.bind(name(cmd::ClearBookText), [desktop] { ClearBookText(*desktop); });
    c.bindToggle(
        name(cmd::CompactPacks),
        [] {
            bool& compact = populateState().compactPacks;
            compact = !compact;
            return compact;
        },
        populateState().compactPacks);

    // One tick a minute; the tick stops the timer while it runs, so a slow one cannot overlap.
    auto* timer = new QTimer(&window);
    timer->setObjectName(QStringLiteral("TimerReSched"));
    timer->setInterval(60000);
    QPointer<QTimer> guarded(timer);
    QPointer<TDesktop> d(desktop);
    QObject::connect(timer, &QTimer::timeout, timer, [guarded, d] {
        guarded->stop();
        if (d) TimerReSchedTimer(*d);
        if (guarded && rescheduleState().on) guarded->start();
    });
    session().shell.stopTimers.push_back([guarded] {
        if (guarded) guarded->stop();
    });
    c.bindToggle(
        name(cmd::RescheduleItems),
        [guarded] {
            RescheduleState& state = rescheduleState();
            state.on = !state.on;
            if (guarded && state.on) guarded->start();
            if (guarded && !state.on) guarded->stop();
            return state.on;
        },
        rescheduleState().on);
    if (rescheduleState().on) timer->start();
}

// ---- XML files out and in ----

XmlItem xmlItemOf(const ItemCardData& card)
{
    XmlItem item{card.text, {}};
    for (const KeywordLink& link : card.keywords)
        item.keywords.push_back({link.word, link.conceptId});
    return item;
}

// "Export Desktop Items As &XML File": every item card, in reading order.
void exportDesktopItems(TDesktop& desktop)
{
    GarbageCollect(desktop, true);
    std::vector<CardData*> cards;
    for (TItem* card : desktop.cardsOf<TItem>())
        if (!card->data().deleted) cards.push_back(&card->data());
    std::vector<XmlItem> items;
    for (CardData* data : ReadingOrder(cards, {0, 0}))
        items.push_back(xmlItemOf(static_cast<const ItemCardData&>(*data)));
    ExportItemsAsXml(items);
}

// Appends what qbimport.txt held to the imported-text window and shows it while it holds text.
bool showImportedLines(const QString& lines)
{
    TfrmImpText* window = TfrmImpText::instance();
    if (!window) return false;
    QString add = lines;
    if (add.endsWith(QLatin1Char('\n'))) add.chop(1);
    if (!add.isEmpty()) window->text()->appendPlainText(add);
    const QString all = window->text()->toPlainText();
    const bool shown = std::any_of(all.begin(), all.end(), [](QChar c) { return c > u' '; });
    if (shown)
        TfrmImpText::showWindow();
    else
        window->hide();
    return shown;
}

// The folder of send target 1-3.
QString xmlTargetDir(int target) { return session().settings.xmlTargets[target - 1].dir; }

void wireXml(TBillBoard& window)
{
    TDesktop* desktop = window.desktop();
    itemHooks().sendAsXml = [](int target, const ItemCardData& card) {
        SendItemAsXml(xmlItemOf(card), xmlTargetDir(target));
    };
    dictionaryHooks().sendWordAsXml = [](int target, int wordNo) {
        SendWordAsXml(wordNo, xmlTargetDir(target));
    };
    dictionaryHooks().sendConceptAsXml = [](int target, Timestamp conceptId) {
        SendConceptAsXml(conceptId, xmlTargetDir(target));
    };
    window.commands().bind(name(cmd::ExportDesktopXml),
                           [desktop] { exportDesktopItems(*desktop); });

    // One file a tick, never before start-up has completed or after a fatal store error; the tick
    // stops the timer while it runs, and failures inside it are swallowed.
    auto* timer = new QTimer(&window);
    timer->setObjectName(QStringLiteral("TimerImport"));
    timer->setInterval(ImportTimerState::kFirstInterval);
    QPointer<QTimer> guarded(timer);
    QPointer<TBillBoard> main(&window);
    QObject::connect(timer, &QTimer::timeout, timer, [guarded, main] {
        guarded->stop();
        int interval = importTimerState().interval;
        if (main && main->firstActivationDone() && !session().flags.stopped()) {
            try {
                interval = ImportTimerTick(showImportedLines);
            } catch (const std::exception&) {
            }
        }
        if (guarded) guarded->start(interval);
    });
    session().shell.stopTimers.push_back([guarded] {
        if (guarded) guarded->stop();
    });
    timer->start();
}

}  // namespace

void WireMainWindow(TBillBoard& window)
{
    WireDesktop();
    wireWindowHooks();
    wireStore(window);
    wireDesktopCommands(window);
    wireDictionaryHooks();
    wireDictionaryCommands(window);
    wireExternalPrograms(window);
    WireItemDesktop(*window.desktop());
    wireItemHooks();
    wireItemCommands(window);
    wirePopulateHooks(*window.desktop());
    InstallDesktopKeys(*window.desktop(), &window, [&window] { window.ResetMainWindow(); });
    wirePopulateCommands(window);
    wireLayoutCommands(window);
    wireSearch(window);
    wireWordForms();
    wireProjectWindows(window);
    wireBackup(window);
    wireRestoreCommands(window);
    wireWordMill(window);
    wireFlywords(window);
    wireCapture(window);
    wirePacks(window);
    wireXml(window);
    wireNotes(window);
}

}  // namespace qb
