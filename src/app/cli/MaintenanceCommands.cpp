#include "app/cli/CliCommand.h"

#include "backup/Backup.h"
#include "backup/Maintenance.h"
#include "floor/RunContext.h"
#include "floor/Settings.h"
#include "platform/Clock.h"
#include "session/Session.h"

#include <QDir>

#include <cstdio>

namespace qb::cli {

namespace {

void print(const QString& text) { std::fputs(text.toUtf8().constData(), stdout); }

bool noArguments(Context& context, const char* command)
{
    if (context.args.isEmpty()) return true;
    std::fprintf(stderr, "%s takes no arguments\n", command);
    return false;
}

int runBackup(Context& context)
{
    takeEndOfOptions(context.args);
    if (context.args.size() > 1) {
        std::fprintf(stderr, "usage: backup [NAME]\n");
        return kUsage;
    }
    const QString name = context.args.isEmpty()
                             ? ProposedBackupName(runContext().clock().now(), QString(),
                                                  session().settings.invariantBackupFilename)
                             : CleanBackupName(context.args.first());
    if (name.isEmpty()) {
        std::fprintf(stderr, "No backup: the name holds no letter or digit\n");
        return kUsage;
    }
    const QString package = MakeBackupPackage(name, QStringLiteral("export.sh"));
    if (package.isEmpty()) return kFailed;
    print(QDir::toNativeSeparators(package) + QLatin1Char('\n'));
    return kOk;
}

int runClearAll(Context& context)
{
    const bool noBackup = takeFlag(context.args, QStringLiteral("--no-backup"));
    if (!noArguments(context, "clear-all")) return kUsage;
    if (!context.answerYes) {
        std::fprintf(stderr, "clear-all removes all data: give --yes to go on\n");
        return kUsage;
    }
    if (!Clearalldata1Click(!noBackup)) {
        std::fprintf(stderr, "The store was not emptied\n");
        return kFailed;
    }
    return kOk;
}

int runClearTimestamps(Context& context)
{
    if (!noArguments(context, "clear-timestamps")) return kUsage;
    if (!tablesWhole({QStringLiteral("ITEM"), QStringLiteral("DICT"), QStringLiteral("PROJECT"),
                      QStringLiteral("WORD")}))
        return kFailed;
    if (!Clearalltimestamps1Click()) {
        std::fprintf(stderr, "The time stamps were not cleared: %s\n",
                     session().store.db().lastError().toLocal8Bit().constData());
        return kFailed;
    }
    return kOk;
}

int runPrintAll(Context& context)
{
    if (!noArguments(context, "print-all")) return kUsage;
    const QString path = Printalltexttofile1Click();
    if (path.isEmpty()) {
        std::fprintf(stderr, "QB_ALL_ITEMS.txt was not written\n");
        return kFailed;
    }
    print(QDir::toNativeSeparators(path) + QLatin1Char('\n'));
    return kOk;
}

int runStats(Context& context)
{
    if (!noArguments(context, "stats")) return kUsage;
    QString text, error;
    if (!StatisticsText(&text, &error)) {
        // A missing or unreadable table is a failure, not a count.
        std::fprintf(stderr, "The store cannot be counted: %s\n", error.toLocal8Bit().constData());
        return kFailed;
    }
    print(text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    return kOk;
}

const Registration backup{{QStringLiteral("backup"),
                           QStringLiteral("backup [NAME]        pack the tables into NAME.zip "
                                          "(default MMDDhhmm); prints its path"),
                           true, runBackup}};
const Registration clearAll{
    {QStringLiteral("clear-all"),
     QStringLiteral("clear-all --yes [--no-backup]  empty the store, after a backup when it holds "
                    "items"),
     true, runClearAll}};
const Registration clearTimestamps{{QStringLiteral("clear-timestamps"),
                                    QStringLiteral("clear-timestamps     set every time stamp "
                                                   "to -1.0"),
                                    true, runClearTimestamps}};
const Registration printAll{{QStringLiteral("print-all"),
                             QStringLiteral("print-all            every item text into "
                                            "QB_ALL_ITEMS.txt"),
                             true, runPrintAll}};
const Registration stats{{QStringLiteral("stats"),
                          QStringLiteral("stats                count words, concepts, items and "
                                         "projects"),
                          true, runStats}};

}  // namespace

}  // namespace qb::cli
