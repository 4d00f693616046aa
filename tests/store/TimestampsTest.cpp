#include "store/Timestamps.h"

#include "platform/Clock.h"
#include "session/Session.h"
#include "support/StoreFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace qb;

namespace {

void expectNear(Timestamp actual, long double expected)
{
    EXPECT_LT(std::fabs(double(actual - expected)), 1e-10)
        << double(actual) << " vs " << double(expected);
}

}  // namespace

TEST(GetQBTS, ExampleValuesOfEighthDecember2026)
{
    FakeClock clock(QDateTime(QDate(2026, 12, 8), QTime(14, 35, 7)));
    TimestampGenerator gen(&clock);
    expectNear(gen.next(), -46364.58107L);
    expectNear(gen.next(), -46364.581071L);
}

TEST(GetQBTS, ElevenCallsInOneSecondWaitForTheNextSecond)
{
    FakeClock clock(QDateTime(QDate(2026, 12, 8), QTime(14, 35, 7)));
    TimestampGenerator gen(&clock);
    const Timestamp base = TimestampGenerator::baseOf(clock.now());
    for (int i = 0; i < 10; ++i) {
        Timestamp v = gen.next();
        expectNear(v, base - 0.000001L * i);
        EXPECT_EQ(clock.now().time(), QTime(14, 35, 7)) << "call " << i + 1 << " must not wait";
    }
    Timestamp eleventh = gen.next();
    EXPECT_EQ(clock.now().time().second(), 8) << "the eleventh call waits for the next second";
    expectNear(eleventh, base - 0.00001L - 0.000009L);
    EXPECT_GT(clock.pauseCount(), 0);
}

TEST(GetQBTS, MidnightStillDecreases)
{
    FakeClock clock(QDateTime(QDate(2026, 12, 8), QTime(23, 59, 59)));
    TimestampGenerator gen(&clock);
    Timestamp before = gen.next();
    expectNear(before, -(46364 + 0.95599L));
    clock.set(QDateTime(QDate(2026, 12, 9), QTime(0, 0, 0)));
    Timestamp after = gen.next();
    expectNear(after, -46365.0L);
    EXPECT_LT(after, before);
    expectNear(before - after, 0.04401L);
    EXPECT_EQ(dayOfTimestamp(after), 46365);
}

TEST(GetQBTS, ClockSetBackDoesNotHangAndValuesKeepDecreasing)
{
    FakeClock clock(QDateTime(QDate(2026, 12, 8), QTime(14, 0, 0)));
    TimestampGenerator gen(&clock);
    Timestamp last = gen.next();
    clock.set(QDateTime(QDate(2026, 12, 8), QTime(13, 0, 0)));  // an hour back
    std::set<double> seen{double(last)};
    for (int i = 0; i < 30; ++i) {
        Timestamp v = gen.next();
        EXPECT_LT(v, last);
        last = v;
        seen.insert(double(v));
    }
    EXPECT_EQ(seen.size(), 31u);
    // Bounded: each call waited at most the limit.
    EXPECT_LE(clock.elapsedMs(),
              31 * (TimestampGenerator::kMaxWaitMs + TimestampGenerator::kPollMs));
}

TEST(GetQBTS, ResetStartsFromTheCurrentSecondBase)
{
    FakeClock clock(QDateTime(QDate(2026, 12, 8), QTime(14, 35, 7)));
    TimestampGenerator gen(&clock);
    gen.next();
    gen.next();
    clock.advanceMs(1000);
    gen.reset();
    expectNear(gen.next(), TimestampGenerator::baseOf(clock.now()));
}

class TimestampOrder : public test::StoreFixture {};

TEST_F(TimestampOrder, AscendingOrderListsNewestFirstAndClearedLast)
{
    sql::Database& db = session().store.db();
    QList<double> inserted;
    for (int i = 0; i < 3; ++i) {
        Timestamp id = GetQBTS();
        clock.advanceMs(1500);
        sql::Statement st(db, QStringLiteral("INSERT INTO ITEM (IT, TX, ITS) VALUES (?1, ?2, ?1)"));
        st.bind(1, id).bind(2, QStringLiteral("item %1").arg(i));
        ASSERT_TRUE(st.run()) << st.error().toStdString();
        inserted << double(id);
    }
    sql::Statement clear(db, QStringLiteral("UPDATE ITEM SET ITS = -1.0 WHERE TX = 'item 1'"));
    ASSERT_TRUE(clear.run());
    sql::Statement sel(db, QStringLiteral("SELECT TX FROM ITEM ORDER BY ITS"));
    QStringList order;
    while (sel.next()) order << sel.textValue(0);
    EXPECT_EQ(order, (QStringList{QStringLiteral("item 2"), QStringLiteral("item 0"),
                                  QStringLiteral("item 1")}));
}

TEST_F(TimestampOrder, IdsPassOverWhatOtherRunsStoredInTheSameSecond)
{
    // Other runs of this second stored an item, a concept and a project with values of it.
    const Timestamp base = TimestampGenerator::baseOf(clock.now());
    sql::Database& db = session().store.db();
    sql::Statement item(db,
                        QStringLiteral("INSERT INTO ITEM (IT, TX, ITS) VALUES (?1, 'other', ?1)"));
    item.bind(1, base);
    ASSERT_TRUE(item.run()) << item.error().toStdString();
    sql::Statement conceptRow(db,
                              QStringLiteral("INSERT INTO DICT (C, WNo, CTS) VALUES (?1, 1, ?1)"));
    conceptRow.bind(1, base - 0.000002L);
    ASSERT_TRUE(conceptRow.run()) << conceptRow.error().toStdString();
    sql::Statement project(db,
                           QStringLiteral("INSERT INTO PROJECT (Project, PTS) VALUES ('P', ?1)"));
    project.bind(1, base - 0.000003L);
    ASSERT_TRUE(project.run()) << project.error().toStdString();

    expectNear(GetQBTS(), base - 0.000001L);
    expectNear(GetQBTS(), base - 0.000004L);
}

TEST_F(TimestampOrder, KeywordsComeBackInTheOrderTheUserGave)
{
    sql::Database& db = session().store.db();
    const double it = double(GetQBTS());
    for (int order : {3, 1, 2}) {
        sql::Statement st(
            db, QStringLiteral(
                    "INSERT INTO ITEMKEYS (IT, \"Order\", ITC, WNo) VALUES (?1, ?2, -1.5, ?3)"));
        st.bind(1, it).bind(2, order).bind(3, order * 10);
        ASSERT_TRUE(st.run()) << st.error().toStdString();
    }
    sql::Statement sel(
        db, QStringLiteral("SELECT WNo FROM ITEMKEYS WHERE IT = ?1 ORDER BY ITEMKEYS.\"Order\""));
    sel.bind(1, it);
    QList<int> got;
    while (sel.next()) got << sel.intValue(0);
    EXPECT_EQ(got, (QList<int>{10, 20, 30}));
}

TEST(GetQBTS, BulkMarksContinueInsideTheSecondWithoutWaiting)
{
    FakeClock clock(QDateTime(QDate(2026, 12, 8), QTime(14, 35, 7)));
    TimestampGenerator gen(&clock);
    const Timestamp base = TimestampGenerator::baseOf(clock.now());
    Timestamp last = 0;
    for (int i = 0; i < 500; ++i) {
        Timestamp v = gen.nextMark();
        if (i > 0) EXPECT_LT(v, last);
        EXPECT_GT(v, base - 0.00001L) << "mark " << i << " left its second";
        EXPECT_NE(double(v), double(last)) << "marks stay distinct as stored doubles";
        last = v;
    }
    EXPECT_EQ(clock.pauseCount(), 0);
    // An id after the marks waits for the next second and still sorts below them.
    Timestamp id = gen.next();
    EXPECT_LT(id, last);
    EXPECT_EQ(clock.now().time().second(), 8);
}
