#include "floor/Messages.h"

#include "floor/RunContext.h"
#include "platform/Clock.h"
#include "platform/Dates.h"
#include "platform/FileNames.h"

namespace qb {

QString MessageRequest::title() const
{
    switch (kind) {
    case kInformation: return QStringLiteral("INFORMATION");
    case kError: return QStringLiteral("ERROR");
    case kSystemError: return QStringLiteral("SYSTEM ERROR");
    case kQuestionYes:
    case kQuestionNo: return QStringLiteral("QUESTION");
    case kInputRequest: return QStringLiteral("INPUT REQUEST");
    case kAddKeyword: return QStringLiteral("ADD KEYWORD");
    default: return QStringLiteral("INFORMATION");
    }
}

namespace {

void endOfMessage(RunContext& s)
{
    s.flags.clearEscape();
    if (s.clearOperationMarks) s.clearOperationMarks();
    s.messenger().setWaitCursor(false);
}

}  // namespace

bool ShowInfo(const QString& message, const QString& code, int kind, QString& answer, int helpTopic)
{
    RunContext& s = runContext();
    bool result = false;
    s.messenger().setWaitCursor(false);
    s.messenger().processEvents();
    if (!s.flags.stopped()) {
        MessageRequest request;
        request.message = message.trimmed().isEmpty() ? QString() : message;
        request.code = code.trimmed();
        request.kind = kind;
        request.helpTopic = helpTopic;
        request.answer = answer.trimmed();
        request.showCode =
            !request.code.isEmpty() && (s.settings.alwaysShowSystemInfo || kind == kSystemError);
        if (kind == kSystemError) LogProblem(request.code);
        MessageReply reply = s.messenger().showInfo(request);
        if (reply.button == MessageButton::CloseAll) s.flags.requestStop();
        result = reply.button == MessageButton::Ok || reply.button == MessageButton::Yes;
        if (result) answer = reply.answer.trimmed();
    }
    endOfMessage(s);
    return result;
}

bool ShowInfo(const QString& message, const QString& code, int kind, int helpTopic)
{
    QString scratch;
    return ShowInfo(message, code, kind, scratch, helpTopic);
}

bool ShowInfoIfVerbose(const QString& message, const QString& code, int kind, QString& answer,
                       int helpTopic)
{
    if (runContext().settings.quiet) {
        runContext().messenger().beep();
        return true;
    }
    return ShowInfo(message, code, kind, answer, helpTopic);
}

bool ShowInfoIfVerbose(const QString& message, const QString& code, int kind, int helpTopic)
{
    QString scratch;
    return ShowInfoIfVerbose(message, code, kind, scratch, helpTopic);
}

void InfoMessage(const QString& message)
{
    ShowInfo(message, QString(), kInformation, messages::kHelpDefault);
}

bool AskYesDefault(const QString& question, int helpTopic)
{
    return ShowInfo(question, QString(), kQuestionYes,
                    helpTopic == 0 ? messages::kHelpDefault : helpTopic);
}

bool AskNoDefault(const QString& question, int helpTopic)
{
    return ShowInfo(question, QString(), kQuestionNo,
                    helpTopic == 0 ? messages::kHelpDefault : helpTopic);
}

void NonTrivialError(const QString& text)
{
    ShowInfo(QStringLiteral("A non-trivial system error occurred here\r\n") + text, text,
             kSystemError, 40060);
}

void SysProblem(const QString& text)
{
    runContext().messenger().plainMessage(
        QStringLiteral("An unexpected system problem was encountered\r\n") + text);
}

void PlainMessage(const QString& text) { runContext().messenger().plainMessage(text); }

void WarningBeep()
{
    if (!runContext().settings.quiet) runContext().messenger().beep();
}

void LogProblem(const QString& code)
{
    RunContext& s = runContext();
    if (s.dir().isEmpty()) return;
    QString when =
        dates::shortDateTime(s.clock().now(), s.settings.dateFormat, s.settings.dateSeparator);
    // Failures to write the log are swallowed: the message itself still reaches the user.
    files::writeTextFile(s.filePath(QStringLiteral("problems.txt")),
                         when + QStringLiteral("\r\n") + code + QStringLiteral("\r\n"));
}

void NotImplemented()
{
    ShowInfo(
        QStringLiteral("Not implemented in version ") + runContext().version() + QLatin1Char(' '),
        QStringLiteral("piv467"), kInformation, 80020);
}

bool GeneralAnulByEsc()
{
    RunContext& s = runContext();
    const bool requested = s.flags.takeEscape();
    s.flags.releaseAbort();
    if (s.clearOperationMarks) s.clearOperationMarks();
    return requested;
}

bool GeneralDoNotAnulByEsc() { return false; }

QString WrapMessage(const QString& text, int columns)
{
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList out;
    const QStringList paragraphs = normalized.split(QLatin1Char('\n'));
    for (QString line : paragraphs) {
        while (line.size() > columns) {
            int cut = -1;
            for (int i = columns - 1; i > 0; --i) {
                QChar c = line[i];
                if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('-') ||
                    c == QLatin1Char('.')) {
                    cut = i;
                    break;
                }
            }
            // No break character: cut hard rather than lose or overflow text.
            int take = cut > 0 ? cut + 1 : columns;
            out << line.left(take);
            line = line.mid(take);
        }
        out << line;
    }
    return out.join(QStringLiteral("\r\n"));
}

}  // namespace qb
