#include "desktop/FlyWordRules.h"

#include "cards/PlacementCounters.h"
#include "platform/TextChecks.h"
#include "session/Session.h"

#include <QLocale>

namespace qb {

QString FlywordWordText(const QString& text)
{
    return LeftCodePoints(QLocale().toLower(text.trimmed()), kFlywordTextLimit).trimmed();
}

QPoint NextFlywordPosition(QPoint from)
{
    const int c = placementCounters().flywords++;
    return {std::max(5, from.x() + 10 * c - 100), std::max(5, from.y() + 28 * c - 100)};
}

FlywordHooks& flywordHooks() { return session().part<FlywordHooks>(); }

}  // namespace qb
