#include "app/cli/CliCommand.h"

#include "backup/Maintenance.h"
#include "backup/Restore.h"

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
                                                : "usage: merge PACKAGE [--yes]\n",
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
    const QString path = callerPath(context, args.first());
    // As clear-all: a store that holds items is backed up before a restore empties it.
    if (!noBackup) restoreHooks().offerBackup = [] { return BackupBeforeEmptying(); };
    bool refused = false;
    // A merge replaces the store's items that share an id with the package's: say how many get
    // another text, and go on only with --yes when any do.
    restoreHooks().confirmChangedTexts = [&](qint64 changed) {
        print(changedTextsLine(changed) + QLatin1Char('\n'));
        refused = changed != 0 && !context.answerYes;
        return !refused;
    };
    const RestoreRun run = RunPackageImport({path, mode, false, {}});
    restoreHooks().confirmChangedTexts = nullptr;
    if (refused) {
        std::fputs("merge replaces item texts of this store: give --yes to go on\n", stderr);
        return kUsage;
    }
    if (run.outcome != RestoreOutcome::Done) return kFailed;
    if (mode == RestoreMode::Restore && run.mode == RestoreMode::Merge)
        std::fputs("The package is of the older form: it was added to the store, which was kept\n",
                   stderr);
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
     QStringLiteral("merge PACKAGE [--yes]   bring the package in beside the store, words "
                    "renumbered; --yes when it replaces item texts"),
     true, runMerge}};

}  // namespace

}  // namespace qb::cli
