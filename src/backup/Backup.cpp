#include "backup/Backup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <signal.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

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
#include "store/Store.h"

namespace qb {

namespace {

constexpr int kHelpBackup = 30170;
constexpr int kStaleSnapshotSeconds = 6 * 3600;
const QString kFailed = QStringLiteral("Backup file not found - operation failed.");

QString storeDir()
{
    QString dir = session().store.dir();
    return dir.isEmpty() ? session().dir() : dir;
}

QString twoDigits(int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); }

// Names of the backup's work inside its folder: the process that owns it, the status zip ended
// with and the package as zip writes it.
const QString kOwnerFile = QStringLiteral("owner");
const QString kStatusFile = QStringLiteral("zip.status");
const QString kWorkPackage = QStringLiteral("package.zip");
// Room kept for the status in advance, so that writing it needs no new room on a full disk.
const QByteArray kStatusRoom(16, ' ');
// zip's exit status for a failed write or create of the package.
constexpr int kZipWriteError = 14;
constexpr int kZipCreateError = 15;

// A table copied into the work folder.
struct Copied {
    QString name;  // the file name as this store spells it
    const schema::Table* table;
};

// Why a table could not be taken into the backup.
struct SnapshotFailure {
    enum Kind { None, Damaged, Full, Other } kind = None;
    QString text;
};

SnapshotFailure failure(SnapshotFailure::Kind kind, const QString& text) { return {kind, text}; }

bool damagedCode(int code)
{
    code &= 0xFF;
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
}

QString damagedText(const schema::Table& table, const QString& fault)
{
    return table.fileName + QStringLiteral(" is damaged (") + fault + QStringLiteral("): ") +
           Store::repairAdvice(table.fileName);
}

// Copies every packed table into folder from one read transaction over all attached files: the
// copies are of one moment even while another program writes beside us. The copy goes through
// SQLite's backup, never a plain file copy: closing a second descriptor of a table file would
// drop this connection's locks on it.
SnapshotFailure snapshotTables(const QString& folder, std::vector<Copied>* copied)
{
    Store& store = session().store;
    sql::Database& db = store.db();
    if (!store.isOpen())
        return failure(SnapshotFailure::Other, QStringLiteral("the store is not open"));
    sql::Transaction read(db, false);
    if (!read.isActive()) return failure(SnapshotFailure::Other, db.lastError());
    std::vector<const schema::Table*> tables;
    for (const QString& fileName : BackupPackageFiles()) {
        const schema::Table* table = schema::find(fileName);
        if (!table || !store.isAttached(table->name)) continue;
        // The first read takes the file's shared lock, held until the transaction ends.
        sql::Statement lock(db, QStringLiteral("SELECT COUNT(*) FROM ") +
                                    sql::quoteIdentifier(table->schemaName) +
                                    QStringLiteral(".sqlite_master"));
        if (!lock.next()) {
            if (damagedCode(sqlite3_extended_errcode(db.handle())))
                return failure(SnapshotFailure::Damaged, damagedText(*table, lock.error()));
            return failure(SnapshotFailure::Other, lock.error());
        }
        tables.push_back(table);
    }
    for (const schema::Table* table : tables) {
        const QString name = QFileInfo(files::resolve(storeDir(), table->fileName)).fileName();
        sql::Database copy;
        QString error;
        if (!copy.open(QDir(folder).filePath(name), true, &error))
            return failure(SnapshotFailure::Other, error);
        const QByteArray schemaName = table->schemaName.toUtf8();
        sqlite3_backup* backup =
            sqlite3_backup_init(copy.handle(), "main", db.handle(), schemaName.constData());
        if (!backup) return failure(SnapshotFailure::Other, copy.lastError());
        const int step = sqlite3_backup_step(backup, -1);
        const int finish = sqlite3_backup_finish(backup);
        if (step != SQLITE_DONE || finish != SQLITE_OK) {
            const int code = step != SQLITE_DONE ? step : finish;
            const QString why = QString::fromUtf8(sqlite3_errstr(code));
            if (damagedCode(code))
                return failure(SnapshotFailure::Damaged, damagedText(*table, why));
            if ((code & 0xFF) == SQLITE_FULL)
                return failure(SnapshotFailure::Full, name + QStringLiteral(": ") + why);
            return failure(SnapshotFailure::Other, name + QStringLiteral(": ") + why);
        }
        copied->push_back({name, table});
    }
    read.rollback();
    return {};
}

// Quick-checks the copies on a thread of its own while zip packs them, each through a
// connection of that thread: a damaged table would give a package that no restore takes, so the
// package is renamed into place only once every copy has passed.
class CopyCheck {
public:
    CopyCheck(const QString& folder, const std::vector<Copied>& copies)
        : thread_([this, folder, copies] { run(folder, copies); })
    {
    }
    ~CopyCheck() { result(); }
    SnapshotFailure result()
    {
        if (thread_.joinable()) thread_.join();
        return failure_;
    }

private:
    void run(const QString& folder, const std::vector<Copied>& copies)
    {
        for (const Copied& c : copies) {
            sql::Database db;
            QString fault;
            if (db.open(QDir(folder).filePath(c.name), false, &fault)) {
                sql::Statement st(db, QStringLiteral("PRAGMA quick_check(1)"));
                if (!st.next())
                    fault = st.ok() ? QStringLiteral("the check gave no answer") : st.error();
                else if (st.textValue(0) != QStringLiteral("ok"))
                    fault = st.textValue(0);
            }
            if (!fault.isEmpty()) {
                failure_ = failure(SnapshotFailure::Damaged, damagedText(*c.table, fault));
                return;
            }
        }
    }

    SnapshotFailure failure_;
    std::thread thread_;
};

// The owner's process id as recorded in a work folder; 0 when there is none.
qint64 workOwner(const QString& folder)
{
    QFile file(QDir(folder).filePath(kOwnerFile));
    if (!file.open(QIODevice::ReadOnly)) return 0;
    return file.read(32).trimmed().toLongLong();
}

bool processAlive(qint64 pid) { return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM); }

// Free room on the disk of dir, or -1 when unknown.
qint64 freeRoom(const QString& dir)
{
    QStorageInfo info(dir);
    info.refresh();
    return info.isValid() ? info.bytesAvailable() : -1;
}

QString diskFullText(const QString& dir)
{
    const qint64 room = freeRoom(dir);
    QString text = QStringLiteral("The disk is full: ") + QDir::toNativeSeparators(dir);
    if (room >= 0) text += QStringLiteral(" has %1 KB free").arg(room / 1024);
    return text + QStringLiteral(". Make room and back up again.");
}

// The status zip ended with, as the script recorded it; -1 while it runs.
int zipStatus(const QString& folder)
{
    QFile file(QDir(folder).filePath(kStatusFile));
    if (!file.open(QIODevice::ReadOnly)) return -1;
    bool ok = false;
    const int status = file.read(kStatusRoom.size()).trimmed().toInt(&ok);
    return ok ? status : -1;
}

qint64 folderSize(const QString& folder)
{
    qint64 size = 0;
    for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files)) size += f.size();
    return size;
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
    // The status is written over room made in advance (1<> neither truncates nor creates), so
    // that it can be told even on a full disk.
    const QString script = QStringLiteral(
        "#!/bin/sh\n"
        "cd \"$2\" || exit 1\n"
        "zip \"$1\" -@ < pack0.lst > /dev/null\n"
        "status=$?\n"
        "if [ -f zip.status ]; then printf '%s\\n' \"$status\" 1<> zip.status; fi\n"
        "exit $status\n");

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

void RemoveAbandonedBackupWork(const QString& dir)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QFileInfoList folders = QDir(dir).entryInfoList({QStringLiteral("backup-??????")},
                                                          QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo& f : folders) {
        if (f.isSymLink()) continue;
        const qint64 owner = workOwner(f.absoluteFilePath());
        // A folder without its owner yet may be one being made this moment; zip may outlive a
        // backup the user gave up waiting for, in the same run.
        const bool abandoned = owner > 0 ? !processAlive(owner) : f.lastModified().secsTo(now) > 60;
        if (abandoned || f.lastModified().secsTo(now) > kStaleSnapshotSeconds)
            QDir(f.absoluteFilePath()).removeRecursively();
    }
    // zip's own temporary files, left beside the store by backups that wrote the package there.
    static const QRegularExpression zipTemporary(QStringLiteral("^zi[A-Za-z0-9]{6}$"));
    for (const QFileInfo& f : QDir(dir).entryInfoList(QDir::Files | QDir::Hidden)) {
        if (f.isSymLink() || !zipTemporary.match(f.fileName()).hasMatch()) continue;
        QFile file(f.absoluteFilePath());
        if (!file.open(QIODevice::ReadOnly)) continue;
        const QByteArray head = file.read(4);
        file.close();
        if (head.isEmpty() || head.startsWith("PK")) QFile::remove(f.absoluteFilePath());
    }
}

QString MakeBackupPackage(const QString& name, const QString& batchFile)
{
    const QString dir = storeDir();
    const QString package = BackupPackagePath(name);
    auto fail = [](const char* code, const QString& why) {
        ShowInfo(kFailed + QStringLiteral("\r\n") + why, QString::fromLatin1(code), kError,
                 kHelpBackup);
        return QString();
    };
    // The batch files are written at every start, and again here: a store only the CLI has used
    // lacks them, and one left by an older version or edited by hand must not be what runs.
    WriteBatchFiles(dir);
    const QString script = files::resolve(dir, batchFile);
    if (QStandardPaths::findExecutable(QStringLiteral("zip")).isEmpty())
        return fail("qb4100b", QStringLiteral("No zip program was found."));
    if (!QFileInfo(script).isFile())
        return fail("qb4100b", QDir::toNativeSeparators(script) + QStringLiteral(" is missing."));

    // Everything the backup makes goes into a work folder of its own beside the tables; the
    // package of that name is replaced only by a complete new one, in one rename.
    RemoveAbandonedBackupWork(dir);
    QTemporaryDir work(QDir(dir).filePath(QStringLiteral("backup-XXXXXX")));
    const QString folder = work.path();
    const QString built = QDir(folder).filePath(kWorkPackage);
    if (!work.isValid() ||
        !files::writeTextFile(QDir(folder).filePath(kOwnerFile),
                              QString::number(QCoreApplication::applicationPid())))
        return fail("qb4100b", freeRoom(dir) < (qint64(1) << 20)
                                   ? diskFullText(dir)
                                   : QStringLiteral("No work folder could be made in ") +
                                         QDir::toNativeSeparators(dir));
    std::vector<Copied> copied;
    const SnapshotFailure copy = snapshotTables(folder, &copied);
    if (copy.kind == SnapshotFailure::Damaged) return fail("qb4100c", copy.text);
    if (copy.kind == SnapshotFailure::Full) return fail("qb4100b", diskFullText(dir));
    if (copy.kind != SnapshotFailure::None) return fail("qb4100b", copy.text);
    // The list zip reads names what the package holds.
    QString list;
    for (const Copied& c : copied) list += c.name + QStringLiteral("\r\n");
    QFile status(QDir(folder).filePath(kStatusFile));
    if (!files::writeTextFile(QDir(folder).filePath(QStringLiteral("pack0.lst")), list) ||
        !status.open(QIODevice::WriteOnly) || status.write(kStatusRoom) != kStatusRoom.size() ||
        !status.flush())
        return fail("qb4100b", diskFullText(dir));
    status.close();

    TExecFile runner(QStringLiteral("BackupRunner"));
    runner.Windowstyle = TWState::wsMinNoActivate;
    runner.setWaitPeriodLength(3600);
    runner.WaitAttempts = 20;
    runner.InfoText = QStringLiteral("Making a backup file (zip-file)");
    runner.EscInfoText = QStringLiteral("External program execution was terminated by user.");
    // zip has ended once the script recorded its status.
    runner.IsDoneTest = [folder] {
        session().messenger().processEvents();
        return zipStatus(folder) >= 0;
    };
    runner.IsDoneQuickly = [folder] { return zipStatus(folder) >= 0; };
    runner.IsAnulledByCaller = GeneralDoNotAnulByEsc;
    runner.FileName = QStringLiteral("/bin/sh");
    runner.FilePath = dir;
    runner.Parameters = QuoteParameter(script) + QLatin1Char(' ') + QuoteParameter(built) +
                        QLatin1Char(' ') + QuoteParameter(folder) + QLatin1Char(' ') +
                        QuoteParameter(dir);
    runner.Wait = true;
    CopyCheck check(folder, copied);
    const bool ok = runner.Execute();
    const SnapshotFailure damage = check.result();
    if (damage.kind != SnapshotFailure::None) {
        // zip may still be reading the copies: they stay until this process has ended.
        if (!ok) work.setAutoRemove(false);
        return fail("qb4100c", damage.text);
    }
    if (!runner.started()) return fail("qb4100b", runner.startError());
    // zip may still be reading the copies when the user gave up waiting: they stay, and go with
    // a later backup once this process has ended.
    if (!ok) {
        work.setAutoRemove(false);
        return fail("qb4100a", QStringLiteral("zip did not end in time."));
    }
    const int zipEnded = zipStatus(folder);
    if (zipEnded != 0 || !QFileInfo(built).isFile()) {
        const bool full = zipEnded == kZipWriteError || zipEnded == kZipCreateError ||
                          freeRoom(dir) < folderSize(folder);
        return fail("qb4100a", full ? diskFullText(dir)
                                    : QStringLiteral("zip ended with status %1.").arg(zipEnded));
    }
    if (std::rename(QFile::encodeName(built).constData(), QFile::encodeName(package).constData()) !=
        0)
        return fail("qb4100a", QDir::toNativeSeparators(package) +
                                   QStringLiteral(" could not be replaced: ") +
                                   QString::fromLocal8Bit(std::strerror(errno)));
    return package;
}

QString Backtofile(const QString& batchFile, const QString& suffix)
{
    DesktopHooks& hooks = session().hooks;
    RunGuard layoutDown(session().layoutDown);
    hooks.banner(QStringLiteral("If there are problems, wait for time-out messages"));
    hooks.commit();
    const QString name = BackupFileName(suffix);
    if (name.isEmpty()) {
        hooks.noBanner();
        return QString();
    }
    // Taken down only now: a refused name leaves the windows where they are.
    hooks.saveWindows();
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
    const QString package = Backtofile(QStringLiteral("export.sh"), QString());
    // Said, so the user knows where to find it again.
    if (!package.isEmpty())
        ShowInfo(QStringLiteral("The backup was written to %1 (%2).")
                     .arg(QDir::toNativeSeparators(QFileInfo(package).absoluteFilePath()),
                          QLocale().formattedDataSize(QFileInfo(package).size())),
                 QString(), kInformation, kHelpBackup);
    return package;
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
