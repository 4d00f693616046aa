#pragma once

#include <QDialog>

#include "dictionary/NewWordCheck.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;

namespace qb {

// The new-word dialog "ADD WORD": the input with its erase button, OK, the test button and
// Cancel, and under them the dictionary or the inflection matches of the test. The rules are
// NewWordCheck's; the dialog shows what it says.
class TNewWord : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 50010;
    explicit TNewWord(const QString& proposed = QString(), QWidget* parent = nullptr);

    const NewWordCheck& check() const { return check_; }
    // The number of the word OK created: 0 when none (empty input, a match chosen, Cancel), -1
    // when creating failed.
    int createdWordNo() const { return created_; }

    QLineEdit* input() const { return input_; }
    QToolButton* eraseButton() const { return erase_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* testButton() const { return test_; }
    QPushButton* cancelButton() const { return cancel_; }
    QLabel* gridLabel() const { return label_; }
    QListWidget* dictionaryGrid() const { return dictionaryGrid_; }
    QListWidget* inflectionGrid() const { return inflectionGrid_; }

    // The buttons and grids, as the user works them.
    void OKBtnClick();
    void TestBtnClick();
    void EraseBtnClick();

    void done(int result) override;
    void setVisible(bool visible) override;

private:
    void textEdited(const QString& text);
    void showCheck();
    void fillGrid(QListWidget* grid, const std::vector<NewWordCheck::Match>& matches);

    NewWordCheck check_;
    int created_ = 0;
    QLineEdit* input_;
    QToolButton* erase_;
    QPushButton* ok_;
    QPushButton* test_;
    QPushButton* cancel_;
    QLabel* label_;
    QListWidget* dictionaryGrid_;
    QListWidget* inflectionGrid_;
    int baseHeight_ = 0;
};

// The dialog run modally with a proposed text (the dictionary's runNewWordDialog).
int RunNewWordDialog(const QString& proposed, QWidget* parent = nullptr);

}  // namespace qb
