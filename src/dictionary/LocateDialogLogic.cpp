#include "dictionary/LocateDialogLogic.h"

#include "dictionary/DictionaryState.h"
#include "dictionary/DictionaryTypes.h"
#include "dictionary/Words.h"
#include "floor/Messages.h"
#include "session/Session.h"

#include <QLocale>
#include <QRegularExpression>

namespace qb {

namespace {

// What a clipboard can propose: its first line, unless it is blank or carries Esc.
QString proposalOf(const QString& clipboard)
{
    QString text = clipboard;
    int cut = text.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    if (cut >= 0) text.truncate(cut);
    if (text.contains(QChar(0x1b)) || text.trimmed().isEmpty() || text <= QStringLiteral(" "))
        return {};
    return text.left(kWordTextLimit);
}

}  // namespace

LocateDialogLogic::LocateDialogLogic() : state_(dictionaryState().locate) {}

bool LocateDialogLogic::incrementalMode() const { return state_.incrementalMode(); }

QString LocateDialogLogic::input() const { return state_.input; }

void LocateDialogLogic::activate(const QString& clipboard)
{
    close_ = false;
    state_.buffer.clear();
    state_.failureCount = 0;
    state_.keepContinuation = false;
    if (!state_.typed.isEmpty()) {
        // A letter typed on the desktop starts a new text, whatever the last one was.
        state_.input = state_.typed;
        state_.typed.clear();
        state_.notFoundCount = 0;
    } else if (state_.input.isEmpty()) {
        state_.input = proposalOf(clipboard);
    }
    selectAll_ = true;
    if (incrementalMode() && state_.notFoundCount > 0) {
        state_.input.clear();
        state_.notFoundCount = 0;
        state_.status = LocateStatus::Idle;
    } else if (state_.continueTyping) {
        selectAll_ = false;
    }
    state_.typingMark = false;
    compact_ = state_.status == LocateStatus::Idle;
}

bool LocateDialogLogic::showButtonVisible() const
{
    return state_.status == LocateStatus::Found && state_.showLayout &&
           state_.countedWordNo == state_.foundWordNo;
}

void LocateDialogLogic::setInput(const QString& text) { state_.input = text.left(kWordTextLimit); }

void LocateDialogLogic::historyPicked(const QString& text)
{
    setInput(text);
    compact_ = true;
}

void LocateDialogLogic::ok()
{
    state_.searchText = QLocale().toLower(state_.input).left(kWordTextLimit);
    state_.fromTop = state_.fromTopChecked;
    QString entry = state_.input.trimmed();
    if (!entry.isEmpty() && !state_.history.contains(entry)) state_.history.prepend(entry);
    if (incrementalMode()) state_.input.clear();
    close_ = true;
}

void LocateDialogLogic::charTyped(QChar c)
{
    if (c == QChar(0x08) || c == QLatin1Char('\r') || c == QLatin1Char('\n') ||
        c == QLatin1Char('-'))
        return;
    state_.typingMark = true;
    state_.continueTyping = true;
}

bool LocateDialogLogic::keyReleased(int key)
{
    if (key == Qt::Key_Space) {
        space();
        return false;
    }
    static const int kNoJump[] = {Qt::Key_Backspace, Qt::Key_Return, Qt::Key_Enter,  Qt::Key_Insert,
                                  Qt::Key_Clear,     Qt::Key_Tab,    Qt::Key_Escape, Qt::Key_Home,
                                  Qt::Key_End,       Qt::Key_Delete, Qt::Key_Left,   Qt::Key_Right};
    if (!incrementalMode() || !state_.typingMark || state_.input.size() <= 1) return false;
    for (int k : kNoJump)
        if (k == key) return false;
    return true;
}

void LocateDialogLogic::bufferTyped(const QString& text) { state_.buffer = text; }

void LocateDialogLogic::space()
{
    state_.input.clear();
    state_.buffer.clear();
}

void LocateDialogLogic::timerFired()
{
    state_.input = (state_.input + state_.buffer).left(kWordTextLimit);
    state_.buffer.clear();
    state_.searchText = QLocale().toLower(state_.input).left(kWordTextLimit);
    state_.fromTop = true;
    state_.keepContinuation = true;
    close_ = true;
}

void LocateDialogLogic::countConcepts()
{
    int word = state_.foundWordNo;
    if (word != state_.countedWordNo || !state_.showLayout) {
        sql::Statement st(session().store.db(),
                          QStringLiteral("SELECT COUNT(DISTINCT D1.C) FROM WORD D, DICT D1 "
                                         "WHERE D.WNo = ?1 AND D1.WNo = D.WNo"));
        st.bind(1, word);
        if (st.next()) {
            state_.statText = QStringLiteral("  ") + QString::number(st.int64Value(0));
            state_.countedWordNo = word;
            state_.showLayout = true;
        } else {
            state_.showLayout = false;
        }
    }
    compact_ = false;
}

void LocateDialogLogic::show()
{
    int word = state_.foundWordNo;
    leave();
    FreeWordDrop(word);
}

void LocateDialogLogic::leave()
{
    state_.typingMark = false;
    state_.input.clear();
    state_.buffer.clear();
    state_.continuation = false;
    close_ = true;
}

void LocateDialogLogic::closed()
{
    if (!state_.keepContinuation) state_.continuation = false;
}

bool LocateDialogLogic::escPressed()
{
    bool stop = ShowInfoIfVerbose(
        QStringLiteral("Esc was pressed - Do you want to stop the current operation? "),
        QStringLiteral("lw238"), kQuestionNo, 40050);
    if (stop) {
        session().flags.requestEscape();
        session().commitRunning.lower();
    }
    return stop;
}

void LocateDialogLogic::ctrlPressed() { state_.fromTopChecked = !state_.fromTopChecked; }

bool LocateDialogLogic::incrementalClicked(bool checked)
{
    state_.incrementalChecked = checked;
    if (incrementalMode()) close_ = true;
    return incrementalMode();
}

}  // namespace qb
