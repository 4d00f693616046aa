#pragma once

#include "cards/CardData.h"

#include <QDateTime>
#include <QPoint>
#include <QRect>
#include <QString>

#include <vector>

namespace qb {

// A pack holds at most this many item cards.
constexpr int kPackLimit = 200;
// A release within this many pixels of the press, both ways, is a click, not a lasso.
constexpr int kLassoClickSlack = 20;
// The joined text of a pack or of the book takes cards' texts while their total stays below this.
constexpr int kJoinedTextLimit = 255900;

bool LassoIsDrag(QPoint start, QPoint end);

// What a lasso from start to end (the release corner) covers, in desktop view coordinates:
// the area between the corners (whatever the direction) and where the pack is stacked. A drag
// to the right or down anchors one card size left or up of the release point, unless that would
// put the pack within 20 (30) pixels of the screen's left (top) edge.
struct LassoArea {
    int left = 0, top = 0, right = 0, bottom = 0;
    QPoint anchor;
    bool holds(QPoint p) const
    {
        return p.x() > left && p.x() < right && p.y() > top && p.y() < bottom;
    }
};
LassoArea LassoAreaOf(QPoint start, QPoint end, int itemWidth, int itemHeight);

// The item cards (not hidden) whose top-left corner lies strictly inside the area, at most
// `limit` in child order, then in reading order. `scroll` turns card positions into view ones.
std::vector<CardData*> PackOf(const std::vector<CardData*>& cards, const LassoArea& area,
                              QPoint scroll, int limit = kPackLimit);

// The step of the i-th card of a pack (from 1) from the pack's corner, both ways.
inline int PackOffset(int i) { return i * 4 < 64 ? i * 4 : 64; }

// The top of each book page: the first at 1, each next one below the one before.
std::vector<int> BookTops(const std::vector<int>& heights);

// The text of a pack or of the book: a dated head line, then each card's text after a blank
// line, as long as the characters of the texts stay below the limit; the texts after the first
// that does not fit are left out and counted.
class JoinedText {
public:
    explicit JoinedText(const QDateTime& now, int limit = kJoinedTextLimit);
    void add(const QString& cardText);
    const QString& text() const { return text_; }
    int leftOut() const { return leftOut_; }
    // What the user is told when texts were left out; empty when none was.
    QString leftOutNote() const;

private:
    QString text_;
    int limit_;
    long long total_ = 0;
    int leftOut_ = 0;
};

}  // namespace qb
