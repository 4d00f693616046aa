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
      stopFlag(run_.stopFlag),
      escRequest(run_.escRequest),
      heldAbort(run_.heldAbort),
      closing(run_.closing),
      clearOperationMarks(run_.clearOperationMarks)
{
    timestamps.setClock(run_.clock());
    timestamps.setStore(&store);
}

Session::~Session() = default;

void Session::setClock(Clock* clock)
{
    run_.setClock(clock);
    timestamps.setClock(run_.clock());
}

void Session::resetRunState()
{
    run_.reset();
    commitRunning = false;
    inconsistency = false;
    pictureTableAvailable = true;
    dateStamp.clear();
    desktopDirty = false;
    hooks = DesktopHooks();
    shell = ShellHooks();
    timestamps.reset();
}

Timestamp GetQBTS() { return session().timestamps.next(); }

Timestamp GetQBTSMark() { return session().timestamps.nextMark(); }

}  // namespace qb
