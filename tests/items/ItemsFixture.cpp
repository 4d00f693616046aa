#include "ItemsFixture.h"

namespace qb::test {

void ItemsFixture::exec(const QString& sql, const QVariantList& params)
{
    sql::Statement st(db(), sql);
    for (int i = 0; i < params.size(); ++i) st.bindVariant(i + 1, params[i]);
    ASSERT_TRUE(st.run()) << sql.toStdString() << ": " << st.error().toStdString();
}

std::vector<QVariantList> ItemsFixture::rows(const QString& sql, const QVariantList& params)
{
    std::vector<QVariantList> out;
    sql::Statement st(db(), sql);
    for (int i = 0; i < params.size(); ++i) st.bindVariant(i + 1, params[i]);
    while (st.next()) {
        QVariantList row;
        for (int c = 0; c < st.columnCount(); ++c) row << st.value(c);
        out.push_back(row);
    }
    EXPECT_TRUE(st.ok()) << sql.toStdString() << ": " << st.error().toStdString();
    return out;
}

void ItemsFixture::addWord(int wordNo, const QString& word)
{
    exec(QStringLiteral("INSERT INTO WORD (Word, WNo, WTS, WTS2, WFQ) VALUES (?1, ?2, -1, -1, 1)"),
         {word, wordNo});
}

void ItemsFixture::addConcept(Timestamp conceptId, const std::vector<int>& wordNos)
{
    for (int w : wordNos)
        exec(QStringLiteral("INSERT INTO DICT (C, WNo, CTS) VALUES (?1, ?2, ?1)"), {double(conceptId), w});
}

void ItemsFixture::addProject(const QString& name, Timestamp pts)
{
    exec(QStringLiteral("INSERT INTO PROJECT (Project, PTS, URL, Tag) VALUES (?1, ?2, '', 'NONE')"),
         {name, double(pts)});
}

void ItemsFixture::addItem(Timestamp id, const QString& text,
                           const std::vector<std::pair<Timestamp, int>>& keys, const QStringList& projects)
{
    exec(QStringLiteral("INSERT INTO ITEM (IT, TX, ITS, Animation) VALUES (?1, ?2, ?1, NULL)"),
         {double(id), text});
    int order = 0;
    for (const auto& [conceptId, wordNo] : keys)
        exec(QStringLiteral("INSERT INTO ITEMKEYS (IT, \"Order\", ITC, WNo) VALUES (?1, ?2, ?3, ?4)"),
             {double(id), ++order, double(conceptId), wordNo});
    order = 0;
    for (const QString& p : projects)
        exec(QStringLiteral("INSERT INTO ITEMURL (IT, \"Order\", Project) VALUES (?1, ?2, ?3)"),
             {double(id), ++order, p});
}

ItemCardData& ItemsFixture::newItemCard(Timestamp id, const QString& text)
{
    auto card = std::make_unique<ItemCardData>();
    card->itemId = id;
    card->text = text;
    card->changed = true;
    ItemCardData& ref = *card;
    cards.push_back(std::move(card));
    return ref;
}

ConceptCardData& ItemsFixture::newConceptCard(Timestamp id, const std::vector<ConceptWord>& words)
{
    auto card = std::make_unique<ConceptCardData>();
    card->conceptId = id;
    card->words = words;
    card->changed = true;
    ConceptCardData& ref = *card;
    cards.push_back(std::move(card));
    return ref;
}

std::vector<CardData*> ItemsFixture::order() const
{
    std::vector<CardData*> out;
    for (const auto& c : cards) out.push_back(c.get());
    return out;
}

}  // namespace qb::test
