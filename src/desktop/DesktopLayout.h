#pragma once

#include "cards/CardHost.h"

#include <QPoint>
#include <QSize>
#include <QString>

#include <vector>

namespace qb {

struct Settings;

// The placing cursor that the sort and the text search advance card by card. It lives for the
// run; mode 0 (the start) leaves it where it is.
struct PlacingCursor {
    int mode = 0;  // 0 still, 1 down-right, 3 down-left, 4 up-right
    int x = 0;     // desktop view coordinates (scroll positions not included)
    int y = 0;

    void start(int newMode, int startX, int startY)
    {
        mode = newMode;
        x = startX;
        y = startY;
    }
};

PlacingCursor& placingCursor();

// What the layout needs of the screen: the first monitor's size and the height of the main
// window's tool bar.
struct LayoutScreen {
    QSize monitor{1024, 768};
    int toolBarHeight = 0;
};

// GeneralOffsetTopBorder below the tool bar, in desktop view coordinates.
int TopLine(const LayoutScreen& screen, const Settings& settings);

// Diagonals turn back before they run off the 2000-pixel desktop.
constexpr int kDiagonalLimit = 1720;
// Mode 3 stops moving left here.
constexpr int kDownLeftStop = 280;

// What OrderCardsPos reads besides the cursor.
struct CursorFrame {
    QPoint scroll;  // the desktop's current scroll positions
    int topLine = 0;
    int toolBarHeight = 0;
    int horizontal = 24;  // [WINDOW OFFSETS] Horizontal
};

// Advances the cursor by one card (a, b: the step); mode 0 leaves it.
void OrderCardsPos(PlacingCursor& cursor, int a, int b, const CursorFrame& frame);
// The same on the run's cursor for a desktop; the keyboard focus then leaves the cards.
void OrderCardsPos(CardHost& host, const LayoutScreen& screen, int a, int b);

// The cards in reading order: keys of position + shift, as "%17s" texts sorted as text (top to
// bottom, left to right between equal tops). Cards with equal keys keep their child order.
std::vector<CardData*> ReadingOrder(const std::vector<CardData*>& cards, QPoint shift);

// The diagonal steps for itemCount item cards: 80 % of the free screen shared out, halves
// rounded to even, at least 2 each; (0, 0) without items.
QPoint DiagonalSteps(int itemCount, const LayoutScreen& screen, const Settings& settings);

enum class TileKind { Items, Concepts, Inflections, Flywords };
CardKind CardKindOf(TileKind kind);
// The starting cell (width x height) of a tiling.
QSize TileStartCell(TileKind kind, const Settings& settings);

struct TileFit {
    int rows = 0;
    int columns = 0;
    QSize cell;
};
// Shrinks the cell by a fifth until count cards fit the area, or the cell is narrower than 64.
TileFit FitTiles(QSize startCell, int count, QSize area);

// Where count cells go, row by row, in desktop view coordinates: rows start at (-offsets.x,
// 4 - offsets.y); a row takes cells while x + offsets.x < areaWidth - cell width. A cell too wide
// for any row ends the rows, so fewer places than count come back.
std::vector<QPoint> TilePositions(int count, QSize cell, int areaWidth, QPoint offsets);

// What the layout does to a card beyond moving it and bringing it to the front; the desktop's
// widgets carry it out. The defaults serve plain card data.
class LayoutCardActions {
public:
    virtual ~LayoutCardActions() = default;
    virtual void setSize(CardData& card, QSize size) { card.size = size; }
    // The card's contents arranged for its size again.
    virtual void relayout(CardData& card) { card.layoutValid = true; }
    // Item cards: whether the keyword or project side is up; turning to the text side; leaving
    // the book.
    virtual bool showsListSide(const CardData&) const { return false; }
    virtual void turnToText(CardData&) {}
    virtual void leaveBook(CardData&) {}
};

// The sort commands: a compact stack first, then concept, inflection, item and flyword diagonals.
void SortCards(CardHost& host, LayoutCardActions& actions, const LayoutScreen& screen, int dx,
               int dy, bool textSideUp);
void SortOnDiagonal(CardHost& host, LayoutCardActions& actions, const LayoutScreen& screen,
                    bool textSideUp);

// Tiles the cards of one kind on the screen, or (extended) over the whole desktop.
void Tile(CardHost& host, LayoutCardActions& actions, const LayoutScreen& screen, TileKind kind,
          bool extended);

namespace layoutmessages {
inline constexpr char kResort[] = "Re-sort problem - Try again..";
inline constexpr char kResortCard[] = "M2563";
inline constexpr char kConcept[] = "M2611";
inline constexpr char kInflection[] = "M2611i";
inline constexpr char kItem[] = "M2630";
inline constexpr char kFlyword[] = "M2630b";
inline constexpr char kGeneral[] = "General card sort error 3086";
inline constexpr char kTileStack[] = "Aborted in re-sort loop-111";
inline constexpr char kTileCell[] = "Tile assignment error 4423";
}  // namespace layoutmessages

}  // namespace qb
