#pragma once

#include <QFrame>

class QLabel;

namespace qb {

// The tool-bar indicator of the card-side-up mode: four small pictures, one per mode, of which
// only the current one shows. A press asks for the next mode.
class TCardSideIndicator : public QFrame {
    Q_OBJECT
public:
    explicit TCardSideIndicator(QWidget* parent = nullptr);
    void setMode(int mode);
    int mode() const { return mode_; }
    // The picture of a mode's face, as the indicator and the item cards show it.
    static QPixmap picture(int mode);

Q_SIGNALS:
    void pressed();

protected:
    void mousePressEvent(QMouseEvent* e) override;

private:
    QLabel* pictures_[4];
    int mode_ = 2;
};

}  // namespace qb
