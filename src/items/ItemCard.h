#pragma once

#include "cards/BaseCard.h"
#include "cards/DragPayload.h"
#include "items/ItemCardData.h"
#include "items/ItemCardRules.h"
#include "items/ItemLinks.h"

#include <QFrame>
#include <QListWidget>
#include <QPlainTextEdit>

#include <optional>

namespace qb {

class TItem;

// The parts of an item card that take presses and drops.
enum class ItemPart { Frame, Text, Keys, Urls, Picture };

// The keyword list and the project list: a press on an entry starts a drag of it once the
// pointer moves, a right press opens the card's commands, a double click toggles the size.
class TItemListBox : public QListWidget {
    Q_OBJECT
public:
    TItemListBox(TItem& card, ItemPart part);
    ItemPart part() const { return part_; }
    // The selected entry, or -1.
    int selectedRow() const;
    int rowHeight() const;
    int firstVisibleRow() const;
    // What an empty keyword list shows, so that an item without keywords says so.
    static QString noKeywordNote() { return QStringLiteral("(no keyword)"); }

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void startDrag(int row);

    TItem& card_;
    ItemPart part_;
    QPoint pressPos_;
    int pressRow_ = -1;
};

class TKeyListBox : public TItemListBox {
    Q_OBJECT
public:
    explicit TKeyListBox(TItem& card) : TItemListBox(card, ItemPart::Keys) {}
};

class TURLListBox : public TItemListBox {
    Q_OBJECT
public:
    explicit TURLListBox(TItem& card) : TItemListBox(card, ItemPart::Urls) {}
};

// The item's text. Edits mark the card Changed; the text never grows beyond 32000 characters.
class TItemText : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TItemText(TItem& card);
    // Replaces the text as setPlainText does, shaping it fewer times.
    void setWholeText(const QString& text);
    // The text as the card keeps it: "\n" between lines, every other character as typed.
    QString cardText() const;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    TItem& card_;
};

// The divider handle of the combined view: dragged to a point on the card's own parts, it sets
// how the text shares the card with the keyword list and the project list.
class TThreeDiv : public QWidget {
    Q_OBJECT
public:
    explicit TThreeDiv(TItem& card);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    TItem& card_;
    bool dragging_ = false;
};

// The picture panel: the item's picture filling it, made when the card first needs it.
class TItemPicture : public QFrame {
    Q_OBJECT
public:
    explicit TItemPicture(TItem& card);
    void setImage(const QImage& image);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    TItem& card_;
    QImage image_;
};

// The item card: an item's text, keyword list, project list and picture on the desktop. It owns
// the item's working copy (ItemCardData) that the commit writes.
class TItem : public TBasPanel {
    Q_OBJECT
    Q_PROPERTY(int ContentsUp READ contentsUpValue WRITE setContentsUpValue)
public:
    static constexpr int kHelpContext = 30050;
    static constexpr int kNewItemWidth = 400;

    // A card in normal item look (ItemWidth x ItemHeight, ItemFrameColor) showing the data.
    TItem(TDesktop& desktop, std::unique_ptr<ItemCardData> data);
    ~TItem() override;

    ItemCardData& item() { return dataAs<ItemCardData>(); }
    const ItemCardData& item() const { return dataAs<ItemCardData>(); }
    Timestamp itemId() const { return item().itemId; }

    // The text editor is made when the card first comes into view or the editor is asked for:
    // most cards of a large drop lie outside the visible part of the desktop, and the editor
    // with its text's layout is most of a card's cost. Until then the data holds the text.
    TItemText* textEditor() const
    {
        ensureText();
        return text_;
    }
    bool textEditorMade() const { return text_ != nullptr; }
    // The lists are made when first needed: most cards only ever show their text.
    TKeyListBox* keyList() const;
    TURLListBox* urlList() const;
    TItemPicture* picturePanel() const { return picture_; }
    TThreeDiv* divider() const { return divider_; }

    // --- sides and layout ---
    ContentsTypes contentsUp() const { return up_; }
    // Turns the card to a side and gives that side the focus (when the card is visible).
    void setContentsUp(ContentsTypes side);
    // The same without focusing anything (many cards at once).
    void turnTo(ContentsTypes side);
    void Layout();
    // The part in front for the current side (the text for the picture side when it shows no
    // picture).
    QWidget* frontPart() const;
    double textWidthShare() const { return textWidthShare_; }
    double textHeightShare() const { return textHeightShare_; }
    bool inBook() const { return inBook_; }
    void setInBook(bool inBook);
    // Lines of the text at the card's width, for the height of a book page.
    int bookLines() const;
    bool pictureShown() const;

    // --- text, lists, picture ---
    // Shows a text loaded from elsewhere without marking the card Changed.
    void setItemText(const QString& text);
    // The lists again from the data (after the data's links changed).
    void refreshLists();
    void setPicture(const QImage& image);  // marks Changed
    void removePicture();                  // marks Changed
    // Shows the data's picture (after loading).
    void showDataPicture();
    void setGroupColor(const QColor& color);
    QColor groupColor() const { return groupColor_; }
    void setSavedSelection(int start, int length);
    void saveSelection();
    void restoreSelection();
    Timestamp touchTimestamp() const { return touch_; }
    // The card loaded from the store takes the item's ITS as its timestamp.
    void setTouchTimestamp(Timestamp ts) { touch_ = ts; }
    // The hint shows a date (the creation date, or the touch date), and hints are switched on.
    void showDateHint(Timestamp date);
    // The stored picture was refused by the decoder: the card shows its text and says why in its
    // hint, and the user is told once a run; the commit leaves the stored picture as it is.
    void showPictureNotShown();

    // --- what the user does ---
    // Adds a keyword through the data rules and shows the result.
    KeywordAddition addKeyword(int wordNo, const QString& word, Timestamp conceptId);
    // The drops of the other cards on one of this card's parts; cardPoint in card coordinates.
    void DropOn(ItemPart part, const DragPayload& payload, QPoint cardPoint);
    void DropDivider(QPoint cardPoint);
    // Files from the file manager: the text of the last one goes into the card (marks Changed).
    void DropFiles(const QStringList& paths);
    // Keyword reorder: the row a drag started on, and the drop at a list point.
    void setKeywordDragStart(int row) { keyDragStart_ = row; }
    int keywordDragStart() const { return keyDragStart_; }
    // Opens the command panel for a part and carries out the command chosen.
    void openCommandPanel(ItemPart part, QPoint globalPos);
    // Carries out one command name; names the item card does not know are ignored.
    void carryOut(const QString& command, ItemPart part);
    // A right press in the text: the word look-up for a selection, else the command panel.
    void textRightPress(QPoint globalPos);
    void textDoubleClick();
    // The picture dialog and its outcomes.
    void ImageUpdate();
    void pictureFromClipboard();
    void pictureFromFile(const QString& path);
    // Hands the text to the external editor and takes it back.
    bool EditInExternalEditor();

    // --- virtual operations ---
    void CornerMouseMove(QPoint global) override;
    void CornerMouseUp(Qt::MouseButton button, QPoint global) override;
    void CardMouseUp(Qt::MouseButton button, QPoint global) override;
    void CardMouseDown(Qt::MouseButton button, QPoint global) override;
    void CardDblClick() override;
    void ToggleSize() override;
    void DeleteCard() override;
    void CardEnter() override;
    void CardExit() override;
    void ApplyColor() override;
    bool CanHide() const override;
    bool IsEmpty() const override;
    void DataChanged() override { refreshLists(); }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    friend class TItemText;
    ItemLayout partsLayout() const;
    void placeParts();
    int contentsUpValue() const { return int(up_); }
    void setContentsUpValue(int side) { setContentsUp(ContentsTypes(side)); }
    void showSide(ContentsTypes side, bool focus);
    void ensurePicturePanel();
    void ensureLists() const;
    void ensureText() const;
    bool inView() const;
    void fillLists();
    void applyTextFont();
    void textEdited();
    void limitText(int position, int added);
    void afterDrop(const DragPayload& payload);
    void dropDictionaryWord(const DragPayload& payload);
    void reorderKeywords(QPoint listPoint);
    void copyToClipboard(ItemPart part);

    mutable TItemText* text_ = nullptr;
    QMetaObject::Connection viewWatch_;
    mutable TKeyListBox* keys_ = nullptr;
    mutable TURLListBox* urls_ = nullptr;
    TItemPicture* picture_ = nullptr;
    TThreeDiv* divider_;
    ContentsTypes up_ = ctxText;
    double textWidthShare_;
    double textHeightShare_;
    bool flipPending_ = false;
    QPoint pressPoint_;
    int keyDragStart_ = -1;
    int selectionStart_ = -1;
    int selectionLength_ = 0;
    Timestamp touch_ = 0;
    bool inBook_ = false;
    bool loading_ = false;
    bool laying_ = false;
    int lastChangeEnd_ = -1;
    int lastChangeGrowth_ = 0;
    QColor groupColor_{0x00, 0x80, 0x00};
};

}  // namespace qb
