#include "items/ItemLinks.h"

#include "floor/Messages.h"
#include "platform/Sqlite.h"
#include "platform/TextChecks.h"
#include "session/Session.h"

#include <algorithm>
#include <cmath>

namespace qb {

namespace {

constexpr long double kConceptTolerance = 1e-7L;
const char* const kTooManyLinks = "Max no of detail objects per main object exceeded";

bool stopped(QString* error)
{
    if (!session().flags.stopped()) return false;
    if (error) *error = QStringLiteral("stopped");
    return true;
}

}  // namespace

QString LinkName(const QString& name) { return LeftCodePoints(name, ItemCardData::kMaxNameLength); }

bool AddKeys(ItemCardData& card, Timestamp itemId, QString* error)
{
    if (stopped(error)) return false;
    sql::Statement st(session().store.db(),
                      QStringLiteral("SELECT DISTINCT D.\"Order\", D.ITC, D.WNo, D1.Word "
                                     "FROM ITEMKEYS D, WORD D1 "
                                     "WHERE D.IT = ?1 AND D1.WNo = D.WNo "
                                     "ORDER BY D.\"Order\""));
    st.bind(1, itemId);
    std::vector<KeywordLink> links;
    bool first = true;
    int lastOrder = 0;
    while (st.next()) {
        // Two WORD rows with one number would give one link twice.
        int order = st.intValue(0);
        if (!first && order == lastOrder) continue;
        first = false;
        lastOrder = order;
        if (int(links.size()) == ItemCardData::kMaxLinks) break;
        links.push_back({st.extValue(1), st.intValue(2), LinkName(st.textValue(3))});
    }
    if (!st.ok()) {
        if (error) *error = st.error();
        return false;
    }
    card.keywords = std::move(links);
    return true;
}

bool AddURLs(ItemCardData& card, Timestamp itemId, QString* error)
{
    if (stopped(error)) return false;
    sql::Statement st(session().store.db(),
                      QStringLiteral("SELECT DISTINCT a.Project, b.PTS FROM ITEMURL a, PROJECT b "
                                     "WHERE a.IT = ?1 AND a.Project = b.Project "
                                     "ORDER BY b.PTS"));
    st.bind(1, itemId);
    QStringList names;
    while (names.size() < ItemCardData::kMaxLinks && st.next()) names << LinkName(st.textValue(0));
    if (!st.ok()) {
        if (error) *error = st.error();
        return false;
    }
    card.projects = names;
    return true;
}

KeywordAddition AddKeyword(ItemCardData& card, int wordNo, const QString& word, Timestamp conceptId)
{
    KeywordAddition result;
    if (conceptId == 0 || wordNo == 0) return result;
    const QString shown = LinkName(word);
    for (KeywordLink& link : card.keywords) {
        if (sameId(link.conceptId, conceptId, kConceptTolerance)) {
            link.wordNo = wordNo;
            link.word = shown;
            card.changed = true;
            card.keywordAdded = true;
            result.outcome = KeywordAddition::Replaced;
            return result;
        }
    }
    if (card.keyCount() >= ItemCardData::kMaxLinks) {
        ShowInfo(QString::fromLatin1(kTooManyLinks), QStringLiteral("qb986"), kError, 40050);
        result.outcome = KeywordAddition::Refused;
        return result;
    }
    card.keywords.push_back({conceptId, wordNo, shown});
    card.changed = true;
    card.keywordAdded = true;
    result.outcome = KeywordAddition::Appended;
    const Settings& settings = session().settings;
    if (card.normalColor == settings.newItemColor) {
        // A new card is wide until its first keyword; then it takes the normal item look.
        card.normalColor = settings.itemFrameColor;
        card.size = QSize(settings.itemWidth, settings.itemHeight);
        card.normalSize = card.size;
        result.leftNewItemLook = true;
    }
    return result;
}

bool AddProject(ItemCardData& card, const QString& name)
{
    // A shortened name would link to no project.
    if (CodePointCount(name) > ItemCardData::kMaxNameLength) {
        ShowInfo(QStringLiteral("A project name longer than %1 characters cannot be linked")
                     .arg(ItemCardData::kMaxNameLength),
                 QStringLiteral("qb1029n"), kError, 40050);
        return false;
    }
    int found = card.projects.indexOf(name);
    if (found >= 0) {
        card.projects[found] = name;
        card.changed = true;
        return true;
    }
    if (card.projCount() >= ItemCardData::kMaxLinks) {
        ShowInfo(QString::fromLatin1(kTooManyLinks), QStringLiteral("qb1029"), kError, 40050);
        return false;
    }
    card.projects << name;
    card.changed = true;
    return true;
}

bool RemoveKeyword(ItemCardData& card, int position)
{
    if (card.keyCount() < 2) {
        ShowInfo(QStringLiteral("Delete of the only remaining keyword not allowed"),
                 QStringLiteral("i1221"), kError, 40020);
        return false;
    }
    if (position < 0 || position >= card.keyCount()) return false;
    card.keywords.erase(card.keywords.begin() + position);
    card.changed = true;
    return true;
}

bool RemoveProject(ItemCardData& card, int position)
{
    if (position < 0 || position >= card.projCount()) return false;
    card.projects.removeAt(position);
    card.changed = true;
    return true;
}

int KeywordRowAt(int y, int rowHeight, int firstVisibleRow)
{
    if (rowHeight <= 0) return firstVisibleRow;
    const long covered = std::lround(y + rowHeight / 16.0);
    return firstVisibleRow + int(covered / rowHeight);
}

bool MoveKeyword(ItemCardData& card, int from, int to)
{
    card.beingReordered = false;
    const int count = card.keyCount();
    if (count == 0) return false;
    to = std::clamp(to, 0, count - 1);
    if (from < 0 || from >= count || from == to) return false;
    KeywordLink moved = card.keywords[from];
    card.keywords.erase(card.keywords.begin() + from);
    card.keywords.insert(card.keywords.begin() + to, moved);
    card.changed = true;
    return true;
}

}  // namespace qb
