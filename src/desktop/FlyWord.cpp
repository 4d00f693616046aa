#include "desktop/FlyWord.h"

#include "cards/CardPartsPanel.h"
#include "cards/Desktop.h"
#include "cards/DragGrid.h"
#include "cards/DragPayload.h"
#include "desktop/FlyWordRules.h"
#include "floor/Messages.h"
#include "platform/Colors.h"
#include "platform/TextChecks.h"
#include "session/Session.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>

#include <cmath>

namespace qb {

namespace {

// The 5/6-pixel rule: a release this near the press is a click, not a move.
bool isClick(QPoint pressed, QPoint released)
{
    return std::abs(released.x() - pressed.x()) <= 5 && std::abs(released.y() - pressed.y()) < 6;
}

constexpr int kDisplayColor = 255;  // red

}  // namespace

// --- the field ---

TFlyWordEdit::TFlyWordEdit(TFlyWord& card) : QLineEdit(&card), card_(card)
{
    setObjectName(QStringLiteral("flywordField"));
    setContextMenuPolicy(Qt::NoContextMenu);
    setFrame(false);
    setMaxLength(kFlywordSourceLimit);
}

void TFlyWordEdit::mousePressEvent(QMouseEvent* e)
{
    card_.bringToFront();
    if (e->button() == Qt::RightButton) {
        card_.searchText();
        e->accept();
        return;
    }
    if (isReadOnly() && e->button() == Qt::LeftButton) {
        pressed_ = true;
        pressPoint_ = e->position().toPoint();
        setFocus(Qt::MouseFocusReason);
        e->accept();
        return;
    }
    QLineEdit::mousePressEvent(e);
}

void TFlyWordEdit::mouseMoveEvent(QMouseEvent* e)
{
    if (pressed_ && isReadOnly()) {
        if ((e->position().toPoint() - pressPoint_).manhattanLength() >=
            QApplication::startDragDistance()) {
            pressed_ = false;
            card_.startDrag();
        }
        e->accept();
        return;
    }
    QLineEdit::mouseMoveEvent(e);
}

void TFlyWordEdit::mouseReleaseEvent(QMouseEvent* e)
{
    if (pressed_ && isReadOnly()) {
        pressed_ = false;
        // A press released where it went down is a click on the card.
        if (isClick(pressPoint_, e->position().toPoint())) card_.ToggleEditMode();
        e->accept();
        return;
    }
    pressed_ = false;
    QLineEdit::mouseReleaseEvent(e);
}

void TFlyWordEdit::keyReleaseEvent(QKeyEvent* e)
{
    QLineEdit::keyReleaseEvent(e);
    if (cursorPosition() == text().size()) card_.FitToText(false);
}

// --- the card ---

TFlyWord::TFlyWord(TDesktop& desktop, Timestamp timestamp)
    : TBasPanel(desktop, std::make_unique<FlywordCardData>()), field_(new TFlyWordEdit(*this))
{
    setObjectName(QStringLiteral("flyword"));
    setHelpContext(kHelpContext);
    focusMark()->installEventFilter(this);
    const Settings& s = session().settings;
    data().pendingTS = timestamp;
    data().normalColor = s.flywFrameColor;
    setKindText(QStringLiteral("Word"));
    QPalette lp = kindLabel()->palette();
    lp.setColor(QPalette::WindowText, Qt::white);
    kindLabel()->setPalette(lp);

    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(16);
    font.setBold(true);
    field_->setFont(font);
    QPalette fp = field_->palette();
    fp.setColor(QPalette::Base, colors::toQColor(s.flywTableColor, fp));
    fp.setColor(QPalette::Text, colors::toQColor(s.flywFontColor, fp));
    field_->setPalette(fp);
    field_->setReadOnly(true);
    field_->setCursor(Qt::OpenHandCursor);
    data().size = QSize(120, kFieldHeight + 28);
    data().normalSize = data().size;
    applyDataGeometry();
    ApplyColor();
}

QString TFlyWord::wordText() const { return FlywordWordText(field_->text()); }

void TFlyWord::SetUp(const QString& text, QPoint visible)
{
    FlywordCardData& d = flyword();
    d.pos = desktop().toDesktop(visible);
    applyDataGeometry();
    d.word = FlywordWordText(text);
    field_->setText(d.word);
    if (d.word.isEmpty()) ToggleEditMode();
    show();
    if (d.firstSetup) {
        d.firstSetup = false;
        field_->setFocus(Qt::OtherFocusReason);
        field_->deselect();
    }
    FitToText();
}

void TFlyWord::ToggleEditMode()
{
    const bool toEdit = field_->isReadOnly();
    field_->setReadOnly(!toEdit);
    field_->deselect();
    if (toEdit) {
        field_->setCursor(Qt::IBeamCursor);
        field_->setCursorPosition(int(field_->text().size()));
    } else {
        field_->setCursor(Qt::OpenHandCursor);
        flyword().word = wordText();
        data().normalColor = kDisplayColor;
    }
    ApplyColor();
    update();
    field_->setFocus(Qt::OtherFocusReason);
    if (isVisible() && !field_->hasFocus() && QApplication::activeWindow() == window())
        SysProblem(QStringLiteral("Flyword failed to focus"));
}

void TFlyWord::FitToText(bool trimField)
{
    try {
        if (trimField && field_->text().trimmed().size() > 3) {
            field_->setText(field_->text().trimmed());
            field_->setCursorPosition(int(field_->text().size()));
        }
        // Wide enough for the whole text in the field's font, and for the card's own parts.
        const int textWidth = field_->fontMetrics().horizontalAdvance(field_->text());
        const int width = std::max(int(std::trunc(textWidth * 1.32)) + 38, 80);
        FlywordCardData& d = flyword();
        d.size = QSize(width, kFieldHeight + 28);
        d.normalSize = d.size;
        applyDataGeometry();
        placeField();
        PlaceWidgets();
        placeKindLabel();
        bringToFront();
    } catch (const std::exception&) {
        SysProblem(QStringLiteral("Failed in FlyWord resize"));
    }
}

void TFlyWord::startDrag()
{
    FlywordCardData& d = flyword();
    d.word = wordText();
    DragPayload payload;
    payload.source = DragPayload::Source::Flyword;
    payload.word = d.word;
    payload.sourceCard = &d;
    QPointer<TFlyWord> self(this);
    StartPayloadDrag(field_, payload);
    if (self && !isHidden()) field_->deselect();
}

void TFlyWord::searchText()
{
    FlywordHooks& hooks = flywordHooks();
    if (hooks.setClipboardText) hooks.setClipboardText(field_->text());
    if (hooks.findText) hooks.findText();
}

void TFlyWord::CardMouseDown(Qt::MouseButton button, QPoint global)
{
    if (button == Qt::RightButton) {
        searchText();
        return;
    }
    if (button == Qt::LeftButton) {
        flyword().pressPoint = global;
        flyword().clickPending = true;
    }
    TBasPanel::CardMouseDown(button, global);
}

void TFlyWord::CardMouseUp(Qt::MouseButton button, QPoint global)
{
    TBasPanel::CardMouseUp(button, global);
    FlywordCardData& d = flyword();
    const bool click = d.clickPending && button == Qt::LeftButton && isClick(d.pressPoint, global);
    d.clickPending = false;
    if (click) ToggleEditMode();
}

void TFlyWord::CardEnter()
{
    TBasPanel::CardEnter();
    if (!field_->hasFocus()) field_->setFocus(Qt::OtherFocusReason);
    field_->setCursorPosition(int(field_->text().size()));
}

void TFlyWord::ApplyColor()
{
    TBasPanel::ApplyColor();
    if (!field_ || field_->isReadOnly() || data().marked) return;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    setPalette(pal);
}

void TFlyWord::resizeEvent(QResizeEvent* e)
{
    TBasPanel::resizeEvent(e);
    // Also when tiling gives the card another size.
    placeField();
    placeKindLabel();
}

bool TFlyWord::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == focusMark() && e->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        ToggleEditMode();
        return true;
    }
    return TBasPanel::eventFilter(watched, e);
}

void TFlyWord::placeField() { field_->setGeometry(5, 14, width() - 10, height() - 28); }

void TFlyWord::placeKindLabel() { kindLabel()->move(20, height() - kindLabel()->height() - 2); }

// --- program-wide routines ---

TFlyWord* CreateFlyword(QPoint visible, const QString& text, Timestamp timestamp)
{
    TDesktop* desktop = TDesktop::current();
    if (!desktop) return nullptr;
    QString cut = LeftCodePoints(text, kFlywordSourceLimit);
    if (flywordHooks().cleanText) cut = flywordHooks().cleanText(cut);
    const QPoint at = NextFlywordPosition(visible);
    auto* card = new TFlyWord(*desktop, timestamp);
    card->SetUp(cut, at);
    card->bringToFront();
    return card;
}

TFlyWord* SetUpFlyWordClick()
{
    const Settings& s = session().settings;
    return CreateFlyword(QPoint(s.popSpotZX, s.popSpotZY), QStringLiteral("    "), GetQBTS());
}

void AllFlyWordsUp()
{
    TDesktop* desktop = TDesktop::current();
    if (!desktop) return;
    desktop->focusAway();
    for (TBasPanel* card : desktop->cardWidgets())
        if (card->data().kind == CardKind::Flyword && !card->data().hidden) card->bringToFront();
}

bool DropFlywordOnDesktop(const DragPayload& payload, QPoint visible)
{
    TDesktop* desktop = TDesktop::current();
    TBasPanel* card = desktop ? desktop->cardOf(payload.sourceCard) : nullptr;
    if (!card || card->data().kind != CardKind::Flyword) return false;
    card->data().pos = desktop->toDesktop(visible);
    card->applyDataGeometry();
    card->bringToFront();
    return true;
}

}  // namespace qb
