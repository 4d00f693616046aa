#include "store/Timestamps.h"

#include "platform/Clock.h"
#include "platform/Dates.h"
#include "platform/Sqlite.h"
#include "store/Store.h"

#include <algorithm>
#include <cmath>

namespace qb {

Timestamp TimestampGenerator::baseOf(const QDateTime& time)
{
    const QTime t = time.time();
    const long double day = dates::dayNumber(time.date());
    return -(day + 0.04L * t.hour() + 0.0006L * t.minute() + 0.00001L * t.second());
}

namespace {
constexpr long double kHalfStep = TimestampGenerator::kCounterStep / 2;
// Ten seconds' worth of values: enough for any store, and never a hang.
constexpr int kMaxStoreChecks = 100;
}  // namespace

Timestamp TimestampGenerator::next()
{
    Timestamp r = issue(false);
    if (!store_ || !store_->isOpen()) return r;
    // Another run (the CLI, a quick restart) may have stored this value already: take the next.
    for (int i = 0; i < kMaxStoreChecks && IdIsStored(*store_, r).value_or(false); ++i) {
        const Timestamp second = lastBase_;
        r = issue(false);
        if (lastBase_ != second) {
            // Other runs used up that second and we waited for a later one: its values are all
            // below theirs, so it starts from its base like a new second.
            counter_ = 0;
            last_ = lastBase_;
            r = lastBase_;
        }
    }
    return r;
}

Timestamp TimestampGenerator::nextMark() { return issue(true); }

Timestamp TimestampGenerator::issue(bool fine)
{
    Timestamp base = baseOf(clock_->now());
    if (base < last_) {
        counter_ = 0;
        last_ = base;
        lastBase_ = base;
        return base;
    }
    // Same second as the last value (or the clock went back): count down below it, and when the
    // ten values of the second are used up, wait for the next second.
    const qint64 start = clock_->elapsedMs();
    Timestamp r;
    for (;;) {
        if (counter_ < 0.000009L - 1e-12L) counter_ += 0.000001L;
        base = baseOf(clock_->now());
        r = base - counter_;
        if (r < last_) {
            lastBase_ = base;
            break;
        }
        if (fine && last_ - kFineStep > base - kFineLimit) {
            r = last_ - kFineStep;
            lastBase_ = base;
            break;
        }
        if (clock_->elapsedMs() - start >= kMaxWaitMs) {
            // The clock was set back: keep the values strictly decreasing without hanging, with a
            // step far below the counter's so they stay within the last issued second.
            r = last_ - 0.00000001L;
            break;
        }
        clock_->pause(kPollMs);
    }
    last_ = r;
    return r;
}

int dayOfTimestamp(Timestamp ts) { return int(-ts); }

std::optional<bool> IdIsStored(Store& store, Timestamp id)
{
    // Half a counter step of room keeps the stored doubles' rounding out of the way.
    QString sql = QStringLiteral("SELECT EXISTS (SELECT 1 FROM ITEM WHERE IT > ?1 AND IT < ?2)");
    if (store.isAttached(QStringLiteral("DICT")))
        sql += QStringLiteral(" OR EXISTS (SELECT 1 FROM DICT WHERE C > ?1 AND C < ?2)");
    // A project's stamp orders the project windows and selects a project by its value.
    if (store.isAttached(QStringLiteral("PROJECT")))
        sql += QStringLiteral(" OR EXISTS (SELECT 1 FROM PROJECT WHERE PTS > ?1 AND PTS < ?2)");
    sql::Statement st(store.db(), sql);
    st.bind(1, double(id - kHalfStep)).bind(2, double(id + kHalfStep));
    if (!st.next()) return std::nullopt;
    return st.intValue(0) != 0;
}

}  // namespace qb
