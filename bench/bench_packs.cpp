// bench_packs: book mode of 200 real item cards and a lasso over 200 (the pack, its offsets, the
// joined text on the clipboard, the pack menu), on an offscreen desktop, against moving the same
// widgets to the same places without the rules. Targets: book mode under 0.3 s, the lasso under
// 0.2 s.
#include "BenchSupport.h"

#include "cards/Desktop.h"
#include "desktop/PackCommands.h"
#include "floor/Settings.h"
#include "items/ItemCard.h"
#include "session/Session.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

using namespace qb;

// The cards where they stood before a command, out of the book.
void scatter(const std::vector<TItem*>& cards)
{
    const Settings& s = session().settings;
    for (std::size_t i = 0; i < cards.size(); ++i) {
        cards[i]->setInBook(false);
        cards[i]->setGeometry(int(20 + i * 37 % 1500), int(20 + i * 53 % 1500), s.itemWidth,
                              s.itemHeight);
        cards[i]->syncFromGeometry();
    }
    QCoreApplication::processEvents();
}

double bareMoves(const std::vector<TItem*>& cards, const std::vector<QRect>& places)
{
    scatter(cards);
    QElapsedTimer timer;
    timer.start();
    for (std::size_t i = 0; i < cards.size(); ++i) {
        cards[i]->setGeometry(places[i]);
        cards[i]->syncFromGeometry();
        cards[i]->raise();
    }
    QCoreApplication::processEvents();
    return timer.nsecsElapsed() / 1e6;
}

void mouse(QWidget* target, QEvent::Type type, QPoint at)
{
    QMouseEvent e(type, at, target->mapToGlobal(at), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(target, &e);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int count = 200;
    int runs = 7;
    if (!bench::readOptions(app.arguments().mid(1), {{"--cards", &count}, {"--runs", &runs}}) ||
        count <= 0 || runs <= 0) {
        std::fprintf(stderr, "usage: bench_packs [--cards N] [--runs R]\n");
        return 2;
    }
    QTemporaryDir temp;
    bench::RecordingMessenger messenger;
    Session& s = session();
    s.setMessenger(&messenger);
    s.setDir(temp.path());

    TDesktop desktop;
    desktop.resize(1900, 1900);
    desktop.show();
    InstallLasso(desktop);
    std::vector<TItem*> cards;
    for (int i = 0; i < count; ++i) {
        auto data = std::make_unique<ItemCardData>();
        data->itemId = -40000.0L - i * 0.001L;
        // Mostly short notes, some long ones, as a store holds them.
        const int sentences = i % 25 == 0 ? 60 : 2 + i % 7;
        for (int k = 0; k < sentences; ++k)
            data->text +=
                QStringLiteral("Sentence %1 of card %2 holds a few ordinary words. ").arg(k).arg(i);
        data->keywords.push_back({-1.5L, 1, QStringLiteral("word")});
        auto* card = new TItem(desktop, std::move(data));
        card->show();
        cards.push_back(card);
    }
    QCoreApplication::processEvents();

    struct Case {
        const char* name;
        double target;
        std::function<void()> command;
    };
    const std::vector<Case> cases{
        {"book mode", 300, [&] { BookEncode(desktop); }},
        {"lasso", 200,
         [&] {
             QWidget* surface = desktop.surface();
             mouse(surface, QEvent::MouseButtonPress, {2, 2});
             mouse(surface, QEvent::MouseMove, {900, 900});
             mouse(surface, QEvent::MouseButtonRelease, {1850, 1850});
             if (auto* menu = desktop.findChild<QMenu*>(QStringLiteral("PackMenu"))) menu->close();
         }},
    };
    std::printf("%d item cards, %d rounds (medians)\n", count, runs);
    int over = 0;
    for (const Case& c : cases) {
        std::vector<double> rules, bare;
        for (int r = 0; r <= runs; ++r) {
            scatter(cards);
            QElapsedTimer timer;
            timer.start();
            c.command();
            QCoreApplication::processEvents();
            const double ms = timer.nsecsElapsed() / 1e6;
            std::vector<QRect> places;
            for (TItem* card : cards) places.push_back(card->geometry());
            const double baseline = bareMoves(cards, places);
            if (r == 0) continue;  // warm-up
            rules.push_back(ms);
            bare.push_back(baseline);
        }
        const double m = bench::median(rules), b = bench::median(bare);
        std::printf("%-10s %8.2f ms   bare moves %8.2f ms   ratio %5.2f   %s %.0f ms\n", c.name, m,
                    b, b > 0 ? m / b : 0.0, m < c.target ? "under" : "OVER", c.target);
        if (m >= c.target) ++over;
    }
    std::printf("pack after the lasso: %d cards\n", int(CurrentPack().size()));
    for (const QString& m : messenger.seen) std::printf("message: %s\n", qPrintable(m));
    return over == 0 ? 0 : 1;
}
