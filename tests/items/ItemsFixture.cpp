#include "ItemsFixture.h"

namespace qb::test {

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
