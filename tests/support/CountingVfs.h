#pragma once

#include <QProcessEnvironment>
#include <QString>

#include <vector>

class QProcess;

namespace qb::test {

// The crash tests run their own program again as a child (one disabled test) on a copy of a
// store. The child counts SQLite's file operations through the layer below and kills itself
// just before operation QB_CRASH_AT; the parent then compares the copy with the two states it
// may be in.

// ---- the child's side ----

// A pass-through SQLite file layer, made the default, that counts the file operations (writes,
// syncs, truncations, deletions) while counting is on and kills the process with SIGKILL just
// before operation killAt. With trace set each operation is printed as "op N kind file".
void installCountingVfs(long killAt, bool trace);
void setCounting(bool on);
long countedOperations();

// ---- the parent's side ----
struct CrashRun {
    bool killed = false;
    long operations = -1;  // counted by a child that ran to the end
    QString output;
    std::vector<QString> trace;  // "kind file" of each operation, when asked for
};
// Every file of the store in `from`, copied into `to`.
void copyStoreFiles(const QString& from, const QString& to);
// Starts this test program as a child that runs only childTest, with QB_CRASH_DIR, QB_CRASH_AT,
// QB_CRASH_TRACE (when trace) and the extra variables set. False when it did not start.
bool startCrashChild(QProcess& child, const QString& childTest, const QString& dir, long killAt,
                     bool trace, const QProcessEnvironment& extra = {});
// What a finished child printed (after `seen`, read earlier): its count and trace, and whether
// it was killed.
CrashRun readCrashRun(QProcess& child, const QByteArray& seen = {});

}  // namespace qb::test
