#pragma once

#include "cards/SlotTables.h"
#include "store/Timestamps.h"

#include <QImage>
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace qb {

class DictionaryBrowser;
struct ConceptCardData;
struct DictionaryCardData;

// What the dictionary rules need of a dictionary window on the desktop. TDict implements it;
// core tests use a plain stand-in.
class DictionaryWindowHost {
public:
    virtual ~DictionaryWindowHost() = default;
    virtual DictionaryBrowser& browser() = 0;
    virtual bool isShown() const = 0;
    virtual bool gridHasFocus() const = 0;
    virtual void focusGrid() {}
    virtual void bringToFront() {}
    // The rows or the current row changed: repaint the grid.
    virtual void rowsChanged() {}
    // Opens the inflection window of a word beside this window.
    virtual void openInflectionWindow(int wordNo, const QString& word) {}
    virtual void setBusy(bool busy) {}
};

// The ten dictionary-window slots, seen through the card framework's dictionary-window table
// (slot 0 of the same table is the desktop). The desktop's table is the one record of which slot
// holds which window; while there is no desktop (the command line, core tests) the view keeps a
// table of its own. A window on the desktop takes its slot with TDesktop::takeSlot; put() is for
// windows that are not cards.
class DictionaryWindows {
public:
    static constexpr int kSlots = SlotTables::kDictionarySlots;
    static DictionaryWindows& instance();

    DictionaryWindows() = default;
    ~DictionaryWindows();
    DictionaryWindows(const DictionaryWindows&) = delete;
    DictionaryWindows& operator=(const DictionaryWindows&) = delete;

    // First free slot 1 .. 10, or 0 after "Too many windows on desktop".
    int reserveSlot() const;
    int firstFreeSlot() const;
    void put(int slot, DictionaryWindowHost* window);
    void remove(DictionaryWindowHost* window);
    // Forgets the windows given with put(); cards keep their slots until they are freed.
    void clear();
    DictionaryWindowHost* at(int slot) const;

    // The first shown window whose grid has the keyboard focus, else nullptr.
    DictionaryWindowHost* focusedShown() const;
    DictionaryWindowHost* firstShown() const;
    // Windows in slot order.
    std::vector<DictionaryWindowHost*> all() const;

    // Where a window opens in a slot: offsets from the dictionary creation spot.
    static QPoint placeOfSlot(int slot);

    // The table the view reads.
    SlotTable& table() const;

private:
    std::vector<std::unique_ptr<DictionaryCardData>> standIns_;
    mutable SlotTable own_{kSlots};
};

// What the dictionary rules ask of the desktop and the dialogs. The desktop program fills these
// in; each left empty does nothing (the command line, core tests). Each is set in
// shell/Wiring.cpp.
struct DictionaryHooks {
    // Send a word (the dictionary window) or a concept (the concept card) to XML target 1-3
    // ("XMLSend<n>"). Missing: no send rows. Set in shell/Wiring.cpp.
    std::function<void(int target, int wordNo)> sendWordAsXml;
    std::function<void(int target, Timestamp conceptId)> sendConceptAsXml;
    // Keyboard focus to the toolbar's logo panel, so that no card keeps it.
    std::function<void()> focusLogoPanel;
    // Runs the new-word dialog modally with the proposed text (TNewWord over NewWordDialog).
    std::function<void(const QString& proposed)> runNewWordDialog;
    // Runs the locate dialog modally (TLocateInList over LocateDialog).
    std::function<void()> runLocateDialog;
    // Lays concepts out on the desktop from a point (DevelopSynWheelSet).
    std::function<void(const std::vector<Timestamp>& concepts, QPoint at)> developConcepts;
    // Gives a new concept card a slot and a widget; false when the concept table is full.
    std::function<bool(ConceptCardData& card)> placeConceptCard;
    // The system clipboard's text, read and written.
    std::function<QString()> clipboardText;
    std::function<void(const QString&)> setClipboardText;
    // The desktop picture of a concept, shown when its card gets the focus; and a picture
    // connected to it (false when it was not stored).
    std::function<void(Timestamp conceptId)> showConceptPicture;
    std::function<bool(Timestamp conceptId, const QImage& image)> connectConceptImage;
    // "&Find in Item texts" of an inflection window: the text search for one form without the
    // Find dialog; false when Esc ended it (the remaining forms are not searched).
    std::function<bool(const QString& form)> findInItemTexts;

    void toLogo() const
    {
        if (focusLogoPanel) focusLogoPanel();
    }
    QString clipboard() const { return clipboardText ? clipboardText() : QString(); }
    void toClipboard(const QString& text) const
    {
        if (setClipboardText) setClipboardText(text);
    }
};

DictionaryHooks& dictionaryHooks();

}  // namespace qb
