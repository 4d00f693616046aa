#include "desktop/Desktop.h"

#include <QScrollBar>

namespace qb {

TDesktop::TDesktop(QWidget* parent) : QScrollArea(parent), surface_(new QWidget)
{
    surface_->setObjectName(QStringLiteral("desktopSurface"));
    surface_->setFixedSize(kSize, kSize);
    surface_->setAutoFillBackground(true);
    setWidget(surface_);
    setWidgetResizable(false);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

int TDesktop::scrollX() const { return horizontalScrollBar()->value(); }
int TDesktop::scrollY() const { return verticalScrollBar()->value(); }

void TDesktop::scrollTo(int x, int y)
{
    horizontalScrollBar()->setValue(x);
    verticalScrollBar()->setValue(y);
}

}  // namespace qb
