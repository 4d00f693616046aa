#pragma once

#include <QDateTime>

namespace qb {

// The one source of time. The program reads the time only through a Clock so that tests can
// give a fake one and get the same timestamps, dates and waits every run.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // Milliseconds on a monotonic scale, for intervals (step timing, waits).
    virtual qint64 elapsedMs() const = 0;
    // Lets time pass for about ms milliseconds while window events run.
    virtual void pause(int ms) = 0;
};

class SystemClock : public Clock {
public:
    SystemClock();
    QDateTime now() const override;
    qint64 elapsedMs() const override;
    void pause(int ms) override;

private:
    qint64 startNs_;
};

// A clock that moves only when told to (or by pause()).
class FakeClock : public Clock {
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 12, 8), QTime(14, 35, 7)));
    QDateTime now() const override { return now_; }
    qint64 elapsedMs() const override { return elapsed_; }
    void pause(int ms) override
    {
        ++pauses_;
        advanceMs(ms);
    }

    void set(const QDateTime& time) { now_ = time; }
    void advanceMs(qint64 ms)
    {
        now_ = now_.addMSecs(ms);
        elapsed_ += ms;
    }
    int pauseCount() const { return pauses_; }

private:
    QDateTime now_;
    qint64 elapsed_ = 0;
    int pauses_ = 0;
};

}  // namespace qb
