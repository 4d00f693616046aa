#include "session/ExecFile.h"

#include "floor/Messages.h"
#include "floor/Messenger.h"
#include "platform/FileNames.h"
#include "session/Session.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>

namespace qb {

namespace {

// Esc and the other cancel tests are asked at every wake-up; this keeps wake-ups coming even
// when no other event arrives.
constexpr int kCancelPollMs = 100;

// Longest wait for the opener's verdict: it fails within a moment, while a program it found may
// keep it running for as long as that program runs.
constexpr int kOpenerVerdictMs = 2000;

// The run's scale of the waiting periods.
struct PeriodScale {
    double scale = 1.0;
};

double& scaleSetting() { return session().part<PeriodScale>().scale; }

std::function<bool()>& activeApplicationTest()
{
    static std::function<bool()> test;
    return test;
}

bool looksLikeAddress(const QString& name)
{
    // "http://...", "mailto:..."; a one-letter scheme would be a drive letter.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.\\-]+:"));
    return scheme.match(name).hasMatch();
}

StartCommand openWithDesktop(StartCommand command, const QString& target)
{
    QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        command.error = QStringLiteral("xdg-open not found");
        return command;
    }
    command.ok = true;
    command.program = opener;
    command.arguments = QStringList{target};
    return command;
}

}  // namespace

StartCommand ResolveStart(const QString& fileName, const QString& parameters,
                          const QString& filePath)
{
    StartCommand command;
    QString name = fileName.trimmed();
    command.workingDirectory = filePath.trimmed().isEmpty()
                                   ? QDir::currentPath()
                                   : QDir(filePath.trimmed()).absolutePath();
    if (name.isEmpty()) {
        command.error = QStringLiteral("nothing to start");
        return command;
    }
    QFileInfo local(name.contains(QLatin1Char('/'))
                        ? QDir(command.workingDirectory).absoluteFilePath(name)
                        : files::resolve(command.workingDirectory, name));
    if (local.exists()) {
        if (local.isFile() && local.isExecutable()) {
            command.ok = true;
            command.program = local.absoluteFilePath();
            command.arguments = QProcess::splitCommand(parameters);
            return command;
        }
        // A document or folder opens with its registered program; xdg-open takes nothing else.
        return openWithDesktop(command, local.absoluteFilePath());
    }
    if (looksLikeAddress(name)) return openWithDesktop(command, name);
    if (!name.contains(QLatin1Char('/'))) {
        QString found = QStandardPaths::findExecutable(name);
        if (!found.isEmpty()) {
            command.ok = true;
            command.program = found;
            command.arguments = QProcess::splitCommand(parameters);
            return command;
        }
    }
    command.error = name + QStringLiteral(" not found");
    return command;
}

QString QuoteParameter(const QString& argument)
{
    bool plain = !argument.isEmpty();
    for (QChar c : argument)
        if (c.isSpace() || c == QLatin1Char('"')) plain = false;
    if (plain) return argument;
    // Inside the split, three quotes in a row stand for one literal quote.
    QString escaped = argument;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

bool IsThisApplicationActive()
{
    if (activeApplicationTest()) return activeApplicationTest()();
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return QGuiApplication::applicationState() == Qt::ApplicationActive;
    return false;
}

void SetActiveApplicationTest(std::function<bool()> test)
{
    activeApplicationTest() = std::move(test);
}

void TExecFile::setPeriodScale(double scale) { scaleSetting() = scale > 0 ? scale : 1.0; }

double TExecFile::periodScale() { return scaleSetting(); }

TExecFile::TExecFile(QString name) : Name(std::move(name)) {}

bool TExecFile::setWaitPeriodLength(int ms)
{
    if (ms < 1000 || ms > 10000) {
        PlainMessage(QStringLiteral("Illegal wait setting in Execfile"));
        return false;
    }
    waitPeriodLength_ = ms;
    return true;
}

bool TExecFile::Execute()
{
    Messenger& messenger = session().messenger();
    messenger.setWaitCursor(true);
    if (Wait && !IsDoneTest)
        PlainMessage(Name +
                     QStringLiteral(
                         " - TExecfile to execute;; Wait set but Waittest procedure not assigned"));
    if (Wait && !IsAnulledByCaller)
        PlainMessage(
            Name +
            QStringLiteral(
                " - TExecfile to execute: Wait set but TextFileGone procedure not assigned"));
    done_ = false;
    cancelled_ = false;
    periods_ = 0;
    startCode_ = start();
    // Nothing started means nothing to wait for: the user would only be asked to confirm a
    // program that never ran.
    if (Wait && started()) waitForResult();
    bool result = (done_ || !Wait) && started();
    messenger.setWaitCursor(false);
    return result;
}

int TExecFile::start()
{
    StartCommand command = ResolveStart(FileName, Parameters, FilePath);
    startError_ = command.error;
    if (!command.ok) return kStartFailed;
    if (QFileInfo(command.program).fileName() == QStringLiteral("xdg-open"))
        return startOpener(command);
    // Windowstyle cannot be passed on: a detached start has no say over the new window.
    QProcess process;
    process.setProgram(command.program);
    process.setArguments(command.arguments);
    process.setWorkingDirectory(command.workingDirectory);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!process.startDetached()) {
        startError_ = process.errorString();
        return kStartFailed;
    }
    return kStarted;
}

// The opener starts whatever, then ends at once with a non-zero status when it found no program
// for the target. A program it found may run on inside it, so its exit is awaited for one wait
// period at most; still running then means something opened.
int TExecFile::startOpener(const StartCommand& command)
{
    auto* process = new QProcess;
    process->setProgram(command.program);
    process->setArguments(command.arguments);
    process->setWorkingDirectory(command.workingDirectory);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    const QString target = command.arguments.value(0);
    const int verdictMs = qBound(1, qRound(waitPeriodLength_ * periodScale()), kOpenerVerdictMs);

    bool ended = false;
    if (QCoreApplication::instance()) {
        QEventLoop loop;
        QTimer period;
        period.setSingleShot(true);
        QObject::connect(&period, &QTimer::timeout, &loop, &QEventLoop::quit);
        QObject::connect(process, &QProcess::finished, &loop, [&] {
            ended = true;
            loop.quit();
        });
        QObject::connect(process, &QProcess::errorOccurred, &loop,
                         [&](QProcess::ProcessError error) {
                             if (error != QProcess::FailedToStart) return;
                             ended = true;
                             loop.quit();
                         });
        process->start();
        period.start(verdictMs);
        if (!ended) loop.exec();
    } else {
        process->start();
        ended = process->waitForFinished(verdictMs);
        if (process->error() == QProcess::FailedToStart) ended = true;
    }

    if (!ended) {
        // Left to run; its messages are read and dropped so that it never blocks on them.
        QObject::connect(process, &QProcess::readyReadStandardError, process,
                         [process] { process->readAllStandardError(); });
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return kStarted;
    }
    int code = kStarted;
    if (process->error() == QProcess::FailedToStart) {
        startError_ = process->errorString();
        code = kStartFailed;
    } else if (process->exitStatus() != QProcess::NormalExit || process->exitCode() != 0) {
        QString said = QString::fromLocal8Bit(process->readAllStandardError())
                           .trimmed()
                           .section(QLatin1Char('\n'), 0, 0);
        startError_ = QStringLiteral("nothing opened ") + target + QStringLiteral(": ") +
                      QFileInfo(command.program).fileName() +
                      QStringLiteral(" ended with status ") + QString::number(process->exitCode());
        if (!said.isEmpty()) startError_ += QStringLiteral(", ") + said;
        code = kStartFailed;
    }
    delete process;
    return code;
}

bool TExecFile::askDone(bool& answer)
{
    if (!IsDoneTest) return false;
    try {
        answer = IsDoneTest();
        return true;
    } catch (...) {
        return false;
    }
}

bool TExecFile::askAnulled()
{
    if (!IsAnulledByCaller) return false;
    try {
        return IsAnulledByCaller();
    } catch (...) {
        return false;
    }
}

void TExecFile::onPeriod(int& attemptsLeft)
{
    ++periods_;
    --attemptsLeft;
    if (!IsDoneTest) {
        PlainMessage(QStringLiteral("Execfile: Waittest procedure not assigned"));
        done_ = false;
        return;
    }
    bool answer = false;
    done_ = askDone(answer) && answer;
}

void TExecFile::waitForResult()
{
    int attemptsLeft = WaitAttempts;
    // Without an event loop no timer could ever fire: go straight to the user's confirmation.
    if (!QCoreApplication::instance()) attemptsLeft = 0;

    QTimer period;
    QTimer cancelPoll;
    if (attemptsLeft > 0) {
        period.setInterval(qMax(1, qRound(waitPeriodLength_ * periodScale())));
        QObject::connect(&period, &QTimer::timeout, &period, [this, &attemptsLeft, &period] {
            onPeriod(attemptsLeft);
            if (done_ || attemptsLeft <= 0) period.stop();
        });
        period.start();
        cancelPoll.setInterval(kCancelPollMs);
        QObject::connect(&cancelPoll, &QTimer::timeout, &cancelPoll, [this] {
            if (IsDoneQuickly && IsDoneQuickly()) done_ = true;
        });
        cancelPoll.start();
    }

    QEventLoop loop;
    while (!done_ && attemptsLeft > 0) {
        // Blocks only until the next event (a period, the poll, a key), which it then handles.
        loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        if (askAnulled()) {
            PlainMessage(EscInfoText);
            cancelled_ = true;
            break;
        }
        if (CloseOnNotExist > 0 && periods_ > CloseOnNotExist) done_ = IsThisApplicationActive();
    }
    period.stop();
    cancelPoll.stop();

    if (!done_ && !cancelled_)
        PlainMessage(InfoText +
                     QStringLiteral("\r\nExternal process not on time - press OK when done"));
    bool answer = false;
    if (askDone(answer)) done_ = answer;
}

}  // namespace qb
