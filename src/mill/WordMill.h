#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace qb::mill {

inline constexpr int kImportLimit = 32000;  // characters taken from the clipboard
inline constexpr int kWordLimit = 7000;     // entries shuffled, and written into the display
inline constexpr QChar kShownJoin = QLatin1Char('_');
inline constexpr QChar kHiddenJoin = QChar(0xA0);
inline constexpr QChar kFormMark = QChar(0x7F);

// Letters are "a" to "z" and the codes 192 to 255 after lower-casing; every other character up
// to 255 (digits, apostrophes, punctuation, codes 128 to 191) ends a word. Above 255 a character
// is part of a word when Unicode calls it a letter or a combining mark, so Cyrillic, Greek, CJK
// and decomposed accents give words. The list variant keeps "_" and the non-breaking space too.
bool IsWordCharacter(char32_t c, bool listVariant);

// The import variant: lower-cased words, "_" splits them.
QStringList CutImport(const QString& text);
// The list variant: bound terms stay whole; a non-breaking space inside a word becomes "_", so a
// bound term has one spelling whichever way the binding is displayed.
QStringList CutWords(const QString& text, bool noDuplicates);

// The Word Mill's collection and display text, without widgets. The window mirrors displayText
// and the selection; the CLI and the tests use it directly.
class WordMill {
public:
    // Set by the window: pending events run, and the status line shows a progress text.
    std::function<void(const QString&)> status;
    // Asks the user to edit the exclusion list (Exclude without marked text); false on cancel.
    std::function<bool(QString& list)> editExclusions;

    QStringList collection;
    QStringList undoCopy;
    bool hasUndoCopy = false;
    bool statisticsMode = true;
    bool bindingShown = true;
    bool cancelMark = false;
    QString exclusionList;  // words separated by blanks
    // The CLI gives its own list and prints every line itself: no exclude.txt, no display text.
    bool useExclusionFile = true;
    // The last save of the list failed: the exit tries again.
    bool unsavedList = false;
    bool writesDisplay = true;

    QString displayText;
    int caret = 0;
    int selectionStart = 0;
    int selectionLength = 0;

    // Get Clipboard Text. False when the text was refused as too long (the collection stays).
    bool importText(const QString& text);
    void millText(quint32 seed);
    void orderWords();
    void getLatest();
    void removeWords();
    // Appends the marked words to the list, saves it as exclude.txt in the store directory and
    // drops them. False when the list could not be saved.
    bool exclude();
    void addWord(const QString& word);
    void bindWords();
    void toggleBinding();

    QString takeMarked();
    void dropWords(const QStringList& words);
    void writeDisplay();
    void showBinding();
    QChar joinCharacter() const { return bindingShown ? kShownJoin : kHiddenJoin; }

    // exclude.txt of the store directory: loaded when it exists; saved through the safe writer.
    // False (and said) when the file is there but cannot be read.
    bool loadExclusionFile();
    bool saveExclusionFile();

    // statistics lines as word, count and form mark (for the CLI)
    struct Line {
        QString word;
        int count = 0;
        bool form = false;
    };
    std::vector<Line> statistics() const;

private:
    qint64 started_ = 0;
    void begin();
    bool poll(int step, int every, const QString& text);
    void takeUndoCopy();
};

}  // namespace qb::mill
