#include "items/ItemCard.h"

#include "cards/CardPartsPanel.h"
#include "cards/CommandPanel.h"
#include "cards/CommandRows.h"
#include "cards/Desktop.h"
#include "floor/Messages.h"
#include "items/Associations.h"
#include "items/DesktopPicturePanel.h"
#include "items/DroppedWordConcepts.h"
#include "items/ImageUpdateDialog.h"
#include "items/ItemCommands.h"
#include "items/ItemHooks.h"
#include "items/ItemLinks.h"
#include "items/ItemPicture.h"
#include "items/ItemRecord.h"
#include "items/SelectConceptDialog.h"
#include "items/ShowRecords.h"
#include "platform/Colors.h"
#include "platform/FileNames.h"
#include "session/ExecFile.h"
#include "session/ExternalPrograms.h"
#include "session/Session.h"

#include <memory>
#include <utility>

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QUrl>

#include <cmath>

namespace qb {

namespace {

constexpr int kFlipSlack = 6;

QColor stored(int value, const QPalette& palette) { return colors::toQColor(value, palette); }

void paintPart(QWidget* w, int base, int textColor)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, stored(base, p));
    p.setColor(QPalette::Text, stored(textColor, p));
    // The selection stays visible while another card has the focus.
    p.setColor(QPalette::Inactive, QPalette::Highlight,
               p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText,
               p.color(QPalette::Active, QPalette::HighlightedText));
    w->setPalette(p);
}

bool ourDrag(const QMimeData* mime) { return mime && mime->hasFormat(DragPayload::mimeType()); }

// Local files from the file manager, taken only while something can read them into a card.
QStringList droppedFilePaths(const QMimeData* mime)
{
    QStringList paths;
    if (!mime || !mime->hasUrls() || !itemHooks().droppedFiles) return paths;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    return paths;
}

// The payload of a drop, with the source card when the drag started in this program.
DragPayload payloadOf(const QMimeData* mime)
{
    DragPayload payload = DragPayload::decode(mime->data(DragPayload::mimeType()));
    const DragPayload& current = CurrentDrag();
    if (current.source == payload.source && current.position == payload.position &&
        sameId(current.itemId, payload.itemId, 1e-11L) && current.wordNo == payload.wordNo)
        payload.sourceCard = current.sourceCard;
    return payload;
}

// The text cut to the item limit; the user is told what did not fit.
QString limitedText(QString text)
{
    ReportTextCut(LimitItemText(text));
    return text;
}

void refreshClipboardSize()
{
    if (session().shell.clipboardChanged) session().shell.clipboardChanged();
}

}  // namespace

// --- the lists ---

TItemListBox::TItemListBox(TItem& card, ItemPart part)
    : QListWidget(&card), card_(card), part_(part)
{
    setObjectName(part == ItemPart::Keys ? QStringLiteral("keyList") : QStringLiteral("urlList"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(false);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::ClickFocus);
    const Settings& s = session().settings;
    if (part == ItemPart::Keys) {
        QFont f(QStringLiteral("Times New Roman"));
        f.setPixelSize(15);
        f.setBold(true);
        f.setItalic(true);
        setFont(f);
        paintPart(this, s.itemKeyTableColor, s.itemKeyFontColor);
    } else {
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(13);
        setFont(f);
        paintPart(this, s.itemProjTableColor, s.itemProjFontColor);
    }
}

void TItemListBox::paintEvent(QPaintEvent* e)
{
    QListWidget::paintEvent(e);
    if (part_ != ItemPart::Keys || count() > 0) return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(viewport()->rect().adjusted(4, 2, -4, -2),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, noKeywordNote());
}

int TItemListBox::selectedRow() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.first());
}

int TItemListBox::rowHeight() const
{
    if (count() > 0) {
        const int h = visualItemRect(item(0)).height();
        if (h > 0) return h;
    }
    return fontMetrics().height();
}

int TItemListBox::firstVisibleRow() const
{
    const QModelIndex top = indexAt(QPoint(1, 1));
    return top.isValid() ? top.row() : 0;
}

void TItemListBox::mousePressEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    const QModelIndex index = indexAt(pos);
    if (e->button() == Qt::RightButton) {
        if (index.isValid()) setCurrentRow(index.row());
        e->accept();
        card_.openCommandPanel(part_, e->globalPosition().toPoint());
        return;
    }
    QListWidget::mousePressEvent(e);
    if (e->button() != Qt::LeftButton) return;
    pressPos_ = pos;
    pressRow_ = index.isValid() ? index.row() : -1;
    if (part_ == ItemPart::Keys)
        card_.setKeywordDragStart(KeywordRowAt(pos.y(), rowHeight(), firstVisibleRow()));
}

void TItemListBox::mouseMoveEvent(QMouseEvent* e)
{
    if ((e->buttons() & Qt::LeftButton) && pressRow_ >= 0 &&
        (e->position().toPoint() - pressPos_).manhattanLength() >=
            QApplication::startDragDistance()) {
        const int row = pressRow_;
        pressRow_ = -1;
        startDrag(row);
        return;
    }
    QListWidget::mouseMoveEvent(e);
}

void TItemListBox::mouseReleaseEvent(QMouseEvent* e)
{
    pressRow_ = -1;
    QListWidget::mouseReleaseEvent(e);
}

void TItemListBox::mouseDoubleClickEvent(QMouseEvent* e)
{
    e->accept();
    card_.ToggleSize();
}

void TItemListBox::startDrag(int row)
{
    ItemCardData& data = card_.item();
    DragPayload payload;
    payload.itemId = data.itemId;
    payload.position = row;
    payload.sourceCard = &data;
    QString shown;
    if (part_ == ItemPart::Keys) {
        if (row >= data.keyCount()) return;
        const KeywordLink& link = data.keywords[size_t(row)];
        payload.source = DragPayload::Source::ItemKeyword;
        payload.wordNo = link.wordNo;
        payload.word = link.word.left(DragPayload::kMaxWordLength);
        payload.conceptId = link.conceptId;
        shown = payload.word;
        // A commit that starts while the keyword is on its way leaves this card alone.
        data.beingReordered = true;
    } else {
        if (row >= data.projCount()) return;
        payload.source = DragPayload::Source::ItemProject;
        payload.project = data.projects[row].left(DragPayload::kMaxWordLength);
        shown = payload.project;
    }
    CurrentDrag() = payload;
    QPointer<TItem> card(&card_);
    auto* mime = new QMimeData;
    mime->setData(DragPayload::mimeType(), payload.encode());
    mime->setText(shown);
    QPointer<QDrag> drag = new QDrag(this);
    drag->setMimeData(mime);
    QFontMetrics fm(font());
    QPixmap picture(fm.horizontalAdvance(shown) + 8, fm.height() + 4);
    picture.fill(palette().color(QPalette::Base));
    {
        QPainter p(&picture);
        p.setFont(font());
        p.setPen(palette().color(QPalette::Text));
        p.drawRect(picture.rect().adjusted(0, 0, -1, -1));
        p.drawText(picture.rect(), Qt::AlignCenter, shown);
    }
    drag->setPixmap(picture);
    drag->setHotSpot(QPoint(-8, picture.height() / 2));
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
    if (card) card->item().beingReordered = false;
    CurrentDrag() = DragPayload();
}

void TItemListBox::dragEnterEvent(QDragEnterEvent* e)
{
    if (ourDrag(e->mimeData()))
        e->acceptProposedAction();
    else
        e->ignore();
}

void TItemListBox::dragMoveEvent(QDragMoveEvent* e)
{
    if (ourDrag(e->mimeData()))
        e->acceptProposedAction();
    else
        e->ignore();
}

void TItemListBox::dropEvent(QDropEvent* e)
{
    if (!ourDrag(e->mimeData())) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
    card_.DropOn(part_, payloadOf(e->mimeData()),
                 viewport()->mapTo(&card_, e->position().toPoint()));
}

// --- the text ---

TItemText::TItemText(TItem& card) : QPlainTextEdit(&card), card_(card)
{
    setObjectName(QStringLiteral("itemText"));
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    document()->setDocumentMargin(2);
    const Settings& s = session().settings;
    paintPart(this, s.itemTextTableColor, s.itemTextFontColor);
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int position, int removed, int added) {
                card_.lastChangeEnd_ = position + added;
                card_.lastChangeGrowth_ = added - removed;
            });
    connect(this, &QPlainTextEdit::textChanged, this, [this] { card_.textEdited(); });
}

void TItemText::setWholeText(const QString& text)
{
    // What setPlainText leaves (the caret at the start, no undo, not modified), with the
    // paragraphs shaped fewer times: setPlainText lays the text out again for its character
    // format and for the caret, and without kept glyphs the caret's place and every paint shape
    // the whole paragraph again. A new editor and its viewport take their sizes first, as their
    // show would: each of those resizes lays the document out anew, so any layout before it is
    // lost.
    for (QWidget* part : {static_cast<QWidget*>(this), viewport()}) {
        if (!part->testAttribute(Qt::WA_PendingResizeEvent)) continue;
        QResizeEvent resize(part->size(), QSize());
        QCoreApplication::sendEvent(part, &resize);
        part->setAttribute(Qt::WA_PendingResizeEvent, false);
    }
    QTextDocument* doc = document();
    doc->setPlainText(text);
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
        block.layout()->setCacheEnabled(true);
    setTextCursor(QTextCursor(doc));
    doc->setModified(false);
}

QString TItemText::cardText() const
{
    QString out;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block != document()->begin()) out += QLatin1Char('\n');
        out += block.text();
    }
    return out;
}

void TItemText::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::RightButton) {
        e->accept();
        card_.textRightPress(e->globalPosition().toPoint());
        return;
    }
    QPlainTextEdit::mousePressEvent(e);
}

void TItemText::mouseDoubleClickEvent(QMouseEvent* e)
{
    QPlainTextEdit::mouseDoubleClickEvent(e);
    if (e->button() == Qt::LeftButton) card_.textDoubleClick();
}

void TItemText::contextMenuEvent(QContextMenuEvent* e)
{
    // The right press has opened the card's own commands already.
    e->accept();
}

void TItemText::dragEnterEvent(QDragEnterEvent* e)
{
    if (ourDrag(e->mimeData()) || !droppedFilePaths(e->mimeData()).isEmpty())
        e->acceptProposedAction();
    else
        QPlainTextEdit::dragEnterEvent(e);
}

void TItemText::dragMoveEvent(QDragMoveEvent* e)
{
    if (ourDrag(e->mimeData()) || !droppedFilePaths(e->mimeData()).isEmpty())
        e->acceptProposedAction();
    else
        QPlainTextEdit::dragMoveEvent(e);
}

void TItemText::dropEvent(QDropEvent* e)
{
    const QStringList files = droppedFilePaths(e->mimeData());
    if (!ourDrag(e->mimeData()) && !files.isEmpty()) {
        e->acceptProposedAction();
        card_.DropFiles(files);
        return;
    }
    if (!ourDrag(e->mimeData())) {
        QPlainTextEdit::dropEvent(e);
        return;
    }
    e->acceptProposedAction();
    card_.DropOn(ItemPart::Text, payloadOf(e->mimeData()),
                 viewport()->mapTo(&card_, e->position().toPoint()));
}

// --- the divider handle ---

TThreeDiv::TThreeDiv(TItem& card) : QWidget(&card), card_(card)
{
    setObjectName(QStringLiteral("divider"));
    setFixedSize(kDividerSize);
    setCursor(Qt::SizeAllCursor);
    setToolTip(QStringLiteral("Drag to share the card between text, keywords and projects"));
    hide();
}

void TThreeDiv::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(0, 0, width() - 1, 0);
    p.drawLine(0, 0, 0, height() - 1);
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(width() - 1, 0, width() - 1, height() - 1);
    p.drawLine(0, height() - 1, width() - 1, height() - 1);
    p.setPen(palette().color(QPalette::Shadow));
    p.drawLine(3, height() / 2, width() - 4, height() / 2);
    p.drawLine(width() / 2, 3, width() / 2, height() - 4);
}

void TThreeDiv::mousePressEvent(QMouseEvent* e)
{
    e->accept();
    dragging_ = e->button() == Qt::LeftButton;
}

void TThreeDiv::mouseMoveEvent(QMouseEvent* e) { e->accept(); }

void TThreeDiv::mouseReleaseEvent(QMouseEvent* e)
{
    e->accept();
    if (!dragging_) return;
    dragging_ = false;
    const QPoint at = mapTo(&card_, e->position().toPoint());
    // Only a drop on the card's own text or lists counts.
    for (QWidget* part :
         {static_cast<QWidget*>(card_.textEditor()), static_cast<QWidget*>(card_.keyList()),
          static_cast<QWidget*>(card_.urlList())}) {
        if (part->isVisible() && part->geometry().contains(at)) {
            card_.DropDivider(at);
            return;
        }
    }
}

// --- the picture panel ---

TItemPicture::TItemPicture(TItem& card) : QFrame(&card), card_(card)
{
    setObjectName(QStringLiteral("picturePanel"));
    setAutoFillBackground(true);
    setFocusPolicy(Qt::ClickFocus);
    QPalette p = palette();
    p.setColor(QPalette::Window, stored(session().settings.itemTextTableColor, p));
    setPalette(p);
    hide();
}

void TItemPicture::setImage(const QImage& image)
{
    image_ = image;
    update();
}

void TItemPicture::paintEvent(QPaintEvent*)
{
    if (image_.isNull()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSize shown = image_.size().scaled(size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - shown.width()) / 2, (height() - shown.height()) / 2),
                       shown);
    p.drawImage(target, image_);
}

void TItemPicture::mousePressEvent(QMouseEvent* e)
{
    e->accept();
    if (e->button() == Qt::RightButton)
        card_.openCommandPanel(ItemPart::Picture, e->globalPosition().toPoint());
}

// --- the card ---

TItem::TItem(TDesktop& desktop, std::unique_ptr<ItemCardData> data)
    : TBasPanel(desktop, std::move(data)), divider_(new TThreeDiv(*this))
{
    const Settings& s = session().settings;
    setObjectName(QStringLiteral("itemCard"));
    setHelpContext(kHelpContext);
    setKindText(QStringLiteral("Item"));
    ItemCardData& d = item();
    d.normalColor = s.itemFrameColor;
    d.markedColor = s.itemSlctColor;
    d.normalSize = QSize(s.itemWidth, s.itemHeight);
    d.altSize = QSize(s.altItemWidth, s.altItemHeight);
    d.size = d.normalSize;
    d.text = NormalizeLineBreaks(d.text);
    textWidthShare_ = s.textWidthShareInCombined;
    textHeightShare_ = s.textHeightShareInCombined;
    focusMark()->installEventFilter(this);
    focusMark()->setToolTip(QStringLiteral("Edit the text in the text editor"));
    if (d.hasPicture) {
        ensurePicturePanel();
        picture_->setImage(d.picture);
    }
    applyDataGeometry();
    ApplyColor();
    Layout();
    setItemText(d.text);
    viewWatch_ = connect(&desktop, &TDesktop::viewChanged, this, [this] {
        if (inView()) ensureText();
    });
}

TItem::~TItem() = default;

// --- sides and layout ---

void TItem::setContentsUp(ContentsTypes side) { showSide(side, true); }

void TItem::turnTo(ContentsTypes side) { showSide(side, false); }

void TItem::showSide(ContentsTypes side, bool focus)
{
    if (side == ctxNone) return;
    if (side == ctxImage && !item().hasPicture) side = ctxText;
    up_ = side;
    Layout();
    if (!focus || !isVisible()) return;
    if (pictureShown() && picture_)
        picture_->setFocus(Qt::OtherFocusReason);
    else
        frontPart()->setFocus(Qt::OtherFocusReason);
}

bool TItem::pictureShown() const
{
    if (!picture_ || !item().hasPicture || up_ == ctxCombined) return false;
    return up_ == ctxImage || (up_ == ctxText && item().text.trimmed().isEmpty());
}

QWidget* TItem::frontPart() const
{
    switch (up_) {
    case ctxKeys: return keyList();
    case ctxUrls: return urlList();
    default: return textEditor();
    }
}

void TItem::Layout()
{
    if (laying_) return;
    laying_ = true;
    if (up_ == ctxCombined || up_ == ctxKeys || up_ == ctxUrls) ensureLists();
    const ItemLayout l = partsLayout();
    if (text_) text_->setGeometry(l.text);
    if (keys_) {
        keys_->setGeometry(l.keys);
        urls_->setGeometry(l.urls);
    }
    if (picture_) picture_->setGeometry(l.picture);
    if (l.combined) {
        if (text_) text_->show();
        keys_->show();
        urls_->show();
        divider_->setGeometry(l.divider);
        divider_->show();
        divider_->raise();
    } else {
        divider_->hide();
        // The front part, without making a text editor the card does not show yet.
        const bool textUp = up_ != ctxKeys && up_ != ctxUrls;
        QWidget* front = textUp && !text_ ? nullptr : frontPart();
        for (QWidget* part : {static_cast<QWidget*>(text_), static_cast<QWidget*>(keys_),
                              static_cast<QWidget*>(urls_)})
            if (part) part->setVisible(part == front);
        if (front) front->raise();
    }
    if (picture_) {
        const bool shown = pictureShown();
        picture_->setVisible(shown);
        if (shown) {
            picture_->raise();
            picture_->update();
        }
    }
    // A narrow list scrolled sideways to its current entry would show names cut at the left.
    if (keys_) {
        keys_->horizontalScrollBar()->setValue(0);
        urls_->horizontalScrollBar()->setValue(0);
    }
    if (text_) {
        applyTextFont();
        if (inBook_) {
            resize(width(), BookPageHeight(QFontMetrics(text_->font()).height(), bookLines()));
            text_->setGeometry(
                LayoutItemParts(size(), up_, textWidthShare_, textHeightShare_).text);
        }
        text_->viewport()->update();
    }
    PlaceWidgets();
    bringToFront();
    // While the user works in the text, the caret is the user's.
    if (text_ && !text_->hasFocus()) restoreSelection();
    data().layoutValid = true;
    laying_ = false;
}

void TItem::applyTextFont()
{
    if (!text_) return;
    const bool expanded = data().expanded;
    QFont f(expanded ? QStringLiteral("Courier New") : QStringLiteral("Times New Roman"));
    const int width = text_->width();
    f.setPointSize(inBook_ ? 10 : TextPointSizeForWidth(width));
    f.setBold(expanded);
    if (f != text_->font()) text_->setFont(f);
    text_->setVerticalScrollBarPolicy(expanded ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

// The text's lines as the page shows them: every paragraph wrapped at the text's width.
int TItem::bookLines() const
{
    TItemText* text = textEditor();
    const qreal margin = text->document()->documentMargin();
    const qreal width = std::max<qreal>(1, text->viewport()->width() - 2 * margin);
    int lines = 0;
    for (QTextBlock b = text->document()->begin(); b.isValid(); b = b.next()) {
        QTextLayout layout(b.text(), text->font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            ++lines;
        }
        layout.endLayout();
    }
    return std::max(1, lines);
}

void TItem::setInBook(bool inBook)
{
    // A book page is as high as its text's lines.
    if (inBook) ensureText();
    inBook_ = inBook;
    Layout();
}

ItemLayout TItem::partsLayout() const
{
    ItemLayout l = LayoutItemParts(size(), up_, textWidthShare_, textHeightShare_);
    if (l.combined) {
        const TURLListBox* urls = urlList();
        FitStripToRows(l, urls->count() > 0 ? urls->sizeHintForRow(0) : 0, 2 * urls->frameWidth());
    }
    return l;
}

void TItem::placeParts()
{
    const ItemLayout l = partsLayout();
    if (text_) text_->setGeometry(l.text);
    if (keys_) {
        keys_->setGeometry(l.keys);
        urls_->setGeometry(l.urls);
    }
    if (picture_) picture_->setGeometry(l.picture);
    if (l.combined) divider_->setGeometry(l.divider);
}

void TItem::resizeEvent(QResizeEvent* e)
{
    TBasPanel::resizeEvent(e);
    if (laying_) return;
    placeParts();
    if (!text_ && inView()) ensureText();
}

void TItem::moveEvent(QMoveEvent* e)
{
    TBasPanel::moveEvent(e);
    if (!text_ && !laying_ && inView()) ensureText();
}

void TItem::showEvent(QShowEvent* e)
{
    TBasPanel::showEvent(e);
    if (!text_ && inView()) ensureText();
}

void TItem::paintEvent(QPaintEvent* e)
{
    TBasPanel::paintEvent(e);
    // Painted, so seen: a way into view the desktop did not report.
    if (!text_)
        QMetaObject::invokeMethod(
            this, [this] { ensureText(); }, Qt::QueuedConnection);
}

bool TItem::inView() const
{
    if (isHidden()) return false;
    const TDesktop& d = desktop();
    return geometry().intersects(QRect(d.scroll(), d.visibleSize()));
}

void TItem::ensureText() const
{
    if (text_) return;
    auto* self = const_cast<TItem*>(this);
    QObject::disconnect(self->viewWatch_);
    text_ = new TItemText(*self);
    // Its place, side and font first, so the text is shaped once, at its size. Only the text
    // part is placed: a whole layout would also bring the card to the front as it comes into
    // view.
    if (inBook_) {
        self->Layout();
    } else {
        const ItemLayout l = partsLayout();
        text_->setGeometry(l.text);
        text_->setVisible(l.combined || (up_ != ctxKeys && up_ != ctxUrls));
        if (l.combined) divider_->raise();
        if (picture_ && pictureShown()) picture_->raise();
        self->applyTextFont();
    }
    self->loading_ = true;
    text_->setWholeText(item().text);
    self->loading_ = false;
    if (!text_->hasFocus()) self->restoreSelection();
}

// --- text, lists, picture ---

void TItem::setItemText(const QString& text)
{
    // Not cut to the limit: a stored text is kept whole, whatever its length.
    const QString normal = NormalizeLineBreaks(text);
    if (text_) {
        loading_ = true;
        text_->setWholeText(normal);
        loading_ = false;
    }
    // The card keeps the text as given; the editor's own copy is read back only after an edit.
    item().text = normal;
}

void TItem::textEdited()
{
    if (loading_) return;
    QTextDocument* doc = text_->document();
    const int length = doc->characterCount() - 1;
    // Only what an edit adds is cut: a longer text from elsewhere loses nothing it had.
    if (length > ItemCardData::kMaxTextLength && lastChangeGrowth_ > 0) {
        const int growth = lastChangeGrowth_;
        const int excess = std::min(length - ItemCardData::kMaxTextLength, growth);
        const int end = std::clamp(lastChangeEnd_, excess, length);
        int start = end - excess;
        if (start > 0 && doc->characterAt(start - 1).isHighSurrogate()) --start;
        QTextCursor cursor(doc);
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();  // edits again, and that edit records the text
        // One typed character too many only beeps, as a full edit box does; a paste or a drop
        // says what it lost, once the editor has finished its edit.
        if (growth > 1)
            QTimer::singleShot(0, this, [excess] { ReportTextCut(excess); });
        else
            WarningBeep();
        return;
    }
    item().text = text_->cardText();
    item().changed = true;
}

TKeyListBox* TItem::keyList() const
{
    ensureLists();
    return keys_;
}

TURLListBox* TItem::urlList() const
{
    ensureLists();
    return urls_;
}

void TItem::ensureLists() const
{
    if (keys_) return;
    auto* self = const_cast<TItem*>(this);
    keys_ = new TKeyListBox(*self);
    urls_ = new TURLListBox(*self);
    self->fillLists();
    // Placed and shown as the side up wants them; a Layout under way does that itself.
    if (laying_) return;
    const ItemLayout l = partsLayout();
    keys_->setGeometry(l.keys);
    urls_->setGeometry(l.urls);
    keys_->setVisible(l.combined || up_ == ctxKeys);
    urls_->setVisible(l.combined || up_ == ctxUrls);
}

void TItem::refreshLists()
{
    // Lists not made yet are filled from the data when they are.
    if (!keys_) return;
    fillLists();
    // The strip's whole-row fit depends on the rows' height, known once there are rows.
    if (up_ == ctxCombined && !laying_) placeParts();
}

void TItem::fillLists()
{
    const ItemCardData& d = item();
    const int keyRow = keys_->currentRow();
    const int urlRow = urls_->currentRow();
    keys_->clear();
    for (const KeywordLink& link : d.keywords) keys_->addItem(link.word);
    urls_->clear();
    urls_->addItems(d.projects);
    if (keyRow >= 0 && keyRow < keys_->count()) keys_->setCurrentRow(keyRow);
    if (urlRow >= 0 && urlRow < urls_->count()) urls_->setCurrentRow(urlRow);
}

void TItem::ensurePicturePanel()
{
    if (picture_) return;
    picture_ = new TItemPicture(*this);
    picture_->setGeometry(LayoutItemParts(size(), up_, textWidthShare_, textHeightShare_).picture);
    corner()->raise();
    closeSign()->raise();
}

void TItem::setPicture(const QImage& image)
{
    ensurePicturePanel();
    ItemCardData& d = item();
    d.picture = image;
    d.hasPicture = true;
    d.pictureUnread = false;
    d.changed = true;
    picture_->setImage(image);
    Layout();
}

void TItem::DropFiles(const QStringList& paths)
{
    if (paths.isEmpty() || !itemHooks().droppedFiles) return;
    const std::optional<QString> text = itemHooks().droppedFiles(paths, item().text);
    if (!text) return;
    setItemText(*text);
    item().changed = true;
}

void TItem::removePicture()
{
    ItemCardData& d = item();
    d.hasPicture = false;
    d.pictureUnread = false;
    d.picture = QImage();
    d.changed = true;
    if (picture_) picture_->setImage(QImage());
    setContentsUp(ctxText);
}

void TItem::showDataPicture()
{
    if (!item().hasPicture) return;
    ensurePicturePanel();
    picture_->setImage(item().picture);
    Layout();
}

void TItem::setGroupColor(const QColor& color)
{
    if (!color.isValid()) return;
    groupColor_ = color;
    focusMark()->setFillColor(color);
    corner()->setPointClr(color);
}

void TItem::setSavedSelection(int start, int length)
{
    selectionStart_ = start;
    selectionLength_ = length;
}

void TItem::saveSelection()
{
    if (!text_) return;  // nothing selected in a text not shown yet
    const QTextCursor cursor = text_->textCursor();
    selectionStart_ = cursor.selectionStart();
    selectionLength_ = cursor.selectionEnd() - cursor.selectionStart();
}

void TItem::restoreSelection()
{
    if (!text_) return;  // applied when the editor is made
    if (selectionStart_ < 0 || selectionLength_ <= 0) return;
    const int length = text_->document()->characterCount() - 1;
    if (selectionStart_ + selectionLength_ > length) return;
    QTextCursor cursor(text_->document());
    cursor.setPosition(selectionStart_);
    cursor.setPosition(selectionStart_ + selectionLength_, QTextCursor::KeepAnchor);
    text_->setTextCursor(cursor);
    // A hit deep in a long text is scrolled into sight, again once the card has been laid out
    // and shown: before that the text may not have its height yet.
    text_->ensureCursorVisible();
    QTimer::singleShot(0, text_, [text = QPointer<QPlainTextEdit>(text_)] {
        if (text) text->ensureCursorVisible();
    });
}

void TItem::showPictureNotShown()
{
    setToolTip(PictureNotShownHint(item().pictureRefusal));
    TellPictureNotShown(itemId(), item().pictureRefusal);
}

void TItem::showDateHint(Timestamp date)
{
    setToolTip(ItemDateText(date, session().settings));
    if (itemHooks().showHints) itemHooks().showHints();
}

// --- drops ---

KeywordAddition TItem::addKeyword(int wordNo, const QString& word, Timestamp conceptId)
{
    KeywordAddition result = AddKeyword(item(), wordNo, word, conceptId);
    if (result.outcome == KeywordAddition::Appended || result.outcome == KeywordAddition::Replaced)
        refreshLists();
    if (result.leftNewItemLook) {
        ApplyColor();
        setContentsUp(ctxText);
        applyDataGeometry();
        Layout();
    }
    return result;
}

void TItem::DropOn(ItemPart part, const DragPayload& payload, QPoint cardPoint)
{
    item().keywordAdded = false;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    switch (payload.source) {
    case DragPayload::Source::ConceptWord:
        addKeyword(payload.wordNo, payload.word.left(DragPayload::kMaxWordLength),
                   payload.conceptId);
        break;
    case DragPayload::Source::Project:
        if (!payload.project.isEmpty() && AddProject(item(), payload.project)) refreshLists();
        break;
    case DragPayload::Source::ItemKeyword:
        if (part == ItemPart::Keys && payload.sourceCard == &data())
            reorderKeywords(keyList()->viewport()->mapFrom(this, cardPoint));
        break;
    case DragPayload::Source::DictionaryWord:
        QGuiApplication::restoreOverrideCursor();
        dropDictionaryWord(payload);
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        break;
    case DragPayload::Source::Flyword: {
        const QString word = payload.word.left(DragPayload::kMaxWordLength);
        setItemText(limitedText(item().text + QLatin1Char(' ') + word));
        item().changed = true;
        break;
    }
    default: break;
    }
    QGuiApplication::restoreOverrideCursor();
    afterDrop(payload);
}

void TItem::afterDrop(const DragPayload& payload)
{
    if (!session().settings.showKeysOnDrag || inBook_) return;
    if (payload.source == DragPayload::Source::ConceptWord || item().keywordAdded)
        setContentsUp(ctxKeys);
    else if (payload.source == DragPayload::Source::Project)
        setContentsUp(ctxUrls);
}

void TItem::dropDictionaryWord(const DragPayload& payload)
{
    const QString word = payload.word.left(DragPayload::kMaxWordLength);
    const int wordNo = payload.wordNo;
    if (wordNo <= 0) return;
    QString error;
    const std::vector<Timestamp> concepts = ConceptsOfDroppedWord(wordNo, &error);
    if (!error.isEmpty()) {
        PlainMessage(QStringLiteral("Keyword update failed"));
        return;
    }
    Timestamp chosen = 0;
    if (concepts.empty()) {
        QPointer<TItem> self(this);
        chosen = ConceptForDroppedWord(word, wordNo);
        if (!self) return;
    } else if (concepts.size() == 1) {
        chosen = concepts.front();
    } else {
        std::vector<SelectConceptDialog::Entry> entries;
        for (Timestamp c : concepts)
            entries.push_back({c, WordsOfConceptForSelection(c).join(QStringLiteral(", "))});
        if (auto picked = SelectConceptDialog::choose(entries, this)) chosen = *picked;
    }
    if (chosen != 0) addKeyword(wordNo, word, chosen);
}

void TItem::reorderKeywords(QPoint listPoint)
{
    const int from = keyDragStart_;
    const int to =
        KeywordRowAt(listPoint.y(), keyList()->rowHeight(), keyList()->firstVisibleRow());
    keyDragStart_ = -1;
    if (from >= 0 && from < item().keyCount() && MoveKeyword(item(), from, to)) {
        refreshLists();
        keyList()->setCurrentRow(std::clamp(to, 0, item().keyCount() - 1));
    }
    item().beingReordered = false;
}

void TItem::DropDivider(QPoint cardPoint)
{
    DividerShares(cardPoint, size(), &textWidthShare_, &textHeightShare_);
    Layout();
}

// --- commands ---

void TItem::openCommandPanel(ItemPart part, QPoint globalPos)
{
    const Settings& s = session().settings;
    TMyPopUpMenu::Request r;
    r.caption = QStringLiteral("Item created ") + ItemDateText(itemId(), s);
    const ContentsTypes side = up_;
    if (side == ctxText || side == ctxImage) r.rows << QStringLiteral("ClipBoard");
    if (side != ctxCombined) r.rows << QStringLiteral("CombinedView");
    if (side != ctxKeys) r.rows << QStringLiteral("Keywords");
    if (side != ctxUrls) r.rows << QStringLiteral("Projects");
    if (side != ctxText) r.rows << QStringLiteral("GoText");
    r.rows << QStringLiteral("Image");
    const int keyRow = keyList()->selectedRow();
    const int urlRow = urlList()->selectedRow();
    if (side == ctxKeys && keyRow >= 0) {
        r.rows << QStringLiteral("ClipBoard") << QStringLiteral("RemoveKey");
        r.caption = QStringLiteral("Keyword: ") + keyList()->item(keyRow)->text();
    }
    if (side == ctxUrls && urlRow >= 0) {
        r.rows << QStringLiteral("ClipBoard") << QStringLiteral("RemoveURL");
        r.caption = QStringLiteral("Project: ") + urlList()->item(urlRow)->text();
    }
    if (s.extraFeatures) {
        r.rows << QStringLiteral("Connections");
        r.temporaryRows.push_back(
            {QStringLiteral("Connections"), QStringLiteral("Connections"), QIcon(), 1});
    }
    if (itemHooks().sendAsXml) {
        for (const XmlSendRow& row : XmlSendRows(true)) {
            r.rows << row.command;
            r.temporaryRows.push_back({row.caption, row.command, QIcon(), 1});
        }
    }
    r.rows << QStringLiteral("Delete") << QStringLiteral("Drop");
    r.labels.insert(QStringLiteral("Delete"), QStringLiteral("&Delete Item"));
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard && clipboard->mimeData() && clipboard->mimeData()->hasImage())
        r.rows << QStringLiteral("ConnectImage");
    r.recorder = true;

    QPointer<TItem> self(this);
    TMyPopUpMenu& panel = TMyPopUpMenu::instance();
    const QString command = panel.choose(this, globalPos, r);
    if (!self || panel.cancelledByRightPress()) return;
    carryOut(command, part);
}

void TItem::carryOut(const QString& command, ItemPart part)
{
    auto shrink = [this] {
        if (data().expanded) {
            ShrinkToNormal();
            Layout();
        }
    };
    if (const int target = XmlSendTarget(command)) {
        if (itemHooks().sendAsXml) itemHooks().sendAsXml(target, item());
    } else if (command == QStringLiteral("Keywords")) {
        setContentsUp(up_ == ctxKeys ? ctxText : ctxKeys);
        shrink();
    } else if (command == QStringLiteral("Projects")) {
        setContentsUp(up_ == ctxUrls ? ctxText : ctxUrls);
        shrink();
    } else if (command == QStringLiteral("GoText")) {
        setContentsUp(ctxText);
        shrink();
    } else if (command == QStringLiteral("CombinedView")) {
        setContentsUp(ctxCombined);
    } else if (command == QStringLiteral("ClipBoard")) {
        copyToClipboard(part);
    } else if (command == QStringLiteral("Connections")) {
        const QPoint at = visiblePos();
        if (itemHooks().showConnections)
            itemHooks().showConnections(at.x() + width() + 10, at.y(), itemId());
    } else if (command == QStringLiteral("Image")) {
        ImageUpdate();
    } else if (command == QStringLiteral("RemoveKey")) {
        if (RemoveKeyword(item(), keyList()->selectedRow())) refreshLists();
    } else if (command == QStringLiteral("RemoveURL")) {
        if (RemoveProject(item(), urlList()->selectedRow())) refreshLists();
    } else if (command == QStringLiteral("Delete")) {
        DeleteCard();
    } else if (command == QStringLiteral("Drop")) {
        HideCard();
    } else if (command == QStringLiteral("ConnectImage")) {
        const QClipboard* clipboard = QGuiApplication::clipboard();
        desktoppicture::ConnectImage(ShowKeyOfItem(itemId()),
                                     clipboard ? clipboard->image() : QImage());
    } else if (command == QStringLiteral("SaveAudio")) {
        desktoppicture::SaveAudio(ShowKeyOfItem(itemId()));
    }
}

void TItem::copyToClipboard(ItemPart part)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return;
    const ItemCardData& d = item();
    const bool keysFace = up_ == ctxKeys || (up_ == ctxCombined && part == ItemPart::Keys);
    const bool urlsFace = up_ == ctxUrls || (up_ == ctxCombined && part == ItemPart::Urls);
    if (up_ == ctxImage && d.hasPicture) {
        clipboard->setImage(d.picture);
        if (clipboard->image().isNull()) SysProblem(QStringLiteral("Copy to clipbord failed"));
    } else if (keysFace) {
        if (keyList()->selectedRow() >= 0)
            clipboard->setText(keyList()->item(keyList()->selectedRow())->text());
    } else if (urlsFace) {
        if (urlList()->selectedRow() >= 0)
            clipboard->setText(urlList()->item(urlList()->selectedRow())->text().toLower());
    } else {
        QString selected = text_ ? text_->textCursor().selectedText() : QString();
        selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        clipboard->setText(selected.isEmpty() ? d.text : selected);
    }
    refreshClipboardSize();
}

void TItem::textRightPress(QPoint globalPos)
{
    const QString selection = textEditor()->textCursor().selectedText();
    const bool lookUpSide = up_ == ctxText || up_ == ctxCombined || up_ == ctxImage;
    if (!selection.isEmpty() && lookUpSide && itemHooks().wordLookup) {
        itemHooks().wordLookup(*this, selection, globalPos + QPoint(0, 24));
        return;
    }
    openCommandPanel(ItemPart::Text, globalPos);
}

void TItem::textDoubleClick()
{
    if (!session().settings.flyWordClick || !itemHooks().makeFlyword) return;
    QString selection = textEditor()->textCursor().selectedText();
    if (selection.isEmpty()) return;
    saveSelection();
    const Settings& s = session().settings;
    itemHooks().makeFlyword(selection, desktop().toDesktop(QPoint(s.popSpotZX, s.popSpotZY)),
                            touch_);
}

void TItem::ImageUpdate()
{
    const ImageUpdateDialog::Choice choice = ImageUpdateDialog::ask(this);
    switch (choice.action) {
    case ImageUpdateDialog::Copy:
        if (item().hasPicture) QGuiApplication::clipboard()->setImage(item().picture);
        break;
    case ImageUpdateDialog::FromClipboard: pictureFromClipboard(); break;
    case ImageUpdateDialog::FromFile: pictureFromFile(choice.file); break;
    case ImageUpdateDialog::Remove: removePicture(); break;
    case ImageUpdateDialog::None: break;
    }
}

void TItem::pictureFromClipboard()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QImage image = clipboard ? clipboard->image() : QImage();
    if (image.isNull()) {
        ShowInfo(QStringLiteral("Image copy from clipboard failed"), QStringLiteral("i415"), kError,
                 30040);
        return;
    }
    // A refused picture leaves the one the item had.
    if (!PictureWithinLimit(image.size())) {
        ShowInfo(QStringLiteral("Too big image for saving"), QString(), kError, 30040);
        return;
    }
    setPicture(image);
    setContentsUp(ctxImage);
}

void TItem::pictureFromFile(const QString& name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty()) return;
    const QString path =
        QFileInfo(trimmed).isAbsolute() ? trimmed : files::resolve(session().dir(), trimmed);
    const PictureFile file = LoadPictureFile(path);
    switch (file.status) {
    case PictureFile::Missing:
        ShowInfo(QStringLiteral("Picture file not found: ") + path, QStringLiteral("i438"), kError,
                 50070);
        return;
    case PictureFile::TooBig:
        ShowInfo(QStringLiteral("Too big image for saving"), QString(), kError, 50070);
        return;
    case PictureFile::Unreadable:
        ShowInfo(QStringLiteral("The picture file could not be read: ") + path +
                     QStringLiteral("\r\n") + file.error,
                 QStringLiteral("i438"), kError, 50070);
        return;
    case PictureFile::Ok:
        setPicture(file.image);
        setContentsUp(ctxImage);
        return;
    }
}

bool TItem::EditInExternalEditor()
{
    Session& s = session();
    const QString name = s.settings.tempTxtFileName;
    if (!files::removeIfPresent(s.dir(), name)) {
        SysProblem(QStringLiteral("Could not save textfile work"));
        return false;
    }
    const QString path = files::resolve(s.dir(), name);
    if (!files::writeTextFile(path, item().text)) {
        SysProblem(QStringLiteral("Could not save textfile work"));
        return false;
    }
    const QFileInfo before(path);
    const QDateTime age = before.lastModified();
    const qint64 bytes = before.size();
    auto changed = [path, age, bytes] {
        const QFileInfo now(path);
        return now.exists() && (now.lastModified() != age || now.size() != bytes);
    };
    // An editor that saves in place truncates before it writes: the change counts once the
    // file looked the same at two polls in a row.
    auto seen = std::make_shared<std::pair<QDateTime, qint64>>(age, bytes);
    auto edited = [path, changed, seen] {
        if (!changed()) return false;
        const QFileInfo now(path);
        const std::pair<QDateTime, qint64> state(now.lastModified(), now.size());
        const bool settled = state == *seen;
        *seen = state;
        return settled;
    };

    TExecFile runner = ExtProgram1Runner();
    runner.FileName = s.settings.textEditor;
    runner.FilePath = s.dir();
    runner.Parameters = QuoteParameter(path);
    runner.Wait = true;
    runner.setWaitPeriodLength(2000);
    runner.WaitAttempts = 10000;
    runner.CloseOnNotExist = s.settings.waitInSecBeforeCloseUneditedQBTxt * 1000 / 2000;
    runner.EscInfoText = QStringLiteral("Text changes were not saved");
    runner.IsDoneTest = edited;
    runner.IsAnulledByCaller = GeneralAnulByEsc;

    QPointer<TItem> self(this);
    MinimizeProgram();
    runner.Execute();
    if (session().shell.raiseMainWindow) session().shell.raiseMainWindow();
    if (!self) return false;
    if (!runner.started()) {
        ShowInfo(QStringLiteral("The text editor could not be started: ") + runner.FileName +
                     QStringLiteral("\r\nCheck [HELPER APPS] TextEditor in qb.ini."),
                 QStringLiteral("ep102"), kError, 50110);
        files::removeIfPresent(s.dir(), name);
        return false;
    }
    setContentsUp(ctxText);
    bool ok = true;
    if (changed()) {
        QString text;
        if (files::readTextFile(path, &text)) {
            // Editors end the file with a line break the text did not have.
            if (text.endsWith(QLatin1Char('\n')) && !item().text.endsWith(QLatin1Char('\n')))
                text.chop(1);
            // A stored text longer than the limit that comes back unchanged loses nothing.
            if (text != item().text) text = limitedText(text);
            if (text != item().text) {
                setItemText(text);
                item().changed = true;
            }
        } else {
            SysProblem(QStringLiteral("Could not save textfile work"));
            ok = false;
        }
    }
    files::removeIfPresent(s.dir(), name);
    return ok;
}

// --- virtual operations ---

void TItem::CornerMouseMove(QPoint global)
{
    TBasPanel::CornerMouseMove(global);
    placeParts();
}

void TItem::CornerMouseUp(Qt::MouseButton button, QPoint global)
{
    TBasPanel::CornerMouseUp(button, global);
    Layout();
}

void TItem::CardMouseDown(Qt::MouseButton button, QPoint global)
{
    if (button == Qt::RightButton) {
        flipPending_ = false;
        ToggleSize();
        return;
    }
    if (button == Qt::LeftButton) {
        pressPoint_ = global;
        flipPending_ = true;
    }
    TBasPanel::CardMouseDown(button, global);
}

void TItem::CardMouseUp(Qt::MouseButton button, QPoint global)
{
    TBasPanel::CardMouseUp(button, global);
    const bool flip = flipPending_ && button == Qt::LeftButton &&
                      std::abs(global.x() - pressPoint_.x()) < kFlipSlack &&
                      std::abs(global.y() - pressPoint_.y()) < kFlipSlack;
    flipPending_ = false;
    if (flip) setContentsUp(FlipSide(up_, session().settings.quickFlip, item().hasPicture));
}

void TItem::CardDblClick()
{
    touch_ = GetQBTS();
    if (session().settings.showItemDateAsHint) showDateHint(touch_);
    data().changed = true;
    data().marked = !data().marked;
    ApplyColor();
    setContentsUp(ctxUrls);
}

void TItem::ToggleSize()
{
    if (up_ != ctxText) setContentsUp(ctxText);
    if (data().expanded) {
        ShrinkToNormal();
    } else {
        ExpandToAlternative();
        setContentsUp(ctxText);
    }
    Layout();
}

void TItem::DeleteCard()
{
    if (ConfirmItemDelete(item())) hide();
}

void TItem::CardEnter()
{
    TBasPanel::CardEnter();
    restoreSelection();
    if (itemHooks().startingUp && itemHooks().startingUp()) return;
    const Timestamp id = itemId();
    RecordAssociation(id, itemHooks().associate);
    desktoppicture::ShowFor(ShowKeyOfItem(id));
}

void TItem::CardExit()
{
    saveSelection();
    TBasPanel::CardExit();
}

void TItem::ApplyColor()
{
    TBasPanel::ApplyColor();
    focusMark()->setFillColor(groupColor_);
}

bool TItem::CanHide() const { return item().canHide(); }
bool TItem::IsEmpty() const { return item().isEmpty(); }

bool TItem::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == focusMark() && e->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        EditInExternalEditor();
        return true;
    }
    return TBasPanel::eventFilter(watched, e);
}

}  // namespace qb
