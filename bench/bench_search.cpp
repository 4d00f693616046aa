// bench_search: the text search on a large store, through the trigram index and by the literal
// walk, against grep -F over the same texts written one file per item; and what the index costs:
// its full build, the first search after opening, a commit of 200 changed cards, a change made
// by another program, and its size on disk.
#include "BenchSupport.h"
#include "SyntheticStore.h"

#include "items/Commit.h"
#include "items/ItemCardData.h"
#include "items/ItemHooks.h"
#include "items/ItemRecord.h"
#include "platform/Sqlite.h"
#include "search/ItemTextIndex.h"
#include "search/TextSearch.h"
#include "session/Session.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

using namespace qb;
using namespace qb::search;

struct Result {
    std::vector<double> ids;
    std::vector<int> starts;
    bool usedIndex = false;
};

// The search as the Find dialog runs it, stopped after the first batch when stopAfterFirst.
Result searchOnce(const QString& text, ItemWalk walk, bool stopAfterFirst)
{
    Result r;
    SearchRequest request;
    request.text = text;
    request.walk = walk;
    request.fromDialog = false;
    SearchCallbacks callbacks;
    callbacks.itemFound = [&r](const ItemHit& hit) {
        r.ids.push_back(double(hit.itemId));
        r.starts.push_back(hit.at.start);
    };
    callbacks.stopNow = [stopAfterFirst] { return stopAfterFirst; };
    callbacks.processEvents = [] {};
    const SearchOutcome outcome = RunTextSearch(request, callbacks);
    r.usedIndex = outcome.usedIndex;
    searchState().resume.clear();
    return r;
}

double timeSearch(const QString& text, ItemWalk walk, bool stopAfterFirst, int runs, Result* last)
{
    return bench::timeMs([&] { *last = searchOnce(text, walk, stopAfterFirst); }, runs);
}

// One file per item, the text as stored.
bool writeTextFiles(const QString& dir)
{
    sql::Statement st(session().store.db(), QStringLiteral("SELECT rowid, TX FROM ITEM"));
    while (st.next()) {
        QFile file(QDir(dir).filePath(QString::number(st.int64Value(0)) + QStringLiteral(".txt")));
        if (!file.open(QIODevice::WriteOnly)) return false;
        file.write(st.blobValue(1));
    }
    return st.ok();
}

// grep -F -c -i -r over the files; the counts are read and thrown away.
double timeGrep(const QString& text, const QString& dir, int runs, int* filesWithHits)
{
    return bench::timeMs(
        [&] {
            QProcess grep;
            grep.start(QStringLiteral("grep"),
                       {QStringLiteral("-F"), QStringLiteral("-c"), QStringLiteral("-i"),
                        QStringLiteral("-r"), QStringLiteral("--"), text, dir});
            grep.waitForFinished(-1);
            const QList<QByteArray> lines = grep.readAllStandardOutput().split('\n');
            int hits = 0;
            for (const QByteArray& line : lines)
                if (!line.isEmpty() && !line.endsWith(":0")) ++hits;
            *filesWithHits = hits;
        },
        runs);
}

qint64 fileSize(const QString& path) { return QFileInfo(path).size(); }

void row(const char* what, double ms) { std::printf("%-58s %9.2f ms\n", what, ms); }

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString dir;
    bench::SyntheticStoreOptions options;
    options.items = 100000;
    int runs = 5;
    if (!bench::readOptions(args,
                            {{"--dir", &dir}, {"--items", &options.items}, {"--runs", &runs}}) ||
        options.items <= 0 || runs <= 0) {
        std::fprintf(stderr,
                     "usage: bench_search [--dir DIR] [--items N] [--runs R]\n"
                     "  DIR holding a store is used (its items are changed by the\n"
                     "  commit round); otherwise a store of N items (default 100000)\n"
                     "  is generated there or in a temporary folder.\n");
        return 2;
    }
    QTemporaryDir temp;
    if (dir.isEmpty()) dir = temp.path();
    if (!bench::ensureSyntheticStore(dir, options)) return 1;

    bench::RecordingMessenger messenger;
    Session& s = session();
    if (!bench::openStore(dir, messenger)) return 1;
    sql::Database& db = s.store.db();
    const qint64 items = [&db] {
        sql::Statement st(
            db, QStringLiteral("SELECT count(*), sum(length(CAST(TX AS BLOB))) FROM ITEM"));
        st.next();
        std::printf("store: %lld items, %.1f MB of text\n", st.int64Value(0),
                    st.int64Value(1) / 1e6);
        return st.int64Value(0);
    }();

    // The full build, from nothing.
    ItemTextIndex& index = itemTextIndex();
    QElapsedTimer timer;
    timer.start();
    if (!index.rebuild(db)) {
        std::fprintf(stderr, "the index could not be built\n");
        return 1;
    }
    const double buildMs = timer.nsecsElapsed() / 1e6;
    const qint64 indexBytes = fileSize(index.path());
    const qint64 itemBytes = fileSize(QDir(dir).filePath(QStringLiteral("ITEM.DB")));

    // The first search of a new run: the file opened, the fingerprint compared.
    searchState().index.reset();
    timer.restart();
    const Result firstSearch =
        searchOnce(QStringLiteral("zebra crossing"), ItemWalk::Indexed, false);
    const double firstMs = timer.nsecsElapsed() / 1e6;

    QTemporaryDir textDir;
    if (!writeTextFiles(textDir.path())) {
        std::fprintf(stderr, "the texts could not be written as files\n");
        return 1;
    }

    const QString absent = QStringLiteral("zebra crossing");
    const QString common = QStringLiteral("garden");
    Result indexedNone, literalNone, indexedFive, literalFive, indexedAll, literalAll;
    const double noneIndexed = timeSearch(absent, ItemWalk::Indexed, false, runs, &indexedNone);
    const double noneLiteral = timeSearch(absent, ItemWalk::Literal, false, runs, &literalNone);
    int grepNoneFiles = 0, grepAllFiles = 0;
    const double noneGrep = timeGrep(absent, textDir.path(), runs, &grepNoneFiles);
    const double fiveIndexed = timeSearch(common, ItemWalk::Indexed, true, runs, &indexedFive);
    const double fiveLiteral = timeSearch(common, ItemWalk::Literal, true, runs, &literalFive);
    const double allIndexed = timeSearch(common, ItemWalk::Indexed, false, 3, &indexedAll);
    Result forcedAll, forcedFive;
    const double allForced = timeSearch(common, ItemWalk::IndexOnly, false, 3, &forcedAll);
    const double fiveForced = timeSearch(common, ItemWalk::IndexOnly, true, runs, &forcedFive);
    const double allLiteral = timeSearch(common, ItemWalk::Literal, false, 3, &literalAll);
    const double allGrep = timeGrep(common, textDir.path(), runs, &grepAllFiles);

    // A commit of 200 changed cards, with and without the index reading them again.
    std::vector<std::unique_ptr<ItemCardData>> cards;
    {
        sql::Statement pick(
            db, QStringLiteral("SELECT IT FROM ITEM ORDER BY (rowid * 7919) % 100003 LIMIT 200"));
        while (pick.next()) {
            auto card = std::make_unique<ItemCardData>();
            if (LoadItemCard(*card, pick.extValue(0))) cards.push_back(std::move(card));
        }
    }
    std::vector<CardData*> cardList;
    for (auto& c : cards) cardList.push_back(c.get());
    std::vector<double> withIndex, withoutIndex, hookMs, deferredMs;
    bool commitsOk = true;
    // Without the hook first; the index is left behind and the next search compares every text.
    // Then with the hook, the index in step before each commit.
    const int rounds = runs + 1;
    auto commitRounds = [&](bool hook, int firstRound) {
        if (hook)
            itemHooks().itemsWritten = [&hookMs](const std::vector<Timestamp>& written) {
                QElapsedTimer inHook;
                inHook.start();
                NoteItemsWritten(written);
                hookMs.push_back(inHook.nsecsElapsed() / 1e6);
            };
        else
            itemHooks().itemsWritten = nullptr;
        for (int round = firstRound; round < firstRound + rounds; ++round) {
            for (auto& c : cards) {
                c->text += QStringLiteral(" giraffe%1").arg(round);
                c->changed = true;
            }
            timer.restart();
            const CommitResult result = CommitCards(cardList);
            const double ms = timer.nsecsElapsed() / 1e6;
            commitsOk = commitsOk && result.committed && result.failed.empty();
            if (hook) {
                // What the desktop does once the user pauses after the commit.
                timer.restart();
                UpdateItemTextIndex();
                if (round != firstRound) deferredMs.push_back(timer.nsecsElapsed() / 1e6);
            }
            if (round == firstRound) continue;  // warm-up
            (hook ? withIndex : withoutIndex).push_back(ms);
        }
    };
    commitRounds(false, 0);
    timer.restart();
    // Through the index: the 200 changed texts come first in the walk's order, so the search
    // as chosen would walk them.
    const Result afterCommits =
        searchOnce(QStringLiteral("giraffe%1").arg(rounds - 1), ItemWalk::IndexOnly, false);
    const double catchUpMs = timer.nsecsElapsed() / 1e6;
    const int updatesBefore = itemTextIndex().figures.updates;
    commitRounds(true, rounds);
    const bool keptCurrent = itemTextIndex().figures.updates - updatesBefore == rounds &&
                             !itemTextIndex().hasPendingWrites();
    itemHooks().itemsWritten = nullptr;

    // One text changed by another program.
    {
        sql::Database other;
        other.open(QDir(dir).filePath(QStringLiteral("ITEM.DB")), false);
        other.exec(QStringLiteral(
            "UPDATE ITEM SET TX = TX || ' okapi' WHERE rowid = (SELECT max(rowid) FROM ITEM)"));
    }
    timer.restart();
    const Result afterOther = searchOnce(QStringLiteral("okapi"), ItemWalk::Indexed, false);
    const double otherMs = timer.nsecsElapsed() / 1e6;

    const bool same = indexedNone.ids == literalNone.ids && indexedFive.ids == literalFive.ids &&
                      indexedFive.starts == literalFive.starts &&
                      indexedAll.ids == literalAll.ids && indexedAll.starts == literalAll.starts &&
                      forcedAll.ids == literalAll.ids && forcedAll.starts == literalAll.starts &&
                      forcedFive.ids == literalFive.ids;
    std::printf("search without hits (\"%s\")\n", absent.toUtf8().constData());
    row("  indexed", noneIndexed);
    row("  literal walk", noneLiteral);
    row("  grep -F -c -i -r, one file per item", noneGrep);
    std::printf("  ratio indexed / grep %.3f, literal / grep %.2f\n", noneIndexed / noneGrep,
                noneLiteral / noneGrep);
    std::printf("first five hits (\"%s\", stopped at the first \"Stop now?\")\n",
                common.toUtf8().constData());
    row("  as chosen (index or walk)", fiveIndexed);
    row("  always through the index", fiveForced);
    row("  literal walk", fiveLiteral);
    std::printf("  ratio chosen / walk %.2f (target at most 1.1)\n", fiveIndexed / fiveLiteral);
    std::printf("every hit (\"%s\": %d items; grep finds %d files)\n", common.toUtf8().constData(),
                int(indexedAll.ids.size()), grepAllFiles);
    row("  as chosen (index or walk)", allIndexed);
    row("  always through the index", allForced);
    row("  literal walk", allLiteral);
    std::printf("  ratio chosen / walk %.2f (target at most 1.1)\n", allIndexed / allLiteral);
    row("  grep -F -c -i -r", allGrep);
    std::printf("the index\n");
    row("  full build", buildMs);
    row("  first search after opening (index in step, no hits)", firstMs);
    row("  commit of 200 changed cards, index kept current", bench::median(withIndex));
    row("  commit of 200 changed cards, no index", bench::median(withoutIndex));
    std::printf("  ratio with / without the index %.2f (target 1.2)\n",
                bench::median(withIndex) / bench::median(withoutIndex));
    row("  of which the index's own note", bench::median(hookMs));
    row("  the index's update at the pause after it (200 texts read again)",
        bench::median(deferredMs));
    row("  first search after commits it was not told of (compare)", catchUpMs);
    row("  first search after another program changed one text", otherMs);
    std::printf("  size on disk %.1f MB (ITEM.DB %.1f MB)\n", indexBytes / 1e6, itemBytes / 1e6);
    std::printf("same hits, order and positions through the index and the walk: %s\n",
                same ? "yes" : "NO");
    std::printf(
        "checks: commits %s, index kept current by the commits %s, first search %s, "
        "catch-up %s, other program %s, "
        "figures builds %d syncs %d updates %d, items %lld\n",
        commitsOk ? "ok" : "FAILED", keptCurrent ? "yes" : "NO",
        firstSearch.usedIndex ? "indexed" : "WALKED",
        afterCommits.ids.size() == cards.size() ? "ok" : "WRONG",
        afterOther.ids.size() == 1 ? "ok" : "WRONG", itemTextIndex().figures.builds,
        itemTextIndex().figures.syncs, itemTextIndex().figures.updates, items);
    if (!messenger.seen.isEmpty())
        std::printf("messages: %s\n",
                    messenger.seen.join(QStringLiteral(" | ")).toUtf8().constData());
    return same && commitsOk && keptCurrent ? 0 : 1;
}
