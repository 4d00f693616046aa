#include "app/cli/CliCommand.h"

#include "items/Associations.h"
#include "items/ItemQueries.h"

#include <cstdio>

namespace qb::cli {

namespace {

constexpr char kUsageLine[] = "usage: schedule list | schedule add ID | schedule clear\n";

// schedule list | add ID | clear: the queue of items the desktop brings back one at a time.
int runSchedule(Context& context)
{
    QStringList args = context.args;
    const QString verb = args.isEmpty() ? QString() : args.takeFirst();
    const bool known = verb == QStringLiteral("list") || verb == QStringLiteral("clear") ||
                       verb == QStringLiteral("add");
    if (!known || args.size() != (verb == QStringLiteral("add") ? 1 : 0)) {
        std::fputs(kUsageLine, stderr);
        return kUsage;
    }
    if (!ScheduleAvailable()) {
        std::fprintf(stderr, "The store has no SCHED.DB: nothing is queued\n");
        return kFailed;
    }
    if (verb == QStringLiteral("list")) {
        bool ok = false;
        for (Timestamp item : ScheduledItems(&ok))
            std::printf("%s\n", QString::number(double(item), 'g', 15).toLatin1().constData());
        if (!ok) std::fprintf(stderr, "The queue could not be read\n");
        return ok ? kOk : kFailed;
    }
    if (!tablesWhole({QStringLiteral("SCHED")})) return kFailed;
    if (verb == QStringLiteral("clear")) {
        if (ClearSchedule()) return kOk;
        std::fprintf(stderr, "The queue could not be emptied\n");
        return kFailed;
    }
    bool typedOk = false;
    const double typed = args.first().toDouble(&typedOk);
    const std::optional<Timestamp> id = typedOk ? FindItemId(typed) : std::nullopt;
    if (!id) {
        std::fprintf(stderr, "No item with id %s\n", args.first().toLocal8Bit().constData());
        return typedOk ? kFailed : kUsage;
    }
    for (Timestamp queued : ScheduledItems())
        if (queued == *id) {
            std::fprintf(stderr, "The item is queued already\n");
            return kOk;
        }
    if (ScheduleItem(*id)) return kOk;
    std::fprintf(stderr, "The item could not be queued\n");
    return kFailed;
}

const Registration schedule{
    {QStringLiteral("schedule"),
     QStringLiteral(
         "schedule list | schedule add ID | schedule clear   the items the desktop brings "
         "back one at a time"),
     true, runSchedule}};

}  // namespace

}  // namespace qb::cli
