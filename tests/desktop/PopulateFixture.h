#pragma once

#include "FakeConceptCard.h"

#include "cards/Desktop.h"
#include "cards/DragPayload.h"
#include "items/ItemCard.h"
#include "platform/Sqlite.h"
#include "session/Session.h"
#include "support/StoreFixture.h"

#include <QVariantList>

#include <memory>
#include <utility>
#include <vector>

namespace qb::test {

// Rows written straight into the store (StoreSeed), for the populate queries and the desktop.
class PopulateStoreFixture : public StoreFixture {
protected:
    // count items carrying one concept, item k touched k seconds before the newest.
    std::vector<Timestamp> addItemsOf(Timestamp conceptId, int wordNo, int count,
                                      Timestamp firstId = -46000.1);
    // The serial day number of the fixture clock.
    double today() const;
};

// A desktop in a window with the item cards, the light concept cards and populating
// installed.
class PopulateFixture : public PopulateStoreFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Cards that are on the desktop and not hidden, in child order.
    std::vector<TItem*> itemCards() const;
    std::vector<FakeConceptCard*> conceptCards() const;
    TItem* itemCard(Timestamp id) const;
    FakeConceptCard* conceptCard(Timestamp id) const;
    QPoint visiblePos(const TBasPanel* card) const;

    DragPayload dictionaryWord(int wordNo, const QString& word) const;
    DragPayload keyword(Timestamp conceptId, int wordNo, const QString& word) const;
    DragPayload conceptWord(Timestamp conceptId, int wordNo, const QString& word,
                            TBasPanel* card) const;
    DragPayload project(const QString& name) const;

    // Sends a key press and release to the focus widget (or the window).
    void pressKey(Qt::Key key);

    std::unique_ptr<QWidget> window;
    TDesktop* desktop = nullptr;
    int resets = 0;
};

void flushDeletes();

}  // namespace qb::test
