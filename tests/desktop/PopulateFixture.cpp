#include "PopulateFixture.h"

#include "cards/PlacementCounters.h"
#include "desktop/PopulateState.h"
#include "dictionary/Concepts.h"
#include "dictionary/DictionaryWindows.h"
#include "items/DesktopPicturePanel.h"
#include "items/ItemCommands.h"
#include "items/ItemHooks.h"
#include "platform/Dates.h"
#include "shell/Wiring.h"

#include <QApplication>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace qb::test {

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

std::vector<Timestamp> PopulateStoreFixture::addItemsOf(Timestamp conceptId, int wordNo, int count,
                                                        Timestamp firstId)
{
    std::vector<Timestamp> ids;
    for (int k = 0; k < count; ++k) {
        // Held as the store holds it, so that ids compare equal.
        const Timestamp id = double(firstId - k * 0.001);
        // Item 0 is the newest touched: its ITS is the smallest.
        addItem(id, QStringLiteral("item %1").arg(k), {{conceptId, wordNo}}, {},
                double(-46300.5 + k * 0.00001));
        ids.push_back(id);
    }
    return ids;
}

double PopulateStoreFixture::today() const { return dates::toSerial(clock.now()); }

void PopulateFixture::SetUp()
{
    PopulateStoreFixture::SetUp();
    SeedConceptColors(7);
    window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    desktop = new TDesktop(window.get());
    layout->addWidget(desktop);
    window->resize(1000, 800);
    window->show();
    WireDesktop();
    WireItemDesktop(*desktop);
    InstallFakeConceptCards(*desktop);
    WirePopulateDesktop(*desktop, window.get(), [this] { ++resets; });
}

void PopulateFixture::TearDown()
{
    window.reset();
    desktop = nullptr;
    flushDeletes();
    PopulateStoreFixture::TearDown();
}

std::vector<TItem*> PopulateFixture::itemCards() const
{
    std::vector<TItem*> out;
    for (TItem* card : desktop->cardsOf<TItem>())
        if (!card->data().hidden && card->isVisibleTo(desktop->surface())) out.push_back(card);
    return out;
}

std::vector<FakeConceptCard*> PopulateFixture::conceptCards() const
{
    std::vector<FakeConceptCard*> out;
    for (TBasPanel* card : desktop->cardWidgets())
        if (auto* c = dynamic_cast<FakeConceptCard*>(card); c && !c->data().hidden)
            out.push_back(c);
    return out;
}

TItem* PopulateFixture::itemCard(Timestamp id) const
{
    for (TItem* card : desktop->cardsOf<TItem>())
        if (sameId(card->itemId(), id, 1e-11L)) return card;
    return nullptr;
}

FakeConceptCard* PopulateFixture::conceptCard(Timestamp id) const
{
    for (FakeConceptCard* card : conceptCards())
        if (sameId(card->conceptData().conceptId, id, 1e-7L)) return card;
    return nullptr;
}

QPoint PopulateFixture::visiblePos(const TBasPanel* card) const
{
    return card->pos() - desktop->scroll();
}

DragPayload PopulateFixture::dictionaryWord(int wordNo, const QString& word) const
{
    DragPayload p;
    p.source = DragPayload::Source::DictionaryWord;
    p.wordNo = wordNo;
    p.word = word;
    return p;
}

DragPayload PopulateFixture::keyword(Timestamp conceptId, int wordNo, const QString& word) const
{
    DragPayload p;
    p.source = DragPayload::Source::ItemKeyword;
    p.conceptId = conceptId;
    p.wordNo = wordNo;
    p.word = word;
    return p;
}

DragPayload PopulateFixture::conceptWord(Timestamp conceptId, int wordNo, const QString& word,
                                         TBasPanel* card) const
{
    DragPayload p;
    p.source = DragPayload::Source::ConceptWord;
    p.conceptId = conceptId;
    p.wordNo = wordNo;
    p.word = word;
    p.sourceCard = card ? &card->data() : nullptr;
    return p;
}

DragPayload PopulateFixture::project(const QString& name) const
{
    DragPayload p;
    p.source = DragPayload::Source::Project;
    p.project = name;
    return p;
}

void PopulateFixture::pressKey(Qt::Key key)
{
    QWidget* target = QApplication::focusWidget();
    if (!target || target->window() != window.get()) target = window.get();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

}  // namespace qb::test
