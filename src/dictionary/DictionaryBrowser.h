#pragma once

#include "dictionary/DictionaryTypes.h"
#include "dictionary/WordOrderModel.h"

#include <memory>

namespace qb::sql {
class Database;
}

namespace qb {

// What a dictionary window is without its widgets: WORD in one of the four orders and the
// current row. The window widget shows rows of model() and forwards clicks and commands here.
class DictionaryBrowser {
public:
    // A new window starts in time stamp order, on that order's shared position key.
    DictionaryBrowser();
    explicit DictionaryBrowser(sql::Database& db);

    DictOrder order() const { return order_; }
    QString title() const { return dictOrderTitle(order_); }
    int storedOrderCode() const { return dictOrderStoredCode(order_); }
    // Applies an order code as stored in the settings; 0 or an unknown code changes nothing.
    void setStoredOrder(int code);

    // Switches to an order: the current row's value of the new order's field becomes that
    // order's shared position key, and the window goes to the first row carrying it.
    void setOrder(DictOrder order);
    // The click on the word column's title and the command "AlphaOrder".
    void nextOrder() { setOrder(nextDictOrder(order_)); }
    // After an edit: reads WORD again and looks the current order's key up, storing nothing.
    void reapplyDisplay();
    // Reads WORD again and stays on the current row while it exists (else on the row that took
    // its place).
    void refresh();

    int rowCount() { return model_->rowCount(); }
    DictionaryRow row(int index) { return model_->row(index); }
    WordOrderModel& model() { return *model_; }

    int currentIndex() const { return current_; }
    DictionaryRow current();
    bool setCurrentIndex(int index);
    void goTop() { setCurrentIndex(0); }
    void goLast() { setCurrentIndex(rowCount() - 1); }
    bool isAtLastRow() { return current_ >= rowCount() - 1; }

    // Positions on the first row (in this order) with that word number; false leaves the row.
    bool positionOnWordNo(int wordNo);
    // Positions on the first row whose word equals text without regard to case.
    bool positionOnWord(const QString& text);
    bool positionOnRowId(long long rowId);

    // The slot of the window in the dictionary-window table (1 to 10), 0 while it has none.
    int slot = 0;

private:
    sql::Database& db_;
    DictOrder order_ = DictOrder::TimeStamp;
    std::unique_ptr<WordOrderModel> model_;
    int current_ = 0;
    long long currentRowId_ = 0;
    bool open_ = false;
};

}  // namespace qb
