#include "desktop/PackRules.h"

#include "desktop/DesktopLayout.h"
#include "platform/TextChecks.h"

#include <QLocale>

#include <cstdlib>
#include <utility>

namespace qb {

bool LassoIsDrag(QPoint start, QPoint end)
{
    return std::abs(end.x() - start.x()) > kLassoClickSlack ||
           std::abs(end.y() - start.y()) > kLassoClickSlack;
}

LassoArea LassoAreaOf(QPoint start, QPoint end, int itemWidth, int itemHeight)
{
    LassoArea a{start.x(), start.y(), end.x(), end.y(), {}};
    int dx = itemWidth, dy = itemHeight;
    if (a.right < a.left) {
        std::swap(a.left, a.right);
        dx = 0;
    }
    if (a.bottom < a.top) {
        std::swap(a.top, a.bottom);
        dy = 0;
    }
    if (end.x() - dx < 20) dx = 0;
    if (end.y() - dy < 30) dy = 0;
    a.anchor = QPoint(end.x() - dx, end.y() - dy);
    return a;
}

std::vector<CardData*> PackOf(const std::vector<CardData*>& cards, const LassoArea& area,
                              QPoint scroll, int limit)
{
    std::vector<CardData*> pack;
    for (CardData* card : cards) {
        if (int(pack.size()) >= limit) break;
        if (card->kind == CardKind::Item && !card->hidden && area.holds(card->pos - scroll))
            pack.push_back(card);
    }
    return ReadingOrder(pack, {0, 0});
}

std::vector<int> BookTops(const std::vector<int>& heights)
{
    std::vector<int> tops;
    tops.reserve(heights.size());
    int y = 1;
    for (int h : heights) {
        tops.push_back(y);
        y += h;
    }
    return tops;
}

JoinedText::JoinedText(const QDateTime& now, int limit)
    : text_(QStringLiteral(" ----- ") + QLocale().toString(now, QLocale::ShortFormat) +
            QStringLiteral(" ----- \n\n")),
      limit_(limit)
{
}

void JoinedText::add(const QString& cardText)
{
    const int length = CodePointCount(cardText);
    if (leftOut_ > 0 || total_ + length >= limit_) {
        ++leftOut_;
        return;
    }
    total_ += length;
    text_ += QStringLiteral("\n\n") + cardText;
}

QString JoinedText::leftOutNote() const
{
    if (leftOut_ == 0) return QString();
    return QStringLiteral(
               "The clipboard holds the texts of the first cards only: the texts of %1 "
               "card(s) would have passed %2 characters and were left out.")
        .arg(leftOut_)
        .arg(limit_);
}

}  // namespace qb
