#include "dictionary/AlphabeticalWordIndex.h"

#include "platform/Sqlite.h"

#include <sqlite3.h>

#include <QHash>
#include <QLocale>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <thread>

namespace qb {

namespace {

struct Pending {
    long long rowId;
    int wordNo;
    QString word;
    std::optional<QCollatorSortKey> key;
};

QCollator makeCollator()
{
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

bool entryLess(const AlphabeticalWordIndex::Entry& a, const AlphabeticalWordIndex::Entry& b)
{
    int c = a.key.compare(b.key);
    if (c != 0) return c < 0;
    return a.rowId < b.rowId;
}

// Sort keys are the costly part of a first build; two threads share the work on big tables.
void computeKeys(std::vector<Pending>& rows, const std::vector<int>& todo)
{
    auto work = [&rows, &todo](size_t from, size_t to) {
        QCollator collator = makeCollator();
        for (size_t i = from; i < to; ++i) rows[todo[i]].key = collator.sortKey(rows[todo[i]].word);
    };
    if (todo.size() < 20000) {
        work(0, todo.size());
        return;
    }
    size_t half = todo.size() / 2;
    std::thread helper(work, 0, half);
    work(half, todo.size());
    helper.join();
}

}  // namespace

AlphabeticalWordIndex& AlphabeticalWordIndex::of(sql::Database& db)
{
    static std::map<sql::Database*, std::unique_ptr<AlphabeticalWordIndex>> indexes;
    auto& slot = indexes[&db];
    if (!slot) slot = std::make_unique<AlphabeticalWordIndex>(db);
    return *slot;
}

AlphabeticalWordIndex::AlphabeticalWordIndex(sql::Database& db)
    : db_(db), collator_(makeCollator())
{
}

AlphabeticalWordIndex::Fingerprint AlphabeticalWordIndex::currentFingerprint() const
{
    Fingerprint f;
    f.generation = db_.generation();
    if (!db_.handle()) return f;
    f.totalChanges = sqlite3_total_changes64(db_.handle());
    {
        // Changes when another connection (the sqlite3 tool, say) wrote the file.
        sql::Statement st(db_, QStringLiteral("PRAGMA word.data_version"));
        if (st.next()) f.dataVersion = st.int64Value(0);
    }
    sql::Statement st(db_, QStringLiteral("SELECT count(*), max(rowid) FROM WORD"));
    if (st.next()) {
        f.rows = st.int64Value(0);
        f.maxRowId = st.isNull(1) ? 0 : st.int64Value(1);
    }
    return f;
}

void AlphabeticalWordIndex::ensureCurrent()
{
    Fingerprint now = currentFingerprint();
    if (fingerprintValid_ && now == fingerprint_) return;
    rebuild();
    fingerprint_ = currentFingerprint();
    fingerprintValid_ = true;
}

void AlphabeticalWordIndex::rebuild()
{
    ++rebuilds_;
    collator_ = makeCollator();
    std::vector<Pending> rows;
    {
        // Binary order of the Word index: close to the locale order for most dictionaries.
        sql::Statement st(db_, QStringLiteral("SELECT rowid, WNo, Word FROM WORD ORDER BY Word, rowid"));
        while (st.next())
            rows.push_back({st.int64Value(0), st.intValue(1), st.textValue(2), std::nullopt});
    }

    // Words that did not change keep their keys.
    QHash<long long, int> previous;
    previous.reserve(int(entries_.size()));
    for (int i = 0; i < int(entries_.size()); ++i) previous.insert(entries_[i].rowId, i);
    std::vector<int> todo;
    for (int i = 0; i < int(rows.size()); ++i) {
        auto it = previous.constFind(rows[i].rowId);
        if (it != previous.constEnd() && entries_[*it].word == rows[i].word)
            rows[i].key = entries_[*it].key;
        else
            todo.push_back(i);
    }
    computeKeys(rows, todo);

    // Keep the longest run that is already in locale order; sort only what falls out of it.
    std::vector<Entry> run;
    std::vector<Entry> strays;
    run.reserve(rows.size());
    for (Pending& p : rows) {
        Entry e{std::move(*p.key), p.rowId, p.wordNo, std::move(p.word)};
        if (run.empty() || !entryLess(e, run.back()))
            run.push_back(std::move(e));
        else
            strays.push_back(std::move(e));
    }
    std::sort(strays.begin(), strays.end(), entryLess);
    std::vector<Entry> merged;
    merged.reserve(run.size() + strays.size());
    std::merge(std::make_move_iterator(run.begin()), std::make_move_iterator(run.end()),
               std::make_move_iterator(strays.begin()), std::make_move_iterator(strays.end()),
               std::back_inserter(merged), entryLess);
    entries_ = std::move(merged);
}

int AlphabeticalWordIndex::lowerBound(const QString& text) const
{
    QCollatorSortKey key = collator_.sortKey(text);
    auto it = std::lower_bound(entries_.begin(), entries_.end(), key,
                               [](const Entry& e, const QCollatorSortKey& k) { return e.key.compare(k) < 0; });
    return int(it - entries_.begin());
}

}  // namespace qb
