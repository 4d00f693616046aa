#pragma once

#include <QObject>

namespace qb {

class TBillBoard;

// Requests to end the program from outside: SIGTERM, SIGHUP and SIGINT (a logout, a shutdown,
// a kill, Ctrl+C in a terminal) and the session manager's commit request. Each closes the main
// window the orderly way, with no question on the way: what can be committed is committed, the
// rest stays in the recovery file, and the program ends.
class TerminationRequests : public QObject {
    Q_OBJECT
public:
    explicit TerminationRequests(TBillBoard& window);
    ~TerminationRequests() override;

    // True once a request has come; the close then asks nothing.
    static bool requested();
    // Closes the window as a request does.
    static void terminate(TBillBoard& window);
    // Back to the start state (tests): no request, the messenger of before.
    static void reset();
};

}  // namespace qb
