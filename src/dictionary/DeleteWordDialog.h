#pragma once

#include <QDialog>

#include "dictionary/Words.h"

class QLineEdit;
class QPushButton;

namespace qb {

class DictionaryBrowser;

// The delete and rename dialog of a dictionary window's current word: "CONFIRM WORD DELETE" with
// the word read-only on red, or "CHANGE WORD FROM: " with the word to edit.
class TDeleteWordFrm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 50012;
    enum class Mode { Delete, Rename };

    TDeleteWordFrm(Mode mode, const WordEdit& edit, QWidget* parent = nullptr);

    QLineEdit* input() const { return input_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    void done(int result) override;

private:
    QLineEdit* input_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

// The commands "Rename" and "Delete" of a dictionary window: dialog and change. True when WORD
// was changed.
bool RunRenameWordDialog(DictionaryBrowser& window, QWidget* parent);
bool RunDeleteWordDialog(DictionaryBrowser& window, QWidget* parent);

}  // namespace qb
