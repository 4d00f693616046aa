#include "cards/TowerCard.h"

#include "cards/Desktop.h"
#include "floor/Messages.h"

#include <QApplication>
#include <QHeaderView>

namespace qb {

TTowerGrid::TTowerGrid(QWidget* parent) : QTableView(parent)
{
    setObjectName(QStringLiteral("towerGrid"));
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(true);
    QFont titles(QStringLiteral("Arial"));
    titles.setPixelSize(11);
    titles.setBold(false);
    horizontalHeader()->setFont(titles);
    QPalette hp = horizontalHeader()->palette();
    hp.setColor(QPalette::ButtonText, Qt::black);
    horizontalHeader()->setPalette(hp);
    // The selection stays visible when the grid has no focus.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight,
               p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText,
               p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);
}

bool TTowerGrid::commitPendingEdit()
{
    bool ok = true;
    if (state() == QAbstractItemView::EditingState) {
        QWidget* editor = indexWidget(currentIndex());
        if (!editor) editor = QApplication::focusWidget();
        if (editor && isAncestorOf(editor)) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
    if (QAbstractItemModel* m = model()) {
        ok = m->submit();
        if (!ok) m->revert();
    }
    return ok;
}

TTower::TTower(TDesktop& desktop, std::unique_ptr<CardData> cardData)
    : TTower(desktop, std::move(cardData), new TTowerGrid(nullptr))
{
}

TTower::TTower(TDesktop& desktop, std::unique_ptr<CardData> cardData, TTowerGrid* grid)
    : TBasPanel(desktop, std::move(cardData)), grid_(grid)
{
    grid_->setParent(this);
    grid_->show();
    data().size = kSize;
    data().pos = desktop.toDesktop(kPlace);
    applyDataGeometry();
    LayoutGrid();
}

void TTower::setModel(QAbstractItemModel* model) { grid_->setModel(model); }

QAbstractItemModel* TTower::model() const { return grid_->model(); }

bool TTower::GoTop()
{
    QAbstractItemModel* m = grid_->model();
    if (!m) {
        ShowInfo(QStringLiteral("GoTop failed"), QStringLiteral("T150"), kError, kGoTopHelp);
        return false;
    }
    grid_->scrollToTop();
    if (m->rowCount() > 0) {
        int column = std::max(grid_->currentIndex().column(), 0);
        grid_->setCurrentIndex(m->index(0, column));
    }
    grid_->viewport()->update();
    return true;
}

void TTower::RefreshTable() { grid_->viewport()->update(); }

void TTower::afterResizeStep()
{
    LayoutGrid();
    if (data().expanded) data().altSize = size();
}

void TTower::CornerMouseMove(QPoint global)
{
    TBasPanel::CornerMouseMove(global);
    afterResizeStep();
}

void TTower::CornerMouseUp(Qt::MouseButton button, QPoint global)
{
    TBasPanel::CornerMouseUp(button, global);
    afterResizeStep();
}

void TTower::CardMouseUp(Qt::MouseButton button, QPoint global)
{
    TBasPanel::CardMouseUp(button, global);
}

void TTower::CardMouseDown(Qt::MouseButton button, QPoint global)
{
    TBasPanel::CardMouseDown(button, global);
}

void TTower::CardExit()
{
    TBasPanel::CardExit();
    grid_->commitPendingEdit();
}

void TTower::ApplyColor() {}

void TTower::LayoutGrid()
{
    grid_->setGeometry(5, 14, width() - 10, height() - 28);
    data().layoutValid = true;
    PlaceWidgets();
}

void TTower::resizeEvent(QResizeEvent* e)
{
    TBasPanel::resizeEvent(e);
    LayoutGrid();
}

}  // namespace qb
