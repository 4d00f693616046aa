#pragma once

#include <QScrollArea>

namespace qb {

// The desktop: a scroll box over a surface of 2000 x 2000 pixels that holds every card.
class TDesktop : public QScrollArea {
    Q_OBJECT
public:
    static constexpr int kSize = 2000;

    explicit TDesktop(QWidget* parent = nullptr);

    // The widget the cards are children of.
    QWidget* surface() const { return surface_; }
    int scrollX() const;
    int scrollY() const;
    void scrollTo(int x, int y);

private:
    QWidget* surface_;
};

}  // namespace qb
