#include "dictionary/DictionaryBrowser.h"

#include "dictionary/DictionaryState.h"
#include "session/Session.h"

#include <QLocale>

namespace qb {

DictionaryBrowser::DictionaryBrowser() : DictionaryBrowser(session().store.db()) {}

DictionaryBrowser::DictionaryBrowser(sql::Database& db) : db_(db)
{
    setOrder(DictOrder::TimeStamp);
}

void DictionaryBrowser::setStoredOrder(int code)
{
    if (auto order = dictOrderOfStoredCode(code)) setOrder(*order);
}

void DictionaryBrowser::setOrder(DictOrder order)
{
    DictionaryPositionKeys& keys = dictionaryState().keys;
    if (open_) {
        DictionaryRow here = current();
        if (here.isValid()) storePositionKey(order, here, keys);
    }
    model_ = WordOrderModel::create(db_, order);
    order_ = order;
    open_ = true;
    int at = model_->findKey(keys);
    setCurrentIndex(at >= 0 ? at : 0);
}

void DictionaryBrowser::reapplyDisplay()
{
    model_->refresh();
    int at = model_->findKey(dictionaryState().keys);
    setCurrentIndex(at >= 0 ? at : 0);
}

void DictionaryBrowser::refresh()
{
    long long rowId = currentRowId_;
    int index = current_;
    model_->refresh();
    int at = rowId ? model_->indexOfRowId(rowId) : -1;
    setCurrentIndex(at >= 0 ? at : std::min(index, rowCount() - 1));
}

DictionaryRow DictionaryBrowser::current() { return model_->row(current_); }

bool DictionaryBrowser::setCurrentIndex(int index)
{
    int count = rowCount();
    if (count == 0) {
        current_ = 0;
        currentRowId_ = 0;
        return false;
    }
    current_ = std::clamp(index, 0, count - 1);
    currentRowId_ = model_->row(current_).rowId;
    return current_ == index;
}

bool DictionaryBrowser::positionOnWordNo(int wordNo)
{
    int at = model_->indexOf(wordNo);
    if (at < 0) return false;
    setCurrentIndex(at);
    return true;
}

bool DictionaryBrowser::positionOnWord(const QString& text)
{
    // Words are stored in lower case; the text as given finds one stored otherwise.
    int lower = model_->findExact(QLocale().toLower(text), 0);
    int asGiven = model_->findExact(text, 0);
    int at = lower < 0 ? asGiven : (asGiven < 0 ? lower : std::min(lower, asGiven));
    if (at < 0) return false;
    setCurrentIndex(at);
    return true;
}

bool DictionaryBrowser::positionOnRowId(long long rowId)
{
    int at = model_->indexOfRowId(rowId);
    if (at < 0) return false;
    setCurrentIndex(at);
    return true;
}

}  // namespace qb
