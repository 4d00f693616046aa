#pragma once

#include <QString>

#include <functional>

namespace qb {

// What the import timer keeps for the run.
struct ImportTimerState {
    static constexpr int kFirstInterval = 5000;
    static constexpr int kBusyInterval = 6000;
    static constexpr int kIdleInterval = 30000;
    int interval = kFirstInterval;
    bool annotationsOff = false;  // a failure switched the qbimport.txt step off for the run
};
ImportTimerState& importTimerState();

// The imported-text window as the tick sees it: appends lines and shows the window when its text
// holds any character above blank (hiding it otherwise); returns whether it is shown. Empty when
// there is no window.
using ImportedTextSink = std::function<bool(const QString& lines)>;

// One tick: the first *.xml of the store directory imported (ImportXmlFile), then the lines of
// qbimport.txt handed to the sink and the file emptied. Sets and returns the next interval.
int ImportTimerTick(const ImportedTextSink& sink);

}  // namespace qb
