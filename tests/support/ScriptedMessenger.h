#pragma once

#include "floor/Messenger.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

namespace qb::test {

// Records every message and answers from a script the test wrote. When the script is empty a
// message is closed with its default button.
class ScriptedMessenger : public Messenger {
public:
    struct Shown {
        MessageRequest request;
        MessageReply reply;
    };

    MessageReply showInfo(const MessageRequest& request) override;
    void plainMessage(const QString& text) override { plain.push_back(text); }
    void beep() override { ++beeps; }
    void processEvents() override;

    // Queue the next answers.
    void answer(MessageButton button, const QString& text = QString())
    {
        script.push_back({button, text});
    }

    // All messages and plain boxes shown so far, as text, for "was X said" checks.
    bool saw(const QString& fragment) const;
    QStringList texts() const;
    int count() const { return int(shown.size()); }
    void clear()
    {
        shown.clear();
        plain.clear();
        beeps = 0;
    }

    std::vector<Shown> shown;
    std::vector<QString> plain;
    int beeps = 0;
    std::deque<MessageReply> script;
};

}  // namespace qb::test
