#pragma once

#include <QDialog>
#include <QSet>

#include "floor/Messenger.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace qb {

// The information window: every message, question and one-line input request of the program.
// One instance is made at start and reused; run() shows it modally for one request.
class TfrmQBShowInfo : public QDialog {
    Q_OBJECT
public:
    explicit TfrmQBShowInfo(QWidget* parent = nullptr);

    MessageReply run(const MessageRequest& request);
    // Fills and lays out the window for a request without showing it.
    void prepare(const MessageRequest& request);

    QPlainTextEdit* textArea() const { return text_; }
    QLineEdit* answerField() const { return answer_; }
    QToolButton* eraseButton() const { return erase_; }
    QLabel* codeLabel() const { return code_; }
    QPushButton* button(MessageButton which) const;
    QPushButton* helpButton() const { return help_; }
    int helpTopic() const { return helpTopic_; }
    // The message text as shown, one entry per line.
    QStringList shownLines() const { return lines_; }

    // The selected part of the message, with the line breaks that wrapping added taken out again.
    QString selectedMessageText() const;

    void setVisible(bool visible) override;

private:
    void okClicked();
    void eraseClicked();
    void finish(MessageButton button);
    void layoutControls(int columns);

    QLabel* code_;
    QFrame* bevel_;
    QPlainTextEdit* text_;
    QLineEdit* answer_;
    QToolButton* erase_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QPushButton* yes_;
    QPushButton* no_;
    QPushButton* closeAll_;
    QPushButton* help_;
    QList<QPushButton*> order_;  // visible buttons, left to right
    QStringList lines_;
    QSet<int> softBreaks_;  // line numbers followed by a break that wrapping inserted
    MessageButton result_ = MessageButton::Closed;
    int helpTopic_ = 0;
};

}  // namespace qb
