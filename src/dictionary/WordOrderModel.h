#pragma once

#include "dictionary/DictionaryState.h"
#include "dictionary/DictionaryTypes.h"

#include <memory>

namespace qb::sql {
class Database;
}

namespace qb {

// The rows of WORD in one of the four orders, read in windows: a dictionary window shows a few
// dozen rows of a table that may hold a hundred thousand, so rows are fetched around the one
// asked for and kept until the next refresh. Time stamp, usage and frequency order page through
// the table's indexes; alphabetical order follows the user's locale (AlphabeticalWordIndex).
class WordOrderModel {
public:
    static std::unique_ptr<WordOrderModel> create(sql::Database& db, DictOrder order);
    virtual ~WordOrderModel() = default;

    DictOrder order() const { return order_; }

    virtual int rowCount() = 0;
    // The row at that position; an invalid row outside 0 .. rowCount() - 1.
    virtual DictionaryRow row(int index) = 0;
    // Position of a row, -1 when WORD has no such row.
    virtual int indexOfRowId(long long rowId) = 0;
    // First position (in this order) of a row with that word number, -1 when none.
    int indexOf(int wordNo);
    // First position at or after from whose word is exactly text.
    int findExact(const QString& text, int from);
    // First position at or after from whose word contains text.
    virtual int findContaining(const QString& text, int from) = 0;
    // First position whose word begins with prefix, without regard to case.
    virtual int locate(const QString& prefix) = 0;
    // First position carrying the order's position key (exact key search), -1 when none.
    virtual int findKey(const DictionaryPositionKeys& keys) = 0;

    // Drops what was read; the next access reads WORD again.
    virtual void refresh() = 0;

protected:
    WordOrderModel(sql::Database& db, DictOrder order) : db_(db), order_(order) {}
    // Positions of the rows whose rowids are listed, smallest first not below from.
    int firstIndexAtOrAfter(const std::vector<long long>& rowIds, int from);

    sql::Database& db_;
    DictOrder order_;
};

// Stores a row's value of the order's field as that order's position key.
void storePositionKey(DictOrder order, const DictionaryRow& row, DictionaryPositionKeys& keys);

}  // namespace qb
