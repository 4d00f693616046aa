#pragma once

#include "ItemsFixture.h"

#include "cards/CommandPanel.h"
#include "cards/Desktop.h"
#include "items/ItemCard.h"
#include "items/ItemCommands.h"

#include <QApplication>
#include <QMouseEvent>

#include <functional>
#include <memory>

namespace qb::test {

// A desktop with the item side installed, on a store with a few words, concepts and projects.
// The command panel is answered by the test, and there is no sound device.
class ItemCardFixture : public ItemsFixture {
protected:
    static constexpr Timestamp kConceptA = -45000.25L;  // "apple", "pomme"
    static constexpr Timestamp kConceptB = -45001.5L;   // "apple" (the computer), "computer"
    static constexpr Timestamp kConceptC = -45002.75L;  // "river"

    void SetUp() override;
    void TearDown() override;

    // A card of fresh data on the desktop at a desktop position.
    TItem* makeCard(Timestamp id, const QString& text, QPoint pos = {40, 40});
    // A card with two keywords and one project.
    TItem* makeKeyedCard(Timestamp id, const QString& text, QPoint pos = {40, 40});

    // A left click on the card's own frame, moved by `drift` between press and release.
    void clickFrame(TItem* card, QPoint drift = {});
    void mouse(QWidget* target, QEvent::Type type, QPoint local, Qt::MouseButton button);
    // Opens the card's command panel over a part and lets `act` play the user.
    QString panelChoice(TItem* card, ItemPart part, std::function<void(TMyPopUpMenu&)> act);
    // The rows the panel showed at the last opening.
    QStringList lastRows;
    QString lastCaption;

    DragPayload conceptWord(Timestamp conceptId, int wordNo, const QString& word) const;
    DragPayload dictionaryWord(int wordNo, const QString& word) const;

    std::unique_ptr<TDesktop> desktop;
};

void flushDeletes();

}  // namespace qb::test
