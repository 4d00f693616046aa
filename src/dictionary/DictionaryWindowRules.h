#pragma once

#include <QString>

namespace qb {

class DictionaryWindowHost;

// Commands of a dictionary window that go beyond one word.

// "TestWord" ("&Insert Word"): the new-word dialog, then the window on the new word.
void InsertWordInWindow(DictionaryWindowHost& window);
// An inflection window renames its word through the dictionary window. True when changed.
bool RenameFromInflection(DictionaryWindowHost& window, int wordNo, const QString& newText);

// What was dropped on the window's grid.
enum class DictDropSource {
    ConceptOrKeyword,  // a concept card's word or an item card's keyword: the dragged number
    DictionaryWindow,  // another dictionary window: its current word number
    Project,           // a project window: the project's name
    InflectionWindow,  // an inflection window: its word number
    Flyword,           // a flyword's text
};
struct DictDrop {
    DictDropSource source = DictDropSource::ConceptOrKeyword;
    int wordNo = 0;
    QString text;
};
// Positions the window on what was dropped. True when it found the row.
bool DropOnDictionary(DictionaryWindowHost& window, const DictDrop& drop);

// The look-up menu and the Word Mill show a word: the first shown window goes to the row with that
// number (to its last row when there is none) and takes the focus.
void DictPositionFromMain(int wordNo);

// The dictionary locate of one window: Locate (clearText) or NextMatch.
void DictLocate(DictionaryWindowHost& window, bool clearText);
// The window that locates: the focused one, else the first shown one (which then gets the focus).
void DictLocateFromMenu(bool next);
// Find > "&Dictionary Word Search" (F2) and the toolbar button: the dialog in plain mode.
void DictWordSearch();
// The window's own "Locate" command: plain mode in this window.
void LocateCommand(DictionaryWindowHost& window);
// A character typed on the desktop starts an incremental locate with it. False when the
// character does not start one ("+", "-", Esc, Enter).
bool DictLocateFromKeyPress(QChar c);
// The go-to mode: from the first row to the row with exactly that text, without the dialog.
void GoToWordInWindow(DictionaryWindowHost& window, const QString& word);

}  // namespace qb
