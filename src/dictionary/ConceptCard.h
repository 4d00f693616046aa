#pragma once

#include <QListWidget>

#include "cards/BaseCard.h"
#include "dictionary/ConceptCardData.h"
#include "dictionary/ConceptCardRules.h"

namespace qb {

class TSynWheel;
struct DragPayload;

// The word list of a concept card: a plain list box, told apart from other lists by its class.
// Words are dragged out of it and dropped onto it; a right press opens the card's command panel.
class TSynsListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TSynsListBox(TSynWheel& card);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    TSynWheel& card_;
    int dragRow_ = -1;
    QPoint pressPoint_;
};

// The concept card: one concept's words on the desktop, its working copy until the commit.
class TSynWheel : public TBasPanel {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 40030;
    // Room above and below the list: the set-up makes a card this much taller than its rows.
    static constexpr int kFrameHeight = 36;

    TSynWheel(TDesktop& desktop, std::unique_ptr<ConceptCardData> data);

    ConceptCardData& conceptData() { return dataAs<ConceptCardData>(); }
    const ConceptCardData& conceptData() const { return dataAs<ConceptCardData>(); }
    TSynsListBox* list() const { return list_; }
    // The random colour of the concept: the focus mark's fill and the resize corner's points.
    void setConceptColor(int color);
    // The list again from the card's words.
    void showWords();
    int selectedRow() const;
    int rowHeight() const;
    // A stored concept's card is as high as its rows.
    void fitToWords();
    // Places the list at (5, 14), as wide as the card less 10 and as high less 28.
    void LayoutList();

    // --- virtual operations of the card ---
    void CornerMouseMove(QPoint global) override;
    void CornerMouseUp(Qt::MouseButton button, QPoint global) override;
    void CardDblClick() override;
    void CardEnter() override;

    // A drop onto the word list (SWDragDrop).
    ConceptDropResult SWDragDrop(const DragPayload& payload);
    // What dragging a word of the list carries.
    DragPayload dragPayload(int row) const;

    ConceptPanelRows panelRows() const;
    void openCommandPanel(QPoint global);
    // Runs a command name of the panel; names the card does not know are ignored.
    void command(const QString& name);

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void mergeWords();

    TSynsListBox* list_;
};

// Gives a new concept (NewConcept) a slot and a card at its place, a point of the visible part of
// the desktop. The card data gets the slot and its desktop position. Null when the concept table
// is full (the user has been told).
TSynWheel* PlaceNewConceptCard(TDesktop& desktop, ConceptCardData& card);

// A new concept card holding a word, at the concept creation spot, for a word no concept holds
// yet (a dictionary word dropped on an item card). Null when no card could be made.
TSynWheel* NewConceptCardForWord(const QString& word, int wordNo);

}  // namespace qb
