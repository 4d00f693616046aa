// bench_search_desktop: the first batch of hits of a text search laid out on a real (offscreen)
// desktop, as Ctrl+F and OK give it on a large store: the commit of the edited cards, the search
// through the index, five item cards placed at the cursor with the hit highlighted, and "Stop
// now?" answered Yes. Against the bare SQL that reads the same five rows, in the same run.
#include "BenchSupport.h"
#include "SyntheticStore.h"

#include "cards/Collection.h"
#include "cards/Desktop.h"
#include "platform/Sqlite.h"
#include "search/ItemTextIndex.h"
#include "search/SearchCommands.h"
#include "search/TextSearch.h"
#include "session/Session.h"
#include "shell/Wiring.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

using namespace qb;
using namespace qb::search;

constexpr int kToolBarHeight = 30;

std::vector<double> shownItems(TDesktop& desktop)
{
    std::vector<double> ids;
    for (CardData* card : desktop.cards())
        if (const auto id = card->shownItemId()) ids.push_back(double(*id));
    return ids;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString dir;
    QString text = QStringLiteral("garden");
    bench::SyntheticStoreOptions options;
    options.items = 100000;
    int runs = 7;
    if (!bench::readOptions(
            args,
            {{"--dir", &dir}, {"--items", &options.items}, {"--text", &text}, {"--runs", &runs}}) ||
        options.items <= 0 || runs <= 0 || text.isEmpty()) {
        std::fprintf(stderr,
                     "usage: bench_search_desktop [--dir DIR] [--items N] [--text TEXT] "
                     "[--runs R]\n"
                     "  DIR holding a store is used; otherwise a store of N items (default\n"
                     "  100000) is generated there or in a temporary folder.\n");
        return 2;
    }
    QTemporaryDir temp;
    if (dir.isEmpty()) dir = temp.path();
    if (!bench::ensureSyntheticStore(dir, options)) return 1;

    bench::RecordingMessenger messenger;  // "Stop now?" takes its default, Yes
    Session& s = session();
    if (!bench::openStore(dir, messenger)) return 1;

    // Brought up to date once, as the desktop does after its first activation.
    QElapsedTimer timer;
    timer.start();
    if (!itemTextIndex().ensureCurrent(s.store.db())) {
        std::fprintf(stderr, "the index could not be brought up to date\n");
        return 1;
    }
    std::printf("index up to date in %.0f ms (not counted below)\n", timer.nsecsElapsed() / 1e6);

    TDesktop desktop;
    desktop.resize(1200, 900);
    desktop.show();
    WireDesktop();
    WireItemDesktop(desktop);
    QCoreApplication::processEvents();

    SearchRequest request;
    request.text = text;
    std::vector<double> searchMs;
    std::vector<double> bareMs;
    std::vector<double> ids;
    for (int r = 0; r <= runs; ++r) {
        ClearCards(desktop, ClearCommand::Desktop);
        QCoreApplication::processEvents();
        searchState().resume.clear();
        timer.restart();
        const SearchOutcome outcome = ItemTextSearch(desktop, kToolBarHeight, request);
        QCoreApplication::processEvents();
        const double ms = timer.nsecsElapsed() / 1e6;
        ids = shownItems(desktop);
        if (!outcome.ran || ids.empty()) {
            std::fprintf(stderr, "no hit of \"%s\" on the desktop\n", qPrintable(text));
            return 1;
        }

        // The bare SQL of the same rows: the five texts read by their ids.
        timer.restart();
        sql::Statement st(s.store.db(),
                          QStringLiteral("SELECT TX, Animation FROM ITEM WHERE IT = ?1"));
        for (double id : ids) {
            st.reset();
            st.bind(1, id);
            st.next();
        }
        const double bare = timer.nsecsElapsed() / 1e6;
        if (r == 0) continue;  // warm-up
        searchMs.push_back(ms);
        bareMs.push_back(bare);
    }
    const double m = bench::median(searchMs);
    const double b = bench::median(bareMs);
    std::printf(
        "first batch of \"%s\" on the desktop: %zu cards in %.1f ms (median of %d); "
        "bare SQL of the same rows %.2f ms; %s\n",
        qPrintable(text), ids.size(), m, runs, b, m < 300.0 ? "under 0.3 s" : "OVER 0.3 s");
    return 0;
}
