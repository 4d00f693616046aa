// bench_projects: what the project window and a project drop make the user wait for, each against
// the bare SQL of the same rows: the project list in both orders, a project of 200 items dropped
// on the desktop (its saved order restored, the cards made, the texts on the clipboard), and
// "Add Desktop/Reorder" (CollectDesk) over 200 item cards.
#include "BenchSupport.h"
#include "SyntheticStore.h"

#include "cards/CardHost.h"
#include "cards/Collection.h"
#include "cards/Desktop.h"
#include "desktop/DesktopDrop.h"
#include "items/ItemCard.h"
#include "items/ItemCardData.h"
#include "items/ItemRecord.h"
#include "platform/Sqlite.h"
#include "projects/ProjectOrder.h"
#include "projects/ProjectRecords.h"
#include "session/Session.h"
#include "shell/Wiring.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using namespace qb;

constexpr int kCards = 200;
const QString kDropProject = QStringLiteral("BENCH DROP");
const QString kCollectProject = QStringLiteral("BENCH COLLECT");

sql::Database& db() { return session().store.db(); }

double seconds(const QElapsedTimer& timer) { return timer.nsecsElapsed() / 1e9; }

// 200 items spread over the store, linked to a project of their own (the drop's).
std::vector<double> addBenchProject(const QString& project, int offset)
{
    std::vector<double> items;
    sql::Transaction tx(db());
    sql::Statement row(db(), QStringLiteral("INSERT INTO PROJECT (Project, PTS, URL, Tag) "
                                            "VALUES (?1, -40000, '', 'BENCH')"));
    row.bind(1, project);
    if (!row.run()) return {};
    sql::Statement pick(db(), QStringLiteral("SELECT IT FROM ITEM ORDER BY (rowid * 7919 + ?2) % "
                                             "100003 LIMIT ?1"));
    pick.bind(1, kCards).bind(2, offset);
    while (pick.next()) items.push_back(pick.realValue(0));
    sql::Statement link(db(), QStringLiteral("INSERT INTO ITEMURL (IT, \"Order\", Project) "
                                             "SELECT ?1, COALESCE(MAX(\"Order\"), 0) + 1, ?2 "
                                             "FROM ITEMURL WHERE IT = ?1"));
    for (double it : items) {
        link.reset();
        link.bind(1, it).bind(2, project);
        if (!link.run()) return {};
    }
    return tx.commit() ? items : std::vector<double>();
}

// The list as the window reads it, bare: every row in the order's index, all four fields.
double bareList(bool alphabetical, long long* checksum)
{
    QElapsedTimer timer;
    timer.start();
    sql::Statement st(
        db(), QStringLiteral("SELECT Project, PTS, URL, Tag FROM PROJECT ORDER BY %1")
                  .arg(alphabetical ? QStringLiteral("Project") : QStringLiteral("PTS, Project")));
    long long sum = 0;
    while (st.next())
        sum += st.textValue(0).size() + st.textValue(2).size() + st.textValue(3).size();
    *checksum += sum;
    return seconds(timer);
}

// A project drop's rows, bare: the saved order written back in one transaction, then the items
// with their texts and pictures and all their keyword and project links.
double bareDrop(long long* checksum)
{
    QElapsedTimer timer;
    timer.start();
    long long sum = 0;
    {
        sql::Transaction tx(db());
        sql::Statement saved(db(),
                             QStringLiteral("SELECT DISTINCT d1.IT, d1.ITS FROM ITEMURL D, "
                                            "PRJORDR d1 WHERE d1.Project = D.Project AND "
                                            "d1.IT = D.IT AND d1.Project = ?1 AND d1.ITS < 0"));
        saved.bind(1, kDropProject);
        std::vector<std::pair<double, double>> rows;
        while (saved.next()) rows.push_back({saved.realValue(0), saved.realValue(1)});
        sql::Statement write(db(), QStringLiteral("UPDATE ITEM SET ITS = ?1 WHERE IT = ?2"));
        for (const auto& [it, its] : rows) {
            write.reset();
            write.bind(1, its).bind(2, it);
            write.run();
        }
        tx.commit();
    }
    sql::Statement items(db(), QStringLiteral("SELECT A.IT, A.TX, A.Animation, A.ITS FROM ITEM A, "
                                              "ITEMURL B WHERE B.Project = ?1 AND A.IT = B.IT "
                                              "ORDER BY A.ITS"));
    items.bind(1, kDropProject);
    std::vector<double> ids;
    QString text;
    while (items.next()) {
        ids.push_back(items.realValue(0));
        text += items.textValue(1) + QStringLiteral("\n\n");
        sum += items.blobValue(2).size();
    }
    QString in;
    for (size_t i = 0; i < ids.size(); ++i)
        in += (i ? QStringLiteral(",?") : QStringLiteral("?")) + QString::number(i + 1);
    sql::Statement keys(db(), QStringLiteral("SELECT DISTINCT D.IT, D.\"Order\", D.ITC, D.WNo, "
                                             "D1.Word FROM ITEMKEYS D, WORD D1 WHERE D.IT IN (%1) "
                                             "AND D1.WNo = D.WNo ORDER BY D.IT, D.\"Order\"")
                                  .arg(in));
    sql::Statement urls(db(), QStringLiteral("SELECT DISTINCT a.IT, a.Project, b.PTS FROM ITEMURL "
                                             "a, PROJECT b WHERE a.IT IN (%1) AND a.Project = "
                                             "b.Project ORDER BY a.IT, b.PTS")
                                  .arg(in));
    for (size_t i = 0; i < ids.size(); ++i) {
        keys.bind(int(i) + 1, ids[i]);
        urls.bind(int(i) + 1, ids[i]);
    }
    while (keys.next()) sum += keys.textValue(4).size();
    while (urls.next()) sum += urls.textValue(1).size();
    *checksum += sum + text.size();
    return seconds(timer);
}

// The desktop of CollectDesk: 200 item cards as plain data, in child order.
class BenchHost : public CardHost {
public:
    std::vector<CardData*> cards() const override
    {
        std::vector<CardData*> r;
        for (const auto& c : owned) r.push_back(c.get());
        return r;
    }
    int childCount() const override { return int(owned.size()); }
    SlotTables& slotTables() override { return tables; }
    QPoint scroll() const override { return {}; }
    QSize visibleSize() const override { return {1280, 1000}; }
    bool freeCard(CardData& card) override
    {
        owned.erase(std::remove_if(owned.begin(), owned.end(),
                                   [&](const auto& c) { return c.get() == &card; }),
                    owned.end());
        return true;
    }
    void setCardVisible(CardData&, bool) override {}
    void moveCard(CardData& card, QPoint pos) override { card.pos = pos; }
    void bringToFront(CardData&) override {}
    void refreshFoundItem(CardData&, int) override {}
    void focusAway() override {}
    void processEvents() override {}
    void redrawMap() override {}

    std::vector<std::unique_ptr<ItemCardData>> owned;
    SlotTables tables;
};

void fillHost(BenchHost& host, const std::vector<double>& items)
{
    host.owned.clear();
    int k = 0;
    for (double it : items) {
        auto card = std::make_unique<ItemCardData>();
        LoadItemCard(*card, it);
        card->pos = QPoint(40 + (k % 20) * 60, 40 + (k / 20) * 90);
        ++k;
        host.owned.push_back(std::move(card));
    }
}

// CollectDesk's rows, bare, in one transaction: each item's ITS, text, keyword and project links
// written again with the project among them, then the project's snapshot.
double bareCollect(const BenchHost& host)
{
    QElapsedTimer timer;
    timer.start();
    sql::Transaction tx(db());
    sql::Statement item(db(), QStringLiteral("UPDATE ITEM SET TX = ?2, ITS = ?3 WHERE IT = ?1"));
    sql::Statement keysDel(db(), QStringLiteral("DELETE FROM ITEMKEYS WHERE IT = ?1"));
    sql::Statement keyIns(db(), QStringLiteral("INSERT INTO ITEMKEYS (IT, \"Order\", ITC, WNo) "
                                               "VALUES (?1, ?2, ?3, ?4)"));
    sql::Statement urlsDel(db(), QStringLiteral("DELETE FROM ITEMURL WHERE IT = ?1"));
    sql::Statement urlIns(db(), QStringLiteral("INSERT INTO ITEMURL (IT, \"Order\", Project) "
                                               "VALUES (?1, ?2, ?3)"));
    const Timestamp base = -30000;
    for (const auto& card : host.owned) {
        const double id = double(card->itemId);
        item.reset();
        item.bind(1, id).bind(2, card->text).bind(3, ProjectOrderStamp(card->pos, base));
        item.run();
        keysDel.reset();
        keysDel.bind(1, id);
        keysDel.run();
        int order = 0;
        for (const KeywordLink& link : card->keywords) {
            keyIns.reset();
            keyIns.bind(1, id).bind(2, ++order).bind(3, link.conceptId).bind(4, link.wordNo);
            keyIns.run();
        }
        urlsDel.reset();
        urlsDel.bind(1, id);
        urlsDel.run();
        order = 0;
        QStringList projects = card->projects;
        if (!projects.contains(kCollectProject)) projects << kCollectProject;
        for (const QString& project : projects) {
            urlIns.reset();
            urlIns.bind(1, id).bind(2, ++order).bind(3, project);
            urlIns.run();
        }
    }
    sql::Statement drop(db(),
                        QStringLiteral("DELETE FROM PRJORDR WHERE Project = ?1 AND ITS <= 0"));
    drop.bind(1, kCollectProject);
    drop.run();
    sql::Statement take(db(), QStringLiteral("INSERT OR IGNORE INTO PRJORDR (Project, IT, ITS) "
                                             "SELECT DISTINCT D1.Project, D1.IT, D2.ITS FROM "
                                             "ITEMURL D1, ITEM D2 WHERE D1.Project = ?1 AND "
                                             "D2.IT = D1.IT"));
    take.bind(1, kCollectProject);
    take.run();
    tx.commit();
    return seconds(timer);
}

void line(const char* what, double ms, const char* unit = "ms")
{
    std::printf("%-48s %9.2f %s\n", what, ms, unit);
}

void usage()
{
    std::fprintf(
        stderr,
        "usage: bench_projects [--dir DIR] [--items N] [--projects P] [--runs R]\n"
        "  a synthetic store of N items (default 100000) and P projects (default N/10)\n"
        "  in DIR or a temporary folder; each figure is the median of R runs (default 5).\n"
        "  The store is changed: two benchmark projects of 200 items are added.\n");
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    bench::SyntheticStoreOptions options;
    options.items = 100000;
    int runs = 5;
    QString dir;
    if (!bench::readOptions(args, {{"--items", &options.items},
                                   {"--projects", &options.projects},
                                   {"--runs", &runs},
                                   {"--dir", &dir}}) ||
        options.items < 2 * kCards || runs <= 0) {
        usage();
        return 2;
    }
    QTemporaryDir temp;
    if (dir.isEmpty()) dir = temp.path();
    if (!bench::ensureSyntheticStore(dir, options)) return 1;

    bench::RecordingMessenger messenger;
    Session& s = session();
    if (!bench::openStore(dir, messenger)) return 1;
    s.store.db().exec(
        QStringLiteral("DELETE FROM PROJECT WHERE Project IN ('BENCH DROP', "
                       "'BENCH COLLECT'); DELETE FROM ITEMURL WHERE Project IN "
                       "('BENCH DROP', 'BENCH COLLECT')"));
    const std::vector<double> dropItems = addBenchProject(kDropProject, 0);
    const std::vector<double> collectItems = addBenchProject(kCollectProject, 5003);
    if (int(dropItems.size()) != kCards || int(collectItems.size()) != kCards) {
        std::fprintf(stderr, "could not add the benchmark projects: %s\n",
                     db().lastError().toLocal8Bit().constData());
        return 1;
    }
    sql::Statement count(db(), QStringLiteral("SELECT count(*) FROM PROJECT"));
    count.next();
    const int projects = count.intValue(0);
    // Room for 200 item cards; no question after the drop.
    s.settings.machineIndex = 200;
    s.settings.quiet = true;
    long long checksum = 0;

    // The project window's open and its order switch.
    std::vector<double> alpha, time, bareAlpha, bareTime;
    size_t listed = 0;
    for (int r = 0; r <= runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        listed = ProjectList(ProjectOrder::Alphabetical).size();
        const double a = seconds(timer);
        timer.restart();
        listed += ProjectList(ProjectOrder::TimeStamp).size();
        const double t = seconds(timer);
        const double ba = bareList(true, &checksum), bt = bareList(false, &checksum);
        if (r == 0) continue;
        alpha.push_back(a);
        time.push_back(t);
        bareAlpha.push_back(ba);
        bareTime.push_back(bt);
    }

    // CollectDesk over 200 cards; its question is answered OK, so the cards are cleared.
    std::vector<double> collect, bareCollects;
    BenchHost host;
    for (int r = 0; r <= runs; ++r) {
        fillHost(host, collectItems);
        const double b = bareCollect(host);
        fillHost(host, collectItems);
        QElapsedTimer timer;
        timer.start();
        const bool saved = CollectDesk(host, kCollectProject);
        const double c = seconds(timer);
        if (!saved) {
            std::fprintf(stderr, "CollectDesk failed\n");
            return 1;
        }
        if (r == 0) continue;
        collect.push_back(c);
        bareCollects.push_back(b);
    }

    // The drop, on a desktop with the program's wiring.
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
    DragPayload payload;
    payload.source = DragPayload::Source::Project;
    payload.project = kDropProject;
    std::vector<double> drop, bareDrops;
    int cards = 0;
    int clipboard = 0;
    for (int r = 0; r <= runs; ++r) {
        const double b = bareDrop(&checksum);
        QElapsedTimer timer;
        timer.start();
        FormDragDrop(*desktop, payload, QPoint(10, 10));
        QCoreApplication::processEvents();
        const double d = seconds(timer);
        cards = int(desktop->cardsOf<TItem>().size());
        clipboard = int(QGuiApplication::clipboard()->text().size());
        ClearCards(*desktop, ClearCommand::Desktop);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        if (r == 0) continue;
        drop.push_back(d);
        bareDrops.push_back(b);
    }
    desktop = nullptr;
    s.store.close();

    QStringList said = messenger.seen;
    said.removeAll(QStringLiteral("Clear desktop to get items in order at next drop"));
    if (cards != kCards || clipboard == 0 || !said.isEmpty() || listed != 2 * size_t(projects)) {
        std::fprintf(stderr,
                     "the drop made %d item cards, %d characters on the clipboard; the run "
                     "said:\n%s\nfigures do not count\n",
                     cards, clipboard, said.join(QLatin1Char('\n')).toLocal8Bit().constData());
        return 1;
    }
    const double a = bench::median(alpha) * 1000, ba = bench::median(bareAlpha) * 1000;
    const double t = bench::median(time) * 1000, bt = bench::median(bareTime) * 1000;
    const double d = bench::median(drop), bd = bench::median(bareDrops);
    const double c = bench::median(collect), bc = bench::median(bareCollects);
    std::printf("store: %d projects; medians of %d runs\n", projects, runs);
    line("project list, alphabetical", a);
    line("  bare SQL, same rows", ba);
    line("project list, time stamp order", t);
    line("  bare SQL, same rows", bt);
    line("project drop, 200 items, order restored", d * 1000);
    line("  bare SQL, same rows", bd * 1000);
    line("CollectDesk, 200 item cards", c, "s");
    line("  bare SQL, same rows, one transaction", bc, "s");
    std::printf("ratios: list %.1f / %.1f, drop %.2f, CollectDesk %.1f\n", ba > 0 ? a / ba : 0.0,
                bt > 0 ? t / bt : 0.0, bd > 0 ? d / bd : 0.0, bc > 0 ? c / bc : 0.0);
    std::printf(
        "targets: list under 100 ms %s, drop under 0.5 s %s and within 3x its bare SQL %s, "
        "CollectDesk under 0.3 s %s\n",
        std::max(a, t) < 100 ? "met" : "MISSED", d < 0.5 ? "met" : "MISSED",
        bd > 0 && d <= 3 * bd ? "met" : "MISSED", c < 0.3 ? "met" : "MISSED");
    (void)checksum;
    return 0;
}
