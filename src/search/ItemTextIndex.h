#pragma once

#include "platform/Sqlite.h"
#include "store/Timestamps.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <set>
#include <vector>

namespace qb::search {

// A pre-filter for the text search: the trigrams of every item text (lower-cased), in a file of
// its own beside the tables. It only narrows the items to read; the search still applies its own
// matching to each candidate's stored text, so a stale or missing entry could cost a wrong answer
// and the index is therefore brought in step before every use.
//
// In step means: ITEM.DB has the fingerprint recorded with the index (the file's change counter
// from its header, its inode, size and modification time). The program's own commits tell the
// index which items they wrote (noteWritten), so that the next use re-reads only those when the
// change counter moved by exactly the number of noted transactions. Anything else (the sqlite3
// tool, another program, a restored file) makes the next use compare every item's text hash with
// the recorded one and re-index the differing items; a missing or unreadable index file is built
// from scratch.
class ItemTextIndex {
public:
    static constexpr char kFileName[] = "itemtext.idx";

    struct Figures {
        int builds = 0;   // built from scratch
        int syncs = 0;    // compared with every item text
        int updates = 0;  // brought up to date from the noted writes alone
    };

    explicit ItemTextIndex(const QString& storeDir);

    // Brings the index in step with ITEM of the store connection (which must not be inside a
    // transaction). False when the index cannot be used; the caller walks the items instead.
    // With notedWritesOnly, only the cheap step is taken: nothing when the file is missing or
    // when more than the noted writes changed ITEM.DB (the next search then compares).
    bool ensureCurrent(sql::Database& store, bool notedWritesOnly = false);
    // An item as the index last read it: enough to order the candidates and filter pictures
    // without reading ITEM.
    struct Candidate {
        long long rowId = 0;  // the ITEM row
        Timestamp itemId = 0;
        Timestamp its = 0;
        bool itsNull = false;
        bool picture = false;
    };
    // The items whose text may hold lowered (at least three characters, lower-cased), and every
    // item whose text cannot be read. Call ensureCurrent first.
    bool candidates(const QString& lowered, std::vector<Candidate>* items);
    // The commit wrote (or removed) these items in one transaction, committed or about to be.
    void noteWritten(const std::vector<Timestamp>& items);
    // Whether noted writes wait for the next ensureCurrent.
    bool hasPendingWrites() const { return pendingWrites_ > 0; }
    // Drops the file and builds it again.
    bool rebuild(sql::Database& store);
    // Whether the file must be built from scratch (missing, or of another format): the desktop
    // then builds it beside the program with BuildInBatches.
    bool needsBuild() const;
    // Before BuildInBatches, on the thread that commits: closes the file, forgets the noted
    // writes and returns ITEM.DB's fingerprint of this moment (empty when it cannot be read).
    // Writes noted from now on are read again at the first use after the build.
    QString startBuild();
    // Builds the index of storeDir from scratch on connections of its own, so it may run on
    // another thread, in batches that each hold ITEM.DB's read lock only briefly: a commit beside
    // it never waits long. It records startedAt, ITEM.DB as it was when the build began, so what
    // is committed meanwhile is read again at the next use. progress(done, total) is called after
    // each batch; false from it stops the build (the file is built again later).
    static bool BuildInBatches(const QString& storeDir, const QString& startedAt,
                               const std::function<bool(qint64, qint64)>& progress);
    void close() { db_.close(); }
    QString path() const;
    QString dir() const { return dir_; }

    Figures figures;

private:
    struct Fingerprint {
        quint32 counter = 0;
        quint64 inode = 0;
        qint64 size = -1;
        qint64 mtimeNs = -1;
        QString text() const;
        static Fingerprint parse(const QString& text);
    };
    bool open();
    bool createSchema();
    bool readFingerprint(Fingerprint* fingerprint) const;
    QString meta(const QString& key);
    bool setMeta(const QString& key, const QString& value);
    // Compares every item with the index; re-indexes what differs.
    bool sync(sql::Database& store);
    // Re-reads the noted items alone.
    bool update(sql::Database& store);
    struct Row {
        long long rowId = 0;
        double itemId = 0;
        double its = 0;
        bool itsNull = false;
        bool picture = false;
        QByteArray text;
    };
    // Reads a row of "SELECT rowid, IT, ITS, picture, TX".
    static Row rowOf(const sql::Statement& st);
    // Brings one item in: its trigrams when the text changed, its place and picture always.
    bool refresh(const Row& row, long long docId, qint64 knownHash);
    bool add(const Row& row, qint64 hash);
    bool dropDoc(long long docId);

    QString dir_;
    sql::Database db_;
    std::set<double> pending_;
    int pendingWrites_ = 0;
    long long dead_ = 0;
};

// The hash the index keeps of a stored text.
qint64 StoredTextHash(const QByteArray& bytes);
// A stored text as the card shows it ("\n" line breaks); false when it is not valid UTF-8.
bool DecodeStoredText(const QByteArray& bytes, QString* text);

}  // namespace qb::search
