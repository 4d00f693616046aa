#include "ItemsFixture.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <memory>
#include <set>

using namespace qb;

namespace {

class ItemCliConcurrency : public test::ItemsFixture {};

TEST_F(ItemCliConcurrency, TwentyParallelAddsKeepTwentyItemsWithTheirOwnKeywordsAndConcepts)
{
    session().store.close();
    constexpr int kRuns = 20;
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < kRuns; ++i) {
        auto p = std::make_unique<QProcess>();
        p->start(cliPath(), {QStringLiteral("--dir"), dir(), QStringLiteral("item"),
                             QStringLiteral("add"), QStringLiteral("--keyword"),
                             QStringLiteral("word%1").arg(i), QStringLiteral("text %1").arg(i)});
        runs.push_back(std::move(p));
    }
    std::set<QString> printed;
    for (int i = 0; i < kRuns; ++i) {
        ASSERT_TRUE(runs[i]->waitForFinished(120000));
        EXPECT_EQ(runs[i]->exitCode(), 0) << runs[i]->readAllStandardError().toStdString();
        printed.insert(QString::fromUtf8(runs[i]->readAllStandardOutput()).trimmed());
    }
    EXPECT_EQ(printed.size(), size_t(kRuns));

    QString error;
    ASSERT_TRUE(session().store.open(dir(), &error)) << error.toStdString();
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(DISTINCT IT) FROM ITEM")).toInt(), kRuns);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(DISTINCT C) FROM DICT")).toInt(), kRuns);
    for (int i = 0; i < kRuns; ++i) {
        // The item of run i carries word i through a concept that holds word i alone.
        const auto r =
            rows(QStringLiteral(
                     "SELECT k.ITC, (SELECT COUNT(*) FROM DICT d WHERE d.C = k.ITC), "
                     "(SELECT COUNT(*) FROM DICT d WHERE d.C = k.ITC AND d.WNo = w.WNo) "
                     "FROM ITEM i JOIN ITEMKEYS k ON k.IT = i.IT JOIN WORD w ON w.WNo = k.WNo "
                     "WHERE i.TX = ?1 AND w.Word = ?2"),
                 {QStringLiteral("text %1").arg(i), QStringLiteral("word%1").arg(i)});
        ASSERT_EQ(r.size(), 1u) << "run " << i;
        EXPECT_EQ(r[0][1].toInt(), 1) << "run " << i;
        EXPECT_EQ(r[0][2].toInt(), 1) << "run " << i;
    }
}

}  // namespace
