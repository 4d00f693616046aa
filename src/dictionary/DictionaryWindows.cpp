#include "dictionary/DictionaryWindows.h"

#include "dictionary/DictionaryState.h"
#include "shell/Messages.h"
#include "shell/Session.h"

namespace qb {

DictionaryState& dictionaryState()
{
    static DictionaryState state;
    return state;
}

DictionaryHooks& dictionaryHooks()
{
    static DictionaryHooks hooks;
    return hooks;
}

DictionaryWindows& DictionaryWindows::instance()
{
    static DictionaryWindows windows;
    return windows;
}

int DictionaryWindows::firstFreeSlot() const
{
    for (int s = 1; s <= kSlots; ++s)
        if (!slots_[s]) return s;
    return 0;
}

int DictionaryWindows::reserveSlot() const
{
    int s = firstFreeSlot();
    if (s == 0) ShowInfo(QStringLiteral("Too many windows on desktop"), QStringLiteral("qb3127"), kError, messages::kHelpDefault);
    return s;
}

void DictionaryWindows::put(int slot, DictionaryWindowHost* window)
{
    if (slot >= 1 && slot <= kSlots) slots_[slot] = window;
}

void DictionaryWindows::remove(DictionaryWindowHost* window)
{
    for (auto& s : slots_)
        if (s == window) s = nullptr;
}

DictionaryWindowHost* DictionaryWindows::at(int slot) const
{
    return slot >= 1 && slot <= kSlots ? slots_[slot] : nullptr;
}

DictionaryWindowHost* DictionaryWindows::focusedShown() const
{
    for (int s = 1; s <= kSlots; ++s)
        if (slots_[s] && slots_[s]->isShown() && slots_[s]->gridHasFocus()) return slots_[s];
    return nullptr;
}

DictionaryWindowHost* DictionaryWindows::firstShown() const
{
    for (int s = 1; s <= kSlots; ++s)
        if (slots_[s] && slots_[s]->isShown()) return slots_[s];
    return nullptr;
}

std::vector<DictionaryWindowHost*> DictionaryWindows::all() const
{
    std::vector<DictionaryWindowHost*> list;
    for (int s = 1; s <= kSlots; ++s)
        if (slots_[s]) list.push_back(slots_[s]);
    return list;
}

QPoint DictionaryWindows::placeOfSlot(int slot)
{
    const Settings& s = session().settings;
    return {(slot - 1) * s.horizontal + s.createSpotTX, (slot - 1) * s.vertical + s.createSpotTY};
}

}  // namespace qb
