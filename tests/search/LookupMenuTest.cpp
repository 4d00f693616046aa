#include "search/LookupMenuRules.h"
#include "session/Session.h"
#include "support/StoreFixture.h"

#include <gtest/gtest.h>

#include <QLocale>

using namespace qb;
using search::LookupEntry;

namespace {

class LookupMenuEntries : public test::StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override
    {
        QLocale::setDefault(QLocale::c());
        StoreFixture::TearDown();
    }
    void forms(int wordNo, const QStringList& texts)
    {
        for (const QString& t : texts)
            exec(QStringLiteral("INSERT INTO INFLEC (Word, WNo) VALUES (?1, ?2)"), {t, wordNo});
    }
    static QStringList captions(const search::LookupMenu& menu)
    {
        QStringList out;
        for (const LookupEntry& e : menu.entries) out << e.name + QLatin1Char(':') + e.caption;
        return out;
    }
};

TEST_F(LookupMenuEntries, AWordWithFormsOffersThemAsReplacements)
{
    addWord(1, QStringLiteral("\"quoted\" дом"));  // a text that would break a spliced statement
    addWord(2, QStringLiteral("дом"));
    forms(2, {QStringLiteral("дом"), QStringLiteral("дома"), QStringLiteral("дому"),
              QStringLiteral("𝔡𝔬𝔪")});
    const QString text = search::LookupText(QStringLiteral(" Дом, and more"));
    EXPECT_EQ(text, QStringLiteral("дом"));
    search::LookupMenu menu = search::BuildLookupMenu(text);
    EXPECT_EQ(menu.wordNo, 2);
    EXPECT_EQ(captions(menu),
              (QStringList{"Find_pop:Find", "Word_pop:Goto Word", "AddF_pop:Flyword", "AddD_1:-",
                           "AddW_1:-> дома", "AddW_2:-> дому", "AddW_3:-> 𝔡𝔬𝔪", "AddD23:-",
                           "Add_RM:Regular Menu"}));
    EXPECT_EQ(menu.entries[4].kind, LookupEntry::Kind::Replace);
    EXPECT_EQ(menu.entries[6].form, QStringLiteral("𝔡𝔬𝔪"));

    // Quotes in the selection are looked up as text, never as part of a statement.
    EXPECT_EQ(search::BuildLookupMenu(QStringLiteral("\"quoted\" дом")).wordNo, 1);
}

TEST_F(LookupMenuEntries, FormsOfTwoWordsAreNumberedOnAndThoseBeyondTwentyOnlySearch)
{
    addWord(1, QStringLiteral("lead"));
    addWord(2, QStringLiteral("led"));
    forms(1, {QStringLiteral("lead"), QStringLiteral("leads"), QStringLiteral("lede")});
    QStringList many{QStringLiteral("lede")};
    for (int i = 0; i < 21; ++i) many << QStringLiteral("led%1").arg(i, 2, 10, QLatin1Char('0'));
    forms(2, many);
    search::LookupMenu menu = search::BuildLookupMenu(QStringLiteral("lede"));
    EXPECT_EQ(menu.wordNo, -1);
    QStringList shown = captions(menu);
    EXPECT_EQ(shown.mid(0, 6),
              (QStringList{"Find_pop:Find", "AddW_pop:Add Word", "AddF_pop:Flyword", "AddD_1:-",
                           "AddW_1:-> lead", "AddW_2:-> leads"}));
    EXPECT_EQ(shown.at(6), QStringLiteral("AddD22:-"));
    EXPECT_EQ(shown.at(7), QStringLiteral("AddW_3:-> led00"));
    EXPECT_EQ(shown.at(24), QStringLiteral("AddW_20:-> led17"));
    EXPECT_EQ(shown.at(25), QStringLiteral("AddW_21:-> (Notshown)"));
    EXPECT_EQ(menu.entries[25].kind, LookupEntry::Kind::NotShown);
    EXPECT_EQ(shown.at(28), QStringLiteral("AddD223:-"));
    EXPECT_EQ(shown.size(), 30);

    EXPECT_EQ(captions(search::BuildLookupMenu(QStringLiteral("zebra"))),
              (QStringList{"Find_pop:Find", "AddW_pop:Add Word", "AddF_pop:Flyword",
                           "Add_RM:Regular Menu"}));
}

}  // namespace
