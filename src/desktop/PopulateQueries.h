#pragma once

#include "dictionary/ConceptCardData.h"
#include "items/ItemCardData.h"
#include "store/Timestamps.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace qb {

// One populate call reads at most this many rows of its query.
constexpr int kPopulateRows = 200;

// The concepts holding a word, most recently touched first, each once, at most 200.
std::vector<Timestamp> ConceptsOfWordRows(int wordNo);
// One concept by id (the concept of an item keyword); empty when DICT has no row of it.
std::vector<Timestamp> OneConceptRows(Timestamp conceptId);
// The concepts of an item's keywords, in keyword order, at most 200.
std::vector<Timestamp> ConceptsOfItemRows(Timestamp itemId);
// The words of a concept, most recently touched word first, at most 200. ok is false when the
// query failed.
std::vector<ConceptWord> WordsOfConceptRows(Timestamp conceptId, bool* ok = nullptr);

// One row of an item query (IT, TX, Animation, ITS). The picture itself is read only when the
// card is made, so a set of 200 items never holds 200 pictures at once.
struct ItemRow {
    Timestamp it = 0;
    QString text;
    bool hasAnimation = false;
    Timestamp its = 0;
};

struct ItemRows {
    std::vector<ItemRow> rows;
    QString error;  // empty when the query ran
    bool ok() const { return error.isEmpty(); }
};

// The items of a concept: by touch (ITS, most recently touched first) or by creation (IT
// descending: the oldest first).
enum class ItemOrder { Touched, Created };
ItemRows ItemsOfConceptRows(Timestamp conceptId, ItemOrder order);
// The items of a project, most recently touched first.
ItemRows ItemsOfProjectRows(const QString& project);
// The item of an id (Pop Items wants exactly one row).
ItemRows OneItemRows(Timestamp itemId);

// The stored picture of an item (ITEM.Animation).
QByteArray ItemAnimation(Timestamp itemId, bool* ok = nullptr);

// The keyword and project links of many items at once, one query per table; each item gets
// what AddKeys and AddURLs would give it (links whose word or project is gone dropped, at most
// 24 each). Indexes follow ids. False when a query failed (error says why); the lists then stay
// empty for the failed table.
struct ItemLinks {
    std::vector<KeywordLink> keywords;
    QStringList projects;
};
bool LoadLinksOf(const std::vector<Timestamp>& ids, std::vector<ItemLinks>* links,
                 QString* keyError = nullptr, QString* projectError = nullptr);

// The rows of one populate query and the card data made from them. The links of every row are
// read together the first time a card is asked for.
class ItemSet {
public:
    ItemSet() = default;
    explicit ItemSet(ItemRows rows);

    int size() const { return int(rows_.size()); }
    bool empty() const { return rows_.empty(); }
    const ItemRow& row(int index) const { return rows_[size_t(index)]; }
    Timestamp idAt(int index) const { return rows_[size_t(index)].it; }
    // Locate_GetItem: the first row whose IT equals the id exactly; -1 when none.
    int locate(Timestamp id) const;

    // The data of a card for row index: id, text, links, Changed clear. The picture is left to
    // the caller (ItemAnimation), since its loading is a step of its own.
    std::unique_ptr<ItemCardData> cardData(int index);
    // Whether the keyword links could be read.
    bool keywordsRead() const { return keyError_.isEmpty(); }

private:
    void loadLinks();

    std::vector<ItemRow> rows_;
    bool linksLoaded_ = false;
    std::vector<ItemLinks> links_;
    QString keyError_;
};

// The first concept in DICT, most recently touched first, for which present is false (Pop
// Concepts); none when every concept is present.
std::optional<Timestamp> FirstConceptWhere(const std::function<bool(Timestamp)>& present);
// The first item, most recently touched first, for which present is false (Pop Items).
std::optional<Timestamp> FirstItemWhere(const std::function<bool(Timestamp)>& present);

// A word dragged onto the desktop has been used: its WTS2 is renewed.
bool RenewWordUsage(int wordNo);

}  // namespace qb
