#include "cards/CardPartsPanel.h"

#include "cards/BaseCard.h"

#include <QMouseEvent>
#include <QPainter>

namespace qb {

namespace {
QPoint globalOf(QMouseEvent* e) { return e->globalPosition().toPoint(); }
}  // namespace

TMyCorner::TMyCorner(TBasPanel* card) : QWidget(card), card_(card)
{
    setObjectName(QStringLiteral("corner"));
    setFixedSize(kSize);
    setCursor(Qt::SizeFDiagCursor);
}

void TMyCorner::setPointClr(const QColor& c)
{
    point_ = c;
    update();
}

void TMyCorner::setShadClr(const QColor& c)
{
    shade_ = c;
    update();
}

void TMyCorner::setPenWidth(int w)
{
    penWidth_ = w;
    update();
}

void TMyCorner::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int w = width();
    p.setPen(QPen(point_, penWidth_));
    for (int c = 0; c <= w; c += 3) p.drawLine(w, c, c, w);
    p.setPen(QPen(shade_, penWidth_));
    for (int c = 1; c <= w; c += 3) p.drawLine(w, c, c, w);
}

void TMyCorner::mousePressEvent(QMouseEvent* e)
{
    card_->CornerMouseDown(e->button(), globalOf(e));
    e->accept();
}

void TMyCorner::mouseMoveEvent(QMouseEvent* e)
{
    card_->CornerMouseMove(globalOf(e));
    e->accept();
}

void TMyCorner::mouseReleaseEvent(QMouseEvent* e)
{
    card_->CornerMouseUp(e->button(), globalOf(e));
    e->accept();
}

TCloseSign::TCloseSign(TBasPanel* card) : QWidget(card), card_(card)
{
    setObjectName(QStringLiteral("closeSign"));
    setFixedSize(kSize);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
}

void TCloseSign::setPointClr(const QColor& c)
{
    point_ = c;
    update();
}

void TCloseSign::setShadClr(const QColor& c)
{
    shade_ = c;
    update();
}

void TCloseSign::setPenWidth(int w)
{
    penWidth_ = w;
    update();
}

void TCloseSign::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int w = width();
    const int h = height();
    p.setPen(QPen(point_, penWidth_));
    for (int row = 1; row <= h - 2; row += 2) p.drawLine(0, row, w, row);
    p.setPen(QPen(shade_, penWidth_));
    for (int row = 2; row <= h - 2; row += 2) p.drawLine(0, row, w, row);
}

void TCloseSign::mousePressEvent(QMouseEvent* e)
{
    card_->CloseSignMouseDown(e->button(), globalOf(e));
    e->accept();
}

void TCloseSign::mouseMoveEvent(QMouseEvent* e)
{
    card_->CloseSignMouseMove(globalOf(e));
    e->accept();
}

TFocusMark::TFocusMark(QWidget* card) : QWidget(card)
{
    setObjectName(QStringLiteral("focusMark"));
    setFixedSize(kSize);
    move(kPos);
}

void TFocusMark::setFillColor(const QColor& c)
{
    fill_ = c;
    update();
}

void TFocusMark::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(fill_);
    p.drawEllipse(QRectF(0.5, 0.5, width() - 1.0, height() - 1.0));
}

TBackSpot::TBackSpot(TBasPanel* card) : QWidget(card), card_(card)
{
    setObjectName(QStringLiteral("backSpot"));
    setFixedSize(kSize);
    setMouseTracking(true);
}

void TBackSpot::setColor(const QColor& c)
{
    color_ = c;
    update();
}

void TBackSpot::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(color_);
    p.setBrush(color_);
    p.drawRect(0, 0, width() - 1, height() - 1);
}

void TBackSpot::mouseMoveEvent(QMouseEvent* e)
{
    card_->BackSpotMouseMove(globalOf(e));
    // Presses and drags over the spot belong to the card's surface.
    if (e->buttons() != Qt::NoButton) card_->CardMouseMove(globalOf(e));
    e->accept();
}

}  // namespace qb
