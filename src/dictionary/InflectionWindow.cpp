#include "dictionary/InflectionWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStandardItemModel>
#include <QToolButton>
#include <QVBoxLayout>

#include "cards/CardPartsPanel.h"
#include "cards/CommandPanel.h"
#include "cards/Desktop.h"
#include "cards/DragGrid.h"
#include "cards/PlacementCounters.h"
#include "dictionary/DialogPlace.h"
#include "dictionary/DictionaryWindows.h"
#include "dictionary/Words.h"
#include "floor/HelpTopic.h"
#include "floor/Messages.h"
#include "platform/Colors.h"
#include "platform/TextChecks.h"
#include "session/Session.h"

namespace qb {

namespace {

void refreshClipboardSize()
{
    if (session().shell.clipboardChanged) session().shell.clipboardChanged();
}

QWidget* dialogParent()
{
    return session().shell.mainWindow ? session().shell.mainWindow() : nullptr;
}

}  // namespace

// ---- the add-inflection dialog ----

TNew_Inflect::TNew_Inflect(int wordNo, const QString& word, QWidget* parent)
    : QDialog(parent), wordNo_(wordNo), input_(new QLineEdit(this)), erase_(new QToolButton(this))
{
    setObjectName(QStringLiteral("newInflectDialog"));
    setWindowTitle(QStringLiteral("ADD INFLECTION"));
    setWhatsThis(QString::number(TInflect::kHelpContext));
    SetHelpTopic(this, TInflect::kHelpContext);
    input_->setObjectName(QStringLiteral("Edit_TestWord"));
    // 38 characters; letters above U+FFFF take two units each, the add checks the count.
    input_->setMaxLength(2 * kFormFieldLength);
    input_->setText(word);
    input_->setMinimumWidth(260);
    erase_->setObjectName(QStringLiteral("SpeedButtonErase"));
    erase_->setText(QStringLiteral("\u2190"));
    erase_->setToolTip(QStringLiteral("Cut word from right"));
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    auto* row = new QHBoxLayout;
    row->addWidget(input_);
    row->addWidget(erase_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    connect(erase_, &QToolButton::clicked, this, [this] { SpeedButtonEraseClick(); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { OKBtnClick(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    placeSmallDialog(*this);
}

void TNew_Inflect::SpeedButtonEraseClick()
{
    QString text = input_->text();
    if (input_->hasSelectedText()) {
        text.remove(input_->selectionStart(), input_->selectedText().size());
    } else if (!text.isEmpty()) {
        text = LeftCodePoints(text, CodePointCount(text) - 1);
    }
    input_->setText(text);
    input_->setCursorPosition(int(text.size()));
    input_->setFocus();
}

void TNew_Inflect::OKBtnClick()
{
    result_ = AddForm(wordNo_, input_->text());
    rememberSmallDialogPlace(*this);
    accept();
}

// ---- the window ----

TInflect::TInflect(TDesktop& desktop, int wordNo, const QString& word, RenameAction rename)
    : TTower(desktop, std::make_unique<CardData>(CardKind::Inflection), new TDBDragGrid(nullptr)),
      wordNo_(wordNo),
      word_(LeftCodePoints(word, DragPayload::kMaxWordLength)),
      rename_(std::move(rename)),
      model_(new QStandardItemModel(this))
{
    setObjectName(QStringLiteral("inflectionWindow"));
    const Settings& s = session().settings;
    CardData& d = data();
    d.altSize = kAltSize;
    d.normalSize = TTower::kSize;
    setKindText(QStringLiteral("Inflections"));
    kindLabel()->setFixedWidth(
        std::max(kindLabel()->width(),
                 kindLabel()->fontMetrics().horizontalAdvance(kindLabel()->text()) + 4));
    setHelpContext(kHelpContext);
    // A list card keeps its colour when marked, so the colour is set once here.
    d.normalColor = s.inflFrameColor;
    TBasPanel::ApplyColor();

    TDBDragGrid* g = dragGrid();
    g->setObjectName(QStringLiteral("inflectionGrid"));
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setWordWrap(false);
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(15);
    font.setBold(true);
    g->setFont(font);
    QFont titleFont = g->horizontalHeader()->font();
    titleFont.setBold(true);
    g->horizontalHeader()->setFont(titleFont);
    QPalette p = g->palette();
    p.setColor(QPalette::Base, colors::toQColor(s.inflTableColor, p));
    p.setColor(QPalette::Text, colors::toQColor(s.inflFontColor, p));
    g->setPalette(p);
    g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    g->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 3);
    g->horizontalHeader()->setStretchLastSection(false);
    g->horizontalHeader()->setSectionsClickable(false);
    setModel(model_);

    connect(g, &QAbstractItemView::doubleClicked, this, [this] { RowDoubleClick(); });
    g->panel = [this](QPoint global) { openCommandPanel(global); };
    g->dragStart = [this]() -> std::optional<DragPayload> {
        if (currentRow() < 0) return std::nullopt;
        return dragPayload();
    };
    g->dropped = [this](const DragPayload& payload) { DropOnGrid(payload); };
    focusMark()->installEventFilter(this);
    Reload();
}

TDBDragGrid* TInflect::dragGrid() const { return static_cast<TDBDragGrid*>(grid()); }

int TInflect::currentRow() const
{
    int row = grid()->currentIndex().row();
    return row >= 0 && row < forms_.size() ? row : -1;
}

void TInflect::setCurrentRow(int row)
{
    if (row < 0 || row >= forms_.size()) return;
    QModelIndex at = model_->index(row, 0);
    grid()->selectionModel()->setCurrentIndex(
        at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    grid()->scrollTo(at, QAbstractItemView::EnsureVisible);
}

void TInflect::Reload()
{
    TTowerGrid* g = grid();
    g->setUpdatesEnabled(false);
    forms_ = FormsOfWord(wordNo_);
    model_->clear();
    model_->setColumnCount(1);
    for (const QString& form : forms_) {
        auto* item = new QStandardItem(form);
        item->setEditable(false);
        model_->appendRow(item);
    }
    model_->setHorizontalHeaderLabels({QLocale().toUpper(word_)});
    setCurrentRow(BaseFormRow(forms_, word_));
    g->setUpdatesEnabled(true);
    sized_ = false;
    LayoutGrid();
}

void TInflect::LayoutGrid()
{
    if (laying_) return;
    laying_ = true;
    if (!sized_ && model_) {
        // Set before the resize, whose event lays the card out again.
        sized_ = true;
        // Taller when this grid's rows and title need more than the rule's 20 pixels a row, so
        // that no form is hidden below the edge.
        const int rows = int(forms_.size());
        const QTableView* g = grid();
        const int fits = 28 + 2 * g->frameWidth() + g->horizontalHeader()->sizeHint().height() +
                         rows * g->verticalHeader()->defaultSectionSize();
        resize(width(), std::max(InflectionWindowHeight(rows), fits));
        syncFromGeometry();
    }
    TTower::LayoutGrid();
    if (model_ && grid()->model()) {
        FormColumn column = InflectionColumn(int(forms_.size()), width());
        // In characters never narrower than the grid, so no empty strip is left beside the forms.
        int pixels = column.inPixels
                         ? column.width
                         : std::max(column.width * QFontMetrics(grid()->font()).averageCharWidth(),
                                    grid()->viewport()->width());
        grid()->setColumnWidth(0, std::max(1, pixels));
    }
    laying_ = false;
}

QStringList TInflect::panelRows() const
{
    QStringList rows{QStringLiteral("ClipBoard"), QStringLiteral("TestWord")};
    if (forms_.size() >= 2) rows << QStringLiteral("Delete");
    if (!forms_.isEmpty()) rows << QStringLiteral("MultFindText");
    rows << QStringLiteral("Drop");
    return rows;
}

void TInflect::openCommandPanel(QPoint global)
{
    TMyPopUpMenu::Request request;
    int row = currentRow();
    request.caption = row >= 0 ? forms_.at(row) : word_;
    request.rows = panelRows();
    request.labels.insert(QStringLiteral("TestWord"), QStringLiteral("&Insert Word"));
    request.labels.insert(QStringLiteral("Delete"), QStringLiteral("Remove Wor&d"));
    QString chosen = TMyPopUpMenu::instance().choose(this, global, request);
    if (!chosen.isEmpty()) command(chosen);
}

void TInflect::command(const QString& name)
{
    if (name == QStringLiteral("GoTop")) {
        GoTop();
    } else if (name == QStringLiteral("TestWord")) {
        insertForm();
    } else if (name == QStringLiteral("Delete")) {
        removeForm();
    } else if (name == QStringLiteral("ClipBoard")) {
        formToClipboard();
    } else if (name == QStringLiteral("MultFindText")) {
        findInItemTexts();
    } else if (name == QStringLiteral("Drop")) {
        HideCard();
    }
}

void TInflect::insertForm()
{
    TNew_Inflect dialog(wordNo_, word_, dialogParent());
    dialog.exec();
    Reload();
}

void TInflect::removeForm()
{
    grid()->commitPendingEdit();
    int row = currentRow();
    if (row >= 0) RemoveForm(wordNo_, forms_.at(row));
    Reload();
}

void TInflect::findInItemTexts()
{
    const auto& search = dictionaryHooks().findInItemTexts;
    if (!search) return;
    session().flags.clearEscape();
    FindFormsInItemTexts(forms_, [&search](const QString& form) {
        return search(form) && !session().flags.escapeRequested();
    });
}

void TInflect::formToClipboard()
{
    int row = currentRow();
    if (row < 0) return;
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(forms_.at(row));
    refreshClipboardSize();
}

DragPayload TInflect::dragPayload() const
{
    DragPayload payload;
    payload.source = DragPayload::Source::InflectionWord;
    payload.wordNo = wordNo_;
    int row = currentRow();
    payload.word = row >= 0 ? LeftCodePoints(forms_.at(row), DragPayload::kMaxWordLength) : word_;
    payload.position = row;
    payload.sourceCard = const_cast<CardData*>(&data());
    return payload;
}

bool TInflect::showForm(const QString& text)
{
    int row = FormRow(forms_, text);
    if (row < 0) return false;
    setCurrentRow(row);
    bringToFront();
    return true;
}

bool TInflect::DropOnGrid(const DragPayload& payload)
{
    QString text;
    switch (payload.source) {
    case DragPayload::Source::Flyword: {
        if (showForm(payload.word)) return true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        grid()->hide();
        const bool added = AddForm(wordNo_, payload.word) == FormChange::Done;
        // The flyword became a form; one the store refused stays on the desktop.
        if (added && payload.sourceCard) {
            if (TBasPanel* flyword = desktop().cardOf(payload.sourceCard))
                flyword->HideCard();
            else
                payload.sourceCard->hidden = true;
        }
        Reload();
        grid()->show();
        QApplication::restoreOverrideCursor();
        return added;
    }
    case DragPayload::Source::ConceptWord:
    case DragPayload::Source::ItemKeyword: text = payload.word; break;
    case DragPayload::Source::Project:
    case DragPayload::Source::ItemProject: text = QLocale().toLower(payload.project); break;
    default: return false;
    }
    if (showForm(text)) return true;
    if (!session().settings.quiet)
        ShowInfo(QStringLiteral("Word not found in Inflections window"), QString(), kInformation,
                 kHelpContext);
    return false;
}

void TInflect::RowDoubleClick()
{
    int row = currentRow();
    if (row < 0 || !rename_) return;
    if (rename_(wordNo_, forms_.at(row))) {
        word_ = WordByNumber(wordNo_);
        Reload();
    }
}

void TInflect::CardMouseDown(Qt::MouseButton button, QPoint global)
{
    TTower::CardMouseDown(button, global);
    // The card's own surface (the grid takes its presses itself).
    if (button == Qt::RightButton) {
        ToggleSize();
        LayoutGrid();
    }
}

bool TInflect::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == focusMark() && e->type() == QEvent::MouseButtonPress) {
        ShowInfo(QStringLiteral("Not implemented in version ") + session().version(),
                 QStringLiteral("piv467"), kInformation, kHelpContext);
        return true;
    }
    return TTower::eventFilter(watched, e);
}

TInflect* OpenInflectionWindow(TDesktop& desktop, int wordNo, const QString& word,
                               TInflect::RenameAction rename, int width)
{
    auto* window = new TInflect(desktop, wordNo, word, std::move(rename));
    if (width > 0) {
        window->resize(width, window->height());
        window->LayoutGrid();
    }
    QWidget* top = desktop.window();
    QPoint place = NextInflectionPlace(placementCounters().inflections, session().settings,
                                       window->size(), top ? top->size() : desktop.size());
    window->move(desktop.toDesktop(place));
    window->syncFromGeometry();
    window->show();
    window->bringToFront();
    return window;
}

}  // namespace qb
