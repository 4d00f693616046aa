#include "shell/TerminationRequests.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QPointer>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <csignal>
#include <cstdio>

#include "floor/Messenger.h"
#include "session/Session.h"
#include "shell/MainWindow.h"

namespace qb {

namespace {

// What a termination request leaves behind until the run ends.
struct TerminationState {
    bool requested = false;
    Messenger* messengerBefore = nullptr;
    // Times an open modal widget was closed for this request.
    int modalRetries = 0;
    // A second signal while the close runs finds it under way.
    bool closing = false;
};

TerminationState& state() { return session().part<TerminationState>(); }

// Nobody is there to answer: messages go to stderr, questions get their default answer.
class UnattendedMessenger : public Messenger {
public:
    MessageReply showInfo(const MessageRequest& request) override
    {
        std::fprintf(stderr, "quillbox: %s %s\n", qPrintable(request.code),
                     qPrintable(request.message));
        MessageReply reply;
        switch (request.kind) {
        case kQuestionYes: reply.button = MessageButton::Yes; break;
        case kQuestionNo: reply.button = MessageButton::No; break;
        case kInputRequest:
        case kAddKeyword: reply.button = MessageButton::Cancel; break;
        default: reply.button = MessageButton::Ok; break;
        }
        return reply;
    }
    void plainMessage(const QString& text) override
    {
        std::fprintf(stderr, "quillbox: %s\n", qPrintable(text));
    }
    void beep() override {}
    void processEvents() override { QCoreApplication::processEvents(); }
};

UnattendedMessenger& unattended()
{
    static UnattendedMessenger messenger;
    return messenger;
}

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    char c = 1;
    ssize_t ignored = ::write(signalPipe[1], &c, 1);
    (void)ignored;
}

const int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

}  // namespace

TerminationRequests::TerminationRequests(TBillBoard& window) : QObject(&window)
{
    QPointer<TBillBoard> target(&window);
    if (signalPipe[0] < 0 &&
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        signalPipe[0] = signalPipe[1] = -1;
    }
    if (signalPipe[0] >= 0) {
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [target] {
            char c;
            ssize_t ignored = ::read(signalPipe[0], &c, 1);
            (void)ignored;
            if (target) terminate(*target);
        });
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int sig : kSignals) sigaction(sig, &action, nullptr);
    }
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(
            app, &QGuiApplication::commitDataRequest, this,
            [target](QSessionManager&) {
                if (target) terminate(*target);
            },
            Qt::DirectConnection);
    }
}

TerminationRequests::~TerminationRequests()
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int sig : kSignals) sigaction(sig, &action, nullptr);
}

bool TerminationRequests::requested() { return state().requested; }

void TerminationRequests::terminate(TBillBoard& window)
{
    Session& s = session();
    TerminationState& t = state();
    if (!t.requested) {
        t.requested = true;
        t.messengerBefore = &s.messenger();
        s.setMessenger(&unattended());
    }
    // A question or dialog that is open waits for an answer that will not come: close it, and
    // close the window once its own event loop has ended.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && ++t.modalRetries <= 20) {
        modal->close();
        QPointer<TBillBoard> target(&window);
        QTimer::singleShot(0, &window, [target] {
            if (target) terminate(*target);
        });
        return;
    }
    t.modalRetries = 0;
    if (t.closing) return;
    t.closing = true;
    window.Exit1Click();
    // The close may have ended the run's state already.
    state().closing = false;
}

void TerminationRequests::reset()
{
    TerminationState& t = state();
    if (t.requested && t.messengerBefore) session().setMessenger(t.messengerBefore);
    t.requested = false;
    t.messengerBefore = nullptr;
}

}  // namespace qb
