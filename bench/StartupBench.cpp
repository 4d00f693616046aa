// bench_startup: the start-up checks (DataChecks with GetFrequencies) on a large store, against
// the bare frequency aggregate run by the sqlite3 tool on the same files.
#include "BenchSupport.h"
#include "SyntheticStore.h"

#include "floor/Messenger.h"
#include "platform/FileNames.h"
#include "platform/Sqlite.h"
#include "session/DataChecks.h"
#include "session/Session.h"
#include "store/Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const char kAggregate[] =
    "SELECT DISTINCT D.WNo, COUNT(D.IT) AS WFQ  FROM ITEMKEYS D, WORD D1 WHERE (D1.WNo = D.WNo) "
    "GROUP BY D.WNo ORDER BY D.WNo;";

QString sqlString(const QString& text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) +
           QLatin1Char('\'');
}

// Runs the aggregate in the sqlite3 tool with the files attached as the store attaches them.
// Returns the tool's own timing of the query (seconds) and the whole process time in *wall.
double runBareAggregate(const QString& tool, const QString& dir, double* wall)
{
    QString script;
    for (const qb::schema::Table& table : qb::schema::tables()) {
        if (table.schemaName == QStringLiteral("main")) continue;
        script += QStringLiteral("ATTACH DATABASE %1 AS %2;\n")
                      .arg(sqlString(qb::files::resolve(dir, table.fileName)), table.schemaName);
    }
    script += QStringLiteral(".timer on\n") + QString::fromLatin1(kAggregate) + QLatin1Char('\n');
    QElapsedTimer timer;
    timer.start();
    QProcess p;
    p.start(tool, {QStringLiteral("-batch"), qb::files::resolve(dir, QStringLiteral("ITEM.DB"))});
    p.write(script.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(600000);
    QString out = QString::fromUtf8(p.readAllStandardOutput());
    *wall = timer.elapsed() / 1000.0;
    QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Run Time: real ([0-9.]+)")).match(out);
    if (p.exitCode() != 0 || !m.hasMatch()) {
        std::fprintf(stderr, "sqlite3 failed: %s\n", p.readAllStandardError().constData());
        return -1;
    }
    return m.captured(1).toDouble();
}

double timeDataChecks()
{
    QElapsedTimer timer;
    timer.start();
    qb::DataChecks(true);
    return timer.nsecsElapsed() / 1e9;
}

// The read of every table file that the desktop's checks run before anything else.
double timeFileChecks()
{
    QElapsedTimer timer;
    timer.start();
    qb::CheckTableFiles(true);
    return timer.nsecsElapsed() / 1e9;
}

void usage()
{
    std::fprintf(stderr,
                 "usage: bench_startup [--dir DIR] [--items N] [--seed S] [--runs R]\n"
                 "  DIR holding a store is used as it is; otherwise a store of N items"
                 " (default 100000) is generated there or in a temporary folder.\n");
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString dir;
    qb::bench::SyntheticStoreOptions options;
    options.items = 100000;
    int runs = 5;
    if (!qb::bench::readOptions(args, {{"--dir", &dir},
                                       {"--items", &options.items},
                                       {"--seed", &options.seed},
                                       {"--runs", &runs}}) ||
        options.items <= 0 || runs <= 0) {
        usage();
        return 2;
    }

    QTemporaryDir temp;
    if (dir.isEmpty()) dir = temp.path();
    if (!qb::bench::ensureSyntheticStore(dir, options)) return 1;

    qb::bench::RecordingMessenger messenger;
    qb::Session& s = qb::session();
    s.setMessenger(&messenger);
    s.setDir(dir);
    QElapsedTimer openTimer;
    openTimer.start();
    QString error;
    if (!s.store.open(s.dir(), &error)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 1;
    }
    const double openSeconds = openTimer.nsecsElapsed() / 1e9;

    const QString tool = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    double wall = 0;
    // One untimed round of each, so both read from a warm page cache.
    timeDataChecks();
    if (!tool.isEmpty()) runBareAggregate(tool, s.dir(), &wall);

    std::vector<double> bare, bareWall, fresh, stale, fileChecks;
    for (int r = 0; r < runs; ++r) {
        fileChecks.push_back(timeFileChecks());
        if (!tool.isEmpty()) {
            bare.push_back(runBareAggregate(tool, s.dir(), &wall));
            bareWall.push_back(wall);
        }
        fresh.push_back(timeDataChecks());
        // Every mark wrong, as after an import: the pass must rewrite each word.
        s.store.db().exec(QStringLiteral("UPDATE WORD SET WFQ = 1"));
        stale.push_back(timeDataChecks());
    }
    s.store.close();
    s.setMessenger(nullptr);

    if (!messenger.seen.isEmpty()) {
        std::fprintf(stderr, "the checks reported problems, figures do not count:\n%s\n",
                     messenger.seen.join(QLatin1Char('\n')).toLocal8Bit().constData());
        return 1;
    }
    std::printf("store open (11 files)                   %8.3f s\n", openSeconds);
    std::printf("quick check of every table file         %8.3f s (median of %d)\n",
                qb::bench::median(fileChecks), runs);
    std::printf("DataChecks, frequencies already right   %8.3f s (median of %d)\n",
                qb::bench::median(fresh), runs);
    std::printf("DataChecks, every frequency stale       %8.3f s\n", qb::bench::median(stale));
    if (tool.isEmpty()) {
        std::printf("sqlite3 tool not found: no baseline\n");
        return 0;
    }
    const double base = qb::bench::median(bare);
    std::printf("bare aggregate in sqlite3 (its timer)   %8.3f s (process %.3f s)\n", base,
                qb::bench::median(bareWall));
    const double worst = std::max(qb::bench::median(stale), qb::bench::median(fresh));
    const double ratio = base > 0 ? worst / base : 0;
    const double total = worst + qb::bench::median(fileChecks);
    std::printf("ratio, worse case / bare aggregate      %8.2f\n", ratio);
    std::printf("file check and DataChecks together      %8.3f s\n", total);
    std::printf("targets: ratio <= 3 %s, under 1.5 s %s\n", ratio <= 3 ? "met" : "MISSED",
                total < 1.5 ? "met" : "MISSED");
    return 0;
}
