#include "backup/Backup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sqlite3.h>

#include "floor/Messages.h"
#include "floor/RunContext.h"
#include "floor/Settings.h"
#include "platform/Clock.h"
#include "platform/FileNames.h"
#include "platform/Sqlite.h"
#include "session/ExecFile.h"
#include "session/Session.h"
#include "session/TableFiles.h"
#include "store/Schema.h"

namespace qb {

namespace {

constexpr int kHelpBackup = 30160;
constexpr int kStaleSnapshotSeconds = 6 * 3600;
const QString kFailed = QStringLiteral("Backup file not found - operation failed.");

QString storeDir()
{
    QString dir = session().store.dir();
    return dir.isEmpty() ? session().dir() : dir;
}

QString twoDigits(int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); }

// Copies every packed table into folder from one read transaction over all attached files: the
// copies are of one moment even while another program writes beside us. The copy goes through
// SQLite's backup, never a plain file copy: closing a second descriptor of a table file would
// drop this connection's locks on it.
bool snapshotTables(const QString& folder, QStringList* copied, QString* error)
{
    Store& store = session().store;
    sql::Database& db = store.db();
    if (!store.isOpen()) {
        *error = QStringLiteral("the store is not open");
        return false;
    }
    sql::Transaction read(db, false);
    if (!read.isActive()) {
        *error = QStringLiteral("no read transaction");
        return false;
    }
    std::vector<const schema::Table*> tables;
    for (const QString& fileName : BackupPackageFiles()) {
        const schema::Table* table = schema::find(fileName);
        if (!table || !store.isAttached(table->name)) continue;
        // The first read takes the file's shared lock, held until the transaction ends.
        sql::Statement lock(db, QStringLiteral("SELECT COUNT(*) FROM ") +
                                    sql::quoteIdentifier(table->schemaName) +
                                    QStringLiteral(".sqlite_master"));
        if (!lock.next()) {
            *error = lock.error();
            return false;
        }
        tables.push_back(table);
    }
    for (const schema::Table* table : tables) {
        const QString name = QFileInfo(files::resolve(storeDir(), table->fileName)).fileName();
        sql::Database copy;
        if (!copy.open(QDir(folder).filePath(name), true, error)) return false;
        const QByteArray schemaName = table->schemaName.toUtf8();
        sqlite3_backup* backup =
            sqlite3_backup_init(copy.handle(), "main", db.handle(), schemaName.constData());
        if (!backup) {
            *error = QString::fromUtf8(sqlite3_errmsg(copy.handle()));
            return false;
        }
        const int step = sqlite3_backup_step(backup, -1);
        const int finish = sqlite3_backup_finish(backup);
        if (step != SQLITE_DONE || finish != SQLITE_OK) {
            *error = name + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errstr(step));
            return false;
        }
        *copied << name;
    }
    read.rollback();
    return true;
}

// Copies left by a backup whose zip outlived the wait, once that zip is surely done.
void removeStaleSnapshots(const QString& dir)
{
    const QDateTime limit = QDateTime::currentDateTime().addSecs(-kStaleSnapshotSeconds);
    const QFileInfoList folders = QDir(dir).entryInfoList({QStringLiteral("backup-??????")},
                                                          QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo& f : folders)
        if (f.lastModified() < limit) QDir(f.absoluteFilePath()).removeRecursively();
}

}  // namespace

QStringList BackupPackageFiles()
{
    return {QStringLiteral("WORD.DB"),    QStringLiteral("DICT.DB"), QStringLiteral("ITEMKEYS.DB"),
            QStringLiteral("ITEMURL.DB"), QStringLiteral("ITEM.DB"), QStringLiteral("PROJECT.DB"),
            QStringLiteral("INFLEC.DB"),  QStringLiteral("SHOW.DB"), QStringLiteral("ITMSJMP.DB"),
            QStringLiteral("PRJORDR.DB")};
}

bool WriteBatchFiles(const QString& dir)
{
    const QString crlf = QStringLiteral("\r\n");
    QString pack2;
    for (const char* pattern :
         {"WORD.*", "DICT.*", "ITEMKEYS.*", "ITEMURL.*", "ITEM.*", "PROJECT.*", "INFLEC.*"})
        pack2 += QString::fromLatin1(pattern) + crlf;
    QString pack0;
    // The names as they are spelled in this store, so that zip finds them.
    for (const QString& name : BackupPackageFiles())
        pack0 += QFileInfo(files::resolve(dir, name)).fileName() + crlf;
    // Run with /bin/sh: $1 the package name, $2 the folder to pack. A shell script keeps plain
    // line ends, or the shell would read the CR as part of the folder name. The started script
    // shares our output, so zip's listing of the files is dropped; its complaints still show.
    const QString script = QStringLiteral(
        "#!/bin/sh\n"
        "cd \"$2\" || exit 1\n"
        "zip \"$1\" -@ < pack0.lst > /dev/null\n");

    bool ok = true;
    const std::pair<const char*, const QString*> files[] = {
        {"pack2.lst", &pack2}, {"pack0.lst", &pack0}, {"export.sh", &script}};
    for (const auto& [name, text] : files) {
        const QString fileName = QString::fromLatin1(name);
        const QString target = QDir(dir).filePath(fileName);
        // An older copy spelled otherwise goes only once the new one is complete.
        const QString older = files::resolve(dir, fileName);
        if (files::writeTextFile(target, *text)) {
            if (older != target) QFile::remove(older);
        } else {
            ok = false;
            ShowInfo(QStringLiteral("Initial bat-file setup failed"), QStringLiteral("ba157"),
                     kSystemError, 30160);
        }
    }
    return ok;
}

QString ProposedBackupName(const QDateTime& now, const QString& suffix, const QString& invariant)
{
    const QDate d = now.date();
    const QTime t = now.time();
    const QString hour = twoDigits(d.month()) + twoDigits(d.day()) + twoDigits(t.hour());
    if (!suffix.isEmpty()) return hour + suffix;
    if (!invariant.isEmpty()) return invariant;
    return hour + twoDigits(t.minute());
}

QString CleanBackupName(const QString& answer)
{
    QString clean;
    for (QChar c : answer) {
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        const bool kept = c >= QLatin1Char('A') && c != QLatin1Char('[') && c != QLatin1Char(']') &&
                          c != QLatin1Char('|') && c != QLatin1Char('\\') && c != QChar(0x00A4);
        if (digit || kept) clean += c;
    }
    return clean.trimmed();
}

QString BackupFileName(const QString& suffix)
{
    QString answer = ProposedBackupName(runContext().clock().now(), suffix,
                                        session().settings.invariantBackupFilename);
    if (!ShowInfo(QStringLiteral("Name of backup file"), QStringLiteral("mon447"), kInputRequest,
                  answer, kHelpBackup))
        return QString();
    return CleanBackupName(answer);
}

QString BackupPackagePath(const QString& name)
{
    return QDir(storeDir()).filePath(name + QStringLiteral(".zip"));
}

bool VerifyNewBupZip(const QString& packagePath)
{
    session().messenger().processEvents();
    return QFileInfo(packagePath).isFile();
}

QString MakeBackupPackage(const QString& name, const QString& batchFile)
{
    const QString dir = storeDir();
    const QString package = BackupPackagePath(name);
    if (QFileInfo::exists(package) && !QFile::remove(package)) {
        ShowInfo(kFailed, QStringLiteral("qb4100b"), kError, kHelpBackup);
        return QString();
    }
    // zip writes into a temporary file beside the package and renames it when complete, so the
    // package appears whole or not at all.
    // The batch files are written at every start, and again here: a store only the CLI has used
    // lacks them, and one left by an older version or edited by hand must not be what runs.
    WriteBatchFiles(dir);
    const QString script = files::resolve(dir, batchFile);
    if (QStandardPaths::findExecutable(QStringLiteral("zip")).isEmpty() ||
        !QFileInfo(script).isFile()) {
        ShowInfo(kFailed, QStringLiteral("qb4100b"), kError, kHelpBackup);
        return QString();
    }

    removeStaleSnapshots(dir);
    QTemporaryDir snapshot(QDir(dir).filePath(QStringLiteral("backup-XXXXXX")));
    QStringList copied;
    QString error;
    if (!snapshot.isValid() || !snapshotTables(snapshot.path(), &copied, &error)) {
        ShowInfo(kFailed, QStringLiteral("qb4100b"), kError, kHelpBackup);
        return QString();
    }
    // The list zip reads names what the package holds.
    QString list;
    for (const QString& f : copied) list += f + QStringLiteral("\r\n");
    if (!files::writeTextFile(QDir(snapshot.path()).filePath(QStringLiteral("pack0.lst")), list)) {
        ShowInfo(kFailed, QStringLiteral("qb4100b"), kError, kHelpBackup);
        return QString();
    }

    TExecFile runner(QStringLiteral("BackupRunner"));
    runner.Windowstyle = TWState::wsMinNoActivate;
    runner.setWaitPeriodLength(3600);
    runner.WaitAttempts = 20;
    runner.InfoText = QStringLiteral("Making a backup file (zip-file)");
    runner.EscInfoText = QStringLiteral("External program execution was terminated by user.");
    runner.IsDoneTest = [package] { return VerifyNewBupZip(package); };
    // zip renames its finished work into place: the package is whole once it is there.
    runner.IsDoneQuickly = [package] { return QFileInfo(package).isFile(); };
    runner.IsAnulledByCaller = GeneralDoNotAnulByEsc;
    runner.FileName = QStringLiteral("/bin/sh");
    runner.FilePath = dir;
    runner.Parameters = QuoteParameter(script) + QLatin1Char(' ') + QuoteParameter(package) +
                        QLatin1Char(' ') + QuoteParameter(snapshot.path()) + QLatin1Char(' ') +
                        QuoteParameter(dir);
    runner.Wait = true;
    const bool ok = runner.Execute();
    // zip may still be reading the copies when the user gave up waiting: they stay, so that what
    // it writes at last is whole, and go with the next backup.
    if (!ok && runner.started()) snapshot.setAutoRemove(false);
    if (!runner.started()) {
        ShowInfo(kFailed, QStringLiteral("qb4100b"), kError, kHelpBackup);
        return QString();
    }
    if (!ok || !VerifyNewBupZip(package)) {
        ShowInfo(kFailed, QStringLiteral("qb4100a"), kError, kHelpBackup);
        return QString();
    }
    return package;
}

QString Backtofile(const QString& batchFile, const QString& suffix)
{
    DesktopHooks& hooks = session().hooks;
    hooks.banner(QStringLiteral("If there are problems, wait for time-out messages"));
    hooks.commit();
    const QString name = BackupFileName(suffix);
    if (name.isEmpty()) {
        hooks.noBanner();
        return QString();
    }
    hooks.clear();
    QString package = MakeBackupPackage(name, batchFile);
    // The files stay closed while nothing of ours needs them, as the desktop expects after a
    // backup; then everything comes back from the saved layout.
    CloseQBFiles();
    hooks.noBanner();
    OpenQBFiles();
    hooks.restoreWindows();
    return package;
}

QString BackUpToFileClick()
{
    session().hooks.saveWindows();
    return Backtofile(QStringLiteral("export.sh"), QString());
}

bool BackupOfferCounter::tick(int delayMinutes)
{
    if (delayMinutes <= 0) {
        ticks = 0;
        return false;
    }
    if (ticks < delayMinutes - 1) {
        ++ticks;
        return false;
    }
    ticks = 0;
    return true;
}

void TimerBackupTimer()
{
    if (!session().part<BackupOfferCounter>().tick(session().settings.delayBetweenBackups)) return;
    if (AskYesDefault(QStringLiteral("Perform backup now?  (Desktop will be cleared!)"),
                      kHelpBackup))
        BackUpToFileClick();
}

}  // namespace qb
