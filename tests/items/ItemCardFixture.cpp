#include "ItemCardFixture.h"

#include "items/DesktopPicturePanel.h"
#include "items/ItemHooks.h"
#include "shell/Wiring.h"

#include <QCoreApplication>
#include <QWindow>

namespace qb::test {

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

void ItemCardFixture::SetUp()
{
    ItemsFixture::SetUp();
    addWord(1, QStringLiteral("apple"));
    addWord(2, QStringLiteral("pomme"));
    addWord(3, QStringLiteral("computer"));
    addWord(4, QStringLiteral("river"));
    addWord(5, QStringLiteral("orphan"));
    addConcept(kConceptA, {1, 2});
    addConcept(kConceptB, {1, 3});
    addConcept(kConceptC, {4});
    addProject(QStringLiteral("GARDEN"), -45100.0L);
    addProject(QStringLiteral("TRAVEL"), -45200.0L);
    TMyPopUpMenu::setAudioDeviceProbe([] { return false; });
    desktop = std::make_unique<TDesktop>();
    desktop->resize(1000, 800);
    desktop->show();
    WireDesktop();
    WireItemDesktop(*desktop);
}

void ItemCardFixture::TearDown()
{
    TMyPopUpMenu::setTestAnswer(nullptr);
    TMyPopUpMenu::setAudioDeviceProbe(nullptr);
    desktop.reset();
    flushDeletes();
    ItemsFixture::TearDown();
}

TItem* ItemCardFixture::makeCard(Timestamp id, const QString& text, QPoint pos)
{
    auto data = std::make_unique<ItemCardData>();
    data->itemId = id;
    data->text = text;
    data->pos = pos;
    // The slot first, as NewItem asks for it: asked after the card is made, the request finds
    // the card itself without a slot.
    SlotAnswer slot = desktop->GetItemSlot(pos, id, 0);
    auto* card = new TItem(*desktop, std::move(data));
    if (slot.isNew()) desktop->takeSlot(*card, slot.result);
    card->show();
    return card;
}

TItem* ItemCardFixture::makeKeyedCard(Timestamp id, const QString& text, QPoint pos)
{
    TItem* card = makeCard(id, text, pos);
    ItemCardData& d = card->item();
    d.keywords = {{kConceptA, 1, QStringLiteral("apple")}, {kConceptC, 4, QStringLiteral("river")}};
    d.projects = {QStringLiteral("GARDEN")};
    card->refreshLists();
    return card;
}

void ItemCardFixture::mouse(QWidget* target, QEvent::Type type, QPoint local,
                            Qt::MouseButton button)
{
    const QPoint global = target->mapToGlobal(local);
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(local), QPointF(global), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
}

void ItemCardFixture::clickFrame(TItem* card, QPoint drift)
{
    // The top margin of the card, left of the close sign: the card's own surface.
    const QPoint at(card->width() / 2, 6);
    const QPoint pressed = card->mapToGlobal(at);
    mouse(card, QEvent::MouseButtonPress, at, Qt::LeftButton);
    clock.advanceMs(50);
    if (!drift.isNull()) {
        const QPoint to = at + drift;
        QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(pressed + drift), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(card, &move);
        clock.advanceMs(50);
        // The card has moved under the pointer: the release comes where the pointer is now.
        const QPoint global = pressed + drift;
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(card->mapFromGlobal(global)),
                            QPointF(global), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(card, &release);
        return;
    }
    mouse(card, QEvent::MouseButtonRelease, at, Qt::LeftButton);
}

QString ItemCardFixture::panelChoice(TItem* card, ItemPart part,
                                     std::function<void(TMyPopUpMenu&)> act)
{
    QString chosen;
    TMyPopUpMenu::setTestAnswer([&](TMyPopUpMenu& panel) {
        lastRows = panel.shownRows();
        lastCaption = panel.windowTitle();
        if (act) act(panel);
        chosen = panel.command();
    });
    card->openCommandPanel(part, card->mapToGlobal(QPoint(20, 20)));
    TMyPopUpMenu::setTestAnswer(nullptr);
    return chosen;
}

DragPayload ItemCardFixture::conceptWord(Timestamp conceptId, int wordNo, const QString& word) const
{
    DragPayload p;
    p.source = DragPayload::Source::ConceptWord;
    p.conceptId = conceptId;
    p.wordNo = wordNo;
    p.word = word;
    return p;
}

DragPayload ItemCardFixture::dictionaryWord(int wordNo, const QString& word) const
{
    DragPayload p;
    p.source = DragPayload::Source::DictionaryWord;
    p.wordNo = wordNo;
    p.word = word;
    return p;
}

}  // namespace qb::test
