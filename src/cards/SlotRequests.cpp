#include "cards/SlotRequests.h"

#include "floor/Messages.h"
#include "session/Session.h"

namespace qb {

namespace {

// Told after the message: a message clears the Esc request.
void reportFull(const char* code)
{
    ShowInfo(QString::fromLatin1(slotmessages::kTooMany), QString::fromLatin1(code), kError,
             slotmessages::kHelp);
    SetAbortFlags();
}

}  // namespace

void ReportSlotTableFull(CardKind kind)
{
    switch (kind) {
    case CardKind::Item: reportFull(slotmessages::kItemCode); break;
    case CardKind::Concept: reportFull(slotmessages::kConceptCode); break;
    case CardKind::Dictionary: reportFull(slotmessages::kDictionaryCode); break;
    case CardKind::Project: reportFull(slotmessages::kProjectCode); break;
    default: break;
    }
}

void SetAbortFlags()
{
    session().flags.requestEscape();
    session().flags.holdAbort();
}

void ClearAbortFlags()
{
    session().flags.clearEscape();
    session().flags.releaseAbort();
}

SlotAnswer GetItemSlot(CardHost& host, QPoint pos, Timestamp itemId, int color)
{
    SlotAnswer answer;
    if (CardData* card = findItemCard(host.cards(), itemId)) {
        host.moveCard(*card, pos);
        host.refreshFoundItem(*card, color);
        answer.result = 0;
        answer.slot = card->slot;
        answer.card = card;
        if (card->slot <= 0) SysProblem(QStringLiteral("Error - 0 item handle!"));
        return answer;
    }
    int slot = host.slotTables().items.firstEmpty(session().settings.itemSlotsUsable());
    if (slot > 0) {
        answer.result = answer.slot = slot;
        return answer;
    }
    reportFull(slotmessages::kItemCode);
    return answer;
}

SlotAnswer GetSynWheelSlot(CardHost& host, QPoint pos, Timestamp conceptId)
{
    SlotAnswer answer;
    if (CardData* card = findConceptCard(host.cards(), conceptId)) {
        host.moveCard(*card, pos);
        host.bringToFront(*card);
        answer.result = 0;
        answer.slot = card->slot;
        answer.card = card;
        return answer;
    }
    int slot = host.slotTables().concepts.firstEmpty(session().settings.conceptSlotsUsable());
    if (slot > 0) {
        answer.result = answer.slot = slot;
        return answer;
    }
    reportFull(slotmessages::kConceptCode);
    return answer;
}

int GetWindowSlot(CardHost& host, CardKind kind)
{
    SlotTable* table = host.slotTables().forKind(kind);
    if (!table || (kind != CardKind::Dictionary && kind != CardKind::Project)) return 0;
    int slot = table->firstEmpty();
    if (slot == 0) ReportSlotTableFull(kind);
    return slot;
}

}  // namespace qb
