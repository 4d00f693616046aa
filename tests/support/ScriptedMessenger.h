#pragma once

#include "floor/Messenger.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace qb::test {

// Records every message and answers from a script the test wrote. When the script is empty a
// message is closed with its default button.
//
// Strict: at the end of the test (verify, called by StoreFixture) every queued answer must have
// been used, and every message must have been expected. A message is expected when it took a
// queued answer, when a saw() check found it, when it holds a fragment declared with expect()
// (and each declared fragment must come), when it holds a fragment given to allow(), or after
// expectAny(). A message that was not
// expected fails the test with its text and code.
class ScriptedMessenger : public Messenger {
public:
    struct Shown {
        MessageRequest request;
        MessageReply reply;
    };

    MessageReply showInfo(const MessageRequest& request) override;
    void plainMessage(const QString& text) override;
    void beep() override { ++beeps; }
    void processEvents() override;

    // Queue the next answers.
    void answer(MessageButton button, const QString& text = QString())
    {
        script.push_back({button, text});
    }

    // Declares a message the test knows will come (a fragment of its text or code).
    void expect(const QString& fragment) { expected_ << fragment; }
    // Accepts messages holding a fragment if they come, for messages that depend on the machine
    // (a sound device, say).
    void allow(const QString& fragment) { allowed_ << fragment; }
    // Accepts every message, for tests that read shown, plain or count() themselves.
    void expectAny() { expectAny_ = true; }

    // All messages and plain boxes shown since the last clear(), as text, for "was X said"
    // checks. A message that saw() finds counts as expected.
    bool saw(const QString& fragment) const;
    QStringList texts() const;
    int count() const { return int(shown.size()); }
    // Forgets what was shown for the checks above; the end-of-test check still sees it.
    void clear()
    {
        shown.clear();
        plain.clear();
        beeps = 0;
        sinceClear_ = int(log_.size());
    }

    // What breaks the rules above, one line each; empty when the test kept them.
    QStringList problems() const;
    // Fails the running test once for each problem.
    void verify() const;

    // What the user's closing of a message leaves behind (the release of the key that closed it).
    std::function<void()> afterEachMessage;

    std::vector<Shown> shown;
    std::vector<QString> plain;
    int beeps = 0;
    std::deque<MessageReply> script;

private:
    struct Logged {
        QString text;  // as texts() gives it
        QString message;
        QString code;
        bool answered = false;      // took a queued answer
        mutable bool seen = false;  // found by saw()
    };
    std::vector<Logged> log_;
    int sinceClear_ = 0;
    QStringList expected_;
    QStringList allowed_;
    bool expectAny_ = false;
};

}  // namespace qb::test
