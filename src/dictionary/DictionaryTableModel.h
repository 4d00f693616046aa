#pragma once

#include <QAbstractTableModel>

namespace qb {

class DictionaryBrowser;
class WordOrderModel;

// The rows of a dictionary window for its grid: one column, the word, titled with the order's
// name. Rows are asked of the browser's paged model one at a time, as the grid paints them, so a
// dictionary of any size is never read whole. sync() tells the grid what changed after the
// browser switched its order, re-read WORD or moved.
class DictionaryTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DictionaryTableModel(DictionaryBrowser& browser, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // A new order or a different number of rows resets the grid; otherwise the shown rows are
    // painted again from the browser. True when the grid was reset.
    bool sync();

private:
    DictionaryBrowser& browser_;
    const WordOrderModel* shownModel_ = nullptr;
    int shownCount_ = 0;
};

}  // namespace qb
