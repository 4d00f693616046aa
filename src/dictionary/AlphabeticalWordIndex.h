#pragma once

#include <QCollator>
#include <QLocale>
#include <QString>

#include <utility>
#include <vector>

namespace qb::sql {
class Database;
}

namespace qb {

// The words of WORD in the user's locale order, case-insensitive. The table files cannot carry a
// locale collation, so the order is kept here as (rowid, word) entries. The first build reads the
// Word index, whose binary order is nearly the locale order, and sorts only the words that fall
// out of it; later changes to WORD are found by one pass over the table and merged in.
class AlphabeticalWordIndex {
public:
    struct Entry {
        long long rowId;
        QString word;
    };

    // The collation of alphabetical word lists: the user's locale without regard to case. The C
    // locale names no language; it gets the language-neutral order instead of code points.
    static QCollator makeCollator();
    static QLocale collationLocale();

    // The index of the connection's WORD table (one per connection).
    static AlphabeticalWordIndex& of(sql::Database& db);

    explicit AlphabeticalWordIndex(sql::Database& db);

    // Brings the order up to date when WORD may have changed. Cheap when nothing changed.
    void ensureCurrent();
    // Forces the next ensureCurrent() to look at the table again.
    void invalidate() { fingerprintValid_ = false; }

    const std::vector<Entry>& entries() const { return entries_; }
    int size() const { return int(entries_.size()); }

    // First position whose word sorts at or after text.
    int lowerBound(const QString& text) const;
    int compare(const QString& a, const QString& b) const { return collator_.compare(a, b); }

    // How many times the order was built from scratch or brought up to date (benchmark figures).
    int buildCount() const { return builds_; }
    int updateCount() const { return updates_; }

private:
    struct Fingerprint {
        long long generation = -1;
        long long totalChanges = -1;
        long long dataVersion = -1;
        QString locale;
        bool operator==(const Fingerprint&) const = default;
    };

    Fingerprint currentFingerprint() const;
    bool less(const Entry& a, const Entry& b) const;
    void buildFromScratch();
    void update();
    // entries_ := entries_ (sorted) with the sorted additions inserted.
    void insertSorted(std::vector<Entry> additions);

    sql::Database& db_;
    QCollator collator_;
    std::vector<Entry> entries_;
    std::vector<std::pair<long long, QString>> byRowId_;  // the same words in rowid order
    Fingerprint fingerprint_;
    bool fingerprintValid_ = false;
    long long tunedGeneration_ = -1;
    int builds_ = 0;
    int updates_ = 0;
};

}  // namespace qb
