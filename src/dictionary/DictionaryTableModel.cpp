#include "dictionary/DictionaryTableModel.h"

#include "dictionary/DictionaryBrowser.h"

namespace qb {

DictionaryTableModel::DictionaryTableModel(DictionaryBrowser& browser, QObject* parent)
    : QAbstractTableModel(parent), browser_(browser)
{
    shownModel_ = &browser_.model();
    shownCount_ = browser_.rowCount();
}

int DictionaryTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shownCount_;
}

int DictionaryTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant DictionaryTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() != 0 || index.row() >= shownCount_) return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    // Rows are read through the browser's windows of WORD; the grid asks for the painted ones.
    return browser_.row(index.row()).word;
}

QVariant DictionaryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section != 0 || role != Qt::DisplayRole) return {};
    return browser_.title();
}

Qt::ItemFlags DictionaryTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

bool DictionaryTableModel::sync()
{
    const WordOrderModel* model = &browser_.model();
    int count = browser_.rowCount();
    if (model != shownModel_ || count != shownCount_) {
        beginResetModel();
        shownModel_ = model;
        shownCount_ = count;
        endResetModel();
        return true;
    }
    if (count > 0) Q_EMIT dataChanged(index(0, 0), index(count - 1, 0), {Qt::DisplayRole});
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, 0);
    return false;
}

}  // namespace qb
