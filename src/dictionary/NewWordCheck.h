#pragma once

#include <QString>

#include <vector>

namespace qb {

// The rules of the new-word dialog ("ADD WORD"): the two-stage test for similar words, the
// choice of a match to go to, the erase button and OK. TNewWord shows what this says.
class NewWordCheck {
public:
    struct Match {
        QString word;
        int wordNo = 0;
    };
    enum class Grid { None, Dictionary, Inflections };

    static QString caption() { return QStringLiteral("ADD WORD"); }

    // Opening: the proposed text in the input, the test counter at 0, no word to go to.
    explicit NewWordCheck(const QString& proposed = QString());

    QString text() const { return text_; }
    // Every change of the input starts the test again.
    void setText(const QString& text);

    // The test button: first words that begin with the text, then words that contain it.
    bool testButtonVisible() const { return testVisible_; }
    QString testButtonCaption() const { return testCaption_; }
    bool okIsDefault() const { return !testVisible_; }
    int testCount() const { return counter_; }
    void pressTest();

    const std::vector<Match>& dictionaryMatches() const { return dictionary_; }
    const std::vector<Match>& inflectionMatches() const { return inflections_; }
    Grid shownGrid() const;
    QString gridLabel() const;  // "Dictionary: ", "Inflections: " or empty
    // Pixel height of a result grid and of the dialog around it.
    static int gridHeight(int fontPixelHeight, int matches)
    {
        return (fontPixelHeight + 6) * matches + 24;
    }
    static int dialogHeight(int gridHeight) { return gridHeight + 118; }

    // Double-click on a match: it becomes the word to go to (a form with a leading "*") and the
    // dialog closes without creating a word.
    void chooseDictionaryMatch(int row);
    void chooseInflectionMatch(int row);

    // "Cut word from right": drops the last character unless part of the text is selected.
    void erase(bool hasSelection);

    // OK: trims the input and creates the word when something is left. Returns the new word's
    // number, 0 when nothing was created, -1 when creating failed.
    int ok();

private:
    void runQueries(bool anywhere);

    QString text_;
    int counter_ = 0;
    bool testVisible_ = true;
    QString testCaption_;
    bool dictionaryShown_ = false;
    bool inflectionsShown_ = false;
    std::vector<Match> dictionary_;
    std::vector<Match> inflections_;
};

}  // namespace qb
