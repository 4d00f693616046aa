#include "dictionary/DictionaryWindows.h"

#include "cards/CardHost.h"
#include "cards/SlotRequests.h"
#include "dictionary/DictionaryCardData.h"
#include "dictionary/DictionaryState.h"
#include "floor/Messages.h"
#include "session/Session.h"

namespace qb {

DictionaryState& dictionaryState() { return session().part<DictionaryState>(); }

DictionaryHooks& dictionaryHooks() { return session().part<DictionaryHooks>(); }

DictionaryWindows& DictionaryWindows::instance() { return session().part<DictionaryWindows>(); }

// The stand-ins may sit in the desktop's table, which outlives this view.
DictionaryWindows::~DictionaryWindows() { clear(); }

SlotTable& DictionaryWindows::table() const
{
    if (CardHost* host = cardHost()) return host->slotTables().dictionaries;
    return own_;
}

int DictionaryWindows::firstFreeSlot() const { return table().firstEmpty(); }

int DictionaryWindows::reserveSlot() const
{
    int s = firstFreeSlot();
    if (s == 0) ReportSlotTableFull(CardKind::Dictionary);
    return s;
}

void DictionaryWindows::put(int slot, DictionaryWindowHost* window)
{
    if (!window || slot < 1 || slot > kSlots || at(slot) == window) return;
    auto standIn = std::make_unique<DictionaryCardData>();
    standIn->window = window;
    if (table().assign(slot, *standIn)) standIns_.push_back(std::move(standIn));
}

void DictionaryWindows::remove(DictionaryWindowHost* window)
{
    SlotTable& t = table();
    for (int s = 1; s <= kSlots; ++s) {
        auto* data = dynamic_cast<DictionaryCardData*>(t.at(s));
        if (data && data->window == window) t.release(s, data);
    }
    std::erase_if(standIns_, [window](const auto& d) { return d->window == window; });
}

void DictionaryWindows::clear()
{
    SlotTable& t = table();
    for (const auto& d : standIns_) t.release(d->slot, d.get());
    standIns_.clear();
    own_.clear();
}

DictionaryWindowHost* DictionaryWindows::at(int slot) const
{
    auto* data = dynamic_cast<DictionaryCardData*>(table().at(slot));
    return data && !data->unfreeable ? data->window : nullptr;
}

DictionaryWindowHost* DictionaryWindows::focusedShown() const
{
    for (int s = 1; s <= kSlots; ++s) {
        DictionaryWindowHost* w = at(s);
        if (w && w->isShown() && w->gridHasFocus()) return w;
    }
    return nullptr;
}

DictionaryWindowHost* DictionaryWindows::firstShown() const
{
    for (int s = 1; s <= kSlots; ++s) {
        DictionaryWindowHost* w = at(s);
        if (w && w->isShown()) return w;
    }
    return nullptr;
}

std::vector<DictionaryWindowHost*> DictionaryWindows::all() const
{
    std::vector<DictionaryWindowHost*> list;
    for (int s = 1; s <= kSlots; ++s)
        if (DictionaryWindowHost* w = at(s)) list.push_back(w);
    return list;
}

QPoint DictionaryWindows::placeOfSlot(int slot)
{
    return WindowCascadePosition(slot, session().settings);
}

}  // namespace qb
