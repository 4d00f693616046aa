#include "dictionary/DictionaryCommands.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "cards/Desktop.h"
#include "dictionary/DictionaryState.h"
#include "dictionary/DictionaryWindow.h"
#include "dictionary/DictionaryWindowRules.h"
#include "dictionary/DictionaryWindows.h"
#include "dictionary/ExplodeMode.h"
#include "dictionary/LocateDialog.h"
#include "session/Session.h"

namespace qb {

namespace {

// Text fields keep their keys: an item text, a flyword's input, the web browser, the date stamp.
bool takesText(QWidget* w)
{
    if (!w) return false;
    // A flyword in display mode is read-only: the desktop's keys go on working there.
    if (auto* line = qobject_cast<QLineEdit*>(w)) return !line->isReadOnly();
    if (qobject_cast<QTextEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
        qobject_cast<QAbstractSpinBox*>(w))
        return true;
    auto* combo = qobject_cast<QComboBox*>(w);
    return combo && combo->isEditable();
}

// The keys the desktop serves itself (its key preview): Insert, "+" and "-", and typing, which
// goes to the dictionary locate.
class DesktopKeys : public QObject {
public:
    DesktopKeys(QWidget& window, std::function<void()> newWord,
                std::function<void()> explodeChanged)
        : QObject(&window),
          window_(window),
          newWord_(std::move(newWord)),
          explodeChanged_(std::move(explodeChanged))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress) return false;
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || w->window() != &window_) return false;
        QWidget* focus = QApplication::focusWidget();
        // The event passes each parent of the focused control; it is taken once.
        if (focus ? w != focus : w != &window_) return false;
        if (takesText(focus)) return false;
        auto* key = static_cast<QKeyEvent*>(e);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;
        if (key->key() == Qt::Key_Insert) {
            if (key->modifiers() & Qt::ShiftModifier) return false;
            if (newWord_) newWord_();
            return true;
        }
        const QString text = key->text();
        if (text == QStringLiteral("+")) {
            ExplodePlusKey();
            if (explodeChanged_) explodeChanged_();
            return true;
        }
        if (text == QStringLiteral("-")) {
            ExplodeMinusKey();
            if (explodeChanged_) explodeChanged_();
            return true;
        }
        if (text.size() != 1 || !text.at(0).isPrint() || !focus) return false;
        // Without a dictionary window on the desktop a typed letter is not a search, and the
        // clipboard is left alone.
        if (!DictionaryWindows::instance().firstShown()) return false;
        if (!DictLocateFromKeyPress(text.at(0))) return false;
        if (session().shell.clipboardChanged) session().shell.clipboardChanged();
        return true;
    }

private:
    QWidget& window_;
    std::function<void()> newWord_;
    std::function<void()> explodeChanged_;
};

}  // namespace

void InstallDictionaryKeys(QWidget& window, std::function<void()> newWord,
                           std::function<void()> explodeChanged)
{
    qApp->installEventFilter(
        new DesktopKeys(window, std::move(newWord), std::move(explodeChanged)));
}

bool ToggleIncrementalSearch()
{
    bool on = !dictionaryState().locate.incrementalChecked;
    TLocateInList& dialog = TLocateInList::instance();
    if (dialog.isVisible())
        dialog.IncrementalClick(on);
    else
        dictionaryState().locate.incrementalChecked = on;
    return dictionaryState().locate.incrementalChecked;
}

void DictionaryWindowsGoTop(TDesktop& desktop)
{
    for (TDict* w : desktop.cardsOf<TDict>()) w->command(QStringLiteral("GoTop"));
}

}  // namespace qb
