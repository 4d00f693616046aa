#include "cards/DesktopMap.h"

#include "floor/Settings.h"
#include "platform/Colors.h"

#include <algorithm>

namespace qb {

QList<QRgb> DesktopMapPalette(const Settings& s)
{
    auto rgb = [](int stored) { return colors::toQColor(stored).rgb(); };
    QList<QRgb> table(9, qRgb(0, 0, 0));
    table[0] = rgb(0xFFFF00);
    table[2] = rgb(s.mapBackgrColor);
    table[3] = rgb(15780004);
    table[4] = rgb(s.dictTableColor);
    table[5] = rgb(s.inflTableColor);
    table[6] = rgb(s.itemTextTableColor);
    table[7] = rgb(s.projTableColor);
    table[8] = rgb(s.flywFrameColor);
    return table;
}

QRect DesktopMapRect(const CardData& card, QSize mapSize, int extent)
{
    // Each axis is scaled by its own map dimension, so the whole desktop fits on the map.
    const int sx = mapSize.width() - 1;
    const int sy = mapSize.height() - 1;
    return QRect(card.pos.x() * sx / extent, card.pos.y() * sy / extent,
                 card.size.width() * sx / extent + 1, card.size.height() * sy / extent + 1);
}

QImage DrawDesktopMap(const std::vector<const CardData*>& cards, const Settings& settings,
                      QSize mapSize, int extent)
{
    QImage map(mapSize, QImage::Format_Indexed8);
    map.setColorTable(DesktopMapPalette(settings));
    map.fill(desktopmap::kBackgroundIndex);
    const QRect bounds(QPoint(0, 0), mapSize);
    for (const CardData* card : cards) {
        if (card->hidden) continue;
        int index = int(card->kind);
        if (index < 0 || index > 8) index = 0;
        QRect r = DesktopMapRect(*card, mapSize, extent).intersected(bounds);
        for (int y = r.top(); y <= r.bottom(); ++y) {
            uchar* line = map.scanLine(y);
            std::fill(line + r.left(), line + r.right() + 1, uchar(index));
        }
    }
    return map;
}

QPoint DesktopMapScroll(QPoint click, QSize visible, QSize mapSize, int extent)
{
    auto axis = [extent](int at, int mapLength, int visibleLength) {
        int target = int(static_cast<long long>(at) * extent / mapLength);
        return std::clamp(target, 0, std::max(0, extent - visibleLength));
    };
    return {axis(click.x(), mapSize.width(), visible.width()),
            axis(click.y(), mapSize.height(), visible.height())};
}

}  // namespace qb
