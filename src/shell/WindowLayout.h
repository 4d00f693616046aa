#pragma once

#include <QString>

#include "session/ShellHooks.h"

namespace qb {

class IniFile;
struct Settings;

// Brings back the project windows (up to 10) and dictionary windows (up to 5) that
// [WINDOWS UP] lists, with their places from [WINDOW SIZES] and their work from [SAVEDWORK].
// A window that fails is reported on its own and the others still come back.
void RestoreWindowLayout(const IniFile& ini, const Settings& settings, int screenWidth,
                         int toolBarHeight, const WindowLayoutHooks& hooks);

// Records the open windows: clears the slots of the last save, then writes one numbered entry
// per window, saving each project window's outline into outlineDir. Stops silently at the first
// failure, keeping what was written.
void SaveWindowLayout(IniFile& ini, const WindowLayoutHooks& hooks, const QString& outlineDir);

namespace layout {
constexpr int kProjectWindows = 10;
constexpr int kDictionaryWindows = 5;
constexpr int kSelectedProjectLength = 50;
}  // namespace layout

}  // namespace qb
