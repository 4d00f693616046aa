#include "store/Timestamps.h"

#include "platform/Clock.h"
#include "platform/Dates.h"

namespace qb {

Timestamp TimestampGenerator::baseOf(const QDateTime& time)
{
    const QTime t = time.time();
    const long double day = dates::dayNumber(time.date());
    return -(day + 0.04L * t.hour() + 0.0006L * t.minute() + 0.00001L * t.second());
}

Timestamp TimestampGenerator::next() { return issue(false); }

Timestamp TimestampGenerator::nextMark() { return issue(true); }

Timestamp TimestampGenerator::issue(bool fine)
{
    Timestamp base = baseOf(clock_->now());
    if (base < last_) {
        counter_ = 0;
        last_ = base;
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
        if (r < last_) break;
        if (fine && last_ - kFineStep > base - kFineLimit) {
            r = last_ - kFineStep;
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

}  // namespace qb
