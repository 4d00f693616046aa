#pragma once

#include "cards/CardData.h"
#include "cards/CardMotion.h"
#include "floor/HelpTopic.h"

#include <QFrame>

#include <memory>

class QLabel;
class QTimer;

namespace qb {

class TDesktop;
class TMyCorner;
class TCloseSign;
class TFocusMark;
class TBackSpot;

// The common card: a movable, resizable panel on the desktop with a resize corner, a close sign,
// a kind label, a focus mark and a send-back spot. It owns its plain data (CardData or a kind's
// subclass of it) and keeps the data's position and size equal to its geometry on the desktop
// surface. Card kinds override the virtual operations below, which are declared in a fixed order.
class TBasPanel : public QFrame {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 60030;
    static constexpr QSize kKindLabelSize{42, 11};

    TBasPanel(TDesktop& desktop, std::unique_ptr<CardData> data);
    ~TBasPanel() override;

    CardData& data() { return *data_; }
    const CardData& data() const { return *data_; }
    template <class T> T& dataAs() { return static_cast<T&>(*data_); }
    template <class T> const T& dataAs() const { return static_cast<const T&>(*data_); }
    TDesktop& desktop() const { return desktop_; }

    // The data follows the widget: moves and resizes update it. Rules that change the data's
    // position or size (layout, slot requests) call applyDataGeometry() to move the widget.
    void syncFromGeometry();
    void applyDataGeometry();
    // A window brought back at start: the saved place in view coordinates, and the saved size
    // unless it is empty.
    void restorePlace(const QRect& saved);

    TMyCorner* corner() const { return corner_; }
    TCloseSign* closeSign() const { return closeSign_; }
    QLabel* kindLabel() const { return kindLabel_; }
    TFocusMark* focusMark() const { return focusMark_; }
    TBackSpot* backSpot() const { return backSpot_; }

    int helpContext() const { return helpContext_; }
    void setHelpContext(int context)
    {
        helpContext_ = context;
        SetHelpTopic(this, context);
    }
    // The word naming the card kind, shown left of the resize corner.
    void setKindText(const QString& text);

    // The card's position in the visible part of the desktop.
    QPoint visiblePos() const;
    void bringToFront();
    // Under every other card, but above the desktop's pictures.
    void sendToBack();
    // Sets the normal colour (stored form) and shows it.
    void setCardColor(int stored);
    QColor currentColor() const;
    const CardDrag& drag() const { return drag_; }

    // --- The virtual operations, in slot order ---
    virtual void CornerMouseMove(QPoint global);
    virtual void CloseSignMouseMove(QPoint global);
    virtual void BackSpotMouseMove(QPoint global);
    virtual void CornerMouseUp(Qt::MouseButton button, QPoint global);
    virtual void CardMouseUp(Qt::MouseButton button, QPoint global);
    virtual void CornerMouseDown(Qt::MouseButton button, QPoint global);
    virtual void CloseSignMouseDown(Qt::MouseButton button, QPoint global);
    virtual void CardMouseDown(Qt::MouseButton button, QPoint global);
    virtual void CardDblClick();
    virtual void ToggleSize();
    virtual void HideCard();
    virtual void DeleteCard();
    virtual void CardEnter();
    virtual void CardExit();
    virtual void ApplyColor();
    virtual bool CanHide() const;
    virtual bool IsEmpty() const;
    // Called by the collection just before the card is freed; false keeps the card, which then
    // becomes Unfreeable.
    virtual bool PrepareFree() { return true; }
    // The card's data was changed from outside the widget: show it again.
    virtual void DataChanged() {}

    // The move step with auto-scrolling, while a move is in progress.
    void CardMouseMove(QPoint global);
    // Re-places the corner, label, close sign and send-back spot after a size change.
    void PlaceWidgets();
    void ShrinkToNormal();
    void ExpandToAlternative();
    long double PositionKey() const { return qb::PositionKey(*data_); }

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

    bool stepDue() const;
    void moveStep(QPoint global);
    void resizeStep(QPoint global);
    // Lets a step that was not due follow once the interval has passed, so the card does not
    // lag behind a pointer that stopped.
    void scheduleStep(QPoint global);

private:
    void takePendingStep();
    qint64 now() const;

    TDesktop& desktop_;
    std::unique_ptr<CardData> data_;
    TMyCorner* corner_;
    TCloseSign* closeSign_;
    QLabel* kindLabel_;
    TFocusMark* focusMark_;
    TBackSpot* backSpot_;
    QTimer* stepTimer_;
    QPoint pendingPointer_;
    CardDrag drag_;
    int helpContext_ = kHelpContext;
};

}  // namespace qb
