#include "support/ScriptedMessenger.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

namespace qb::test {

MessageReply ScriptedMessenger::showInfo(const MessageRequest& request)
{
    MessageReply reply;
    const bool scripted = !script.empty();
    if (scripted) {
        reply = script.front();
        script.pop_front();
        if (reply.button == MessageButton::Ok && reply.answer.isNull())
            reply.answer = request.answer;
    } else {
        reply.answer = request.answer;
        switch (request.kind) {
        case kQuestionYes: reply.button = MessageButton::Yes; break;
        case kQuestionNo: reply.button = MessageButton::No; break;
        default: reply.button = MessageButton::Ok; break;
        }
    }
    shown.push_back({request, reply});
    log_.push_back({request.message + QLatin1Char(' ') + request.code, request.message,
                    request.code, scripted});
    if (afterEachMessage) afterEachMessage();
    return reply;
}

void ScriptedMessenger::plainMessage(const QString& text)
{
    plain.push_back(text);
    log_.push_back({text, text, QStringLiteral("(plain)"), false});
}

void ScriptedMessenger::processEvents()
{
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

bool ScriptedMessenger::saw(const QString& fragment) const
{
    bool found = false;
    for (int i = sinceClear_; i < int(log_.size()); ++i) {
        if (!log_[i].text.contains(fragment)) continue;
        log_[i].seen = true;
        found = true;
    }
    return found;
}

QStringList ScriptedMessenger::texts() const
{
    QStringList all;
    for (const Shown& s : shown) all << s.request.message + QLatin1Char(' ') + s.request.code;
    for (const QString& p : plain) all << p;
    return all;
}

QStringList ScriptedMessenger::problems() const
{
    QStringList out;
    for (const MessageReply& r : script)
        out << QStringLiteral("a queued answer was never used (button %1, text \"%2\")")
                   .arg(int(r.button))
                   .arg(r.answer);
    QStringList cameFor;
    for (const Logged& m : log_) {
        bool declared = false;
        for (const QString& f : expected_) {
            if (!m.text.contains(f)) continue;
            declared = true;
            cameFor << f;
        }
        bool allowed = false;
        for (const QString& f : allowed_) allowed = allowed || m.text.contains(f);
        if (!m.answered && !m.seen && !declared && !allowed && !expectAny_)
            out << QStringLiteral("a message the test did not expect: \"%1\", code %2")
                       .arg(m.message, m.code);
    }
    for (const QString& f : expected_)
        if (!cameFor.contains(f))
            out << QStringLiteral("an expected message never came: \"%1\"").arg(f);
    return out;
}

void ScriptedMessenger::verify() const
{
    for (const QString& p : problems()) ADD_FAILURE() << p.toStdString();
}

}  // namespace qb::test
