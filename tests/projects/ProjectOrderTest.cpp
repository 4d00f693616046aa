#include "support/StoreFixture.h"

#include "desktop/FakeCardHost.h"
#include "projects/ProjectOrder.h"
#include "session/Session.h"

#include <gtest/gtest.h>

using namespace qb;

namespace {

class ProjectOrderTest : public test::StoreFixture {
protected:
    double its(Timestamp item)
    {
        return scalar(QStringLiteral("SELECT ITS FROM ITEM WHERE IT = %1")
                          .arg(double(item), 0, 'g', 17))
            .toDouble();
    }
    QStringList snapshot(const QString& project)
    {
        return rows(QStringLiteral("SELECT IT, ITS FROM PRJORDR WHERE Project = '%1' ORDER BY IT")
                        .arg(project));
    }
    static std::vector<double> ids(const QString& project)
    {
        std::vector<double> out;
        for (Timestamp id : ProjectItemIds(project)) out.push_back(double(id));
        return out;
    }
    void setIts(Timestamp item, double value)
    {
        exec(QStringLiteral("UPDATE ITEM SET ITS = ?1 WHERE IT = ?2"), {value, double(item)});
    }
};

constexpr Timestamp kA = -46000.1L;
constexpr Timestamp kB = -46000.2L;
constexpr Timestamp kC = -46000.3L;

TEST_F(ProjectOrderTest, TheFirstRestoreStoresTheCurrentOrderAndChangesNoItem)
{
    addProject(QStringLiteral("P"), -45000.0L);
    addItem(kA, QStringLiteral("a"), {}, {QStringLiteral("P")}, -46100.3L);
    addItem(kB, QStringLiteral("b"), {}, {QStringLiteral("P")}, -46100.1L);
    addItem(kC, QStringLiteral("not linked"), {}, {}, -46100.2L);

    ASSERT_TRUE(AdvPrjQ_update(QStringLiteral("P")));
    EXPECT_EQ(its(kA), -46100.3);
    EXPECT_EQ(its(kB), -46100.1);
    EXPECT_EQ(snapshot(QStringLiteral("P")), (QStringList{QStringLiteral("-46000.2|-46100.1"),
                                                          QStringLiteral("-46000.1|-46100.3")}));
    EXPECT_EQ(ids(QStringLiteral("P")), (std::vector<double>{double(kA), double(kB)}));
}

TEST_F(ProjectOrderTest, AnItemInTwoProjectsFollowsTheOrderOfTheProjectRestored)
{
    addProject(QStringLiteral("P"), -45000.0L);
    addProject(QStringLiteral("Q"), -45001.0L);
    // P orders A before B, Q orders B before A; C, linked to P after its snapshot, keeps its ITS.
    addItem(kA, QStringLiteral("a"), {}, {QStringLiteral("P"), QStringLiteral("Q")}, -46100.3L);
    addItem(kB, QStringLiteral("b"), {}, {QStringLiteral("P"), QStringLiteral("Q")}, -46100.1L);
    ASSERT_TRUE(AdvPrjQ_update(QStringLiteral("P")));
    setIts(kA, -46100.1);
    setIts(kB, -46100.3);
    ASSERT_TRUE(AdvPrjQ_update(QStringLiteral("Q")));
    addItem(kC, QStringLiteral("c"), {}, {QStringLiteral("P")}, -46100.2L);

    ASSERT_TRUE(AdvPrjQ_update(QStringLiteral("P")));
    EXPECT_EQ(ids(QStringLiteral("P")), (std::vector<double>{double(kA), double(kC), double(kB)}));
    ASSERT_TRUE(AdvPrjQ_update(QStringLiteral("Q")));
    EXPECT_EQ(ids(QStringLiteral("Q")), (std::vector<double>{double(kB), double(kA)}));
    // The project restored last leaves its order in ITEM.
    EXPECT_EQ(its(kB), -46100.3);
}

TEST_F(ProjectOrderTest, AFailedOrderWriteLeavesEveryItemAsItWas)
{
    addProject(QStringLiteral("P"), -45000.0L);
    addItem(kA, QStringLiteral("a"), {}, {QStringLiteral("P")}, -46100.3L);
    addItem(kB, QStringLiteral("b"), {}, {QStringLiteral("P")}, -46100.1L);
    ASSERT_TRUE(AdvPrjQ_update(QStringLiteral("P")));
    setIts(kA, -46200.0);
    setIts(kB, -46300.0);

    // The second write of the restore fails, after the first went through.
    exec(QStringLiteral("CREATE TEMP TABLE writes (n)"));
    exec(
        QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE UPDATE OF ITS ON main.ITEM BEGIN "
                       "INSERT INTO writes VALUES (1); SELECT RAISE(ABORT, 'refused') "
                       "WHERE (SELECT count(*) FROM writes) > 1; END"));
    messenger.expect(QStringLiteral("Failed to locate project order info"));
    EXPECT_FALSE(AdvPrjQ_update(QStringLiteral("P")));
    EXPECT_EQ(its(kA), -46200.0);
    EXPECT_EQ(its(kB), -46300.0);

    // A snapshot that cannot be written keeps the old one.
    exec(
        QStringLiteral("CREATE TEMP TRIGGER refuseSnapshot BEFORE INSERT ON prjordr.PRJORDR "
                       "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    messenger.expect(QStringLiteral("Failed to save Advanced Project series 7415"));
    EXPECT_FALSE(SaveProjectOrder(QStringLiteral("P")));
    EXPECT_EQ(snapshot(QStringLiteral("P")), (QStringList{QStringLiteral("-46000.2|-46100.1"),
                                                          QStringLiteral("-46000.1|-46100.3")}));
}

TEST_F(ProjectOrderTest, ARestoreRewritesOnlyTheItemsOutOfOrder)
{
    addProject(QStringLiteral("P"), -45000.0L);
    addItem(kA, QStringLiteral("a"), {}, {QStringLiteral("P")}, -46100.3L);
    addItem(kB, QStringLiteral("b"), {}, {QStringLiteral("P")}, -46100.1L);
    ASSERT_TRUE(AdvPrjQ_update(QStringLiteral("P")));
    setIts(kB, -46300.0);
    exec(QStringLiteral("CREATE TEMP TABLE writes (IT)"));
    exec(
        QStringLiteral("CREATE TEMP TRIGGER noted AFTER UPDATE ON main.ITEM BEGIN "
                       "INSERT INTO writes VALUES (NEW.IT); END"));

    ProjectOrderRestore restore;
    ASSERT_TRUE(restore.restore(QStringLiteral("P")));
    ASSERT_TRUE(restore.restore(QStringLiteral("P")));
    EXPECT_EQ(its(kB), -46100.1);
    EXPECT_EQ(rows(QStringLiteral("SELECT IT FROM writes")),
              QStringList{QStringLiteral("-46000.2")});
}

TEST_F(ProjectOrderTest, CollectDeskOrdersByHeightBeforeLeftAndLinksEveryVisibleCard)
{
    addProject(QStringLiteral("P"), -45000.0L);
    addItem(kA, QStringLiteral("a"));
    addItem(kB, QStringLiteral("b"));
    addItem(kC, QStringLiteral("full"));
    test::FakeCardHost host;
    ItemCardData& a = host.addItem(kA);
    a.pos = QPoint(1500, 100);
    ItemCardData& b = host.addItem(kB);
    b.pos = QPoint(0, 101);
    ItemCardData& full = host.addItem(kC);
    for (int i = 0; i < ItemCardData::kMaxLinks; ++i) full.projects << QStringLiteral("X%1").arg(i);
    addItem(-46000.4L, QStringLiteral("dropped"));
    host.addItem(-46000.4L).hidden = true;

    messenger.answer(MessageButton::Ok);  // "Max no of detail objects per main object exceeded"
    messenger.answer(MessageButton::No);
    ASSERT_TRUE(CollectDesk(host, QStringLiteral("P")));
    EXPECT_TRUE(messenger.saw(QStringLiteral("qb3949X")));
    EXPECT_TRUE(messenger.saw(QStringLiteral("Clear desktop to get items in order at next drop")));

    // One pixel of height weighs as much as 1000 pixels of left: B comes before A.
    EXPECT_EQ(ids(QStringLiteral("P")), (std::vector<double>{double(kB), double(kA)}));
    EXPECT_FALSE(full.projects.contains(QStringLiteral("P")));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM ITEMURL WHERE Project = 'P'")).toInt(),
              2);
    EXPECT_EQ(snapshot(QStringLiteral("P")).size(), 2);
    // Answered no: the cards stay on the desktop.
    EXPECT_EQ(host.cards().size(), 3u);
}

TEST_F(ProjectOrderTest, CollectPackKeepsThePackOrderWhereCardsShareAPlace)
{
    addProject(QStringLiteral("P"), -45000.0L);
    for (Timestamp id : {kA, kB, kC}) addItem(id, QStringLiteral("text"));
    test::FakeCardHost host;
    std::vector<CardData*> pack;
    // A pack stacks its 16th and later cards on one spot; the pack's order must still hold,
    // whatever the desktop's order of the cards.
    for (Timestamp id : {kA, kB, kC}) {
        ItemCardData& card = host.addItem(id);
        card.pos = QPoint(300, 300);
        pack.insert(pack.begin(), &card);
    }
    ItemCardData& other = host.addItem(addItem(-46000.4L, QStringLiteral("not in the pack")));
    ASSERT_TRUE(CollectPack(host, pack, QStringLiteral("P")));
    EXPECT_EQ(ids(QStringLiteral("P")), (std::vector<double>{double(kC), double(kB), double(kA)}));
    EXPECT_FALSE(other.projects.contains(QStringLiteral("P")));
}

TEST_F(ProjectOrderTest, ReverseCollectDeskPlacesTheItemsAndRemovesTheLastLinkOfTheProject)
{
    test::FakeCardHost host;
    ItemCardData& twice = host.addItem(kA);
    twice.projects = QStringList{QStringLiteral("P"), QStringLiteral("Q"), QStringLiteral("P")};
    ItemCardData& hidden = host.addItem(kB);
    hidden.projects = QStringList{QStringLiteral("P")};
    hidden.hidden = true;
    host.refuse.insert(&hidden);  // cannot be freed: stays on the desktop, hidden
    messenger.expect(QStringLiteral("M838"));
    QString placed;
    int limit = 0;
    projectHooks().placeItems = [&](const QString& project, int max) {
        placed = project;
        limit = max;
    };

    EXPECT_EQ(ReverseCollectDesk(host, QStringLiteral("P")), 1);
    EXPECT_EQ(placed, QStringLiteral("P"));
    EXPECT_EQ(limit, 100);
    EXPECT_EQ(twice.projects, (QStringList{QStringLiteral("P"), QStringLiteral("Q")}));
    EXPECT_TRUE(twice.changed);
    EXPECT_EQ(hidden.projects, QStringList{QStringLiteral("P")});
}

}  // namespace
