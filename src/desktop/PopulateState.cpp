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
    if (!session().commitRunning.raised()) session().flags.releaseAbort();
}

PopulateState& populateState() { return session().part<PopulateState>(); }

void KeyPressFlags(bool escape)
{
    Session& s = session();
    PopulateState& p = populateState();
    s.flags.clearEscape();
    p.loading = false;
    s.commitRunning.lower();
    p.enableDesktop(true);
    s.messenger().setWaitCursor(false);
    if (escape) {
        SetAbortFlags();
        ++p.escPresses;
    }
}

void KeyReleaseFlags()
{
    session().flags.clearEscape();
    populateState().loading = false;
}

bool PopulateStopRequested(int escPressesAtStart, bool abortHeldAtStart)
{
    const Session& s = session();
    return s.flags.escapeRequested() || s.flags.stopped() ||
           populateState().escPresses != escPressesAtStart ||
           (!abortHeldAtStart && s.flags.abortHeld());
}

PopulateRun::PopulateRun() : guard_(session().commitRunning)
{
    PopulateState& p = populateState();
    if (guard_.outermost()) p.enableDesktop(false);
    p.lock.start();
}

PopulateRun::~PopulateRun()
{
    if (guard_.leave()) populateState().enableDesktop(true);
}

void ReportPopulateFailure(const QString& error, const QString& ending, bool setAbortFlags)
{
    PlainMessage(error + ending);
    if (error.contains(QStringLiteral("API"))) {
        if (populateState().hooks.endProgram)
            populateState().hooks.endProgram();
        else
            std::_Exit(3);
        return;
    }
    if (setAbortFlags) SetAbortFlags();
}

}  // namespace qb
