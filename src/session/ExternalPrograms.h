#pragma once

#include "session/ExecFile.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace qb {

// The main window's two runners, set up as it keeps them.
TExecFile ExtProgram1Runner();  // the text editor
TExecFile FileHandlerRunner();  // the file manager

// "Minimise the program": shell/Wiring.cpp installs what puts the main window away. Without one
// (CLI, core tests) nothing happens.
void SetMinimizeProgramHook(std::function<void()> hook);
void MinimizeProgram();

// Starts the text editor with a parameter text and minimises the program. Arguments that name
// a file of the store directory are given as that file's path, matched without regard to case
// ("QB.INI" opens qb.ini). A failed start is reported here and leaves the window as it was.
bool WordProcUtility(const QString& parameter);

// Writes the text to the editor's work file ([WORD PROCESSING] TempTxtFileName, in the store
// directory), starts the text editor on it and minimises the program.
bool ClipboardToEditor(const QString& clipboardText);
// The same with the text of the system clipboard.
bool ClipboardToEditor();

// Shows a file in the text editor and minimises the program.
bool ViewFile(const QString& path);

// "&File Explorer": starts [HELPER APPS] FileHandler; reports "The file explorer setup is not OK".
bool FileExplorer();
// Parameters for the file manager: a desktop opener gets the store directory to show.
QString FileExplorerParameters(const QString& fileHandler);

// Starts a program once with one parameter (a path or an address); the caller reports failure.
bool ShellAnyProgram(const QString& program, const QString& parameter, TWState windowStyle);

// Opens an address in [HELPER APPS] WebBrowser, handed over as one argument (never through a
// shell line). False when the browser is not set or not there ("The registered Browser program
// was not found", reported here) or did not start.
bool OpenInBrowser(const QString& address);

// The program registered for files of an extension ("txt", no dot), found through xdg-mime on an
// empty file "~~~~~~~~.<extension>" made for the question in the store directory; empty when none.
QString FindRegisteredProgram(const QString& extension);
// The program registered for web pages (".htm"); empty when none.
QString FindDefaultBrowser();

// Replaces every line of the list but its first by the clipboard text (at most 32000
// characters), passed through xclip.txt in the store directory. False when that file could not
// be written or read back; the list gets the text all the same.
bool ClipboardToLines(QStringList& lines, const QString& clipboardText);
bool ClipboardToLines(QStringList& lines);

// The system clipboard's text; empty without a clipboard (the CLI).
QString SystemClipboardText();

namespace externalprograms {
constexpr int kClipboardLimit = 32000;
inline constexpr char kBrowserNotFound[] = "The registered Browser program was not found";
}

}  // namespace qb
