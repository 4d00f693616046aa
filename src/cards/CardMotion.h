#pragma once

#include "cards/CardData.h"

#include <QPoint>
#include <QSize>
#include <QString>

namespace qb {

struct Settings;

// The state of a move or resize drag of one card.
struct CardDrag {
    bool moving = false;
    bool resizing = false;
    QPoint grab;            // move: pointer minus the card's visible position; resize: the pointer
    QSize startSize;        // size when the resize began
    qint64 lastStepMs = 0;  // clock time of the last step
    QPoint lastPos;         // visible position after the last move step
    bool movingRight = false;
    bool movingDown = false;
};

// Steps follow the pointer no faster than the step interval.
int StepIntervalMs(const Settings& settings);
bool StepDue(const CardDrag& drag, qint64 nowMs, int intervalMs);

// The desktop scroll box, as the move step sees it.
struct ScrollView {
    QPoint scroll;      // current scroll positions
    QSize visible;      // size of the visible part
    int extent = 2000;  // width and height of the desktop
};

struct MoveStepResult {
    QPoint visiblePos;  // the card's new position in the visible part
    QPoint scroll;      // scroll positions after auto-scrolling
};

// Starts a move: pointer and card position in the visible part are in any one coordinate
// system that does not move with the scroll (screen coordinates).
void BeginMove(CardDrag& drag, QPoint pointer, QPoint visiblePos, qint64 nowMs);
// One move step: the new position and the auto-scroll of 16 pixels that it causes. No scrolling
// while a commit runs.
MoveStepResult MoveStep(CardDrag& drag, QPoint pointer, QSize cardSize, const ScrollView& view,
                        bool commitRunning);
constexpr int kAutoScrollStep = 16;

void BeginResize(CardDrag& drag, QPoint pointer, QSize size, qint64 nowMs);
// The size a resize step gives, never below the smallest usable card.
QSize ResizeStep(const CardDrag& drag, QPoint pointer);
constexpr QSize kMinimumCardSize{64, 40};

// The two halves of the size toggle. Positions are desktop positions; monitor is the size of
// the first monitor and scroll the desktop's scroll positions (the monitor check works on the
// visible position).
void ExpandToAlternative(CardData& card, QSize monitor, QPoint scroll, const Settings& settings);
void ShrinkToNormal(CardData& card);

// Reading-order key: rows of the desktop first, then left to right.
long double PositionKey(const CardData& card);
// The key as sorted text: "%8.8f" right-aligned in 17 characters.
QString PositionKeyText(const CardData& card);
// The same for an absolute position (the layout computes keys with offsets of its own).
QString PositionKeyText(QPoint absolutePos);

}  // namespace qb
