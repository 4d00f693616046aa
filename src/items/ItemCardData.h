#pragma once

#include "cards/CardData.h"

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
//
// Line breaks: the text holds "\n" only. The editor hands its text over that way; text read from
// the store or from elsewhere passes through NormalizeLineBreaks, and the commit normalises once
// more, so CR LF and lone CR never reach ITEM.TX.
struct ItemCardData : CardData {
    static constexpr int kMaxLinks = 24;
    static constexpr int kMaxTextLength = 32000;
    static constexpr int kMaxNameLength = 50;  // keyword words and project names on the card
    static constexpr int kMaxPicturePixels = 1000000;

    ItemCardData() : CardData(CardKind::Item) {}

    Timestamp itemId = 0;
    QString text;                       // at most 32000 characters, "\n" line breaks
    std::vector<KeywordLink> keywords;  // positions 1..24 are indexes 0..23
    QStringList projects;               // project names, at most 50 characters each
    bool hasPicture = false;
    QImage picture;
    // The store holds a picture that could not be decoded: the commit leaves it as it is.
    bool pictureUnread = false;
    QString pictureRefusal;  // why the stored picture was not shown
    bool keywordAdded = false;

    int keyCount() const { return int(keywords.size()); }
    int projCount() const { return int(projects.size()); }

    bool canHide() const override;
    bool isEmpty() const override;
    std::optional<Timestamp> shownItemId() const override { return itemId; }
};

}  // namespace qb
