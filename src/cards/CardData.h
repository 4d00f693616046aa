#pragma once

#include "store/Timestamps.h"

#include <QPoint>
#include <QSize>

#include <optional>

namespace qb {

// Card kinds; the numbers are the colour indexes of the desktop map.
enum class CardKind : int {
    Base = 0,
    Concept = 3,
    Dictionary = 4,
    Inflection = 5,
    Item = 6,
    Project = 7,
    Flyword = 8,
};

// The plain data every card owns: flags, slot, size and place. Core rules (commit, collection,
// placement, sorting) read and write it; the card widget shows what it says.
struct CardData {
    explicit CardData(CardKind k) : kind(k) {}
    virtual ~CardData() = default;
    CardData(const CardData&) = default;
    CardData& operator=(const CardData&) = default;

    CardKind kind;

    bool changed = false;     // edits that the next commit writes
    bool deleted = false;     // to be deleted from the store at the next commit
    bool hidden = false;      // dropped from the desktop; waits to be freed
    bool marked = false;      // marked by the user; clearing commands spare it
    bool unfreeable = false;  // freeing failed once; commits and collection skip it
    bool rescheduleOnCollect = false;
    bool beingReordered = false;  // a keyword reorder is running; commits skip the card
    Timestamp pendingTS = 0;      // 0, or the ITS the next commit writes (project order)
    bool unsaved = false;  // new; no record carries its id yet (the commit checks the id is free)

    int slot = 0;  // slot number in its kind's table, 0 when it has none

    // Desktop coordinates (scroll positions included) and size.
    QPoint pos{0, 0};
    QSize size{120, 120};
    bool expanded = false;
    QSize normalSize{120, 120};
    QSize altSize{213, 190};
    QPoint altPos{-99, -99};   // -99 until the card has been shrunk once from its alternative size
    QPoint normalPos{0, 0};    // where the card stood when it was last expanded
    bool layoutValid = false;  // the inner layout matches the size

    int normalColor = 15780004;
    int markedColor = 0x800000;

    // Whether closing the card may drop it (it has something worth keeping).
    virtual bool canHide() const { return true; }
    // Whether the card holds nothing (an empty card is deleted instead of dropped).
    virtual bool isEmpty() const { return true; }
    // The item or concept the card shows; none for the other kinds.
    virtual std::optional<Timestamp> shownItemId() const { return std::nullopt; }
    virtual std::optional<Timestamp> shownConceptId() const { return std::nullopt; }
};

}  // namespace qb
