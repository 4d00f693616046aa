#include "support/ScriptedMessenger.h"

#include <QCoreApplication>

namespace qb::test {

MessageReply ScriptedMessenger::showInfo(const MessageRequest& request)
{
    MessageReply reply;
    if (!script.empty()) {
        reply = script.front();
        script.pop_front();
        if (reply.button == MessageButton::Ok && reply.answer.isNull()) reply.answer = request.answer;
    } else {
        reply.answer = request.answer;
        switch (request.kind) {
        case kQuestionYes: reply.button = MessageButton::Yes; break;
        case kQuestionNo: reply.button = MessageButton::No; break;
        default: reply.button = MessageButton::Ok; break;
        }
    }
    shown.push_back({request, reply});
    return reply;
}

void ScriptedMessenger::processEvents()
{
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

bool ScriptedMessenger::saw(const QString& fragment) const
{
    for (const QString& t : texts())
        if (t.contains(fragment)) return true;
    return false;
}

QStringList ScriptedMessenger::texts() const
{
    QStringList all;
    for (const Shown& s : shown) all << s.request.message + QLatin1Char(' ') + s.request.code;
    for (const QString& p : plain) all << p;
    return all;
}

}  // namespace qb::test
