#include "app/cli/CliCommand.h"

#include "platform/FileNames.h"
#include "session/Session.h"
#include "shell/StoreDirectory.h"
#include "store/Schema.h"

#include <QDir>

#include <cstdio>
#include <utility>

namespace qb::cli {

namespace {

int runInit(Context& context)
{
    bool bare = takeFlag(context.args, QStringLiteral("--bare"));
    QString error;
    if (!schema::createEmptyStore(context.dir, &error)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return kFailed;
    }
    // --bare: only the table files (the build packs them into cleandata.zip).
    if (!bare) CopyCompanionFiles(context.dir);
    std::printf("Empty store in %s\n",
                QDir::toNativeSeparators(context.dir).toLocal8Bit().constData());
    return kOk;
}

int runStats(Context& context)
{
    const std::pair<const char*, const char*> counts[] = {
        {"words", "SELECT COUNT(*) FROM WORD"},
        {"concepts", "SELECT COUNT(DISTINCT C) FROM DICT"},
        {"items", "SELECT COUNT(*) FROM ITEM"},
        {"projects", "SELECT COUNT(*) FROM PROJECT"}};
    if (!context.args.isEmpty()) {
        std::fprintf(stderr, "stats takes no arguments\n");
        return kUsage;
    }
    QString out;
    for (const auto& [label, sql] : counts) {
        sql::Statement st(session().store.db(), QString::fromLatin1(sql));
        if (!st.next()) {
            // A missing or unreadable table is a failure, not a count.
            std::fprintf(
                stderr, "The %s cannot be counted: %s\n", label,
                (st.ok() ? QStringLiteral("no result") : st.error()).toLocal8Bit().constData());
            return kFailed;
        }
        out += QStringLiteral("%1 %2\n").arg(QLatin1String(label)).arg(st.int64Value(0));
    }
    std::fputs(out.toUtf8().constData(), stdout);
    return kOk;
}

const Registration init{{QStringLiteral("init"),
                         QStringLiteral("init [--bare]        make an empty store"), false,
                         runInit}};
const Registration stats{
    {QStringLiteral("stats"),
     QStringLiteral("stats                count words, concepts, items and projects"), true,
     runStats}};

}  // namespace

}  // namespace qb::cli
