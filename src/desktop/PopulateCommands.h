#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace qb {

class TDesktop;

// The keys of the window that holds the desktop: Esc, Home (resetScreen, outside text fields)
// and the flags every key press and release clears. Nothing without a window.
void InstallDesktopKeys(TDesktop& desktop, QWidget* keyWindow, std::function<void()> resetScreen);

// A new concept card holding a dictionary word, at the concept create spot, made through the
// dictionary's placeConceptCard hook (a desktop without the dictionary's own concept cards).
void NewConceptAtCreateSpot(const QString& word, int wordNo);

}  // namespace qb
