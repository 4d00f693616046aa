#include "session/Session.h"

#include "platform/Clock.h"

namespace qb {

Session& Session::instance()
{
    static Session s;
    return s;
}

Session::Session()
    : run_(RunContext::instance()),
      settings(run_.settings),
      flags(run_.flags),
      clearOperationMarks(run_.clearOperationMarks)
{
    timestamps.setClock(run_.clock());
    timestamps.setStore(&store);
}

Session::~Session()
{
    // Parts go first: their destructors may still ask the session for something.
    dropParts();
}

void Session::dropParts()
{
    // Moved out first, so that a destructor asking for a part finds a fresh one, not a dying one.
    auto dying = std::move(parts_);
    parts_.clear();
    dying.clear();
}

void Session::setClock(Clock* clock)
{
    run_.setClock(clock);
    timestamps.setClock(run_.clock());
}

void Session::resetRunState()
{
    run_.reset();
    commitRunning.reset();
    layoutDown.reset();
    inconsistency = false;
    pictureTableAvailable = true;
    dateStamp.clear();
    desktopDirty = false;
    hooks = DesktopHooks();
    shell = ShellHooks();
    timestamps.reset();
    dropParts();
}

Timestamp GetQBTS() { return session().timestamps.next(); }

Timestamp GetQBTSMark() { return session().timestamps.nextMark(); }

}  // namespace qb
