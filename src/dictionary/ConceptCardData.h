#pragma once

#include "cards/CardData.h"

#include <QString>

#include <vector>

namespace qb {

struct ConceptWord {
    int wordNo = 0;
    QString word;
};

// The working copy of a concept that its card holds until the commit writes its DICT rows.
struct ConceptCardData : CardData {
    static constexpr int kMaxSavedWords = 24;

    ConceptCardData() : CardData(CardKind::Concept) {}

    Timestamp conceptId = 0;
    std::vector<ConceptWord> words;
    int color = 0;  // the random frame colour; not stored

    bool canHide() const override { return !words.empty() && !deleted; }
    bool isEmpty() const override { return words.empty(); }
    std::optional<Timestamp> shownConceptId() const override { return conceptId; }
};

}  // namespace qb
