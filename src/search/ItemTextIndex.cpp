#include "search/ItemTextIndex.h"

#include "floor/RunContext.h"
#include "items/ItemRecord.h"
#include "platform/FileNames.h"
#include "search/TextMatch.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>

#include <sys/stat.h>

#include <algorithm>
#include <limits>

namespace qb::search {

namespace {

// Raised whenever the layout of the file or the hash changes: an older file is built again.
const QString kFormat = QStringLiteral("3 fnv1a64 trigram nfc");

const QString kItemColumns =
    QStringLiteral("rowid, IT, ITS, (Animation IS NOT NULL AND length(Animation) > 0), TX");

// Rows that no longer stand for an item stay in the trigram table (it keeps no text to delete
// them by); past this share of the live rows the file is built again.
constexpr long long kDeadSlack = 2000;

// Items read in one batch of a build beside the program.
constexpr int kBuildBatch = 500;

}  // namespace

qint64 StoredTextHash(const QByteArray& bytes)
{
    quint64 hash = 1469598103934665603ULL;
    for (char c : bytes) {
        hash ^= quint8(c);
        hash *= 1099511628211ULL;
    }
    return qint64(hash);
}

bool DecodeStoredText(const QByteArray& bytes, QString* text)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = decoder.decode(bytes);
    if (decoder.hasError()) return false;
    *text = NormalizeLineBreaks(decoded);
    return true;
}

QString ItemTextIndex::Fingerprint::text() const
{
    return QStringLiteral("%1 %2 %3 %4").arg(counter).arg(inode).arg(size).arg(mtimeNs);
}

ItemTextIndex::Fingerprint ItemTextIndex::Fingerprint::parse(const QString& text)
{
    Fingerprint f;
    const QStringList parts = text.split(QLatin1Char(' '));
    if (parts.size() != 4) return f;
    f.counter = parts[0].toUInt();
    f.inode = parts[1].toULongLong();
    f.size = parts[2].toLongLong();
    f.mtimeNs = parts[3].toLongLong();
    return f;
}

ItemTextIndex::ItemTextIndex(const QString& storeDir) : dir_(storeDir) {}

QString ItemTextIndex::path() const { return files::resolve(dir_, QString::fromLatin1(kFileName)); }

bool ItemTextIndex::readFingerprint(Fingerprint* fingerprint) const
{
    const QString path = files::resolve(dir_, QStringLiteral("ITEM.DB"));
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(24)) return false;
    const QByteArray header = file.read(4);
    if (header.size() != 4) return false;
    fingerprint->counter = (quint32(quint8(header[0])) << 24) | (quint32(quint8(header[1])) << 16) |
                           (quint32(quint8(header[2])) << 8) | quint32(quint8(header[3]));
    fingerprint->inode = quint64(info.st_ino);
    fingerprint->size = qint64(info.st_size);
    fingerprint->mtimeNs = qint64(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    return true;
}

bool ItemTextIndex::open()
{
    if (db_.isOpen()) return true;
    if (!db_.open(path(), true)) return false;
    // Derived data: a file damaged by a power cut is found by the format check or by a failing
    // query and built again, so the index need not pay for full syncs.
    db_.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    if (meta(QStringLiteral("format")) == kFormat) {
        dead_ = meta(QStringLiteral("dead")).toLongLong();
        return true;
    }
    if (!createSchema()) {
        db_.close();
        return false;
    }
    return true;
}

bool ItemTextIndex::createSchema()
{
    dead_ = 0;
    return db_.exec(QStringLiteral(
               "DROP TABLE IF EXISTS trigrams; DROP TABLE IF EXISTS doc; DROP TABLE IF EXISTS meta;"
               "CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT);"
               "CREATE TABLE doc (id INTEGER PRIMARY KEY AUTOINCREMENT, it REAL NOT NULL UNIQUE,"
               " hash INTEGER NOT NULL, unreadable INTEGER NOT NULL, item_rowid INTEGER NOT NULL,"
               " its REAL, picture INTEGER NOT NULL);"
               "CREATE VIRTUAL TABLE trigrams USING fts5(tx, content='', detail=none,"
               " tokenize='trigram case_sensitive 1');")) &&
           setMeta(QStringLiteral("format"), kFormat);
}

QString ItemTextIndex::meta(const QString& key)
{
    sql::Statement st(db_, QStringLiteral("SELECT value FROM meta WHERE key = ?1"));
    st.bind(1, key);
    return st.next() ? st.textValue(0) : QString();
}

bool ItemTextIndex::setMeta(const QString& key, const QString& value)
{
    sql::Statement st(db_,
                      QStringLiteral("INSERT OR REPLACE INTO meta (key, value) VALUES (?1, ?2)"));
    st.bind(1, key).bind(2, value);
    return st.run();
}

ItemTextIndex::Row ItemTextIndex::rowOf(const sql::Statement& st)
{
    Row row;
    row.rowId = st.int64Value(0);
    row.itemId = st.realValue(1);
    row.itsNull = st.isNull(2);
    row.its = st.realValue(2);
    row.picture = st.intValue(3) != 0;
    row.text = st.blobValue(4);
    return row;
}

bool ItemTextIndex::add(const Row& row, qint64 hash)
{
    QString text;
    const bool readable = DecodeStoredText(row.text, &text);
    sql::Statement doc(db_, QStringLiteral("INSERT INTO doc (it, hash, unreadable, item_rowid, "
                                           "its, picture) VALUES (?1, ?2, ?3, ?4, ?5, ?6)"));
    doc.bind(1, row.itemId).bind(2, hash).bind(3, readable ? 0 : 1).bind(4, row.rowId);
    if (row.itsNull)
        doc.bindNull(5);
    else
        doc.bind(5, row.its);
    doc.bind(6, row.picture ? 1 : 0);
    if (!doc.run()) return false;
    if (!readable || text.isEmpty()) return true;
    sql::Statement tri(db_, QStringLiteral("INSERT INTO trigrams (rowid, tx) VALUES (?1, ?2)"));
    tri.bind(1, db_.lastInsertRowId()).bind(2, FoldForSearch(text));
    return tri.run();
}

bool ItemTextIndex::refresh(const Row& row, long long docId, qint64 knownHash)
{
    const qint64 hash = StoredTextHash(row.text);
    if (docId != 0 && hash == knownHash) {
        sql::Statement place(db_, QStringLiteral("UPDATE doc SET item_rowid = ?2, its = ?3, "
                                                 "picture = ?4 WHERE id = ?1"));
        place.bind(1, docId).bind(2, row.rowId);
        if (row.itsNull)
            place.bindNull(3);
        else
            place.bind(3, row.its);
        place.bind(4, row.picture ? 1 : 0);
        return place.run();
    }
    if (docId != 0 && !dropDoc(docId)) return false;
    return add(row, hash);
}

bool ItemTextIndex::dropDoc(long long docId)
{
    sql::Statement st(db_, QStringLiteral("DELETE FROM doc WHERE id = ?1"));
    st.bind(1, docId);
    ++dead_;
    return st.run();
}

bool ItemTextIndex::sync(sql::Database& store)
{
    struct Known {
        long long docId;
        qint64 hash;
        long long rowId;
        double its;
        bool itsNull;
        bool picture;
    };
    QHash<double, Known> known;
    {
        sql::Statement st(db_, QStringLiteral("SELECT id, it, hash, item_rowid, its, its IS NULL, "
                                              "picture FROM doc"));
        while (st.next())
            known.insert(st.realValue(1),
                         {st.int64Value(0), st.int64Value(2), st.int64Value(3), st.realValue(4),
                          st.intValue(5) != 0, st.intValue(6) != 0});
        if (!st.ok()) return false;
    }
    if (known.isEmpty())
        ++figures.builds;
    else
        ++figures.syncs;
    sql::Statement items(store,
                         QStringLiteral("SELECT ") + kItemColumns + QStringLiteral(" FROM ITEM"));
    while (items.next()) {
        const Row row = rowOf(items);
        auto found = known.find(row.itemId);
        if (found == known.end()) {
            if (!refresh(row, 0, 0)) return false;
            continue;
        }
        const Known was = *found;
        known.erase(found);
        const bool samePlace = was.rowId == row.rowId && was.itsNull == row.itsNull &&
                               (row.itsNull || was.its == row.its) && was.picture == row.picture;
        if (samePlace && was.hash == StoredTextHash(row.text)) continue;
        if (!refresh(row, was.docId, was.hash)) return false;
    }
    if (!items.ok()) return false;
    for (const Known& gone : std::as_const(known))
        if (!dropDoc(gone.docId)) return false;
    return true;
}

bool ItemTextIndex::update(sql::Database& store)
{
    ++figures.updates;
    sql::Statement read(store, QStringLiteral("SELECT ") + kItemColumns +
                                   QStringLiteral(" FROM ITEM WHERE IT = ?1"));
    sql::Statement known(db_, QStringLiteral("SELECT id, hash FROM doc WHERE it = ?1"));
    for (double id : pending_) {
        known.reset();
        known.bind(1, id);
        long long docId = 0;
        qint64 hash = 0;
        if (known.next()) {
            docId = known.int64Value(0);
            hash = known.int64Value(1);
        }
        if (!known.ok()) return false;
        known.reset();
        read.reset();
        read.bind(1, id);
        if (read.next()) {
            if (!refresh(rowOf(read), docId, hash)) return false;
        } else if (!read.ok()) {
            return false;
        } else if (docId != 0 && !dropDoc(docId)) {
            return false;
        }
    }
    return true;
}

bool ItemTextIndex::ensureCurrent(sql::Database& store, bool notedWritesOnly)
{
    if (!store.isOpen() || !sqlite3_get_autocommit(store.handle())) return false;
    if (notedWritesOnly && !db_.isOpen() && !QFile::exists(path())) return false;
    if (!open()) return false;
    bool rebuilt = false;
    for (;;) {
        sql::Transaction write(db_);
        if (!write.isActive()) return false;
        // A read lock on ITEM.DB: no one commits to it while its fingerprint and texts are read.
        sql::Transaction read(store, false);
        sql::Statement lock(store, QStringLiteral("SELECT 1 FROM ITEM LIMIT 1"));
        lock.next();
        if (!read.isActive() || !lock.ok()) return false;
        Fingerprint now;
        if (!readFingerprint(&now)) return false;
        const Fingerprint was = Fingerprint::parse(meta(QStringLiteral("fingerprint")));
        bool done = true;
        if (now.text() == was.text()) {
            // Noted writes that never reached the file: nothing to read again.
        } else if (pendingWrites_ > 0 && now.inode == was.inode &&
                   now.counter == was.counter + quint32(pendingWrites_)) {
            done = update(store);
        } else if (notedWritesOnly) {
            return false;
        } else {
            done = sync(store);
        }
        long long live = 0;
        if (done) {
            sql::Statement count(db_, QStringLiteral("SELECT count(*) FROM doc"));
            done = count.next();
            live = count.int64Value(0);
        }
        if (done && !rebuilt && dead_ > live + kDeadSlack) {
            write.rollback();
            if (!createSchema()) break;
            rebuilt = true;
            continue;
        }
        done = done && setMeta(QStringLiteral("fingerprint"), now.text()) &&
               setMeta(QStringLiteral("dead"), QString::number(dead_)) && write.commit();
        if (!done) break;
        pending_.clear();
        pendingWrites_ = 0;
        return true;
    }
    // A damaged or unwritable index: the next use starts it afresh.
    db_.close();
    return false;
}

bool ItemTextIndex::needsBuild() const
{
    if (!QFile::exists(path())) return true;
    sql::Database file;
    if (!file.open(path(), false)) return true;
    sql::Statement st(file, QStringLiteral("SELECT value FROM meta WHERE key = 'format'"));
    return !st.next() || st.textValue(0) != kFormat;
}

QString ItemTextIndex::startBuild()
{
    db_.close();
    pending_.clear();
    pendingWrites_ = 0;
    Fingerprint now;
    return readFingerprint(&now) ? now.text() : QString();
}

bool ItemTextIndex::BuildInBatches(const QString& storeDir, const QString& startedAt,
                                   const std::function<bool(qint64, qint64)>& progress)
{
    if (startedAt.isEmpty()) return false;
    ItemTextIndex index(storeDir);
    sql::Database store;
    if (!store.open(files::resolve(storeDir, QStringLiteral("ITEM.DB")), false)) return false;
    if (!index.open() || !index.createSchema()) return false;
    qint64 total = 0;
    {
        sql::Statement count(store, QStringLiteral("SELECT count(*) FROM ITEM"));
        if (!count.next()) return false;
        total = count.int64Value(0);
    }
    ++index.figures.builds;
    sql::Statement items(store, QStringLiteral("SELECT ") + kItemColumns +
                                    QStringLiteral(" FROM ITEM WHERE rowid > ?1 ORDER BY rowid "
                                                   "LIMIT ?2"));
    long long after = std::numeric_limits<long long>::min();
    qint64 done = 0;
    for (;;) {
        std::vector<Row> rows;
        {
            sql::Transaction read(store, false);
            if (!read.isActive()) return false;
            items.reset();
            items.bind(1, after).bind(2, kBuildBatch);
            while (items.next()) rows.push_back(rowOf(items));
            if (!items.ok()) return false;
        }
        if (rows.empty()) break;
        sql::Transaction write(index.db_);
        if (!write.isActive()) return false;
        for (const Row& row : rows)
            if (!index.add(row, StoredTextHash(row.text))) return false;
        if (!write.commit()) return false;
        after = rows.back().rowId;
        done += qint64(rows.size());
        if (progress && !progress(std::min(done, total), total)) return false;
    }
    // The moment the build began: anything written since is found by the next use.
    return index.setMeta(QStringLiteral("fingerprint"), startedAt) &&
           index.setMeta(QStringLiteral("dead"), QStringLiteral("0"));
}

bool ItemTextIndex::rebuild(sql::Database& store)
{
    if (!open()) return false;
    if (!createSchema()) return false;
    return ensureCurrent(store);
}

void ItemTextIndex::noteWritten(const std::vector<Timestamp>& items)
{
    if (items.empty()) return;
    for (Timestamp id : items) pending_.insert(double(id));
    ++pendingWrites_;
}

namespace {

// The distinct trigrams (three characters) of a folded text, in order.
QStringList TrigramsOf(const QString& lowered)
{
    QStringList trigrams;
    QList<qsizetype> starts;
    for (qsizetype i = 0; i < lowered.size(); ++i)
        if (!lowered.at(i).isLowSurrogate()) starts << i;
    starts << lowered.size();
    for (qsizetype k = 0; k + 3 < starts.size(); ++k) {
        const QString gram = lowered.mid(starts[k], starts[k + 3] - starts[k]);
        if (!trigrams.contains(gram)) trigrams << gram;
    }
    return trigrams;
}

}  // namespace

bool ItemTextIndex::candidates(const QString& lowered, std::vector<Candidate>* items)
{
    if (!db_.isOpen()) return false;
    // Every trigram of the text must be in a text that holds it; the order is checked by the
    // caller's own matching.
    QStringList trigrams;
    for (QString gram : TrigramsOf(lowered)) {
        gram.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        trigrams << QLatin1Char('"') + gram + QLatin1Char('"');
    }
    if (trigrams.isEmpty()) return false;
    items->clear();
    const QString columns =
        QStringLiteral("SELECT doc.item_rowid, doc.it, doc.its, doc.its IS NULL, doc.picture ");
    sql::Statement st(db_, columns + QStringLiteral("FROM trigrams JOIN doc ON doc.id = "
                                                    "trigrams.rowid WHERE trigrams MATCH ?1"));
    st.bind(1, trigrams.join(QLatin1Char(' ')));
    auto take = [items](const sql::Statement& row) {
        items->push_back({row.int64Value(0), row.extValue(1), row.extValue(2), row.intValue(3) != 0,
                          row.intValue(4) != 0});
    };
    while (st.next()) take(st);
    if (!st.ok()) return false;
    sql::Statement unreadable(db_, columns + QStringLiteral("FROM doc WHERE unreadable = 1"));
    while (unreadable.next()) take(unreadable);
    return unreadable.ok();
}

}  // namespace qb::search
