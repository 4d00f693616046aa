#include "items/ItemCommands.h"

#include "cards/Collection.h"
#include "cards/Desktop.h"
#include "cards/TowerCard.h"
#include "dictionary/ConceptCardData.h"
#include "floor/Messages.h"
#include "items/CardSideIndicatorPanel.h"
#include "items/DesktopPicturePanel.h"
#include "items/DroppedWordConcepts.h"
#include "items/EmptyCardsCheck.h"
#include "items/ItemCard.h"
#include "items/ItemHooks.h"
#include "items/ItemQueries.h"
#include "items/ItemRecord.h"
#include "platform/Clock.h"
#include "platform/TextChecks.h"
#include "session/Session.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPointer>

namespace qb {

namespace {

// What the item commands keep for the run. The indicator belongs to the tool bar, so it is only
// watched, never deleted here.
struct ItemCommandState {
    QPointer<TCardSideIndicator> indicator;
    QColor groupColor;
};

ItemCommandState& commandState() { return session().part<ItemCommandState>(); }

QPointer<TCardSideIndicator>& indicator() { return commandState().indicator; }

// A hit is counted in characters; the text editor counts UTF-16 units, so a letter outside the
// basic plane before the hit would shift the selection.
void setHitSelection(TItem& card, const ItemCardPlacement& placement)
{
    const QString& text = card.item().text;
    const int start = int(LeftCodePoints(text, placement.selectionStart).size());
    const int end =
        int(LeftCodePoints(text, placement.selectionStart + placement.selectionLength).size());
    card.setSavedSelection(start, end - start);
}

}  // namespace

void ShowFoundItem(TBasPanel& card, int color)
{
    if (auto* item = qobject_cast<TItem*>(&card)) {
        item->turnTo(SideOfMode(session().settings.cardSideUp));
        item->Layout();
    }
    if (color != 0) card.setCardColor(color);
}

CommitResult UpdateItems()
{
    TDesktop* desktop = TDesktop::current();
    if (!desktop) return {};
    CommitResult result = CommitCards(desktop->cards());
    for (ConceptCardData* revived : result.revived) {
        if (TBasPanel* card = desktop->cardOf(revived)) {
            card->show();
            card->ApplyColor();
        }
    }
    if (result.ran) {
        for (TTower* list : desktop->cardsOf<TTower>())
            if (list->data().kind != CardKind::Inflection) list->RefreshTable();
    }
    // Cards whose edits did not reach the store are not freed: they stay for the next commit.
    Collect(*desktop, true);
    const bool failed = !result.committed || !result.failed.empty();
    if (failed && !result.busy) {
        if (const int unwritten = KeepUnwrittenCards(*desktop)) ReportUnwrittenCards(unwritten);
    }
    desktop->redrawMap();
    return result;
}

bool CheckEmptyItemsOnDesktop()
{
    TDesktop* desktop = TDesktop::current();
    if (!desktop) return true;
    const EmptyCardsFinding finding = CheckEmptyItems(desktop->cards());
    if (finding.conceptWithoutWord) {
        if (TBasPanel* card = desktop->cardOf(finding.conceptWithoutWord)) {
            card->show();
            card->ApplyColor();
            card->bringToFront();
        }
    }
    if (finding.itemWithoutKeyword) {
        if (auto* card = qobject_cast<TItem*>(desktop->cardOf(finding.itemWithoutKeyword))) {
            card->show();
            card->ApplyColor();
            card->setContentsUp(ctxKeys);
        }
    }
    return finding.itemsHaveKeywords;
}

QColor& CurrentGroupColor() { return commandState().groupColor; }

Timestamp NewItem(int x, int y, const QColor& groupColor, bool fromClipboard)
{
    UpdateItems();
    TDesktop* desktop = TDesktop::current();
    if (!desktop) return 0;
    Session& s = session();
    const Settings& settings = s.settings;
    const QPoint visible(x == -1 ? settings.createSpotIX : x, y == -1 ? settings.createSpotIY : y);
    const QPoint pos = desktop->toDesktop(visible);
    const Timestamp id = GetQBTS();
    const SlotAnswer slot = desktop->GetItemSlot(pos, 0, 0);
    if (!slot.isNew()) return 0;

    auto data = std::make_unique<ItemCardData>();
    data->itemId = id;
    data->unsaved = true;
    data->pos = pos;
    auto* card = new TItem(*desktop, std::move(data));
    desktop->takeSlot(*card, slot.result);
    if (settings.showItemDateAsHint) card->showDateHint(id);
    ItemCardData& d = card->item();
    // Wide until the first keyword comes (AddKeyword gives it the item look then).
    d.size = QSize(TItem::kNewItemWidth, settings.itemHeight);
    d.normalSize = d.size;
    d.normalColor = settings.newItemColor;
    card->applyDataGeometry();
    card->ApplyColor();
    card->Layout();

    const QString dateStamp = itemHooks().dateStampText ? itemHooks().dateStampText() : QString();
    const NewItemStamp stamp = StampForNewItem(dateStamp, s.clock().now().date(),
                                               settings.dateFormat, settings.dateSeparator);
    if (stamp.dated) s.dateStamp = stamp.firstLine;
    QString clip;
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (fromClipboard && clipboard) clip = clipboard->text();
    const bool withClip = fromClipboard && !clip.isEmpty();
    int leftOut = 0;
    card->setItemText(NewItemText(stamp.firstLine, withClip ? &clip : nullptr, &leftOut));

    card->show();
    d.changed = true;
    card->setGroupColor(groupColor);
    card->setContentsUp(ctxText);
    card->textEditor()->moveCursor(QTextCursor::End);
    ReportTextCut(leftOut);
    return id;
}

Timestamp CreateBlankItem(bool fromClipboard)
{
    return NewItem(-1, -1, CurrentGroupColor(), fromClipboard);
}

Timestamp ConceptForDroppedWord(const QString& word, int wordNo)
{
    if (itemHooks().newConceptCardForWord) {
        itemHooks().newConceptCardForWord(word, wordNo);
        UpdateItems();
    }
    const std::vector<Timestamp> concepts = ConceptsOfDroppedWord(wordNo);
    if (concepts.size() != 1) {
        ShowInfo(QStringLiteral("Please drop a second time and select your concept"),
                 QStringLiteral("QB6984"), kInformation, 20010);
        return 0;
    }
    return concepts.front();
}

void SetCardSideUpMode(int mode)
{
    Settings& settings = session().settings;
    settings.cardSideUp = SideOfMode(mode);
    ShowCardSideMode(settings.cardSideUp);
    if (!settings.turnCardsImm &&
        !AskYesDefault(QStringLiteral("Turn any cards on desktop immediately?"), 60030))
        return;
    TurnItemCards(settings.cardSideUp);
}

void TurnItemCards(int mode)
{
    TDesktop* desktop = TDesktop::current();
    if (!desktop) return;
    const QPoint scroll = desktop->scroll();
    for (TItem* card : desktop->cardsOf<TItem>()) {
        if (card->data().hidden || card->inBook()) continue;
        const QRect place = card->geometry();
        card->turnTo(SideOfMode(mode));
        if (card->geometry() != place) {
            card->setGeometry(place);
            card->syncFromGeometry();
        }
    }
    desktop->scrollTo(scroll);
}

PlacedItemCard PlaceItemCard(TDesktop& desktop, Timestamp itemId, QPoint desktopPos,
                             const ItemCardPlacement& placement)
{
    Session& s = session();
    PlacedItemCard placed;
    placed.groupColor = placement.groupColor;
    if (s.flags.escapeRequested() || s.flags.stopped()) return placed;

    auto data = std::make_unique<ItemCardData>();
    QString error;
    if (!LoadItemCard(*data, itemId, &error)) {
        if (!ItemExists(itemId)) return placed;
        ShowInfo(
            QStringLiteral(
                "Error in database operations.  The QB Program was deactivated. Please close windows and exit "),
            QStringLiteral("QB3742"), kSystemError, 30160);
        s.flags.requestStop();
        return placed;
    }

    const SlotAnswer slot = desktop.GetItemSlot(desktopPos, itemId, placement.frameColor);
    if (slot.isExisting()) {
        placed.card = qobject_cast<TItem*>(desktop.cardOf(slot.card));
        if (placed.card) {
            if (placement.selectionStart >= 0) setHitSelection(*placed.card, placement);
            if (placed.card->inBook()) {
                placed.card->setInBook(false);
                placed.card->ShrinkToNormal();
            }
            placed.card->restoreSelection();
        }
        return placed;
    }
    if (!slot.isNew()) return placed;

    const Settings& settings = s.settings;
    data->pos = desktopPos;
    auto* card = new TItem(desktop, std::move(data));
    desktop.takeSlot(*card, slot.result);
    if (settings.showItemDateAsHint) card->showDateHint(itemId);
    ItemCardData& d = card->item();
    if (placement.frameColor != 0) {
        d.normalColor = placement.frameColor;
        if (placement.mark) {
            d.marked = true;
            d.markedColor = placement.frameColor;
        }
    } else if (placement.ageShading) {
        if (auto its = ItemTimestamp(itemId)) {
            if (auto grey = AgeShadeGrey(*its, s.clock().now(), settings)) {
                d.normalColor = GreyColor(*grey);
                placed.groupColor = QColor(*grey, *grey, *grey);
            }
        }
    }
    card->setGroupColor(placed.groupColor.isValid() ? placed.groupColor : QColor(Qt::black));
    if (d.pictureUnread) card->showPictureNotShown();
    if (placement.selectionStart >= 0) setHitSelection(*card, placement);

    ContentsTypes side = SideOfMode(settings.cardSideUp);
    if (d.hasPicture && side == ctxText && !d.picture.isNull()) {
        // The card takes the picture's size, within its alternative size.
        const QSize limit(std::max(settings.altItemWidth, settings.itemWidth) - 10,
                          std::max(settings.altItemHeight, settings.itemHeight) - 28);
        QSize shown = d.picture.size();
        if (shown.width() > limit.width() || shown.height() > limit.height())
            shown.scale(limit, Qt::KeepAspectRatio);
        d.size = shown + QSize(10, 28);
        side = ctxImage;
    }
    card->applyDataGeometry();
    card->ApplyColor();
    card->turnTo(side);
    d.changed = false;
    card->show();
    placed.card = card;
    placed.created = true;
    return placed;
}

void ShowCardSideMode(int mode)
{
    if (itemHooks().showCardSideMarks) itemHooks().showCardSideMarks(mode);
    if (TCardSideIndicator* i = indicator()) i->setMode(mode);
}

void SetCardSideIndicator(TCardSideIndicator* i) { indicator() = i; }

TCardSideIndicator* CardSideIndicator() { return indicator(); }

}  // namespace qb
