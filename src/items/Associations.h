#pragma once

#include "store/Timestamps.h"

#include <QDateTime>

#include <functional>
#include <optional>
#include <vector>

namespace qb {

// A random integer from 0 to bound - 1; the desktop uses the global generator, tests a script.
using RandomBelow = std::function<int(int bound)>;
int SystemRandomBelow(int bound);

// ---- associations (ITMSJMP) ----

// Rows one ordered pair keeps. A move between two cards adds a row per direction until the pair
// holds this many; after that it refreshes the time of the pair's oldest row instead, so the
// table stops growing with the moves while each pair keeps up to this much weight in the jump.
constexpr int kMaxPairRows = 32;

// Stores one move from `previous` to `current`: a row each way with the same time. False when a
// row could not be written (the second direction is not tried after the first failed).
bool StoreAssociation(Timestamp previous, Timestamp current, const QDateTime& when);

// Ids closer than this are one item for the associations (ids lie at least 1e-6 apart).
constexpr double kSameItemDistance = 5e-7;

// An item card got the focus: when it is not the last entered item, the move is handed to
// `record` (unless nothing was entered before) and the item becomes the last entered one.
// Entering the same card again records nothing.
void RecordAssociation(Timestamp item, const std::function<void(Timestamp, Timestamp)>& record);

// The items associated with `from`, one per row, in the table's key order.
std::vector<Timestamp> AssociatedRows(Timestamp from, bool* ok = nullptr);

// The jump's choice among those rows: the first row's item when free; after a random r from
// 0 to n - 1, the last free item among rows 2 ... r; while none, the first free row after that.
std::optional<Timestamp> ChooseAssociated(const std::vector<Timestamp>& rows,
                                          const std::function<bool(Timestamp)>& isFree,
                                          const RandomBelow& random);

struct RelatedItem {
    Timestamp item = 0;
    int count = 0;  // rows stored for the pair
};
// The items associated with `from`, most often paired first (then most recently).
std::vector<RelatedItem> RelatedItems(Timestamp from, bool* ok = nullptr);

// ---- the queue of items to bring back (SCHED) ----

// True when the store has the queue's file; without it every queue operation does nothing.
bool ScheduleAvailable();
// Queues the item; an item already queued stays queued once. False when nothing was queued.
bool ScheduleItem(Timestamp item);
// The queued items, first to return first.
std::vector<Timestamp> ScheduledItems(bool* ok = nullptr);
// Empties the queue (before a restore or merge).
bool ClearSchedule();

// How reading a queued item went.
enum class QueuedRead { Read, Gone, Failed };
// The next item to bring back, or 0: none while rescheduling is off or the queue is empty or
// missing. `read` is tried on the first entry: the entry leaves the queue when the item was read
// or is gone; when the read failed for another reason (a lock) it stays queued and 0 is returned.
Timestamp NextScheduledItem(bool reschedulingOn, const std::function<QueuedRead(Timestamp)>& read);

// The rescheduling switch and the timer's tick counter, for one run.
struct RescheduleState {
    bool on = true;
    int ticks = 0;
};
RescheduleState& rescheduleState();
// One tick of the timer: true when a queued item is due now (every `timeOut` ticks).
bool RescheduleTick(RescheduleState& state, int timeOut);

}  // namespace qb
