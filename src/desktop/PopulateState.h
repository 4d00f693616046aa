#pragma once

#include "floor/RunGuard.h"
#include "store/Timestamps.h"

#include <QPoint>
#include <QString>

#include <functional>
#include <optional>

class QTimer;

namespace qb {

struct DragPayload;

// The safety net of a populate run: a one-shot timer that every set routine starts. When it
// fires, the desktop takes input again and, unless a commit runs, the held abort goes, so a run
// ended by a failure never leaves the desktop dead.
class DesktopLock {
public:
    static constexpr int kIntervalMs = 10000;

    DesktopLock() = default;
    ~DesktopLock();
    DesktopLock(const DesktopLock&) = delete;
    DesktopLock& operator=(const DesktopLock&) = delete;

    void start();
    void stop();
    bool isActive() const;
    int interval() const { return interval_; }
    // Tests shorten the wait; the program keeps the ten seconds.
    void setInterval(int ms);
    // What the timeout does (also called by the timer).
    void fire();

private:
    QTimer* timer();
    QTimer* timer_ = nullptr;
    int interval_ = kIntervalMs;
};

// What populating asks of subsystems built apart from it. Each is optional.
struct PopulateHooks {
    // Holds or gives back the desktop's input (a run in progress takes none). Set in
    // shell/Wiring.cpp.
    std::function<void(bool enabled)> enableDesktop;
    // Restores the stored item order of a project before its items are read. Not set yet: the
    // projects will.
    std::function<void(const QString& project)> restoreProjectOrder;
    // A flyword dropped on the desktop at a visible point; true when it was taken. Not set yet:
    // the flywords will.
    std::function<bool(const DragPayload& payload, QPoint visible)> flywordDrop;
    // Ends the program at once (an error whose text holds "API"). Missing: std::_Exit. Not set.
    std::function<void()> endProgram;
};

// The program-wide state of populating the desktop.
struct PopulateState {
    // Raised during a drop and during Connections; every key press and release lowers it. While
    // it is up, a concept set leaves the Esc request as it found it at its end.
    bool loading = false;
    // "Compact Packs": the items of a set step 2 x 2 pixels instead of the stored offsets.
    bool compactPacks = false;
    // Counts Esc presses. A quick press and release both arrive between two cards, and the
    // release clears the Esc request again; the loops compare this count instead.
    int escPresses = 0;
    // The concept of the card set up last.
    std::optional<Timestamp> currentConcept;
    // Step letters of the item card set up last; shown in the failure messages.
    QString trace;
    DesktopLock lock;
    PopulateHooks hooks;

    void enableDesktop(bool enabled) const
    {
        if (hooks.enableDesktop) hooks.enableDesktop(enabled);
    }
};

// The run's populate state, made on first use; Session::resetRunState drops it.
PopulateState& populateState();

// A key press on the main window: the Esc request and the loading flag go, CommitRunning is
// lowered, the desktop takes input and the cursor is normal again. Esc then sets the Esc request
// and the held abort.
void KeyPressFlags(bool escape);
// A key release: the Esc request and the loading flag go.
void KeyReleaseFlags();

// Whether a running loop must stop: the Esc request, the stop flag, an Esc press since the loop
// began (escPressesAtStart), or the abort held since then (a failure in the loop: the release of
// the key that closed its message clears the Esc request, not the held abort).
bool PopulateStopRequested(int escPressesAtStart, bool abortHeldAtStart);

// One populate run in progress: CommitRunning up, the desktop taking no input, the lock timer
// started. Runs nest (the items of each concept inside a concept set): a nested run raises
// CommitRunning again and restarts the timer, and the last one to end lowers it and gives the
// desktop its input back.
class PopulateRun {
public:
    PopulateRun();
    ~PopulateRun();
    PopulateRun(const PopulateRun&) = delete;
    PopulateRun& operator=(const PopulateRun&) = delete;

private:
    RunGuard guard_;
};

// The failure reports of populating: the error's text with the routine's ending as a plain
// message. An error text holding "API" ends the program at once; otherwise the abort flags are
// set (when asked).
void ReportPopulateFailure(const QString& error, const QString& ending, bool setAbortFlags = true);

}  // namespace qb
