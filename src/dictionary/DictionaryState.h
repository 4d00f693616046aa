#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace qb {

// The four position keys that every dictionary window shares: switching a window to an order
// looks that order's key up, so a word stays selected across switches.
struct DictionaryPositionKeys {
    QString word;  // at most 50 characters
    std::optional<double> wts;
    std::optional<double> wts2;
    std::optional<int> wfq;
};

// Status of the dictionary locate.
enum class LocateStatus : int { Idle = 0, TypingBegan = 1, NotFound = 2, Found = 3 };

// The values the dictionary locate and its dialog share for the whole run.
struct DictLocateState {
    QString searchText;  // lower case, at most 50 characters
    bool fromTop = true;
    bool continuation = false;  // the user types into the dialog in incremental mode
    bool showDialog = false;
    int failureCount = 0;  // consecutive failed searches
    int foundWordNo = 0;
    LocateStatus status = LocateStatus::Idle;

    // Kept by the dialog between its openings.
    bool continueTyping = false;
    int notFoundCount = 0;
    bool keepContinuation = false;
    bool incrementalChecked = true;  // the "Incremental" box
    bool incrementalVisible = true;  // hidden while the menu or a window's "Locate" runs it
    bool fromTopChecked = true;      // the "From top" box
    QString hitReport;               // " " + the word the window stands on
    int countedWordNo = 0;           // the word whose concept count is shown
    QString statText;                // "  " + that count
    bool showLayout = false;         // Show offered (count known), OK hidden
    QString caption = QStringLiteral("FIND WORD IN DICTIONARY");
    QString input;   // the dialog's text field
    QString typed;   // a letter typed on the desktop: the input's first text
    QString buffer;  // keys collected while a jump is pending
    bool typingMark = false;
    QStringList history;  // earlier texts, newest first

    bool incrementalMode() const { return incrementalVisible && incrementalChecked; }
};

// Program-wide dictionary values.
struct DictionaryState {
    QString lastNewWord;  // the word most recently created; windows position on it
    QString wordToGoTo;   // set by the new-word dialog; a leading "*" marks an inflected form
    DictionaryPositionKeys keys;
    DictLocateState locate;

    void reset() { *this = DictionaryState(); }
};

DictionaryState& dictionaryState();

}  // namespace qb
