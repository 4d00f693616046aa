#pragma once

#include <QString>

namespace qb {

// The kinds of message, in the numbering the location codes and callers use.
enum MessageKind : int {
    kInformation = 0,
    kError = 1,
    kSystemError = 2,
    kQuestionYes = 3,  // Yes is the default button
    kQuestionNo = 4,   // No is the default button
    kInputRequest = 5,
    kAddKeyword = 6,
};

enum class MessageButton { Ok, Cancel, Yes, No, CloseAll, Closed };

struct MessageRequest {
    QString message;  // may be empty: the text area is hidden
    QString code;     // location code, may be empty
    int kind = kInformation;
    QString answer;     // kinds 5 and 6: the answer field starts with it (trimmed)
    int helpTopic = 0;  // > 0: a Help button opens that topic
    bool showCode = false;
    QString title() const;
};

struct MessageReply {
    MessageButton button = MessageButton::Closed;
    QString answer;  // content of the answer field when closed with OK
};

// Everything the user is told or asked goes through one messenger: the desktop program shows the
// information window, the CLI prints to stderr, tests script the answers.
class Messenger {
public:
    virtual ~Messenger() = default;
    virtual MessageReply showInfo(const MessageRequest& request) = 0;
    // A plain platform message box (not the information window).
    virtual void plainMessage(const QString& text) = 0;
    virtual void beep() = 0;
    // Lets pending window events run.
    virtual void processEvents() {}
    virtual void setWaitCursor(bool wait) {}
};

}  // namespace qb
