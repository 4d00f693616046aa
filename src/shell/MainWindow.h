#pragma once

#include <QMainWindow>
#include <QSet>

#include "shell/Startup.h"

class QLabel;
class QMenu;
class QPlainTextEdit;
class QSystemTrayIcon;
class QTimer;

namespace qb {

class CommandRegistry;
class RecoveryWriter;
class StatusBannerPanel;
class TDesktop;
class ToolBarPanel;

// The main window: tool bar, menu bar and the desktop of cards. Construction builds the frame
// and wires the subsystems to it (shell/Wiring.cpp); FormCreate and FormActivate do the start-up
// work and closing does the orderly shutdown.
class TBillBoard : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 10010;
    explicit TBillBoard(QWidget* parent = nullptr);
    ~TBillBoard() override;

    // The one main window of the run (null before it exists).
    static TBillBoard* instance();

    CommandRegistry& commands() { return *commands_; }
    TDesktop* desktop() const { return desktop_; }
    RecoveryWriter* recovery() const { return recovery_; }
    // The tool bar's logo panel: takes the focus so that no card holds it.
    QWidget* logoPanel() const;

    // Tool-bar parts that other subsystems fill in.
    ToolBarPanel* toolBar() const { return toolBar_; }
    QWidget* mapHost() const;              // the desktop map goes in here
    QPlainTextEdit* dateStampBox() const;  // the text stamped into new items ("*Date*")
    QString dateStampText() const;
    void setClipboardSizeText(const QString& text);
    void setExplodeIndicator(int mode);  // -1 Off, 0 On, 1 Maximum

    // The desktop pop-up menu. It opens on a right press on the empty desktop unless suppressed;
    // the lasso code may turn that off and open it itself on the release.
    QMenu* desktopMenu() const { return desktopMenu_; }
    void suppressDesktopMenuOnce() { menuSuppressed_ = true; }
    bool desktopMenuSuppressed() const { return menuSuppressed_; }
    void setDesktopMenuOnRightPress(bool on) { menuOnRightPress_ = on; }
    // Opens the menu at a screen point unless suppressed (which it clears); true when opened.
    bool openDesktopMenu(const QPoint& globalPos);
    QMenu* trayMenu() const { return trayMenu_; }

    // Status banner over the desktop (also session().hooks.showBanner / hideBanner).
    void showBanner(const QString& text);
    void hideBanner();
    StatusBannerPanel* banner() const { return banner_; }

    // Start-up and shutdown, by the names of the program's design.
    void FormCreate();
    void FormActivate();
    void BaseOpening();
    void SetDownWin();
    bool FormCloseQuery();
    void FormClose();
    void Exit1Click();
    void ResetMainWindow();
    void TimerDelayedEventsTimer();

    bool firstActivationDone() const { return firstActivationDone_; }
    bool windowsRestored() const { return windowsRestored_; }
    QTimer* delayedEventsTimer() const { return delayedEvents_; }
    const StoreFolders& folders() const { return folders_; }

    // Check marks of the option entries from the settings.
    void refreshMenuMarks();
    bool hintsShown() const { return hintsShown_; }
    void setHintsShown(bool shown);

    // Information files that changed since they were last shown, each shown once.
    void showInformationFiles();
    void showReleaseNotes();

    bool wallpaperShown() const;
    void showWallpaper(const QImage& image);
    void hideWallpaper();

    void restoreFromTray();

Q_SIGNALS:
    // The window has closed for good (after FormClose).
    void closedDown();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    QAction* entry(QMenu* menu, const char* command, const QString& caption,
                   const QKeySequence& shortcut = QKeySequence(), bool hidden = false);
    void buildDesktopMenu();
    void buildTrayMenu();
    void bindShellCommands();
    void bindToggleOption(const char* command, int toggle);
    void bindWebCommands();
    void editIniFile();
    void wallpaperFromClipboard();
    void wallpaperClear();
    void loadWallpaper();
    void contextHelp();
    void openAddress(const QString& url);
    QString reportAddress() const;
    void applySavedGeometry();
    void applyDesktopColour();

    CommandRegistry* commands_;
    TDesktop* desktop_;
    RecoveryWriter* recovery_ = nullptr;
    ToolBarPanel* toolBar_;
    StatusBannerPanel* banner_;
    QLabel* wallpaper_;
    QMenu* desktopMenu_ = nullptr;
    QAction* desktopImageSeparator_ = nullptr;
    QList<QAction*> desktopImageEntries_;
    QMenu* trayMenu_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
    QTimer* delayedEvents_;
    QSet<QString> placed_;
    StoreFolders folders_;

    bool menuSuppressed_ = false;
    bool menuOnRightPress_ = true;
    bool hintsShown_ = true;
    bool firstActivationDone_ = false;
    bool windowsRestored_ = false;
    bool activating_ = false;
    bool safetyStopShown_ = false;
    bool repaintFlag_ = false;
    bool closedDown_ = false;
};

}  // namespace qb
