#pragma once

#include <QColor>
#include <QWidget>

namespace qb {

class TBasPanel;

// The resize corner: a hatched triangle at the card's bottom right.
class TMyCorner : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor PointClr READ pointClr WRITE setPointClr)
    Q_PROPERTY(QColor ShadClr READ shadClr WRITE setShadClr)
    Q_PROPERTY(int PenWidth READ penWidth WRITE setPenWidth)
public:
    static constexpr QSize kSize{17, 17};
    explicit TMyCorner(TBasPanel* card);

    QColor pointClr() const { return point_; }
    void setPointClr(const QColor& c);
    QColor shadClr() const { return shade_; }
    void setShadClr(const QColor& c);
    int penWidth() const { return penWidth_; }
    void setPenWidth(int w);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    TBasPanel* card_;
    QColor point_{0xFF, 0xFF, 0xFF};
    QColor shade_{0x80, 0x80, 0x80};
    int penWidth_ = 1;
};

// The close sign: striped lines at the card's top right.
class TCloseSign : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor PointClr READ pointClr WRITE setPointClr)
    Q_PROPERTY(QColor ShadClr READ shadClr WRITE setShadClr)
    Q_PROPERTY(int PenWidth READ penWidth WRITE setPenWidth)
public:
    static constexpr QSize kSize{27, 10};
    static constexpr int kTop = 2;
    explicit TCloseSign(TBasPanel* card);

    QColor pointClr() const { return point_; }
    void setPointClr(const QColor& c);
    QColor shadClr() const { return shade_; }
    void setShadClr(const QColor& c);
    int penWidth() const { return penWidth_; }
    void setPenWidth(int w);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    TBasPanel* card_;
    QColor point_{0xFF, 0xFF, 0xFF};
    QColor shade_{0x80, 0x80, 0x80};
    int penWidth_ = 1;
};

// The focus mark: a small ellipse shown while the card has the focus.
class TFocusMark : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{18, 12};
    static constexpr QPoint kPos{5, 1};
    explicit TFocusMark(QWidget* card);

    QColor fillColor() const { return fill_; }
    void setFillColor(const QColor& c);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor fill_{0x00, 0x80, 0x00};
};

// The send-back spot at the bottom left, painted in the card's own colour so that it is not seen.
class TBackSpot : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{13, 12};
    explicit TBackSpot(TBasPanel* card);

    QColor color() const { return color_; }
    void setColor(const QColor& c);

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    TBasPanel* card_;
    QColor color_;
};

}  // namespace qb
