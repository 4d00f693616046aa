#include "DictionaryFixture.h"

#include "dictionary/AlphabeticalWordIndex.h"
#include "dictionary/WordOrderModel.h"
#include "platform/Sqlite.h"

#include <gtest/gtest.h>

#include <QCollator>
#include <QRandomGenerator>

#include <algorithm>

using namespace qb;

class DictionaryOrders : public test::DictionaryFixture {
protected:
    // Words with their own WTS, WTS2 and WFQ (WNo = position + 1).
    void addRows(const std::vector<std::tuple<QString, QVariant, QVariant, QVariant>>& words)
    {
        int n = 1;
        for (const auto& [word, wts, wts2, wfq] : words)
            exec(QStringLiteral(
                     "INSERT INTO WORD (Word, WNo, WTS, WTS2, WFQ) VALUES (?1, ?2, ?3, ?4, ?5)"),
                 {word, n++, wts, wts2, wfq});
    }
    void reindex() { AlphabeticalWordIndex::of(session().store.db()).invalidate(); }
};

TEST_F(DictionaryOrders, FourTitleClicksComeBackAndKeepTheWord)
{
    addRows({{QStringLiteral("pear"), -46000.3, -46000.7, -2},
             {QStringLiteral("apple"), -46000.1, -46000.9, -5},
             {QStringLiteral("plum"), -46000.2, -46000.8, 1}});
    DictionaryBrowser window;
    window.setOrder(DictOrder::Alphabetical);
    ASSERT_EQ(wordsOf(window), (QStringList{QStringLiteral("apple"), QStringLiteral("pear"),
                                            QStringLiteral("plum")}));
    ASSERT_TRUE(window.positionOnWord(QStringLiteral("pear")));

    QStringList titles;
    QStringList orders;
    for (int click = 0; click < 4; ++click) {
        window.nextOrder();
        titles << window.title();
        orders << wordsOf(window).join(QLatin1Char(','));
        EXPECT_EQ(window.current().word, QStringLiteral("pear")) << window.title().toStdString();
    }
    EXPECT_EQ(titles, (QStringList{QStringLiteral("TIME STAMP ORDER"),
                                   QStringLiteral("USAGE ORDER"), QStringLiteral("FREQUENCY ORDER"),
                                   QStringLiteral("ALPHABETICAL ORDER")}));
    EXPECT_EQ(orders,
              (QStringList{QStringLiteral("pear,plum,apple"), QStringLiteral("apple,plum,pear"),
                           QStringLiteral("apple,pear,plum"), QStringLiteral("apple,pear,plum")}));
    EXPECT_EQ(window.order(), DictOrder::Alphabetical);
}

TEST_F(DictionaryOrders, AClickLandsOnTheFirstRowWithTheValueOrOnTheFirstRow)
{
    addRows({{QStringLiteral("apple"), -46000.1, QVariant(), 1},
             {QStringLiteral("bean"), -46000.2, QVariant(), -3},
             {QStringLiteral("corn"), -46000.3, -46000.5, -3}});
    DictionaryBrowser window;
    window.setOrder(DictOrder::Alphabetical);
    ASSERT_TRUE(window.positionOnWord(QStringLiteral("corn")));
    window.setOrder(DictOrder::Frequency);  // bean and corn share -3; bean comes first
    EXPECT_EQ(window.current().word, QStringLiteral("bean"));
    window.setOrder(DictOrder::Usage);  // bean has no usage stamp: the first row
    EXPECT_EQ(window.currentIndex(), 0);
    // Words never used come after the used ones.
    EXPECT_EQ(wordsOf(window), (QStringList{QStringLiteral("corn"), QStringLiteral("apple"),
                                            QStringLiteral("bean")}));
    EXPECT_EQ(window.model().indexOfRowId(2), 2);
}

TEST_F(DictionaryOrders, StoredCodesMapToOrders)
{
    addWords({QStringLiteral("one")});
    DictionaryBrowser window;
    EXPECT_EQ(window.order(), DictOrder::TimeStamp);
    EXPECT_EQ(window.storedOrderCode(), 2);
    window.setStoredOrder(0);
    EXPECT_EQ(window.order(), DictOrder::TimeStamp);
    window.setStoredOrder(4);
    EXPECT_EQ(window.order(), DictOrder::Frequency);
    window.setStoredOrder(1);
    EXPECT_EQ(window.title(), QStringLiteral("ALPHABETICAL ORDER"));
    window.setStoredOrder(3);
    EXPECT_EQ(window.storedOrderCode(), 3);
    window.setStoredOrder(9);
    EXPECT_EQ(window.order(), DictOrder::Usage);
}

TEST_F(DictionaryOrders, AlphabeticalOrderFollowsTheLocaleWithoutRegardToCase)
{
    addRows({{QStringLiteral("Zebra"), -1.0, QVariant(), 1},
             {QStringLiteral("äpfel"), -1.0, QVariant(), 1},
             {QStringLiteral("apple"), -1.0, QVariant(), 1},
             {QStringLiteral("Banana"), -1.0, QVariant(), 1},
             {QStringLiteral("ápple"), -1.0, QVariant(), 1}});
    DictionaryBrowser window;
    window.setOrder(DictOrder::Alphabetical);
    EXPECT_EQ(wordsOf(window), (QStringList{QStringLiteral("äpfel"), QStringLiteral("apple"),
                                            QStringLiteral("ápple"), QStringLiteral("Banana"),
                                            QStringLiteral("Zebra")}));
    EXPECT_EQ(window.model().locate(QStringLiteral("ZEB")), 4);
    EXPECT_EQ(window.model().locate(QStringLiteral("b")), 3);
    EXPECT_EQ(window.model().locate(QStringLiteral("x")), -1);

    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    reindex();
    window.refresh();
    EXPECT_EQ(wordsOf(window).last(), QStringLiteral("äpfel"));  // after z in Swedish
}

TEST_F(DictionaryOrders, PagedRowsMatchTheWholeOrderedTable)
{
    QRandomGenerator random(7);
    {
        sql::Transaction tx(session().store.db());
        sql::Statement st(
            session().store.db(),
            QStringLiteral(
                "INSERT INTO WORD (Word, WNo, WTS, WTS2, WFQ) VALUES (?1, ?2, ?3, ?4, ?5)"));
        for (int i = 1; i <= 1500; ++i) {
            QString w;
            for (int k = 0, n = 2 + random.bounded(6); k < n; ++k)
                w += QChar(u'a' + random.bounded(26));
            if (i % 97 == 0) w += QStringLiteral("é");
            st.reset();
            st.bind(1, w).bind(2, i).bind(3, -46000.0 - random.bounded(400) / 100.0);
            if (i % 3) st.bind(4, -46000.0 - random.bounded(50) / 10.0);
            st.bind(5, random.bounded(8) - 6);
            ASSERT_TRUE(st.run());
        }
        ASSERT_TRUE(tx.commit());
    }
    struct Case {
        DictOrder order;
        const char* sql;
    };
    for (Case c :
         {Case{DictOrder::TimeStamp, "SELECT rowid FROM WORD ORDER BY WTS IS NULL, WTS, rowid"},
          Case{DictOrder::Usage, "SELECT rowid FROM WORD ORDER BY WTS2 IS NULL, WTS2, rowid"},
          Case{DictOrder::Frequency, "SELECT rowid FROM WORD ORDER BY WFQ IS NULL, WFQ, rowid"}}) {
        SCOPED_TRACE(dictOrderTitle(c.order).toStdString());
        std::vector<long long> expected;
        sql::Statement st(session().store.db(), QString::fromLatin1(c.sql));
        while (st.next()) expected.push_back(st.int64Value(0));
        auto model = WordOrderModel::create(session().store.db(), c.order);
        ASSERT_EQ(model->rowCount(), int(expected.size()));
        // Backwards, so that every window is fetched anew.
        for (int i = model->rowCount() - 1; i >= 0; --i)
            ASSERT_EQ(model->row(i).rowId, expected[i]) << i;
        for (int i : {0, 1, 777, 1499}) EXPECT_EQ(model->indexOfRowId(expected[i]), i);
        EXPECT_FALSE(model->row(1500).isValid());
        EXPECT_EQ(model->indexOfRowId(99999), -1);
    }

    // Alphabetical: the collator's order, rowid breaking ties.
    std::vector<std::pair<QString, long long>> all;
    sql::Statement st(session().store.db(), QStringLiteral("SELECT Word, rowid FROM WORD"));
    while (st.next()) all.push_back({st.textValue(0), st.int64Value(1)});
    QCollator collator = AlphabeticalWordIndex::makeCollator();
    std::sort(all.begin(), all.end(), [&](const auto& a, const auto& b) {
        int cmp = collator.compare(a.first, b.first);
        return cmp != 0 ? cmp < 0 : a.second < b.second;
    });
    auto alpha = WordOrderModel::create(session().store.db(), DictOrder::Alphabetical);
    ASSERT_EQ(alpha->rowCount(), int(all.size()));
    for (int i = 0; i < alpha->rowCount(); ++i) ASSERT_EQ(alpha->row(i).rowId, all[i].second) << i;
    EXPECT_TRUE(alpha->row(1200).wts.has_value());
}

TEST_F(DictionaryOrders, FindingWordsInEachOrderGoesForwardFromAPosition)
{
    addRows({{QStringLiteral("carpet"), -46000.5, -46000.5, 1},
             {QStringLiteral("car"), -46000.4, -46000.4, 1},
             {QStringLiteral("scar"), -46000.3, -46000.3, 1},
             {QStringLiteral("oscar"), -46000.2, -46000.2, 1}});
    for (DictOrder order :
         {DictOrder::TimeStamp, DictOrder::Alphabetical, DictOrder::Usage, DictOrder::Frequency}) {
        SCOPED_TRACE(dictOrderTitle(order).toStdString());
        DictionaryBrowser window;
        window.setOrder(order);
        WordOrderModel& m = window.model();
        QStringList found;
        for (int at = m.findContaining(QStringLiteral("car"), 0); at >= 0;
             at = m.findContaining(QStringLiteral("car"), at + 1))
            found << m.row(at).word;
        EXPECT_EQ(found, wordsOf(window));
        int exact = m.findExact(QStringLiteral("car"), 0);
        EXPECT_EQ(m.row(exact).word, QStringLiteral("car"));
        EXPECT_EQ(m.findExact(QStringLiteral("car"), exact + 1), -1);
        EXPECT_EQ(m.row(m.locate(QStringLiteral("Sc"))).word, QStringLiteral("scar"));
        EXPECT_EQ(m.row(m.indexOf(4)).word, QStringLiteral("oscar"));
        EXPECT_EQ(m.indexOf(40), -1);
    }
}

TEST_F(DictionaryOrders, AWindowSeesWordsWrittenByAnotherProgramAfterARefresh)
{
    addWords({QStringLiteral("alpha"), QStringLiteral("gamma")});
    DictionaryBrowser window;
    window.setOrder(DictOrder::Alphabetical);
    ASSERT_EQ(window.rowCount(), 2);
    {
        sql::Database other;
        ASSERT_TRUE(other.open(path(QStringLiteral("WORD.DB")), false));
        ASSERT_TRUE(other.exec(QStringLiteral("INSERT INTO WORD (Word, WNo) VALUES ('beta', 3)")));
        ASSERT_TRUE(other.exec(QStringLiteral("UPDATE WORD SET Word = 'delta' WHERE WNo = 2")));
    }
    window.refresh();
    EXPECT_EQ(wordsOf(window), (QStringList{QStringLiteral("alpha"), QStringLiteral("beta"),
                                            QStringLiteral("delta")}));
    // Nothing changed: the order is not built again.
    AlphabeticalWordIndex& index = AlphabeticalWordIndex::of(session().store.db());
    int builds = index.buildCount();
    int updates = index.updateCount();
    window.setOrder(DictOrder::TimeStamp);
    window.setOrder(DictOrder::Alphabetical);
    EXPECT_EQ(index.buildCount(), builds);
    EXPECT_EQ(index.updateCount(), updates);

    // Words added, renamed and deleted here are merged into the order that is already there.
    CreateWord(QStringLiteral("epsilon"));
    CreateWord(QStringLiteral("aardvark"));
    exec(QStringLiteral("UPDATE WORD SET Word = 'zeta' WHERE Word = 'alpha'"));
    exec(QStringLiteral("DELETE FROM WORD WHERE Word = 'beta'"));
    window.refresh();
    EXPECT_EQ(wordsOf(window), (QStringList{QStringLiteral("aardvark"), QStringLiteral("delta"),
                                            QStringLiteral("epsilon"), QStringLiteral("zeta")}));
    EXPECT_EQ(index.buildCount(), builds);
}

TEST_F(DictionaryOrders, AWordTableWithoutUsageAndFrequencyFieldsStillShows)
{
    exec(QStringLiteral("DROP TABLE word.WORD"));
    exec(QStringLiteral("CREATE TABLE word.WORD (Word VARCHAR(38), WNo INTEGER, WTS DOUBLE)"));
    exec(QStringLiteral(
        "INSERT INTO word.WORD VALUES ('pear', 1, -46000.1), ('apple', 2, -46000.2)"));
    DictionaryBrowser window;
    for (DictOrder order : {DictOrder::Usage, DictOrder::Frequency}) {
        window.setOrder(order);
        EXPECT_EQ(wordsOf(window), (QStringList{QStringLiteral("pear"), QStringLiteral("apple")}));
        EXPECT_FALSE(window.current().wts2.has_value());
        EXPECT_EQ(window.model().findContaining(QStringLiteral("app"), 0), 1);
    }
    window.setOrder(DictOrder::TimeStamp);
    EXPECT_EQ(wordsOf(window), (QStringList{QStringLiteral("apple"), QStringLiteral("pear")}));
    EXPECT_EQ(window.current().word, QStringLiteral("pear"));  // the row it stood on
}
