#include "dictionary/AlphabeticalWordIndex.h"

#include "platform/Sqlite.h"
#include "session/Session.h"

#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <memory>

namespace qb {

namespace {

// More changed words than this are cheaper to sort again from scratch.
constexpr size_t kMaxMergedChanges = 5000;

}  // namespace

QLocale AlphabeticalWordIndex::collationLocale()
{
    QLocale locale;
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::English, QLocale::UnitedStates);
    return locale;
}

QCollator AlphabeticalWordIndex::makeCollator()
{
    QCollator collator{collationLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

namespace {

// Kept with the run, so that a new run never meets an index of a connection that is gone.
struct WordIndexes {
    std::map<sql::Database*, std::unique_ptr<AlphabeticalWordIndex>> byDatabase;
};

}  // namespace

AlphabeticalWordIndex& AlphabeticalWordIndex::of(sql::Database& db)
{
    auto& slot = session().part<WordIndexes>().byDatabase[&db];
    if (!slot) slot = std::make_unique<AlphabeticalWordIndex>(db);
    return *slot;
}

AlphabeticalWordIndex::AlphabeticalWordIndex(sql::Database& db) : db_(db), collator_(makeCollator())
{
}

AlphabeticalWordIndex::Fingerprint AlphabeticalWordIndex::currentFingerprint() const
{
    Fingerprint f;
    f.generation = db_.generation();
    f.locale = collationLocale().bcp47Name();
    if (!db_.handle()) return f;
    // Every write of this connection counts here, whatever the table: a change elsewhere costs
    // one pass over WORD that finds nothing to do.
    f.totalChanges = sqlite3_total_changes64(db_.handle());
    // Changes when another connection (the sqlite3 tool, say) wrote the file.
    sql::Statement st(db_, QStringLiteral("PRAGMA word.data_version"));
    if (st.next()) f.dataVersion = st.int64Value(0);
    return f;
}

bool AlphabeticalWordIndex::less(const Entry& a, const Entry& b) const
{
    int c = collator_.compare(a.word, b.word);
    return c != 0 ? c < 0 : a.rowId < b.rowId;
}

void AlphabeticalWordIndex::ensureCurrent()
{
    if (tunedGeneration_ != db_.generation()) {
        // The whole word table fits the page cache, so that the order is read from memory.
        db_.exec(QStringLiteral("PRAGMA word.cache_size = -32768"));
        tunedGeneration_ = db_.generation();
    }
    Fingerprint now = currentFingerprint();
    if (fingerprintValid_ && now == fingerprint_) return;
    if (!fingerprintValid_ || now.locale != fingerprint_.locale ||
        now.generation != fingerprint_.generation) {
        collator_ = makeCollator();
        buildFromScratch();
    } else {
        update();
    }
    fingerprint_ = currentFingerprint();
    fingerprintValid_ = true;
}

void AlphabeticalWordIndex::buildFromScratch()
{
    ++builds_;
    std::vector<Entry> rows;
    {
        // The Word index alone, in binary order.
        sql::Statement st(db_, QStringLiteral("SELECT rowid, Word FROM WORD ORDER BY Word, rowid"));
        while (st.next()) rows.push_back({st.int64Value(0), st.textValue(1)});
    }
    byRowId_.clear();
    byRowId_.reserve(rows.size());
    for (const Entry& e : rows) byRowId_.emplace_back(e.rowId, e.word);
    std::sort(byRowId_.begin(), byRowId_.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });

    // Keep the run that is already in locale order; sort only what falls out of it.
    entries_.clear();
    entries_.reserve(rows.size());
    std::vector<Entry> strays;
    for (Entry& e : rows) {
        if (entries_.empty() || !less(e, entries_.back()))
            entries_.push_back(std::move(e));
        else
            strays.push_back(std::move(e));
    }
    insertSorted(std::move(strays));
}

void AlphabeticalWordIndex::insertSorted(std::vector<Entry> additions)
{
    if (additions.empty()) return;
    std::sort(additions.begin(), additions.end(),
              [this](const Entry& a, const Entry& b) { return less(a, b); });
    // Each addition finds its place by binary search, so few additions cost few comparisons.
    std::vector<Entry> merged;
    merged.reserve(entries_.size() + additions.size());
    auto from = entries_.begin();
    for (Entry& a : additions) {
        auto at = std::upper_bound(from, entries_.end(), a,
                                   [this](const Entry& x, const Entry& y) { return less(x, y); });
        std::move(from, at, std::back_inserter(merged));
        merged.push_back(std::move(a));
        from = at;
    }
    std::move(from, entries_.end(), std::back_inserter(merged));
    entries_ = std::move(merged);
}

void AlphabeticalWordIndex::update()
{
    ++updates_;
    std::vector<std::pair<long long, QString>> now;
    now.reserve(byRowId_.size() + 16);
    {
        sql::Statement st(db_, QStringLiteral("SELECT rowid, Word FROM WORD ORDER BY rowid"));
        while (st.next()) now.emplace_back(st.int64Value(0), st.textValue(1));
    }
    // Walk both lists in rowid order: rows gone or renamed leave, rows new or renamed come.
    std::vector<Entry> gone;
    std::vector<Entry> added;
    size_t i = 0;
    size_t j = 0;
    while (i < byRowId_.size() || j < now.size()) {
        if (j == now.size() || (i < byRowId_.size() && byRowId_[i].first < now[j].first)) {
            gone.push_back({byRowId_[i].first, byRowId_[i].second});
            ++i;
        } else if (i == byRowId_.size() || now[j].first < byRowId_[i].first) {
            added.push_back({now[j].first, now[j].second});
            ++j;
        } else {
            if (byRowId_[i].second != now[j].second) {
                gone.push_back({byRowId_[i].first, byRowId_[i].second});
                added.push_back({now[j].first, now[j].second});
            }
            ++i;
            ++j;
        }
    }
    if (gone.empty() && added.empty()) return;
    if (gone.size() + added.size() > kMaxMergedChanges) {
        buildFromScratch();
        return;
    }
    byRowId_ = std::move(now);
    if (!gone.empty()) {
        std::vector<char> drop(entries_.size(), 0);
        for (const Entry& g : gone) {
            auto at =
                std::lower_bound(entries_.begin(), entries_.end(), g,
                                 [this](const Entry& x, const Entry& y) { return less(x, y); });
            if (at != entries_.end() && at->rowId == g.rowId) drop[at - entries_.begin()] = 1;
        }
        size_t out = 0;
        for (size_t k = 0; k < entries_.size(); ++k)
            if (!drop[k]) entries_[out++] = std::move(entries_[k]);
        entries_.resize(out);
    }
    insertSorted(std::move(added));
}

int AlphabeticalWordIndex::lowerBound(const QString& text) const
{
    auto it = std::lower_bound(
        entries_.begin(), entries_.end(), text,
        [this](const Entry& e, const QString& t) { return collator_.compare(e.word, t) < 0; });
    return int(it - entries_.begin());
}

}  // namespace qb
