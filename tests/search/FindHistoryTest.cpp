#include "search/FindHistory.h"
#include "support/StoreFixture.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace qb;
using namespace qb::search;

namespace {

class FindHistory : public test::StoreFixture {};

TEST_F(FindHistory, PromotedTextGoesFirstWithoutBlanksOrDuplicates)
{
    QStringList history{QStringLiteral("war"), QStringLiteral("  "), QStringLiteral("Peace"),
                        QString(), QStringLiteral("art")};
    PromoteFindEntry(history, QStringLiteral("PEACE"));
    EXPECT_EQ(history,
              (QStringList{QStringLiteral("peace"), QStringLiteral("war"), QStringLiteral("art")}));
    PromoteFindEntry(history, QString());
    EXPECT_EQ(history,
              (QStringList{QStringLiteral("peace"), QStringLiteral("war"), QStringLiteral("art")}));
    PromoteFindEntry(history, QStringLiteral("art"));
    EXPECT_EQ(history.first(), QStringLiteral("art"));
    EXPECT_EQ(history.size(), 3);
}

TEST_F(FindHistory, SavedEntriesComeBackInOrderAndBlankOrDoubledEntriesAreSkipped)
{
    writeIni(
        QStringLiteral("[SYSTEM]\nQuiet=0\n[SAVEDFIND]\nCount=5\nFindEntry_0=war\n"
                       "FindEntry_1=\nFindEntry_2=peace\nFindEntry_3=War\n"
                       "FindEntry_4=   \n"));
    EXPECT_EQ(LoadFindEntries(), (QStringList{QStringLiteral("war"), QStringLiteral("peace")}));

    ASSERT_TRUE(SaveFindEntries({QStringLiteral("\u00E9t\u00E9"), QStringLiteral("art")}));
    EXPECT_EQ(LoadFindEntries(),
              (QStringList{QStringLiteral("\u00E9t\u00E9"), QStringLiteral("art")}));
    QFile ini(path(QStringLiteral("qb.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QString content = QString::fromUtf8(ini.readAll());
    EXPECT_TRUE(content.contains(QStringLiteral("Count=2")));
    EXPECT_FALSE(content.contains(QStringLiteral("FindEntry_2")));
    // The other sections stay.
    EXPECT_TRUE(content.contains(QStringLiteral("Quiet=0")));
}

}  // namespace
