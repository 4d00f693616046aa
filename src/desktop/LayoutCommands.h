#pragma once

#include "desktop/DesktopLayout.h"

namespace qb {

class TDesktop;

// The layout rules carried out on the desktop's card widgets: sizes, content layout, the item
// cards' sides and book state.
class DesktopLayoutActions : public LayoutCardActions {
public:
    explicit DesktopLayoutActions(TDesktop& desktop) : desktop_(desktop) {}
    void setSize(CardData& card, QSize size) override;
    void relayout(CardData& card) override;
    bool showsListSide(const CardData& card) const override;
    void turnToText(CardData& card) override;
    void leaveBook(CardData& card) override;

private:
    TDesktop& desktop_;
};

// The first monitor and the tool bar's height, as the layout sees them.
LayoutScreen CurrentLayoutScreen(int toolBarHeight);

// The Sort menu's commands on a desktop.
void SortOnDiagonal(TDesktop& desktop, int toolBarHeight, bool textSideUp);
void Tile(TDesktop& desktop, int toolBarHeight, TileKind kind, bool extended);

}  // namespace qb
