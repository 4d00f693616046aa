#pragma once

#include "desktop/CardData.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <vector>

namespace qb {

// One keyword link of an item: a word given through one of its concepts.
struct KeywordLink {
    Timestamp conceptId = 0;
    int wordNo = 0;
    QString word;  // shown on the card, at most 50 characters
};

// The working copy of an item that its card holds until the commit writes it.
struct ItemCardData : CardData {
    static constexpr int kMaxLinks = 24;

    ItemCardData() : CardData(CardKind::Item) {}

    Timestamp itemId = 0;
    QString text;                       // at most 32000 characters, "\n" line breaks
    std::vector<KeywordLink> keywords;  // positions 1..24 are indexes 0..23
    QStringList projects;               // project names, at most 50 characters each
    bool hasPicture = false;
    QImage picture;
    bool keywordAdded = false;

    bool canHide() const override;
    bool isEmpty() const override;
};

}  // namespace qb
