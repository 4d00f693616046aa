#pragma once

#include "cards/BaseCard.h"

#include <QTableView>

class QAbstractItemModel;

namespace qb {

// The grid of a list-type card: a table view that can hand a pending edit to its model.
class TTowerGrid : public QTableView {
    Q_OBJECT
public:
    explicit TTowerGrid(QWidget* parent);
    // Ends an open cell editor, writing its value; false when the model refused it.
    bool commitPendingEdit();
};

// The list-type card on which the dictionary, project and inflection windows are built: a card
// holding a data grid (with drag support) over a model that the window kind supplies.
class TTower : public TBasPanel {
    Q_OBJECT
public:
    static constexpr QSize kSize{220, 360};
    static constexpr QPoint kPlace{400, 40};
    static constexpr int kGoTopHelp = 40060;

    // The card opens at (400, 40) of the visible part of the desktop.
    TTower(TDesktop& desktop, std::unique_ptr<CardData> data);
    // The same with a grid of a kind's own class (made without a parent; the card takes it).
    TTower(TDesktop& desktop, std::unique_ptr<CardData> data, TTowerGrid* grid);

    TTowerGrid* grid() const { return grid_; }
    void setModel(QAbstractItemModel* model);
    QAbstractItemModel* model() const;

    // Moves the grid to its first row and refreshes it; "GoTop failed" when it cannot.
    bool GoTop();

    void CornerMouseMove(QPoint global) override;
    void CornerMouseUp(Qt::MouseButton button, QPoint global) override;
    void CardMouseUp(Qt::MouseButton button, QPoint global) override;
    void CardMouseDown(Qt::MouseButton button, QPoint global) override;
    void CardExit() override;
    void ApplyColor() override;
    // Lays the grid out inside the card: at (5, 14), width - 10 wide, height - 28 high.
    virtual void LayoutGrid();
    // Shows the table's rows again after a commit wrote to the store; window kinds whose model
    // reads the store override it to read again.
    virtual void RefreshTable();

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void afterResizeStep();

    TTowerGrid* grid_;
};

}  // namespace qb
