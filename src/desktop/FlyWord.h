#pragma once

#include "cards/BaseCard.h"
#include "cards/CardData.h"

#include <QLineEdit>

namespace qb {

class TFlyWord;

// A flyword's plain data; a flyword is never stored.
struct FlywordCardData : CardData {
    FlywordCardData() : CardData(CardKind::Flyword) {}
    QString word;  // trimmed, lower case, at most 50 characters
    bool firstSetup = true;
    bool clickPending = false;  // the left button went down on the card
    QPoint pressPoint;          // where, on the screen
};

// The flyword's one-line field. Read-only (display mode) a press on it starts a drag of the
// flyword, and a press released in place counts as a click on the card; editable it is a plain
// line edit. A right press copies the text and starts the tool bar's Find text.
class TFlyWordEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TFlyWordEdit(TFlyWord& card);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

private:
    TFlyWord& card_;
    QPoint pressPoint_;
    bool pressed_ = false;
};

class TFlyWord : public TBasPanel {
    Q_OBJECT
public:
    static constexpr int kFieldHeight = 64;
    static constexpr int kHelpContext = 50062;

    TFlyWord(TDesktop& desktop, Timestamp timestamp);

    FlywordCardData& flyword() { return dataAs<FlywordCardData>(); }
    TFlyWordEdit* field() const { return field_; }
    bool editing() const { return !field_->isReadOnly(); }

    // Places the card (visible coordinates), takes the text and shows the card.
    void SetUp(const QString& text, QPoint visible);
    void ToggleEditMode();
    // Trimming is for a text set whole; while typing, a blank at the end is the next word's gap.
    void FitToText(bool trimField = true);
    // The field's text as the word it carries, for a drag or a copy.
    QString wordText() const;
    void startDrag();
    void searchText();

    void CardMouseUp(Qt::MouseButton button, QPoint global) override;
    void CardMouseDown(Qt::MouseButton button, QPoint global) override;
    void CardEnter() override;
    void ApplyColor() override;

protected:
    void resizeEvent(QResizeEvent* e) override;
    // A left press on the focus mark switches between display and edit mode.
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void placeField();
    void placeKindLabel();
    TFlyWordEdit* field_;
};

// Makes a flyword of a text (cut to 120 characters and cleaned as a file name keeping blanks)
// from a point of the visible desktop, placed by the flyword cascade, with the timestamp as its
// id, brought to the front. Null without a desktop.
TFlyWord* CreateFlyword(QPoint visible, const QString& text, Timestamp timestamp);
// File > New > Flyword: an empty flyword at the pop spot, in edit mode.
TFlyWord* SetUpFlyWordClick();
// Every flyword to the front.
void AllFlyWordsUp();
// A flyword dropped on an empty place of the desktop moves there.
bool DropFlywordOnDesktop(const class DragPayload& payload, QPoint visible);

}  // namespace qb
