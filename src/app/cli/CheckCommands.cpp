#include "app/cli/CliCommand.h"

#include "floor/Messenger.h"
#include "platform/FileNames.h"
#include "session/DataChecks.h"
#include "session/Engine.h"
#include "session/Session.h"
#include "session/TableOrder.h"

#include <cstdio>

namespace qb::cli {

namespace {

// Passes every message on to the CLI's messenger and counts the problems among them.
class ProblemCounter : public Messenger {
public:
    explicit ProblemCounter(Messenger& inner) : inner_(inner) {}
    MessageReply showInfo(const MessageRequest& request) override
    {
        if (request.kind == kError || request.kind == kSystemError) ++problems;
        return inner_.showInfo(request);
    }
    void plainMessage(const QString& text) override
    {
        ++problems;
        inner_.plainMessage(text);
    }
    void beep() override { inner_.beep(); }
    void processEvents() override { inner_.processEvents(); }
    void setWaitCursor(bool wait) override { inner_.setWaitCursor(wait); }

    int problems = 0;

private:
    Messenger& inner_;
};

int runCheck(Context& context)
{
    if (!context.args.isEmpty()) {
        std::fprintf(stderr, "check takes no arguments\n");
        return kUsage;
    }
    Session& s = session();
    Messenger& cliMessenger = s.messenger();
    ProblemCounter counter(cliMessenger);
    s.setMessenger(&counter);

    bool engine = EngineAvailable();
    if (!engine) std::fprintf(stderr, "The SQLite database engine cannot be used\n");
    const bool readOnly = s.store.isReadOnly();
    if (readOnly) {
        // What can be checked without writing: every file whole and every order there.
        if (engine && CheckTableFiles(false))
            for (const IndexCheck& index : indexChecks())
                if (s.store.isAttached(QString(index.tableName).section(QLatin1Char('.'), 0, 0)))
                    CheckIndex(kStoreDatabaseName, index.tableName, kIndexCheckMessage,
                               index.indexFields);
    } else {
        // The desktop makes SCHED before the checks run; the CLI does the same.
        if (engine && !files::exists(context.dir, QStringLiteral("SCHED.DB")) && !CreateSched())
            std::fprintf(stderr, "SCHED.DB could not be created\n");
        // The full check, with every index entry; damaged files stop the checks before any write.
        if (engine && CheckTableFiles(false)) DataChecks(true);
    }

    s.setMessenger(&cliMessenger);
    bool failed = !engine || s.flags.stopped() || counter.problems > 0 ||
                  (!readOnly && !files::exists(context.dir, QStringLiteral("SCHED.DB")));
    if (failed)
        std::printf("Store checks found problems%s\n", s.flags.stopped() ? " (stopped)" : "");
    else
        std::printf(
            "Store checks passed%s\n",
            readOnly ? " (read-only: the upgrades and the word frequencies were left out)" : "");
    return failed ? kFailed : kOk;
}

const Registration check{
    {QStringLiteral("check"),
     QStringLiteral("check                run the start-up checks and upgrades"), true, runCheck}};

}  // namespace

}  // namespace qb::cli
