// A commit killed at any moment leaves the store exactly as before it or exactly as after it.
//
// The parent test builds a store, then runs this same test program as a child (the disabled
// CommitCrashChild test) that opens a copy of the store and commits a large change set. The child
// counts the file operations SQLite makes during the commit (writes, syncs, truncations,
// deletions) through a pass-through file layer, and kills itself with SIGKILL just before
// operation N. The parent reopens the copy and compares every table with the two possible states.

#include "items/Commit.h"

#include "dictionary/ConceptCardData.h"
#include "items/ItemCardData.h"
#include "platform/Clock.h"
#include "platform/Sqlite.h"
#include "session/Session.h"
#include "store/Schema.h"
#include "store/Store.h"
#include "support/CountingVfs.h"
#include "support/ScriptedMessenger.h"

#include "ItemsFixture.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

using namespace qb;

namespace {

// ---- the scenario, shared by parent and child ------------------------------------------------

constexpr int kStoredItems = 400;
constexpr int kNewItems = 1500;
constexpr int kWords = 60;
constexpr int kConcepts = 30;
constexpr int kProjects = 8;

Timestamp storedItemId(int i) { return -46000.0L - i * 0.001L; }
Timestamp newItemId(int i) { return -46400.0L - i * 0.001L; }
Timestamp conceptId(int i) { return -45000.0L - i * 0.01L; }
QString projectName(int i) { return QStringLiteral("PROJECT %1").arg(i); }

QString itemText(int seed, int length)
{
    QString text;
    const QString words[] = {QStringLiteral("note"), QStringLiteral("\u00E5ngest"),
                             QStringLiteral("\u0436\u0443\u043A"), QStringLiteral("line\n"),
                             QStringLiteral("\"quoted\"")};
    for (int i = 0; text.size() < length; ++i) text += words[(seed + i) % 5] + QLatin1Char(' ');
    return text.left(length);
}

// The change set: new items (some with full-length texts), edits and deletes of stored items,
// new concepts and a deleted concept.
std::vector<std::unique_ptr<CardData>> changeSet()
{
    std::vector<std::unique_ptr<CardData>> cards;
    auto addItem = [&](Timestamp id, const QString& text, int seed) -> ItemCardData* {
        auto card = std::make_unique<ItemCardData>();
        card->itemId = id;
        card->text = text;
        card->changed = true;
        for (int k = 0; k < 1 + seed % 4; ++k)
            card->keywords.push_back(
                {conceptId((seed + k) % (kConcepts - 1)), 1 + (seed + k) % kWords, QString()});
        for (int p = 0; p < seed % 3; ++p) card->projects << projectName((seed + p) % kProjects);
        ItemCardData* raw = card.get();
        cards.push_back(std::move(card));
        return raw;
    };
    for (int i = 0; i < kNewItems; ++i)
        addItem(newItemId(i), itemText(i, i % 100 == 0 ? ItemCardData::kMaxTextLength : 300), i);
    for (int i = 0; i < kStoredItems; i += 2) {
        ItemCardData* card = addItem(storedItemId(i), itemText(i + 7, 500), i + 1);
        if (i % 10 == 0) card->deleted = true;
    }
    for (int c = 0; c < 5; ++c) {
        auto card = std::make_unique<ConceptCardData>();
        card->conceptId = -44000.0L - c;
        card->changed = true;
        for (int w = 0; w < 3; ++w) card->words.push_back({1 + (c * 3 + w) % kWords, QString()});
        cards.push_back(std::move(card));
    }
    auto unused = std::make_unique<ConceptCardData>();
    unused->conceptId = conceptId(kConcepts - 1);
    unused->changed = true;
    unused->deleted = true;
    cards.push_back(std::move(unused));
    return cards;
}

const QDateTime kClockStart(QDate(2026, 12, 8), QTime(14, 35, 7));

// ---- the parent's view of a store -------------------------------------------------------------

struct StoreState {
    QByteArray digest;  // of every row of every table, in key order
    QString summary;    // row counts, for messages
    QString problem;    // empty when the store opened and every file passed its check

    bool operator==(const StoreState& o) const
    {
        return digest == o.digest && problem == o.problem;
    }
};

StoreState readState(const QString& dir)
{
    StoreState state;
    Store store;
    QString error;
    if (!store.open(dir, &error)) {
        state.problem = error;
        return state;
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const schema::Table& table : schema::tables()) {
        sql::Statement check(store.db(), QStringLiteral("PRAGMA %1.integrity_check")
                                             .arg(sql::quoteIdentifier(table.schemaName)));
        if (!check.next() || check.textValue(0) != QStringLiteral("ok"))
            state.problem += table.name + QStringLiteral(" fails its check; ");
        QStringList columns;
        for (int i = 1; i <= int(table.fields.size()); ++i) columns << QString::number(i);
        sql::Statement st(
            store.db(), QStringLiteral("SELECT * FROM %1 ORDER BY %2")
                            .arg(sql::quoteIdentifier(table.name), columns.join(QLatin1Char(','))));
        int rows = 0;
        hash.addData(table.name.toUtf8());
        while (st.next()) {
            ++rows;
            for (int c = 0; c < st.columnCount(); ++c) {
                QVariant v = st.value(c);
                hash.addData(QByteArray::number(v.typeId()) + ':');
                QByteArray bytes =
                    v.typeId() == QMetaType::QByteArray ? v.toByteArray() : v.toString().toUtf8();
                hash.addData(QByteArray::number(bytes.size()) + ':');
                hash.addData(bytes);
            }
        }
        if (!st.ok())
            state.problem += table.name + QStringLiteral(": ") + st.error() + QStringLiteral("; ");
        state.summary += QStringLiteral("%1=%2 ").arg(table.name).arg(rows);
    }
    state.digest = hash.result();
    return state;
}

class CommitCrash : public test::ItemsFixture {
protected:
    void SetUp() override
    {
        ItemsFixture::SetUp();
        exec(QStringLiteral("BEGIN"));
        for (int w = 1; w <= kWords; ++w) addWord(w, QStringLiteral("word%1").arg(w));
        for (int c = 0; c < kConcepts; ++c) addConcept(conceptId(c), {1 + c, 1 + (c + 7) % kWords});
        for (int p = 0; p < kProjects; ++p) addProject(projectName(p), -45500.0L - p);
        for (int i = 0; i < kStoredItems; ++i)
            addItem(storedItemId(i), itemText(i, 400),
                    {{conceptId(i % (kConcepts - 1)), 1 + i % kWords}},
                    {projectName(i % kProjects)});
        exec(QStringLiteral("COMMIT"));
        session().store.close();
        base_ = dir();
        before_ = readState(base_);
        ASSERT_TRUE(before_.problem.isEmpty()) << before_.problem.toStdString();
    }

    struct Run : test::CrashRun {
        qint64 commitMs = -1;  // from the start of the commit to the child's end
    };

    // Runs the child on a fresh copy of the base store. killAt 0 lets it finish unless the
    // parent kills it parentKillAfterMs into the commit.
    Run runChild(const QString& dir, long killAt, int parentKillAfterMs = -1, bool trace = false)
    {
        test::copyStoreFiles(base_, dir);
        QProcess child;
        QProcessEnvironment env;
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // A fixed zone keeps the fake clock's local-time look-ups from reading /etc/localtime
        // thousands of times.
        env.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
        Run run;
        if (!test::startCrashChild(child,
                                   QStringLiteral("CommitCrashChild.DISABLED_CommitsTheChangeSet"),
                                   dir, killAt, trace, env)) {
            ADD_FAILURE() << "child did not start";
            return run;
        }
        QByteArray seen;
        while (!seen.contains("COMMITTING") && child.waitForReadyRead(60000))
            seen += child.readAll();
        QElapsedTimer timer;
        timer.start();
        if (parentKillAfterMs >= 0 && !child.waitForFinished(parentKillAfterMs)) {
            child.kill();  // SIGKILL
        }
        child.waitForFinished(120000);
        run.commitMs = timer.elapsed();
        static_cast<test::CrashRun&>(run) = test::readCrashRun(child, seen);
        return run;
    }

    QString base_;
    StoreState before_;
};

}  // namespace

// The child: commits the change set in QB_CRASH_DIR, killing itself before file operation
// QB_CRASH_AT (0: never). Run by CommitCrash only.
TEST(CommitCrashChild, DISABLED_CommitsTheChangeSet)
{
    const QString dir = qEnvironmentVariable("QB_CRASH_DIR");
    ASSERT_FALSE(dir.isEmpty());
    test::installCountingVfs(qEnvironmentVariable("QB_CRASH_AT").toLong(),
                             qEnvironmentVariableIsSet("QB_CRASH_TRACE"));

    static FakeClock clock(kClockStart);
    static test::ScriptedMessenger messenger;
    Session& s = session();
    s.resetRunState();
    s.setClock(&clock);
    s.setMessenger(&messenger);
    s.setDir(dir);
    QString error;
    ASSERT_TRUE(s.store.open(dir, &error)) << error.toStdString();

    std::vector<std::unique_ptr<CardData>> cards = changeSet();
    std::vector<CardData*> order;
    for (auto& c : cards) order.push_back(c.get());
    std::printf("COMMITTING\n");
    std::fflush(stdout);
    test::setCounting(true);
    CommitResult result = CommitCards(order);
    test::setCounting(false);
    EXPECT_TRUE(result.committed);
    EXPECT_TRUE(result.failed.empty());
    s.store.close();
    std::printf("OPERATIONS=%ld\n", test::countedOperations());
    std::fflush(stdout);
}

TEST_F(CommitCrash, AKilledCommitLeavesTheStoreExactlyBeforeOrAfter)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());

    Run complete = runChild(work.filePath(QStringLiteral("complete")), 0, -1, true);
    ASSERT_FALSE(complete.killed) << complete.output.toStdString();
    ASSERT_GT(complete.operations, 10) << complete.output.toStdString();
    ASSERT_EQ(long(complete.trace.size()), complete.operations);
    const StoreState after = readState(work.filePath(QStringLiteral("complete")));
    ASSERT_TRUE(after.problem.isEmpty()) << after.problem.toStdString();
    ASSERT_FALSE(after == before_) << "the change set must change the store";

    // The commit point of a transaction over several files is the deletion of its super-journal.
    const long total = complete.operations;
    long commitPoint = 0;
    long superJournalStart = 0;
    for (long i = 0; i < total; ++i) {
        const QString& op = complete.trace[i];
        if (op.contains(QStringLiteral("-mj")) && superJournalStart == 0) superJournalStart = i + 1;
        if (op.startsWith(QStringLiteral("delete ")) && op.contains(QStringLiteral("-mj")))
            commitPoint = i + 1;
    }
    ASSERT_GT(superJournalStart, 0) << "one transaction spans the files, with a super-journal";
    ASSERT_GT(commitPoint, superJournalStart);

    // Kill points: the first operations, a few while the journals fill, and from the
    // super-journal on the first and middle operation of every run of one kind on one file.
    std::vector<long> points = {1, 2, 3, superJournalStart / 3, 2 * superJournalStart / 3};
    for (long i = superJournalStart; i <= total; ++i) {
        long runEnd = i;
        while (runEnd < total && complete.trace[runEnd] == complete.trace[i - 1]) ++runEnd;
        points.push_back(i);
        if (runEnd - i > 50) points.push_back((i + runEnd) / 2);
        i = runEnd;
    }
    points.push_back(total);
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    // Each point is a child run; keep the test's time bounded, always with the commit point.
    constexpr size_t kMaxPoints = 48;
    if (points.size() > kMaxPoints) {
        std::vector<long> kept;
        for (size_t k = 0; k < kMaxPoints; ++k)
            kept.push_back(points[k * points.size() / kMaxPoints]);
        kept.push_back(commitPoint);
        kept.push_back(commitPoint + 1);
        std::sort(kept.begin(), kept.end());
        kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
        points = kept;
    }

    std::printf("%zu kill points over %ld operations, commit point %ld\n", points.size(), total,
                commitPoint);
    for (long point : points) {
        if (point < 1 || point > total) continue;
        QString dir = work.filePath(QStringLiteral("kill-%1").arg(point));
        Run run = runChild(dir, point);
        ASSERT_TRUE(run.killed) << "operation " << point << ": " << run.output.toStdString();
        StoreState state = readState(dir);
        ASSERT_TRUE(state.problem.isEmpty())
            << "operation " << point << ": " << state.problem.toStdString();
        const bool committed = point > commitPoint;
        EXPECT_TRUE(state == (committed ? after : before_))
            << "killed before operation " << point << " of " << total << " ("
            << complete.trace[point - 1].toStdString() << "), expected the store "
            << (committed ? "after" : "before") << " the commit: " << state.summary.toStdString();
        QDir(dir).removeRecursively();
    }
}

TEST_F(CommitCrash, AKillFromOutsideAtAnyMomentLeavesTheStoreWhole)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    Run complete = runChild(work.filePath(QStringLiteral("complete")), 0);
    ASSERT_FALSE(complete.killed);
    const StoreState after = readState(work.filePath(QStringLiteral("complete")));

    // Spread over the time the commit took when it ran to the end.
    for (int share : {0, 20, 40, 60, 80, 95}) {
        const int delay = int(complete.commitMs * share / 100);
        QString dir = work.filePath(QStringLiteral("share-%1").arg(share));
        Run run = runChild(dir, 0, delay);
        StoreState state = readState(dir);
        ASSERT_TRUE(state.problem.isEmpty()) << state.problem.toStdString();
        EXPECT_TRUE(state == before_ || state == after)
            << "killed " << delay << " ms into the commit (" << (run.killed ? "killed" : "finished")
            << "): " << state.summary.toStdString();
        QDir(dir).removeRecursively();
    }
}
