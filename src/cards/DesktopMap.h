#pragma once

#include "cards/CardData.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <vector>

namespace qb {

struct Settings;

// The small picture of the whole desktop in the tool bar.
namespace desktopmap {
constexpr QSize kSize{29, 26};
constexpr int kExtent = 2000;
constexpr int kBackgroundIndex = 2;
}  // namespace desktopmap

// Colour table of the map, indexed by CardKind: 0 aqua for base cards, 2 the background, then
// the colours of concept cards, dictionary, inflection, item, project windows and flywords.
QList<QRgb> DesktopMapPalette(const Settings& settings);
// Where a card lies on the map (pixels; width and height at least 1).
QRect DesktopMapRect(const CardData& card, QSize mapSize = desktopmap::kSize,
                     int extent = desktopmap::kExtent);
// An 8-bit indexed picture: background, then every card that is not hidden, later cards over
// earlier ones.
QImage DrawDesktopMap(const std::vector<const CardData*>& cards, const Settings& settings,
                      QSize mapSize = desktopmap::kSize, int extent = desktopmap::kExtent);
// The scroll positions a press on the map at `click` asks for: that point of the desktop at the
// top left, kept within 0..(extent - visible size).
QPoint DesktopMapScroll(QPoint click, QSize visible, QSize mapSize = desktopmap::kSize,
                        int extent = desktopmap::kExtent);

}  // namespace qb
