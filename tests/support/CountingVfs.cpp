#include "CountingVfs.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <sqlite3.h>

#include <unistd.h>
#include <csignal>
#include <cstdio>

namespace qb::test {

namespace {

struct CountingFile {
    sqlite3_file base;
    sqlite3_file* real;
    const char* name;
};

sqlite3_vfs* g_real = nullptr;
long g_operations = 0;
long g_killAt = 0;
bool g_counting = false;
bool g_trace = false;

void operation(const char* what, const char* name)
{
    if (!g_counting) return;
    if (g_trace)
        std::printf("op %ld %s %s\n", g_operations + 1, what,
                    QFileInfo(QString::fromUtf8(name ? name : "")).fileName().toUtf8().constData());
    if (++g_operations == g_killAt) ::kill(::getpid(), SIGKILL);
}

sqlite3_file* real(sqlite3_file* f) { return reinterpret_cast<CountingFile*>(f)->real; }
const char* nameOf(sqlite3_file* f) { return reinterpret_cast<CountingFile*>(f)->name; }

int fClose(sqlite3_file* f) { return real(f)->pMethods->xClose(real(f)); }
int fRead(sqlite3_file* f, void* b, int n, sqlite3_int64 o)
{
    return real(f)->pMethods->xRead(real(f), b, n, o);
}
int fWrite(sqlite3_file* f, const void* b, int n, sqlite3_int64 o)
{
    operation("write", nameOf(f));
    return real(f)->pMethods->xWrite(real(f), b, n, o);
}
int fTruncate(sqlite3_file* f, sqlite3_int64 size)
{
    operation("truncate", nameOf(f));
    return real(f)->pMethods->xTruncate(real(f), size);
}
int fSync(sqlite3_file* f, int flags)
{
    operation("sync", nameOf(f));
    return real(f)->pMethods->xSync(real(f), flags);
}
int fSize(sqlite3_file* f, sqlite3_int64* s) { return real(f)->pMethods->xFileSize(real(f), s); }
int fLock(sqlite3_file* f, int l) { return real(f)->pMethods->xLock(real(f), l); }
int fUnlock(sqlite3_file* f, int l) { return real(f)->pMethods->xUnlock(real(f), l); }
int fReserved(sqlite3_file* f, int* o) { return real(f)->pMethods->xCheckReservedLock(real(f), o); }
int fControl(sqlite3_file* f, int op, void* a)
{
    return real(f)->pMethods->xFileControl(real(f), op, a);
}
int fSector(sqlite3_file* f) { return real(f)->pMethods->xSectorSize(real(f)); }
int fDevice(sqlite3_file* f) { return real(f)->pMethods->xDeviceCharacteristics(real(f)); }

// Version 1: the shared-memory and fetch members stay empty.
const sqlite3_io_methods kMethods = {
    1,        fClose,  fRead,   fWrite,  fTruncate, fSync,   fSize,   fLock,   fUnlock, fReserved,
    fControl, fSector, fDevice, nullptr, nullptr,   nullptr, nullptr, nullptr, nullptr};

int vOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags)
{
    auto* f = reinterpret_cast<CountingFile*>(file);
    f->real = reinterpret_cast<sqlite3_file*>(f + 1);
    f->name = name ? name : "";
    int rc = g_real->xOpen(g_real, name, f->real, flags, outFlags);
    f->base.pMethods = f->real->pMethods ? &kMethods : nullptr;
    return rc;
}
int vDelete(sqlite3_vfs*, const char* name, int syncDir)
{
    operation("delete", name);
    return g_real->xDelete(g_real, name, syncDir);
}
int vAccess(sqlite3_vfs*, const char* n, int f, int* o) { return g_real->xAccess(g_real, n, f, o); }
int vFull(sqlite3_vfs*, const char* n, int k, char* o)
{
    return g_real->xFullPathname(g_real, n, k, o);
}
void* vDlOpen(sqlite3_vfs*, const char* n) { return g_real->xDlOpen(g_real, n); }
void vDlError(sqlite3_vfs*, int n, char* o) { g_real->xDlError(g_real, n, o); }
void (*vDlSym(sqlite3_vfs*, void* h, const char* s))(void) { return g_real->xDlSym(g_real, h, s); }
void vDlClose(sqlite3_vfs*, void* h) { g_real->xDlClose(g_real, h); }
int vRandom(sqlite3_vfs*, int n, char* o) { return g_real->xRandomness(g_real, n, o); }
int vSleep(sqlite3_vfs*, int us) { return g_real->xSleep(g_real, us); }
int vTime(sqlite3_vfs*, double* o) { return g_real->xCurrentTime(g_real, o); }
int vLastError(sqlite3_vfs*, int n, char* o) { return g_real->xGetLastError(g_real, n, o); }
int vTime64(sqlite3_vfs*, sqlite3_int64* o) { return g_real->xCurrentTimeInt64(g_real, o); }

}  // namespace

void installCountingVfs(long killAt, bool trace)
{
    static sqlite3_vfs vfs;
    g_killAt = killAt;
    g_trace = trace;
    g_real = sqlite3_vfs_find(nullptr);
    vfs.iVersion = 2;
    vfs.szOsFile = int(sizeof(CountingFile)) + g_real->szOsFile;
    vfs.mxPathname = g_real->mxPathname;
    vfs.zName = "counting";
    vfs.xOpen = vOpen;
    vfs.xDelete = vDelete;
    vfs.xAccess = vAccess;
    vfs.xFullPathname = vFull;
    vfs.xDlOpen = vDlOpen;
    vfs.xDlError = vDlError;
    vfs.xDlSym = vDlSym;
    vfs.xDlClose = vDlClose;
    vfs.xRandomness = vRandom;
    vfs.xSleep = vSleep;
    vfs.xCurrentTime = vTime;
    vfs.xGetLastError = vLastError;
    vfs.xCurrentTimeInt64 = vTime64;
    sqlite3_vfs_register(&vfs, 1);
}

void setCounting(bool on) { g_counting = on; }
long countedOperations() { return g_operations; }

void copyStoreFiles(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(QDir(from).filePath(name), QDir(to).filePath(name)))
            << name.toStdString();
}

bool startCrashChild(QProcess& child, const QString& childTest, const QString& dir, long killAt,
                     bool trace, const QProcessEnvironment& extra)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& key : extra.keys()) env.insert(key, extra.value(key));
    env.insert(QStringLiteral("QB_CRASH_DIR"), dir);
    env.insert(QStringLiteral("QB_CRASH_AT"), QString::number(killAt));
    if (trace) env.insert(QStringLiteral("QB_CRASH_TRACE"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_also_run_disabled_tests"),
                 QStringLiteral("--gtest_filter=") + childTest});
    return child.waitForStarted(30000);
}

CrashRun readCrashRun(QProcess& child, const QByteArray& seen)
{
    CrashRun run;
    run.output = QString::fromUtf8(seen + child.readAll());
    run.killed = child.exitStatus() == QProcess::CrashExit;
    for (const QString& line : run.output.split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("OPERATIONS=")))
            run.operations = line.mid(11).trimmed().toLong();
        else if (line.startsWith(QStringLiteral("op ")))
            run.trace.push_back(line.section(QLatin1Char(' '), 2));
    }
    return run;
}

}  // namespace qb::test
