#include "desktop/PopulateCommands.h"

#include "cards/Desktop.h"
#include "desktop/DesktopDrop.h"
#include "desktop/PopulateDesktop.h"
#include "desktop/PopulateState.h"
#include "dictionary/Concepts.h"
#include "dictionary/DictionaryWindows.h"
#include "items/ItemHooks.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/MainWindow.h"
#include "session/Session.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>

namespace qb {

namespace {

// A field where Home moves the cursor (an item's text, a flyword's input) keeps the key.
bool editsText(const QWidget* w)
{
    return qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QTextEdit*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w);
}

// The keys of the desktop window. Installed on the application, so it sees a key before the
// widget that has the focus; each event is handled once, where it is first delivered.
class DesktopKeyFilter : public QObject {
public:
    DesktopKeyFilter(QObject* owner, QWidget* window, std::function<void()> resetScreen)
        : QObject(owner), window_(window), resetScreen_(std::move(resetScreen))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease) return false;
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || !window_ || w->window() != window_) return false;
        QWidget* focus = QApplication::focusWidget();
        if (w != focus && !(w == window_ && (!focus || focus->window() != window_))) return false;
        auto* key = static_cast<QKeyEvent*>(e);
        if (e->type() == QEvent::KeyRelease) {
            KeyReleaseFlags();
            return false;
        }
        KeyPressFlags(key->key() == Qt::Key_Escape);
        if (key->key() == Qt::Key_Home && key->modifiers() == Qt::NoModifier && !editsText(focus) && resetScreen_) {
            resetScreen_();
            return true;
        }
        return false;
    }

private:
    QPointer<QWidget> window_;
    std::function<void()> resetScreen_;
};

}  // namespace

void InstallPopulateDesktop(TDesktop& desktop, QWidget* keyWindow, std::function<void()> resetScreen)
{
    QPointer<TDesktop> d(&desktop);
    PopulateState& p = populateState();
    p.hooks.enableDesktop = [d](bool enabled) {
        if (d) d->setEnabled(enabled);
    };
    itemHooks().showConnections = [d](int x, int y, Timestamp itemId) {
        if (d) ShowConnections(*d, x, y, itemId);
    };
    dictionaryHooks().developConcepts = [d](const std::vector<Timestamp>& concepts, QPoint at) {
        int groupColor = 0;
        if (d) DevelopSynWheelSet(*d, concepts, at, kNoItemToSkip, true, groupColor);
    };
    // A dictionary word that no concept holds, dropped on an item card, first becomes a concept
    // card of its own, as it does when dropped on the desktop.
    if (!itemHooks().newConceptCardForWord) {
        itemHooks().newConceptCardForWord = [](const QString& word, int wordNo) {
            // At the creation spot.
            NewConceptRequest request;
            request.withWord = true;
            request.word = word;
            request.wordNo = wordNo;
            NewConcept(request);
        };
    }
    InstallDesktopDrops(desktop);
    if (keyWindow) qApp->installEventFilter(new DesktopKeyFilter(&desktop, keyWindow, std::move(resetScreen)));
}

void InstallPopulateCommands(TBillBoard& window)
{
    TDesktop* desktop = window.desktop();
    InstallPopulateDesktop(*desktop, &window, [&window] { window.ResetMainWindow(); });
    CommandRegistry& commands = window.commands();
    commands.bind(QString::fromLatin1(cmd::PopConcepts), [desktop] { PopConcepts(*desktop); });
    commands.bind(QString::fromLatin1(cmd::PopItems), [desktop] { PopItems(*desktop); });
}

}  // namespace qb
