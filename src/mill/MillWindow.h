#pragma once

#include "mill/MillHandOff.h"
#include "mill/WordMill.h"

#include <QDialog>
#include <QMainWindow>

#include <functional>

class QAction;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace qb {

// The Word Mill window: made once, hidden when closed; its collection lives until the end.
class TMill : public QMainWindow {
    Q_OBJECT
public:
    static TMill& instance();
    // The window when it was made, else null (nothing is made at exit).
    static TMill* existing();

    mill::WordMill& mill() { return mill_; }
    QPlainTextEdit* display() const { return display_; }
    // The menu entry with that object name ("getClipboard", "order", "getLatest", ...).
    QAction* command(const QString& name) const;

    void GetClipboardText();
    void OrderWords();
    void GetLatest();
    void MillText();
    void AddWord();
    void BindWords();
    void ShowHideBinding();
    void RemoveWords();
    void Exclude();
    void GoAllTheWay();
    // F7: a quarter of the screen's width, 0.85 of its height, the clipboard ordered, on top.
    void WordMillAnalyzeClick();
    void showRestored();
    // The caret back where it was, no selection, the window forward.
    void restoreCaret(int position);
    int caretPosition() const;
    void showStatus(const QString& text);
    // exclude.txt again, when its last save failed (the exit).
    void saveExclusionList();
    // Esc: the long loops stop at their next check.
    void cancelByEsc();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    explicit TMill(QWidget* parent);
    void readDisplay();
    void writeDisplay();
    void flywordFromSelection();
    template <typename Work> void run(Work work);

    mill::WordMill mill_;
    QPlainTextEdit* display_;
    QAction* getLatest_ = nullptr;
    QAction* binding_ = nullptr;
    QString exportTarget_ = QStringLiteral("C:\\MillWordList.txt");
    bool flywordMade_ = false;
};

// The exclusion list's editor, with its load and save entries.
class TfrmExclude : public QDialog {
    Q_OBJECT
public:
    TfrmExclude(QWidget* parent, const QString& list);
    QString list() const;
    // Runs modally; the list as the user left it.
    static QString edit(QWidget* parent, const QString& list, std::function<void()> onEsc);

private:
    QPlainTextEdit* editor_;
};

// The hand-off of a word to the dictionary: a list of similar words and the choices.
class TfrmMillAddInfl : public QDialog {
    Q_OBJECT
public:
    enum Choice { Inflection, Word, Flyword, ExcludeWord, Cancel };
    TfrmMillAddInfl(QWidget* parent, const QString& word,
                    const std::vector<mill::Candidate>& found);
    Choice choice() const { return choice_; }
    int selectedRow() const;
    QListWidget* list() const { return list_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void choose(Choice choice);
    QListWidget* list_;
    Choice choice_ = Cancel;
};

// Releasing the mouse on a selection in the statistics: the dictionary hand-off of its first word.
void MillHandOff(TMill& window, const QString& selection);

}  // namespace qb
