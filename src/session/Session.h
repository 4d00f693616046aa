#pragma once

#include "floor/RunContext.h"
#include "floor/RunGuard.h"
#include "session/ShellHooks.h"
#include "store/Store.h"
#include "store/Timestamps.h"

#include <QPoint>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <typeindex>

namespace qb {

class Clock;
class Messenger;

// What core code asks of the desktop. The desktop program fills these in; until a subsystem
// exists (and in the CLI and core tests) each is a no-op that reports success. "Wiring" below is
// shell/Wiring.cpp.
struct DesktopHooks {
    std::function<void(const QString&)> showBanner;  // status banner over the desktop; Wiring
    std::function<void()> hideBanner;                // Wiring
    std::function<void()> clearDesktop;              // every card dropped and freed; Wiring
    std::function<void()> baseOpening;               // restore the saved windows; Wiring
    std::function<void()> setDownWin;                // save the window layout; Wiring
    std::function<void()> updateItems;               // commit every changed card; Wiring
    std::function<bool()> checkEmptyItems;      // true when no item card lacks a keyword; Wiring
    std::function<QPoint()> scrollPosition;     // desktop scroll positions; Wiring
    std::function<void(Timestamp)> reschedule;  // queue an item for rescheduling; Wiring

    void banner(const QString& text) const
    {
        if (showBanner) showBanner(text);
    }
    void noBanner() const
    {
        if (hideBanner) hideBanner();
    }
    void clear() const
    {
        if (clearDesktop) clearDesktop();
    }
    void restoreWindows() const
    {
        if (baseOpening) baseOpening();
    }
    void saveWindows() const
    {
        if (setDownWin) setDownWin();
    }
    void commit() const
    {
        if (updateItems) updateItems();
    }
    bool itemsHaveKeywords() const { return checkEmptyItems ? checkEmptyItems() : true; }
    QPoint scroll() const { return scrollPosition ? scrollPosition() : QPoint(); }
};

// The state of one run above the floor: the store connection, the timestamp generator, the
// hooks into the desktop and what the subsystems keep between calls (part()). The directory,
// settings, messenger, clock and control flags live in the floor's RunContext; Session gives
// them under the names the code has always used (the flags as `flags`).
class Session {
public:
    static Session& instance();

    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    QString dir() const { return run_.dir(); }
    QString dirWithSeparator() const { return run_.dirWithSeparator(); }
    void setDir(const QString& dir) { run_.setDir(dir); }
    QString filePath(const QString& name) const { return run_.filePath(name); }
    QString iniPath() const { return run_.iniPath(); }

    Messenger& messenger() { return run_.messenger(); }
    void setMessenger(Messenger* messenger) { run_.setMessenger(messenger); }
    Clock& clock() { return run_.clock(); }
    void setClock(Clock* clock);
    QString version() const { return run_.version(); }

private:
    RunContext& run_;

public:
    Settings& settings;
    Store store;
    TimestampGenerator timestamps;

    RunFlags& flags;
    // Raised while a commit or a populate run holds the store; collections and drops wait.
    RunMark commitRunning;
    // Entered while an operation has the window layout taken down (saved and cleared) and puts it
    // back itself: a window activation meanwhile must not restore it in the middle.
    RunMark layoutDown;
    bool inconsistency = false;
    bool pictureTableAvailable = true;
    // "[" + date + "]" last stamped into a new item; the emptiness test of item cards uses it.
    QString dateStamp;
    // Set when a card changed since the last collection.
    bool desktopDirty = false;

    DesktopHooks hooks;
    // What start-up and shutdown ask of the subsystems (ShellHooks.h).
    ShellHooks shell;

    std::function<void()>& clearOperationMarks;

    // The state a subsystem above the session keeps for the run, made on first use. The session
    // cannot name those types, so they are found by type.
    template <class T> T& part();

    // Returns every flag and hook to its start state and drops every subsystem's state (tests,
    // a new run).
    void resetRunState();

private:
    struct PartHolder {
        virtual ~PartHolder() = default;
    };
    template <class T> struct Part : PartHolder {
        T value;
    };
    std::map<std::type_index, std::unique_ptr<PartHolder>> parts_;

    void dropParts();
};

template <class T> T& Session::part()
{
    std::unique_ptr<PartHolder>& slot = parts_[std::type_index(typeid(T))];
    if (!slot) slot = std::make_unique<Part<T>>();
    return static_cast<Part<T>*>(slot.get())->value;
}

inline Session& session() { return Session::instance(); }

// A new timestamp from the run's generator.
Timestamp GetQBTS();
// A change mark (ITS, CTS) for bulk writes; see TimestampGenerator::nextMark().
Timestamp GetQBTSMark();

}  // namespace qb
