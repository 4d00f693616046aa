#include "items/ItemQueries.h"

#include "platform/Sqlite.h"
#include "session/Session.h"

namespace qb {

std::optional<Timestamp> ItemTimestamp(Timestamp itemId)
{
    sql::Statement st(session().store.db(), QStringLiteral("SELECT ITS FROM ITEM WHERE IT = ?1"));
    st.bind(1, itemId);
    if (!st.next() || st.isNull(0)) return std::nullopt;
    return st.extValue(0);
}

std::optional<Timestamp> FindItemId(double typedId)
{
    constexpr double kTolerance = 1e-7;
    sql::Statement st(
        session().store.db(),
        QStringLiteral(
            "SELECT IT FROM ITEM WHERE IT BETWEEN ?1 AND ?2 ORDER BY ABS(IT - ?3) LIMIT 1"));
    st.bind(1, typedId - kTolerance).bind(2, typedId + kTolerance).bind(3, typedId);
    if (!st.next()) return std::nullopt;
    return st.extValue(0);
}

}  // namespace qb
