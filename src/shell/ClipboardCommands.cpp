#include "shell/ClipboardCommands.h"

#include "desktop/FlyWord.h"
#include "floor/Messages.h"
#include "session/Session.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTextEdit>
#include <QTreeWidget>

namespace qb {

namespace {

void undefined(const char* code)
{
    ShowInfo(QStringLiteral("Menu-initiated clipboard copy or paste operation undefined or failed"),
             QString::fromLatin1(code), kInformation, 30040);
}

void clipboardChanged()
{
    if (session().shell.clipboardChanged) session().shell.clipboardChanged();
}

void setClipboard(const QString& text)
{
    if (QClipboard* c = QGuiApplication::clipboard()) c->setText(text);
}

bool isTextArea(QWidget* w)
{
    return qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QTextEdit*>(w);
}

// An editable one-line field (a flyword being edited) is served like a text area.
QLineEdit* editableLine(QWidget* w)
{
    auto* line = qobject_cast<QLineEdit*>(w);
    return line && !line->isReadOnly() ? line : nullptr;
}

void copy(QWidget* w)
{
    if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        plain->copy();
    } else if (auto* rich = qobject_cast<QTextEdit*>(w)) {
        rich->copy();
    } else if (auto* line = qobject_cast<QLineEdit*>(w)) {
        // A flyword gives its whole text; another field its selection.
        if (qobject_cast<TFlyWordEdit*>(w) || !line->hasSelectedText())
            setClipboard(line->text());
        else
            line->copy();
    } else if (auto* tree = qobject_cast<QTreeWidget*>(w)) {
        QTreeWidgetItem* node = tree->currentItem();
        if (!node) {
            undefined("qb3395");
            return;
        }
        setClipboard(node->text(0));
    } else if (auto* list = qobject_cast<QListWidget*>(w)) {
        QListWidgetItem* row = list->currentItem();
        if (!row) {
            undefined("qb3395b");
            return;
        }
        setClipboard(row->text());
    } else if (auto* grid = qobject_cast<QTableView*>(w)) {
        const QModelIndex index = grid->currentIndex();
        if (!grid->model() || grid->model()->rowCount() < 1 || !index.isValid()) return;
        setClipboard(index.data(Qt::DisplayRole).toString());
    } else {
        undefined("qb3395b");
        return;
    }
    clipboardChanged();
}

bool logoPanelFocused(QWidget* w) { return w && w->objectName() == QStringLiteral("logoPanel"); }

}  // namespace

void RunEditCommand(EditCommand command, QWidget* w)
{
    switch (command) {
    case EditCommand::Copy: copy(w); return;
    case EditCommand::Cut:
        if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
            plain->cut();
        else if (auto* rich = qobject_cast<QTextEdit*>(w))
            rich->cut();
        else if (QLineEdit* line = editableLine(w))
            line->cut();
        else
            return undefined("qb3392");
        clipboardChanged();
        return;
    case EditCommand::Paste:
        if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
            plain->paste();
        else if (auto* rich = qobject_cast<QTextEdit*>(w))
            rich->paste();
        else if (QLineEdit* line = editableLine(w))
            line->paste();
        else
            undefined("qb3397");
        return;
    case EditCommand::SelectAll:
        if (logoPanelFocused(w)) return;
        if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
            plain->selectAll();
        else if (auto* rich = qobject_cast<QTextEdit*>(w))
            rich->selectAll();
        else if (auto* line = qobject_cast<QLineEdit*>(w))
            line->selectAll();
        else
            undefined("qb3351");
        return;
    case EditCommand::SelectAndCopyAll:
        // A list or a grid has nothing to select: its copy takes the current line.
        if (isTextArea(w) || qobject_cast<QLineEdit*>(w)) RunEditCommand(EditCommand::SelectAll, w);
        copy(w);
        return;
    }
}

void RunEditCommand(EditCommand command) { RunEditCommand(command, QApplication::focusWidget()); }

}  // namespace qb
