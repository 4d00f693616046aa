#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace qb {

// Window of the started program. Only a request: a detached process on this platform starts
// with whatever window its own program chooses.
enum class TWState {
    wsNormalize,
    wsMinimize,
    wsMaximize,
    wsHide,
    wsMinNoActivate,
    wsShowNoActivate
};

// The program line an "open" of FileName comes to: the program itself when it is one, else
// xdg-open with the document, folder or address.
struct StartCommand {
    bool ok = false;
    QString program;
    QStringList arguments;
    QString workingDirectory;
    QString error;
};
StartCommand ResolveStart(const QString& fileName, const QString& parameters,
                          const QString& filePath);

// One argument as parameter text: quoted when it holds blanks or quotes, so that the split of
// the parameters gives it back whole.
QString QuoteParameter(const QString& argument);

// True when this program is the active application. Tests put their own answer in.
bool IsThisApplicationActive();
void SetActiveApplicationTest(std::function<bool()> test);

// The external-program runner: starts a program (or opens a document) and can wait for a
// result by polling a completion test while window events go on and Esc can cancel.
class TExecFile {
public:
    static constexpr int kStartFailed = 2;
    static constexpr int kStarted = 42;  // any code above 32 is a successful start

    explicit TExecFile(QString name = QStringLiteral("ExecFile1"));

    QString Name;
    QString FileName;
    QString FilePath;    // working folder; empty: the current directory
    QString Parameters;  // split like a command line (quotes kept together), never to a shell
    bool Wait = false;
    int CloseOnNotExist = 0;
    TWState Windowstyle = TWState::wsNormalize;
    int WaitAttempts = 3;
    QString InfoText;
    QString EscInfoText = QStringLiteral("External program execution was terminated by user.");
    std::function<bool()> IsDoneTest;
    std::function<bool()> IsAnulledByCaller;
    // Optional, cheap and without side effects: asked every tenth of a second between the
    // periods, for a result that appears whole (a file renamed into place), so the wait ends
    // when the result is there rather than at the next period. The periods go on as before.
    std::function<bool()> IsDoneQuickly;

    int WaitPeriodLength() const { return waitPeriodLength_; }
    // Accepts 1000 to 10000 ms; anything else is refused with a message and the period kept.
    bool setWaitPeriodLength(int ms);

    // Starts and, when Wait is set, waits. True when the start succeeded and, when waiting, the
    // completion test finally reported done.
    bool Execute();

    int startCode() const { return startCode_; }
    bool started() const { return startCode_ > 32; }
    // Why the last start failed (empty after a successful start).
    QString startError() const { return startError_; }
    bool done() const { return done_; }
    bool cancelled() const { return cancelled_; }
    int periodsElapsed() const { return periods_; }

    // Real length of a period = WaitPeriodLength x scale. Tests shorten the periods with it;
    // the accepted range still applies to WaitPeriodLength itself.
    static void setPeriodScale(double scale);
    static double periodScale();

private:
    int start();
    int startOpener(const StartCommand& command);
    void waitForResult();
    void onPeriod(int& attemptsLeft);
    bool askDone(bool& answer);
    bool askAnulled();

    int waitPeriodLength_ = 3000;
    int startCode_ = 0;
    QString startError_;
    bool done_ = false;
    bool cancelled_ = false;
    int periods_ = 0;
};

}  // namespace qb
