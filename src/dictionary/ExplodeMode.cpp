#include "dictionary/ExplodeMode.h"

#include "dictionary/DictionaryWindows.h"
#include "floor/Messages.h"
#include "session/Session.h"

namespace qb {

ExplodeMode explodeMode()
{
    int value = session().settings.itemExpansionOnDrop;
    return value < 0 ? ExplodeMode::Off : (value > 0 ? ExplodeMode::Maximum : ExplodeMode::On);
}

bool SetExplodeMode(int value)
{
    if (value < -1 || value > 1) {
        PlainMessage(QStringLiteral("Setexplode error"));
        return false;
    }
    session().settings.itemExpansionOnDrop = value;
    return true;
}

ExplodeIndicator explodeIndicator()
{
    ExplodeIndicator indicator;
    indicator.checked = explodeMode();
    if (session().settings.plusMinusExplodeSign) {
        indicator.plusPicture = indicator.checked == ExplodeMode::Maximum;
        indicator.minusPicture = indicator.checked == ExplodeMode::Off;
        return indicator;
    }
    switch (indicator.checked) {
    case ExplodeMode::Off: indicator.text = QStringLiteral("OFF"); break;
    case ExplodeMode::On: indicator.text = QStringLiteral("ON"); break;
    case ExplodeMode::Maximum: indicator.text = QStringLiteral("MAX"); break;
    }
    return indicator;
}

void ToggleDisplays()
{
    switch (explodeMode()) {
    case ExplodeMode::On: SetExplodeMode(int(ExplodeMode::Maximum)); break;
    case ExplodeMode::Maximum: SetExplodeMode(int(ExplodeMode::Off)); break;
    case ExplodeMode::Off: SetExplodeMode(int(ExplodeMode::On)); break;
    }
    dictionaryHooks().toLogo();
}

void ExplodePlusKey()
{
    SetExplodeMode(explodeMode() == ExplodeMode::Maximum ? int(ExplodeMode::On)
                                                         : int(ExplodeMode::Maximum));
}

void ExplodeMinusKey() { SetExplodeMode(int(ExplodeMode::Off)); }

bool explodeItemsFor(int conceptCount)
{
    ExplodeMode mode = explodeMode();
    return mode == ExplodeMode::Maximum || (conceptCount == 1 && mode != ExplodeMode::Off);
}

bool mergeWordsOption() { return session().settings.mergeWords; }

bool ToggleMergeWordsOption() { return ApplyToggle(OptionToggle::MergeWords); }

}  // namespace qb
