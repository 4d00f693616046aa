// bench_layout: sorting 200 real item cards on the diagonal and tiling them, on an offscreen
// desktop, against moving the same 200 widgets to the same places without the rules.
#include "BenchSupport.h"

#include "cards/Desktop.h"
#include "desktop/LayoutCommands.h"
#include "floor/Settings.h"
#include "items/ItemCard.h"
#include "session/Session.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

using namespace qb;

constexpr int kToolBarHeight = 30;

void usage() { std::fprintf(stderr, "usage: bench_layout [--cards N] [--runs R]\n"); }

// Spreads the cards over the desktop, every third one of an odd size and in a book, the same
// way in every round.
void scatter(const std::vector<TItem*>& cards)
{
    const Settings& s = session().settings;
    unsigned seed = 12345;
    auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 8) % unsigned(range));
    };
    for (std::size_t i = 0; i < cards.size(); ++i) {
        TItem* card = cards[i];
        const bool odd = i % 3 == 0;
        card->setGeometry(next(1700), next(1700), odd ? 260 : s.itemWidth,
                          odd ? 120 : s.itemHeight);
        card->syncFromGeometry();
        card->turnTo(i % 2 ? ctxKeys : ctxText);
        if (odd) card->setInBook(true);
    }
    QCoreApplication::processEvents();
}

struct Figures {
    double rules = 0;
    double baseline = 0;
};

// One round: the command timed; then the same widgets back where they stood before it and the
// bare moves to the places the command chose timed.
Figures round(const std::vector<TItem*>& cards, const std::function<void()>& command)
{
    Figures f;
    scatter(cards);
    QElapsedTimer timer;
    timer.start();
    command();
    QCoreApplication::processEvents();
    f.rules = timer.nsecsElapsed() / 1e6;

    std::vector<QRect> places;
    for (TItem* card : cards) places.push_back(card->geometry());
    scatter(cards);
    timer.restart();
    for (std::size_t i = 0; i < cards.size(); ++i) {
        cards[i]->setGeometry(places[i]);
        cards[i]->syncFromGeometry();
        cards[i]->raise();
    }
    QCoreApplication::processEvents();
    f.baseline = timer.nsecsElapsed() / 1e6;
    return f;
}

void report(const char* what, std::vector<Figures> rounds)
{
    std::vector<double> rules;
    std::vector<double> bare;
    for (const Figures& f : rounds) {
        rules.push_back(f.rules);
        bare.push_back(f.baseline);
    }
    const double r = bench::median(rules);
    const double b = bench::median(bare);
    std::printf("%-22s %8.2f ms   bare moves %8.2f ms   ratio %5.2f   %s\n", what, r, b,
                b > 0 ? r / b : 0.0, r < 100.0 ? "under 100 ms" : "OVER 100 ms");
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int count = 200;
    int runs = 7;
    if (!bench::readOptions(args, {{"--cards", &count}, {"--runs", &runs}}) || count <= 0 ||
        runs <= 0) {
        usage();
        return 2;
    }

    QTemporaryDir temp;
    bench::RecordingMessenger messenger;
    Session& s = session();
    s.setMessenger(&messenger);
    s.setDir(temp.path());

    TDesktop desktop;
    desktop.resize(1000, 800);
    desktop.show();
    std::vector<TItem*> cards;
    for (int i = 0; i < count; ++i) {
        auto data = std::make_unique<ItemCardData>();
        data->itemId = -40000.0L - i * 0.001L;
        data->text = QStringLiteral(
                         "Card %1: a few words of text so that the editor has lines "
                         "to lay out when the card changes its size.")
                         .arg(i);
        data->keywords.push_back({-1.5L, 1, QStringLiteral("word")});
        auto* card = new TItem(desktop, std::move(data));
        card->show();
        cards.push_back(card);
    }
    QCoreApplication::processEvents();

    const LayoutScreen screen = CurrentLayoutScreen(kToolBarHeight);
    std::printf("%d item cards, first monitor %dx%d, %d rounds (medians)\n", count,
                screen.monitor.width(), screen.monitor.height(), runs);
    struct Case {
        const char* name;
        std::function<void()> command;
    };
    const std::vector<Case> cases{
        {"SortOnDiagonal", [&] { SortOnDiagonal(desktop, kToolBarHeight, false); }},
        {"SortOnDiagonal (text)", [&] { SortOnDiagonal(desktop, kToolBarHeight, true); }},
        {"Tile items", [&] { Tile(desktop, kToolBarHeight, TileKind::Items, false); }},
        {"Tile items extended", [&] { Tile(desktop, kToolBarHeight, TileKind::Items, true); }},
    };
    for (const Case& c : cases) {
        round(cards, c.command);  // warm-up
        std::vector<Figures> rounds;
        for (int r = 0; r < runs; ++r) rounds.push_back(round(cards, c.command));
        report(c.name, rounds);
    }
    if (!messenger.seen.isEmpty()) {
        std::printf("messages:\n");
        for (const QString& m : messenger.seen) std::printf("  %s\n", qPrintable(m));
    }
    return 0;
}
