#include "cards/BaseCard.h"

#include "cards/CardPartsPanel.h"
#include "cards/Desktop.h"
#include "platform/Clock.h"
#include "platform/Colors.h"
#include "session/Session.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

namespace qb {

namespace {
QPoint globalOf(QMouseEvent* e) { return e->globalPosition().toPoint(); }
}  // namespace

TBasPanel::TBasPanel(TDesktop& desktop, std::unique_ptr<CardData> data)
    : QFrame(desktop.surface()),
      desktop_(desktop),
      data_(data ? std::move(data) : std::make_unique<CardData>(CardKind::Base)),
      corner_(new TMyCorner(this)),
      closeSign_(new TCloseSign(this)),
      kindLabel_(new QLabel(this)),
      focusMark_(new TFocusMark(this)),
      backSpot_(new TBackSpot(this)),
      stepTimer_(new QTimer(this))
{
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::ClickFocus);
    SetHelpTopic(this, helpContext_);

    QFont small(QStringLiteral("Small Fonts"));
    small.setPixelSize(9);
    kindLabel_->setObjectName(QStringLiteral("kindLabel"));
    kindLabel_->setFont(small);
    kindLabel_->setFixedSize(kKindLabelSize);
    QPalette lp = kindLabel_->palette();
    lp.setColor(QPalette::WindowText, QColor(0x80, 0x00, 0x00));
    kindLabel_->setPalette(lp);
    focusMark_->hide();

    stepTimer_->setSingleShot(true);
    connect(stepTimer_, &QTimer::timeout, this, &TBasPanel::takePendingStep);

    applyDataGeometry();
    ApplyColor();
    PlaceWidgets();
}

TBasPanel::~TBasPanel() = default;

void TBasPanel::syncFromGeometry()
{
    data_->pos = pos();
    data_->size = size();
}

void TBasPanel::restorePlace(const QRect& saved)
{
    const QPoint place = desktop_.toDesktop(saved.topLeft());
    if (saved.width() > 0 && saved.height() > 0)
        setGeometry(QRect(place, saved.size()));
    else
        move(place);
    syncFromGeometry();
}

void TBasPanel::applyDataGeometry()
{
    setGeometry(QRect(data_->pos, data_->size));
    syncFromGeometry();
    PlaceWidgets();
}

void TBasPanel::setKindText(const QString& text) { kindLabel_->setText(text); }

QPoint TBasPanel::visiblePos() const { return pos() - desktop_.scroll(); }

void TBasPanel::bringToFront() { raise(); }

void TBasPanel::sendToBack()
{
    TBasPanel* lowest = nullptr;
    for (TBasPanel* card : desktop_.cardWidgets()) {
        if (card != this) {
            lowest = card;
            break;
        }
    }
    if (lowest) stackUnder(lowest);
}

void TBasPanel::setCardColor(int stored)
{
    data_->normalColor = stored;
    ApplyColor();
}

QColor TBasPanel::currentColor() const { return palette().color(QPalette::Window); }

qint64 TBasPanel::now() const { return session().clock().elapsedMs(); }

bool TBasPanel::stepDue() const
{
    return StepDue(drag_, now(), StepIntervalMs(session().settings));
}

// --- virtual operations ---

void TBasPanel::CornerMouseMove(QPoint global)
{
    if (drag_.resizing) {
        if (stepDue())
            resizeStep(global);
        else
            scheduleStep(global);
    }
    bringToFront();
}

void TBasPanel::CloseSignMouseMove(QPoint)
{
    if (session().settings.useBringToFrontCorner) bringToFront();
}

void TBasPanel::BackSpotMouseMove(QPoint)
{
    if (session().settings.useSendBackCorner) sendToBack();
}

void TBasPanel::CornerMouseUp(Qt::MouseButton, QPoint global)
{
    stepTimer_->stop();
    if (drag_.resizing && stepDue()) {
        resizeStep(global);
        bringToFront();
    }
    drag_.resizing = false;
}

void TBasPanel::CardMouseUp(Qt::MouseButton, QPoint global)
{
    Session& s = session();
    s.flags.clearEscape();
    s.flags.releaseAbort();
    s.commitRunning.lower();
    stepTimer_->stop();
    if (drag_.moving && stepDue()) moveStep(global);
    drag_.moving = false;
}

void TBasPanel::CornerMouseDown(Qt::MouseButton button, QPoint global)
{
    if (button != Qt::LeftButton) return;
    BeginResize(drag_, global, size(), now());
}

void TBasPanel::CloseSignMouseDown(Qt::MouseButton button, QPoint)
{
    if (CanHide()) {
        HideCard();
        data_->rescheduleOnCollect = button == Qt::RightButton;
        if (button == Qt::RightButton) desktop_.suppressPopup();
    } else if (IsEmpty()) {
        DeleteCard();
    }
}

void TBasPanel::CardMouseDown(Qt::MouseButton button, QPoint global)
{
    if (button != Qt::LeftButton) return;
    BeginMove(drag_, global, visiblePos(), now());
}

void TBasPanel::CardDblClick()
{
    data_->marked = !data_->marked;
    data_->changed = true;
    ApplyColor();
}

void TBasPanel::ToggleSize()
{
    if (data_->expanded)
        ShrinkToNormal();
    else
        ExpandToAlternative();
}

void TBasPanel::HideCard()
{
    data_->hidden = true;
    hide();
    session().desktopDirty = true;
}

void TBasPanel::DeleteCard()
{
    data_->changed = true;
    data_->deleted = true;
    hide();
    data_->hidden = true;
    session().desktopDirty = true;
}

void TBasPanel::CardEnter() { focusMark_->show(); }

void TBasPanel::CardExit()
{
    focusMark_->hide();
    if (data_->changed) session().desktopDirty = true;
}

void TBasPanel::ApplyColor()
{
    int stored = data_->marked ? data_->markedColor : data_->normalColor;
    QPalette pal = palette();
    QColor c = colors::toQColor(stored, pal);
    pal.setColor(QPalette::Window, c);
    setPalette(pal);
    backSpot_->setColor(c);
}

bool TBasPanel::CanHide() const { return data_->canHide(); }
bool TBasPanel::IsEmpty() const { return data_->isEmpty(); }

// --- non-virtual operations ---

void TBasPanel::CardMouseMove(QPoint global)
{
    if (!drag_.moving) return;
    if (stepDue())
        moveStep(global);
    else
        scheduleStep(global);
}

void TBasPanel::moveStep(QPoint global)
{
    ScrollView view{desktop_.scroll(), desktop_.visibleSize(), TDesktop::kSize};
    MoveStepResult r = MoveStep(drag_, global, size(), view, session().commitRunning.raised());
    bringToFront();
    if (r.scroll != view.scroll) desktop_.scrollTo(r.scroll);
    // Placed after the scroll so the card stays under the pointer.
    move(r.visiblePos + desktop_.scroll());
    syncFromGeometry();
    drag_.lastStepMs = now();
}

void TBasPanel::resizeStep(QPoint global)
{
    resize(ResizeStep(drag_, global));
    syncFromGeometry();
    PlaceWidgets();
    drag_.lastStepMs = now();
    data_->layoutValid = false;
}

void TBasPanel::scheduleStep(QPoint global)
{
    pendingPointer_ = global;
    if (stepTimer_->isActive()) return;
    qint64 waited = now() - drag_.lastStepMs;
    stepTimer_->start(int(std::max<qint64>(1, StepIntervalMs(session().settings) - waited + 1)));
}

void TBasPanel::takePendingStep()
{
    if (drag_.moving)
        moveStep(pendingPointer_);
    else if (drag_.resizing)
        resizeStep(pendingPointer_);
}

void TBasPanel::PlaceWidgets()
{
    const int w = width();
    const int h = height();
    corner_->move(w - corner_->width() - 1, h - corner_->height() - 1);
    kindLabel_->move(w - kindLabel_->width() - 5 - corner_->width(), h - kindLabel_->height() - 1);
    closeSign_->move(w - closeSign_->width() - 1, TCloseSign::kTop);
    backSpot_->move(1, h - backSpot_->height() - 1);
    backSpot_->setColor(currentColor());
    // Nothing the card kinds put inside may cover the corner or the close sign.
    corner_->raise();
    closeSign_->raise();
}

void TBasPanel::ShrinkToNormal()
{
    syncFromGeometry();
    qb::ShrinkToNormal(*data_);
    applyDataGeometry();
}

void TBasPanel::ExpandToAlternative()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    QSize monitor = screen ? screen->size() : QSize(1280, 1024);
    syncFromGeometry();
    qb::ExpandToAlternative(*data_, monitor, desktop_.scroll(), session().settings);
    applyDataGeometry();
}

// --- events ---

void TBasPanel::mousePressEvent(QMouseEvent* e)
{
    bringToFront();
    CardMouseDown(e->button(), globalOf(e));
    e->accept();
}

void TBasPanel::mouseMoveEvent(QMouseEvent* e)
{
    CardMouseMove(globalOf(e));
    e->accept();
}

void TBasPanel::mouseReleaseEvent(QMouseEvent* e)
{
    CardMouseUp(e->button(), globalOf(e));
    e->accept();
}

void TBasPanel::mouseDoubleClickEvent(QMouseEvent* e)
{
    CardDblClick();
    e->accept();
}

void TBasPanel::moveEvent(QMoveEvent* e)
{
    QFrame::moveEvent(e);
    data_->pos = pos();
}

void TBasPanel::resizeEvent(QResizeEvent* e)
{
    QFrame::resizeEvent(e);
    data_->size = size();
    PlaceWidgets();
}

}  // namespace qb
