#include "items/ItemCardData.h"

#include "session/Session.h"

namespace qb {

bool ItemCardData::isEmpty() const
{
    if (!keywords.empty()) return false;
    QString t = text.trimmed();
    return t.isEmpty() || (!session().dateStamp.isEmpty() && t == session().dateStamp);
}

bool ItemCardData::canHide() const { return !keywords.empty() && !deleted; }

}  // namespace qb
