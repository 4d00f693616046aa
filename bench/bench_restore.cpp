// bench_restore: a restore of a 100,000-item package into a copy of its store, a restore of
// another generated store's package over it, and a merge of that package into it, each against
// plain unzip plus a bare SQL copy of the same rows (no checks, no renumbering, a transaction
// per table). Targets: each under 30 s and within 1.5x of its baseline.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "BenchSupport.h"
#include "backup/Restore.h"
#include "platform/Sqlite.h"
#include "session/Session.h"
#include "store/Schema.h"

namespace {

bool run(const QString& program, const QStringList& args, const QString& cwd = QString())
{
    QProcess p;
    if (!cwd.isEmpty()) p.setWorkingDirectory(cwd);
    p.start(program, args);
    if (!p.waitForFinished(600000) || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", program.toLocal8Bit().constData(),
                     p.readAllStandardError().constData());
        return false;
    }
    return true;
}

QStringList packageFiles()
{
    QStringList names;
    for (const qb::schema::Table& t : qb::schema::tables())
        if (t.name != QStringLiteral("SCHED")) names << t.fileName;
    return names;
}

bool copyStore(const QString& from, const QString& to)
{
    QDir(to).removeRecursively();
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files))
        if (!QFile::copy(QDir(from).filePath(name), QDir(to).filePath(name))) return false;
    return true;
}

// The baseline: unzip, then every table's rows copied into the store's file by plain SQL.
double baseline(const QString& zip, const QString& store, const QString& scratch, bool empty)
{
    QElapsedTimer timer;
    timer.start();
    QDir(scratch).removeRecursively();
    if (!run(QStringLiteral("unzip"),
             {QStringLiteral("-o"), QStringLiteral("-qq"), zip, QStringLiteral("-d"), scratch}))
        return -1;
    for (const QString& file : packageFiles()) {
        const qb::schema::Table& table = *qb::schema::find(file);
        qb::sql::Database db;
        QString error;
        if (!db.open(QDir(store).filePath(file), false, &error) ||
            !db.attach(QDir(scratch).filePath(file), QStringLiteral("pkg"), false, &error)) {
            std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
            return -1;
        }
        const QString name = qb::sql::quoteIdentifier(table.name);
        QString sql = QStringLiteral("BEGIN; ");
        if (empty) sql += QStringLiteral("DELETE FROM main.%1; ").arg(name);
        sql += QStringLiteral("INSERT OR REPLACE INTO main.%1 SELECT * FROM pkg.%1; COMMIT;")
                   .arg(name);
        if (!db.exec(sql, &error)) {
            std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
            return -1;
        }
    }
    return double(timer.elapsed());
}

double program(const QString& zip, const QString& store, qb::RestoreMode mode,
               qb::RestoreResult* result, qb::bench::RecordingMessenger& messenger)
{
    if (!qb::bench::openStore(store, messenger)) return -1;
    QElapsedTimer timer;
    timer.start();
    const qb::RestoreRun run = qb::RunPackageImport({zip, mode, false, {}});
    const double ms = double(timer.elapsed());
    qb::session().store.close();
    *result = run.result;
    if (run.outcome != qb::RestoreOutcome::Done) {
        std::fprintf(stderr, "the package was not taken: %s\n",
                     messenger.seen.join(QStringLiteral(" / ")).toLocal8Bit().constData());
        return -1;
    }
    return ms;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString dir, other;
    int items = 100000;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QStringLiteral("--dir"))
            dir = args[i + 1];
        else if (args[i] == QStringLiteral("--other"))
            other = args[i + 1];
        else if (args[i] == QStringLiteral("--items"))
            items = args[i + 1].toInt();
        else {
            std::fprintf(stderr, "usage: bench_restore [--dir DIR] [--other DIR2] [--items N]\n");
            return 2;
        }
    }
    QTemporaryDir temp;
    if (dir.isEmpty()) dir = temp.filePath(QStringLiteral("store"));
    if (other.isEmpty()) other = temp.filePath(QStringLiteral("other"));
    qb::bench::SyntheticStoreOptions options;
    options.items = items;
    if (!qb::bench::ensureSyntheticStore(dir, options)) return 1;
    options.seed = 2;
    if (!qb::bench::ensureSyntheticStore(other, options)) return 1;

    const QString work = temp.filePath(QStringLiteral("work"));
    const QString own = temp.filePath(QStringLiteral("12091200.zip"));
    const QString foreign = temp.filePath(QStringLiteral("12091201.zip"));
    QStringList ownFiles, otherFiles;
    for (const QString& f : packageFiles()) {
        ownFiles << QDir(dir).filePath(f);
        otherFiles << QDir(other).filePath(f);
    }
    if (!run(QStringLiteral("zip"),
             QStringList{QStringLiteral("-j"), QStringLiteral("-q"), own} + ownFiles) ||
        !run(QStringLiteral("zip"),
             QStringList{QStringLiteral("-j"), QStringLiteral("-q"), foreign} + otherFiles))
        return 1;

    qb::bench::RecordingMessenger messenger;
    qb::RestoreResult restored, merged;
    const QString scratch = temp.filePath(QStringLiteral("plain"));
    bool ok = copyStore(dir, work);
    const double restoreBase = ok ? baseline(own, work, scratch, true) : -1;
    ok = ok && copyStore(dir, work);
    const double restoreMs =
        ok ? program(own, work, qb::RestoreMode::Restore, &restored, messenger) : -1;
    // The other store's package restored over this one: hardly a row in common, so every
    // table is emptied and filled anew.
    qb::RestoreResult replaced;
    ok = ok && copyStore(dir, work);
    const double otherBase = ok ? baseline(foreign, work, scratch, true) : -1;
    ok = ok && copyStore(dir, work);
    const double otherMs =
        ok ? program(foreign, work, qb::RestoreMode::Restore, &replaced, messenger) : -1;
    ok = ok && copyStore(dir, work);
    const double mergeBase = ok ? baseline(foreign, work, scratch, false) : -1;
    ok = ok && copyStore(dir, work);
    const double mergeMs =
        ok ? program(foreign, work, qb::RestoreMode::Merge, &merged, messenger) : -1;
    if (restoreBase < 0 || restoreMs < 0 || otherBase < 0 || otherMs < 0 || mergeBase < 0 ||
        mergeMs < 0)
        return 1;

    std::printf("items %d; package %lld bytes\n", items,
                static_cast<long long>(QFileInfo(own).size()));
    std::printf("restore      %9.0f ms   target < 30 s: %s\n", restoreMs,
                restoreMs < 30000 ? "met" : "MISSED");
    std::printf("  baseline   %9.0f ms   (unzip + bare copy)   ratio %.1f, target 1.5: %s\n",
                restoreBase, restoreMs / restoreBase,
                restoreMs <= 1.5 * restoreBase ? "met" : "MISSED");
    std::printf("restore of the other store's package over this one\n");
    std::printf("             %9.0f ms   target < 30 s: %s\n", otherMs,
                otherMs < 30000 ? "met" : "MISSED");
    std::printf("  baseline   %9.0f ms   (unzip + bare copy)   ratio %.1f, target 1.5: %s\n",
                otherBase, otherMs / otherBase, otherMs <= 1.5 * otherBase ? "met" : "MISSED");
    std::printf("merge        %9.0f ms   target < 30 s: %s\n", mergeMs,
                mergeMs < 30000 ? "met" : "MISSED");
    std::printf(
        "  baseline   %9.0f ms   (unzip + bare copy, no renumbering)   ratio %.1f, target 1.5: "
        "%s\n",
        mergeBase, mergeMs / mergeBase, mergeMs <= 1.5 * mergeBase ? "met" : "MISSED");
    std::printf("merge counts:\n%s\n", merged.summary().toLocal8Bit().constData());
    return 0;
}
