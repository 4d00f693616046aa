#pragma once

#include <QLabel>

namespace qb {

// The status banner: covers the desktop with one line of text during long work.
class StatusBannerPanel : public QLabel {
    Q_OBJECT
public:
    // Covers `covered` and follows its size.
    explicit StatusBannerPanel(QWidget* covered);

    void showText(const QString& text);
    void hideBanner();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace qb
