// qb-gen: writes a synthetic store for benchmarks and trials.
#include "SyntheticStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStringList>

#include <cstdio>

namespace {

void usage()
{
    std::fprintf(stderr,
                 "usage: qb-gen --dir DIR --items N [--projects P] [--seed S] [--pictures-every K]"
                 " [--stale-frequencies] [--replace]\n");
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    qb::bench::SyntheticStoreOptions options;
    QString dir;
    bool itemsGiven = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        bool hasValue = i + 1 < args.size();
        bool ok = true;
        if (a == QStringLiteral("--dir") && hasValue) {
            dir = args[++i];
        } else if (a == QStringLiteral("--items") && hasValue) {
            options.items = args[++i].toInt(&ok);
            itemsGiven = ok && options.items > 0;
        } else if (a == QStringLiteral("--projects") && hasValue) {
            options.projects = args[++i].toInt(&ok);
            ok = ok && options.projects >= 0;
        } else if (a == QStringLiteral("--seed") && hasValue) {
            options.seed = args[++i].toULongLong(&ok);
        } else if (a == QStringLiteral("--pictures-every") && hasValue) {
            options.pictureEvery = args[++i].toInt(&ok);
        } else if (a == QStringLiteral("--stale-frequencies")) {
            options.freshFrequencies = false;
        } else if (a == QStringLiteral("--replace")) {
            options.replace = true;
        } else {
            ok = false;
        }
        if (!ok) {
            usage();
            return 2;
        }
    }
    if (dir.isEmpty() || !itemsGiven) {
        usage();
        return 2;
    }

    QElapsedTimer timer;
    timer.start();
    qb::bench::SyntheticStoreCounts counts;
    QString error;
    if (!qb::bench::writeSyntheticStore(dir, options, &counts, &error)) {
        std::fprintf(stderr, "qb-gen: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    std::printf("store      %s\n",
                QDir::toNativeSeparators(QDir(dir).absolutePath()).toLocal8Bit().constData());
    std::printf("items      %lld (%lld with pictures, %.1f MB of text)\n", counts.items,
                counts.pictures, counts.textBytes / 1e6);
    std::printf("keywords   %lld links\n", counts.itemKeys);
    std::printf("projects   %lld, %lld item links, %lld ordered\n", counts.projects,
                counts.itemProjects, counts.projectOrders);
    std::printf("words      %lld (%lld unused), %lld forms\n", counts.words, counts.unusedWords,
                counts.inflections);
    std::printf("concepts   %lld, %lld word records\n", counts.concepts, counts.conceptWords);
    std::printf("jumps      %lld association records\n", counts.associations);
    std::printf("written in %.2f s\n", timer.elapsed() / 1000.0);
    return 0;
}
