#pragma once

#include <QRect>
#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace qb {

// A project window to bring back at start, as the layout save left it.
struct ProjectWindowRestore {
    int number = 0;           // 1..10: the window's number and its project slot
    QRect geometry;           // width or height 0: the window keeps its own size
    QString selectedTag;      // non-empty: activate the tag filter with it
    int sortOrder = 0;        // non-zero: set this sort order
    QString outlineFile;      // an existing outline file to load, or empty
    QString selectedProject;  // project to select in the list (at most 50 characters), or empty
    int sideUp = -1;          // display mode 0..2, or -1 to leave it
};

struct DictionaryWindowRestore {
    int number = 0;     // 1..5: the window's number and its dictionary slot
    QRect geometry;     // width or height 0: the window keeps its own size
    int sortOrder = 0;  // non-zero: set this sort order
};

// An open project window as the layout save records it. Only windows that exist, are not being
// destroyed, are visible and not closed are reported, in slot order.
struct ProjectWindowRecord {
    QRect geometry;
    QString outlineId;                                     // file name stem in the outl folder
    std::function<bool(const QString& path)> saveOutline;  // writes the outline tree to path
    QString filterTag;                                     // empty when the tag filter is off
    int sortOrder = 0;
    int sideUp = 0;
    QString selectedProject;  // project in the list's current row
};

// An open dictionary window (exists, not being destroyed), in slot order.
struct DictionaryWindowRecord {
    QRect geometry;
    int sortOrder = 0;
};

// The windows that the layout save and restore deal with. The project and dictionary window
// code fills these in; without them no window is restored or recorded.
struct WindowLayoutHooks {
    // Creates, sets up, shows and numbers a window. Step failures inside (tag filter, sort order,
    // outline load) are reported by the window code itself; false means the whole window failed.
    std::function<bool(const ProjectWindowRestore&)>
        openProjectWindow;  // not set yet: the project windows will
    std::function<bool(const DictionaryWindowRestore&)>
        openDictionaryWindow;  // set in shell/Wiring.cpp
    std::function<std::vector<ProjectWindowRecord>()>
        projectWindows;  // not set yet: the project windows will
    std::function<std::vector<DictionaryWindowRecord>()>
        dictionaryWindows;  // set in shell/Wiring.cpp
};

// What start-up and shutdown ask of the other subsystems. Each is optional: a missing one does
// nothing (and a question it would answer gets the harmless answer).
struct ShellHooks {
    // First activation: verify and upgrade the tables, refresh the word frequencies. May set the
    // stop flag. Set in shell/Wiring.cpp.
    std::function<void()> dataChecks;
    // [SAVEDFIND] into the find list, and back at exit. Not set yet: the search will.
    std::function<void()> loadSearchEntries;
    std::function<void()> saveSearchEntries;
    // The Word Mill's exclusion list to exclude.txt, and hiding its window, at exit. Set in
    // shell/Wiring.cpp.
    std::function<void()> saveExclusionList;
    std::function<void()> hideWordMill;
    // Each subsystem's own timers, stopped before the settings are saved at exit. None yet.
    std::vector<std::function<void()>> stopTimers;
    // Text of the imported-text window; appended to qbimport.txt at exit when not blank. Not set
    // yet: the interchange will.
    std::function<QString()> importedText;
    // Clears the selection marks of every card at exit. Not set yet.
    std::function<void()> clearCardMarks;
    // Every list-type card goes to its first row (Reset Screen). Set in shell/Wiring.cpp.
    std::function<void()> listCardsGoTop;
    // Starts the text editor on a file without waiting for it; false when it could not be started.
    // Set in shell/Wiring.cpp.
    std::function<bool(const QString& path)> editFile;
    // Opens an address (web page or mailto:) in the configured browser; false on failure. Set in
    // shell/Wiring.cpp.
    std::function<bool(const QString& url)> openUrl;
    // True while the desktop image is shown (the desktop menu's image entries follow it). Set in
    // shell/Wiring.cpp.
    std::function<bool()> desktopImageVisible;

    // What cards and dialogs ask of the main window; all set in shell/Wiring.cpp.
    // The clipboard's text changed: the tool bar's clipboard-size panel may follow.
    std::function<void()> clipboardChanged;
    // Text for the tool bar's clipboard-size panel (populating shows its counter there).
    std::function<void(const QString& text)> clipboardSizeText;
    // The main window, as the parent of dialogs; null while there is none.
    std::function<QWidget*()> mainWindow;
    // Shows the main window normal, raised and active again (after an external program).
    std::function<void()> raiseMainWindow;
    // True once the program is being ended from outside (a signal, the session manager); a
    // question asked meanwhile is not followed up.
    std::function<bool()> endRequested;

    WindowLayoutHooks windows;
};

}  // namespace qb
