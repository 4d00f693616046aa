// bench_commit: the commit of 200 changed item cards on a large store, against the bare SQL that
// writes the same rows (the same deletes, inserts and updates in one transaction).
#include "BenchSupport.h"
#include "SyntheticStore.h"

#include "floor/Messenger.h"
#include "items/Commit.h"
#include "items/ItemCardData.h"
#include "items/ItemRecord.h"
#include "platform/FileNames.h"
#include "platform/Sqlite.h"
#include "session/Session.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using qb::ItemCardData;

std::vector<qb::Timestamp> pickItems(int count)
{
    std::vector<qb::Timestamp> ids;
    // Spread over the store rather than its newest corner.
    qb::sql::Statement st(
        qb::session().store.db(),
        QStringLiteral("SELECT IT FROM ITEM ORDER BY (rowid * 7919) % 100003 LIMIT ?1"));
    st.bind(1, count);
    while (st.next()) ids.push_back(st.extValue(0));
    return ids;
}

struct SpareLinks {
    std::vector<qb::KeywordLink> keywords;
    QStringList projects;
};

SpareLinks spareLinks()
{
    SpareLinks spare;
    qb::sql::Statement k(
        qb::session().store.db(),
        QStringLiteral(
            "SELECT D.C, D.WNo, W.Word FROM DICT D, WORD W WHERE W.WNo = D.WNo LIMIT 50"));
    while (k.next()) spare.keywords.push_back({k.extValue(0), k.intValue(1), k.textValue(2)});
    qb::sql::Statement p(qb::session().store.db(),
                         QStringLiteral("SELECT Project FROM PROJECT LIMIT 20"));
    while (p.next()) spare.projects << p.textValue(0);
    return spare;
}

// What a user does to an item between two commits: a few words more, the keywords in another
// order with one of them replaced, a project added or taken off.
void change(ItemCardData& card, int round, int index, const SpareLinks& spare)
{
    card.text += QStringLiteral(" edited in round %1").arg(round);
    if (card.keywords.size() > 1)
        std::rotate(card.keywords.begin(), card.keywords.begin() + 1, card.keywords.end());
    if (!spare.keywords.empty()) {
        const qb::KeywordLink& extra =
            spare.keywords[size_t(index + round) % spare.keywords.size()];
        bool present = false;
        for (const qb::KeywordLink& k : card.keywords)
            present = present || qb::sameId(k.conceptId, extra.conceptId, 1e-7L);
        if (!present) {
            if (card.keyCount() >= 6) card.keywords.pop_back();
            card.keywords.push_back(extra);
        }
    }
    if (round % 2 == 0 && !spare.projects.isEmpty()) {
        const QString p = spare.projects[(index + round) % spare.projects.size()];
        if (!card.projects.contains(p) && card.projCount() < ItemCardData::kMaxLinks)
            card.projects << p;
    } else if (!card.projects.isEmpty()) {
        card.projects.removeLast();
    }
    card.changed = true;
}

double timeCommit(const std::vector<qb::CardData*>& cards, bool* ok)
{
    QElapsedTimer timer;
    timer.start();
    const qb::CommitResult result = qb::CommitCards(cards);
    const double seconds = timer.nsecsElapsed() / 1e9;
    *ok = result.committed && result.failed.empty() && result.itemsWritten == int(cards.size());
    return seconds;
}

// The same rows written by hand: prepared statements, one transaction, no savepoints, the
// pictures' BMP data and the change marks made beforehand.
double timeBareSql(const std::vector<std::unique_ptr<ItemCardData>>& cards, bool* ok)
{
    qb::sql::Database& db = qb::session().store.db();
    std::vector<QByteArray> pictures;
    std::vector<qb::Timestamp> marks;
    for (const auto& c : cards) {
        pictures.push_back(c->hasPicture ? qb::PictureToStoredBytes(c->picture) : QByteArray());
        marks.push_back(qb::GetQBTSMark());
    }
    QElapsedTimer timer;
    timer.start();
    qb::sql::Statement keysDelete(db, QStringLiteral("DELETE FROM ITEMKEYS WHERE IT = ?1"));
    qb::sql::Statement keyInsert(
        db,
        QStringLiteral("INSERT INTO ITEMKEYS (IT, \"Order\", ITC, WNo) VALUES (?1, ?2, ?3, ?4)"));
    qb::sql::Statement urlsDelete(db, QStringLiteral("DELETE FROM ITEMURL WHERE IT = ?1"));
    qb::sql::Statement urlInsert(
        db, QStringLiteral("INSERT INTO ITEMURL (IT, \"Order\", Project) VALUES (?1, ?2, ?3)"));
    qb::sql::Statement itemUpdate(
        db, QStringLiteral("UPDATE ITEM SET TX = ?2, Animation = ?3, ITS = ?4 WHERE IT = ?1"));
    qb::sql::Transaction transaction(db);
    bool good = transaction.isActive();
    auto step = [&good](qb::sql::Statement& st) {
        good = st.run() && good;
        st.reset();
    };
    for (size_t i = 0; i < cards.size() && good; ++i) {
        const ItemCardData& c = *cards[i];
        keysDelete.bind(1, c.itemId);
        step(keysDelete);
        int order = 0;
        for (const qb::KeywordLink& k : c.keywords) {
            keyInsert.bind(1, c.itemId).bind(2, ++order).bind(3, k.conceptId).bind(4, k.wordNo);
            step(keyInsert);
        }
        urlsDelete.bind(1, c.itemId);
        step(urlsDelete);
        order = 0;
        for (const QString& p : c.projects) {
            urlInsert.bind(1, c.itemId).bind(2, ++order).bind(3, p);
            step(urlInsert);
        }
        itemUpdate.bind(1, c.itemId).bind(2, c.text).bindBlob(3, pictures[i]).bind(4, marks[i]);
        step(itemUpdate);
    }
    good = good && transaction.commit();
    *ok = good;
    return timer.nsecsElapsed() / 1e9;
}

void usage()
{
    std::fprintf(
        stderr,
        "usage: bench_commit [--dir DIR] [--items N] [--cards C] [--runs R]\n"
        "  DIR holding a store is used as it is (and changed); otherwise a store of N items\n"
        "  (default 100000) is generated there or in a temporary folder.\n");
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString dir;
    qb::bench::SyntheticStoreOptions options;
    options.items = 100000;
    int cardCount = 200;
    int runs = 5;
    if (!qb::bench::readOptions(args, {{"--dir", &dir},
                                       {"--items", &options.items},
                                       {"--cards", &cardCount},
                                       {"--runs", &runs}}) ||
        options.items <= 0 || runs <= 0 || cardCount <= 0) {
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
    QString error;
    if (!s.store.open(s.dir(), &error)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 1;
    }

    const std::vector<qb::Timestamp> ids = pickItems(cardCount);
    const SpareLinks spare = spareLinks();
    std::vector<std::unique_ptr<ItemCardData>> cards;
    std::vector<qb::CardData*> order;
    int pictures = 0;
    QElapsedTimer loadTimer;
    loadTimer.start();
    for (qb::Timestamp id : ids) {
        auto card = std::make_unique<ItemCardData>();
        if (!qb::LoadItemCard(*card, id, &error)) {
            std::fprintf(stderr, "item %.15g: %s\n", double(id), error.toLocal8Bit().constData());
            return 1;
        }
        pictures += card->hasPicture ? 1 : 0;
        order.push_back(card.get());
        cards.push_back(std::move(card));
    }
    const double loadSeconds = loadTimer.nsecsElapsed() / 1e9;

    std::vector<double> commit, bare;
    bool ok = true;
    for (int r = 0; r <= runs && ok; ++r) {
        for (size_t i = 0; i < cards.size(); ++i) change(*cards[i], r, int(i), spare);
        bool committed = false, written = false;
        const double c = timeCommit(order, &committed);
        const double b = timeBareSql(cards, &written);
        ok = committed && written;
        if (r > 0) {  // round 0 warms the page cache
            commit.push_back(c);
            bare.push_back(b);
        }
    }
    s.store.close();
    s.setMessenger(nullptr);
    if (!ok || !messenger.seen.isEmpty()) {
        std::fprintf(stderr, "a commit failed or reported problems, figures do not count:\n%s\n",
                     messenger.seen.join(QLatin1Char('\n')).toLocal8Bit().constData());
        return 1;
    }

    const double c = qb::bench::median(commit), b = qb::bench::median(bare);
    std::printf("%zu cards loaded (%d with a picture)     %8.3f s\n", cards.size(), pictures,
                loadSeconds);
    std::printf("CommitCards, %zu changed item cards    %8.3f s (median of %d)\n", cards.size(), c,
                runs);
    std::printf("bare SQL, same rows, one transaction   %8.3f s\n", b);
    std::printf("ratio, commit / bare SQL               %8.2f\n", b > 0 ? c / b : 0.0);
    std::printf("target: commit under 0.2 s %s\n", c < 0.2 ? "met" : "MISSED");
    return 0;
}
