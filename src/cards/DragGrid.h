#pragma once

#include <functional>
#include <optional>

#include "cards/DragPayload.h"
#include "cards/TowerCard.h"

class QDragMoveEvent;
class QMimeData;
class QTimer;

namespace qb {

// The grid of the list cards (dictionary, project and inflection windows): a long press, a right
// press for the command panel, a press on the first column's title, dragging the row out and
// taking drops. The card kind fills in the callbacks it serves; a missing one does nothing.
class TDBDragGrid : public TTowerGrid {
    Q_OBJECT
public:
    static constexpr int kLongPressMs = 540;
    // Presses nearer than this to the first column's right edge are the edge's, not the title's.
    static constexpr int kTitleEdge = 8;

    explicit TDBDragGrid(QWidget* parent = nullptr);

    // A press held on a row without moving.
    std::function<void(int row)> longPress;
    // A right press; the panel opens at the screen point.
    std::function<void(QPoint global)> panel;
    // A press on the title of the first column.
    std::function<void()> title;
    // What dragging the current row carries; nothing: no drag.
    std::function<std::optional<DragPayload>()> dragStart;
    // Something of the program dropped on the grid.
    std::function<void(const DragPayload&)> dropped;

    bool pressPending() const { return pending_; }
    QTimer* longPressTimer() const { return timer_; }
    QPoint panelPoint() const { return panelPoint_; }

    // The steps of the mouse protocol; the events call them, tests may too.
    // True when the press was swallowed (a right press with a panel).
    bool rowPress(Qt::MouseButton button, QPoint local, QPoint global);
    void rowMove(Qt::MouseButtons buttons, QPoint local);
    bool titlePress(Qt::MouseButton button, QPoint headerLocal);
    void longPressExpired();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void toFront();

    QTimer* timer_;
    bool pending_ = false;
    int pressedRow_ = -1;
    QPoint pressPoint_;
    QPoint panelPoint_;
};

// A real drag carrying the payload; CurrentDrag() holds it until the drag ends.
void StartPayloadDrag(QWidget* source, const DragPayload& payload);
// The payload of a drop, with its source card when the drag began in this run; nothing when the
// drop is not one of the program's.
std::optional<DragPayload> PayloadOfDrop(const QMimeData* mime);
// A drag over a widget that takes the program's drops: accepted when it carries a payload.
void AcceptPayloadDrag(QDragMoveEvent* e);

}  // namespace qb
