#include "app/cli/CliCommand.h"

#include "backup/Maintenance.h"
#include "backup/Restore.h"

#include <QFileInfo>

#include <cstdio>

namespace qb::cli {

namespace {

void print(const QString& text) { std::fputs(text.toUtf8().constData(), stdout); }

// Both commands run the dialog's code without its questions; restore has taken --yes for them.
int runImport(Context& context, RestoreMode mode)
{
    QStringList args = context.args;
    const bool noBackup = takeFlag(args, QStringLiteral("--no-backup"));
    takeEndOfOptions(args);
    if (args.size() != 1) {
        std::fputs(mode == RestoreMode::Restore ? "usage: restore PACKAGE --yes [--no-backup]\n"
                                                : "usage: merge PACKAGE\n",
                   stderr);
        return kUsage;
    }
    if (mode == RestoreMode::Restore && !context.answerYes) {
        std::fputs("restore empties the store first: give --yes to go on\n", stderr);
        return kUsage;
    }
    if (!tablesWhole({QStringLiteral("ITEM"), QStringLiteral("ITEMKEYS"), QStringLiteral("ITEMURL"),
                      QStringLiteral("DICT"), QStringLiteral("WORD"), QStringLiteral("INFLEC"),
                      QStringLiteral("PROJECT"), QStringLiteral("SHOW"), QStringLiteral("ITMSJMP"),
                      QStringLiteral("PRJORDR"), QStringLiteral("SCHED")}))
        return kFailed;
    const QString path = QFileInfo(args.first()).absoluteFilePath();
    // As clear-all: a store that holds items is backed up before a restore empties it.
    if (!noBackup) restoreHooks().offerBackup = [] { return BackupBeforeEmptying(); };
    const RestoreRun run = RunPackageImport({path, mode, false, {}});
    if (run.outcome != RestoreOutcome::Done) return kFailed;
    print(run.result.summary() + QLatin1Char('\n'));
    return kOk;
}

int runRestore(Context& context) { return runImport(context, RestoreMode::Restore); }
int runMerge(Context& context) { return runImport(context, RestoreMode::Merge); }

const Registration restoreCommand{
    {QStringLiteral("restore"),
     QStringLiteral("restore PACKAGE --yes [--no-backup]   back up and empty the store, then bring "
                    "the package in"),
     true, runRestore}};
const Registration mergeCommand{
    {QStringLiteral("merge"),
     QStringLiteral("merge PACKAGE   bring the package in beside the store, words renumbered"),
     true, runMerge}};

}  // namespace

}  // namespace qb::cli
