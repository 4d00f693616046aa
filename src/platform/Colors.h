#pragma once

#include <QColor>
#include <QPalette>

namespace qb::colors {

// Stored colours: blue * 65536 + green * 256 + red, or the top bit plus a system colour index.
bool isSystemColor(int stored);
QColor toQColor(int stored, const QPalette& palette = QPalette());
int fromQColor(const QColor& color);

}  // namespace qb::colors
