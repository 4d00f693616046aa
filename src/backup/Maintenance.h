#pragma once

#include <QString>
#include <QStringList>

#include <functional>

#include "store/Timestamps.h"

namespace qb {

// The store tables Clear All Data empties, in the order it empties them (SCHED is left alone).
QStringList TablesEmptiedByClearAll();

// Number of ITEM records; -1 when the table cannot be read.
int StoreItemCount();

// Before the store is emptied: when it holds items, the two warnings, then the desktop committed,
// its layout saved, the backup's name asked (Cancel: no package, the emptying goes on) and the
// desktop cleared for the package. False when a warning was answered No or a named backup
// failed: nothing may then be emptied. An empty store gives true at once, asking nothing.
bool OfferBackupBeforeEmptying();
// The backup part of that offer alone, for a caller that asked its own warnings (the restore).
bool BackupBeforeEmptying();

enum class ClearWay { Delete, Unpack };
// The deletion itself, no questions: every table of TablesEmptiedByClearAll emptied in one
// transaction (Delete), or the table files replaced from cleandata.zip (Unpack; also when the
// deletion fails). Leaves the store open. True when the store is empty afterwards.
bool EmptyStore(ClearWay way);

// "Clear All Data": the offer, the desktop committed and cleared, the way chosen (the unpack way
// for a store of fewer than 2 items, after a safety stop, or when problems.txt exists), the
// tables reopened and the windows restored. True when the store was emptied. Without the offer
// only for a caller that has asked and backed up itself.
bool Clearalldata1Click(bool offerBackup = true);

// "Clear All Time Stamps": every ITS, CTS, PTS, WTS and WTS2 becomes -1.0, in one transaction.
bool Clearalltimestamps1Click();

// The statistics text; false, with the reason, when a count failed.
bool StatisticsText(QString* text, QString* error = nullptr);
// "&Show Statistics".
void ShowStatisticsClick();

// "&Print All Item Texts To File": QB_ALL_ITEMS.txt in the store directory, oldest item first,
// each text followed by an empty line, CR LF line ends. The file's path, or empty on failure.
QString Printalltexttofile1Click();

// "&Find Damaged Items" on whatever shows the cards.
struct DamagedItemsDesk {
    // Puts the item's card at place k (0-9) of the batch; false when its set-up failed.
    std::function<bool(Timestamp itemId, int k)> place;
    std::function<void()> removeCards;  // every item card off the desktop
    std::function<void()> commit;
};
enum class DamagedItemsOutcome { NotRun, Passed, ErrorFound };
// Loads the items ten at a time from the resume position until one fails; the position is kept
// for the run and starts again at 0 once a pass reaches the last item.
DamagedItemsOutcome FindDamagedItems1Click(const DamagedItemsDesk& desk);
// The resume position (items already tested), kept for the run.
struct DamagedItemsResume {
    int position = 0;
};

}  // namespace qb
