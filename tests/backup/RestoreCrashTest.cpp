// A restore or merge killed at any moment leaves the store exactly as before it or exactly as
// after it.
//
// The parent builds a store and a package, then runs this test program as a child (the disabled
// RestoreCrashChild test) that unpacks and checks the package in a copy of the store and brings it
// in, counting SQLite's file operations from then on and killing itself with SIGKILL just before
// operation N. The parent reopens the copy and compares every row with the two possible states.

#include "backup/Restore.h"

#include "session/Session.h"
#include "store/Schema.h"
#include "support/StoreFixture.h"

#include "RestoreSupport.h"
#include "support/CountingVfs.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>

using namespace qb;

namespace {

// Every row of the store, or what kept it from opening whole.
QStringList readState(const QString& dir)
{
    Store store;
    QString error;
    if (!store.open(dir, &error)) return {QStringLiteral("open failed: ") + error};
    QStringList state;
    for (const schema::Table& table : schema::tables())
        if (!store.checkFile(table, false).isEmpty())
            state << table.name + QStringLiteral(" fails its check");
    return state + test::everyRow(store.db());
}

class RestoreCrash : public test::StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        exec(QStringLiteral("BEGIN"));
        for (int w = 1; w <= 80; ++w) addWord(w, QStringLiteral("word%1").arg(w));
        for (int i = 0; i < 300; ++i)
            addItem(-46000.0L - i * 0.001L, QStringLiteral("stored item %1").arg(i),
                    {{-45000.0L - i % 20, 1 + i % 80}});
        exec(QStringLiteral("INSERT INTO INFLEC SELECT Word, WNo FROM WORD"));
        exec(QStringLiteral("COMMIT"));
        session().store.close();
        package_ = QDir(work_.path()).filePath(QStringLiteral("12091200.zip"));
        test::PackageSource src(work_.filePath(QStringLiteral("source")));
        src.exec(QStringLiteral("BEGIN"));
        for (int w = 1; w <= 120; ++w)
            src.exec(QStringLiteral("INSERT INTO WORD VALUES (?1, ?2, -1, 1, -1)"),
                     {QStringLiteral("word%1").arg(w * 2), w});
        for (int i = 0; i < 600; ++i) {
            const double id = -46100.0 - i * 0.001 - (i % 3 == 0 ? 100 : 0);
            src.exec(QStringLiteral("INSERT OR REPLACE INTO ITEM VALUES (?1, ?2, ?1, NULL)"),
                     {id, QStringLiteral("package item %1 ").arg(i).repeated(8)});
            src.exec(QStringLiteral("INSERT OR REPLACE INTO ITEMKEYS VALUES (?1, 1, ?2, ?3)"),
                     {id, -45100.0 - i % 30, 1 + i % 120});
            src.exec(QStringLiteral("INSERT OR IGNORE INTO DICT VALUES (?1, ?2, ?1)"),
                     {-45100.0 - i % 30, 1 + i % 120});
        }
        src.exec(QStringLiteral("INSERT INTO INFLEC SELECT Word || 's', WNo FROM WORD"));
        src.exec(QStringLiteral("COMMIT"));
        src.zip(package_);
        base_ = dir();
        before_ = readState(base_);
    }

    using Run = test::CrashRun;

    Run runChild(const QString& dir, RestoreMode mode, long killAt, bool trace = false)
    {
        test::copyStoreFiles(base_, dir);
        QProcess child;
        QProcessEnvironment env;
        env.insert(QStringLiteral("QB_CRASH_PACKAGE"), package_);
        env.insert(QStringLiteral("QB_CRASH_MODE"), mode == RestoreMode::Restore
                                                        ? QStringLiteral("restore")
                                                        : QStringLiteral("merge"));
        if (!test::startCrashChild(child,
                                   QStringLiteral("RestoreCrashChild.DISABLED_BringsThePackageIn"),
                                   dir, killAt, trace, env) ||
            !child.waitForFinished(120000)) {
            ADD_FAILURE() << "child did not run";
            return {};
        }
        return test::readCrashRun(child);
    }

    void killEverywhere(RestoreMode mode)
    {
        Run complete = runChild(work_.filePath(QStringLiteral("complete")), mode, 0, true);
        ASSERT_FALSE(complete.killed) << complete.output.toStdString();
        ASSERT_EQ(long(complete.trace.size()), complete.operations)
            << complete.output.toStdString();
        const QStringList after = readState(work_.filePath(QStringLiteral("complete")));
        ASSERT_NE(after, before_) << "the package must change the store";
        QDir(work_.filePath(QStringLiteral("complete"))).removeRecursively();

        // The commit point of a transaction over several files is the deletion of its
        // super-journal.
        const long total = complete.operations;
        long commitPoint = 0;
        for (long i = 0; i < total; ++i)
            if (complete.trace[i].startsWith(QStringLiteral("delete ")) &&
                complete.trace[i].contains(QStringLiteral("-mj")))
                commitPoint = i + 1;
        ASSERT_GT(commitPoint, 0) << "one transaction spans the files, with a super-journal";

        // Every operation around the commit point, and the rest spread evenly.
        std::vector<long> points;
        for (long p = commitPoint - 6; p <= commitPoint + 3; ++p) points.push_back(p);
        for (int k = 0; k < 24; ++k) points.push_back(1 + k * (total - 1) / 23);
        std::sort(points.begin(), points.end());
        points.erase(std::unique(points.begin(), points.end()), points.end());
        for (long point : points) {
            if (point < 1 || point > total) continue;
            const QString dir = work_.filePath(QStringLiteral("kill-%1").arg(point));
            Run run = runChild(dir, mode, point);
            ASSERT_TRUE(run.killed) << "operation " << point << ": " << run.output.toStdString();
            const bool committed = point > commitPoint;
            EXPECT_EQ(readState(dir), committed ? after : before_)
                << "killed before operation " << point << " of " << total << " ("
                << complete.trace[point - 1].toStdString() << "), commit point " << commitPoint;
            QDir(dir).removeRecursively();
        }
    }

    QTemporaryDir work_;
    QString package_;
    QString base_;
    QStringList before_;
};

}  // namespace

// The child: brings QB_CRASH_PACKAGE into the store in QB_CRASH_DIR, killing itself before file
// operation QB_CRASH_AT (0: never). Run by RestoreCrash only.
TEST(RestoreCrashChild, DISABLED_BringsThePackageIn)
{
    const QString dir = qEnvironmentVariable("QB_CRASH_DIR");
    ASSERT_FALSE(dir.isEmpty());
    test::installCountingVfs(qEnvironmentVariable("QB_CRASH_AT").toLong(),
                             qEnvironmentVariableIsSet("QB_CRASH_TRACE"));
    static test::ScriptedMessenger messenger;
    messenger.expectAny();
    Session& s = session();
    s.resetRunState();
    s.setMessenger(&messenger);
    s.setDir(dir);
    QString error;
    ASSERT_TRUE(s.store.open(dir, &error)) << error.toStdString();
    {
        PackageImport import;
        ASSERT_TRUE(import.prepare(qEnvironmentVariable("QB_CRASH_PACKAGE")))
            << import.problem().toStdString();
        test::setCounting(true);
        const RestoreResult result =
            import.apply(qEnvironmentVariable("QB_CRASH_MODE") == QStringLiteral("restore")
                             ? RestoreMode::Restore
                             : RestoreMode::Merge);
        test::setCounting(false);
        EXPECT_TRUE(result.committed) << result.problem.toStdString();
    }
    s.store.close();
    std::printf("OPERATIONS=%ld\n", test::countedOperations());
    std::fflush(stdout);
}

TEST_F(RestoreCrash, AKilledRestoreLeavesTheStoreExactlyBeforeOrAfter)
{
    killEverywhere(RestoreMode::Restore);
}

TEST_F(RestoreCrash, AKilledMergeLeavesTheStoreExactlyBeforeOrAfter)
{
    killEverywhere(RestoreMode::Merge);
}
