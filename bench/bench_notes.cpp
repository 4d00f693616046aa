// export-notes of a generated store against writing the same texts as plain files in the same
// run: the bare read of IT and TX, one file per item. Target: within 2x (exit status 1 otherwise).
//
//     bench_notes [--dir D] [--items N] [--runs R]

#include "BenchSupport.h"
#include "interchange/MarkdownNotes.h"
#include "platform/Sqlite.h"
#include "session/Session.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <unistd.h>
#include <cstdio>

using namespace qb;

namespace {

double cpuMs()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString dir;
    int items = 100000;
    int runs = 3;
    if (!bench::readOptions(app.arguments().mid(1),
                            {{"--dir", &dir}, {"--items", &items}, {"--runs", &runs}}) ||
        items < 1 || runs < 1) {
        std::fprintf(stderr, "usage: bench_notes [--dir D] [--items N] [--runs R]\n");
        return 2;
    }
    QTemporaryDir scratch;
    if (dir.isEmpty()) dir = scratch.filePath(QStringLiteral("store"));
    bench::SyntheticStoreOptions options;
    options.items = items;
    bench::RecordingMessenger messenger;
    if (!bench::ensureSyntheticStore(dir, options) || !bench::openStore(dir, messenger)) return 2;

    QTemporaryDir out;
    int round = 0;
    auto fresh = [&out, &round](const char* kind) {
        const QString path = out.filePath(QString::fromLatin1(kind) + QString::number(++round));
        QDir(path).removeRecursively();
        return path;
    };
    int written = 0;
    NotesExportResult result;
    // The rounds alternate and each starts after a sync: the file system's state (pending
    // writes, inodes freed by earlier runs) then weighs on both ways alike.
    std::vector<double> plainMs, notesMs, plainCpu, notesCpu;
    for (int run = 0; run < runs; ++run) {
        ::sync();
        QElapsedTimer timer;
        timer.start();
        double cpu = cpuMs();
        {
            const QString target = fresh("plain");
            QDir().mkpath(target);
            sql::Statement st(session().store.db(), QStringLiteral("SELECT IT, TX FROM ITEM"));
            int n = 0;
            while (st.next()) {
                QFile file(target + QLatin1Char('/') + QString::number(++n) +
                           QStringLiteral(".txt"));
                if (file.open(QIODevice::WriteOnly)) file.write(st.textValue(1).toUtf8());
            }
            written = n;
        }
        plainMs.push_back(timer.nsecsElapsed() / 1e6);
        plainCpu.push_back(cpuMs() - cpu);
        ::sync();
        timer.restart();
        cpu = cpuMs();
        result = ExportNotes(fresh("notes"));
        notesMs.push_back(timer.nsecsElapsed() / 1e6);
        notesCpu.push_back(cpuMs() - cpu);
    }
    const double plain = bench::median(plainMs);
    const double notes = bench::median(notesMs);
    if (!result.ok) {
        std::fprintf(stderr, "export-notes failed: %s\n", result.error.toLocal8Bit().constData());
        return 2;
    }
    const double ratio = notes / plain;
    std::printf("%d items (%d notes, %d project listings), medians of %d runs\n", written,
                result.notes, result.projects, runs);
    std::printf("plain files %9.1f ms   export-notes %9.1f ms   ratio %.2f   target 2\n", plain,
                notes, ratio);
    // What the process itself spent (user + system), apart from waiting for the disk.
    std::printf("  cpu time: plain %9.1f ms   export-notes %9.1f ms   ratio %.2f\n",
                bench::median(plainCpu), bench::median(notesCpu),
                bench::median(notesCpu) / bench::median(plainCpu));
    std::fflush(stdout);
    if (!messenger.seen.isEmpty())
        std::printf("messages: %s\n",
                    messenger.seen.join(QStringLiteral(" | ")).toLocal8Bit().constData());
    return ratio <= 2.0 ? 0 : 1;
}
