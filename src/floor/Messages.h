#pragma once

#include "floor/Messenger.h"

#include <QString>

namespace qb {

// The one message, question and input routine. True when the user closed the window with OK or
// Yes; answer then receives the trimmed answer field. While the stop flag is set nothing is shown
// and the result is false.
bool ShowInfo(const QString& message, const QString& code, int kind, QString& answer,
              int helpTopic);
bool ShowInfo(const QString& message, const QString& code, int kind, int helpTopic);

// In Quiet mode: a plain beep and true, nothing shown.
bool ShowInfoIfVerbose(const QString& message, const QString& code, int kind, QString& answer,
                       int helpTopic);
bool ShowInfoIfVerbose(const QString& message, const QString& code, int kind, int helpTopic);
void InfoMessage(const QString& message);
bool AskYesDefault(const QString& question, int helpTopic);
bool AskNoDefault(const QString& question, int helpTopic);
void NonTrivialError(const QString& text);
// A plain message box, shown even while the stop flag is set.
void SysProblem(const QString& text);
void WarningBeep();
void LogProblem(const QString& code);
void NotImplemented();
// A plain message box (the system's "ShowMessage"), suppressed by nothing.
void PlainMessage(const QString& text);

// Esc handling of waits for external programs.
bool GeneralAnulByEsc();
bool GeneralDoNotAnulByEsc();

// Breaks text with CR LF at the last tab, space, "-" or "." before the column limit.
QString WrapMessage(const QString& text, int columns);

namespace messages {
constexpr int kHelpDefault = 60030;
constexpr int kBoldColumns = 50;
constexpr int kNormalColumns = 64;
}  // namespace messages

}  // namespace qb
