#include "cards/CardMotion.h"

#include "floor/Settings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace qb {

int StepIntervalMs(const Settings& settings)
{
    return int(std::lround(settings.dragStepSeconds * 1000.0));
}

bool StepDue(const CardDrag& drag, qint64 nowMs, int intervalMs)
{
    return nowMs - drag.lastStepMs > intervalMs;
}

void BeginMove(CardDrag& drag, QPoint pointer, QPoint visiblePos, qint64 nowMs)
{
    drag.grab = pointer - visiblePos;
    drag.moving = true;
    drag.lastStepMs = nowMs;
    drag.lastPos = visiblePos;
}

MoveStepResult MoveStep(CardDrag& drag, QPoint pointer, QSize cardSize, const ScrollView& view,
                        bool commitRunning)
{
    MoveStepResult r;
    r.visiblePos = pointer - drag.grab;
    r.scroll = view.scroll;
    const int left = r.visiblePos.x();
    const int top = r.visiblePos.y();

    // Direction only from small steps: a jump says nothing about where the user is heading.
    int dx = left - drag.lastPos.x();
    int dy = top - drag.lastPos.y();
    if (std::abs(dx) < 3) drag.movingRight = dx > 0;
    if (std::abs(dy) < 3) drag.movingDown = dy > 0;
    drag.lastPos = r.visiblePos;
    if (commitRunning) return r;

    const int maxX = view.extent - view.visible.width();
    const int maxY = view.extent - view.visible.height();
    if (left >= 0 || drag.movingRight) {
        if (left + cardSize.width() > view.visible.width() && drag.movingRight &&
            r.scroll.x() < maxX - kAutoScrollStep)
            r.scroll.rx() += kAutoScrollStep;
    } else if (r.scroll.x() > kAutoScrollStep) {
        r.scroll.rx() -= kAutoScrollStep;
    }
    if (top < 0) {
        if (r.scroll.y() > kAutoScrollStep && !drag.movingDown) r.scroll.ry() -= kAutoScrollStep;
    } else if (top + cardSize.height() > view.visible.height() && drag.movingDown &&
               r.scroll.y() < maxY - kAutoScrollStep) {
        r.scroll.ry() += kAutoScrollStep;
    }
    return r;
}

void BeginResize(CardDrag& drag, QPoint pointer, QSize size, qint64 nowMs)
{
    drag.grab = pointer;
    drag.startSize = size;
    drag.resizing = true;
    drag.lastStepMs = nowMs;
}

QSize ResizeStep(const CardDrag& drag, QPoint pointer)
{
    QPoint d = pointer - drag.grab;
    return {std::max(drag.startSize.width() + d.x(), kMinimumCardSize.width()),
            std::max(drag.startSize.height() + d.y(), kMinimumCardSize.height())};
}

void ExpandToAlternative(CardData& card, QSize monitor, QPoint scroll, const Settings& settings)
{
    if (card.expanded) return;
    card.normalSize = card.size;
    card.normalPos = card.pos;
    card.size = card.altSize;
    if (card.altPos == QPoint(-99, -99)) {
        QPoint visible = card.pos - scroll;
        // Keep the grown card on the monitor, but never push its top or left edge out of view.
        if (visible.y() + card.size.height() > monitor.height())
            visible.setY(std::max(0, monitor.height() - card.size.height() - settings.vertical));
        if (visible.x() + card.size.width() > monitor.width())
            visible.setX(std::max(0, monitor.width() - card.size.width() - settings.horizontal));
        card.pos = visible + scroll;
    }
    card.expanded = true;
}

void ShrinkToNormal(CardData& card)
{
    if (!card.expanded) return;
    card.altSize = card.size;
    card.altPos = card.pos;
    card.size = card.normalSize;
    card.expanded = false;
}

long double PositionKey(const CardData& card)
{
    return (card.pos.y() + 100) + (card.pos.x() + 100) / 10000.0L;
}

QString PositionKeyText(const CardData& card) { return PositionKeyText(card.pos); }

QString PositionKeyText(QPoint absolutePos)
{
    const long double key = (absolutePos.y() + 100) + (absolutePos.x() + 100) / 10000.0L;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%8.8Lf", key);
    return QStringLiteral("%1").arg(QString::fromLatin1(buffer), 17);
}

}  // namespace qb
