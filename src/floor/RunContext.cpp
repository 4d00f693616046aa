#include "floor/RunContext.h"

#include "floor/Messenger.h"
#include "platform/Clock.h"
#include "platform/FileNames.h"

#include <QDir>

#include <cstdio>

namespace qb {

namespace {

// Until a program installs its own, messages go to stderr and questions take their default.
class FallbackMessenger : public Messenger {
public:
    MessageReply showInfo(const MessageRequest& r) override
    {
        std::fprintf(
            stderr, "%s: %s%s\n", qPrintable(r.title()), qPrintable(r.message),
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

RunContext& RunContext::instance()
{
    static RunContext context;
    return context;
}

RunContext::RunContext()
    : defaultMessenger_(std::make_unique<FallbackMessenger>()),
      defaultClock_(std::make_unique<SystemClock>())
{
    messenger_ = defaultMessenger_.get();
    clock_ = defaultClock_.get();
}

RunContext::~RunContext() = default;

QString RunContext::dirWithSeparator() const { return files::withSeparator(dir_); }

void RunContext::setDir(const QString& dir) { dir_ = QDir::cleanPath(QDir(dir).absolutePath()); }

QString RunContext::filePath(const QString& name) const { return files::resolve(dir_, name); }

void RunContext::setMessenger(Messenger* messenger)
{
    messenger_ = messenger ? messenger : defaultMessenger_.get();
}

void RunContext::setClock(Clock* clock) { clock_ = clock ? clock : defaultClock_.get(); }

void RunContext::reset()
{
    flags.reset();
    clearOperationMarks = nullptr;
    settings = Settings();
}

}  // namespace qb
