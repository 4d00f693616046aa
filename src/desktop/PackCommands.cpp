#include "desktop/PackCommands.h"

#include "cards/BaseCard.h"
#include "cards/Collection.h"
#include "cards/Desktop.h"
#include "cards/PlacementCounters.h"
#include "desktop/LayoutCommands.h"
#include "desktop/PackRules.h"
#include "desktop/PopulateDesktop.h"
#include "desktop/PopulateQueries.h"
#include "floor/Messages.h"
#include "items/ItemCard.h"
#include "items/ItemHooks.h"
#include "platform/Clock.h"
#include "platform/Colors.h"
#include "session/Session.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>
#include <exception>

namespace qb {

namespace {

struct PackState {
    PackHooks hooks;
    std::vector<QPointer<TItem>> cards;
};

PackState& packState() { return session().part<PackState>(); }

// The dotted frame of the lasso: a ring of three pixels in a two-colour dot pattern.
class DotFrame : public QWidget {
public:
    explicit DotFrame(QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("LassoFrame"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }
    void span(QPoint a, QPoint b)
    {
        setGeometry(QRect(a, b).normalized().adjusted(0, 0, 1, 1));
        raise();
        show();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QRect r = rect();
        QRegion ring(r);
        ring -= QRegion(r.adjusted(3, 3, -3, -3));
        p.setClipRegion(ring);
        p.fillRect(r, Qt::white);
        p.fillRect(r, QBrush(Qt::black, Qt::Dense4Pattern));
    }
};

class Lasso : public QObject {
public:
    explicit Lasso(TDesktop& desktop)
        : QObject(&desktop), desktop_(desktop), surface_(desktop.surface())
    {
        frame_ = new DotFrame(desktop.surface());
        desktop.surface()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        // The surface is kept: while the desktop is destroyed its events still come here, and
        // the desktop is then no longer a TDesktop to ask.
        if (watched != surface_) return false;
        switch (e->type()) {
        case QEvent::MouseButtonPress: {
            auto* m = static_cast<QMouseEvent*>(e);
            if (m->button() != Qt::LeftButton) return false;
            armed_ = true;
            start_ = m->position().toPoint();
            frame_->span(start_, start_);
            return true;
        }
        case QEvent::MouseMove:
            if (!armed_) return false;
            frame_->span(start_, static_cast<QMouseEvent*>(e)->position().toPoint());
            return true;
        case QEvent::MouseButtonRelease: {
            auto* m = static_cast<QMouseEvent*>(e);
            if (m->button() != Qt::LeftButton) return false;
            release(m->position().toPoint());
            return true;
        }
        default: return false;
        }
    }

private:
    void release(QPoint end)
    {
        const bool drag = armed_ && LassoIsDrag(start_, end);
        armed_ = false;
        const QPoint scroll = desktop_.scroll();
        try {
            GarbageCollect(desktop_, true);
            packState().cards.clear();
            if (drag)
                gather(start_ - scroll, end - scroll);
            else
                ShowAssociatedItem(desktop_, end - scroll);
        } catch (const std::exception&) {
            PlainMessage(QString::fromLatin1(packmessages::kLassoFailed));
        }
        frame_->hide();
    }

    void gather(QPoint start, QPoint end);

    TDesktop& desktop_;
    QObject* surface_;
    DotFrame* frame_;
    bool armed_ = false;
    QPoint start_;
};

TItem* itemOf(TDesktop& desktop, CardData* card)
{
    return qobject_cast<TItem*>(desktop.cardOf(card));
}

// The joined text to the clipboard; the user hears of texts that were left out.
void toClipboard(const JoinedText& joined)
{
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(joined.text());
    if (session().shell.clipboardChanged) session().shell.clipboardChanged();
    if (joined.leftOut() > 0) PlainMessage(joined.leftOutNote());
}

// A card of a pack at its place, out of the book and in front. A lasso gives every card the
// standard size; a move to a stack location only the cards that leave the book.
void stack(TDesktop& desktop, TItem& card, QPoint pos, bool standardSize)
{
    const Settings& settings = session().settings;
    if (card.inBook()) {
        card.setInBook(false);
        standardSize = true;
    }
    desktop.moveCard(card.data(), pos);
    if (standardSize) {
        DesktopLayoutActions actions(desktop);
        actions.setSize(card.data(), QSize(settings.itemWidth, settings.itemHeight));
        card.Layout();
    }
    desktop.bringToFront(card.data());
}

void Lasso::gather(QPoint start, QPoint end)
{
    const Settings& settings = session().settings;
    const LassoArea area = LassoAreaOf(start, end, settings.itemWidth, settings.itemHeight);
    const QPoint scroll = desktop_.scroll();
    JoinedText joined(session().clock().now());
    std::vector<QPointer<TItem>>& pack = packState().cards;
    int i = 0;
    for (CardData* data : PackOf(desktop_.cards(), area, scroll)) {
        TItem* card = itemOf(desktop_, data);
        if (!card) continue;
        pack.emplace_back(card);
        joined.add(card->textEditor()->toPlainText());
        const int offset = PackOffset(++i);
        stack(desktop_, *card, area.anchor + scroll + QPoint(offset, offset), true);
    }
    toClipboard(joined);
    if (!pack.empty()) OpenPackMenu(desktop_, area.anchor);
}

void chooseBookLayout(TDesktop& desktop, const std::vector<TItem*>& cards)
{
    const Settings& settings = session().settings;
    JoinedText joined(session().clock().now());
    std::vector<int> heights;
    for (TItem* card : cards) {
        card->turnTo(ctxText);
        card->resize(settings.bookWidth, card->height());
        card->data().size.setWidth(settings.bookWidth);
        card->setInBook(true);
        heights.push_back(card->height());
        joined.add(card->textEditor()->toPlainText());
    }
    const std::vector<int> tops = BookTops(heights);
    for (size_t k = 0; k < cards.size(); ++k) {
        desktop.moveCard(cards[k]->data(), QPoint(settings.bookLeft, tops[k]));
        desktop.bringToFront(cards[k]->data());
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->size().width() : 1024;
    if (screenWidth < desktop.scrollX() + settings.bookWidth)
        desktop.scrollTo(settings.bookLeft, 0);
    toClipboard(joined);
}

}  // namespace

PackHooks& packHooks() { return packState().hooks; }

std::vector<TItem*> CurrentPack()
{
    std::vector<TItem*> cards;
    for (const QPointer<TItem>& card : packState().cards)
        if (card) cards.push_back(card.data());
    return cards;
}

void InstallLasso(TDesktop& desktop) { new Lasso(desktop); }

void ShowAssociatedItem(TDesktop& desktop, QPoint at, const RandomBelow& random)
{
    Session& s = session();
    const Timestamp last = lastEnteredItem();
    if (!s.settings.associatedCards || last == -1.0L) return;
    const std::optional<Timestamp> chosen = ChooseAssociated(
        AssociatedRows(last), [&](Timestamp id) { return !CheckIExist(desktop, false, id); },
        random);
    if (!chosen) return;
    ItemSet one(OneItemRows(*chosen));
    if (one.size() != 1) return;
    int groupColor = s.settings.itemFrameColor;
    ItemSetup(desktop, one, at, *chosen, groupColor);
}

void TimerReSchedTimer(TDesktop& desktop, const RandomBelow& random)
{
    Session& s = session();
    if (s.flags.stopped()) return;
    RescheduleState& state = rescheduleState();
    if (!RescheduleTick(state, s.settings.scheduledItemsTimeOut)) return;
    ItemRows rows;
    const Timestamp next = NextScheduledItem(state.on, [&rows](Timestamp id) {
        rows = OneItemRows(id);
        if (!rows.ok()) return QueuedRead::Failed;
        return rows.rows.empty() ? QueuedRead::Gone : QueuedRead::Read;
    });
    if (next != 0) {
        auto draw = [&random] { return random ? random(8) : SystemRandomBelow(8); };
        const QPoint at(12 + draw(), 40 + draw());
        ItemSet one(std::move(rows));
        int groupColor = colors::fromQColor(QPalette().color(QPalette::Button));
        ItemSetup(desktop, one, at, next, groupColor);
    }
    desktop.redrawMap();
}

QMenu* OpenPackMenu(TDesktop& desktop, QPoint at)
{
    const PackHooks& hooks = packHooks();
    auto* menu = new QMenu(&desktop);
    menu->setObjectName(QStringLiteral("PackMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<TDesktop> d(&desktop);
    auto pack = [] {
        std::vector<CardData*> data;
        for (TItem* card : CurrentPack()) data.push_back(&card->data());
        return data;
    };
    if (hooks.newProject && hooks.collectPack)
        menu->addAction(QStringLiteral("NewProject"), [d, pack] {
            if (pack().empty()) return;
            const QString project = packHooks().newProject();
            if (d && !project.isEmpty()) packHooks().collectPack(*d, pack(), project);
        });
    const QString current = hooks.currentProject ? hooks.currentProject() : QString();
    if (!current.isEmpty() && hooks.collectPack)
        menu->addAction(QStringLiteral("Add to ") + current.left(57), [d, pack, current] {
            if (d && !pack().empty()) packHooks().collectPack(*d, pack(), current);
        });
    menu->addAction(QStringLiteral("Remove"), [d] {
        if (d) RemovePack(*d);
    });
    menu->addAction(QStringLiteral("Remove Other"), [d] {
        if (d) PackCrop(*d);
    });
    menu->addAction(QStringLiteral("Bookmode"), [d] {
        if (d) BookEncode(*d, true);
    });
    if (hooks.editor) menu->addAction(QStringLiteral("Editor"), [] { packHooks().editor(); });
    for (const StackLocation& location : session().settings.stackLocations) {
        if (location.name.isEmpty()) continue;
        const QPoint to(location.x, location.y);
        menu->addAction(location.name, [d, to] {
            if (d) MovePack(*d, to);
        });
    }
    menu->popup(desktop.viewport()->mapToGlobal(at));
    return menu;
}

void MovePack(TDesktop& desktop, QPoint location)
{
    int i = 0;
    for (TItem* card : CurrentPack()) {
        const int offset = PackOffset(++i);
        stack(desktop, *card, location + QPoint(offset, offset), false);
    }
}

void RemovePack(TDesktop& desktop)
{
    for (TItem* card : CurrentPack()) {
        card->data().hidden = true;
        desktop.setCardVisible(card->data(), false);
    }
}

void PackCrop(TDesktop& desktop)
{
    try {
        const std::vector<TItem*> pack = CurrentPack();
        for (TItem* card : desktop.cardsOf<TItem>()) {
            if (card->data().hidden || std::find(pack.begin(), pack.end(), card) != pack.end())
                continue;
            card->data().hidden = true;
            desktop.setCardVisible(card->data(), false);
        }
    } catch (const std::exception&) {
        PlainMessage(QString::fromLatin1(packmessages::kCropFailed));
    }
}

void BookEncode(TDesktop& desktop, bool packOnly)
{
    std::vector<TItem*> cards;
    try {
        if (packOnly) {
            cards = CurrentPack();
        } else {
            GarbageCollect(desktop, true);
            std::vector<CardData*> shown;
            for (TItem* card : desktop.cardsOf<TItem>())
                if (!card->data().hidden) shown.push_back(&card->data());
            for (CardData* data : ReadingOrder(shown, {0, 0}))
                if (TItem* card = itemOf(desktop, data)) cards.push_back(card);
        }
        chooseBookLayout(desktop, cards);
    } catch (const std::exception&) {
        LogProblem(QString::fromLatin1(packmessages::kBookFailed));
    }
}

void StackBookText(TDesktop& desktop)
{
    try {
        std::vector<QPointer<TItem>>& pack = packState().cards;
        pack.clear();
        for (TItem* card : desktop.cardsOf<TItem>())
            if (card->inBook() && int(pack.size()) < kPackLimit) pack.emplace_back(card);
        MovePack(desktop, QPoint(260, 320));
    } catch (const std::exception&) {
        PlainMessage(QString::fromLatin1(packmessages::kStackFailed));
    }
}

void ClearBookText(TDesktop& desktop)
{
    desktop.focusAway();
    for (TItem* card : desktop.cardsOf<TItem>()) {
        if (!card->inBook()) continue;
        card->data().hidden = true;
        desktop.setCardVisible(card->data(), false);
    }
    GarbageCollect(desktop, false);
    placementCounters().reset();
}

}  // namespace qb
