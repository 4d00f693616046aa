#include "desktop/PopulateDesktop.h"

#include "cards/BaseCard.h"
#include "cards/CardPartsPanel.h"
#include "cards/Collection.h"
#include "cards/Desktop.h"
#include "cards/PlacementCounters.h"
#include "desktop/PopulateState.h"
#include "dictionary/ConceptCard.h"
#include "dictionary/Concepts.h"
#include "dictionary/DictionaryWindows.h"
#include "dictionary/ExplodeMode.h"
#include "floor/Messages.h"
#include "floor/Messenger.h"
#include "items/ItemCard.h"
#include "items/ItemCardRules.h"
#include "items/ItemRecord.h"
#include "platform/Clock.h"
#include "platform/Colors.h"
#include "session/Session.h"

#include <QClipboard>
#include <QGuiApplication>

#include <exception>

namespace qb {

namespace pm = populatemessages;

namespace {

QString errorText(const std::exception& e) { return QString::fromLocal8Bit(e.what()); }

QColor shown(int stored) { return colors::toQColor(stored); }

// A set's cards come in groups this large between event processings: often enough for Esc and
// the window, rarely enough that the paint and the event loop do not cost more than the cards.
constexpr int kCardsBetweenEvents = 4;

void showCounter(int i)
{
    if (session().shell.clipboardSizeText) session().shell.clipboardSizeText(QString::number(i));
}

void refreshClipboardSize()
{
    if (session().shell.clipboardChanged) session().shell.clipboardChanged();
}

void tooManyWindows(const char* code)
{
    ShowInfo(QString::fromLatin1(pm::kTooMany), QString::fromLatin1(code), kError, pm::kSlotHelp);
    SetAbortFlags();
}

// A card the slot request found may still be waiting to be freed: an explode shows it again
// rather than leaving the user without it (a deleted one stays away).
void showAgain(TBasPanel* card)
{
    if (!card || card->data().deleted || !card->data().hidden) return;
    card->data().hidden = false;
    card->show();
}

TBasPanel* conceptCardWidget(const TDesktop& desktop, Timestamp conceptId)
{
    for (TBasPanel* card : desktop.cardWidgets()) {
        auto id = conceptIdOf(card->data());
        if (id && sameId(*id, conceptId, kConceptIdTolerance)) return card;
    }
    return nullptr;
}

// The card takes the picture's size, within its alternative size.
QSize pictureCardSize(QSize picture, const Settings& settings)
{
    const QSize limit(std::max(settings.altItemWidth, settings.itemWidth) - 10,
                      std::max(settings.altItemHeight, settings.itemHeight) - 28);
    if (picture.width() > limit.width() || picture.height() > limit.height())
        picture.scale(limit, Qt::KeepAspectRatio);
    return picture + QSize(10, 28);
}

void collectText(const ItemSetText& text, const QString& itemText, bool newCard)
{
    bool kept = true;
    if (text.collector) kept = text.collector->add(itemText, newCard);
    if (kept && newCard && text.outline) text.outline(itemText);
}

// Steps 4.1 to 4.11 of one item card: a new card in its slot.
TItem* newItemCard(TDesktop& desktop, ItemSet& items, int index, int slot, QPoint pos,
                   int& groupColor, const ItemSetText& text)
{
    Session& s = session();
    const Settings& settings = s.settings;
    PopulateState& p = populateState();
    const ItemRow& row = items.row(index);
    const Timestamp id = row.it;
    p.trace += QLatin1Char('B');

    std::unique_ptr<ItemCardData> data = items.cardData(index);
    data->pos = pos;
    auto* card = new TItem(desktop, std::move(data));
    desktop.takeSlot(*card, slot);
    p.trace += QLatin1Char('C');
    if (settings.showItemDateAsHint) card->showDateHint(id);
    ItemCardData& d = card->item();
    ContentsTypes side = SideOfMode(settings.cardSideUp);
    p.trace += QLatin1Char('D');

    if (auto grey = AgeShadeGrey(row.its, s.clock().now(), settings)) {
        d.normalColor = GreyColor(*grey);
        groupColor = d.normalColor;
    }
    card->setGroupColor(shown(groupColor));

    int successes = 0;
    p.trace += QLatin1Char('E');
    card->setTouchTimestamp(row.its);
    ++successes;
    p.trace += QLatin1Char('F');

    p.trace += QLatin1Char('G');
    if (row.hasAnimation) {
        bool read = false;
        const QByteArray bytes = ItemAnimation(id, &read);
        if (!read) {
            d.pictureUnread = true;
            // Half loaded: the card must never be written back.
            d.unfreeable = true;
            SysProblem(QStringLiteral("M1405"));
            ReportPopulateFailure(
                QStringLiteral("The picture of the item cannot be read"),
                QStringLiteral(".  Teststring= ") + p.trace + QStringLiteral("  Press Esc"));
            card->hide();
            return nullptr;
        }
        SetStoredPicture(d, bytes);
        if (d.pictureUnread) {
            card->showPictureNotShown();
        } else {
            card->showDataPicture();
            p.trace += QLatin1Char('H');
            if (side == ctxText) {
                d.size = pictureCardSize(d.picture.size(), settings);
                side = ctxImage;
                p.trace += QLatin1Char('I');
            }
        }
    }
    ++successes;
    p.trace += QLatin1Char('J');

    if (text.collector || text.outline) collectText(text, d.text, true);
    p.trace += QLatin1Char('K');

    p.trace += QLatin1Char('L');
    // An item without keywords is a normal card; only links that could not be read count against
    // it.
    if (items.keywordsRead()) ++successes;
    d.changed = false;
    card->applyDataGeometry();
    card->ApplyColor();
    card->turnTo(side);
    p.trace += QLatin1Char('M');
    if (successes < 3) {
        ShowInfo(QString::fromLatin1(pm::kDeactivated), QString::fromLatin1(pm::kSetupCode),
                 kSystemError, pm::kDatabaseHelp);
        s.flags.requestStop();
    }
    card->show();
    p.trace += QLatin1Char('N');
    return card;
}

// Step 5: the item's card was on the desktop already and has been moved to the spot.
TItem* existingItemCard(TDesktop& desktop, CardData* found, const ItemSetText& text)
{
    populateState().trace += QLatin1Char('P');
    auto* card = qobject_cast<TItem*>(desktop.cardOf(found));
    if (card) {
        showAgain(card);
        if (card->inBook()) {
            card->setInBook(false);
            card->ShrinkToNormal();
        }
        card->restoreSelection();
        if (text.collector) text.collector->add(card->item().text, false);
    }
    populateState().trace += QLatin1Char('M');
    return card;
}

// One item card; a set processes the events itself, once for several cards.
TItem* placeItemCard(TDesktop& desktop, ItemSet& items, QPoint at, Timestamp itemId,
                     int& groupColor, const ItemSetText& text, bool withEvents)
{
    Session& s = session();
    PopulateState& p = populateState();
    p.trace.clear();
    if (s.flags.escapeRequested() || s.flags.stopped()) return nullptr;
    TItem* card = nullptr;
    try {
        const int index = items.locate(itemId);
        if (index < 0) return nullptr;
        p.trace = QStringLiteral("A");
        const QPoint pos = desktop.toDesktop(at);
        const SlotAnswer answer = desktop.GetItemSlot(pos, itemId, 0);
        if (answer.isNew()) {
            card = newItemCard(desktop, items, index, answer.slot, pos, groupColor, text);
        } else if (answer.isExisting() && answer.slot > 0) {
            card = existingItemCard(desktop, answer.card, text);
        } else {
            // A full table has been reported by the slot request; this ends the set.
            tooManyWindows(pm::kOldSlot);
        }
        if (withEvents) desktop.processEvents();
    } catch (const std::exception& e) {
        ReportPopulateFailure(errorText(e), QStringLiteral(".  Teststring= ") + p.trace +
                                                QStringLiteral("  Press Esc"));
    }
    return card;
}

}  // namespace

void DevelopSynWheelSet(TDesktop& desktop, const std::vector<Timestamp>& concepts, QPoint at,
                        Timestamp skipItem, bool explodeItems, int& groupColor)
{
    Session& s = session();
    PopulateState& p = populateState();
    if (s.flags.abortHeld()) return;
    try {
        PopulateRun run;
        groupColor = GetNewConceptColor();
        std::vector<Timestamp> ids(
            concepts.begin(), concepts.begin() + std::min<size_t>(concepts.size(), kPopulateRows));
        const int n = int(ids.size());
        const int escAtStart = p.escPresses;
        const bool withItems = explodeItems && explodeItemsFor(n);
        const ItemOrder order = skipItem == kNoItemToSkip ? ItemOrder::Touched : ItemOrder::Created;
        for (int i = 0; i < n; ++i) {
            if (s.flags.abortHeld() || p.escPresses != escAtStart) break;
            const QPoint place = ConceptSetPosition(at, i, s.settings);
            SynWheelSetup(desktop, place, ids[size_t(i)]);
            if (withItems) {
                ExplodeItems(desktop, order, ids[size_t(i)], place + kItemsBesideConcept,
                             groupColor, skipItem);
                desktop.processEvents();
                if (s.flags.escapeRequested() || p.escPresses != escAtStart) break;
            }
            desktop.processEvents();
        }
        if (n > 0) p.currentConcept = ids.back();
        if (!p.loading) s.flags.clearEscape();
    } catch (const std::exception& e) {
        ReportPopulateFailure(errorText(e),
                              QStringLiteral(". Develop Concept set failed Press Esc"));
    }
}

void SynWheelSetup(TDesktop& desktop, QPoint at, Timestamp conceptId)
{
    Session& s = session();
    const Settings& settings = s.settings;
    try {
        const int color = GetNewConceptColor();
        const QPoint pos = desktop.toDesktop(at);
        const SlotAnswer answer = desktop.GetSynWheelSlot(pos, conceptId);
        if (answer.isExisting()) {
            showAgain(desktop.cardOf(answer.card));
            return;
        }
        if (!answer.isNew()) {
            // The slot request has told the user about the full table already.
            ShowInfo(QString::fromLatin1(pm::kMaxDetail), QString::fromLatin1(pm::kConceptCode),
                     kError, pm::kSlotHelp);
            SetAbortFlags();
            return;
        }
        ConceptCardData data;
        data.conceptId = conceptId;
        data.slot = answer.slot;
        // The card is placed by a point of the visible part, as a new concept is.
        data.pos = at;
        data.normalSize = QSize(settings.synWheelWidth, settings.synWheelHeight);
        data.normalColor = settings.synFrameColor;
        data.color = color;
        populateState().currentConcept = conceptId;
        data.words = WordsOfConceptRows(conceptId);
        if (data.words.empty()) {
            SysProblem(QStringLiteral("Nothing found"));
            data.unfreeable = true;
        }
        data.size = QSize(data.normalSize.width(), ConceptCardHeight(int(data.words.size())));
        data.changed = false;
        const auto& place = dictionaryHooks().placeConceptCard;
        if (!place || !place(data)) return;
        if (TBasPanel* card = conceptCardWidget(desktop, conceptId)) {
            if (auto* wheel = qobject_cast<TSynWheel*>(card)) wheel->fitToWords();
            card->focusMark()->setFillColor(shown(color));
            card->corner()->setPointClr(shown(color));
            card->show();
        }
    } catch (const std::exception&) {
        SetAbortFlags();
    }
}

void ExplodeItems(TDesktop& desktop, ItemOrder order, Timestamp conceptId, QPoint at,
                  int& groupColor, Timestamp skipItem)
{
    ItemSet items(ItemsOfConceptRows(conceptId, order));
    if (!items.empty()) DevelopItemSet(desktop, items, at, skipItem, ItemSetText(), groupColor);
}

void DevelopItemSet(TDesktop& desktop, ItemSet& items, QPoint at, Timestamp skipItem,
                    const ItemSetText& text, int& groupColor)
{
    Session& s = session();
    PopulateState& p = populateState();
    desktop.focusAway();
    const QPoint scroll = desktop.scroll();
    if (text.collector) text.collector->resetRunning();
    {
        PopulateRun run;
        const int escAtStart = p.escPresses;
        const bool abortHeldAtStart = s.flags.abortHeld();
        const int n = std::min(items.size(), kPopulateRows);
        int skipped = 0;
        for (int i = 0; i < n; ++i) {
            try {
                showCounter(i + 1);
                if (i % kCardsBetweenEvents == 0) desktop.processEvents();
                if (PopulateStopRequested(escAtStart, abortHeldAtStart)) continue;
                const Timestamp id = items.idAt(i);
                if (skipItem != kNoItemToSkip && sameId(skipItem, id, kItemIdTolerance)) {
                    // The cards after the skipped item move up one place.
                    skipped = 1;
                    continue;
                }
                const QPoint place =
                    ItemSetPosition(at, i - skipped, scroll, s.settings, p.compactPacks);
                placeItemCard(desktop, items, place, id, groupColor, text, false);
                desktop.focusAway();
                desktop.scrollTo(scroll);
            } catch (const std::exception& e) {
                ReportPopulateFailure(errorText(e), QStringLiteral(".[IS]  Teststring= ") +
                                                        p.trace + QStringLiteral("  Press Esc"));
            }
        }
        // The last cards are painted and a late Esc is seen before the run ends.
        desktop.processEvents();
    }
    if (text.collector) {
        if (QClipboard* clipboard = QGuiApplication::clipboard())
            clipboard->setText(text.collector->text());
        else
            PlainMessage(QStringLiteral("Saveonclipboard problem"));
    }
    // The indicator counted the cards while they came; it shows the clipboard again.
    refreshClipboardSize();
}

TItem* ItemSetup(TDesktop& desktop, ItemSet& items, QPoint at, Timestamp itemId, int& groupColor,
                 const ItemSetText& text)
{
    return placeItemCard(desktop, items, at, itemId, groupColor, text, true);
}

PlacedItemCard Pick1Item(TDesktop& desktop, QPoint at, Timestamp itemId, int frameColor,
                         int hitStart1, int hitLength, bool mark)
{
    Session& s = session();
    PlacedItemCard placed;
    if (s.flags.escapeRequested() || s.flags.stopped()) {
        desktop.processEvents();
        return placed;
    }
    ItemCardPlacement placement;
    placement.frameColor = frameColor;
    placement.mark = mark;
    placement.groupColor = QColor(Qt::black);
    if (hitStart1 > 0) {
        placement.selectionStart = hitStart1 - 1;
        placement.selectionLength = hitLength;
    }
    placed = PlaceItemCard(desktop, itemId, desktop.toDesktop(at), placement);
    if (!placed.card && s.flags.escapeRequested() && !s.flags.stopped()) {
        // The slot request found the table full.
        tooManyWindows(pm::kPickCode);
    } else if (placed.pictureFailed) {
        ShowInfo(QString::fromLatin1(pm::kDeactivated), QString::fromLatin1(pm::kPickSetupCode),
                 kSystemError, pm::kDatabaseHelp);
        s.flags.requestStop();
    }
    desktop.processEvents();
    return placed;
}

void ShowConnections(TDesktop& desktop, int x, int y, Timestamp itemId)
{
    PopulateState& p = populateState();
    p.loading = true;
    session().flags.releaseAbort();
    try {
        const std::vector<Timestamp> concepts = ConceptsOfItemRows(itemId);
        int groupColor = 0;
        if (!concepts.empty())
            DevelopSynWheelSet(desktop, concepts, QPoint(x, y), itemId, true, groupColor);
    } catch (const std::exception& e) {
        ReportPopulateFailure(errorText(e), QStringLiteral("Connections cmd failed  Press Esc"));
    }
    p.loading = false;
}

bool CheckSWExist(const TDesktop& desktop, Timestamp conceptId)
{
    for (TBasPanel* card : desktop.cardWidgets()) {
        const CardData& d = card->data();
        auto id = conceptIdOf(d);
        if (id && !d.deleted && !d.unfreeable && sameId(*id, conceptId, kConceptIdTolerance))
            return true;
    }
    return false;
}

bool CheckIExist(TDesktop& desktop, bool unhide, Timestamp itemId)
{
    for (TBasPanel* card : desktop.cardWidgets()) {
        CardData& d = card->data();
        auto id = itemIdOf(d);
        if (!id || d.deleted || d.unfreeable || !sameId(*id, itemId, kItemIdTolerance)) continue;
        if (unhide && d.hidden) {
            d.hidden = false;
            card->show();
        }
        return true;
    }
    return false;
}

void PopConcepts(TDesktop& desktop)
{
    Session& s = session();
    s.messenger().setWaitCursor(true);
    try {
        GeneralUpdate(desktop, true);
        const std::optional<Timestamp> next =
            FirstConceptWhere([&](Timestamp c) { return CheckSWExist(desktop, c); });
        if (next) {
            const QPoint at =
                NextPopPosition(placementCounters().popConcepts,
                                QPoint(s.settings.popSpotSX, s.settings.popSpotSY), s.settings);
            SynWheelSetup(desktop, at, *next);
        }
    } catch (const std::exception&) {
        PlainMessage(QStringLiteral("Pop concept error"));
    }
    s.messenger().setWaitCursor(false);
}

void PopItems(TDesktop& desktop)
{
    Session& s = session();
    s.messenger().setWaitCursor(true);
    try {
        GeneralUpdate(desktop, true);
        int groupColor = s.settings.itemFrameColor;
        const std::optional<Timestamp> next =
            FirstItemWhere([&](Timestamp it) { return CheckIExist(desktop, true, it); });
        if (next) {
            ItemSet one(OneItemRows(*next));
            if (one.size() != 1) {
                SysProblem(QStringLiteral("Failed to locate item - 4677"));
            } else {
                const QPoint at =
                    NextPopPosition(placementCounters().popItems,
                                    QPoint(s.settings.popSpotIX, s.settings.popSpotIY), s.settings);
                ItemSetup(desktop, one, at, *next, groupColor);
            }
        }
    } catch (const std::exception&) {
        PlainMessage(QStringLiteral("Pop item error"));
    }
    s.messenger().setWaitCursor(false);
}

}  // namespace qb
