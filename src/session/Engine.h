#pragma once

#include <QString>
#include <QStringList>

namespace qb {

// The table engine's configuration as the engine report lists it: "Local Share: ",
// "Network Type: ", "User Name: ", "Ini File: ", "Language Driver: ".
QStringList EngineConfiguration();
// Opens and asks the engine, then writes the configuration as BDE_SysInfo.txt in the current
// directory (a failure to write is ignored). True when the engine answered.
bool EngineAvailable();
// The language line of "Show Database Location Info"; empty when the engine cannot tell.
QString EngineReport();

// Text of "Show Database Location Info" for the desktop's scroll positions.
QString DatabaseLocationInfo(int horizontalScroll, int verticalScroll);
void ShowDatabaseLocationInfo(int horizontalScroll, int verticalScroll);
// The same, with the scroll positions the desktop reports.
void ShowDatabaseLocationInfo();

}  // namespace qb
