#include "items/CardSideIndicatorPanel.h"

#include "items/ItemCardRules.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace qb {

namespace {

const char* const kHints[4] = {"Card side up: Key Words", "Card side up: Projects/Topics",
                               "Card side up: Text", "Card side up: Combined"};

}  // namespace

QPixmap TCardSideIndicator::picture(int mode)
{
    QPixmap pm(18, 18);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    const QRectF card(1.5, 1.5, 15, 15);
    p.setPen(QPen(QColor(64, 64, 64), 1));
    p.setBrush(QColor(0xFF, 0xFB, 0xF0));
    p.drawRect(card);
    const QColor keys(0xA4, 0xC8, 0xF0);      // the keyword list's colour
    const QColor projects(0xC0, 0xDC, 0xC0);  // the project list's colour
    auto lines = [&](QRectF r, QColor c, int count) {
        p.setPen(QPen(c, 1));
        const double step = r.height() / (count + 1);
        for (int i = 1; i <= count; ++i)
            p.drawLine(QPointF(r.left() + 1, r.top() + i * step),
                       QPointF(r.right() - 1, r.top() + i * step));
    };
    switch (mode) {
    case ctxKeys:
        p.fillRect(card.adjusted(1, 1, -1, -1), keys);
        lines(card.adjusted(2, 1, -2, -1), QColor(0, 0, 128), 3);
        break;
    case ctxUrls:
        p.fillRect(card.adjusted(1, 1, -1, -1), projects);
        lines(card.adjusted(2, 1, -2, -1), QColor(0, 0, 128), 2);
        break;
    case ctxCombined:
        p.fillRect(QRectF(3, 3, 8, 9), QColor(0xFF, 0xFB, 0xF0));
        p.fillRect(QRectF(11, 3, 4, 9), keys);
        p.fillRect(QRectF(3, 12, 12, 3), projects);
        lines(QRectF(3, 3, 8, 9), Qt::black, 3);
        break;
    default: lines(card.adjusted(2, 1, -2, -1), Qt::black, 4); break;
    }
    return pm;
}

TCardSideIndicator::TCardSideIndicator(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("cardSideIndicator"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setFixedSize(24, 25);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(1, 1, 1, 1);
    for (int m = 0; m < 4; ++m) {
        pictures_[m] = new QLabel(this);
        pictures_[m]->setObjectName(QStringLiteral("cardSide%1").arg(m));
        pictures_[m]->setPixmap(picture(m));
        pictures_[m]->setAlignment(Qt::AlignCenter);
        pictures_[m]->setAttribute(Qt::WA_TransparentForMouseEvents);
        row->addWidget(pictures_[m]);
    }
    setMode(ctxText);
}

void TCardSideIndicator::setMode(int mode)
{
    mode_ = SideOfMode(mode);
    for (int m = 0; m < 4; ++m) pictures_[m]->setVisible(m == mode_);
    setToolTip(QString::fromLatin1(kHints[mode_]) + QStringLiteral(" - click for the next"));
}

void TCardSideIndicator::mousePressEvent(QMouseEvent* e)
{
    e->accept();
    if (e->button() == Qt::LeftButton) Q_EMIT pressed();
}

}  // namespace qb
