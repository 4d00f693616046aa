#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <algorithm>

#include "items/RecoveryFile.h"

namespace qb {

class TDesktop;

// When the recovery file is written: after a short pause in the edits, and while edits go on
// without a pause, never later than kLongestDelayMs after the first edit not yet written (a new
// card counts from its first key). Times are milliseconds of a monotonic clock.
class RecoverySchedule {
public:
    static constexpr int kPauseMs = 1000;
    static constexpr int kLongestDelayMs = 1500;
    // An edit at now; returns the delay from now until the write.
    int edit(qint64 now)
    {
        if (!pending_) {
            pending_ = true;
            first_ = now;
        }
        const qint64 left = first_ + kLongestDelayMs - now;
        return int(std::clamp<qint64>(left, 0, kPauseMs));
    }
    void written() { pending_ = false; }

private:
    bool pending_ = false;
    qint64 first_ = 0;
};

// Keeps the recovery file in step with the desktop's Changed cards: a short pause after the user
// stops typing or dropping, and after every commit, it writes what the next commit would write
// (or removes the file when nothing is pending). At start it offers the edits of a file that a
// kill or a crash left behind.
class RecoveryWriter : public QObject {
    Q_OBJECT
public:
    explicit RecoveryWriter(TDesktop& desktop, QObject* parent = nullptr);
    ~RecoveryWriter() override;

    static RecoveryWriter* current();

    // Something may have changed a card: write after the pause.
    void editsPending();
    // Writes the Changed cards now (the disk work runs beside the program).
    void writeNow();
    // At an orderly end: the file holds what is still unsaved, or is gone. Waits for the disk.
    void finish();
    // At start: when a recovery file is there, asks whether to put its cards back on the
    // desktop. Returns the number of cards laid out.
    int offerRecovery();

    bool writeScheduled() const { return timer_.isActive(); }
    void waitForDisk() { writer_.waitForDone(); }
    QString path() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int layOut(std::vector<std::unique_ptr<CardData>>& cards);
    QString setAside();

    QPointer<TDesktop> desktop_;
    QTimer timer_;
    QElapsedTimer clock_;
    RecoverySchedule schedule_;
    recovery::Writer writer_;
    recovery::PictureCache pictures_;
    QByteArray lastWritten_;
    bool fileMayExist_ = true;
    // False while a file from an earlier run waits for the user's answer: nothing may replace it.
    bool ready_ = false;
};

}  // namespace qb
