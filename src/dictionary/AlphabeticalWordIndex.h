#pragma once

#include <QCollator>
#include <QString>

#include <vector>

namespace qb::sql {
class Database;
}

namespace qb {

// The words of WORD in the user's locale order, case-insensitive. The table files cannot carry a
// locale collation, so the order is kept here as (collation key, rowid) entries, built once and
// brought up to date cheaply when WORD changed: unchanged words keep their keys, and the rows
// arrive in binary order, which is nearly the locale order, so only the exceptions need sorting.
class AlphabeticalWordIndex {
public:
    struct Entry {
        QCollatorSortKey key;
        long long rowId;
        int wordNo;
        QString word;
    };

    // The index of the connection's WORD table (one per connection).
    static AlphabeticalWordIndex& of(sql::Database& db);

    explicit AlphabeticalWordIndex(sql::Database& db);

    // Rebuilds when WORD may have changed since the last build. Cheap when nothing changed.
    void ensureCurrent();
    // Forces the next ensureCurrent() to look at the table again.
    void invalidate() { fingerprintValid_ = false; }

    const std::vector<Entry>& entries() const { return entries_; }
    int size() const { return int(entries_.size()); }

    // First position whose word sorts at or after text.
    int lowerBound(const QString& text) const;
    int compare(const QString& a, const QString& b) const { return collator_.compare(a, b); }
    QCollatorSortKey keyOf(const QString& text) const { return collator_.sortKey(text); }

    // How many times the whole order was rebuilt (statistics for the benchmark).
    int rebuildCount() const { return rebuilds_; }

private:
    struct Fingerprint {
        long long generation = -1;
        long long totalChanges = -1;
        long long dataVersion = -1;
        long long rows = -1;
        long long maxRowId = -1;
        bool operator==(const Fingerprint&) const = default;
    };

    Fingerprint currentFingerprint() const;
    void rebuild();

    sql::Database& db_;
    QCollator collator_;
    std::vector<Entry> entries_;
    Fingerprint fingerprint_;
    bool fingerprintValid_ = false;
    int rebuilds_ = 0;
};

}  // namespace qb
