#include "cards/DragGrid.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>

#include "cards/BaseCard.h"

namespace qb {

TDBDragGrid::TDBDragGrid(QWidget* parent) : TTowerGrid(parent), timer_(new QTimer(this))
{
    setObjectName(QStringLiteral("dragGrid"));
    // The grid starts its drags itself, with the program's payload.
    setDragEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    timer_->setSingleShot(true);
    timer_->setInterval(kLongPressMs);
    connect(timer_, &QTimer::timeout, this, &TDBDragGrid::longPressExpired);
    horizontalHeader()->viewport()->installEventFilter(this);
}

void TDBDragGrid::toFront()
{
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* card = qobject_cast<TBasPanel*>(w)) {
            card->bringToFront();
            return;
        }
    }
}

bool TDBDragGrid::rowPress(Qt::MouseButton button, QPoint local, QPoint global)
{
    if (button == Qt::RightButton && panel) {
        panelPoint_ = global;
        panel(global);
        return true;
    }
    if (button == Qt::LeftButton) {
        pending_ = true;
        pressPoint_ = local;
        pressedRow_ = indexAt(local).row();
        timer_->start();
    }
    return false;
}

void TDBDragGrid::rowMove(Qt::MouseButtons buttons, QPoint local)
{
    if (!pending_ || !(buttons & Qt::LeftButton)) return;
    if ((local - pressPoint_).manhattanLength() < QApplication::startDragDistance()) return;
    timer_->stop();
    pending_ = false;
    if (!dragStart) return;
    if (std::optional<DragPayload> payload = dragStart()) StartPayloadDrag(this, *payload);
}

bool TDBDragGrid::titlePress(Qt::MouseButton button, QPoint headerLocal)
{
    if (button != Qt::LeftButton || !title) return false;
    QHeaderView* header = horizontalHeader();
    int left = header->sectionViewportPosition(0);
    if (headerLocal.x() < left || headerLocal.x() > left + header->sectionSize(0) - kTitleEdge)
        return false;
    title();
    return true;
}

void TDBDragGrid::longPressExpired()
{
    if (!pending_) return;
    pending_ = false;
    if (longPress && pressedRow_ >= 0) longPress(pressedRow_);
}

void TDBDragGrid::mousePressEvent(QMouseEvent* e)
{
    toFront();
    if (rowPress(e->button(), e->position().toPoint(), e->globalPosition().toPoint())) {
        e->accept();
        return;
    }
    TTowerGrid::mousePressEvent(e);
}

void TDBDragGrid::mouseMoveEvent(QMouseEvent* e)
{
    if (pending_) {
        rowMove(e->buttons(), e->position().toPoint());
        e->accept();
        return;
    }
    TTowerGrid::mouseMoveEvent(e);
}

void TDBDragGrid::mouseReleaseEvent(QMouseEvent* e)
{
    timer_->stop();
    pending_ = false;
    TTowerGrid::mouseReleaseEvent(e);
}

void TDBDragGrid::dragEnterEvent(QDragEnterEvent* e) { AcceptPayloadDrag(e); }

void TDBDragGrid::dragMoveEvent(QDragMoveEvent* e) { AcceptPayloadDrag(e); }

void TDBDragGrid::dropEvent(QDropEvent* e)
{
    std::optional<DragPayload> payload = PayloadOfDrop(e->mimeData());
    if (!payload) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
    if (dropped) dropped(*payload);
}

bool TDBDragGrid::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == horizontalHeader()->viewport() && e->type() == QEvent::MouseButtonPress) {
        auto* m = static_cast<QMouseEvent*>(e);
        toFront();
        titlePress(m->button(), m->position().toPoint());
    }
    return TTowerGrid::eventFilter(watched, e);
}

void StartPayloadDrag(QWidget* source, const DragPayload& payload)
{
    auto* mime = new QMimeData;
    mime->setData(DragPayload::mimeType(), payload.encode());
    if (!payload.word.isEmpty()) mime->setText(payload.word);
    CurrentDrag() = payload;
    auto* drag = new QDrag(source);
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
    CurrentDrag() = DragPayload();
}

void AcceptPayloadDrag(QDragMoveEvent* e)
{
    if (e->mimeData()->hasFormat(DragPayload::mimeType()))
        e->acceptProposedAction();
    else
        e->ignore();
}

std::optional<DragPayload> PayloadOfDrop(const QMimeData* mime)
{
    if (!mime || !mime->hasFormat(DragPayload::mimeType())) return std::nullopt;
    DragPayload payload = DragPayload::decode(mime->data(DragPayload::mimeType()));
    if (payload.source == DragPayload::Source::None) return std::nullopt;
    const DragPayload& current = CurrentDrag();
    if (current.source == payload.source && current.wordNo == payload.wordNo &&
        current.word == payload.word.left(DragPayload::kMaxWordLength))
        payload.sourceCard = current.sourceCard;
    return payload;
}

}  // namespace qb
