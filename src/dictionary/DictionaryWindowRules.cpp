#include "dictionary/DictionaryWindowRules.h"

#include "dictionary/DictionaryBrowser.h"
#include "dictionary/DictionaryState.h"
#include "dictionary/DictionaryWindows.h"
#include "dictionary/LocateDialogLogic.h"
#include "dictionary/NewWordCheck.h"
#include "dictionary/Words.h"
#include "floor/Messages.h"
#include "platform/TextChecks.h"
#include "session/Session.h"

#include <QLocale>

namespace qb {

namespace {

DictionaryWindows& windows() { return DictionaryWindows::instance(); }

// The word the user picked in the new-word dialog. False when there is none.
bool goToChosenWord(DictionaryWindowHost* preferred)
{
    DictionaryState& ds = dictionaryState();
    QString target = ds.wordToGoTo;
    if (target.isEmpty()) return false;
    if (!target.startsWith(QLatin1Char('*'))) {
        DictionaryWindowHost* w = preferred ? preferred : windows().focusedShown();
        if (!w) w = windows().firstShown();
        if (w)
            GoToWordInWindow(*w, target);
        else
            ds.wordToGoTo.clear();
    } else {
        ds.wordToGoTo.clear();
        FindViaInflections(preferred ? preferred : windows().firstShown(), target.mid(1), true);
    }
    return true;
}

void runNewWordDialog(const QString& proposed, bool atOnce)
{
    const DictionaryHooks& hooks = dictionaryHooks();
    if (atOnce || !hooks.runNewWordDialog) {
        NewWordCheck check(proposed);
        check.ok();
    } else {
        hooks.runNewWordDialog(proposed);
    }
}

}  // namespace

void CallNewWord(const QString& text, bool atOnce)
{
    dictionaryHooks().toLogo();
    runNewWordDialog(text, atOnce);
    if (goToChosenWord(nullptr)) return;
    DictionaryState& ds = dictionaryState();
    bool fronted = false;
    for (DictionaryWindowHost* w : windows().all()) {
        DictionaryBrowser& b = w->browser();
        b.refresh();
        if (!fronted && b.order() == DictOrder::TimeStamp) {
            b.goTop();
            w->bringToFront();
            fronted = true;
        } else {
            b.setOrder(DictOrder::Alphabetical);
            b.positionOnWord(ds.lastNewWord);
        }
        w->rowsChanged();
    }
}

void InsertWordInWindow(DictionaryWindowHost& window)
{
    DictionaryBrowser& b = window.browser();
    if (dictionaryHooks().runNewWordDialog) dictionaryHooks().runNewWordDialog(QString());
    b.reapplyDisplay();
    b.refresh();
    // A match picked in the dialog is shown in this window rather than left for the next locate.
    if (!goToChosenWord(&window)) {
        if (b.order() != DictOrder::TimeStamp) {
            b.setOrder(DictOrder::Alphabetical);
            b.positionOnWord(dictionaryState().lastNewWord);
        } else {
            b.reapplyDisplay();
            b.goTop();
        }
    }
    window.rowsChanged();
}

bool RenameFromInflection(DictionaryWindowHost& window, int wordNo, const QString& newText)
{
    DictionaryBrowser& b = window.browser();
    QString text = QLocale().toLower(LeftCodePoints(newText.trimmed(), kWordFieldLength));
    DictionaryRow row = b.current();
    bool changed = false;
    if (!text.isEmpty() && row.isValid() && text != row.word && row.wordNo == wordNo &&
        !RefuseControlCharacters(text)) {
        if (RenameWordRow(row.rowId, text))
            changed = true;
        else
            ShowInfo(QStringLiteral("Update error: ") + text, QStringLiteral("d761"), kError,
                     messages::kHelpDefault);
    }
    b.refresh();
    b.reapplyDisplay();
    b.setOrder(DictOrder::Alphabetical);
    if (!text.isEmpty()) b.positionOnWord(text);
    window.rowsChanged();
    return changed;
}

bool DropOnDictionary(DictionaryWindowHost& window, const DictDrop& drop)
{
    DictionaryBrowser& b = window.browser();
    if (drop.source == DictDropSource::Flyword) {
        b.searchText = drop.text;
        bool found = !FindViaInflections(&window, drop.text, false).isEmpty();
        window.rowsChanged();
        return found;
    }
    window.setBusy(true);
    bool found = drop.source == DictDropSource::Project
                     ? b.positionOnWord(QLocale().toLower(drop.text))
                     : b.positionOnWordNo(drop.wordNo);
    window.setBusy(false);
    if (found) {
        // The next re-display keeps this row.
        DictionaryRow row = b.current();
        dictionaryState().keys.word = row.word.left(kWordTextLimit);
        dictionaryState().keys.wts = row.wts;
        window.rowsChanged();
        window.bringToFront();
        return true;
    }
    bool quiet = session().settings.quiet;
    switch (drop.source) {
    case DictDropSource::ConceptOrKeyword:
        ShowInfoIfVerbose(QStringLiteral("Word not found in Dictionary table"),
                          QStringLiteral("d467"), kInformation, messages::kHelpDefault);
        break;
    case DictDropSource::Project:
        if (!quiet)
            ShowInfo(QStringLiteral("Word not found in Dictionary as a primary word"),
                     QStringLiteral("d487"), kError, messages::kHelpDefault);
        break;
    case DictDropSource::InflectionWindow:
        if (!quiet)
            ShowInfo(QStringLiteral("Word not found in Dictionary as a primary word"),
                     QStringLiteral("d517"), kError, messages::kHelpDefault);
        break;
    default: break;
    }
    return false;
}

void DictPositionFromMain(int wordNo)
{
    DictionaryWindowHost* w = windows().firstShown();
    if (!w) return;
    DictionaryBrowser& b = w->browser();
    if (!b.positionOnWordNo(wordNo)) b.goLast();
    b.refresh();
    w->rowsChanged();
    w->bringToFront();
    w->focusGrid();
}

void DictLocate(DictionaryWindowHost& window, bool clearText)
{
    DictionaryState& ds = dictionaryState();
    DictLocateState& st = ds.locate;
    DictionaryBrowser& b = window.browser();
    const DictionaryRow start = b.current();
    const int startIndex = b.currentIndex();
    st.caption = QStringLiteral("LOCATE WORD IN DICTIONARY");
    st.status = LocateStatus::Idle;
    do {
        if (st.continuation) st.showDialog = true;
        bool dialogShown = false;
        if (st.showDialog || (st.searchText.isEmpty() && ds.wordToGoTo.isEmpty())) {
            if (clearText) st.searchText.clear();
            if (dictionaryHooks().runLocateDialog) {
                dictionaryHooks().runLocateDialog();
                dialogShown = true;
            }
            // Only a jump keeps the continuation across the dialog's close.
            bool keep = dialogShown && st.keepContinuation;
            st.keepContinuation = false;
            if (!keep) st.continuation = false;
            window.rowsChanged();
        }
        bool failed = false;
        if (!st.searchText.isEmpty() || !ds.wordToGoTo.isEmpty()) {
            window.setBusy(true);
            WordOrderModel& model = b.model();
            bool top = !ds.wordToGoTo.isEmpty() || st.continuation || b.isAtLastRow() ||
                       (st.fromTop && dialogShown);
            int from = top ? 0 : b.currentIndex() + 1;
            if (!ds.wordToGoTo.isEmpty()) {
                int at = model.findExact(ds.wordToGoTo, from);
                if (at >= 0)
                    b.setCurrentIndex(at);
                else
                    b.goLast();
            } else {
                int at = model.findExact(st.searchText, from);
                if (at < 0) at = model.findContaining(st.searchText, top ? 0 : startIndex + 1);
                if (at >= 0) {
                    b.setCurrentIndex(at);
                    st.status = LocateStatus::Found;
                    st.foundWordNo = b.current().wordNo;
                    st.showDialog = false;
                    st.failureCount = 0;
                    if (st.incrementalMode()) LocateDialogLogic().countConcepts();
                    if (st.continuation) b.refresh();
                } else {
                    failed = true;
                    st.showDialog = true;
                    ++st.failureCount;
                    ++st.notFoundCount;
                    st.status = LocateStatus::NotFound;
                    WarningBeep();
                    if (!start.isValid() || !b.positionOnRowId(start.rowId))
                        b.setCurrentIndex(startIndex);
                }
                st.hitReport = QLatin1Char(' ') + b.current().word;
            }
            window.setBusy(false);
            window.rowsChanged();
        }
        if (failed && !st.incrementalMode()) {
            QString text = st.searchText;
            if (ShowInfo(QStringLiteral("Search among inflections?"), QStringLiteral("d982"),
                         kInputRequest, text, messages::kHelpDefault))
                FindViaInflections(&window, text, true);
        }
    } while (st.continuation && !session().flags.stopped());
    st.typed.clear();  // not left for a later opening of the dialog
    st.continuation = false;
    ds.wordToGoTo.clear();
    st.status = LocateStatus::Idle;
}

void DictLocateFromMenu(bool next)
{
    if (DictionaryWindowHost* w = windows().focusedShown()) {
        DictLocate(*w, !next);
        return;
    }
    DictionaryWindowHost* w = windows().firstShown();
    if (!w) return;
    w->focusGrid();
    DictLocate(*w, !next);
    w->bringToFront();
}

void DictWordSearch()
{
    DictLocateState& st = dictionaryState().locate;
    st.showDialog = true;
    st.continuation = false;
    st.incrementalVisible = false;
    DictLocateFromMenu(false);
    st.incrementalVisible = true;
}

void LocateCommand(DictionaryWindowHost& window)
{
    DictLocateState& st = dictionaryState().locate;
    st.incrementalVisible = false;
    st.showDialog = true;
    DictLocate(window, true);
    st.incrementalVisible = true;
}

bool DictLocateFromKeyPress(QChar c)
{
    if (c == QLatin1Char('+') || c == QLatin1Char('-') || c == QChar(0x1b) ||
        c == QLatin1Char('\r') || c == QLatin1Char('\n'))
        return false;
    // Handed to the dialog directly: what the user copied stays on the clipboard.
    DictLocateState& st = dictionaryState().locate;
    st.typed = QLocale().toLower(QString(c));
    st.continuation = true;
    st.continueTyping = true;
    st.status = LocateStatus::TypingBegan;
    DictLocateFromMenu(false);
    return true;
}

void GoToWordInWindow(DictionaryWindowHost& window, const QString& word)
{
    DictionaryState& ds = dictionaryState();
    ds.wordToGoTo = word;
    ds.locate.showDialog = false;
    ds.locate.continuation = false;
    DictLocate(window, false);
    window.bringToFront();
}

}  // namespace qb
