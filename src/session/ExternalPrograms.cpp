#include "session/ExternalPrograms.h"

#include "floor/Messages.h"
#include "floor/Messenger.h"
#include "floor/Settings.h"
#include "platform/FileNames.h"
#include "session/Session.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeDatabase>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

namespace qb {

namespace {

constexpr int kInstallationHelp = 50110;

std::function<void()>& minimizeHook()
{
    static std::function<void()> hook;
    return hook;
}

QString normalizedBreaks(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// The lines of a text as a list of lines holds them: a final line break ends the last line
// rather than starting an empty one.
QStringList linesOf(const QString& text)
{
    QString t = normalizedBreaks(text);
    if (t.isEmpty()) return {};
    if (t.endsWith(QLatin1Char('\n'))) t.chop(1);
    return t.split(QLatin1Char('\n'));
}

QString limited(const QString& text, int limit)
{
    if (text.size() <= limit) return text;
    // Never keep half of a surrogate pair.
    int cut = limit;
    if (text.at(cut - 1).isHighSurrogate()) --cut;
    return text.left(cut);
}

QString storeDir()
{
    QString dir = session().dir();
    return dir.isEmpty() ? QDir::currentPath() : dir;
}

void reportEditorNotStarted(const TExecFile& runner)
{
    QString text = QStringLiteral("The text editor could not be started: ") + runner.FileName;
    if (!runner.startError().isEmpty())
        text += QStringLiteral(" (") + runner.startError() + QLatin1Char(')');
    text += QStringLiteral("\r\nCheck [HELPER APPS] TextEditor in qb.ini.");
    ShowInfo(text, QStringLiteral("ep102"), kError, kInstallationHelp);
}

// Runs the text editor on a parameter text, maximised and without waiting; the program goes
// out of the way only once the editor is on its way.
bool startEditor(const QString& parameters)
{
    TExecFile runner = ExtProgram1Runner();
    runner.FileName = session().settings.textEditor;
    runner.FilePath = storeDir();
    runner.Parameters = parameters;
    runner.Windowstyle = TWState::wsMaximize;
    bool ok = runner.Execute();
    if (!ok) {
        reportEditorNotStarted(runner);
        return false;
    }
    MinimizeProgram();
    return true;
}

// One answer line of xdg-mime; empty when it is missing, fails or says nothing.
QString askXdgMime(const QStringList& arguments)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (program.isEmpty()) return QString();
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(1000);
        return QString();
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) return QString();
    return QString::fromLocal8Bit(process.readAllStandardOutput())
        .section(QLatin1Char('\n'), 0, 0)
        .trimmed();
}

// The program a desktop entry starts: the first word of its Exec line, found as a path or on
// PATH. None for an entry with Terminal=true: started without a terminal, such a program (vim,
// say) would run unseen, so the caller's fallback, the text editor, is used instead.
QString programOfDesktopEntry(const QString& id)
{
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QString home = env.value(QStringLiteral("XDG_DATA_HOME"));
    if (home.isEmpty()) home = QDir::homePath() + QStringLiteral("/.local/share");
    QString shared = env.value(QStringLiteral("XDG_DATA_DIRS"));
    if (shared.isEmpty()) shared = QStringLiteral("/usr/local/share:/usr/share");
    QStringList dirs{home};
    dirs += shared.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& dir : dirs) {
        QFile entry(dir + QStringLiteral("/applications/") + id);
        if (!entry.open(QIODevice::ReadOnly)) continue;
        bool inEntry = false;
        bool terminal = false;
        QString exec;
        const QStringList lines = QString::fromUtf8(entry.readAll()).split(QLatin1Char('\n'));
        for (QString line : lines) {
            line = line.trimmed();
            if (line.startsWith(QLatin1Char('['))) {
                inEntry = line == QStringLiteral("[Desktop Entry]");
                continue;
            }
            if (!inEntry) continue;
            if (line.startsWith(QStringLiteral("Exec=")) && exec.isNull())
                exec = line.mid(5);
            else if (line.startsWith(QStringLiteral("Terminal=")))
                terminal = line.mid(9).trimmed() == QStringLiteral("true");
        }
        if (exec.isNull()) continue;
        if (terminal) return QString();
        const QStringList words = QProcess::splitCommand(exec);
        if (words.isEmpty()) return QString();
        const QString& first = words.first();
        if (first.startsWith(QLatin1Char('/'))) return QFileInfo::exists(first) ? first : QString();
        return QStandardPaths::findExecutable(first);
    }
    return QString();
}

}  // namespace

TExecFile ExtProgram1Runner()
{
    TExecFile runner(QStringLiteral("ExtProgram1"));
    runner.Wait = false;
    runner.Windowstyle = TWState::wsMaximize;
    runner.setWaitPeriodLength(1001);
    runner.WaitAttempts = 3;
    runner.InfoText = QStringLiteral("External program.");
    runner.IsAnulledByCaller = GeneralAnulByEsc;
    return runner;
}

TExecFile FileHandlerRunner()
{
    TExecFile runner(QStringLiteral("FileHandler"));
    runner.Wait = false;
    runner.Windowstyle = TWState::wsNormalize;
    runner.setWaitPeriodLength(3000);
    runner.WaitAttempts = 0;
    runner.InfoText = QStringLiteral("Filehandler startup");
    return runner;
}

void SetMinimizeProgramHook(std::function<void()> hook) { minimizeHook() = std::move(hook); }

void MinimizeProgram()
{
    if (minimizeHook()) minimizeHook()();
}

bool WordProcUtility(const QString& parameter)
{
    QStringList arguments = QProcess::splitCommand(parameter);
    QStringList quoted;
    for (const QString& argument : arguments) {
        QString path = argument;
        if (!argument.contains(QLatin1Char('/')) && files::exists(storeDir(), argument))
            path = files::resolve(storeDir(), argument);
        quoted << QuoteParameter(path);
    }
    return startEditor(quoted.join(QLatin1Char(' ')));
}

bool ClipboardToEditor(const QString& clipboardText)
{
    const QString name = session().settings.tempTxtFileName;
    if (!files::removeIfPresent(storeDir(), name)) {
        ShowInfo(QStringLiteral("Could not replace the editor work file ") +
                     files::resolve(storeDir(), name),
                 QStringLiteral("ep101"), kError, kInstallationHelp);
        return false;
    }
    QString path = files::resolve(storeDir(), name);
    QStringList lines = linesOf(clipboardText);
    QString content =
        lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    QString error;
    if (!files::writeTextFile(path, content, &error)) {
        ShowInfo(QStringLiteral("Could not write the editor work file ") + path +
                     QStringLiteral("\r\n") + error,
                 QStringLiteral("ep101"), kError, kInstallationHelp);
        return false;
    }
    return startEditor(QuoteParameter(QFileInfo(path).absoluteFilePath()));
}

bool ClipboardToEditor() { return ClipboardToEditor(SystemClipboardText()); }

bool ViewFile(const QString& path) { return startEditor(QuoteParameter(path)); }

QString FileExplorerParameters(const QString& fileHandler)
{
    // Started bare, xdg-open only prints its usage.
    if (QFileInfo(fileHandler.trimmed()).fileName() == QStringLiteral("xdg-open"))
        return QuoteParameter(storeDir());
    return QString();
}

bool FileExplorer()
{
    TExecFile runner = FileHandlerRunner();
    runner.FileName = session().settings.fileHandler;
    runner.FilePath = storeDir();
    runner.Parameters = FileExplorerParameters(runner.FileName);
    bool ok = runner.Execute();
    if (!ok)
        ShowInfo(QStringLiteral("The file explorer setup is not OK"), QStringLiteral("qb3338"),
                 kError, kInstallationHelp);
    return ok;
}

bool ShellAnyProgram(const QString& program, const QString& parameter, TWState windowStyle)
{
    TExecFile runner(QStringLiteral("ShellAnyProgram"));
    runner.FileName = program;
    runner.FilePath = storeDir();
    runner.Parameters = QuoteParameter(parameter);
    runner.InfoText = QStringLiteral("Calling external program");
    runner.setWaitPeriodLength(7000);
    runner.WaitAttempts = 3;
    runner.Wait = false;
    runner.Windowstyle = windowStyle;
    return runner.Execute();
}

bool OpenInBrowser(const QString& address)
{
    const QString browser = session().settings.webBrowser.trimmed();
    if (browser.isEmpty() || !ProgramExists(browser)) {
        ShowInfo(QString::fromLatin1(externalprograms::kBrowserNotFound), QString(), kError,
                 kInstallationHelp);
        return false;
    }
    return ShellAnyProgram(browser, address, TWState::wsNormalize);
}

QString FindRegisteredProgram(const QString& extension)
{
    const QString ext = extension.trimmed();
    if (ext.isEmpty() || ext.contains(QLatin1Char('/'))) return QString();
    // Asked about a file of that name, which is made for the question and removed after it.
    const QString name = QStringLiteral("~~~~~~~~.") + ext;
    const QString path = QDir(storeDir()).absoluteFilePath(name);
    const bool made = !QFileInfo::exists(path) && files::writeTextFile(path, QString());
    QString type = askXdgMime({QStringLiteral("query"), QStringLiteral("filetype"), path});
    if (made) QFile::remove(path);
    // Some answer by content, and an empty file has none: the name then tells the type.
    if (type.isEmpty() || type == QStringLiteral("inode/x-empty") ||
        type == QStringLiteral("application/x-zerosize")) {
        const QMimeType byName =
            QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
        type = byName.isDefault() ? QString() : byName.name();
    }
    if (type.isEmpty()) return QString();
    const QString entry = askXdgMime({QStringLiteral("query"), QStringLiteral("default"), type});
    if (entry.isEmpty()) return QString();
    return programOfDesktopEntry(entry);
}

QString FindDefaultBrowser() { return FindRegisteredProgram(QStringLiteral("htm")); }

bool ClipboardToLines(QStringList& lines, const QString& clipboardText)
{
    QString text = limited(clipboardText, externalprograms::kClipboardLimit);
    const QString name = QStringLiteral("xclip.txt");
    bool transferred = files::removeIfPresent(storeDir(), name);
    QString path = files::resolve(storeDir(), name);
    transferred = transferred && files::writeTextFile(path, text);
    QString loaded;
    transferred = transferred && files::readTextFile(path, &loaded);
    // The file is only the way across: without it the text still reaches the list.
    if (!transferred) loaded = text;

    bool hasFirst = !lines.isEmpty();
    QString first = hasFirst ? lines.first() : QString();
    lines = linesOf(loaded);
    if (hasFirst) lines.prepend(first);
    return transferred;
}

bool ClipboardToLines(QStringList& lines) { return ClipboardToLines(lines, SystemClipboardText()); }

QString SystemClipboardText()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return QString();
    QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text() : QString();
}

}  // namespace qb
