#include "backup/MaintenanceCommands.h"

#include <QPointer>

#include "cards/Collection.h"
#include "cards/Desktop.h"
#include "desktop/PopulateDesktop.h"
#include "floor/Settings.h"
#include "items/ItemCommands.h"
#include "session/Session.h"

namespace qb {

DamagedItemsOutcome FindDamagedItemsOnDesktop(TDesktop& desktop)
{
    QPointer<TDesktop> d(&desktop);
    DamagedItemsDesk desk;
    desk.place = [d](Timestamp itemId, int k) {
        if (!d) return false;
        const int at = 120 + 10 * k;
        PlacedItemCard placed =
            Pick1Item(*d, QPoint(at, at), itemId, session().settings.itemFrameColor, 0, 0, false);
        return placed.card != nullptr && !placed.pictureFailed;
    };
    desk.removeCards = [d] {
        if (d) ClearCards(*d, ClearCommand::AllItems);
    };
    desk.commit = [] { UpdateItems(); };
    return FindDamagedItems1Click(desk);
}

}  // namespace qb
