#pragma once

#include "store/Timestamps.h"

#include <QDate>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

namespace qb {

struct Settings;

// The faces of an item card. The first four are also the card-side-up modes ([APPEARANCE]
// CardSideUp stores the number).
enum ContentsTypes : int {
    ctxKeys = 0,
    ctxUrls = 1,
    ctxText = 2,
    ctxCombined = 3,
    ctxImage = 4,
    ctxNone = 5,
};

// The side a click turns the card to.
ContentsTypes FlipSide(ContentsTypes up, bool quickFlip, bool hasPicture);

// The side of a card-side-up mode; an unknown mode gives the text side.
ContentsTypes SideOfMode(int mode);
// The next mode when the tool-bar indicator is clicked: Text, Key Words, Projects, Combined.
int NextCardSideMode(int mode);

// Where the parts of an item card lie for a card size and a side.
struct ItemLayout {
    QRect text;
    QRect keys;
    QRect urls;
    QRect picture;
    QRect divider;
    bool combined = false;
    int textPointSize = 10;
};

constexpr int kItemPartsLeft = 5;
constexpr int kItemPartsTop = 14;
constexpr QSize kDividerSize{10, 10};

ItemLayout LayoutItemParts(QSize card, ContentsTypes up, double textWidthShare,
                           double textHeightShare);
// The project strip of a combined card cut at a whole row: the spare pixels go to the text and
// keyword parts above it, so no half row of a name shows at the strip's foot.
void FitStripToRows(ItemLayout& layout, int rowHeight, int frame);
// The text's point size follows the editor's width.
int TextPointSizeForWidth(int editorWidth);
// The shares a divider dropped at point (card coordinates) gives, each within 0.05..0.95 so
// that no part vanishes.
void DividerShares(QPoint drop, QSize card, double* widthShare, double* heightShare);
// Height of a card shown as a page of the book: the text's lines at the font's height.
int BookPageHeight(int fontPixelHeight, int lines);

// What a new item starts with, from the tool bar's date-stamp box.
struct NewItemStamp {
    QString firstLine;   // empty: the item starts without a first line from the box
    bool dated = false;  // the box asked for the date: DateStamp becomes firstLine
};
NewItemStamp StampForNewItem(const QString& boxText, const QDate& today, const QString& dateFormat,
                             QChar separator);
// The text of a new item: the first line (or an empty one) and the clipboard text after it, at
// most 32000 characters in all; leftOut receives how many characters did not fit.
QString NewItemText(const QString& firstLine, const QString* clipboardText, int* leftOut = nullptr);

// Cuts a text to an item's 32000 characters, never between the halves of a surrogate pair.
// Returns how many characters were left out.
int LimitItemText(QString& text);
// Tells the user how many characters a cut to the item limit left out; nothing when none were.
void ReportTextCut(int leftOut);

// The grey of an item card shaded by its age; none when shading is off (AgeFadeAwayInMonths 1 or
// less). ageDays is now minus the item's ITS date.
std::optional<int> AgeShadeGrey(double ageDays, int fadeMonths, int baseGrey, int fadedGrey);
std::optional<int> AgeShadeGrey(Timestamp its, const QDateTime& now, const Settings& settings);
// The stored colour of a grey level.
int GreyColor(int level);

// Whether a picture of this size may be kept with an item or shown on the desktop.
bool PictureWithinLimit(QSize size);

// The creation date of an item, as its card's hint and panel caption show it.
QString ItemDateText(Timestamp id, const Settings& settings);

}  // namespace qb
