// bench_backup: a backup package of a large store, against plain zip of the same table files in
// the same run.
#include "BenchSupport.h"
#include "SyntheticStore.h"
#include "backup/Backup.h"
#include "platform/FileNames.h"
#include "session/Session.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

void usage() { std::fputs("usage: bench_backup [--dir DIR] [--items N] [--runs R]\n", stderr); }

// zip of the table files as they lie in the store, the way a user would pack them by hand.
bool plainZip(const QString& dir, const QString& package)
{
    QStringList names;
    for (const QString& f : qb::BackupPackageFiles())
        if (qb::files::exists(dir, f)) names << QFileInfo(qb::files::resolve(dir, f)).fileName();
    QProcess zip;
    zip.setWorkingDirectory(dir);
    zip.setStandardOutputFile(QProcess::nullDevice());
    zip.start(QStringLiteral("zip"), QStringList{QStringLiteral("-q"), package} + names);
    return zip.waitForFinished(-1) && zip.exitCode() == 0;
}

qint64 packageSize(const QString& path) { return QFileInfo(path).size(); }

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString dir;
    qb::bench::SyntheticStoreOptions options;
    options.items = 100000;
    int runs = 3;
    if (!qb::bench::readOptions(
            args, {{"--dir", &dir}, {"--items", &options.items}, {"--runs", &runs}}) ||
        options.items <= 0 || runs <= 0) {
        usage();
        return 2;
    }

    QTemporaryDir temp;
    if (dir.isEmpty()) dir = temp.path();
    if (!qb::bench::ensureSyntheticStore(dir, options)) return 1;
    qb::bench::RecordingMessenger messenger;
    if (!qb::bench::openStore(dir, messenger)) return 1;
    qb::WriteBatchFiles(dir);
    // The runner's periods stay as the program has them (3.6 s, 20 times): the wait ends when
    // the package is there, so the figure is what a user waits.

    const QString ours = qb::BackupPackagePath(QStringLiteral("benchpkg"));
    const QString plain = QDir(dir).filePath(QStringLiteral("benchplain.zip"));
    bool failed = false;
    std::vector<double> backupMs, zipMs;
    for (int r = 0; r < runs; ++r) {
        QFile::remove(plain);
        zipMs.push_back(qb::bench::timeMs([&] { failed |= !plainZip(dir, plain); }, 1));
        backupMs.push_back(qb::bench::timeMs(
            [&] {
                failed |=
                    qb::MakeBackupPackage(QStringLiteral("benchpkg"), QStringLiteral("export.sh"))
                        .isEmpty();
            },
            1));
    }
    const double b = qb::bench::median(backupMs) / 1000.0;
    const double z = qb::bench::median(zipMs) / 1000.0;
    std::printf("backup package (copy of one moment + zip)  %7.2f s (median of %d), %lld bytes\n",
                b, runs, packageSize(ours));
    std::printf("plain zip of the same table files          %7.2f s, %lld bytes\n", z,
                packageSize(plain));
    std::printf("ratio, backup / zip                         %7.2f\n", z > 0 ? b / z : 0.0);
    QFile::remove(ours);
    QFile::remove(plain);
    for (const QString& m : messenger.seen)
        std::fprintf(stderr, "message: %s\n", m.toLocal8Bit().constData());
    return failed ? 1 : 0;
}
