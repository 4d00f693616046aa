#pragma once

#include "dictionary/ConceptCardData.h"
#include "items/ItemCardData.h"
#include "platform/Sqlite.h"
#include "session/Session.h"
#include "support/StoreFixture.h"

#include <QVariantList>

#include <memory>
#include <vector>

namespace qb::test {

// A store with a few words, concepts and projects, and helpers to make cards and read rows.
class ItemsFixture : public StoreFixture {
protected:
    sql::Database& db() { return session().store.db(); }

    // All rows of a statement, each as its columns.
    std::vector<QVariantList> rows(const QString& sql, const QVariantList& params = {});

    ItemCardData& newItemCard(Timestamp id, const QString& text);
    ConceptCardData& newConceptCard(Timestamp id, const std::vector<ConceptWord>& words);
    std::vector<CardData*> order() const;

    std::vector<std::unique_ptr<CardData>> cards;
};

}  // namespace qb::test
