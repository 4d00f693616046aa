#include "desktop/PopulateState.h"

#include "cards/SlotRequests.h"
#include "floor/Messages.h"
#include "floor/Messenger.h"
#include "session/Session.h"

#include <QTimer>

#include <cstdlib>

namespace qb {

DesktopLock::~DesktopLock() { delete timer_; }

QTimer* DesktopLock::timer()
{
    if (!timer_) {
        timer_ = new QTimer;
        timer_->setSingleShot(true);
        timer_->setInterval(interval_);
        QObject::connect(timer_, &QTimer::timeout, timer_, [this] { fire(); });
    }
    return timer_;
}

void DesktopLock::start() { timer()->start(interval_); }

void DesktopLock::stop()
{
    if (timer_) timer_->stop();
}

bool DesktopLock::isActive() const { return timer_ && timer_->isActive(); }

void DesktopLock::setInterval(int ms)
{
    interval_ = ms;
    if (timer_) timer_->setInterval(ms);
}

void DesktopLock::fire()
{
    stop();
    populateState().enableDesktop(true);
    if (!session().commitRunning) session().heldAbort = false;
}

PopulateState& populateState()
{
    static PopulateState state;
    return state;
}

void ResetPopulateState()
{
    PopulateState& p = populateState();
    p.loading = false;
    p.compactPacks = false;
    p.escPresses = 0;
    p.currentConcept.reset();
    p.trace.clear();
    p.runDepth = 0;
    p.lock.stop();
    p.lock.setInterval(DesktopLock::kIntervalMs);
}

void KeyPressFlags(bool escape)
{
    Session& s = session();
    PopulateState& p = populateState();
    s.escRequest = false;
    p.loading = false;
    s.commitRunning = false;
    p.enableDesktop(true);
    s.messenger().setWaitCursor(false);
    if (escape) {
        SetAbortFlags();
        ++p.escPresses;
    }
}

void KeyReleaseFlags()
{
    session().escRequest = false;
    populateState().loading = false;
}

bool PopulateStopRequested(int escPressesAtStart)
{
    const Session& s = session();
    return s.escRequest || s.stopFlag || populateState().escPresses != escPressesAtStart;
}

PopulateRun::PopulateRun()
{
    PopulateState& p = populateState();
    session().commitRunning = true;
    if (p.runDepth++ == 0) p.enableDesktop(false);
    p.lock.start();
}

PopulateRun::~PopulateRun()
{
    PopulateState& p = populateState();
    if (--p.runDepth > 0) return;
    p.runDepth = 0;
    session().commitRunning = false;
    p.enableDesktop(true);
}

void ReportPopulateFailure(const QString& error, const QString& ending, bool setAbortFlags)
{
    PlainMessage(error + ending);
    if (error.contains(QStringLiteral("API"))) {
        if (populateState().hooks.endProgram) populateState().hooks.endProgram();
        else std::_Exit(3);
        return;
    }
    if (setAbortFlags) SetAbortFlags();
}

}  // namespace qb
