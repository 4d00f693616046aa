#include "platform/Clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <chrono>

namespace qb {

namespace {
qint64 monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace

SystemClock::SystemClock() : startNs_(monotonicNs()) {}

QDateTime SystemClock::now() const { return QDateTime::currentDateTime(); }

qint64 SystemClock::elapsedMs() const { return (monotonicNs() - startNs_) / 1000000; }

void SystemClock::pause(int ms)
{
    if (ms <= 0) ms = 1;
    if (QCoreApplication::instance() && QThread::currentThread() == qApp->thread()) {
        // A short local event loop: the interface stays alive while we wait.
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    } else {
        QThread::msleep(ms);
    }
}

FakeClock::FakeClock(QDateTime start) : now_(std::move(start)) {}

}  // namespace qb
