#include "shell/ExternalProgramCommands.h"

#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "session/ExternalPrograms.h"
#include "shell/MainWindow.h"
#include "session/Session.h"

#include <QApplication>
#include <QClipboard>
#include <QKeySequence>
#include <QPointer>

namespace qb {

namespace {

void SendClipboardToEditor()
{
    QClipboard* clipboard = QApplication::clipboard();
    ClipboardToEditor(clipboard ? clipboard->text() : QString());
}

}  // namespace

void InstallExternalProgramCommands(TBillBoard& window)
{
    QPointer<TBillBoard> guarded(&window);
    SetMinimizeProgramHook([guarded] {
        if (guarded) guarded->showMinimized();
    });

    CommandRegistry& commands = window.commands();
    QAction* toEditor = commands.action(QString::fromLatin1(cmd::ClipboardToEditor));
    toEditor->setShortcut(QKeySequence(Qt::Key_F6));
    // The key works even before a menu carries the action.
    window.addAction(toEditor);
    commands.bind(QString::fromLatin1(cmd::ClipboardToEditor), SendClipboardToEditor);
    commands.bind(QString::fromLatin1(cmd::FileExplorer), [] { FileExplorer(); });
    // "&Edit INI-file" hands the settings file to the text editor.
    session().shell.editFile = [](const QString& path) { return WordProcUtility(QuoteParameter(path)); };
}

}  // namespace qb
