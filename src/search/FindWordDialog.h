#pragma once

#include "search/TextSearch.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace qb {

// The Find dialog: the search text with its history, the match mode, the search type and the
// picture filter. One dialog for the run, made on first use and kept.
class TFind_Word : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 30080;
    static constexpr int kInputLimit = 38;
    static constexpr int kHistoryLines = 18;

    explicit TFind_Word(QWidget* parent = nullptr);

    static TFind_Word& instance();

    // The search text OK took (lower-cased and trimmed); empty after Cancel.
    const QString& searchText() const { return searchText_; }
    // The input as typed.
    QString inputText() const;
    void setInputText(const QString& text);
    // The request of the dialog's state after it closed.
    search::SearchRequest request() const;

    QComboBox* input() const { return input_; }
    QToolButton* cutButton() const { return cut_; }
    QToolButton* eraseButton() const { return erase_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    QRadioButton* embeddedButton() const { return embedded_; }
    QRadioButton* exactButton() const { return exact_; }
    QRadioButton* typeButton(search::SearchType type) const;
    QCheckBox* picturesBox() const { return pictures_; }

    void SpeedButtonEraseClick();
    void SpeedButton_EraseClick();
    void OKBtnClick();
    void CancelBtnClick();
    // Shows the history again (after it was loaded or cleared).
    void refreshHistory();

protected:
    void showEvent(QShowEvent* e) override;
    void done(int result) override;
    void reject() override;

private:
    void FormActivate();
    void typeChanged();

    QComboBox* input_;
    QToolButton* cut_;
    QToolButton* erase_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QRadioButton* embedded_;
    QRadioButton* exact_;
    QRadioButton* types_[3];
    QCheckBox* pictures_;
    QString searchText_;
    QString lastProposal_;  // the clipboard word proposed last
};

}  // namespace qb
