#include "backup/Maintenance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

#include "backup/Backup.h"
#include "floor/Messages.h"
#include "floor/RunContext.h"
#include "platform/FileNames.h"
#include "platform/Sqlite.h"
#include "session/DataChecks.h"
#include "session/Session.h"
#include "session/TableFiles.h"
#include "store/Schema.h"

namespace qb {

namespace {

constexpr int kHelpClear = 30160;
const QString kCleanData = QStringLiteral("cleandata.zip");
constexpr int kUnzipTimeoutMs = 120000;

QString storeDir()
{
    QString dir = session().store.dir();
    return dir.isEmpty() ? session().dir() : dir;
}

class WaitCursor {
public:
    WaitCursor() { session().messenger().setWaitCursor(true); }
    ~WaitCursor() { session().messenger().setWaitCursor(false); }
};

bool deleteAll()
{
    sql::Database& db = session().store.db();
    sql::Transaction transaction(db);
    if (!transaction.isActive()) return false;
    for (const QString& name : TablesEmptiedByClearAll()) {
        const schema::Table* table = schema::find(name);
        if (!table || !session().store.isAttached(table->name)) return false;
        if (!db.exec(QStringLiteral("DELETE FROM ") + sql::quoteIdentifier(table->name)))
            return false;
    }
    return transaction.commit();
}

QString cleanDataPackage()
{
    if (files::exists(storeDir(), kCleanData)) return files::resolve(storeDir(), kCleanData);
    const QString installed = files::resolve(files::shareDir(), kCleanData);
    return QFileInfo::exists(installed) ? installed : QString();
}

// Replaces one table file by a fresh one in one rename; a journal of the old file would be
// played into the new one on its next open, so it goes too.
bool replaceTableFile(const QString& fresh, const QString& fileName)
{
    const QString target = files::resolve(storeDir(), fileName);
    files::removeIfPresent(storeDir(), QFileInfo(target).fileName() + QStringLiteral("-journal"));
    return std::rename(QFile::encodeName(fresh).constData(),
                       QFile::encodeName(target).constData()) == 0;
}

// The unpack way: the empty tables of cleandata.zip unpacked beside the store and moved over the
// table files, so that no table is ever half written. The store is closed around it.
bool unpackCleanData()
{
    CloseQBFiles();
    const QString package = cleanDataPackage();
    QTemporaryDir unpacked(QDir(storeDir()).filePath(QStringLiteral("clean-XXXXXX")));
    bool ok = !package.isEmpty() && unpacked.isValid();
    if (ok) {
        QProcess unzip;
        unzip.setWorkingDirectory(storeDir());
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-o"), QStringLiteral("-qq"), package,
                                              QStringLiteral("-d"), unpacked.path()});
        ok = unzip.waitForFinished(kUnzipTimeoutMs) && unzip.exitStatus() == QProcess::NormalExit &&
             unzip.exitCode() == 0 && files::exists(unpacked.path(), QStringLiteral("ITEM.DB"));
    }
    if (!ok) {
        ShowInfo(QStringLiteral("Failed to create a fresh empty database from CleanData.zip - Try "
                                "to do it manually."),
                 QStringLiteral("qb5453"), kSystemError, kHelpClear);
        return false;
    }
    // These three are made again from the program's own schema below.
    for (const char* name : {"SHOW.DB", "ITMSJMP.DB", "PRJORDR.DB"}) {
        const QString fileName = QString::fromLatin1(name);
        files::removeIfPresent(storeDir(), fileName + QStringLiteral("-journal"));
        if (!files::removeIfPresent(storeDir(), fileName))
            PlainMessage(QStringLiteral("Failed to remove file(s): ") + fileName +
                         QStringLiteral(". Restart program or computer."));
        files::removeIfPresent(unpacked.path(), fileName);
    }
    for (const schema::Table& table : schema::tables()) {
        if (!files::exists(unpacked.path(), table.fileName)) continue;
        if (!replaceTableFile(files::resolve(unpacked.path(), table.fileName), table.fileName)) {
            PlainMessage(QStringLiteral("Some problem with CleanData emptying"));
            return false;
        }
    }
    ShowInfo(QStringLiteral("A fresh empty database was created from CleanData.zip"),
             QStringLiteral("qb5457"), kInformation, kHelpClear);
    files::removeIfPresent(storeDir(), QStringLiteral("problems.txt"));
    if (!OpenQBFiles()) return false;
    const std::pair<bool (*)(), const char*> remade[] = {{CreateItmsjmp, "Associations Jump Table"},
                                                         {CreateShow, "Show Connections Table)"},
                                                         {CreatePrjOrdr, "PrjOrdr Table)"}};
    for (const auto& [create, what] : remade) {
        if (create()) continue;
        NonTrivialError(QStringLiteral("Failed to create Quillbox 2000 1.1 version table (") +
                        QString::fromLatin1(what));
        session().flags.requestStop();
        return false;
    }
    return true;
}

void addCountLines(QString& text, const QList<qint64>& counts, const char* one, const char* many)
{
    const QString blanks = QStringLiteral("       ");
    for (int n = 1; n <= 6; ++n) {
        QString label = n == 1   ? QStringLiteral(" with 1 ") + QLatin1String(one)
                        : n == 6 ? QStringLiteral(" with more ") + QLatin1String(many)
                                 : QStringLiteral(" with %1 ").arg(n) + QLatin1String(many);
        text += QStringLiteral("\r\n") + blanks + QString::number(counts[n - 1]) + label;
    }
}

// Number of groups and how many of them have 1, 2, 3, 4, 5 and more rows.
bool groupSizes(const QString& table, const QString& key, qint64* groups, QList<qint64>* sizes,
                QString* error)
{
    *sizes = QList<qint64>(6, 0);
    *groups = 0;
    sql::Statement st(session().store.db(),
                      QStringLiteral("SELECT n, COUNT(*) FROM (SELECT COUNT(WNo) AS n FROM %1 "
                                     "GROUP BY %2) GROUP BY n")
                          .arg(table, key));
    while (st.next()) {
        const qint64 n = st.int64Value(0), count = st.int64Value(1);
        *groups += count;
        if (n >= 1) (*sizes)[int(qMin<qint64>(n, 6)) - 1] += count;
    }
    if (error) *error = st.error();
    return st.ok();
}

}  // namespace

QStringList TablesEmptiedByClearAll()
{
    return {QStringLiteral("DICT"),     QStringLiteral("ITEM"),    QStringLiteral("ITEMURL"),
            QStringLiteral("ITEMKEYS"), QStringLiteral("PROJECT"), QStringLiteral("WORD"),
            QStringLiteral("INFLEC"),   QStringLiteral("SHOW"),    QStringLiteral("ITMSJMP"),
            QStringLiteral("PRJORDR")};
}

int StoreItemCount()
{
    if (!session().store.isOpen()) return -1;
    sql::Statement st(session().store.db(), QStringLiteral("SELECT COUNT(*) FROM ITEM"));
    return st.next() ? int(st.int64Value(0)) : -1;
}

bool OfferBackupBeforeEmptying()
{
    // An unreadable ITEM table may still hold items: it is treated as a full one.
    if (StoreItemCount() == 0) return true;
    if (!AskYesDefault(QStringLiteral("This command will remove all data. A regular backup will "
                                      "be made first if the database is not empty."),
                       kHelpClear) ||
        !AskYesDefault(QStringLiteral("Very last warning: OK to delete all data in the data base?"),
                       kHelpClear))
        return false;
    return BackupBeforeEmptying();
}

bool BackupBeforeEmptying()
{
    if (!session().store.isOpen() || StoreItemCount() == 0) return true;
    // The layout is saved while the windows are still there; the caller restores it.
    DesktopHooks& hooks = session().hooks;
    RunGuard layoutDown(session().layoutDown);
    hooks.commit();
    hooks.saveWindows();
    const QString name = BackupFileName(QString());
    if (name.isEmpty()) return true;  // the user chose no backup
    hooks.banner(QStringLiteral("If there are problems, wait for time-out messages"));
    hooks.clear();
    const bool made = !MakeBackupPackage(name, QStringLiteral("export.sh")).isEmpty();
    hooks.noBanner();
    return made;
}

bool EmptyStore(ClearWay way)
{
    if (way == ClearWay::Delete && session().store.isOpen() && deleteAll()) return true;
    const bool ok = unpackCleanData();
    if (!session().store.isOpen()) OpenQBFiles();
    return ok;
}

bool Clearalldata1Click(bool offerBackup)
{
    WaitCursor wait;
    RunGuard layoutDown(session().layoutDown);
    const int items = StoreItemCount();
    if (offerBackup && !OfferBackupBeforeEmptying()) return false;
    DesktopHooks& hooks = session().hooks;
    hooks.commit();
    // Once the offer has run, the desktop may be cleared already: its saved layout stands.
    if (!offerBackup || items == 0) hooks.saveWindows();
    hooks.clear();
    session().commitRunning.reset();
    const bool problems = files::exists(storeDir(), QStringLiteral("problems.txt"));
    const ClearWay way =
        items >= 2 && !session().flags.stopped() && !problems ? ClearWay::Delete : ClearWay::Unpack;
    const bool ok = EmptyStore(way);
    if (!session().store.isOpen()) OpenQBFiles();
    hooks.restoreWindows();
    return ok;
}

bool Clearalltimestamps1Click()
{
    WaitCursor wait;
    sql::Database& db = session().store.db();
    sql::Transaction transaction(db);
    if (!transaction.isActive()) return false;
    for (const char* statement :
         {"UPDATE ITEM SET ITS = -1.0", "UPDATE DICT SET CTS = -1.0",
          "UPDATE PROJECT SET PTS = -1.0", "UPDATE WORD SET WTS = -1.0, WTS2 = -1.0"})
        if (!db.exec(QString::fromLatin1(statement))) return false;
    return transaction.commit();
}

bool StatisticsText(QString* text, QString* error)
{
    sql::Database& db = session().store.db();
    qint64 words = 0, projects = 0, concepts = 0, items = 0;
    QList<qint64> conceptSizes, itemSizes;
    {
        sql::Statement st(db, QStringLiteral("SELECT COUNT(DISTINCT Word) FROM WORD"));
        if (!st.next()) {
            if (error) *error = st.error();
            return false;
        }
        words = st.int64Value(0);
    }
    if (!groupSizes(QStringLiteral("DICT"), QStringLiteral("C"), &concepts, &conceptSizes, error) ||
        !groupSizes(QStringLiteral("ITEMKEYS"), QStringLiteral("IT"), &items, &itemSizes, error))
        return false;
    {
        sql::Statement st(db, QStringLiteral("SELECT COUNT(DISTINCT Project) FROM PROJECT"));
        if (!st.next()) {
            if (error) *error = st.error();
            return false;
        }
        projects = st.int64Value(0);
    }
    const QString gap = QStringLiteral("\r\n\r\n");
    QString t = QStringLiteral("STATISTICS: ") + gap + QString::number(words) +
                QStringLiteral(" words") + gap + QString::number(concepts) +
                QStringLiteral(" concepts");
    addCountLines(t, conceptSizes, "word", "words");
    t += gap + QString::number(items) + QStringLiteral(" items");
    addCountLines(t, itemSizes, "keyword", "keywords");
    t += gap + QString::number(projects) + QStringLiteral(" projects") + QStringLiteral("\r\n");
    *text = t;
    return true;
}

void ShowStatisticsClick()
{
    QString text;
    if (StatisticsText(&text)) ShowInfo(text, QStringLiteral("qb6076"), kInformation, 40050);
}

QString Printalltexttofile1Click()
{
    WaitCursor wait;
    QString all;
    sql::Statement st(session().store.db(),
                      QStringLiteral("SELECT TX, IT FROM ITEM ORDER BY IT DESC"));
    while (st.next()) {
        QString text = st.textValue(0);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        all += text + QStringLiteral("\r\n\r\n");
    }
    if (!st.ok()) return QString();
    const QString path = QDir(storeDir()).filePath(QStringLiteral("QB_ALL_ITEMS.txt"));
    if (!files::writeTextFile(files::resolve(storeDir(), QStringLiteral("QB_ALL_ITEMS.txt")), all))
        return QString();
    ShowInfo(QStringLiteral("All text printed to file: ") + path, QString(), kInformation, 75010);
    return path;
}

DamagedItemsOutcome FindDamagedItems1Click(const DamagedItemsDesk& desk)
{
    Session& s = session();
    std::vector<Timestamp> ids;
    {
        sql::Statement st(s.store.db(), QStringLiteral("SELECT IT FROM ITEM ORDER BY IT"));
        while (st.next()) ids.push_back(st.extValue(0));
    }
    if (!ShowInfo(QStringLiteral("This routine will load and unload cards until the an error "
                                 "occurs. "),
                  QStringLiteral("qb9114"), kQuestionYes, 40060)) {
        s.flags.clearStop();
        return DamagedItemsOutcome::NotRun;
    }
    DamagedItemsOutcome outcome = DamagedItemsOutcome::Passed;
    {
        WaitCursor wait;
        int& resume = s.part<DamagedItemsResume>().position;
        if (desk.removeCards) desk.removeCards();
        size_t row = size_t(qMax(0, resume));
        int k = 0;
        bool found = false;
        for (; row < ids.size(); ++row) {
            if (s.flags.takeEscape()) break;
            const bool placed = desk.place && desk.place(ids[row], k);
            if (!placed || s.flags.stopped()) {
                found = true;
                break;
            }
            if (++k == 10) {
                if (desk.removeCards) desk.removeCards();
                if (desk.commit) desk.commit();
                s.hooks.banner(QStringLiteral("Item no ") + QString::number(row + 1));
                k = 0;
            }
            ++resume;
            s.messenger().processEvents();
        }
        if (row >= ids.size()) resume = 0;
        if (found) {
            PlainMessage(QStringLiteral("Error found"));
            outcome = DamagedItemsOutcome::ErrorFound;
        } else if (desk.removeCards) {
            desk.removeCards();
        }
        s.hooks.noBanner();
        s.flags.clearStop();
    }
    ShowInfo(QStringLiteral("Done. Repair or delete any erroneous cards left on desktop.  Repeat "
                            "the procedure until it passes without errors"),
             QStringLiteral("qb9165"), kInformation, 40060);
    return outcome;
}

}  // namespace qb
