#include "desktop/LayoutCommands.h"

#include "cards/Desktop.h"
#include "floor/Settings.h"
#include "items/ItemCard.h"
#include "session/Session.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/MainWindow.h"
#include "shell/ToolBarPanel.h"
#include "support/StoreFixture.h"

#include <gtest/gtest.h>

using namespace qb;

namespace {

class LayoutCommands : public test::StoreFixture {
protected:
    TItem* item(TDesktop& desktop, Timestamp id, QPoint pos)
    {
        auto data = std::make_unique<ItemCardData>();
        data->itemId = id;
        data->text = QStringLiteral("text");
        data->keywords.push_back({-1.5L, 1, QStringLiteral("word")});
        data->pos = pos;
        auto* card = new TItem(desktop, std::move(data));
        card->show();
        return card;
    }
};

TEST_F(LayoutCommands, TheSortMenuTurnsResizesAndPlacesTheItemCardWidgets)
{
    TBillBoard window;
    TDesktop& desktop = *window.desktop();
    const Settings& s = session().settings;
    const QSize standard(s.itemWidth, s.itemHeight);
    TItem* keysUp = item(desktop, -1.1L, {300, 100});
    keysUp->turnTo(ctxKeys);
    TItem* odd = item(desktop, -1.2L, {40, 400});
    odd->resize(300, 90);
    odd->syncFromGeometry();
    odd->setInBook(true);

    window.commands().trigger(QString::fromLatin1(cmd::TextSideUpDiagonally));

    const int topLine = s.generalOffsetTopBorder + window.toolBar()->height();
    EXPECT_EQ(keysUp->pos(), desktop.scroll() + QPoint(s.generalOffsetSideBorder, topLine));
    EXPECT_EQ(keysUp->contentsUp(), ctxText);
    EXPECT_EQ(odd->size(), standard);
    EXPECT_EQ(odd->item().size, standard);
    EXPECT_FALSE(odd->inBook());
    EXPECT_EQ(odd->contentsUp(), ctxText);
    EXPECT_GT(odd->x(), keysUp->x());
    EXPECT_GT(odd->y(), keysUp->y());

    window.commands().trigger(QString::fromLatin1(cmd::TileItems));
    EXPECT_EQ(keysUp->pos(), desktop.scroll() + QPoint(0, 4));
    EXPECT_EQ(odd->pos(), desktop.scroll() + QPoint(s.itemWidth, 4));
    EXPECT_EQ(odd->geometry().size(), standard);
}

}  // namespace
