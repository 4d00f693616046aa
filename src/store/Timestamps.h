#pragma once

#include <QDateTime>

#include <optional>

namespace qb {

class Clock;
class Store;

using Timestamp = long double;

constexpr Timestamp kClearedTimestamp = -1.0L;

// Issues the negative timestamps that serve as ids and as marks of the last change:
// -(day + 0.04 h + 0.0006 m + 0.00001 s) minus a counter of up to 0.000009, strictly decreasing
// between two resets.
class TimestampGenerator {
public:
    explicit TimestampGenerator(Clock* clock = nullptr) : clock_(clock) {}

    // An id: also one that no item or concept of the open store (when one is set) carries, so
    // that values other runs of this second stored are never repeated.
    Timestamp next();
    // For change marks (ITS, CTS) written in bulk: when the ten values of the current second are
    // used up, continues below them in steps of kFineStep, still inside the second, instead of
    // waiting for the next one. Ids are always taken with next().
    Timestamp nextMark();
    void reset()
    {
        last_ = 0;
        counter_ = 0;
    }
    void setClock(Clock& clock) { clock_ = &clock; }
    void setStore(Store* store) { store_ = store; }

    Timestamp last() const { return last_; }

    // The base value of a clock reading, without counter.
    static Timestamp baseOf(const QDateTime& time);

    // How long a request waits for the clock before it continues below the last value
    // (the clock was set back).
    static constexpr int kMaxWaitMs = 1500;
    static constexpr int kPollMs = 20;
    static constexpr long double kFineStep = 0.000000001L;
    static constexpr long double kFineLimit = 0.0000099L;
    static constexpr long double kCounterStep = 0.000001L;

private:
    Timestamp issue(bool fine);
    Clock* clock_ = nullptr;
    Store* store_ = nullptr;
    Timestamp last_ = 0;
    Timestamp counter_ = 0;
    Timestamp lastBase_ = 0;  // the base of the second of the last value
};

// Calendar day of a timestamp: the integer part of its negation.
int dayOfTimestamp(Timestamp ts);
// Whether an item or a concept of the store carries the id (within half a counter step);
// nothing when the store cannot tell.
std::optional<bool> IdIsStored(Store& store, Timestamp id);
// Ids are equal when they lie within the given tolerance (1e-11 for items, 1e-7 for concepts).
inline bool sameId(Timestamp a, Timestamp b, long double tolerance)
{
    Timestamp d = a - b;
    return (d < 0 ? -d : d) < tolerance;
}

}  // namespace qb
