#include "dictionary/ConceptCard.h"

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <exception>

#include "cards/CardPartsPanel.h"
#include "cards/CommandPanel.h"
#include "cards/CommandRows.h"
#include "cards/Desktop.h"
#include "cards/DragGrid.h"
#include "cards/DragPayload.h"
#include "dictionary/Concepts.h"
#include "dictionary/DictionaryTypes.h"
#include "dictionary/DictionaryWindows.h"
#include "dictionary/ExplodeMode.h"
#include "floor/Messages.h"
#include "platform/Colors.h"
#include "session/Session.h"

namespace qb {

namespace {

QColor colorOf(int stored, const QWidget& w) { return colors::toQColor(stored, w.palette()); }

}  // namespace

// --- the word list ---

TSynsListBox::TSynsListBox(TSynWheel& card) : QListWidget(&card), card_(card)
{
    setObjectName(QStringLiteral("synsList"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    const Settings& s = session().settings;
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(15);
    font.setBold(true);
    font.setItalic(true);
    setFont(font);
    QPalette p = palette();
    p.setColor(QPalette::Base, colorOf(s.synTableColor, *this));
    p.setColor(QPalette::Text, colorOf(s.synFontColor, *this));
    setPalette(p);
}

void TSynsListBox::mousePressEvent(QMouseEvent* e)
{
    card_.bringToFront();
    if (e->button() == Qt::RightButton) {
        // The panel opens where the press was.
        QListWidgetItem* item = itemAt(e->position().toPoint());
        if (item) setCurrentItem(item);
        card_.openCommandPanel(e->globalPosition().toPoint());
        e->accept();
        return;
    }
    QListWidget::mousePressEvent(e);
    QListWidgetItem* item = itemAt(e->position().toPoint());
    dragRow_ = item && item->isSelected() ? row(item) : -1;
    pressPoint_ = e->position().toPoint();
}

void TSynsListBox::mouseMoveEvent(QMouseEvent* e)
{
    if (dragRow_ >= 0 && e->buttons() != Qt::NoButton &&
        (e->position().toPoint() - pressPoint_).manhattanLength() >=
            QApplication::startDragDistance()) {
        int row = dragRow_;
        dragRow_ = -1;
        StartPayloadDrag(this, card_.dragPayload(row));
        return;
    }
    QListWidget::mouseMoveEvent(e);
}

void TSynsListBox::mouseReleaseEvent(QMouseEvent* e)
{
    dragRow_ = -1;
    QListWidget::mouseReleaseEvent(e);
}

void TSynsListBox::dragEnterEvent(QDragEnterEvent* e) { AcceptPayloadDrag(e); }

void TSynsListBox::dragMoveEvent(QDragMoveEvent* e) { AcceptPayloadDrag(e); }

void TSynsListBox::dropEvent(QDropEvent* e)
{
    std::optional<DragPayload> payload = PayloadOfDrop(e->mimeData());
    if (!payload) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
    card_.SWDragDrop(*payload);
}

// --- the card ---

TSynWheel::TSynWheel(TDesktop& desktop, std::unique_ptr<ConceptCardData> data)
    : TBasPanel(desktop, std::move(data)), list_(new TSynsListBox(*this))
{
    setObjectName(QStringLiteral("conceptCard"));
    setKindText(QStringLiteral("Concept"));
    setHelpContext(kHelpContext);
    conceptData().normalColor = session().settings.synFrameColor;
    ApplyColor();
    setConceptColor(conceptData().color);
    showWords();
    LayoutList();
}

void TSynWheel::setConceptColor(int color)
{
    conceptData().color = color;
    // The colour is an RGB value, not a stored system colour.
    QColor c(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
    focusMark()->setFillColor(c);
    corner()->setPointClr(c);
}

void TSynWheel::showWords()
{
    int selected = selectedRow();
    list_->clear();
    for (const ConceptWord& w : conceptData().words) list_->addItem(w.word);
    if (selected >= 0 && selected < list_->count()) list_->setCurrentRow(selected);
}

int TSynWheel::selectedRow() const
{
    QListWidgetItem* item = list_->currentItem();
    return item && item->isSelected() ? list_->row(item) : -1;
}

int TSynWheel::rowHeight() const
{
    int hint = list_->count() > 0 ? list_->sizeHintForRow(0) : -1;
    return hint > 0 ? hint : QFontMetrics(list_->font()).height() + 2;
}

void TSynWheel::fitToWords()
{
    resize(width(), int(conceptData().words.size()) * rowHeight() + kFrameHeight);
    data().normalSize = size();
    syncFromGeometry();
    LayoutList();
}

void TSynWheel::LayoutList()
{
    list_->setGeometry(5, 14, std::max(0, width() - 10), std::max(0, height() - 28));
    data().layoutValid = true;
    PlaceWidgets();
}

void TSynWheel::resizeEvent(QResizeEvent* e)
{
    TBasPanel::resizeEvent(e);
    LayoutList();
}

void TSynWheel::CornerMouseMove(QPoint global)
{
    TBasPanel::CornerMouseMove(global);
    LayoutList();
}

void TSynWheel::CornerMouseUp(Qt::MouseButton button, QPoint global)
{
    TBasPanel::CornerMouseUp(button, global);
    LayoutList();
}

void TSynWheel::CardDblClick()
{
    data().changed = true;
    TBasPanel::CardDblClick();
}

void TSynWheel::CardEnter()
{
    TBasPanel::CardEnter();
    if (dictionaryHooks().showConceptPicture)
        dictionaryHooks().showConceptPicture(conceptData().conceptId);
}

ConceptDropResult TSynWheel::SWDragDrop(const DragPayload& payload)
{
    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ConceptDropResult result = DropWordOnConcept(conceptData(), payload);
        QApplication::restoreOverrideCursor();
        if (result == ConceptDropResult::Added) {
            showWords();
            list_->setCurrentRow(list_->count() - 1);
            session().desktopDirty = true;
        }
        return result;
    } catch (const std::exception&) {
        QApplication::restoreOverrideCursor();
        PlainMessage(QStringLiteral("TSynWheel.SWDragDrop error"));
        return ConceptDropResult::Ignored;
    }
}

DragPayload TSynWheel::dragPayload(int row) const
{
    DragPayload payload;
    const auto& words = conceptData().words;
    if (row < 0 || row >= int(words.size())) return payload;
    payload.source = DragPayload::Source::ConceptWord;
    payload.wordNo = words[row].wordNo;
    payload.word = words[row].word.left(DragPayload::kMaxWordLength);
    payload.conceptId = conceptData().conceptId;
    payload.position = row;
    payload.sourceCard = const_cast<CardData*>(&data());
    return payload;
}

ConceptPanelRows TSynWheel::panelRows() const
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const bool picture = clipboard && clipboard->mimeData() && clipboard->mimeData()->hasImage();
    return ConceptPanelFor(conceptData(), selectedRow() >= 0, picture);
}

void TSynWheel::openCommandPanel(QPoint global)
{
    ConceptPanelRows rows = panelRows();
    TMyPopUpMenu::Request request;
    request.caption = rows.caption;
    request.rows = rows.rows;
    request.labels = rows.labels;
    if (dictionaryHooks().sendConceptAsXml) {
        for (const XmlSendRow& row : XmlSendRows(false)) {
            request.rows.insert(request.rows.size() - 1, row.command);
            request.temporaryRows.push_back({row.caption, row.command, QIcon(), 1});
        }
    }
    QString chosen = TMyPopUpMenu::instance().choose(this, global, request);
    if (!chosen.isEmpty()) command(chosen);
}

void TSynWheel::command(const QString& name)
{
    if (const int target = XmlSendTarget(name)) {
        if (dictionaryHooks().sendConceptAsXml)
            dictionaryHooks().sendConceptAsXml(target, conceptData().conceptId);
    } else if (name == QStringLiteral("ClipBoard")) {
        int row = selectedRow();
        if (row < 0) return;
        if (QClipboard* clipboard = QGuiApplication::clipboard())
            clipboard->setText(conceptData().words[row].word);
        if (session().shell.clipboardChanged) session().shell.clipboardChanged();
    } else if (name == QStringLiteral("Delete")) {
        DeleteCard();
    } else if (name == QStringLiteral("TestWord")) {
        if (mergeWordsOption() && selectedRow() >= 0) mergeWords();
    } else if (name == QStringLiteral("Drop")) {
        HideCard();
    } else if (name == QStringLiteral("ConnectImage")) {
        const QClipboard* clipboard = QGuiApplication::clipboard();
        if (dictionaryHooks().connectConceptImage)
            dictionaryHooks().connectConceptImage(conceptData().conceptId,
                                                  clipboard ? clipboard->image() : QImage());
    }
}

void TSynWheel::mergeWords()
{
    // The merge works on the store: what the desktop holds is written first, so that the words
    // of this card and of every other card are the ones merged, and no card writes a merged-away
    // word back afterwards.
    session().hooks.commit();
    CollapseList words = CollapseListOf(conceptData(), selectedRow());
    Timestamp id = conceptData().conceptId;
    // The merge clears the desktop, this card with it.
    MergeConceptWords(words, id);
}

// --- cards on the desktop ---

TSynWheel* PlaceNewConceptCard(TDesktop& desktop, ConceptCardData& card)
{
    QPoint pos = desktop.toDesktop(card.pos);
    SlotAnswer answer = desktop.GetSynWheelSlot(pos, card.conceptId);
    if (answer.isExisting()) return qobject_cast<TSynWheel*>(desktop.cardOf(answer.card));
    if (!answer.isNew()) return nullptr;
    auto data = std::make_unique<ConceptCardData>(card);
    data->pos = pos;
    auto* wheel = new TSynWheel(desktop, std::move(data));
    desktop.takeSlot(*wheel, answer.slot);
    wheel->show();
    wheel->bringToFront();
    card.slot = answer.slot;
    card.pos = pos;
    desktop.redrawMap();
    return wheel;
}

TSynWheel* NewConceptCardForWord(const QString& word, int wordNo)
{
    TDesktop* desktop = TDesktop::current();
    if (!desktop || wordNo <= 0) return nullptr;
    NewConceptRequest request;
    request.withWord = true;
    request.word = word;
    request.wordNo = wordNo;
    std::optional<ConceptCardData> card = NewConcept(request);
    if (!card) return nullptr;
    return qobject_cast<TSynWheel*>(desktop->findCard(CardKind::Concept, card->conceptId));
}

}  // namespace qb
