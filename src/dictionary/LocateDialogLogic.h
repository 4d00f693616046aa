#pragma once

#include <QString>

namespace qb {

struct DictLocateState;

// The rules of the dictionary locate dialog (TLocateInList) in plain and incremental mode. Its
// state lives in dictionaryState().locate, shared with the search of the dictionary windows, so
// the widget keeps nothing of its own: it calls these on its events and shows what they say.
class LocateDialogLogic {
public:
    static constexpr int kWidth = 383;
    static constexpr int kFullHeight = 160;
    static constexpr int kCompactHeight = 114;

    LocateDialogLogic();

    // Opening; clipboard is the clipboard's text.
    void activate(const QString& clipboard);
    bool incrementalMode() const;
    bool compact() const { return compact_; }
    int height() const { return compact_ ? kCompactHeight : kFullHeight; }
    bool countButtonVisible() const { return !incrementalMode(); }  // "C"
    bool fromTopVisible() const { return !incrementalMode(); }
    bool selectAllOnOpen() const { return selectAll_; }
    bool showButtonVisible() const;
    bool okVisible() const { return !showButtonVisible(); }

    QString input() const;
    // The user edited the field or picked an entry of the history (which makes it compact).
    void setInput(const QString& text);
    void historyPicked(const QString& text);

    // OK in plain mode (Enter in incremental mode). The dialog closes afterwards.
    void ok();

    // Incremental typing. charTyped for each character typed into the field; keyReleased (a
    // Qt::Key) answers whether the typing pause starts now (focus to the key buffer, timer on).
    void charTyped(QChar c);
    bool keyReleased(int key);
    void bufferTyped(const QString& text);
    void space();
    // The pause is over: jump. The dialog closes and the window's search reopens it.
    void timerFired();

    // "C": the found word's number of concepts, and the Show layout.
    void countConcepts();
    // Show: the word's concepts onto the desktop; the dialog is left.
    void show();
    // Close, a click into the hit report.
    void leave();
    // Every close: the continuation survives only a jump.
    void closed();

    // Esc: the stop question; true when the user wants to stop.
    bool escPressed();
    // Ctrl toggles "From top".
    void ctrlPressed();
    // The "Incremental" box (or its menu entry); true when the dialog should now be left.
    bool incrementalClicked(bool checked);

    // True once the dialog should close (OK, a jump, Show, leave, an Incremental click).
    bool closeRequested() const { return close_; }

private:
    DictLocateState& state_;
    bool compact_ = true;
    bool selectAll_ = true;
    bool close_ = false;
};

}  // namespace qb
