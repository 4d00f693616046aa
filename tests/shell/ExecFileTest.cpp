#include "session/ExecFile.h"

#include "floor/Messages.h"
#include "platform/FileNames.h"
#include "platform/IniFile.h"
#include "session/ExternalPrograms.h"
#include "session/Session.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/MainWindow.h"
#include "support/StoreFixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

using namespace qb;

namespace {

const QString kNotOnTime = QStringLiteral("\r\nExternal process not on time - press OK when done");

// A scripted messenger that can act when a plain message box comes up, as a user who does
// something before pressing OK.
class ActingMessenger : public test::ScriptedMessenger {
public:
    std::function<void(const QString&)> onPlain;
    void plainMessage(const QString& text) override
    {
        ScriptedMessenger::plainMessage(text);
        if (onPlain) onPlain(text);
    }
};

}  // namespace

class ExecFile : public test::StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        session().setMessenger(&acting);
        // A period of 1000 ms lasts 20 ms here.
        TExecFile::setPeriodScale(0.02);
        SetActiveApplicationTest([] { return false; });
        SetMinimizeProgramHook([this] { ++minimized; });
        logPath = QDir(dir()).filePath(QStringLiteral("helper.log"));
    }
    void TearDown() override
    {
        qunsetenv("QUILLBOX_EXEC_HELPER_LOG");
        TExecFile::setPeriodScale(1.0);
        SetActiveApplicationTest(nullptr);
        SetMinimizeProgramHook(nullptr);
        StoreFixture::TearDown();
    }

    // Helpers started from now on write down how they were called (read with helperCall).
    void recordCalls() { qputenv("QUILLBOX_EXEC_HELPER_LOG", logPath.toUtf8()); }

    static QString helper() { return QStringLiteral(QUILLBOX_EXEC_HELPER); }
    QString file(const QString& name) const { return QDir(dir()).filePath(name); }

    // A waiting runner on the helper, polling for `flag`.
    TExecFile waitingRunner(const QString& parameters, const QString& flag)
    {
        TExecFile runner(QStringLiteral("TestRunner"));
        runner.FileName = helper();
        runner.FilePath = dir();
        runner.Parameters = parameters;
        runner.Wait = true;
        runner.InfoText = QStringLiteral("Making a test file");
        runner.IsDoneTest = [this, flag] {
            ++doneTests;
            return QFileInfo::exists(flag);
        };
        runner.IsAnulledByCaller = GeneralAnulByEsc;
        return runner;
    }

    // Lets events run (the started helper works meanwhile) until the file is there.
    static bool waitForFile(const QString& path, int ms = 5000)
    {
        QElapsedTimer elapsed;
        elapsed.start();
        QEventLoop loop;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
        tick.start(10);
        while (!QFileInfo::exists(path) && elapsed.elapsed() < ms) loop.exec();
        return QFileInfo::exists(path);
    }

    // Working folder and arguments the helper was started with.
    QStringList helperCall()
    {
        if (!waitForFile(logPath)) return {};
        QString text;
        files::readTextFile(logPath, &text);
        QFile::remove(logPath);
        QStringList lines = text.split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
        return lines;
    }

    QStringList plain() const { return QStringList(acting.plain.begin(), acting.plain.end()); }

    ActingMessenger acting;
    QString logPath;
    int doneTests = 0;
    int minimized = 0;
};

TEST_F(ExecFile, WaitPeriodAcceptsOneToTenSecondsAndKeepsThePeriodOtherwise)
{
    TExecFile runner;
    EXPECT_EQ(runner.WaitPeriodLength(), 3000);
    for (int bad : {500, 20000, 999, 10001, 0, -3000}) {
        EXPECT_FALSE(runner.setWaitPeriodLength(bad)) << bad;
        EXPECT_EQ(runner.WaitPeriodLength(), 3000) << bad;
    }
    EXPECT_EQ(acting.plain.size(), 6u);
    EXPECT_EQ(acting.plain[0], QStringLiteral("Illegal wait setting in Execfile"));
    EXPECT_TRUE(runner.setWaitPeriodLength(1000));
    EXPECT_TRUE(runner.setWaitPeriodLength(10000));
    EXPECT_EQ(runner.WaitPeriodLength(), 10000);
    EXPECT_FALSE(runner.setWaitPeriodLength(500));
    EXPECT_EQ(runner.WaitPeriodLength(), 10000) << "the previous period, not the default, stays";
    EXPECT_EQ(acting.plain.size(), 7u);
}

TEST_F(ExecFile, WaitEndsDoneWhenTheProgramProducesItsFileAndEventsRunMeanwhile)
{
    QString flag = file(QStringLiteral("made.flag"));
    TExecFile runner = waitingRunner(QStringLiteral("--create made.flag --after 150"), flag);
    runner.WaitAttempts = 200;  // 4 s at most
    int ticks = 0;
    QTimer other;
    QObject::connect(&other, &QTimer::timeout, [&] { ++ticks; });
    other.start(5);

    EXPECT_TRUE(runner.Execute());
    EXPECT_EQ(runner.startCode(), TExecFile::kStarted);
    EXPECT_TRUE(runner.done());
    EXPECT_FALSE(runner.cancelled());
    EXPECT_TRUE(QFileInfo::exists(flag));
    EXPECT_TRUE(acting.plain.empty()) << plain().join(QLatin1Char('|')).toStdString();
    // The helper needs 150 ms and a period is 20 ms: several periods polled, far from all.
    EXPECT_GE(runner.periodsElapsed(), 2);
    EXPECT_LT(runner.periodsElapsed(), 200);
    EXPECT_EQ(doneTests, runner.periodsElapsed() + 1) << "one test per period and the final one";
    EXPECT_GT(ticks, 2) << "other timers kept running during the wait";
}

// A result that appears whole ends the wait when it is there, not at the next period.
TEST_F(ExecFile, AQuickTestEndsTheWaitBeforeThePeriodIsOver)
{
    TExecFile::setPeriodScale(1.0);
    QString flag = file(QStringLiteral("quick.flag"));
    TExecFile runner = waitingRunner(QStringLiteral("--create quick.flag --after 50"), flag);
    ASSERT_TRUE(runner.setWaitPeriodLength(10000));
    runner.IsDoneQuickly = [flag] { return QFileInfo::exists(flag); };
    EXPECT_TRUE(runner.Execute());
    EXPECT_TRUE(runner.done());
    EXPECT_EQ(runner.periodsElapsed(), 0);
    EXPECT_TRUE(acting.plain.empty()) << plain().join(QLatin1Char('|')).toStdString();
}

TEST_F(ExecFile, TimeOutAsksTheUserAndTheFinalTestDecides)
{
    QString flag = file(QStringLiteral("never.flag"));
    TExecFile runner = waitingRunner(QString(), flag);
    runner.WaitAttempts = 3;
    EXPECT_FALSE(runner.Execute());
    EXPECT_EQ(runner.periodsElapsed(), 3);
    ASSERT_EQ(acting.plain.size(), 1u);
    EXPECT_EQ(acting.plain[0], QStringLiteral("Making a test file") + kNotOnTime);
    EXPECT_EQ(doneTests, 4);

    // The user finishes the job by hand before pressing OK.
    acting.clear();
    doneTests = 0;
    acting.onPlain = [&](const QString& text) {
        if (text.endsWith(kNotOnTime)) files::writeTextFile(flag, QStringLiteral("by hand"));
    };
    runner.WaitAttempts = 2;
    EXPECT_TRUE(runner.Execute());
    EXPECT_EQ(runner.periodsElapsed(), 2);
    EXPECT_EQ(acting.plain.size(), 1u);
    EXPECT_EQ(runner.WaitAttempts, 2) << "a reused runner waits as long the next time";
}

TEST_F(ExecFile, WaitWithNoAttemptsAsksAtOnceThenTestsOnce)
{
    QString flag = file(QStringLiteral("zero.flag"));
    files::writeTextFile(flag, QStringLiteral("x"));
    TExecFile runner = waitingRunner(QString(), flag);
    runner.WaitAttempts = 0;
    EXPECT_TRUE(runner.Execute());
    EXPECT_EQ(runner.periodsElapsed(), 0);
    EXPECT_EQ(doneTests, 1);
    ASSERT_EQ(acting.plain.size(), 1u);
    EXPECT_TRUE(acting.plain[0].endsWith(kNotOnTime));
}

TEST_F(ExecFile, ProgramThatCannotStartGivesCodeTwoAndNoWait)
{
    TExecFile runner = waitingRunner(QString(), file(QStringLiteral("x.flag")));
    runner.FileName = file(QStringLiteral("no-such-program"));
    EXPECT_FALSE(runner.Execute());
    EXPECT_EQ(runner.startCode(), TExecFile::kStartFailed);
    EXPECT_FALSE(runner.started());
    EXPECT_FALSE(runner.startError().isEmpty());
    EXPECT_EQ(doneTests, 0);
    EXPECT_TRUE(acting.plain.empty()) << "no confirmation asked for a program that never ran";

    // Without waiting the result is the start alone.
    TExecFile plainStart(QStringLiteral("Plain"));
    plainStart.FileName = QStringLiteral("quillbox-no-such-program-anywhere");
    EXPECT_FALSE(plainStart.Execute());
    plainStart.FileName = helper();
    EXPECT_TRUE(plainStart.Execute());
    EXPECT_GT(plainStart.startCode(), 32);

    // The file explorer is a caller that reports in its own words.
    session().settings.fileHandler = file(QStringLiteral("no-such-explorer"));
    EXPECT_FALSE(FileExplorer());
    ASSERT_EQ(acting.count(), 1);
    EXPECT_EQ(acting.shown[0].request.message, QStringLiteral("The file explorer setup is not OK"));
    EXPECT_EQ(acting.shown[0].request.code, QStringLiteral("qb3338"));
    EXPECT_EQ(acting.shown[0].request.kind, kError);
    EXPECT_EQ(acting.shown[0].request.helpTopic, 50110);
}

TEST_F(ExecFile, EscCancelsAWaitThatAsksGeneralAnulByEscOnly)
{
    QString flag = file(QStringLiteral("esc.flag"));
    TExecFile runner = waitingRunner(QString(), flag);
    runner.WaitAttempts = 100;  // 2 s unless Esc ends it
    runner.EscInfoText = QStringLiteral("Text changes were not saved");
    QTimer::singleShot(60, [] { session().flags.requestEscape(); });
    EXPECT_FALSE(runner.Execute()) << "the final test finds nothing";
    EXPECT_TRUE(runner.cancelled());
    EXPECT_LT(runner.periodsElapsed(), 50);
    ASSERT_EQ(acting.plain.size(), 1u);
    EXPECT_EQ(acting.plain[0], QStringLiteral("Text changes were not saved"));
    EXPECT_FALSE(session().flags.escapeRequested()) << "the cancel test consumes the request";

    // Cancelled, but the work is there by the time the user has read the message.
    acting.clear();
    acting.onPlain = [&](const QString&) { files::writeTextFile(flag, QStringLiteral("y")); };
    QTimer::singleShot(60, [] { session().flags.requestEscape(); });
    EXPECT_TRUE(runner.Execute());
    EXPECT_TRUE(runner.cancelled());
    QFile::remove(flag);

    // A backup's runner ignores Esc and goes on until the program is done.
    acting.clear();
    acting.onPlain = nullptr;
    TExecFile backup = waitingRunner(QStringLiteral("--create esc.flag --after 250"), flag);
    backup.WaitAttempts = 100;
    backup.IsAnulledByCaller = GeneralDoNotAnulByEsc;
    QTimer::singleShot(40, [] { session().flags.requestEscape(); });
    EXPECT_TRUE(backup.Execute());
    EXPECT_FALSE(backup.cancelled());
    EXPECT_GE(backup.periodsElapsed(), 3) << "still waited after Esc at 40 ms";
    EXPECT_TRUE(acting.plain.empty());
    EXPECT_TRUE(session().flags.escapeRequested()) << "left for whoever handles it";
}

TEST_F(ExecFile, CloseOnNotExistEndsTheWaitOnceTheProgramIsActiveAgain)
{
    QString flag = file(QStringLiteral("edit.flag"));
    TExecFile runner = waitingRunner(QString(), flag);
    ASSERT_TRUE(runner.setWaitPeriodLength(2000));
    runner.WaitAttempts = 50;
    runner.CloseOnNotExist = 1;

    // The editor was closed without changes and the user is back: the second period ends it.
    SetActiveApplicationTest([] { return true; });
    EXPECT_FALSE(runner.Execute()) << "the file did not change, so the final test says not done";
    EXPECT_EQ(runner.periodsElapsed(), 2);
    EXPECT_EQ(doneTests, 3);
    EXPECT_TRUE(acting.plain.empty()) << "no time-out message";

    // Still away until the fourth period.
    doneTests = 0;
    SetActiveApplicationTest([&runner] { return runner.periodsElapsed() >= 4; });
    runner.Execute();
    EXPECT_EQ(runner.periodsElapsed(), 4);

    // Without CloseOnNotExist being active again does not end the wait.
    SetActiveApplicationTest([] { return true; });
    runner.CloseOnNotExist = 0;
    runner.WaitAttempts = 4;
    EXPECT_FALSE(runner.Execute());
    EXPECT_EQ(runner.periodsElapsed(), 4);
    ASSERT_EQ(acting.plain.size(), 1u);
    EXPECT_TRUE(acting.plain[0].endsWith(kNotOnTime));
}

TEST_F(ExecFile, MissingCallbacksAreNamedAndTheWaitStillEnds)
{
    TExecFile runner(QStringLiteral("ExtProgram1"));
    runner.FileName = helper();
    runner.Wait = true;
    runner.WaitAttempts = 2;
    runner.InfoText = QStringLiteral("External program.");
    EXPECT_FALSE(runner.Execute());
    QStringList expected{
        QStringLiteral(
            "ExtProgram1 - TExecfile to execute;; Wait set but Waittest procedure not assigned"),
        QStringLiteral(
            "ExtProgram1 - TExecfile to execute: Wait set but TextFileGone procedure not assigned"),
        QStringLiteral("Execfile: Waittest procedure not assigned"),
        QStringLiteral("Execfile: Waittest procedure not assigned"),
        QStringLiteral("External program.") + kNotOnTime,
    };
    EXPECT_EQ(plain(), expected);

    // A completion test that throws counts as not done, and the final one leaves the flag.
    acting.clear();
    int calls = 0;
    runner.IsAnulledByCaller = GeneralDoNotAnulByEsc;
    runner.IsDoneTest = [&]() -> bool {
        if (++calls <= 2) throw std::runtime_error("disk gone");
        return true;
    };
    runner.WaitAttempts = 3;
    EXPECT_TRUE(runner.Execute());
    EXPECT_EQ(runner.periodsElapsed(), 3);
    runner.IsDoneTest = [&]() -> bool { throw std::runtime_error("always"); };
    EXPECT_FALSE(runner.Execute());
}

TEST_F(ExecFile, ParametersBecomeArgumentsWithoutAShell)
{
    recordCalls();
    QDir(dir()).mkdir(QStringLiteral("work dir"));
    QString work = file(QStringLiteral("work dir"));
    TExecFile runner(QStringLiteral("Args"));
    runner.FileName = helper();
    runner.FilePath = work;
    runner.Parameters =
        QStringLiteral("alpha  \"two words\" \"say \"\"\"hi\"\"\"\" ; $(touch pwned) |cat *");
    ASSERT_TRUE(runner.Execute());
    QStringList call = helperCall();
    QStringList expected{work,
                         QStringLiteral("alpha"),
                         QStringLiteral("two words"),
                         QStringLiteral("say \"hi\""),
                         QStringLiteral(";"),
                         QStringLiteral("$(touch"),
                         QStringLiteral("pwned)"),
                         QStringLiteral("|cat"),
                         QStringLiteral("*")};
    EXPECT_EQ(call, expected);
    EXPECT_FALSE(QFileInfo::exists(QDir(work).filePath(QStringLiteral("pwned"))));

    for (const QString& one : {QStringLiteral("plain"), QStringLiteral("/a path/with blanks.txt"),
                               QStringLiteral("\"quoted\" start"), QStringLiteral("tab\there"),
                               QStringLiteral("end quote\"")})
        EXPECT_EQ(QProcess::splitCommand(QuoteParameter(one)), QStringList{one})
            << one.toStdString();
}

TEST_F(ExecFile, OpenStartsProgramsAndHandsEverythingElseToTheDesktopOpener)
{
    QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    ASSERT_FALSE(opener.isEmpty()) << "xdg-utils is part of the set-up";
    files::writeTextFile(file(QStringLiteral("Notes.TXT")), QStringLiteral("x"));

    StartCommand doc =
        ResolveStart(QStringLiteral("notes.txt"), QStringLiteral("ignored args"), dir());
    ASSERT_TRUE(doc.ok);
    EXPECT_EQ(doc.program, opener);
    EXPECT_EQ(doc.arguments, QStringList{file(QStringLiteral("Notes.TXT"))})
        << "found without regard to case";

    StartCommand folder = ResolveStart(dir(), QString(), QString());
    ASSERT_TRUE(folder.ok);
    EXPECT_EQ(folder.program, opener);

    StartCommand address =
        ResolveStart(QStringLiteral("https://example.org/a b"), QString(), dir());
    ASSERT_TRUE(address.ok);
    EXPECT_EQ(address.arguments, QStringList{QStringLiteral("https://example.org/a b")});

    StartCommand program = ResolveStart(QStringLiteral("sh"), QStringLiteral("-c 'x y'"), dir());
    ASSERT_TRUE(program.ok);
    EXPECT_EQ(QFileInfo(program.program).fileName(), QStringLiteral("sh"));
    EXPECT_EQ(program.arguments,
              (QStringList{QStringLiteral("-c"), QStringLiteral("'x"), QStringLiteral("y'")}));
    EXPECT_EQ(program.workingDirectory, dir());

    EXPECT_FALSE(ResolveStart(QStringLiteral("no-such-thing.doc"), QString(), dir()).ok);
    EXPECT_FALSE(ResolveStart(QStringLiteral("   "), QString(), dir()).ok);
}

TEST_F(ExecFile, ClipboardToLinesKeepsTheFirstLineAndPassesThroughXclip)
{
    QStringList lines{QStringLiteral("[26-12-08]"), QStringLiteral("old text")};
    EXPECT_TRUE(ClipboardToLines(lines, QStringLiteral("first\r\nsecond\n\nfourth\n")));
    EXPECT_EQ(lines, (QStringList{QStringLiteral("[26-12-08]"), QStringLiteral("first"),
                                  QStringLiteral("second"), QString(), QStringLiteral("fourth")}));
    QString written;
    ASSERT_TRUE(files::readTextFile(file(QStringLiteral("xclip.txt")), &written));
    EXPECT_EQ(written, QStringLiteral("first\nsecond\n\nfourth\n"));

    QStringList empty;
    ClipboardToLines(empty, QStringLiteral("only line"));
    EXPECT_EQ(empty, QStringList{QStringLiteral("only line")});
    QStringList keepOnly{QString()};
    ClipboardToLines(keepOnly, QString());
    EXPECT_EQ(keepOnly, QStringList{QString()});

    // At most 32000 characters come across, a pair of surrogates never split.
    QString big = QString(31999, QLatin1Char('a')) + QString::fromUtf8("\xF0\x9F\x98\x80") +
                  QStringLiteral("tail");
    QStringList one;
    ClipboardToLines(one, big);
    ASSERT_TRUE(files::readTextFile(file(QStringLiteral("xclip.txt")), &written));
    EXPECT_EQ(written.size(), 31999);
    EXPECT_EQ(one, QStringList{QString(31999, QLatin1Char('a'))});
    ClipboardToLines(one, QString(40000, QLatin1Char('b')));
    EXPECT_EQ(one.value(1).size(), 32000);

    QGuiApplication::clipboard()->setText(QStringLiteral("from the clipboard\nline two"));
    QStringList viaSystem{QStringLiteral("stamp")};
    ClipboardToLines(viaSystem);
    EXPECT_EQ(viaSystem, (QStringList{QStringLiteral("stamp"), QStringLiteral("from the clipboard"),
                                      QStringLiteral("line two")}));
}

TEST_F(ExecFile, EditorHandOffsWriteTheWorkFileStartTheEditorAndMinimise)
{
    recordCalls();
    session().settings.textEditor = helper();
    files::writeTextFile(file(QStringLiteral("qb.txt")), QStringLiteral("stale work"));
    ASSERT_TRUE(ClipboardToEditor(QStringLiteral("one\r\ntwo")));
    QString work;
    ASSERT_TRUE(files::readTextFile(file(QStringLiteral("QB.txt")), &work));
    EXPECT_EQ(work, QStringLiteral("one\ntwo\n"));
    EXPECT_EQ(QDir(dir()).entryList({QStringLiteral("qb.txt")}, QDir::Files).size(), 1)
        << "the old work file was replaced, not doubled";
    EXPECT_EQ(helperCall(), (QStringList{dir(), file(QStringLiteral("QB.txt"))}));
    EXPECT_EQ(minimized, 1);

    session().settings.tempTxtFileName = QStringLiteral("my work.txt");
    ASSERT_TRUE(ClipboardToEditor(QStringLiteral("x")));
    EXPECT_EQ(helperCall().value(1), file(QStringLiteral("my work.txt")));

    files::writeTextFile(file(QStringLiteral("qb.ini")), QStringLiteral("[SYSTEM]\r\n"));
    ASSERT_TRUE(WordProcUtility(QStringLiteral("QB.INI")));
    EXPECT_EQ(helperCall().value(1), file(QStringLiteral("qb.ini")));

    ASSERT_TRUE(ViewFile(QStringLiteral("/some folder/outline 1.txt")));
    EXPECT_EQ(helperCall().mid(1), QStringList{QStringLiteral("/some folder/outline 1.txt")});
    ASSERT_TRUE(ShellAnyProgram(helper(), QStringLiteral("https://example.org/?q=a b"),
                                TWState::wsNormalize));
    EXPECT_EQ(helperCall().mid(1), QStringList{QStringLiteral("https://example.org/?q=a b")});
    EXPECT_EQ(minimized, 4) << "ShellAnyProgram leaves the window alone";

    // No editor: told so, and the program stays where it is.
    session().settings.textEditor = QStringLiteral("quillbox-no-such-editor");
    EXPECT_FALSE(ViewFile(file(QStringLiteral("qb.ini"))));
    EXPECT_EQ(minimized, 4);
    ASSERT_EQ(acting.count(), 1);
    EXPECT_EQ(acting.shown[0].request.code, QStringLiteral("ep102"));
    EXPECT_TRUE(
        acting.shown[0].request.message.contains(QStringLiteral("quillbox-no-such-editor")));

    EXPECT_EQ(FileExplorerParameters(QStringLiteral("xdg-open")), dir());
    EXPECT_EQ(FileExplorerParameters(QStringLiteral("/usr/bin/thunar")), QString());
}

TEST_F(ExecFile, MainWindowCommandsSendTheClipboardAndMinimiseTheWindow)
{
    recordCalls();
    session().settings.textEditor = helper();
    TBillBoard window;
    window.show();
    CommandRegistry& commands = window.commands();
    QAction* toEditor = commands.action(QString::fromLatin1(cmd::ClipboardToEditor));
    EXPECT_EQ(toEditor->shortcut(), QKeySequence(Qt::Key_F6));
    EXPECT_TRUE(toEditor->isEnabled());
    EXPECT_TRUE(commands.isBound(QString::fromLatin1(cmd::FileExplorer)));

    QApplication::clipboard()->setText(QStringLiteral("clipped text"));
    toEditor->trigger();
    QString work;
    ASSERT_TRUE(files::readTextFile(file(QStringLiteral("QB.txt")), &work));
    EXPECT_EQ(work, QStringLiteral("clipped text\n"));
    EXPECT_EQ(helperCall().value(1), file(QStringLiteral("QB.txt")));
    EXPECT_TRUE(window.windowState() & Qt::WindowMinimized);

    session().settings.fileHandler = helper();
    window.showNormal();
    EXPECT_TRUE(commands.trigger(QString::fromLatin1(cmd::FileExplorer)));
    EXPECT_EQ(helperCall(), QStringList{dir()}) << "a file manager of its own starts bare";
    EXPECT_TRUE(acting.shown.empty());
}

TEST_F(ExecFile, WhenTheOpenerOpensNothingTheUserIsToldAndTheWindowStays)
{
    // An opener that finds no program for anything, as on a machine without a desktop.
    const QString bin = file(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(bin));
    const QString opener = bin + QStringLiteral("/xdg-open");
    auto writeOpener = [&](int status) {
        QFile::remove(opener);
        files::writeTextFile(opener,
                             QStringLiteral("#!/bin/sh\necho \"xdg-open: no method available for "
                                            "opening '$1'\" >&2\nexit %1\n")
                                 .arg(status));
        QFile::setPermissions(opener, QFile::permissions(opener) | QFileDevice::ExeOwner);
    };
    writeOpener(3);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.toUtf8() + ':' + path);
    struct RestorePath {
        QByteArray path;
        ~RestorePath() { qputenv("PATH", path); }
    } restore{path};
    // Time enough for the opener to give its verdict on a busy machine.
    TExecFile::setPeriodScale(2.0);

    TBillBoard window;
    window.show();
    CommandRegistry& commands = window.commands();
    QApplication::clipboard()->setText(QStringLiteral("clipped text"));
    commands.trigger(QString::fromLatin1(cmd::ClipboardToEditor));
    EXPECT_FALSE(window.windowState() & Qt::WindowMinimized);
    ASSERT_EQ(acting.count(), 1);
    EXPECT_EQ(acting.shown[0].request.code, QStringLiteral("ep102"));
    EXPECT_TRUE(acting.shown[0].request.message.contains(QStringLiteral("status 3")))
        << acting.shown[0].request.message.toStdString();

    commands.trigger(QString::fromLatin1(cmd::FileExplorer));
    ASSERT_EQ(acting.count(), 2);
    EXPECT_EQ(acting.shown[1].request.code, QStringLiteral("qb3338"));

    commands.trigger(QString::fromLatin1(cmd::EditIniFile));
    ASSERT_EQ(acting.count(), 3);
    EXPECT_EQ(acting.shown[2].request.code, QStringLiteral("ep102"));
    EXPECT_FALSE(window.windowState() & Qt::WindowMinimized);

    // An opener that succeeds puts the program away.
    writeOpener(0);
    commands.trigger(QString::fromLatin1(cmd::ClipboardToEditor));
    EXPECT_EQ(acting.count(), 3);
    EXPECT_TRUE(window.windowState() & Qt::WindowMinimized);

    // "&Edit INI-file" hands qb.ini to the configured editor, then reads the settings again.
    window.showNormal();
    recordCalls();
    IniFile::writeStringOnce(session().iniPath(), QStringLiteral("HELPER APPS"),
                             QStringLiteral("TextEditor"), helper());
    session().settings.textEditor = helper();
    commands.trigger(QString::fromLatin1(cmd::EditIniFile));
    EXPECT_EQ(QFileInfo(helperCall().value(1)).fileName().toLower(), QStringLiteral("qb.ini"));
    ASSERT_EQ(acting.count(), 4);
    EXPECT_EQ(acting.shown[3].request.code, QStringLiteral("qb8908"));
}
