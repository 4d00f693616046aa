#include "desktop/PopulateCommands.h"

#include "cards/Desktop.h"
#include "desktop/PopulateState.h"
#include "dictionary/Concepts.h"

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
        if (key->key() == Qt::Key_Home && key->modifiers() == Qt::NoModifier && !editsText(focus) &&
            resetScreen_) {
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

void NewConceptAtCreateSpot(const QString& word, int wordNo)
{
    NewConceptRequest request;
    request.withWord = true;
    request.word = word;
    request.wordNo = wordNo;
    NewConcept(request);
}

void InstallDesktopKeys(TDesktop& desktop, QWidget* keyWindow, std::function<void()> resetScreen)
{
    if (keyWindow)
        qApp->installEventFilter(new DesktopKeyFilter(&desktop, keyWindow, std::move(resetScreen)));
}

}  // namespace qb
