// bench_explode: a dictionary word of one concept that carries 200 items, dropped on the desktop
// in explode mode On (its concept card and the 200 real item cards), against the bare queries
// that read what those cards show.
#include "BenchSupport.h"
#include "SyntheticStore.h"

#include "cards/BaseCard.h"
#include "cards/Collection.h"
#include "cards/Desktop.h"
#include "desktop/DesktopDrop.h"
#include "desktop/PopulateQueries.h"
#include "dictionary/ConceptCard.h"
#include "dictionary/DictionaryWindows.h"
#include "dictionary/ExplodeMode.h"
#include "floor/Messenger.h"
#include "items/ItemCard.h"
#include "items/ItemCommands.h"
#include "items/ItemRecord.h"
#include "platform/FileNames.h"
#include "platform/Sqlite.h"
#include "session/Session.h"
#include "shell/Wiring.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using namespace qb;

struct BenchConcept {
    Timestamp conceptId = 0;
    int wordNo = 0;
};

// One concept with its own word, given as one more keyword to `count` items spread over the store.
bool addBenchConcept(int count, BenchConcept* out)
{
    sql::Database& db = session().store.db();
    sql::Transaction tx(db);
    sql::Statement maxWord(db, QStringLiteral("SELECT COALESCE(MAX(WNo), 0) + 1 FROM WORD"));
    if (!maxWord.next()) return false;
    out->wordNo = maxWord.intValue(0);
    out->conceptId = GetQBTS();
    sql::Statement word(
        db,
        QStringLiteral(
            "INSERT INTO WORD (Word, WNo, WTS, WTS2, WFQ) VALUES ('benchmark', ?1, ?2, -1, ?3)"));
    word.bind(1, out->wordNo).bind(2, out->conceptId).bind(3, count);
    sql::Statement dict(db, QStringLiteral("INSERT INTO DICT (C, WNo, CTS) VALUES (?1, ?2, ?1)"));
    dict.bind(1, out->conceptId).bind(2, out->wordNo);
    if (!word.run() || !dict.run()) return false;
    std::vector<double> items;
    {
        sql::Statement pick(
            db, QStringLiteral("SELECT IT FROM ITEM ORDER BY (rowid * 7919) % 100003 LIMIT ?1"));
        pick.bind(1, count);
        while (pick.next()) items.push_back(pick.realValue(0));
    }
    sql::Statement link(
        db, QStringLiteral(
                "INSERT INTO ITEMKEYS (IT, \"Order\", ITC, WNo) "
                "SELECT ?1, COALESCE(MAX(\"Order\"), 0) + 1, ?2, ?3 FROM ITEMKEYS WHERE IT = ?1"));
    for (double it : items) {
        link.reset();
        link.bind(1, it).bind(2, out->conceptId).bind(3, out->wordNo);
        if (!link.run()) return false;
    }
    return int(items.size()) == count && tx.commit();
}

// What the cards of one explode show, read with the bare statements: the concept's rows, the
// words of the concept, the 200 item rows, all their keyword and project links, and the pictures.
double bareQueries(const BenchConcept& c, long long* checksum)
{
    sql::Database& db = session().store.db();
    QElapsedTimer timer;
    timer.start();
    long long sum = 0;
    sql::Statement concepts(
        db, QStringLiteral("SELECT DISTINCT C, CTS FROM DICT WHERE WNo = ?1 ORDER BY CTS"));
    concepts.bind(1, c.wordNo);
    while (concepts.next()) ++sum;
    sql::Statement words(
        db, QStringLiteral("SELECT DISTINCT D1.Word, D1.WTS, D1.WNo FROM DICT D, WORD D1 "
                           "WHERE D.C = ?1 AND D1.WNo = D.WNo ORDER BY D1.WTS"));
    words.bind(1, double(c.conceptId));
    while (words.next()) sum += words.textValue(0).size();
    sql::Statement items(
        db, QStringLiteral("SELECT A.IT, A.TX, A.Animation, A.ITS FROM ITEM A, ITEMKEYS B "
                           "WHERE B.ITC = ?1 AND A.IT = B.IT ORDER BY A.ITS LIMIT 200"));
    items.bind(1, double(c.conceptId));
    std::vector<double> ids;
    while (items.next()) {
        ids.push_back(items.realValue(0));
        sum += items.textValue(1).size() + items.blobValue(2).size();
    }
    QString in;
    for (size_t i = 0; i < ids.size(); ++i)
        in += (i ? QStringLiteral(",?") : QStringLiteral("?")) + QString::number(i + 1);
    sql::Statement keys(
        db, QStringLiteral(
                "SELECT DISTINCT D.IT, D.\"Order\", D.ITC, D.WNo, D1.Word FROM ITEMKEYS D, WORD D1 "
                "WHERE D.IT IN (%1) AND D1.WNo = D.WNo ORDER BY D.IT, D.\"Order\"")
                .arg(in));
    sql::Statement urls(
        db, QStringLiteral("SELECT DISTINCT a.IT, a.Project, b.PTS FROM ITEMURL a, PROJECT b "
                           "WHERE a.IT IN (%1) AND a.Project = b.Project ORDER BY a.IT, b.PTS")
                .arg(in));
    for (size_t i = 0; i < ids.size(); ++i) {
        keys.bind(int(i) + 1, ids[i]);
        urls.bind(int(i) + 1, ids[i]);
    }
    while (keys.next()) sum += keys.textValue(4).size();
    while (urls.next()) sum += urls.textValue(1).size();
    *checksum = sum;
    return timer.nsecsElapsed() / 1e9;
}

// The same cards' data read item by item, three little queries each (for comparison).
double itemByItemLoading(const BenchConcept& c)
{
    ItemRows rows = ItemsOfConceptRows(c.conceptId, ItemOrder::Touched);
    QElapsedTimer timer;
    timer.start();
    for (const ItemRow& row : rows.rows) {
        ItemCardData data;
        LoadItemCard(data, row.it);
    }
    return timer.nsecsElapsed() / 1e9;
}

// The toolkit floor: for each of the same items, a plain frame of the card's size holding a text
// edit with the item's text and two list boxes with its keywords and projects (shown on the text
// side, like a card), created, laid out and shown on the desktop, until painted.
double plainWidgets(const BenchConcept& c, QWidget& surface)
{
    ItemRows rows = ItemsOfConceptRows(c.conceptId, ItemOrder::Touched);
    std::vector<ItemCardData> items(rows.rows.size());
    for (size_t i = 0; i < rows.rows.size(); ++i) LoadItemCard(items[i], rows.rows[i].it);
    const Settings& s = session().settings;
    const QSize size(s.itemWidth, s.itemHeight);
    QElapsedTimer timer;
    timer.start();
    std::vector<QFrame*> frames;
    for (size_t i = 0; i < items.size(); ++i) {
        auto* frame = new QFrame(&surface);
        frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
        frame->setGeometry(QRect(QPoint(int(i % 20) * 12, int(i / 20) * 12), size));
        auto* text = new QPlainTextEdit(frame);
        auto* keys = new QListWidget(frame);
        auto* urls = new QListWidget(frame);
        const QRect inside = frame->contentsRect();
        for (QWidget* part : {static_cast<QWidget*>(text), static_cast<QWidget*>(keys),
                              static_cast<QWidget*>(urls)})
            part->setGeometry(inside);
        // The text once the editor has its size, so that it is laid out once.
        text->setPlainText(items[i].text);
        for (const KeywordLink& link : items[i].keywords) keys->addItem(link.word);
        urls->addItems(items[i].projects);
        keys->hide();
        urls->hide();
        frame->show();
        frames.push_back(frame);
    }
    QCoreApplication::processEvents();
    const double seconds = timer.nsecsElapsed() / 1e9;
    for (QFrame* frame : frames) delete frame;
    QCoreApplication::processEvents();
    return seconds;
}

void usage()
{
    std::fprintf(stderr,
                 "usage: bench_explode [--items N] [--runs R]\n"
                 "  a synthetic store of N items (default 20000) in a temporary folder;\n"
                 "  one concept carried by 200 of them is exploded R times (default 5).\n");
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    bench::SyntheticStoreOptions options;
    options.items = 20000;
    int runs = 5;
    if (!bench::readOptions(args, {{"--items", &options.items}, {"--runs", &runs}}) ||
        options.items < 200 || runs <= 0) {
        usage();
        return 2;
    }

    QTemporaryDir temp;
    bench::SyntheticStoreCounts counts;
    QString error;
    if (!bench::writeSyntheticStore(temp.path(), options, &counts, &error)) {
        std::fprintf(stderr, "generator: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    bench::RecordingMessenger messenger;
    Session& s = session();
    s.setMessenger(&messenger);
    s.setDir(temp.path());
    if (!s.store.open(s.dir(), &error)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 1;
    }
    BenchConcept bench;
    if (!addBenchConcept(kPopulateRows, &bench)) {
        std::fprintf(stderr, "could not add the benchmark concept: %s\n",
                     s.store.db().lastError().toLocal8Bit().constData());
        return 1;
    }
    // Room for 200 item cards.
    s.settings.machineIndex = 200;
    SetExplodeMode(int(ExplodeMode::On));

    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* desktop = new TDesktop(&window);
    layout->addWidget(desktop);
    window.resize(1280, 1000);
    window.show();
    QCoreApplication::processEvents();
    WireDesktop();
    WireItemDesktop(*desktop);
    WirePopulateDesktop(*desktop, &window, {});
    dictionaryHooks().placeConceptCard = [desktop](ConceptCardData& data) {
        return PlaceNewConceptCard(*desktop, data) != nullptr;
    };

    DragPayload drop;
    drop.source = DragPayload::Source::DictionaryWord;
    drop.wordNo = bench.wordNo;
    drop.word = QStringLiteral("benchmark");

    std::vector<double> explode, bare, floor;
    long long checksum = 0;
    int cards = 0;
    for (int r = 0; r <= runs; ++r) {
        const double b = bareQueries(bench, &checksum);
        const double f = plainWidgets(bench, *desktop->surface());
        QElapsedTimer timer;
        timer.start();
        FormDragDrop(*desktop, drop, QPoint(10, 10));
        // What the user waits for includes the painting of the new cards.
        QCoreApplication::processEvents();
        const double e = timer.nsecsElapsed() / 1e9;
        cards = int(desktop->cardsOf<TItem>().size());
        ClearCards(*desktop, ClearCommand::Desktop);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        if (r == 0) continue;  // the warm-up round
        explode.push_back(e);
        bare.push_back(b);
        floor.push_back(f);
    }
    const double perItem = itemByItemLoading(bench);
    desktop = nullptr;
    s.store.close();

    if (cards != kPopulateRows || !messenger.seen.isEmpty()) {
        std::fprintf(stderr, "the explode made %d item cards and said:\n%s\nfigures do not count\n",
                     cards, messenger.seen.join(QLatin1Char('\n')).toLocal8Bit().constData());
        return 1;
    }
    const double e = bench::median(explode), b = bench::median(bare), f = bench::median(floor);
    std::printf("store: %lld items, %lld keyword links, %lld pictures\n", counts.items,
                counts.itemKeys, counts.pictures);
    std::printf("explode, concept card and 200 item cards  %8.3f s (median of %d)\n", e, runs);
    std::printf("bare queries, same rows                  %8.3f s\n", b);
    std::printf("ratio, explode / bare queries            %8.1f\n", b > 0 ? e / b : 0.0);
    std::printf("toolkit floor, 200 plain frames with text edit and lists  %.3f s (ratio %.2f)\n",
                f, f > 0 ? e / f : 0.0);
    std::printf("for comparison: the same cards' data item by item (3 queries each)  %.3f s\n",
                perItem);
    std::printf("target: under 0.15 s %s\n", e < 0.15 ? "met" : "MISSED");
    (void)checksum;
    return 0;
}
