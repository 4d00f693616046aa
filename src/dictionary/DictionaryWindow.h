#pragma once

#include <QStringList>
#include <vector>

#include "cards/TowerCard.h"
#include "dictionary/DictionaryBrowser.h"
#include "dictionary/DictionaryCardData.h"
#include "dictionary/DictionaryWindows.h"
#include "session/ShellHooks.h"

namespace qb {

class DictionaryTableModel;
class TDBDragGrid;
struct DragPayload;

// The dictionary window: a list card over WORD in one of four orders. The rules live in the
// browser and the dictionary core; the window shows the browser's rows and passes clicks,
// commands and drops on.
class TDict : public TTower, public DictionaryWindowHost {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 50060;
    static constexpr QSize kAltSize{400, 360};
    static constexpr int kStartColumnChars = 24;

    // A window in a slot of the dictionary-window table (taken here), in time stamp order.
    TDict(TDesktop& desktop, int slot);
    ~TDict() override;

    DictionaryCardData& dictData() { return dataAs<DictionaryCardData>(); }
    TDBDragGrid* dragGrid() const;
    DictionaryTableModel* tableModel() const { return model_; }
    int slot() const { return browser_.slot; }
    // Width of the word column, in characters.
    int columnChars() const { return columnChars_; }

    // --- DictionaryWindowHost ---
    DictionaryBrowser& browser() override { return browser_; }
    bool isShown() const override;
    bool gridHasFocus() const override;
    void focusGrid() override;
    void bringToFront() override { TBasPanel::bringToFront(); }
    void rowsChanged() override;
    void openInflectionWindow(int wordNo, const QString& word) override;
    void setBusy(bool busy) override;

    // --- the command panel and its commands ---
    // The rows the panel shows for the current row, in order, and their captions of this card.
    QStringList panelRows() const;
    void openCommandPanel(QPoint global);
    // Runs a command name of the panel; names the window does not know are ignored.
    void command(const QString& name);

    // A drop onto the grid (what a real drop hands over, and what tests call).
    bool DropOnGrid(const DragPayload& payload);
    // What dragging the current row carries.
    DragPayload dragPayload();
    // The title click: the next order.
    void TitleClick();
    // A double click on a row.
    void RowDoubleClick();

    void CardMouseDown(Qt::MouseButton button, QPoint global) override;
    void LayoutGrid() override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void showCurrentRow();
    void currentRowPicked(int row);
    void wordToClipboard();

    DictionaryBrowser browser_;
    DictionaryTableModel* model_;
    bool syncing_ = false;
    int columnChars_ = kStartColumnChars;
    QSize laidOutSize_;
};

// View > "&Dictionary Window   " (Ctrl+T) and the desktop pop-up: a new window in the first free
// slot, placed by the slot's cascade. Null after "Too many windows on desktop".
TDict* Newdictwindow1Click(TDesktop& desktop);
// Start-up: a saved window back in its slot with its place, size and order.
TDict* OpenSavedDictionaryWindow(TDesktop& desktop, const DictionaryWindowRestore& saved);
// Shutdown: the open windows in slot order (places in the visible part of the desktop).
std::vector<DictionaryWindowRecord> OpenDictionaryWindows(TDesktop& desktop);

}  // namespace qb
