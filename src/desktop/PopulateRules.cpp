#include "desktop/PopulateRules.h"

#include "floor/Settings.h"

#include <QLocale>

namespace qb {

QPoint ConceptSetPosition(QPoint origin, int index, const Settings& settings)
{
    return origin + QPoint(index * (settings.horizontal + settings.conceptWinExtraOffsetHoriz),
                           index * settings.vertical);
}

QPoint ItemSetPosition(QPoint origin, int k, QPoint scroll, const Settings& settings, bool compact)
{
    const int stepX = compact ? kCompactStep : settings.horizontal;
    const int stepY = compact ? kCompactStep : settings.vertical;
    // The vertical step, not the horizontal one, shifts the first card to the right.
    QPoint p(origin.x() + settings.vertical + k * stepX, origin.y() + k * stepY);
    if (p.x() + scroll.x() > kItemPlacementLimit) p.setX(kItemPlacementLimit - scroll.x());
    if (p.y() + scroll.y() > kItemPlacementLimit) p.setY(kItemPlacementLimit - scroll.y());
    return p;
}

QPoint NextPopPosition(QPoint& counter, QPoint spot, const Settings& settings)
{
    counter += QPoint(settings.horizontal, settings.vertical);
    return spot + counter;
}

int ConceptCardHeight(int words) { return words * kConceptRowHeight + kConceptFrameHeight; }

QString ProjectTextHead(const QString& project, const QDateTime& when)
{
    return project + QStringLiteral("   ") + QLocale().toString(when, QLocale::ShortFormat);
}

void ProjectTextCollector::start(const QString& project, const QDateTime& when)
{
    active_ = true;
    running_ = 0;
    text_ = (ProjectTextHead(project, when) + QStringLiteral("\n\n")).left(kBufferLength);
}

bool ProjectTextCollector::add(const QString& text, bool newCard)
{
    if (!active_) return false;
    const QString work = text.left(kWorkLength);
    running_ += int(work.size()) + (newCard ? kNewCardExtra : 0);
    if (running_ >= kKeepBelow) return false;
    const QString piece = QStringLiteral("\n\n") + work;
    text_ += piece.left(kBufferLength - int(text_.size()));
    return true;
}

}  // namespace qb
