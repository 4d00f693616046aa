// Typing without a pause is written to the recovery file every two seconds at the latest.
#include "desktop/RecoveryWriter.h"

#include <gtest/gtest.h>

#include <vector>

using namespace qb;

namespace {

// The writes of keys that arrive every interval ms for duration ms, from the first key at 0.
std::vector<qint64> writesWhileTyping(qint64 interval, qint64 duration)
{
    RecoverySchedule schedule;
    std::vector<qint64> writes;
    qint64 due = -1;
    for (qint64 now = 0; now <= duration; ++now) {
        if (due >= 0 && now >= due) {
            writes.push_back(now);
            schedule.written();
            due = -1;
        }
        if (now % interval == 0) due = now + schedule.edit(now);
    }
    return writes;
}

TEST(RecoverySchedule, ContinuousTypingIsWrittenWithinTwoSecondsOfItsFirstKeyAndEveryTwoAfter)
{
    for (qint64 interval : {40, 83, 250, 900}) {
        const std::vector<qint64> writes = writesWhileTyping(interval, 12000);
        ASSERT_FALSE(writes.empty()) << interval;
        EXPECT_LE(writes.front(), 2000) << interval;
        for (size_t i = 1; i < writes.size(); ++i)
            EXPECT_LE(writes[i] - writes[i - 1], 2000) << interval;
        EXPECT_GE(12000 - writes.back(), 0);
        EXPECT_LE(12000 - writes.back(), 2000) << interval;
    }
    // A single key is written after a short pause, not at once.
    RecoverySchedule one;
    EXPECT_GT(one.edit(5000), 0);
    EXPECT_LE(one.edit(5000), 2000);
}

}  // namespace
