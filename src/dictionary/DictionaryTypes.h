#pragma once

#include <QString>

#include <optional>

namespace qb {

// Longest word the input fields accept, and the most of a text that word operations use.
constexpr int kWordFieldLength = 38;
constexpr int kWordTextLimit = 50;

// The four orders of a dictionary window, numbered as the window keeps them.
enum class DictOrder : int {
    TimeStamp = 0,
    Alphabetical = 1,
    Usage = 2,
    Frequency = 3,
};

// Title of the word column in that order ("ALPHABETICAL ORDER" ...).
QString dictOrderTitle(DictOrder order);
// The WORD field that orders the rows.
QString dictOrderField(DictOrder order);
// The code stored in [SAVEDWORK] DictSortOrder_<n> (1 alphabetical, 2 time stamp, 3 usage,
// 4 frequency) and back; 0 or any other code gives no order.
int dictOrderStoredCode(DictOrder order);
std::optional<DictOrder> dictOrderOfStoredCode(int code);
// The title click: alphabetical -> time stamp -> usage -> frequency -> alphabetical.
DictOrder nextDictOrder(DictOrder order);

// One row of WORD as a dictionary window shows it. Unset timestamps and frequencies stay empty.
struct DictionaryRow {
    long long rowId = 0;
    int wordNo = 0;
    QString word;
    std::optional<double> wts;
    std::optional<double> wts2;
    std::optional<int> wfq;
    bool valid = false;  // false: no such row (empty table, index out of range)

    bool isValid() const { return valid; }
};

}  // namespace qb
