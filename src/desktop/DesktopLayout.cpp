#include "desktop/DesktopLayout.h"

#include "cards/CardMotion.h"
#include "cards/Collection.h"
#include "cards/PlacementCounters.h"
#include "floor/Messages.h"
#include "floor/Settings.h"
#include "session/Session.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <exception>

namespace qb {

PlacingCursor& placingCursor() { return session().part<PlacingCursor>(); }

int TopLine(const LayoutScreen& screen, const Settings& settings)
{
    return settings.generalOffsetTopBorder + screen.toolBarHeight;
}

void OrderCardsPos(PlacingCursor& cursor, int a, int b, const CursorFrame& frame)
{
    switch (cursor.mode) {
    case 1:
        if (cursor.x + frame.scroll.x() < kDiagonalLimit) cursor.x += a;
        if (cursor.y + frame.scroll.y() < kDiagonalLimit)
            cursor.y += b;
        else
            cursor.y = frame.topLine;  // the diagonal starts again at the top, x keeps growing
        break;
    case 3:
        if (cursor.x > kDownLeftStop) cursor.x -= frame.horizontal;
        if (cursor.y < kDiagonalLimit) cursor.y += b;
        break;
    case 4:
        if (cursor.x < kDiagonalLimit) cursor.x += a;
        if (cursor.y > frame.toolBarHeight) cursor.y -= b;
        break;
    default: break;
    }
}

namespace {

CursorFrame frameFor(const CardHost& host, const LayoutScreen& screen, const Settings& settings)
{
    return CursorFrame{host.scroll(), TopLine(screen, settings), screen.toolBarHeight,
                       settings.horizontal};
}

}  // namespace

void OrderCardsPos(CardHost& host, const LayoutScreen& screen, int a, int b)
{
    OrderCardsPos(placingCursor(), a, b, frameFor(host, screen, session().settings));
    host.focusAway();
}

std::vector<CardData*> ReadingOrder(const std::vector<CardData*>& cards, QPoint shift)
{
    std::vector<std::pair<QString, CardData*>> keyed;
    keyed.reserve(cards.size());
    for (CardData* card : cards) keyed.emplace_back(PositionKeyText(card->pos + shift), card);
    // The keys are compared as text, as the sorted string list did.
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& l, const auto& r) { return l.first < r.first; });
    std::vector<CardData*> order;
    order.reserve(keyed.size());
    for (const auto& k : keyed) order.push_back(k.second);
    return order;
}

QPoint DiagonalSteps(int itemCount, const LayoutScreen& screen, const Settings& settings)
{
    if (itemCount <= 0) return {0, 0};
    const int freeWidth =
        screen.monitor.width() - settings.generalOffsetSideBorder - settings.itemWidth - 72;
    const int freeHeight =
        screen.monitor.height() - TopLine(screen, settings) - settings.itemHeight - 144;
    // nearbyint rounds halves to even in the default rounding mode.
    const int dx = int(std::nearbyint(0.8 * freeWidth / itemCount));
    const int dy = int(std::nearbyint(0.8 * freeHeight / itemCount));
    return {std::max(dx, 2), std::max(dy, 2)};
}

CardKind CardKindOf(TileKind kind)
{
    switch (kind) {
    case TileKind::Items: return CardKind::Item;
    case TileKind::Concepts: return CardKind::Concept;
    case TileKind::Inflections: return CardKind::Inflection;
    case TileKind::Flywords: return CardKind::Flyword;
    }
    return CardKind::Item;
}

QSize TileStartCell(TileKind kind, const Settings& settings)
{
    switch (kind) {
    case TileKind::Items: return {settings.itemWidth, settings.itemHeight};
    case TileKind::Concepts: return {settings.synWheelWidth, settings.synWheelHeight};
    case TileKind::Inflections: return {160, 144};
    case TileKind::Flywords: return {80, 64};
    }
    return {settings.itemWidth, settings.itemHeight};
}

TileFit FitTiles(QSize startCell, int count, QSize area)
{
    int w = startCell.width();
    int h = startCell.height();
    auto rows = [&] { return h > 0 ? area.height() / h : 0; };
    auto columns = [&] { return w > 0 ? area.width() / w : 0; };
    while (rows() * columns() < count && w >= 64) {
        // trunc(0.8 x n), exactly
        h = h * 4 / 5;
        w = w * 4 / 5;
    }
    return {rows(), columns(), QSize(w, h)};
}

std::vector<QPoint> TilePositions(int count, QSize cell, int areaWidth, QPoint offsets)
{
    std::vector<QPoint> places;
    if (cell.width() <= 0) return places;
    int y = 4 - offsets.y();
    while (int(places.size()) < count) {
        const std::size_t before = places.size();
        for (int x = -offsets.x();
             x + offsets.x() < areaWidth - cell.width() && int(places.size()) < count;
             x += cell.width())
            places.emplace_back(x, y);
        // A cell wider than the area takes no card in any row: stop instead of looping forever.
        if (places.size() == before) break;
        y += cell.height();
    }
    return places;
}

namespace {

bool isStandardItem(const CardData& card, const Settings& settings)
{
    return card.size == QSize(settings.itemWidth, settings.itemHeight);
}

// Runs one card's step; a failure is logged with the code and the command goes on.
template <class Step> bool guarded(const char* code, Step step)
{
    try {
        step();
        return true;
    } catch (...) {
        LogProblem(QString::fromLatin1(code));
        return false;
    }
}

}  // namespace

void SortCards(CardHost& host, LayoutCardActions& actions, const LayoutScreen& screen, int dx,
               int dy, bool textSideUp)
{
    using namespace layoutmessages;
    const Settings& settings = session().settings;
    try {
        GarbageCollect(host, true);
        const QPoint scroll = host.scroll();
        std::vector<CardData*> sortable;
        for (CardData* card : host.cards())
            if (!card->hidden && card->kind != CardKind::Project &&
                card->kind != CardKind::Dictionary)
                sortable.push_back(card);
        const std::vector<CardData*> list = ReadingOrder(sortable, {0, 0});

        // A compact stack first, so that the diagonals below start from known places.
        const QSize standard(settings.itemWidth, settings.itemHeight);
        for (std::size_t i = 0; i < list.size(); ++i) {
            CardData& card = *list[i];
            guarded(kResort, [&] {
                host.moveCard(card, scroll + QPoint(int(i) + 24, int(i) + 48));
                bool front = true;
                if (card.kind == CardKind::Item) {
                    if (!guarded(kResortCard, [&] {
                            if (isStandardItem(card, settings)) {
                                if (textSideUp && actions.showsListSide(card))
                                    actions.turnToText(card);
                            } else {
                                actions.leaveBook(card);
                                actions.setSize(card, standard);
                                actions.relayout(card);
                                if (textSideUp) actions.turnToText(card);
                                front = false;
                            }
                        }))
                        return;
                }
                if (front) host.bringToFront(card);
            });
        }

        PlacingCursor& cursor = placingCursor();
        const CursorFrame frame = frameFor(host, screen, settings);
        auto place = [&](CardKind kind, bool lastFirst, int a, int b, const char* code) {
            std::vector<CardData*> ofKind;
            for (CardData* card : list)
                if (card->kind == kind) ofKind.push_back(card);
            if (lastFirst) std::reverse(ofKind.begin(), ofKind.end());
            for (CardData* card : ofKind)
                guarded(code, [&] {
                    host.moveCard(*card, scroll + QPoint(cursor.x, cursor.y));
                    host.bringToFront(*card);
                    OrderCardsPos(cursor, a, b, frame);
                });
        };
        const int side = settings.generalOffsetSideBorder;
        const int h = settings.horizontal;
        const int v = settings.vertical;
        cursor.start(4, side, screen.monitor.height() - settings.generalOffsetBottomBorder - 170);
        place(CardKind::Concept, true, h, v, kConcept);
        cursor.start(3, host.visibleSize().width() - side - 220 - h, frame.topLine);
        place(CardKind::Inflection, true, h, v, kInflection);
        cursor.start(1, side, frame.topLine);
        place(CardKind::Item, false, dx, dy, kItem);
        cursor.start(1, side + 400, frame.topLine);
        place(CardKind::Flyword, true, 24, 12, kFlyword);

        // Newly shown cards start at their pop spots again.
        placementCounters().reset();
        host.focusAway();
        host.redrawMap();
    } catch (...) {
        LogProblem(QString::fromLatin1(kGeneral));
    }
}

void SortOnDiagonal(CardHost& host, LayoutCardActions& actions, const LayoutScreen& screen,
                    bool textSideUp)
{
    int items = 0;
    for (CardData* card : host.cards())
        if (card->kind == CardKind::Item) ++items;
    const QPoint steps = DiagonalSteps(items, screen, session().settings);
    SortCards(host, actions, screen, steps.x(), steps.y(), textSideUp);
}

void Tile(CardHost& host, LayoutCardActions& actions, const LayoutScreen& screen, TileKind kind,
          bool extended)
{
    using namespace layoutmessages;
    const Settings& settings = session().settings;
    GarbageCollect(host, true);
    const QPoint scroll = host.scroll();
    const QSize area =
        extended ? QSize(2000, 1992) : QSize(screen.monitor.width(), screen.monitor.height() - 8);
    const QPoint offsets = extended ? scroll : QPoint(0, 0);

    std::vector<CardData*> shown;
    for (CardData* card : host.cards())
        if (!card->hidden) shown.push_back(card);
    // Keys of the view position plus the offsets: absolute over the whole desktop, visible on
    // the screen.
    const std::vector<CardData*> list = ReadingOrder(shown, offsets - scroll);

    const CardKind wanted = CardKindOf(kind);
    std::vector<CardData*> tiles;
    for (std::size_t i = 0; i < list.size(); ++i) {
        CardData& card = *list[i];
        if (card.kind != wanted) continue;
        guarded(kTileStack, [&] {
            host.moveCard(card, scroll + QPoint(int(i) + 24, int(i) + 48));
            tiles.push_back(&card);
            if (card.kind == CardKind::Item) actions.leaveBook(card);
        });
    }

    const TileFit fit = FitTiles(TileStartCell(kind, settings), int(tiles.size()), area);
    const std::vector<QPoint> places =
        TilePositions(int(tiles.size()), fit.cell, area.width(), offsets);
    for (std::size_t k = 0; k < places.size(); ++k) {
        CardData& card = *tiles[k];
        guarded(kTileCell, [&] {
            host.moveCard(card, scroll + places[k]);
            actions.setSize(card, fit.cell);
            actions.relayout(card);
            host.bringToFront(card);
        });
    }
    host.redrawMap();
}

}  // namespace qb
