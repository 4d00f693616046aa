#include "items/Associations.h"

#include "items/ItemHooks.h"
#include "platform/Sqlite.h"
#include "session/Session.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

namespace qb {

namespace {

sql::Database& db() { return session().store.db(); }

// One direction of a move. A pair at its cap refreshes its oldest row instead of adding one.
bool storeRow(Timestamp from, Timestamp to, const QString& when)
{
    sql::Statement count(
        db(), QStringLiteral("SELECT COUNT(*) FROM ITMSJMP WHERE ITS1 = ?1 AND ITS2 = ?2"));
    count.bind(1, from).bind(2, to);
    if (!count.next()) return false;
    const bool full = count.intValue(0) >= kMaxPairRows;
    sql::Statement write(
        db(), full ? QStringLiteral("UPDATE ITMSJMP SET TS = ?3 WHERE rowid = (SELECT rowid FROM "
                                    "ITMSJMP WHERE ITS1 = ?1 AND ITS2 = ?2 ORDER BY TS LIMIT 1)")
                   : QStringLiteral("INSERT INTO ITMSJMP (ITS1, ITS2, TS) VALUES (?1, ?2, ?3)"));
    write.bind(1, from).bind(2, to).bind(3, when);
    return write.run();
}

}  // namespace

int SystemRandomBelow(int bound)
{
    return bound > 0 ? int(QRandomGenerator::global()->bounded(bound)) : 0;
}

bool StoreAssociation(Timestamp previous, Timestamp current, const QDateTime& when)
{
    if (!session().store.isAttached(QStringLiteral("ITMSJMP"))) return false;
    const QString ts = when.toString(Qt::ISODateWithMs);
    // Both rows or none; a savepoint outside a transaction locks only when it writes.
    sql::Savepoint both(db(), QStringLiteral("association"));
    if (!both.isActive()) return false;
    if (!storeRow(previous, current, ts) || !storeRow(current, previous, ts)) return false;
    return both.release();
}

void RecordAssociation(Timestamp item, const std::function<void(Timestamp, Timestamp)>& record)
{
    Timestamp& last = lastEnteredItem();
    // Ids made in one second lie 1e-6 apart, so an exact 1e-6 test would turn on rounding: half
    // the step tells the same card from the next one made.
    if (std::fabs(double(last - item)) < kSameItemDistance) return;
    if (last != -1.0L && record) record(last, item);
    last = item;
}

std::vector<Timestamp> AssociatedRows(Timestamp from, bool* ok)
{
    std::vector<Timestamp> rows;
    sql::Statement st(db(), QStringLiteral("SELECT ITS2 FROM ITMSJMP WHERE ITS1 = ?1 "
                                           "ORDER BY ITS1, ITS2, TS"));
    st.bind(1, from);
    while (st.next()) rows.push_back(st.extValue(0));
    if (ok) *ok = st.ok();
    return rows;
}

std::optional<Timestamp> ChooseAssociated(const std::vector<Timestamp>& rows,
                                          const std::function<bool(Timestamp)>& isFree,
                                          const RandomBelow& random)
{
    const int n = int(rows.size());
    std::optional<Timestamp> chosen;
    if (n >= 1 && isFree(rows[0])) chosen = rows[0];
    if (n < 2) return chosen;
    const int r = std::clamp(random ? random(n) : SystemRandomBelow(n), 0, n - 1);
    int at = 0;
    for (int k = 1; k <= r - 1; ++k) {
        at = k;
        if (isFree(rows[size_t(k)])) chosen = rows[size_t(k)];
    }
    while (!chosen && at + 1 < n) {
        ++at;
        if (isFree(rows[size_t(at)])) chosen = rows[size_t(at)];
    }
    return chosen;
}

std::vector<RelatedItem> RelatedItems(Timestamp from, bool* ok)
{
    std::vector<RelatedItem> related;
    sql::Statement st(db(), QStringLiteral("SELECT ITS2, COUNT(*) FROM ITMSJMP WHERE ITS1 = ?1 "
                                           "GROUP BY ITS2 ORDER BY COUNT(*) DESC, MAX(TS) DESC"));
    st.bind(1, from);
    while (st.next()) related.push_back({st.extValue(0), st.intValue(1)});
    if (ok) *ok = st.ok();
    return related;
}

bool ScheduleAvailable() { return session().store.isAttached(QStringLiteral("SCHED")); }

bool ScheduleItem(Timestamp item)
{
    if (!ScheduleAvailable()) return false;
    // IT is the table's key: an item queued twice is queued once.
    sql::Statement st(db(), QStringLiteral("INSERT OR IGNORE INTO SCHED (IT) VALUES (?1)"));
    st.bind(1, item);
    return st.run() && db().changes() > 0;
}

std::vector<Timestamp> ScheduledItems(bool* ok)
{
    std::vector<Timestamp> items;
    if (ScheduleAvailable()) {
        // The queue's order is the order of arrival.
        sql::Statement st(db(), QStringLiteral("SELECT IT FROM SCHED ORDER BY rowid"));
        while (st.next()) items.push_back(st.extValue(0));
        if (ok) *ok = st.ok();
    } else if (ok) {
        *ok = false;
    }
    return items;
}

bool ClearSchedule()
{
    if (!ScheduleAvailable()) return false;
    sql::Statement st(db(), QStringLiteral("DELETE FROM SCHED"));
    return st.run();
}

Timestamp NextScheduledItem(bool reschedulingOn, const std::function<QueuedRead(Timestamp)>& read)
{
    if (!reschedulingOn || !ScheduleAvailable()) return 0;
    long long rowid = 0;
    Timestamp item = 0;
    {
        sql::Statement first(db(), QStringLiteral("SELECT rowid, IT FROM SCHED ORDER BY rowid "
                                                  "LIMIT 1"));
        if (!first.next()) return 0;
        rowid = first.int64Value(0);
        item = first.extValue(1);
    }
    const QueuedRead outcome = read ? read(item) : QueuedRead::Read;
    if (outcome == QueuedRead::Failed) return 0;
    sql::Statement drop(db(), QStringLiteral("DELETE FROM SCHED WHERE rowid = ?1"));
    drop.bind(1, rowid);
    if (!drop.run()) return 0;
    return outcome == QueuedRead::Read ? item : 0;
}

RescheduleState& rescheduleState() { return session().part<RescheduleState>(); }

bool RescheduleTick(RescheduleState& state, int timeOut)
{
    if (state.ticks < timeOut - 1) {
        ++state.ticks;
        return false;
    }
    state.ticks = 0;
    return true;
}

}  // namespace qb
