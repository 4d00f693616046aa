#pragma once

#include <QChar>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

namespace qb {

// A fixed row of the card command panel: its caption, the hint of its button, the command name
// it leaves behind, and the letters that choose it.
struct CommandRow {
    QString caption;
    QString hint;
    QString command;
    QString keys;
};

namespace commandpanel {
constexpr int kWidth = 189;
constexpr int kRowHeight = 26;
constexpr int kHeightExtra = 24;
constexpr int kCleanHeight = 490;
constexpr int kScreenMargin = 44;
constexpr int kHelpContext = 60020;
constexpr int kDialogHelpContext = 50080;
}  // namespace commandpanel

// The fixed rows in the order of the panel's design.
const std::vector<CommandRow>& FixedCommandRows();
const CommandRow* FixedCommandRow(const QString& command);
// The command a letter chooses (upper or lower case), empty for keys without one.
QString CommandForKey(QChar key);
// The caption the row of a command had originally (the cards relabel some rows while open).
QString DefaultCaption(const QString& command);

// The send rows of the panel: one per usable XML target of the settings, captioned "->" and the
// target's name (byName) or folder, sending "XMLSend1" ... "XMLSend3".
struct XmlSendRow {
    QString caption;
    QString command;
};
std::vector<XmlSendRow> XmlSendRows(bool byName);
// The target (1-3) of a send command, 0 for other commands.
int XmlSendTarget(const QString& command);

// Height of the panel for a number of shown rows.
inline int PanelHeight(int shownRows)
{
    return shownRows * commandpanel::kRowHeight + commandpanel::kHeightExtra;
}
// Where the panel first stands for a press at `pointer` (screen coordinates).
inline QPoint PanelOrigin(QPoint pointer) { return pointer + QPoint(-24, 44); }
// Moves a panel of the given frame so that 44 pixels stay free to the right and below on the
// screen.
QPoint KeepOnScreen(QPoint topLeft, QSize frame, QSize screen);

// "&Word" as rich text with the accelerator underlined; "&&" is one ampersand.
QString AcceleratorToRichText(const QString& caption);
// "*.wav sound files|*.wav" (description|pattern pairs) as a Qt file-dialog filter.
QString FilterToQt(const QString& filter);

}  // namespace qb
