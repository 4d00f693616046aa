#include "shell/DesktopProgram.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QProxyStyle>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <exception>

#include "floor/Messages.h"
#include "platform/Sqlite.h"
#include "session/Engine.h"
#include "session/Session.h"
#include "shell/MainWindow.h"
#include "shell/ProgramText.h"
#include "shell/SingleInstanceGuard.h"
#include "shell/Startup.h"
#include "shell/TerminationRequests.h"
#include "shell/WidgetMessenger.h"

namespace qb {

DesktopStart::DesktopStart() = default;
DesktopStart::DesktopStart(DesktopStart&&) noexcept = default;
DesktopStart::~DesktopStart() = default;

namespace {

// Hints appear after the pause the settings ask for.
class HintPauseStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay) return qMax(0, session().settings.hintPauseLength);
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

QString dirArgument(const QStringList& args, bool* usage)
{
    QString dir;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QStringLiteral("--dir") && i + 1 < args.size())
            dir = args[++i];
        else if (a.startsWith(QStringLiteral("--dir=")))
            dir = a.mid(6);
        else
            *usage = true;
    }
    return dir;
}

}  // namespace

DesktopStart StartDesktopProgram(const QStringList& arguments)
{
    DesktopStart start;
    Session& s = session();
    bool usage = false;
    const QString dir = ChooseStoreDirectory(dirArgument(arguments, &usage));
    if (usage) {
        std::fprintf(stderr, "usage: quillbox [--dir DIR] [--help]\n");
        start.exitCode = 2;
        return start;
    }
    const EntryCheck check = CheckProgramEntry(dir);
    if (!check.ok) {
        PlainMessage(check.message);
        start.exitCode = 1;
        return start;
    }
    s.setDir(dir);
    QDir::setCurrent(s.dir());

    start.guard = std::make_unique<SingleInstanceGuard>(s.dir());
    if (!start.guard->acquire()) {
        if (!start.guard->problem().isEmpty()) {
            PlainMessage(QStringLiteral("Quillbox cannot write in ") + s.dir() +
                         QStringLiteral(": ") + start.guard->problem() +
                         QStringLiteral("\r\nQuillbox ends without changing the store."));
            start.exitCode = 1;
        }
        start.guard.reset();
        return start;  // otherwise the running copy comes forward instead
    }
    // The engine report, as the program entry writes it (a failure to write is ignored).
    EngineAvailable();

    // The windows in their order of creation: the desktop, then the dialogs that exist.
    start.window = std::make_unique<TBillBoard>();
    QObject::connect(start.guard.get(), &SingleInstanceGuard::raiseRequested, start.window.get(),
                     &TBillBoard::restoreFromTray);
    start.window->FormCreate();
    if (s.flags.stopped()) {
        start.window.reset();
        s.store.close();
        start.exitCode = 1;
    }
    return start;
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {48, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1-%2.png")
                         .arg(QString::fromLatin1(kDesktopFileName))
                         .arg(size),
                     QSize(size, size));
    return icon;
}

int RunDesktopProgram(int argc, char** argv)
{
    // The help needs neither a display nor a store.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") != 0) continue;
        std::fputs(PlainHelp(DesktopProgramText()).toLocal8Bit().constData(), stdout);
        return 0;
    }
    QApplication app(argc, argv);
    sql::setDefaultBusyTimeout(sql::kDesktopBusyTimeoutMs);
    QApplication::setApplicationName(QStringLiteral("Quillbox 2000"));
    // Lets the taskbar match the windows with the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopFileName));
    QApplication::setWindowIcon(ProgramIcon());
    QApplication::setStyle(new HintPauseStyle(QApplication::style()->name()));
    // The program ends when the desktop has closed down, not when the last window is hidden (the
    // desktop hides itself while it asks whether to close, and lives on in the tray).
    QApplication::setQuitOnLastWindowClosed(false);
    try {
        WidgetMessenger messenger;
        session().setMessenger(&messenger);
        messenger.dialog();  // the information window, made once and reused
        int result = 0;
        {
            DesktopStart start = StartDesktopProgram(app.arguments());
            if (!start.window) {
                result = start.exitCode;
            } else {
                TBillBoard* window = start.window.get();
                QObject::connect(window, &TBillBoard::closedDown, &app, &QCoreApplication::quit,
                                 Qt::QueuedConnection);
                new TerminationRequests(*window);
                window->show();
                // Under a window manager that gives no activation the first activation still runs.
                QTimer::singleShot(0, window, &TBillBoard::FormActivate);
                result = app.exec();
            }
        }
        session().store.close();
        session().setMessenger(nullptr);
        return result;
    } catch (...) {
    }
    session().setMessenger(nullptr);
    QMessageBox::critical(
        nullptr, QStringLiteral("Quillbox 2000"),
        QStringLiteral("Startup problems - Reinstall the Database Engine or the entire program."));
    return 1;
}

}  // namespace qb
