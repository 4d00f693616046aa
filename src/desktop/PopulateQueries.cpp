#include "desktop/PopulateQueries.h"

#include "cards/CardHost.h"
#include "dictionary/DictionaryTypes.h"
#include "dictionary/Words.h"
#include "items/ItemLinks.h"
#include "items/ItemRecord.h"
#include "platform/Sqlite.h"
#include "session/Session.h"

#include <QHash>

#include <algorithm>

namespace qb {

namespace {

sql::Database& db() { return session().store.db(); }

std::vector<Timestamp> firstColumnIds(sql::Statement& st, long double tolerance)
{
    std::vector<Timestamp> ids;
    while (int(ids.size()) < kPopulateRows && st.next()) {
        const Timestamp id = st.extValue(0);
        // DISTINCT C, CTS gives a concept twice when its rows carry two stamps.
        const bool seen = std::any_of(ids.begin(), ids.end(),
                                      [&](Timestamp t) { return sameId(t, id, tolerance); });
        if (!seen) ids.push_back(id);
    }
    return ids;
}

ItemRows readItemRows(sql::Statement& st)
{
    ItemRows result;
    while (int(result.rows.size()) < kPopulateRows && st.next()) {
        ItemRow row;
        row.it = st.extValue(0);
        row.text = st.textValue(1);
        row.hasAnimation = st.intValue(2) != 0;
        row.its = st.isNull(3) ? 0 : st.extValue(3);
        result.rows.push_back(std::move(row));
    }
    if (!st.ok()) result.error = st.error();
    return result;
}

// "?1,?2,...,?n" for an IN list of bound values.
QString placeholders(int count)
{
    QString list;
    for (int i = 1; i <= count; ++i) {
        if (i > 1) list += QLatin1Char(',');
        list += QLatin1Char('?') + QString::number(i);
    }
    return list;
}

// The column list of the item queries: the picture only as a flag, read later per card.
const char* const kItemColumns =
    "A.IT, A.TX, (A.Animation IS NOT NULL AND length(A.Animation) > 0), A.ITS";

}  // namespace

std::vector<Timestamp> ConceptsOfWordRows(int wordNo)
{
    std::vector<Timestamp> ids = ConceptIdsOfWord(wordNo);
    if (int(ids.size()) > kPopulateRows) ids.resize(kPopulateRows);
    return ids;
}

std::vector<Timestamp> OneConceptRows(Timestamp conceptId)
{
    sql::Statement st(
        db(),
        QStringLiteral("SELECT DISTINCT C, CTS FROM DICT WHERE C > ?1 AND C < ?2 ORDER BY CTS"));
    st.bind(1, conceptId - kConceptIdTolerance).bind(2, conceptId + kConceptIdTolerance);
    return firstColumnIds(st, kConceptIdTolerance);
}

std::vector<Timestamp> ConceptsOfItemRows(Timestamp itemId)
{
    sql::Statement st(db(),
                      QStringLiteral("SELECT DISTINCT D.C, D1.\"Order\" FROM DICT D, ITEMKEYS D1 "
                                     "WHERE D1.IT = ?1 AND D1.ITC = D.C ORDER BY D1.\"Order\""));
    st.bind(1, itemId);
    return firstColumnIds(st, kConceptIdTolerance);
}

std::vector<ConceptWord> WordsOfConceptRows(Timestamp conceptId, bool* ok)
{
    sql::Statement st(db(),
                      QStringLiteral("SELECT DISTINCT D1.Word, D1.WTS, D1.WNo FROM DICT D, WORD D1 "
                                     "WHERE D.C = ?1 AND D1.WNo = D.WNo ORDER BY D1.WTS"));
    st.bind(1, conceptId);
    std::vector<ConceptWord> words;
    while (int(words.size()) < kPopulateRows && st.next())
        words.push_back({st.intValue(2), st.textValue(0).left(kWordTextLimit)});
    if (ok) *ok = st.ok();
    return words;
}

ItemRows ItemsOfConceptRows(Timestamp conceptId, ItemOrder order)
{
    const QString sql =
        QStringLiteral(
            "SELECT %1 FROM ITEM A, ITEMKEYS B WHERE B.ITC = ?1 AND A.IT = B.IT ORDER BY %2")
            .arg(QLatin1String(kItemColumns), order == ItemOrder::Touched
                                                  ? QStringLiteral("A.ITS")
                                                  : QStringLiteral("A.IT DESC"));
    sql::Statement st(db(), sql);
    st.bind(1, conceptId);
    return readItemRows(st);
}

ItemRows ItemsOfProjectRows(const QString& project)
{
    sql::Statement st(
        db(),
        QStringLiteral("SELECT %1 FROM ITEM A, ITEMURL B WHERE B.Project = ?1 AND B.IT = A.IT "
                       "ORDER BY A.ITS")
            .arg(QLatin1String(kItemColumns)));
    st.bind(1, project);
    return readItemRows(st);
}

ItemRows OneItemRows(Timestamp itemId)
{
    sql::Statement st(
        db(),
        QStringLiteral("SELECT %1 FROM ITEM A WHERE A.IT = ?1").arg(QLatin1String(kItemColumns)));
    st.bind(1, itemId);
    return readItemRows(st);
}

QByteArray ItemAnimation(Timestamp itemId, bool* ok)
{
    sql::Statement st(db(), QStringLiteral("SELECT Animation FROM ITEM WHERE IT = ?1"));
    st.bind(1, itemId);
    QByteArray bytes;
    if (st.next() && !st.isNull(0)) bytes = st.blobValue(0);
    if (ok) *ok = st.ok();
    return bytes;
}

bool LoadLinksOf(const std::vector<Timestamp>& ids, std::vector<ItemLinks>* links,
                 QString* keyError, QString* projectError)
{
    links->assign(ids.size(), ItemLinks());
    if (ids.empty()) return true;
    // Rows come back by IT; an item may stand in the set more than once.
    QHash<double, std::vector<size_t>> indexOf;
    std::vector<double> unique;
    for (size_t i = 0; i < ids.size(); ++i) {
        const double id = double(ids[i]);
        auto it = indexOf.find(id);
        if (it == indexOf.end()) {
            indexOf.insert(id, {i});
            unique.push_back(id);
        } else {
            it->push_back(i);
        }
    }
    bool allRead = true;
    for (size_t from = 0; from < unique.size(); from += kPopulateRows) {
        const int count = int(std::min(unique.size() - from, size_t(kPopulateRows)));
        const QString in = placeholders(count);

        sql::Statement keys(
            db(), QStringLiteral("SELECT DISTINCT D.IT, D.\"Order\", D.ITC, D.WNo, D1.Word "
                                 "FROM ITEMKEYS D, WORD D1 WHERE D.IT IN (%1) AND D1.WNo = D.WNo "
                                 "ORDER BY D.IT, D.\"Order\"")
                      .arg(in));
        for (int i = 0; i < count; ++i) keys.bind(i + 1, unique[from + size_t(i)]);
        std::vector<KeywordLink> current;
        double currentItem = 0;
        bool haveItem = false, firstOfItem = true;
        int lastOrder = 0;
        auto flushKeys = [&] {
            if (!haveItem) return;
            for (size_t index : indexOf.value(currentItem)) (*links)[index].keywords = current;
            current.clear();
        };
        while (keys.next()) {
            const double item = keys.realValue(0);
            if (!haveItem || item != currentItem) {
                flushKeys();
                haveItem = true;
                currentItem = item;
                firstOfItem = true;
            }
            // Two WORD rows with one number would give one link twice: the first row of an
            // Order counts, as when the card reads its links alone.
            const int order = keys.intValue(1);
            if (!firstOfItem && order == lastOrder) continue;
            firstOfItem = false;
            lastOrder = order;
            if (int(current.size()) == ItemCardData::kMaxLinks) continue;
            current.push_back({keys.extValue(2), keys.intValue(3), LinkName(keys.textValue(4))});
        }
        flushKeys();
        if (!keys.ok()) {
            allRead = false;
            if (keyError) *keyError = keys.error();
        }

        sql::Statement urls(
            db(),
            QStringLiteral("SELECT DISTINCT a.IT, a.Project, b.PTS FROM ITEMURL a, PROJECT b "
                           "WHERE a.IT IN (%1) AND a.Project = b.Project ORDER BY a.IT, b.PTS")
                .arg(in));
        for (int i = 0; i < count; ++i) urls.bind(i + 1, unique[from + size_t(i)]);
        QStringList names;
        haveItem = false;
        auto flushProjects = [&] {
            if (!haveItem) return;
            for (size_t index : indexOf.value(currentItem)) (*links)[index].projects = names;
            names.clear();
        };
        while (urls.next()) {
            const double item = urls.realValue(0);
            if (!haveItem || item != currentItem) {
                flushProjects();
                haveItem = true;
                currentItem = item;
            }
            if (names.size() < ItemCardData::kMaxLinks) names << LinkName(urls.textValue(1));
        }
        flushProjects();
        if (!urls.ok()) {
            allRead = false;
            if (projectError) *projectError = urls.error();
        }
    }
    return allRead;
}

ItemSet::ItemSet(ItemRows rows) : rows_(std::move(rows.rows)) {}

int ItemSet::locate(Timestamp id) const
{
    // The store holds ids as doubles: an id in memory matches at that precision.
    for (size_t i = 0; i < rows_.size(); ++i)
        if (double(rows_[i].it) == double(id)) return int(i);
    return -1;
}

void ItemSet::loadLinks()
{
    linksLoaded_ = true;
    std::vector<Timestamp> ids;
    ids.reserve(rows_.size());
    for (const ItemRow& r : rows_) ids.push_back(r.it);
    LoadLinksOf(ids, &links_, &keyError_);
}

std::unique_ptr<ItemCardData> ItemSet::cardData(int index)
{
    if (index < 0 || index >= size()) return nullptr;
    if (!linksLoaded_) loadLinks();
    const ItemRow& r = rows_[size_t(index)];
    auto data = std::make_unique<ItemCardData>();
    data->itemId = r.it;
    data->text = NormalizeLineBreaks(r.text);
    data->keywords = links_[size_t(index)].keywords;
    data->projects = links_[size_t(index)].projects;
    data->changed = false;
    return data;
}

std::optional<Timestamp> FirstConceptWhere(const std::function<bool(Timestamp)>& present)
{
    sql::Statement st(db(), QStringLiteral("SELECT C FROM DICT ORDER BY CTS"));
    while (st.next()) {
        const Timestamp c = st.extValue(0);
        if (!present(c)) return c;
    }
    return std::nullopt;
}

std::optional<Timestamp> FirstItemWhere(const std::function<bool(Timestamp)>& present)
{
    sql::Statement st(db(), QStringLiteral("SELECT IT FROM ITEM ORDER BY ITS"));
    while (st.next()) {
        const Timestamp it = st.extValue(0);
        if (!present(it)) return it;
    }
    return std::nullopt;
}

bool RenewWordUsage(int wordNo)
{
    sql::Statement st(db(), QStringLiteral("UPDATE WORD SET WTS2 = ?1 WHERE WNo = ?2"));
    st.bind(1, GetQBTS()).bind(2, wordNo);
    return st.run();
}

}  // namespace qb
