#pragma once

#include "store/Timestamps.h"

#include <QString>

#include <optional>
#include <vector>

namespace qb {

class DictionaryBrowser;
class DictionaryWindowHost;

// Appends a word: number one above the highest in WORD (1 in an empty dictionary), WTS from
// GetQBTS, the text in lower case, and its INFLEC self-form. Returns the number, -1 on failure.
// The text becomes the last new word.
int CreateWord(const QString& text);
// CreateWord for a spelling that is not in WORD yet: the look-up runs in the write transaction
// of the insert, so two programs cannot both add it. With the spelling there, nothing is written,
// -1 is returned and *existing holds that word's number (0 otherwise).
int CreateWordIfNew(const QString& text, int* existing);
// Shows why a word text that holds control characters is refused (they make word lists
// ambiguous); true when it was refused.
bool RefuseControlCharacters(const QString& word);
// Number of the word with that text (compared in lower case), -1 when none.
int WordNumberOf(const QString& text);
// Text of the word with that number, empty when none.
QString WordByNumber(int wordNo);
// Sets the text of one WORD row; number, stamps and forms stay.
bool RenameWordRow(long long rowId, const QString& newText);
// True when a concept holds the word: such a word cannot be deleted.
bool WordIsInAConcept(int wordNo);

// The delete and rename dialogs (TDeleteWordFrm) work on the window's current row, remembered
// when the dialog opens and checked again when it closes.
struct WordEdit {
    long long rowId = 0;
    int wordNo = 0;  // 0: forgotten (refused, cancelled)
    QString oldText;
    QString caption;  // "CHANGE WORD FROM: car" or "CONFIRM WORD DELETE"
    bool okEnabled = true;
};
WordEdit BeginRenameWord(DictionaryBrowser& window);
// input: the dialog's text on OK, nullopt on Cancel. Changes the word when the window is still on
// the old text and the new one is neither empty nor the same; then shows the window in
// alphabetical order on the new text. True when WORD was changed.
bool FinishRenameWord(DictionaryBrowser& window, const WordEdit& edit,
                      const std::optional<QString>& input);
// Says "References exist, cannot remove. Run Ctrl+S if needed." for a word of a concept and
// disables OK.
WordEdit BeginDeleteWord(DictionaryBrowser& window);
bool FinishDeleteWord(DictionaryBrowser& window, const WordEdit& edit, bool confirmed);
// Both dialogs answered at once with OK (the command line, scripts).
bool RenameWord(DictionaryBrowser& window, const QString& input);
bool DeleteWord(DictionaryBrowser& window);

// A double-click on a row: renews WTS and WTS2 and shows the word where its order puts it.
bool TouchWord(DictionaryBrowser& window);
// A word dragged from the window onto the desktop: renews WTS2.
bool TouchWordUsage(DictionaryBrowser& window);

// Concept ids holding a word, most recently touched concept first, each once.
std::vector<Timestamp> ConceptIdsOfWord(int wordNo);
// The locate dialog's Show: lays the word's concepts out at the creation spot and renews WTS2.
// A word without concepts changes nothing (false).
bool FreeWordDrop(int wordNo);

// The whole word list as one line (table "Word.db" or "Inflec.db", tag "1" or "2"), headed by
// the tag and the time, at most 256000 characters; also handed to the clipboard hook.
QString WordListToClipboard(const QString& table, const QString& tag);
constexpr int kWordListLimit = 256000;

// Leads from a form to its word in a window: opens the inflection windows of the words the form
// leads to, and offers a substring search and adding the word when there is none. Returns the
// word found (empty when none).
QString FindViaInflections(DictionaryWindowHost* window, const QString& text, bool substringAtOnce);

// The new-word dialog with a proposed text, or its OK action at once; then goes to the word the
// user picked in the dialog, or shows the new word in every dictionary window.
void CallNewWord(const QString& text, bool atOnce);

}  // namespace qb
