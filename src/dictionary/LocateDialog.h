#pragma once

#include <QDialog>

#include "dictionary/LocateDialogLogic.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTimer;

namespace qb {

// The dictionary locate dialog: the search text with its history, plain or incremental mode, the
// word the window stands on, the word's concept count and Show. Its state is the dictionary
// locate's own (LocateDialogLogic over dictionaryState().locate): the dialog shows it and hands
// the user's keys and clicks over.
class TLocateInList : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 50020;
    static constexpr int kInputColor = 16777173;  // stored form of #FFFFD5

    explicit TLocateInList(QWidget* parent = nullptr);

    // The one dialog of the run, made on first use.
    static TLocateInList& instance();
    // Shows it modally (the dictionary's runLocateDialog).
    static void run();

    const LocateDialogLogic& logic() const { return logic_; }

    QComboBox* input() const { return input_; }
    QLineEdit* inputBuffer() const { return buffer_; }
    QCheckBox* incrementalBox() const { return incremental_; }
    QCheckBox* fromTopBox() const { return fromTop_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* closeButton() const { return close_; }
    QPushButton* showButton() const { return show_; }
    QPushButton* countButton() const { return count_; }
    QLineEdit* hitReport() const { return hitReport_; }
    QLineEdit* conceptCount() const { return stat_; }
    QTimer* typingTimer() const { return timer_; }

    // What the buttons and the timer do.
    void OKBtnClick();
    void CloseBtnClick();
    void ShowBtnClick();
    void CountBtnClick();
    void Timer1Timer();
    // The "Incremental" box (also Options > "&Incremental Dictionary Search").
    void IncrementalClick(bool checked);

    void done(int result) override;
    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void FormActivate();
    void showState();
    void placeCaret();
    void showLayout();
    bool inputKeyPress(QKeyEvent* e);
    void inputKeyRelease(QKeyEvent* e);

    LocateDialogLogic logic_;
    QComboBox* input_;
    QLineEdit* buffer_;
    QCheckBox* incremental_;
    QCheckBox* fromTop_;
    QPushButton* ok_;
    QPushButton* close_;
    QPushButton* show_;
    QLineEdit* hitReport_;
    QLineEdit* stat_;
    QPushButton* count_;
    QTimer* timer_;
    bool showing_ = false;
};

}  // namespace qb
