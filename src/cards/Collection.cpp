#include "cards/Collection.h"

#include "cards/PlacementCounters.h"
#include "cards/SlotRequests.h"
#include "floor/Messages.h"
#include "session/Session.h"

#include <QRect>

#include <exception>

namespace qb {

PlacementCounters& placementCounters() { return session().part<PlacementCounters>(); }

namespace {

CardData* nextToFree(const CardHost& host)
{
    for (CardData* card : host.cards())
        if (card->hidden && !card->unfreeable && !AwaitsCommit(*card)) return card;
    return nullptr;
}

// Empties the slot entry of a freed card; the card itself may be gone already, so only its
// address is compared.
bool releaseSlot(CardHost& host, CardKind kind, int slot, const CardData* card)
{
    switch (kind) {
    case CardKind::Item:
    case CardKind::Concept:
    case CardKind::Dictionary:
    case CardKind::Project: host.slotTables().forKind(kind)->release(slot, card); return true;
    case CardKind::Inflection:
    case CardKind::Flyword: return true;
    default: return false;
    }
}

void markHidden(CardHost& host, ClearCommand command)
{
    for (CardData* card : host.cards())
        if (ClearedBy(command, *card)) card->hidden = true;
}

}  // namespace

void Collect(CardHost& host, bool force)
{
    Session& s = session();
    if (s.flags.closing()) return;
    if (!force && !s.hooks.itemsHaveKeywords()) return;
    host.focusAway();
    // The child list is read again after every card: events run in between and may change it.
    while (CardData* card = nextToFree(host)) {
        const CardKind kind = card->kind;
        const int slot = card->slot;
        if (kind == CardKind::Item && card->rescheduleOnCollect && s.hooks.reschedule) {
            if (auto id = itemIdOf(*card)) s.hooks.reschedule(*id);
        }
        const int before = host.childCount();
        const bool freed = host.freeCard(*card);
        // Counted before events run: a widget they add (a picture, a placed card) is no card
        // that stayed.
        const bool left = freed && host.childCount() < before;
        if (freed && !releaseSlot(host, kind, slot, card))
            SysProblem(QString::fromLatin1(collectmessages::kUnknownKind));
        host.processEvents();
        if (!left) {
            SysProblem(QString::fromLatin1(collectmessages::kNotFreed));
            if (!freed) card->unfreeable = true;
            return;
        }
    }
}

void GarbageCollect(CardHost& host, bool force)
{
    Session& s = session();
    if (s.commitRunning.raised()) return;
    try {
        if (force || s.hooks.itemsHaveKeywords()) {
            host.focusAway();
            s.hooks.commit();
        }
        Collect(host, force);
        host.redrawMap();
    } catch (const std::exception&) {
        PlainMessage(QString::fromLatin1(collectmessages::kGeneral));
    }
}

void GeneralUpdate(CardHost& host, bool force)
{
    if (!session().desktopDirty) return;
    GarbageCollect(host, force);
    session().desktopDirty = false;
}

bool ClearedBy(ClearCommand command, const CardData& card)
{
    const CardKind k = card.kind;
    const bool itemOrConcept = k == CardKind::Item || k == CardKind::Concept;
    switch (command) {
    case ClearCommand::Concepts: return k == CardKind::Concept && !card.marked;
    case ClearCommand::ItemsNotMarked: return k == CardKind::Item && !card.marked;
    case ClearCommand::AllItems: return k == CardKind::Item;
    case ClearCommand::Inflections: return k == CardKind::Inflection;
    case ClearCommand::Flywords: return k == CardKind::Flyword;
    case ClearCommand::AllUnmarked: return itemOrConcept && !card.marked;
    case ClearCommand::AllCards:
        return itemOrConcept || k == CardKind::Inflection || k == CardKind::Flyword;
    case ClearCommand::Desktop: return true;
    }
    return false;
}

void ClearCards(CardHost& host, ClearCommand command)
{
    Session& s = session();
    const bool itemCommand =
        command == ClearCommand::ItemsNotMarked || command == ClearCommand::AllItems;
    const bool allCards = command == ClearCommand::AllCards;
    if ((itemCommand || allCards) && s.commitRunning.raised()) return;
    try {
        if (command != ClearCommand::Desktop) host.focusAway();
        markHidden(host, command);
        switch (command) {
        case ClearCommand::AllCards:
            ClearAbortFlags();
            s.commitRunning.lower();
            GarbageCollect(host, false);
            placementCounters().reset();
            host.allCardsCleared();
            break;
        case ClearCommand::Desktop:
            // Every card must go, so the collection is forced: pending edits are written first.
            GarbageCollect(host, true);
            placementCounters().reset();
            host.processEvents();
            GarbageCollect(host, true);
            break;
        case ClearCommand::Concepts:
        case ClearCommand::ItemsNotMarked:
        case ClearCommand::AllItems:
            GarbageCollect(host, false);
            placementCounters().reset();
            break;
        default: GarbageCollect(host, false); break;
        }
    } catch (const std::exception&) {
        PlainMessage(QString::fromLatin1(allCards ? collectmessages::kClearAll
                                                  : collectmessages::kClearing));
    }
}

bool AwaitsCommit(const CardData& card)
{
    const bool written = card.kind == CardKind::Item || card.kind == CardKind::Concept;
    return written && card.changed && !card.unfreeable;
}

int KeepUnwrittenCards(CardHost& host)
{
    const QRect visible(host.scroll(), host.visibleSize());
    int waiting = 0;
    int shown = 0;
    for (CardData* card : host.cards()) {
        if (!AwaitsCommit(*card)) continue;
        ++waiting;
        if (!card->hidden || card->deleted) continue;
        card->hidden = false;
        if (!visible.intersects(QRect(card->pos, card->size))) {
            // A small cascade from the top left corner, so that several cards stay apart.
            const int step = 24 * (shown % 10);
            host.moveCard(*card, visible.topLeft() + QPoint(20 + step, 20 + step));
        }
        host.setCardVisible(*card, true);
        host.bringToFront(*card);
        ++shown;
    }
    if (shown > 0) host.redrawMap();
    // The next update that looks at the flag tries them again.
    if (waiting > 0) session().desktopDirty = true;
    return waiting;
}

int UndoRecentDeletes(CardHost& host)
{
    int restored = 0;
    for (CardData* card : host.cards()) {
        // An unfreeable card comes back too; it stays unfreeable, so no commit writes it.
        if (!card->deleted) continue;
        card->deleted = false;
        card->hidden = false;
        host.setCardVisible(*card, true);
        ++restored;
    }
    if (restored > 0) host.redrawMap();
    return restored;
}

void Collect(bool force)
{
    if (CardHost* host = cardHost()) Collect(*host, force);
}

void GarbageCollect(bool force)
{
    if (CardHost* host = cardHost()) GarbageCollect(*host, force);
}

void GeneralUpdate(bool force)
{
    if (CardHost* host = cardHost()) GeneralUpdate(*host, force);
}

void ClearCards(ClearCommand command)
{
    if (CardHost* host = cardHost()) ClearCards(*host, command);
}

}  // namespace qb
