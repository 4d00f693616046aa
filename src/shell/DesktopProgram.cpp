#include "shell/DesktopProgram.h"

#include "shell/MainWindow.h"
#include "shell/Messages.h"
#include "shell/Session.h"
#include "shell/ShowInfoDialog.h"
#include "shell/SingleInstanceGuard.h"
#include "shell/Startup.h"
#include "shell/WidgetMessenger.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QProxyStyle>
#include <QTimer>

#include <cstdio>
#include <exception>

namespace qb {

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
        if (a == QStringLiteral("--dir") && i + 1 < args.size()) dir = args[++i];
        else if (a.startsWith(QStringLiteral("--dir="))) dir = a.mid(6);
        else if (a == QStringLiteral("--dir")) *usage = true;
    }
    return dir;
}

int run(QApplication& app)
{
    Session& s = session();
    WidgetMessenger messenger;
    s.setMessenger(&messenger);
    struct ResetMessenger {
        ~ResetMessenger() { session().setMessenger(nullptr); }
    } resetMessenger;

    bool usage = false;
    const QString dir = ChooseStoreDirectory(dirArgument(app.arguments(), &usage));
    if (usage) {
        std::fprintf(stderr, "usage: quillbox [--dir DIR]\n");
        return 2;
    }

    const EntryCheck check = CheckProgramEntry(dir);
    if (!check.ok) {
        PlainMessage(check.message);
        return 1;
    }
    s.setDir(dir);
    QDir::setCurrent(s.dir());

    SingleInstanceGuard guard(s.dir());
    if (!guard.acquire()) return 0;  // the running copy comes forward instead

    // The windows in their order of creation: the desktop first, then the dialogs.
    TBillBoard window;
    messenger.dialog();  // the information window, reused for every message
    QObject::connect(&guard, &SingleInstanceGuard::raiseRequested, &window, &TBillBoard::restoreFromTray);
    QObject::connect(&window, &TBillBoard::closedDown, &app, &QCoreApplication::quit, Qt::QueuedConnection);

    window.FormCreate();
    if (s.stopFlag) {
        s.store.close();
        return 1;
    }
    window.show();
    // Under a window manager that gives no activation the first activation still runs.
    QTimer::singleShot(0, &window, &TBillBoard::FormActivate);
    const int result = app.exec();
    s.store.close();
    return result;
}

}  // namespace

int RunDesktopProgram(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillbox 2000"));
    QApplication::setStyle(new HintPauseStyle(QApplication::style()->name()));
    try {
        return run(app);
    } catch (const std::exception&) {
    } catch (...) {
    }
    QMessageBox::critical(nullptr, QStringLiteral("Quillbox 2000"),
                          QStringLiteral("Startup problems - Reinstall the Database Engine or the entire program."));
    return 1;
}

}  // namespace qb
