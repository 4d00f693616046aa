#include "projects/ProjectOrder.h"

#include "cards/CardHost.h"
#include "cards/Collection.h"
#include "floor/Messages.h"
#include "items/Commit.h"
#include "items/ItemCardData.h"
#include "items/ItemLinks.h"
#include "platform/Sqlite.h"
#include "projects/ProjectRecords.h"
#include "session/Session.h"

#include <set>

namespace qb {

namespace om = projectordermessages;

namespace {

sql::Database& db() { return session().store.db(); }

constexpr int kHelp = 40050;

// The statements of a snapshot and of a restore, prepared once for any number of projects.
struct OrderStatements {
    sql::Statement drop{db(),
                        QStringLiteral("DELETE FROM PRJORDR WHERE Project = ?1 AND ITS <= 0")};
    sql::Statement take{db(), QStringLiteral("INSERT OR IGNORE INTO PRJORDR (Project, IT, ITS) "
                                             "SELECT DISTINCT D1.Project, D1.IT, D2.ITS "
                                             "FROM ITEMURL D1, ITEM D2 "
                                             "WHERE D1.Project = ?1 AND D2.IT = D1.IT")};
    sql::Statement has{db(), QStringLiteral("SELECT 1 FROM PRJORDR WHERE Project = ?1 AND ITS < 0 "
                                            "LIMIT 1")};
    // The item's present ITS comes along, so that a row already in order is not written again.
    sql::Statement rows{db(), QStringLiteral("SELECT DISTINCT d1.IT, d1.ITS, "
                                             "(SELECT A.ITS FROM ITEM A WHERE A.IT = d1.IT) "
                                             "FROM ITEMURL D, PRJORDR d1 "
                                             "WHERE d1.Project = D.Project AND d1.IT = D.IT "
                                             "AND d1.Project = ?1 AND d1.ITS < 0")};
    sql::Statement write{db(), QStringLiteral("UPDATE ITEM SET ITS = ?1 WHERE IT = ?2")};
};

// Replaces the project's snapshot by the current ITS of its items. Runs inside the caller's
// transaction. A row with a positive ITS is the user's own and stays.
bool takeSnapshot(OrderStatements& st, const QString& project)
{
    st.drop.reset();
    st.drop.bind(1, project);
    if (!st.drop.run()) return false;
    st.take.reset();
    st.take.bind(1, project);
    return st.take.run();
}

bool takeSnapshot(const QString& project)
{
    OrderStatements st;
    return takeSnapshot(st, project);
}

bool hasSnapshot(OrderStatements& st, const QString& project)
{
    st.has.reset();
    st.has.bind(1, project);
    const bool found = st.has.next();
    st.has.reset();
    return found;
}

bool restoreOrder(OrderStatements& st, const QString& project)
{
    // The first snapshot holds what the cards show: their edits go into the store first.
    if (!hasSnapshot(st, project)) session().hooks.commit();

    QStringList notes;
    bool ok = false;
    {
        sql::WriteScope transaction(db());
        ok = transaction.isActive();
        st.rows.reset();
        st.rows.bind(1, project);
        std::vector<std::pair<Timestamp, Timestamp>> saved;
        bool any = false;
        while (ok && st.rows.next()) {
            any = true;
            // A missing item is still looked for, so that it is reported.
            const bool inOrder = !st.rows.isNull(2) && st.rows.realValue(2) == st.rows.realValue(1);
            if (!inOrder) saved.push_back({st.rows.extValue(0), st.rows.extValue(1)});
        }
        ok = ok && st.rows.ok();
        st.rows.reset();
        if (ok && !any) {
            ok = takeSnapshot(st, project);
        } else if (ok) {
            for (const auto& [item, its] : saved) {
                st.write.reset();
                st.write.bind(1, its).bind(2, item);
                if (!st.write.run()) {
                    ok = false;
                    break;
                }
                if (db().changes() == 0) notes << QString::fromLatin1(om::kNoRows);
            }
        }
        if (ok) ok = transaction.commit();
        if (!ok) transaction.rollback();
    }
    // Messages only once the tables are free again.
    for (const QString& note : notes) PlainMessage(note);
    if (!ok) PlainMessage(QString::fromLatin1(om::kRestoreFailed));
    return ok;
}

void reportSaveFailed() { PlainMessage(QString::fromLatin1(om::kSaveFailed)); }

// Commits the host's cards: through the desktop's own commit when the host is the program's
// desktop, else directly. True when no card is left with unwritten edits.
bool commitHost(CardHost& host)
{
    if (cardHost() == &host && session().hooks.updateItems)
        session().hooks.commit();
    else
        CommitCards(host.cards());
    for (const CardData* card : host.cards())
        if (card->changed && !card->hidden) return false;
    return true;
}

}  // namespace

ProjectHooks& projectHooks() { return session().part<ProjectHooks>(); }

Timestamp ProjectOrderStamp(QPoint desktopPos, Timestamp base)
{
    return base + 0.001L * (desktopPos.y() / 2000.0L + desktopPos.x() / 2000000.0L);
}

ProjectLink AddProjectUpdate(ItemCardData& card, const QString& project, Timestamp base)
{
    card.pendingTS = ProjectOrderStamp(card.pos, base);
    const bool linked = card.projects.contains(project);
    if (!linked && card.projCount() >= ItemCardData::kMaxLinks) {
        ShowInfo(QString::fromLatin1(om::kMaxDetail), QStringLiteral("qb3949X"), kError, kHelp);
        return ProjectLink::Refused;
    }
    if (!AddProject(card, project)) return ProjectLink::Refused;
    return linked ? ProjectLink::Rewritten : ProjectLink::Appended;
}

bool SaveProjectOrder(const QString& project, const std::function<bool()>& commit)
{
    if (commit) {
        if (!commit()) {
            reportSaveFailed();
            return false;
        }
    } else {
        session().hooks.commit();
    }
    sql::WriteScope transaction(db());
    if (!transaction.isActive() || !takeSnapshot(project) || !transaction.commit()) {
        transaction.rollback();
        reportSaveFailed();
        return false;
    }
    return true;
}

bool AdvPrjQ_update(const QString& project)
{
    OrderStatements st;
    return restoreOrder(st, project);
}

struct ProjectOrderRestore::Statements : OrderStatements {};

ProjectOrderRestore::ProjectOrderRestore() : st_(std::make_unique<Statements>()) {}

ProjectOrderRestore::~ProjectOrderRestore() = default;

bool ProjectOrderRestore::restore(const QString& project) { return restoreOrder(*st_, project); }

bool CollectDesk(CardHost& host, const QString& project)
{
    GarbageCollect(host, false);
    const Timestamp base = GetQBTS();
    for (CardData* card : host.cards()) {
        auto* item = dynamic_cast<ItemCardData*>(card);
        if (!item || item->hidden) continue;
        AddProjectUpdate(*item, project, base);
        host.cardDataChanged(*item);
    }
    const bool saved = SaveProjectOrder(project, [&host] { return commitHost(host); });
    if (AskYesDefault(QString::fromLatin1(om::kClearQuestion), kHelp))
        ClearCards(host, ClearCommand::Desktop);
    return saved;
}

bool CollectPack(CardHost& host, const std::vector<CardData*>& pack, const QString& project)
{
    GarbageCollect(host, false);
    const Timestamp base = GetQBTS();
    // 200 steps stay below the weight of the pack's 4-pixel step down, far above the ids'
    // precision.
    constexpr Timestamp kPackStep = 1e-9L;
    int i = 0;
    for (CardData* card : pack) {
        auto* item = dynamic_cast<ItemCardData*>(card);
        ++i;
        if (!item || item->hidden) continue;
        AddProjectUpdate(*item, project, base + kPackStep * i);
        host.cardDataChanged(*item);
    }
    return SaveProjectOrder(project, [&host] { return commitHost(host); });
}

int ReverseCollectDesk(CardHost& host, const QString& project)
{
    GarbageCollect(host, false);
    if (projectHooks().placeItems) projectHooks().placeItems(project, kReverseCollectLimit);
    const QString name = LinkName(project);
    int unlinked = 0;
    for (CardData* card : host.cards()) {
        auto* item = dynamic_cast<ItemCardData*>(card);
        if (!item || item->hidden) continue;
        if (RemoveProject(*item, item->projects.lastIndexOf(name))) {
            ++unlinked;
            host.cardDataChanged(*item);
        }
    }
    GarbageCollect(host, false);
    return unlinked;
}

std::vector<Timestamp> ProjectItemIds(const QString& project, QString* error)
{
    sql::Statement st(db(), QStringLiteral("SELECT A.IT FROM ITEM A, ITEMURL B "
                                           "WHERE B.Project = ?1 AND B.IT = A.IT ORDER BY A.ITS"));
    st.bind(1, project);
    std::vector<Timestamp> ids;
    std::set<double> seen;
    while (st.next()) {
        const double id = st.realValue(0);
        if (seen.insert(id).second) ids.push_back(st.extValue(0));
    }
    if (error) *error = st.error();
    return ids;
}

}  // namespace qb
