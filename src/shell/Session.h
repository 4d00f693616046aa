#pragma once

#include "shell/Settings.h"
#include "shell/ShellHooks.h"
#include "store/Store.h"
#include "store/Timestamps.h"

#include <QPoint>
#include <QString>

#include <functional>
#include <memory>

namespace qb {

class Clock;
class Messenger;

// What core code asks of the desktop. The desktop program fills these in; until a subsystem
// exists (and in the CLI and core tests) each is a no-op that reports success.
struct DesktopHooks {
    std::function<void(const QString&)> showBanner;   // status banner over the desktop
    std::function<void()> hideBanner;
    std::function<void()> clearDesktop;               // every card dropped and freed
    std::function<void()> baseOpening;                // restore the saved windows
    std::function<void()> setDownWin;                 // save the window layout
    std::function<void()> updateItems;                // commit every changed card
    std::function<bool()> checkEmptyItems;            // true when no item card lacks a keyword
    std::function<QPoint()> scrollPosition;           // desktop scroll positions
    std::function<void(Timestamp)> reschedule;        // queue an item for rescheduling

    void banner(const QString& text) const { if (showBanner) showBanner(text); }
    void noBanner() const { if (hideBanner) hideBanner(); }
    void clear() const { if (clearDesktop) clearDesktop(); }
    void restoreWindows() const { if (baseOpening) baseOpening(); }
    void saveWindows() const { if (setDownWin) setDownWin(); }
    void commit() const { if (updateItems) updateItems(); }
    bool itemsHaveKeywords() const { return checkEmptyItems ? checkEmptyItems() : true; }
    QPoint scroll() const { return scrollPosition ? scrollPosition() : QPoint(); }
};

// Program-wide state of one run: the store directory, the settings record, the store
// connection, the flags every long operation consults, and the messenger and clock in use.
class Session {
public:
    static Session& instance();

    Session();
    ~Session();

    // Store directory without and with the trailing separator.
    QString dir() const { return dir_; }
    QString dirWithSeparator() const;
    void setDir(const QString& dir);
    // Path of a file in the store directory, matched without regard to case.
    QString filePath(const QString& name) const;
    QString iniPath() const { return filePath(QStringLiteral("qb.ini")); }

    Messenger& messenger() { return *messenger_; }
    void setMessenger(Messenger* messenger);
    Clock& clock() { return *clock_; }
    void setClock(Clock* clock);

    Settings settings;
    Store store;
    TimestampGenerator timestamps;

    // Set when the store cannot be used safely for the rest of the run.
    bool stopFlag = false;
    // Esc pressed on the desktop, or a failure inside a bulk operation.
    bool escRequest = false;
    // The abort flag of a running populate (held until a key or mouse release clears it).
    bool heldAbort = false;
    bool commitRunning = false;
    bool closing = false;
    bool inconsistency = false;
    bool pictureTableAvailable = true;
    // "[" + date + "]" last stamped into a new item; the emptiness test of item cards uses it.
    QString dateStamp;
    // Set when a card changed since the last collection.
    bool desktopDirty = false;
    QString version() const { return QStringLiteral(QUILLBOX_VERSION); }

    DesktopHooks hooks;
    // What start-up and shutdown ask of the subsystems (ShellHooks.h).
    ShellHooks shell;

    // Called after every message, to clear the desktop's in-progress marks (drag, scroll lock).
    std::function<void()> clearOperationMarks;

    // Returns every flag and hook to its start state (tests, a new run).
    void resetRunState();

private:
    QString dir_;
    Messenger* messenger_;
    Clock* clock_;
    std::unique_ptr<Messenger> defaultMessenger_;
    std::unique_ptr<Clock> defaultClock_;
};

inline Session& session() { return Session::instance(); }

// A new timestamp from the run's generator.
Timestamp GetQBTS();
// A change mark (ITS, CTS) for bulk writes; see TimestampGenerator::nextMark().
Timestamp GetQBTSMark();

}  // namespace qb
