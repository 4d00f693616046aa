#pragma once

#include "cards/CardHost.h"
#include "cards/DesktopMapPanel.h"
#include "cards/SlotRequests.h"

#include <QList>
#include <QPointer>
#include <QScrollArea>
#include <QStringList>

#include <functional>

class QMimeData;

namespace qb {

class TBasPanel;

// The desktop: a scroll box over a surface of 2000 x 2000 pixels that holds every card. Card
// positions are surface positions (scroll positions included), the "desktop coordinates" of
// the card rules; a point of the visible part becomes one with toDesktop().
class TDesktop : public QScrollArea, public CardHost {
    Q_OBJECT
public:
    static constexpr int kSize = 2000;

    explicit TDesktop(QWidget* parent = nullptr);
    ~TDesktop() override;

    // The desktop of the running program (the last one made), or null.
    static TDesktop* current();

    // The widget the cards are children of.
    QWidget* surface() const { return surface_; }
    int scrollX() const;
    int scrollY() const;
    void scrollTo(int x, int y);
    void scrollTo(QPoint p) { scrollTo(p.x(), p.y()); }
    QPoint toDesktop(QPoint visible) const { return visible + scroll(); }

    // The cards, in child order (which is also their stacking order, bottom first).
    QList<TBasPanel*> cardWidgets() const;
    TBasPanel* cardOf(const CardData* data) const;
    // Item and concept cards by id (within their tolerances), dictionary and project windows by
    // window number, any other kind by nothing (null).
    TBasPanel* findCard(CardKind kind, Timestamp idOrNumber) const;
    QList<TBasPanel*> cardsOfKind(CardKind kind) const;
    template <class T> QList<T*> cardsOf() const
    {
        QList<T*> result;
        for (TBasPanel* card : cardWidgets())
            if (auto* c = qobject_cast<T*>(card)) result << c;
        return result;
    }

    // Puts a new card into its kind's slot table (the slot a slot request answered).
    bool takeSlot(TBasPanel& card, int slot);

    // Slot requests in desktop coordinates (see SlotRequests.h).
    SlotAnswer GetItemSlot(QPoint pos, Timestamp itemId, int color);
    SlotAnswer GetSynWheelSlot(QPoint pos, Timestamp conceptId);
    int GetDictionarySlot();
    int GetProjectSlot();
    // Where the window of slot n opens, in desktop coordinates.
    QPoint windowCascadePosition(int slot) const;

    // What a slot request does to an item card it finds (turn it to the side-up mode, lay it
    // out, colour it); set in shell/Wiring.cpp. Without one, only a colour other than 0 is applied.
    std::function<void(TBasPanel& card, int color)> foundItemHandler;

    // Files from the file manager dropped on the desktop (local paths, in the drop's order; the
    // point in desktop coordinates); set in shell/Wiring.cpp. Without one, such drops are refused.
    std::function<void(const QStringList& paths, QPoint at)> filesDropped;
    // The local files a drop carries as file URLs; empty when it carries none.
    static QStringList droppedFilePaths(const QMimeData* mime);

    // A right press on a close sign sets this, so that the release does not open the desktop's
    // pop-up menu. takePopupSuppression() reads and clears it.
    void suppressPopup() { popupSuppressed_ = true; }
    bool popupSuppressed() const { return popupSuppressed_; }
    bool takePopupSuppression();

    // While a run places cards the desktop takes no input: presses, moves, the wheel, drags and
    // context menus aimed at it or a card are refused by an application filter, and the focus
    // cannot go into it (it is moved out when the hold begins). Keys are left to the window's key
    // handling, whose first press ends the hold. Application filters installed after the
    // desktop see the pointer first and ask takesInput(). Cheaper than disabling the desktop,
    // which would visit every part of every new card, and again when the run ends.
    void setTakesInput(bool takes);
    bool takesInput() const { return !inputHeld_; }

    // Where the focus goes when no card may hold it (the tool bar's logo panel).
    void setFocusSink(QWidget* sink) { focusSink_ = sink; }
    void setMap(TDesktopMap* map);
    TDesktopMap* map() const { return map_; }

    // CardHost
    std::vector<CardData*> cards() const override;
    int childCount() const override;
    SlotTables& slotTables() override { return slots_; }
    QPoint scroll() const override;
    QSize visibleSize() const override;
    bool freeCard(CardData& card) override;
    void setCardVisible(CardData& card, bool visible) override;
    void moveCard(CardData& card, QPoint pos) override;
    void bringToFront(CardData& card) override;
    void refreshFoundItem(CardData& card, int color) override;
    void cardDataChanged(CardData& card) override;
    void focusAway() override;
    void processEvents() override;
    void redrawMap() override;
    void allCardsCleared() override;

Q_SIGNALS:
    // "All Cards" has run: the desktop image goes, the wallpaper shows when one is set.
    void allCardsClearedDone();
    // The visible part of the surface moved or changed its size: cards that make their parts
    // only once seen look again.
    void viewChanged();

protected:
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void focusChanged(QWidget* old, QWidget* now);
    TBasPanel* cardAround(QWidget* w) const;
    bool holds(const QWidget* w) const;
    bool refuseInput(QObject* watched, QEvent* e);

    QWidget* surface_;
    QMetaObject::Connection focusWatch_;
    SlotTables slots_;
    QPointer<QWidget> focusSink_;
    QPointer<TDesktopMap> map_;
    // The application filter of setTakesInput; it goes first when the desktop is destroyed.
    QObject* inputHold_ = nullptr;
    bool inputHeld_ = false;
    // A part that got the focus during a hold and is sent away again: not entered, not left.
    QPointer<QWidget> refusedFocus_;
    bool popupSuppressed_ = false;
};

}  // namespace qb
