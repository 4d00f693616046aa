#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

namespace qb {

class TDesktop;

// The desktop map of the tool bar: a 29 x 26 picture of the whole desktop; a press scrolls the
// desktop to the point pressed.
class TDesktopMap : public QWidget {
    Q_OBJECT
public:
    explicit TDesktopMap(TDesktop& desktop, QWidget* parent = nullptr);

    const QImage& image() const { return image_; }
    void redraw();
    // What a press at a map point does.
    void pressAt(QPoint at);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    QPointer<TDesktop> desktop_;
    QImage image_;
};

}  // namespace qb
