#include "cards/Desktop.h"

#include "cards/BaseCard.h"
#include "cards/Collection.h"
#include "cards/DesktopMapPanel.h"
#include "platform/Colors.h"
#include "session/Session.h"

#include <QApplication>
#include <QMimeData>
#include <QScrollBar>
#include <QUrl>

#include <functional>

namespace qb {

namespace {
TDesktop* theDesktop = nullptr;

class InputHold : public QObject {
public:
    InputHold(QObject* owner, std::function<bool(QObject*, QEvent*)> refuse)
        : QObject(owner), refuse_(std::move(refuse))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override { return refuse_(watched, e); }

private:
    std::function<bool(QObject*, QEvent*)> refuse_;
};

bool isPointerInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd: return true;
    default: return false;
    }
}

}  // namespace

TDesktop::TDesktop(QWidget* parent) : QScrollArea(parent), surface_(new QWidget)
{
    surface_->setObjectName(QStringLiteral("desktopSurface"));
    surface_->setFixedSize(kSize, kSize);
    surface_->setAutoFillBackground(true);
    QPalette pal = surface_->palette();
    pal.setColor(QPalette::Window, colors::toQColor(session().settings.backgrColor, pal));
    surface_->setPalette(pal);
    setWidget(surface_);
    setWidgetResizable(false);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    theDesktop = this;
    setCardHost(this);
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, &TDesktop::focusChanged);
    // Installed once: a filter installed while the application's filters see an event would
    // shift them, and one of them would see that event twice.
    inputHold_ = new InputHold(this, [this](QObject* w, QEvent* e) { return refuseInput(w, e); });
    qApp->installEventFilter(inputHold_);
}

void TDesktop::scrollContentsBy(int dx, int dy)
{
    QScrollArea::scrollContentsBy(dx, dy);
    Q_EMIT viewChanged();
}

void TDesktop::resizeEvent(QResizeEvent* e)
{
    QScrollArea::resizeEvent(e);
    Q_EMIT viewChanged();
}

QStringList TDesktop::droppedFilePaths(const QMimeData* mime)
{
    QStringList paths;
    if (!mime || !mime->hasUrls()) return paths;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) paths << url.toLocalFile();
    return paths;
}

TDesktop::~TDesktop()
{
    // Before the parts go: their destruction sends events, and the filter asks this desktop.
    delete inputHold_;
    // ~QWidget takes the focus from a card and would report it to what is no longer a desktop.
    disconnect(focusWatch_);
    if (cardHost() == this) setCardHost(nullptr);
    if (theDesktop == this) theDesktop = nullptr;
}

TDesktop* TDesktop::current() { return theDesktop; }

int TDesktop::scrollX() const { return horizontalScrollBar()->value(); }
int TDesktop::scrollY() const { return verticalScrollBar()->value(); }

void TDesktop::scrollTo(int x, int y)
{
    horizontalScrollBar()->setValue(x);
    verticalScrollBar()->setValue(y);
}

QPoint TDesktop::scroll() const { return {scrollX(), scrollY()}; }

QSize TDesktop::visibleSize() const { return viewport()->size(); }

QList<TBasPanel*> TDesktop::cardWidgets() const
{
    QList<TBasPanel*> result;
    for (QObject* child : surface_->children())
        if (auto* card = qobject_cast<TBasPanel*>(child)) result << card;
    return result;
}

TBasPanel* TDesktop::cardOf(const CardData* data) const
{
    for (TBasPanel* card : cardWidgets())
        if (&card->data() == data) return card;
    return nullptr;
}

TBasPanel* TDesktop::findCard(CardKind kind, Timestamp idOrNumber) const
{
    std::vector<CardData*> all = cards();
    CardData* found = nullptr;
    switch (kind) {
    case CardKind::Item: found = findItemCard(all, idOrNumber); break;
    case CardKind::Concept: found = findConceptCard(all, idOrNumber); break;
    case CardKind::Dictionary:
    case CardKind::Project:
        for (CardData* c : all)
            if (c->kind == kind && !c->unfreeable && c->slot == int(idOrNumber)) found = c;
        break;
    default: break;
    }
    return found ? cardOf(found) : nullptr;
}

QList<TBasPanel*> TDesktop::cardsOfKind(CardKind kind) const
{
    QList<TBasPanel*> result;
    for (TBasPanel* card : cardWidgets())
        if (card->data().kind == kind) result << card;
    return result;
}

bool TDesktop::takeSlot(TBasPanel& card, int slot)
{
    SlotTable* table = slots_.forKind(card.data().kind);
    return table && table->assign(slot, card.data());
}

SlotAnswer TDesktop::GetItemSlot(QPoint pos, Timestamp itemId, int color)
{
    return qb::GetItemSlot(*this, pos, itemId, color);
}

SlotAnswer TDesktop::GetSynWheelSlot(QPoint pos, Timestamp conceptId)
{
    return qb::GetSynWheelSlot(*this, pos, conceptId);
}

int TDesktop::GetDictionarySlot() { return GetWindowSlot(*this, CardKind::Dictionary); }
int TDesktop::GetProjectSlot() { return GetWindowSlot(*this, CardKind::Project); }

QPoint TDesktop::windowCascadePosition(int slot) const
{
    return toDesktop(WindowCascadePosition(slot, session().settings));
}

bool TDesktop::takePopupSuppression()
{
    bool was = popupSuppressed_;
    popupSuppressed_ = false;
    return was;
}

void TDesktop::setMap(TDesktopMap* map)
{
    map_ = map;
    redrawMap();
}

std::vector<CardData*> TDesktop::cards() const
{
    std::vector<CardData*> result;
    for (TBasPanel* card : cardWidgets()) {
        card->syncFromGeometry();
        result.push_back(&card->data());
    }
    return result;
}

int TDesktop::childCount() const { return int(surface_->children().size()); }

bool TDesktop::freeCard(CardData& data)
{
    TBasPanel* card = cardOf(&data);
    if (!card || !card->PrepareFree()) return false;
    // The card may be the one whose handler started this collection: it goes off the desktop
    // now and is destroyed when control is back in the event loop.
    card->hide();
    card->setParent(nullptr);
    card->deleteLater();
    return true;
}

void TDesktop::setCardVisible(CardData& data, bool visible)
{
    if (TBasPanel* card = cardOf(&data)) card->setVisible(visible);
}

void TDesktop::moveCard(CardData& data, QPoint pos)
{
    if (TBasPanel* card = cardOf(&data)) {
        card->move(pos);
        card->syncFromGeometry();
    }
}

void TDesktop::bringToFront(CardData& data)
{
    if (TBasPanel* card = cardOf(&data)) card->bringToFront();
}

void TDesktop::refreshFoundItem(CardData& data, int color)
{
    TBasPanel* card = cardOf(&data);
    if (!card) return;
    if (foundItemHandler)
        foundItemHandler(*card, color);
    else if (color != 0)
        card->setCardColor(color);
}

void TDesktop::cardDataChanged(CardData& data)
{
    if (TBasPanel* card = cardOf(&data)) card->DataChanged();
}

void TDesktop::focusAway()
{
    if (focusSink_) focusSink_->setFocus(Qt::OtherFocusReason);
    // Without a sink, or one that cannot take it now, the focus goes nowhere.
    QWidget* focused = QApplication::focusWidget();
    if (holds(focused)) focused->clearFocus();
}

void TDesktop::setTakesInput(bool takes)
{
    if (takes == takesInput()) return;
    inputHeld_ = !takes;
    if (takes) {
        refusedFocus_ = nullptr;
        return;
    }
    if (holds(QApplication::focusWidget())) focusAway();
}

// Not isAncestorOf: the windows of cards count too, as they did when the desktop was disabled.
bool TDesktop::holds(const QWidget* w) const
{
    for (; w; w = w->parentWidget())
        if (w == this) return true;
    return false;
}

bool TDesktop::refuseInput(QObject* watched, QEvent* e)
{
    return inputHeld_ && isPointerInput(e->type()) && watched->isWidgetType() &&
           holds(static_cast<QWidget*>(watched));
}

void TDesktop::processEvents() { QCoreApplication::processEvents(); }

void TDesktop::redrawMap()
{
    if (map_) map_->redraw();
}

void TDesktop::allCardsCleared()
{
    setTakesInput(true);
    Q_EMIT allCardsClearedDone();
}

TBasPanel* TDesktop::cardAround(QWidget* w) const
{
    for (QWidget* p = w; p; p = p->parentWidget()) {
        if (auto* card = qobject_cast<TBasPanel*>(p))
            return card->parentWidget() == surface_ ? card : nullptr;
    }
    return nullptr;
}

void TDesktop::focusChanged(QWidget* old, QWidget* now)
{
    if (old && old == refusedFocus_) {
        refusedFocus_ = nullptr;
        old = nullptr;
    }
    if (!takesInput() && holds(now)) {
        // Given by the program during a hold (a card turned to its side-up mode): sent on.
        refusedFocus_ = now;
        focusAway();
        return;
    }
    TBasPanel* from = cardAround(old);
    TBasPanel* to = cardAround(now);
    if (from == to) return;
    if (from) from->CardExit();
    if (to) to->CardEnter();
}

}  // namespace qb
