#include "shell/MainWindow.h"

#include "session/DataChecks.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "backup/Backup.h"
#include "cards/Desktop.h"
#include "desktop/RecoveryWriter.h"
#include "floor/HelpTopic.h"
#include "floor/Messages.h"
#include "platform/Colors.h"
#include "platform/FileNames.h"
#include "platform/IniFile.h"
#include "session/Session.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/HelpWindow.h"
#include "shell/InformationWindow.h"
#include "shell/StatusBannerPanel.h"
#include "shell/TerminationRequests.h"
#include "shell/ToolBarPanel.h"
#include "shell/WindowLayout.h"
#include "shell/Wiring.h"
#include "store/Schema.h"

namespace qb {

namespace {

TBillBoard* theMainWindow = nullptr;

constexpr int kDelayedEventsMs = 3000;

// Holds the tool bar at its natural width; a narrow window cuts it off at the right instead of
// refusing to get narrower.
class ClipHost : public QWidget {
public:
    using QWidget::QWidget;
    void setChild(QWidget* child)
    {
        child_ = child;
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setFixedHeight(child->sizeHint().height());
    }
    QSize sizeHint() const override { return child_ ? child_->sizeHint() : QSize(); }
    QSize minimumSizeHint() const override
    {
        return QSize(0, child_ ? child_->sizeHint().height() : 0);
    }

protected:
    void resizeEvent(QResizeEvent*) override
    {
        if (child_)
            child_->setGeometry(0, 0, qMax(width(), child_->minimumSizeHint().width()), height());
    }

private:
    QWidget* child_ = nullptr;
};

QString windowCaption()
{
    return QStringLiteral("QUILLBOX 2000  ") + session().version().left(3) + QStringLiteral("   ");
}

}  // namespace

TBillBoard::TBillBoard(QWidget* parent)
    : QMainWindow(parent), commands_(new CommandRegistry(this)), desktop_(new TDesktop(this))
{
    theMainWindow = this;
    setObjectName(QStringLiteral("BillBoard"));
    SetHelpTopic(this, kHelpContext);
    HelpWindow::installHelpKey();
    setWindowTitle(windowCaption());

    auto* toolHost = new ClipHost(this);
    toolBar_ = new ToolBarPanel(*commands_, toolHost);
    toolHost->setChild(toolBar_);
    auto* bar = addToolBar(QStringLiteral("Tools"));
    bar->setObjectName(QStringLiteral("toolBar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->addWidget(toolHost);

    setCentralWidget(desktop_);
    wallpaper_ = new QLabel(desktop_->surface());
    wallpaper_->setObjectName(QStringLiteral("wallpaper"));
    wallpaper_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    wallpaper_->setGeometry(0, 0, TDesktop::kSize, TDesktop::kSize);
    wallpaper_->setAttribute(Qt::WA_TransparentForMouseEvents);
    wallpaper_->hide();
    banner_ = new StatusBannerPanel(desktop_);

    delayedEvents_ = new QTimer(this);
    delayedEvents_->setInterval(kDelayedEventsMs);
    connect(delayedEvents_, &QTimer::timeout, this, &TBillBoard::TimerDelayedEventsTimer);

    desktop_->surface()->installEventFilter(this);
    qApp->installEventFilter(this);

    buildMenus();
    buildDesktopMenu();
    buildTrayMenu();
    bindShellCommands();

    WireMainWindow(*this);
    bindWebCommands();
    recovery_ = new RecoveryWriter(*desktop_, this);
}

TBillBoard::~TBillBoard()
{
    if (theMainWindow != this) return;
    theMainWindow = nullptr;
}

TBillBoard* TBillBoard::instance() { return theMainWindow; }

QWidget* TBillBoard::logoPanel() const { return toolBar_->logoPanel(); }
QWidget* TBillBoard::mapHost() const { return toolBar_->mapHost(); }
QPlainTextEdit* TBillBoard::dateStampBox() const { return toolBar_->dateStampBox(); }
QString TBillBoard::dateStampText() const { return toolBar_->dateStampText(); }
void TBillBoard::setClipboardSizeText(const QString& text) { toolBar_->setClipboardSizeText(text); }

void TBillBoard::setExplodeIndicator(int mode)
{
    toolBar_->setExplodeIndicator(mode, session().settings.plusMinusExplodeSign);
}

void TBillBoard::showBanner(const QString& text) { banner_->showText(text); }
void TBillBoard::hideBanner() { banner_->hideBanner(); }

// ---- start-up ----

void TBillBoard::FormCreate()
{
    Session& s = session();
    s.flags.clearStop();
    const QString dir = s.dir();
    setWindowTitle(windowCaption());
    if (tray_) tray_->setToolTip((QStringLiteral("QB in ") + dir).left(63));

    // The store is opened before anything is written into its directory, so that a store that
    // cannot be used ends the run without a trace.
    if (files::exists(dir, QStringLiteral("DICT.DB"))) {
        QString error;
        if (!s.store.open(dir, &error)) {
            PlainMessage(QStringLiteral("The store in ") + dir +
                         QStringLiteral(" cannot be opened:\r\n") + error +
                         QStringLiteral("\r\nQuillbox ends without changing it."));
            s.flags.requestStop();
        }
    } else {
        // A system error always shows its code, so the text in the code's place is seen too.
        ShowInfo(QStringLiteral("Database not found"),
                 QStringLiteral("Error in database operations.  The QB Program was deactivated. "
                                "Please close windows and exit "),
                 kSystemError, 30160);
    }

    if (!s.flags.stopped()) {
        WriteBatchFiles(dir);
        RemoveAbandonedBackupWork(dir);
    }
    if (s.store.isOpen()) {
        s.pictureTableAvailable = s.store.isAttached(QStringLiteral("SHOW"));
        if (!s.store.isAttached(QStringLiteral("SCHED"))) CreateSched();
    } else {
        s.pictureTableAvailable = false;
    }

    if (!s.flags.stopped()) {
        ReadIniFile();
        refreshMenuMarks();
        if (s.settings.webBrowser.trimmed().isEmpty())
            ShowInfo(
                QStringLiteral("Pls remember to set the Web Browser type in the Installation menu"),
                QString(), kInformation, 50030);
        toolBar_->directoryPicture()->setToolTip(QStringLiteral("Database Location: ") + dir);
        folders_ = CreateStoreFolders(dir);
        applyDesktopColour();
        loadWallpaper();
        applySavedGeometry();
        s.messenger().processEvents();
    }
    toolBar_->resetDateStamp();
    delayedEvents_->start();
}

void TBillBoard::applyDesktopColour()
{
    QWidget* surface = desktop_->surface();
    QPalette p = surface->palette();
    p.setColor(QPalette::Window, colors::toQColor(session().settings.backgrColor, palette()));
    surface->setPalette(p);
    desktop_->viewport()->setPalette(p);
}

void TBillBoard::applySavedGeometry()
{
    const Settings& s = session().settings;
    QRect wanted(s.clientLeft, s.clientTop, qMax(200, s.clientWidth), qMax(150, s.clientHeight));
    // A place on a screen that is no longer there would leave the window out of reach.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect avail = screen->availableVirtualGeometry();
        if (!avail.intersects(wanted.adjusted(0, 0, -wanted.width() + 80, -wanted.height() + 40)))
            wanted.moveTopLeft(avail.topLeft());
    }
    resize(wanted.size());
    move(wanted.topLeft());
    if (s.clientMaximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void TBillBoard::loadWallpaper()
{
    const QString name = session().settings.wallPaperFileName.trimmed();
    if (name.isEmpty() || name.compare(QStringLiteral("NOIMAGE"), Qt::CaseInsensitive) == 0) return;
    const QString path =
        QFileInfo(name).isAbsolute() ? name : files::resolve(session().dir(), name);
    if (!QFileInfo(path).isFile()) return;
    QImage image(path);
    if (image.isNull()) {
        ShowInfo(name + QStringLiteral(" wallpaper file not found"), QStringLiteral("qb748"),
                 kError, 50110);
        return;
    }
    showWallpaper(image);
}

bool TBillBoard::wallpaperShown() const { return wallpaper_->isVisibleTo(desktop_->surface()); }

void TBillBoard::showWallpaper(const QImage& image)
{
    wallpaper_->setPixmap(QPixmap::fromImage(image));
    wallpaper_->show();
    wallpaper_->lower();
}

void TBillBoard::hideWallpaper()
{
    wallpaper_->hide();
    wallpaper_->clear();
}

void TBillBoard::FormActivate()
{
    if (activating_ || closedDown_) return;
    activating_ = true;
    Session& s = session();
    s.messenger().setWaitCursor(true);
    if (!firstActivationDone_) {
        if (DirectoryPathTooLong(s.dirWithSeparator())) {
            s.flags.requestStop();
            PlainMessage(QStringLiteral("Directory path too long: ") + s.dir());
            firstActivationDone_ = true;
            activating_ = false;
            close();
            return;
        }
        ResetMainWindow();
        toolBar_->mapHost()->setToolTip(QStringLiteral("Desktop 2000x2000 - click to reposition"));
        commands_->action(QString::fromLatin1(cmd::ViewImportFile))
            ->setText(QStringLiteral("&View qbimport.txt"));
        commands_->action(QString::fromLatin1(cmd::TraySaveClipboardToImportFile))
            ->setText(QStringLiteral("Save Clipboard Text to qbimport.txt"));
        repaint();
        if (s.shell.dataChecks) s.shell.dataChecks();
        if (s.shell.loadSearchEntries) s.shell.loadSearchEntries();

        // Recordings start from the empty sound; without both files sound stays off.
        if (s.settings.audioEnabled) {
            const QString empty = files::resolve(s.dir(), QStringLiteral("empty.wav"));
            const QString recording = files::resolve(s.dir(), QStringLiteral("new.wav"));
            if (QFileInfo::exists(empty)) {
                QFile::remove(recording);
                QFile::copy(empty, recording);
            }
            s.settings.audioEnabled = QFileInfo::exists(empty) && QFileInfo::exists(recording);
        }

        commands_->trigger(QString::fromLatin1(cmd::RefreshClipboardSize));
        const int bar = s.settings.appWindowScrollbarWidth;
        if (bar >= 10 && bar <= 30) {
            desktop_->verticalScrollBar()->setFixedWidth(bar);
            desktop_->horizontalScrollBar()->setFixedHeight(bar);
        }
        if (!s.settings.extraFeatures)
            commands_->action(QString::fromLatin1(cmd::CompactPacks))->setVisible(false);

        s.messenger().processEvents();
        logoPanel()->setFocus();
        if (s.flags.stopped()) {
            firstActivationDone_ = true;
            activating_ = false;
            s.messenger().setWaitCursor(false);
            close();
            return;
        }
        s.messenger().setWaitCursor(false);
        showInformationFiles();
        // The multi-user lock-file warning has nothing to look for: the store has no shared mode.
        firstActivationDone_ = true;
        recovery_->offerRecovery();
    }
    // An activation inside a running backup or clear (a dialog of it closed) would open the saved
    // windows again while the desktop is being emptied; the operation restores them itself.
    if (!windowsRestored_ && !s.layoutDown.entered()) BaseOpening();
    s.messenger().setWaitCursor(false);
    activating_ = false;
}

void TBillBoard::showInformationFiles()
{
    Session& s = session();
    IniFile ini;
    if (!ini.load(s.iniPath())) {
        PlainMessage(QStringLiteral("Fails: VerifyInfoFileRead"));
        return;
    }
    for (const InformationFile& f : ChangedInformationFiles(s.dir(), ini)) {
        QString text;
        if (!files::readTextFile(f.path, &text)) {
            PlainMessage(QStringLiteral("Fails: ReadOnceOnly: ") + QFileInfo(f.path).fileName());
            continue;
        }
        InformationWindow::showText(text, true, this);
        MarkInformationShown(s.iniPath(), f);
    }
}

void TBillBoard::showReleaseNotes()
{
    Session& s = session();
    const QString name = QStringLiteral("QBbeta_mods-history.txt");
    InformationFile f = InformationFileOf(s.dir(), name);
    QString text;
    if (!f.stamp.isEmpty() && files::readTextFile(f.path, &text)) {
        InformationWindow::showText(text, false, this);
        MarkInformationShown(s.iniPath(), f);
        return;
    }
    // Without notes of its own the store shows those that came with the program.
    if (files::readTextFile(files::shareDir() + QStringLiteral("/help/") + name, &text)) {
        InformationWindow::showText(text, false, this);
        return;
    }
    ShowInfo(QStringLiteral("The release notes ") + name + QStringLiteral(" were not found"),
             QString(), kInformation, 80020);
}

void TBillBoard::BaseOpening()
{
    Session& s = session();
    if (s.flags.stopped()) return;
    IniFile ini;
    if (!ini.load(s.iniPath())) {
        PlainMessage(QStringLiteral("General error when loading windows settings from ini-file"));
    } else {
        QScreen* screen = QGuiApplication::primaryScreen();
        const int screenWidth = screen ? screen->geometry().width() : 1024;
        RestoreWindowLayout(ini, s.settings, screenWidth, toolBar_->height(), s.shell.windows);
    }
    windowsRestored_ = true;
}

void TBillBoard::SetDownWin()
{
    windowsRestored_ = false;
    Session& s = session();
    // A stopped session leaves qb.ini as it was, layout included.
    if (!s.settings.saveToIniFileOnExit || s.flags.stopped()) return;
    ResetMainWindow();
    IniFile ini;
    if (!ini.load(s.iniPath())) return;
    QString outlines = folders_.outlines.isEmpty() ? files::resolve(s.dir(), QStringLiteral("outl"))
                                                   : folders_.outlines;
    SaveWindowLayout(ini, s.shell.windows, outlines);
    if (ini.isDirty()) ini.save();  // a failure ends the save silently
}

void TBillBoard::ResetMainWindow()
{
    desktop_->scrollTo(0, 0);
    desktop_->update();
}

// ---- timers ----

void TBillBoard::TimerDelayedEventsTimer()
{
    Session& s = session();
    if (s.flags.stopped()) {
        toolBar_->showStopPicture(true);
        if (!safetyStopShown_) {
            safetyStopShown_ = true;
            // Messages are suppressed while stopped; this one must get through.
            s.flags.clearStop();
            ShowInfo(SafetyStopText(), QStringLiteral("qb6109"), kInformation, 40060);
            s.flags.requestStop();
        }
    }
    if (repaintFlag_) {
        repaintFlag_ = false;
        commands_->trigger(QString::fromLatin1(cmd::RefreshClipboardSize));
    }
}

// ---- shutdown ----

bool TBillBoard::FormCloseQuery()
{
    Session& s = session();
    if (s.shell.saveExclusionList) s.shell.saveExclusionList();
    const bool wasVisible = isVisible();
    showBanner(QStringLiteral("Closing down"));
    hide();
    s.messenger().setWaitCursor(true);
    s.hooks.commit();
    s.messenger().processEvents();

    if (s.flags.stopped()) {
        showBanner(QStringLiteral("Closing down - A system error was reported"));
    } else if (TerminationRequests::requested() || s.hooks.itemsHaveKeywords() ||
               (s.inconsistency &&
                AskNoDefault(QStringLiteral("Inconsistency check; Do you still want to quit?"),
                             40020))) {
        s.hooks.commit();
    } else {
        hideBanner();
        s.inconsistency = true;
        if (wasVisible) show();
        s.messenger().setWaitCursor(false);
        return false;
    }

    s.flags.beginClosing();
    if (s.shell.hideWordMill) s.shell.hideWordMill();
    delayedEvents_->stop();
    for (const auto& stop : s.shell.stopTimers) stop();
    s.messenger().setWaitCursor(true);
    SetDownWin();
    if (s.shell.saveSearchEntries) s.shell.saveSearchEntries();
    const bool normal = !isMaximized() && !isMinimized();
    const QRect g = normal ? geometry() : normalGeometry();
    s.settings.clientHeight = g.height();
    s.settings.clientWidth = g.width();
    // The place of the normal window, so that leaving the maximised state later lands there.
    s.settings.clientLeft = normal ? pos().x() : g.x();
    s.settings.clientTop = normal ? pos().y() : g.y();
    s.settings.clientMaximized = isMaximized();
    WriteBackIniFile();
    s.messenger().setWaitCursor(false);
    return true;
}

void TBillBoard::FormClose()
{
    Session& s = session();
    recovery_->finish();
    s.flags.clearEscape();
    s.flags.releaseAbort();
    s.commitRunning.lower();
    if (s.clearOperationMarks) s.clearOperationMarks();
    desktop_->setTakesInput(true);
    if (s.shell.clearCardMarks) s.shell.clearCardMarks();

    // Text still in the imported-text window goes back into qbimport.txt.
    const QString imported = s.shell.importedText ? s.shell.importedText() : QString();
    if (!imported.trimmed().isEmpty()) {
        const QString path = files::resolve(s.dir(), QStringLiteral("qbimport.txt"));
        QString old;
        QStringList lines;
        if (QFileInfo::exists(path) && files::readTextFile(path, &old)) {
            lines = old.split(QLatin1Char('\n'));
            if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
            lines << QString();
        }
        QString text = imported;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        lines << text.split(QLatin1Char('\n'));
        files::writeTextFile(path, lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    }
    HelpWindow::closeAll();
    if (tray_) tray_->hide();
    hide();
    banner_->hideBanner();
    closedDown_ = true;
    Q_EMIT closedDown();
}

void TBillBoard::closeEvent(QCloseEvent* event)
{
    if (closedDown_) {
        event->accept();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TBillBoard::Exit1Click()
{
    try {
        close();
    } catch (...) {
        PlainMessage(QStringLiteral("Unidentified error on closing - 1"));
    }
}

// ---- window events ----

bool TBillBoard::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::WindowActivate:
        repaintFlag_ = true;
        // The first activation is queued, so that it runs once the window is on the screen.
        QTimer::singleShot(0, this, [this] {
            if (isVisible()) FormActivate();
        });
        break;
    case QEvent::Paint: repaintFlag_ = true; break;
    default: break;
    }
    return QMainWindow::event(e);
}

void TBillBoard::changeEvent(QEvent* e)
{
    QMainWindow::changeEvent(e);
    if (e->type() != QEvent::WindowStateChange) return;
    if (isMinimized() && firstActivationDone_ && tray_ &&
        QSystemTrayIcon::isSystemTrayAvailable()) {
        QTimer::singleShot(0, this, [this] {
            tray_->show();
            hide();
        });
    }
}

void TBillBoard::restoreFromTray()
{
    if (tray_) tray_->hide();
    showNormal();
    raise();
    activateWindow();
}

bool TBillBoard::openDesktopMenu(const QPoint& globalPos)
{
    // A right click on a close sign asks the desktop not to open its menu on that release.
    if (desktop_->takePopupSuppression()) menuSuppressed_ = true;
    if (menuSuppressed_) {
        menuSuppressed_ = false;
        return false;
    }
    desktopMenu_->popup(globalPos);
    return true;
}

bool TBillBoard::eventFilter(QObject* watched, QEvent* e)
{
    switch (e->type()) {
    case QEvent::ToolTip:
        if (!hintsShown_) {
            auto* w = qobject_cast<QWidget*>(watched);
            if (w && w->window() == this) return true;
        }
        break;
    case QEvent::KeyRelease: {
        auto* w = qobject_cast<QWidget*>(watched);
        auto* key = static_cast<QKeyEvent*>(e);
        // Key events also go to the window system's windows, which are not widgets.
        const bool receiver = w && (w == QApplication::focusWidget() || w == this);
        if (receiver && w->window() == this && (key->modifiers() & Qt::ControlModifier) &&
            !key->isAutoRepeat())
            commands_->trigger(QString::fromLatin1(cmd::RefreshClipboardSize));
        break;
    }
    case QEvent::MouseButtonPress:
        if (watched == desktop_->surface() && menuOnRightPress_ && desktop_->takesInput()) {
            auto* m = static_cast<QMouseEvent*>(e);
            if (m->button() == Qt::RightButton &&
                !desktop_->surface()->childAt(m->position().toPoint())) {
                openDesktopMenu(m->globalPosition().toPoint());
                return true;
            }
        }
        break;
    default: break;
    }
    return QMainWindow::eventFilter(watched, e);
}

void TBillBoard::setHintsShown(bool shown) { hintsShown_ = shown; }

}  // namespace qb
