#include "cards/DesktopMapPanel.h"

#include "cards/Desktop.h"
#include "cards/DesktopMap.h"
#include "session/Session.h"

#include <QMouseEvent>
#include <QPainter>

namespace qb {

TDesktopMap::TDesktopMap(TDesktop& desktop, QWidget* parent) : QWidget(parent), desktop_(&desktop)
{
    setObjectName(QStringLiteral("desktopMap"));
    setFixedSize(desktopmap::kSize);
    setToolTip(QStringLiteral("Desktop map. Click for repositioning."));
    setCursor(Qt::PointingHandCursor);
    redraw();
}

void TDesktopMap::redraw()
{
    std::vector<const CardData*> cards;
    if (desktop_)
        for (CardData* c : desktop_->cards()) cards.push_back(c);
    image_ = DrawDesktopMap(cards, session().settings);
    update();
}

void TDesktopMap::pressAt(QPoint at)
{
    if (!desktop_) return;
    desktop_->scrollTo(DesktopMapScroll(at, desktop_->visibleSize()));
}

void TDesktopMap::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, image_);
}

void TDesktopMap::mousePressEvent(QMouseEvent* e)
{
    pressAt(e->position().toPoint());
    e->accept();
}

}  // namespace qb
