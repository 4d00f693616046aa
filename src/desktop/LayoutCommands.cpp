#include "desktop/LayoutCommands.h"

#include "cards/BaseCard.h"
#include "cards/Desktop.h"
#include "items/ItemCard.h"

#include <QGuiApplication>
#include <QScreen>

namespace qb {

namespace {

TItem* itemCard(const TDesktop& desktop, const CardData& card)
{
    return card.kind == CardKind::Item ? qobject_cast<TItem*>(desktop.cardOf(&card)) : nullptr;
}

}  // namespace

void DesktopLayoutActions::setSize(CardData& card, QSize size)
{
    card.size = size;
    if (TBasPanel* widget = desktop_.cardOf(&card)) widget->applyDataGeometry();
}

void DesktopLayoutActions::relayout(CardData& card)
{
    // The other kinds arrange their contents when they are resized.
    if (TItem* item = itemCard(desktop_, card)) item->Layout();
}

bool DesktopLayoutActions::showsListSide(const CardData& card) const
{
    const TItem* item = itemCard(desktop_, card);
    return item && (item->contentsUp() == ctxKeys || item->contentsUp() == ctxUrls);
}

void DesktopLayoutActions::turnToText(CardData& card)
{
    if (TItem* item = itemCard(desktop_, card)) item->turnTo(ctxText);
}

void DesktopLayoutActions::leaveBook(CardData& card)
{
    if (TItem* item = itemCard(desktop_, card); item && item->inBook()) item->setInBook(false);
}

LayoutScreen CurrentLayoutScreen(int toolBarHeight)
{
    LayoutScreen screen;
    if (QScreen* first = QGuiApplication::primaryScreen()) screen.monitor = first->size();
    screen.toolBarHeight = toolBarHeight;
    return screen;
}

void SortOnDiagonal(TDesktop& desktop, int toolBarHeight, bool textSideUp)
{
    DesktopLayoutActions actions(desktop);
    SortOnDiagonal(desktop, actions, CurrentLayoutScreen(toolBarHeight), textSideUp);
}

void Tile(TDesktop& desktop, int toolBarHeight, TileKind kind, bool extended)
{
    DesktopLayoutActions actions(desktop);
    Tile(desktop, actions, CurrentLayoutScreen(toolBarHeight), kind, extended);
}

}  // namespace qb
