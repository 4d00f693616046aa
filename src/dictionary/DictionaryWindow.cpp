#include "dictionary/DictionaryWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>

#include "cards/CardPartsPanel.h"
#include "cards/CommandPanel.h"
#include "cards/CommandRows.h"
#include "cards/Desktop.h"
#include "cards/DragGrid.h"
#include "cards/DragPayload.h"
#include "dictionary/DeleteWordDialog.h"
#include "dictionary/DictionaryTableModel.h"
#include "dictionary/DictionaryWindowRules.h"
#include "dictionary/DictionaryWindows.h"
#include "dictionary/InflectionWindow.h"
#include "dictionary/Words.h"
#include "floor/Messages.h"
#include "platform/Colors.h"
#include "session/Session.h"

namespace qb {

namespace {

std::unique_ptr<CardData> newWindowData(int slot)
{
    auto data = std::make_unique<DictionaryCardData>();
    data->slot = slot;
    return data;
}

void refreshClipboardSize()
{
    if (session().shell.clipboardChanged) session().shell.clipboardChanged();
}

}  // namespace

TDict::TDict(TDesktop& desktop, int slot)
    : TTower(desktop, newWindowData(slot), new TDBDragGrid(nullptr)),
      model_(new DictionaryTableModel(browser_, this))
{
    setObjectName(QStringLiteral("dictionaryWindow"));
    const Settings& s = session().settings;
    DictionaryCardData& d = dictData();
    d.window = this;
    d.altSize = kAltSize;
    d.normalSize = TTower::kSize;
    browser_.slot = slot;
    desktop.takeSlot(*this, slot);

    setKindText(QStringLiteral("Dictionary"));
    kindLabel()->setFixedWidth(
        std::max(kindLabel()->width(),
                 kindLabel()->fontMetrics().horizontalAdvance(kindLabel()->text()) + 4));
    setHelpContext(kHelpContext);
    // A list card keeps its colour when marked, so the colour is set once here.
    d.normalColor = s.dictFrameColor;
    TBasPanel::ApplyColor();

    TDBDragGrid* g = dragGrid();
    g->setObjectName(QStringLiteral("dictionaryGrid"));
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setWordWrap(false);
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(15);
    font.setBold(true);
    g->setFont(font);
    QPalette p = g->palette();
    p.setColor(QPalette::Base, colors::toQColor(s.dictTableColor, p));
    p.setColor(QPalette::Text, colors::toQColor(s.dictFontColor, p));
    g->setPalette(p);
    g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    g->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 3);
    g->horizontalHeader()->setStretchLastSection(false);
    g->horizontalHeader()->setSectionsClickable(false);
    setModel(model_);

    connect(g->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& now) { currentRowPicked(now.row()); });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        // A reset keeps the selection model; the row is shown again from the browser.
        if (!syncing_) showCurrentRow();
    });
    connect(g, &QAbstractItemView::doubleClicked, this, [this] { RowDoubleClick(); });
    g->panel = [this](QPoint global) { openCommandPanel(global); };
    g->title = [this] { TitleClick(); };
    g->longPress = [this](int row) {
        if (row < 0 || row >= browser_.rowCount()) return;
        browser_.setCurrentIndex(row);
        rowsChanged();
        command(QStringLiteral("CallInflec"));
    };
    g->dragStart = [this]() -> std::optional<DragPayload> {
        if (browser_.rowCount() == 0) return std::nullopt;
        return dragPayload();
    };
    g->dropped = [this](const DragPayload& payload) { DropOnGrid(payload); };
    focusMark()->installEventFilter(this);

    move(desktop.windowCascadePosition(slot));
    syncFromGeometry();
    // The word column starts 24 characters wide; sizes the user gives it set it from then on.
    laidOutSize_ = size();
    LayoutGrid();
    rowsChanged();
}

TDict::~TDict()
{
    // While the desktop goes down it has already let go of its tables.
    if (cardHost() == &desktop()) desktop().slotTables().dictionaries.release(data().slot, &data());
    dictData().window = nullptr;
}

TDBDragGrid* TDict::dragGrid() const { return static_cast<TDBDragGrid*>(grid()); }

bool TDict::isShown() const { return !data().hidden && isVisibleTo(parentWidget()); }

bool TDict::gridHasFocus() const { return grid()->hasFocus(); }

void TDict::focusGrid() { grid()->setFocus(Qt::OtherFocusReason); }

void TDict::rowsChanged()
{
    syncing_ = true;
    model_->sync();
    showCurrentRow();
    syncing_ = false;
}

void TDict::showCurrentRow()
{
    TTowerGrid* g = grid();
    bool was = syncing_;
    syncing_ = true;
    if (browser_.rowCount() > 0) {
        QModelIndex at = model_->index(browser_.currentIndex(), 0);
        g->selectionModel()->setCurrentIndex(
            at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        g->scrollTo(at, QAbstractItemView::EnsureVisible);
    } else {
        g->selectionModel()->clear();
    }
    g->viewport()->update();
    g->horizontalHeader()->viewport()->update();
    syncing_ = was;
}

void TDict::currentRowPicked(int row)
{
    if (syncing_ || row < 0) return;
    browser_.setCurrentIndex(row);
}

void TDict::openInflectionWindow(int wordNo, const QString& word)
{
    QPointer<TDict> owner(this);
    auto rename = [owner](int number, const QString& form) {
        if (!owner) return false;
        // The window may stand on another row by now.
        owner->browser().positionOnWordNo(number);
        return RenameFromInflection(*owner, number, form);
    };
    OpenInflectionWindow(desktop(), wordNo, word, rename, width());
}

void TDict::setBusy(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

QStringList TDict::panelRows() const
{
    return {QStringLiteral("ClipBoard"),  QStringLiteral("Locate"),   QStringLiteral("AlphaOrder"),
            QStringLiteral("CallInflec"), QStringLiteral("TestWord"), QStringLiteral("Rename"),
            QStringLiteral("Delete"),     QStringLiteral("Drop")};
}

void TDict::openCommandPanel(QPoint global)
{
    TMyPopUpMenu::Request request;
    request.caption = browser_.current().word;
    request.rows = panelRows();
    request.labels.insert(QStringLiteral("Delete"), QStringLiteral("&Delete Word"));
    if (dictionaryHooks().sendWordAsXml) {
        for (const XmlSendRow& row : XmlSendRows(false)) {
            request.rows.insert(request.rows.size() - 1, row.command);
            request.temporaryRows.push_back({row.caption, row.command, QIcon(), 1});
        }
    }
    QString chosen = TMyPopUpMenu::instance().choose(this, global, request);
    if (!chosen.isEmpty()) command(chosen);
}

void TDict::command(const QString& name)
{
    if (const int target = XmlSendTarget(name)) {
        if (dictionaryHooks().sendWordAsXml && browser_.rowCount() > 0)
            dictionaryHooks().sendWordAsXml(target, browser_.current().wordNo);
    } else if (name == QStringLiteral("GoTop")) {
        browser_.goTop();
        if (GoTop()) rowsChanged();
    } else if (name == QStringLiteral("AlphaOrder")) {
        browser_.nextOrder();
        rowsChanged();
    } else if (name == QStringLiteral("TestWord")) {
        grid()->commitPendingEdit();
        InsertWordInWindow(*this);
        rowsChanged();
    } else if (name == QStringLiteral("Delete")) {
        RunDeleteWordDialog(browser_, this);
        rowsChanged();
    } else if (name == QStringLiteral("Rename")) {
        RunRenameWordDialog(browser_, this);
        rowsChanged();
    } else if (name == QStringLiteral("ClipBoard")) {
        wordToClipboard();
    } else if (name == QStringLiteral("Locate")) {
        LocateCommand(*this);
        rowsChanged();
    } else if (name == QStringLiteral("Drop")) {
        HideCard();
    } else if (name == QStringLiteral("CallInflec")) {
        if (browser_.rowCount() > 0) {
            DictionaryRow row = browser_.current();
            openInflectionWindow(row.wordNo, row.word);
        }
    }
}

void TDict::wordToClipboard()
{
    if (browser_.rowCount() == 0) return;
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(browser_.current().word);
    refreshClipboardSize();
}

DragPayload TDict::dragPayload()
{
    DictionaryRow row = browser_.current();
    DragPayload payload;
    payload.source = DragPayload::Source::DictionaryWord;
    payload.wordNo = row.wordNo;
    payload.word = row.word.left(DragPayload::kMaxWordLength);
    payload.position = browser_.currentIndex();
    payload.sourceCard = &data();
    return payload;
}

bool TDict::DropOnGrid(const DragPayload& payload)
{
    DictDrop drop;
    switch (payload.source) {
    case DragPayload::Source::ConceptWord:
    case DragPayload::Source::ItemKeyword:
        drop.source = DictDropSource::ConceptOrKeyword;
        drop.wordNo = payload.wordNo;
        break;
    case DragPayload::Source::DictionaryWord:
        // Dropped back on itself: the window stays where it is.
        if (payload.sourceCard == &data()) return true;
        drop.source = DictDropSource::DictionaryWindow;
        drop.wordNo = payload.wordNo;
        break;
    case DragPayload::Source::Project:
        drop.source = DictDropSource::Project;
        drop.text = payload.project;
        break;
    case DragPayload::Source::InflectionWord:
        drop.source = DictDropSource::InflectionWindow;
        drop.wordNo = payload.wordNo;
        break;
    case DragPayload::Source::Flyword:
        drop.source = DictDropSource::Flyword;
        drop.text = payload.word;
        break;
    default: return false;
    }
    bool found = DropOnDictionary(*this, drop);
    rowsChanged();
    return found;
}

void TDict::TitleClick()
{
    browser_.nextOrder();
    rowsChanged();
}

void TDict::RowDoubleClick()
{
    if (browser_.rowCount() == 0) return;
    TouchWord(browser_);
    rowsChanged();
}

void TDict::CardMouseDown(Qt::MouseButton button, QPoint global)
{
    TTower::CardMouseDown(button, global);
    // The card's own surface (the grid takes its presses itself).
    if (button == Qt::RightButton) {
        ToggleSize();
        LayoutGrid();
    }
}

void TDict::LayoutGrid()
{
    TTower::LayoutGrid();
    // The word column follows the card: a character for every eight pixels beyond the frame.
    if (size() != laidOutSize_) {
        laidOutSize_ = size();
        columnChars_ = std::max(1, (width() - 32) / 8);
    }
    QFontMetrics fm(grid()->font());
    // Never narrower than the grid, so no empty strip is left beside the words.
    int width = std::max(columnChars_ * fm.averageCharWidth(), grid()->viewport()->width());
    if (grid()->model()) grid()->setColumnWidth(0, width);
}

bool TDict::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == focusMark() && e->type() == QEvent::MouseButtonPress) {
        ShowInfo(QStringLiteral("Not implemented in version ") + session().version(),
                 QStringLiteral("piv467"), kInformation, kHelpContext);
        return true;
    }
    return TTower::eventFilter(watched, e);
}

TDict* Newdictwindow1Click(TDesktop& desktop)
{
    int slot = desktop.GetDictionarySlot();
    if (slot == 0) return nullptr;
    auto* window = new TDict(desktop, slot);
    window->show();
    window->bringToFront();
    window->focusGrid();
    return window;
}

TDict* OpenSavedDictionaryWindow(TDesktop& desktop, const DictionaryWindowRestore& saved)
{
    const int slot = desktop.slotTables().dictionaries.slotToRestore(saved.number);
    if (slot == 0) return nullptr;
    auto* window = new TDict(desktop, slot);
    window->restorePlace(saved.geometry);
    window->LayoutGrid();
    if (saved.sortOrder != 0) window->browser().setStoredOrder(saved.sortOrder);
    window->rowsChanged();
    window->show();
    return window;
}

std::vector<DictionaryWindowRecord> OpenDictionaryWindows(TDesktop& desktop)
{
    std::vector<DictionaryWindowRecord> records;
    SlotTable& table = desktop.slotTables().dictionaries;
    for (int s = 1; s <= table.capacity(); ++s) {
        CardData* data = table.at(s);
        auto* window = data ? qobject_cast<TDict*>(desktop.cardOf(data)) : nullptr;
        if (!window || data->hidden || data->unfreeable) continue;
        records.push_back(
            {QRect(window->visiblePos(), window->size()), window->browser().storedOrderCode()});
    }
    return records;
}

}  // namespace qb
