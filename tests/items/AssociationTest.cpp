#include "ItemsFixture.h"

#include "items/Associations.h"
#include "items/ItemHooks.h"

#include <gtest/gtest.h>

#include <set>

using namespace qb;

namespace {

class Associations : public test::ItemsFixture {
protected:
    void enter(Timestamp item)
    {
        RecordAssociation(item, [this](Timestamp previous, Timestamp current) {
            EXPECT_TRUE(StoreAssociation(previous, current, clock.now()));
        });
        clock.advanceMs(1500);
    }
    QStringList jumps()
    {
        return StoreSeed::rows(
            QStringLiteral("SELECT ITS1, ITS2, TS FROM ITMSJMP ORDER BY TS, rowid"));
    }
};

TEST_F(Associations, EveryMoveStoresTwoRowsAndReenteringTheSameCardNothing)
{
    enter(-46000.5L);  // the first card: nothing to pair with yet
    enter(-46000.5L + 1e-7L);
    enter(-46001.5L);
    enter(-46001.5L);
    enter(-46000.5L);
    const QStringList r = jumps();
    // Items made in the same second lie 1e-6 apart: still two items.
    enter(-46366.280423L);
    enter(-46366.280422L);
    ASSERT_EQ(jumps().size(), 8);
    ASSERT_EQ(r.size(), 4) << r.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(r[0].startsWith(QStringLiteral("-46000.5|-46001.5|")));
    EXPECT_TRUE(r[1].startsWith(QStringLiteral("-46001.5|-46000.5|")));
    EXPECT_TRUE(r[2].startsWith(QStringLiteral("-46001.5|-46000.5|")));
    EXPECT_TRUE(r[3].startsWith(QStringLiteral("-46000.5|-46001.5|")));
    EXPECT_EQ(r[0].section(QLatin1Char('|'), 2), r[1].section(QLatin1Char('|'), 2));
    EXPECT_LT(r[1].section(QLatin1Char('|'), 2), r[2].section(QLatin1Char('|'), 2));
    EXPECT_DOUBLE_EQ(double(lastEnteredItem()), -46366.280422);
}

TEST_F(Associations, APairStopsGrowingAtItsCapAndKeepsTheNewestTime)
{
    const Timestamp a = -46000.5L, b = -46001.5L, c = -46002.5L;
    for (int i = 0; i < kMaxPairRows + 5; ++i) {
        ASSERT_TRUE(StoreAssociation(a, b, clock.now()));
        clock.advanceMs(1000);
    }
    ASSERT_TRUE(StoreAssociation(a, c, clock.now()));
    const QDateTime newest = clock.now().addMSecs(-1000);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM ITMSJMP WHERE ITS1 = -46001.5")).toInt(),
              kMaxPairRows);
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT MAX(TS) FROM ITMSJMP WHERE ITS1 = -46001.5")).toString(),
        newest.toString(Qt::ISODateWithMs));
    const std::vector<RelatedItem> related = RelatedItems(a);
    ASSERT_EQ(related.size(), 2u);
    EXPECT_DOUBLE_EQ(double(related[0].item), double(b));
    EXPECT_EQ(related[0].count, kMaxPairRows);
    EXPECT_EQ(related[1].count, 1);
    EXPECT_EQ(AssociatedRows(c), std::vector<Timestamp>{a});
}

TEST(AssociatedChoice, TakesTheLastFreeRowUpToTheDrawOrTheFirstFreeAfterIt)
{
    const std::vector<Timestamp> rows{-1.0L, -2.0L, -3.0L, -4.0L};
    auto pick = [&](int draw, std::set<double> onDesktop) {
        int bound = 0;
        const auto chosen = ChooseAssociated(
            rows, [&](Timestamp id) { return !onDesktop.count(double(id)); },
            [&](int n) {
                bound = n;
                return draw;
            });
        EXPECT_TRUE(rows.size() < 2 || bound == int(rows.size()));
        return chosen ? double(*chosen) : 0.0;
    };
    EXPECT_EQ(pick(0, {}), -1.0);
    EXPECT_EQ(pick(1, {}), -1.0);
    EXPECT_EQ(pick(3, {}), -3.0);
    EXPECT_EQ(pick(3, {-3.0}), -2.0);
    EXPECT_EQ(pick(3, {-2.0, -3.0}), -1.0);
    EXPECT_EQ(pick(3, {-1.0, -2.0, -3.0}), -4.0);
    EXPECT_EQ(pick(0, {-1.0}), -2.0);
    EXPECT_EQ(pick(2, {-1.0, -2.0, -3.0, -4.0}), 0.0);
    const std::vector<Timestamp> one{-1.0L};
    EXPECT_FALSE(ChooseAssociated(one, [](Timestamp) { return false; }, {}));
    EXPECT_FALSE(ChooseAssociated({}, [](Timestamp) { return true; }, {}));
}

TEST_F(Associations, TheQueueReturnsInOrderAndKeepsAnItemThatCouldNotBeRead)
{
    const Timestamp x = -46000.5L, y = -46001.5L;
    EXPECT_TRUE(ScheduleItem(x));
    EXPECT_TRUE(ScheduleItem(y));
    EXPECT_FALSE(ScheduleItem(x));
    EXPECT_EQ(ScheduledItems(), (std::vector<Timestamp>{x, y}));

    auto read = [](QueuedRead how) { return [how](Timestamp) { return how; }; };
    EXPECT_EQ(NextScheduledItem(false, read(QueuedRead::Read)), 0);
    EXPECT_EQ(NextScheduledItem(true, read(QueuedRead::Failed)), 0);
    EXPECT_EQ(ScheduledItems(), (std::vector<Timestamp>{x, y}));
    EXPECT_EQ(NextScheduledItem(true, read(QueuedRead::Gone)), 0);
    EXPECT_EQ(ScheduledItems(), std::vector<Timestamp>{y});
    EXPECT_EQ(NextScheduledItem(true, read(QueuedRead::Read)), y);
    EXPECT_EQ(NextScheduledItem(true, read(QueuedRead::Read)), 0);

    ScheduleItem(x);
    EXPECT_TRUE(ClearSchedule());
    EXPECT_TRUE(ScheduledItems().empty());

    RescheduleState every, third;
    std::vector<bool> due;
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(RescheduleTick(every, 1));
        due.push_back(RescheduleTick(third, 3));
    }
    EXPECT_EQ(due, (std::vector<bool>{false, false, true, false, false, true}));
}

TEST_F(Associations, CliListsRelatedItemsAndKeepsTheQueue)
{
    const Timestamp a = addItem(-46000.5L, QStringLiteral("a"));
    const Timestamp b = addItem(-46001.5L, QStringLiteral("b"));
    const Timestamp c = addItem(-46002.5L, QStringLiteral("c"));
    StoreAssociation(a, c, clock.now());
    StoreAssociation(a, b, clock.now().addSecs(1));
    StoreAssociation(a, b, clock.now().addSecs(2));
    session().store.close();
    auto cli = [&](QStringList args, QString* out) {
        QString err;
        const int code = runCli(QStringList{QStringLiteral("--dir"), dir()} + args, out, &err);
        EXPECT_TRUE(code == 0 || !err.isEmpty());
        return code;
    };
    QString out;
    ASSERT_EQ(
        cli({QStringLiteral("item"), QStringLiteral("related"), QStringLiteral("-46000.5")}, &out),
        0);
    EXPECT_EQ(out, QStringLiteral("-46001.5\t2\n-46002.5\t1\n"));
    EXPECT_EQ(
        cli({QStringLiteral("schedule"), QStringLiteral("add"), QStringLiteral("-46002.5")}, &out),
        0);
    EXPECT_EQ(
        cli({QStringLiteral("schedule"), QStringLiteral("add"), QStringLiteral("-46000.5")}, &out),
        0);
    EXPECT_EQ(
        cli({QStringLiteral("schedule"), QStringLiteral("add"), QStringLiteral("-1.5")}, &out), 1);
    ASSERT_EQ(cli({QStringLiteral("schedule"), QStringLiteral("list")}, &out), 0);
    EXPECT_EQ(out, QStringLiteral("-46002.5\n-46000.5\n"));
    ASSERT_EQ(cli({QStringLiteral("schedule"), QStringLiteral("clear")}, &out), 0);
    ASSERT_EQ(cli({QStringLiteral("schedule"), QStringLiteral("list")}, &out), 0);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_EQ(cli({QStringLiteral("schedule"), QStringLiteral("drop")}, &out), 2);
}

}  // namespace
