#include "dictionary/DictionaryCommands.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "cards/Desktop.h"
#include "dictionary/ConceptCard.h"
#include "dictionary/Concepts.h"
#include "dictionary/DictionaryState.h"
#include "dictionary/DictionaryWindow.h"
#include "dictionary/DictionaryWindowRules.h"
#include "dictionary/DictionaryWindows.h"
#include "dictionary/ExplodeMode.h"
#include "dictionary/LocateDialog.h"
#include "dictionary/NewWordDialog.h"
#include "dictionary/Words.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/MainWindow.h"
#include "session/Session.h"

namespace qb {

namespace {

QString name(const char* command) { return QString::fromLatin1(command); }

// Text fields keep their keys: an item text, a flyword's input, the web browser, the date stamp.
bool takesText(QWidget* w) {
    if (!w) return false;
    if (qobject_cast<QLineEdit*>(w) || qobject_cast<QTextEdit*>(w) ||
        qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w))
        return true;
    auto* combo = qobject_cast<QComboBox*>(w);
    return combo && combo->isEditable();
}

void refreshClipboardSize(TBillBoard& window) {
    window.commands().trigger(name(cmd::RefreshClipboardSize));
}

// The keys the desktop serves itself (its key preview): Insert, "+" and "-", and typing, which
// goes to the dictionary locate.
class DesktopKeys : public QObject {
  public:
    explicit DesktopKeys(TBillBoard& window) : QObject(&window), window_(window) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
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
            window_.commands().trigger(name(cmd::NewWord));
            return true;
        }
        const QString text = key->text();
        if (text == QStringLiteral("+")) {
            ExplodePlusKey();
            RefreshExplodeMarks(window_);
            return true;
        }
        if (text == QStringLiteral("-")) {
            ExplodeMinusKey();
            RefreshExplodeMarks(window_);
            return true;
        }
        if (text.size() != 1 || !text.at(0).isPrint() || !focus) return false;
        // Without a dictionary window on the desktop a typed letter is not a search, and the
        // clipboard is left alone.
        if (!DictionaryWindows::instance().firstShown()) return false;
        if (!DictLocateFromKeyPress(text.at(0))) return false;
        refreshClipboardSize(window_);
        return true;
    }

  private:
    TBillBoard& window_;
};

void setExplode(TBillBoard& window, int value) {
    SetExplodeMode(value);
    RefreshExplodeMarks(window);
}

void fillHooks() {
    DictionaryHooks& hooks = dictionaryHooks();
    hooks.focusLogoPanel = [] {
        if (TBillBoard* main = TBillBoard::instance())
            main->logoPanel()->setFocus(Qt::OtherFocusReason);
    };
    hooks.runNewWordDialog = [](const QString& proposed) {
        RunNewWordDialog(proposed, TBillBoard::instance());
    };
    hooks.runLocateDialog = [] { TLocateInList::run(); };
    hooks.placeConceptCard = [](ConceptCardData& card) {
        TDesktop* desktop = TDesktop::current();
        return desktop && PlaceNewConceptCard(*desktop, card);
    };
    hooks.clipboardText = [] {
        QClipboard* c = QGuiApplication::clipboard();
        return c ? c->text() : QString();
    };
    hooks.setClipboardText = [](const QString& text) {
        if (QClipboard* c = QGuiApplication::clipboard()) c->setText(text);
    };
}

void fillWindowLayout() {
    WindowLayoutHooks& layout = session().shell.windows;
    layout.openDictionaryWindow = [](const DictionaryWindowRestore& saved) {
        TDesktop* desktop = TDesktop::current();
        return desktop && OpenSavedDictionaryWindow(*desktop, saved);
    };
    layout.dictionaryWindows = [] {
        TDesktop* desktop = TDesktop::current();
        return desktop ? OpenDictionaryWindows(*desktop) : std::vector<DictionaryWindowRecord>();
    };
    // Reset Screen: every list card to its first row; the other list cards keep their part.
    auto previous = session().shell.listCardsGoTop;
    session().shell.listCardsGoTop = [previous] {
        if (previous) previous();
        if (TDesktop* desktop = TDesktop::current())
            for (TDict* w : desktop->cardsOf<TDict>()) w->command(QStringLiteral("GoTop"));
    };
}

void bindExplodeEntries(TBillBoard& window) {
    CommandRegistry& c = window.commands();
    TBillBoard* w = &window;
    c.bind(name(cmd::ExplodeOff), [w] { setExplode(*w, int(ExplodeMode::Off)); });
    c.bind(name(cmd::ExplodeOn), [w] { setExplode(*w, int(ExplodeMode::On)); });
    c.bind(name(cmd::ExplodeMaximum), [w] { setExplode(*w, int(ExplodeMode::Maximum)); });
    c.bind(name(cmd::ToggleExplodeMode), [w] {
        ToggleDisplays();
        RefreshExplodeMarks(*w);
    });
    QAction* toggle = c.action(name(cmd::ToggleExplodeMode));
    toggle->setShortcut(QKeySequence(Qt::Key_F10));
    toggle->setShortcutContext(Qt::WindowShortcut);
    window.addAction(toggle);
    // The marks follow the settings, which a start or "Edit INI-file" reads again.
    for (QObject* o : c.action(name(cmd::ExplodeOn))->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(o))
            QObject::connect(menu, &QMenu::aboutToShow, w, [w] { RefreshExplodeMarks(*w); });
    RefreshExplodeMarks(window);
}

}  // namespace

void RefreshExplodeMarks(TBillBoard& window) {
    CommandRegistry& c = window.commands();
    ExplodeIndicator indicator = explodeIndicator();
    const std::pair<const char*, ExplodeMode> entries[] = {
        {cmd::ExplodeOff, ExplodeMode::Off},
        {cmd::ExplodeOn, ExplodeMode::On},
        {cmd::ExplodeMaximum, ExplodeMode::Maximum}};
    for (const auto& [command, mode] : entries) {
        QAction* a = c.action(name(command));
        a->setCheckable(true);
        a->setChecked(indicator.checked == mode);
    }
    window.setExplodeIndicator(int(indicator.checked));
}

void InstallDictionaryCommands(TBillBoard& window) {
    fillHooks();
    fillWindowLayout();
    CommandRegistry& c = window.commands();
    TBillBoard* w = &window;
    TDesktop* desktop = window.desktop();

    c.bind(name(cmd::NewWord), [] { CallNewWord(QString(), false); });
    c.bind(name(cmd::NewConcept), [] { CreateBlankConcept(); });
    c.bind(name(cmd::NewDictionaryWindow), [desktop] { Newdictwindow1Click(*desktop); });
    c.bind(name(cmd::DictionaryWordSearch), [] { DictWordSearch(); });
    c.bind(name(cmd::LocateInDictionary), [] { DictWordSearch(); });
    c.bind(name(cmd::NextDictionaryWordMatch), [] { DictLocateFromMenu(true); });
    c.bindToggle(
        name(cmd::IncrementalDictionarySearch),
        [] {
            bool on = !dictionaryState().locate.incrementalChecked;
            TLocateInList& dialog = TLocateInList::instance();
            if (dialog.isVisible())
                dialog.IncrementalClick(on);
            else
                dictionaryState().locate.incrementalChecked = on;
            return dictionaryState().locate.incrementalChecked;
        },
        dictionaryState().locate.incrementalChecked);
    c.bind(name(cmd::AllDictionaryWordsToClipboard), [w] {
        WordListToClipboard(QStringLiteral("Word.db"), QStringLiteral("1"));
        refreshClipboardSize(*w);
    });
    c.bind(name(cmd::AllInflectionsToClipboard), [w] {
        WordListToClipboard(QStringLiteral("Inflec.db"), QStringLiteral("2"));
        refreshClipboardSize(*w);
    });
    bindExplodeEntries(window);

    qApp->installEventFilter(new DesktopKeys(window));
}

}  // namespace qb
