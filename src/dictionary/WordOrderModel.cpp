#include "dictionary/WordOrderModel.h"

#include "dictionary/AlphabeticalWordIndex.h"
#include "platform/Sqlite.h"

#include <QLocale>
#include <QSet>

#include <algorithm>

namespace qb {

namespace {

constexpr int kWindowRows = 200;

// A WORD table made by other tools may lack WTS2 or WFQ; such a column reads as unset.
QSet<QString> wordColumns(sql::Database& db)
{
    QSet<QString> names;
    sql::Statement st(db, QStringLiteral("PRAGMA word.table_info(WORD)"));
    while (st.next()) names.insert(st.textValue(1).toUpper());
    return names;
}

QString selectList(const QSet<QString>& columns)
{
    QString list = QStringLiteral("rowid, WNo, Word");
    for (const char* name : {"WTS", "WTS2", "WFQ"})
        list += columns.contains(QLatin1String(name)) ? QStringLiteral(", ") + QLatin1String(name)
                                                      : QStringLiteral(", NULL");
    return list;
}

DictionaryRow readRow(const sql::Statement& st, int first = 0)
{
    DictionaryRow row;
    row.valid = true;
    row.rowId = st.int64Value(first);
    row.wordNo = st.intValue(first + 1);
    row.word = st.textValue(first + 2);
    if (!st.isNull(first + 3)) row.wts = st.realValue(first + 3);
    if (!st.isNull(first + 4)) row.wts2 = st.realValue(first + 4);
    if (!st.isNull(first + 5)) row.wfq = st.intValue(first + 5);
    return row;
}

std::vector<long long> rowIdsWhere(sql::Database& db, const QString& condition,
                                   const QVariant& value)
{
    std::vector<long long> ids;
    sql::Statement st(db, QStringLiteral("SELECT rowid FROM WORD WHERE ") + condition);
    st.bindVariant(1, value);
    while (st.next()) ids.push_back(st.int64Value(0));
    return ids;
}

// Time stamp, usage and frequency order: the rows in the order of the field's index, rowid
// breaking ties, paged with LIMIT and OFFSET.
class IndexedOrderModel : public WordOrderModel {
public:
    IndexedOrderModel(sql::Database& db, DictOrder order) : WordOrderModel(db, order)
    {
        QSet<QString> columns = wordColumns(db);
        field_ = dictOrderField(order);
        hasField_ = columns.contains(field_);
        select_ = selectList(columns);
        // An unset field means never (stamped, used, counted): those words come last.
        orderBy_ = hasField_ ? QStringLiteral("%1 IS NULL, %1, rowid").arg(field_)
                             : QStringLiteral("rowid");
    }

    int rowCount() override
    {
        if (count_ < 0) {
            sql::Statement st(db_, QStringLiteral("SELECT count(*) FROM WORD"));
            count_ = st.next() ? int(st.int64Value(0)) : 0;
        }
        return count_;
    }

    DictionaryRow row(int index) override
    {
        if (index < 0 || index >= rowCount()) return {};
        if (index < windowStart_ || index >= windowStart_ + int(window_.size())) fetchWindow(index);
        int at = index - windowStart_;
        return at >= 0 && at < int(window_.size()) ? window_[at] : DictionaryRow();
    }

    int indexOfRowId(long long rowId) override
    {
        if (!hasField_) {
            if (rowIdsWhere(db_, QStringLiteral("rowid = ?1"), rowId).empty()) return -1;
            return countWhere(QStringLiteral("rowid < ?1"), rowId);
        }
        sql::Statement st(db_, QStringLiteral("SELECT %1 FROM WORD WHERE rowid = ?1").arg(field_));
        st.bind(1, rowId);
        if (!st.next()) return -1;
        QVariant value = st.value(0);
        if (!value.isValid())
            return setCount() +
                   countWhere(QStringLiteral("%1 IS NULL AND rowid < ?2").arg(field_), {}, rowId);
        return countWhere(QStringLiteral("%1 < ?1").arg(field_), value) +
               countWhere(QStringLiteral("%1 = ?1 AND rowid < ?2").arg(field_), value, rowId);
    }

    int findContaining(const QString& text, int from) override
    {
        if (text.isEmpty()) return -1;
        DictionaryRow start = row(std::max(from, 0));
        if (!start.isValid()) return -1;
        // One pass over the table finds every word with the text; the first of them at or after
        // the start row in this order wins. Walking the index instead would visit the rows in
        // random table order.
        Position from_{fieldValue(start), start.rowId};
        std::optional<Position> best;
        sql::Statement st(db_,
                          QStringLiteral("SELECT rowid, %1 FROM WORD WHERE instr(Word, ?1) > 0")
                              .arg(hasField_ ? field_ : QStringLiteral("NULL")));
        st.bind(1, text);
        while (st.next()) {
            Position p{st.value(1), st.int64Value(0)};
            if (before(p, from_)) continue;
            if (!best || before(p, *best)) best = p;
        }
        return best ? indexOfRowId(best->rowId) : -1;
    }

    int locate(const QString& prefix) override
    {
        if (prefix.isEmpty()) return rowCount() > 0 ? 0 : -1;
        // Words are stored in lower case: a range on the Word index finds every one that begins
        // with the prefix.
        QString low = QLocale().toLower(prefix);
        sql::Statement st(db_,
                          QStringLiteral("SELECT rowid FROM WORD WHERE Word >= ?1 AND Word < ?2 "
                                         "ORDER BY %1 LIMIT 1")
                              .arg(orderBy_));
        st.bind(1, low).bind(2, low + QString::fromUcs4(U"\U0010FFFF"));
        return st.next() ? indexOfRowId(st.int64Value(0)) : -1;
    }

    int findKey(const DictionaryPositionKeys& keys) override
    {
        QVariant key;
        switch (order_) {
        case DictOrder::TimeStamp:
            if (keys.wts) key = *keys.wts;
            break;
        case DictOrder::Usage:
            if (keys.wts2) key = *keys.wts2;
            break;
        case DictOrder::Frequency:
            if (keys.wfq) key = *keys.wfq;
            break;
        default: break;
        }
        if (!key.isValid() || !hasField_) return -1;
        sql::Statement st(
            db_, QStringLiteral("SELECT rowid FROM WORD WHERE %1 = ?1 ORDER BY rowid LIMIT 1")
                     .arg(field_));
        st.bindVariant(1, key);
        return st.next() ? indexOfRowId(st.int64Value(0)) : -1;
    }

    void refresh() override
    {
        count_ = -1;
        setCount_ = -1;
        windowStart_ = -1;
        window_.clear();
    }

private:
    // A place in this order: the field's value (unset last), rowid breaking ties.
    struct Position {
        QVariant value;
        long long rowId;
    };
    static bool before(const Position& a, const Position& b)
    {
        bool aSet = a.value.isValid();
        bool bSet = b.value.isValid();
        if (aSet != bSet) return aSet;
        if (aSet) {
            double x = a.value.toDouble();
            double y = b.value.toDouble();
            if (x != y) return x < y;
        }
        return a.rowId < b.rowId;
    }

    // Rows whose field is set; they come before the unset ones.
    int setCount()
    {
        if (setCount_ < 0)
            setCount_ = hasField_ ? countWhere(QStringLiteral("%1 IS NOT NULL").arg(field_)) : 0;
        return setCount_;
    }

    void fetchRows(const QString& where, const QString& orderBy, int limit, int offset)
    {
        sql::Statement st(db_,
                          QStringLiteral("SELECT %1 FROM WORD %2 ORDER BY %3 LIMIT ?1 OFFSET ?2")
                              .arg(select_, where, orderBy));
        st.bind(1, limit).bind(2, offset);
        while (st.next()) window_.push_back(readRow(st));
    }

    void fetchWindow(int index)
    {
        window_.clear();
        windowStart_ = std::max(0, index - kWindowRows / 4);
        if (!hasField_) {
            fetchRows(QString(), orderBy_, kWindowRows, windowStart_);
            return;
        }
        // Two walks, each along the field's index: the set rows, then the unset ones.
        const int set = setCount();
        if (windowStart_ < set)
            fetchRows(QStringLiteral("WHERE %1 IS NOT NULL").arg(field_),
                      field_ + QStringLiteral(", rowid"), kWindowRows, windowStart_);
        const int missing = kWindowRows - int(window_.size());
        if (missing > 0)
            fetchRows(QStringLiteral("WHERE %1 IS NULL").arg(field_), QStringLiteral("rowid"),
                      missing, std::max(0, windowStart_ - set));
    }

    QVariant fieldValue(const DictionaryRow& row) const
    {
        switch (order_) {
        case DictOrder::TimeStamp: return row.wts ? QVariant(*row.wts) : QVariant();
        case DictOrder::Usage: return row.wts2 ? QVariant(*row.wts2) : QVariant();
        case DictOrder::Frequency: return row.wfq ? QVariant(*row.wfq) : QVariant();
        default: return {};
        }
    }

    int countWhere(const QString& condition, const QVariant& first = {}, long long second = 0)
    {
        sql::Statement st(db_, QStringLiteral("SELECT count(*) FROM WORD WHERE ") + condition);
        if (condition.contains(QStringLiteral("?1"))) st.bindVariant(1, first);
        if (condition.contains(QStringLiteral("?2"))) st.bind(2, second);
        return st.next() ? int(st.int64Value(0)) : 0;
    }

    QString field_;
    bool hasField_ = false;
    QString select_;
    QString orderBy_;
    int count_ = -1;
    int setCount_ = -1;
    int windowStart_ = -1;
    std::vector<DictionaryRow> window_;
};

// Alphabetical order: positions come from the locale index, the other fields are read in windows
// by rowid.
class AlphabeticalOrderModel : public WordOrderModel {
public:
    AlphabeticalOrderModel(sql::Database& db)
        : WordOrderModel(db, DictOrder::Alphabetical),
          index_(AlphabeticalWordIndex::of(db)),
          select_(selectList(wordColumns(db)))
    {
    }

    int rowCount() override { return entries().size(); }

    DictionaryRow row(int index) override
    {
        const auto& all = entries();
        if (index < 0 || index >= int(all.size())) return {};
        if (index < windowStart_ || index >= windowStart_ + int(window_.size())) fetchWindow(index);
        int at = index - windowStart_;
        if (at >= 0 && at < int(window_.size()) && window_[at].isValid()) return window_[at];
        // Deleted since the index was built: show what the index knows.
        DictionaryRow row;
        row.valid = true;
        row.rowId = all[index].rowId;
        row.word = all[index].word;
        return row;
    }

    int indexOfRowId(long long rowId) override
    {
        const auto& all = entries();
        for (int i = 0; i < int(all.size()); ++i)
            if (all[i].rowId == rowId) return i;
        return -1;
    }

    int findContaining(const QString& text, int from) override
    {
        if (text.isEmpty()) return -1;
        const auto& all = entries();
        for (int i = std::max(from, 0); i < int(all.size()); ++i)
            if (all[i].word.contains(text)) return i;
        return -1;
    }

    int locate(const QString& prefix) override
    {
        const auto& all = entries();
        if (all.empty()) return -1;
        if (prefix.isEmpty()) return 0;
        int at = index_.lowerBound(prefix);
        if (at < int(all.size()) && all[at].word.startsWith(prefix, Qt::CaseInsensitive)) return at;
        // Collation can place a word away from its prefix (ignorable characters, contractions).
        for (int i = 0; i < int(all.size()); ++i)
            if (all[i].word.startsWith(prefix, Qt::CaseInsensitive)) return i;
        return -1;
    }

    int findKey(const DictionaryPositionKeys& keys) override
    {
        if (keys.word.isEmpty()) return -1;
        const auto& all = entries();
        int at = index_.lowerBound(keys.word);
        int firstEqual = -1;
        for (int i = at; i < int(all.size()) && index_.compare(all[i].word, keys.word) == 0; ++i) {
            if (all[i].word == keys.word) return i;
            if (firstEqual < 0) firstEqual = i;
        }
        return firstEqual;
    }

    void refresh() override
    {
        checked_ = false;
        windowStart_ = -1;
        window_.clear();
    }

private:
    const std::vector<AlphabeticalWordIndex::Entry>& entries()
    {
        if (!checked_) {
            index_.ensureCurrent();
            checked_ = true;
        }
        return index_.entries();
    }

    void fetchWindow(int index)
    {
        const auto& all = entries();
        window_.clear();
        windowStart_ = std::max(0, index - kWindowRows / 4);
        int end = std::min(int(all.size()), windowStart_ + kWindowRows);
        sql::Statement st(db_, QStringLiteral("SELECT %1 FROM WORD WHERE rowid = ?1").arg(select_));
        for (int i = windowStart_; i < end; ++i) {
            st.reset();
            st.bind(1, all[i].rowId);
            window_.push_back(st.next() ? readRow(st) : DictionaryRow());
        }
    }

    AlphabeticalWordIndex& index_;
    QString select_;
    bool checked_ = false;
    int windowStart_ = -1;
    std::vector<DictionaryRow> window_;
};

}  // namespace

std::unique_ptr<WordOrderModel> WordOrderModel::create(sql::Database& db, DictOrder order)
{
    if (order == DictOrder::Alphabetical) return std::make_unique<AlphabeticalOrderModel>(db);
    return std::make_unique<IndexedOrderModel>(db, order);
}

int WordOrderModel::firstIndexAtOrAfter(const std::vector<long long>& rowIds, int from)
{
    int best = -1;
    for (long long id : rowIds) {
        int at = indexOfRowId(id);
        if (at >= from && (best < 0 || at < best)) best = at;
    }
    return best;
}

int WordOrderModel::indexOf(int wordNo)
{
    return firstIndexAtOrAfter(rowIdsWhere(db_, QStringLiteral("WNo = ?1"), wordNo), 0);
}

int WordOrderModel::findExact(const QString& text, int from)
{
    return firstIndexAtOrAfter(rowIdsWhere(db_, QStringLiteral("Word = ?1"), text),
                               std::max(from, 0));
}

void storePositionKey(DictOrder order, const DictionaryRow& row, DictionaryPositionKeys& keys)
{
    switch (order) {
    case DictOrder::Alphabetical: keys.word = row.word.left(kWordTextLimit); break;
    case DictOrder::TimeStamp: keys.wts = row.wts; break;
    case DictOrder::Usage: keys.wts2 = row.wts2; break;
    case DictOrder::Frequency: keys.wfq = row.wfq; break;
    }
}

QString dictOrderTitle(DictOrder order)
{
    switch (order) {
    case DictOrder::TimeStamp: return QStringLiteral("TIME STAMP ORDER");
    case DictOrder::Alphabetical: return QStringLiteral("ALPHABETICAL ORDER");
    case DictOrder::Usage: return QStringLiteral("USAGE ORDER");
    case DictOrder::Frequency: return QStringLiteral("FREQUENCY ORDER");
    }
    return {};
}

QString dictOrderField(DictOrder order)
{
    switch (order) {
    case DictOrder::TimeStamp: return QStringLiteral("WTS");
    case DictOrder::Alphabetical: return QStringLiteral("WORD");
    case DictOrder::Usage: return QStringLiteral("WTS2");
    case DictOrder::Frequency: return QStringLiteral("WFQ");
    }
    return {};
}

int dictOrderStoredCode(DictOrder order)
{
    switch (order) {
    case DictOrder::Alphabetical: return 1;
    case DictOrder::TimeStamp: return 2;
    case DictOrder::Usage: return 3;
    case DictOrder::Frequency: return 4;
    }
    return 0;
}

std::optional<DictOrder> dictOrderOfStoredCode(int code)
{
    switch (code) {
    case 1: return DictOrder::Alphabetical;
    case 2: return DictOrder::TimeStamp;
    case 3: return DictOrder::Usage;
    case 4: return DictOrder::Frequency;
    default: return std::nullopt;
    }
}

DictOrder nextDictOrder(DictOrder order)
{
    switch (order) {
    case DictOrder::Alphabetical: return DictOrder::TimeStamp;
    case DictOrder::TimeStamp: return DictOrder::Usage;
    case DictOrder::Usage: return DictOrder::Frequency;
    case DictOrder::Frequency: return DictOrder::Alphabetical;
    }
    return DictOrder::Alphabetical;
}

}  // namespace qb
