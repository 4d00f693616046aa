#include "support/StoreSeed.h"

#include "platform/Sqlite.h"
#include "session/Session.h"

#include <gtest/gtest.h>

namespace qb::test {

void StoreSeed::exec(const QString& sql, const QVariantList& values)
{
    sql::Statement st(session().store.db(), sql);
    ASSERT_TRUE(st.isValid()) << sql.toStdString() << ": " << st.error().toStdString();
    for (int i = 0; i < values.size(); ++i) st.bindVariant(i + 1, values[i]);
    ASSERT_TRUE(st.run()) << sql.toStdString() << ": " << st.error().toStdString();
}

QStringList StoreSeed::rows(const QString& sql)
{
    sql::Statement st(session().store.db(), sql);
    EXPECT_TRUE(st.isValid()) << sql.toStdString() << ": " << st.error().toStdString();
    QStringList out;
    while (st.next()) {
        QStringList cols;
        for (int c = 0; c < st.columnCount(); ++c) cols << st.value(c).toString();
        out << cols.join(QLatin1Char('|'));
    }
    return out;
}

int StoreSeed::addWord(int wordNo, const QString& word, double wts, int wfq, double wts2)
{
    exec(QStringLiteral("INSERT INTO WORD (Word, WNo, WTS, WTS2, WFQ) VALUES (?1, ?2, ?3, ?4, ?5)"),
         {word, wordNo, wts, wts2, wfq});
    return wordNo;
}

Timestamp StoreSeed::addConcept(Timestamp conceptId, const std::vector<int>& wordNos, Timestamp cts)
{
    for (int w : wordNos)
        exec(QStringLiteral("INSERT INTO DICT (C, WNo, CTS) VALUES (?1, ?2, ?3)"),
             {double(conceptId), w, double(cts == 0 ? conceptId : cts)});
    return conceptId;
}

void StoreSeed::addKeyword(Timestamp itemId, int order, Timestamp conceptId, int wordNo)
{
    exec(QStringLiteral("INSERT INTO ITEMKEYS (IT, \"Order\", ITC, WNo) VALUES (?1, ?2, ?3, ?4)"),
         {double(itemId), order, double(conceptId), wordNo});
}

Timestamp StoreSeed::addProject(const QString& name, Timestamp pts)
{
    exec(QStringLiteral("INSERT INTO PROJECT (Project, PTS, URL, Tag) VALUES (?1, ?2, '', 'NONE')"),
         {name, double(pts)});
    return pts;
}

Timestamp StoreSeed::addItem(Timestamp id, const QString& text,
                             const std::vector<std::pair<Timestamp, int>>& keys,
                             const QStringList& projects, Timestamp its)
{
    exec(QStringLiteral("INSERT INTO ITEM (IT, TX, ITS, Animation) VALUES (?1, ?2, ?3, NULL)"),
         {double(id), text, double(its == 0 ? id : its)});
    int order = 0;
    for (const auto& [conceptId, wordNo] : keys) addKeyword(id, ++order, conceptId, wordNo);
    order = 0;
    for (const QString& p : projects)
        exec(QStringLiteral("INSERT INTO ITEMURL (IT, \"Order\", Project) VALUES (?1, ?2, ?3)"),
             {double(id), ++order, p});
    return id;
}

}  // namespace qb::test
