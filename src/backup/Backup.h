#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace qb {

// The table files a backup package holds, in their order; the table file stands for its memo data.
QStringList BackupPackageFiles();

// pack2.lst, pack0.lst and export.sh in the store directory, each replacing an older one.
// Failures are reported as system errors; true when all three were written.
bool WriteBatchFiles(const QString& dir);

// The name a backup proposes: MMDDhhmm, the suffix in place of the minutes when one is given,
// else the invariant name when that is set.
QString ProposedBackupName(const QDateTime& now, const QString& suffix, const QString& invariant);
// Keeps digits and the characters from "A" upwards except [ ] | \ and the currency sign; the
// rest (blanks, punctuation, separators) goes. Empty means no backup.
QString CleanBackupName(const QString& answer);
// Asks "Name of backup file" with the proposal; the cleaned answer, empty on Cancel.
QString BackupFileName(const QString& suffix);

// The package path for a name in the store directory.
QString BackupPackagePath(const QString& name);
// True when the package file exists.
bool VerifyNewBupZip(const QString& packagePath);

// Makes NAME.zip in the store directory from one consistent moment of every table: the files are
// copied through the store connection inside one read transaction (no writer can commit in
// between) into a work folder beside the tables, zip packs them there while each copy is
// quick-checked, and the finished package is renamed over NAME.zip only when all passed, so an
// older package of the name stays until the new one is whole. Reports its own failures (the reason
// on a second line: a damaged table, a full disk); the package path, or empty.
QString MakeBackupPackage(const QString& name, const QString& batchFile);
// Removes the work of backups that were killed or outlived: work folders whose process has
// ended, and zip's temporary files beside the tables. Run at start and before every backup.
void RemoveAbandonedBackupWork(const QString& dir);

// The whole backup as the menu runs it: banner, commit, name question, desktop cleared and tables
// closed around the packing, then reopened and the windows restored. The package path or empty.
QString Backtofile(const QString& batchFile, const QString& suffix);
// "&Back Up To File".
QString BackUpToFileClick();

// The timed offer's tick counter: true on every delay-th tick (every tick for 1, never for 0).
struct BackupOfferCounter {
    int ticks = 0;
    bool tick(int delayMinutes);
};
// One tick of the backup timer: counts, and when due asks "Perform backup now?" and backs up.
void TimerBackupTimer();

}  // namespace qb
