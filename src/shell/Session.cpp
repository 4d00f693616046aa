#include "shell/Session.h"

#include "platform/Clock.h"
#include "platform/FileNames.h"
#include "shell/Messenger.h"

#include <QDir>

#include <cstdio>

namespace qb {

namespace {

// Until a program installs its own, messages go to stderr and questions take their default.
class FallbackMessenger : public Messenger {
public:
    MessageReply showInfo(const MessageRequest& r) override
    {
        std::fprintf(stderr, "%s: %s%s\n", qPrintable(r.title()), qPrintable(r.message),
                     r.code.isEmpty() ? "" : qPrintable(QStringLiteral(" [") + r.code + QLatin1Char(']')));
        MessageReply reply;
        reply.answer = r.answer.trimmed();
        switch (r.kind) {
        case kQuestionYes: reply.button = MessageButton::Yes; break;
        case kQuestionNo: reply.button = MessageButton::No; break;
        default: reply.button = MessageButton::Ok; break;
        }
        return reply;
    }
    void plainMessage(const QString& text) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }
    void beep() override {}
};

}  // namespace

Session& Session::instance()
{
    static Session s;
    return s;
}

Session::Session()
    : defaultMessenger_(std::make_unique<FallbackMessenger>()),
      defaultClock_(std::make_unique<SystemClock>())
{
    messenger_ = defaultMessenger_.get();
    clock_ = defaultClock_.get();
    timestamps.setClock(*clock_);
    timestamps.setStore(&store);
}

Session::~Session() = default;

QString Session::dirWithSeparator() const { return files::withSeparator(dir_); }

void Session::setDir(const QString& dir)
{
    QString clean = QDir::cleanPath(QDir(dir).absolutePath());
    dir_ = clean;
}

QString Session::filePath(const QString& name) const { return files::resolve(dir_, name); }

void Session::setMessenger(Messenger* messenger)
{
    messenger_ = messenger ? messenger : defaultMessenger_.get();
}

void Session::setClock(Clock* clock)
{
    clock_ = clock ? clock : defaultClock_.get();
    timestamps.setClock(*clock_);
}

void Session::resetRunState()
{
    stopFlag = false;
    escRequest = false;
    heldAbort = false;
    commitRunning = false;
    closing = false;
    inconsistency = false;
    pictureTableAvailable = true;
    dateStamp.clear();
    desktopDirty = false;
    clearOperationMarks = nullptr;
    hooks = DesktopHooks();
    shell = ShellHooks();
    timestamps.reset();
    settings = Settings();
}

Timestamp GetQBTS() { return session().timestamps.next(); }

Timestamp GetQBTSMark() { return session().timestamps.nextMark(); }

}  // namespace qb
