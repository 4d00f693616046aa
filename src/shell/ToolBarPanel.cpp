#include "shell/ToolBarPanel.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QStyle>
#include <QToolButton>

#include "platform/TextChecks.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"

namespace qb {

void PressPanel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) Q_EMIT pressed();
    QFrame::mousePressEvent(event);
}

namespace {

constexpr int kGlyph = 20;

enum class Glyph {
    Globe,
    Disk,
    Mill,
    Analyze,
    Page,
    ClipboardPage,
    Wheel,
    Flyword,
    Magnifier,
    DictionaryLocate,
    Diagonal,
    TileItems,
    TileConcepts,
    TileInflections,
    TileFlywords,
    Book,
    ClearItems,
    ClearConcepts,
    ClearInflections,
    ClearFlywords,
    GarbageCan,
    Plus,
    Minus,
    Stop,
};

const QColor kItemPaper(255, 251, 240);
const QColor kConceptBlue(164, 200, 240);
const QColor kInflectionGrey(128, 128, 128);
const QColor kFlywordYellow(255, 255, 0);
const QColor kFlywordRed(255, 0, 0);
const QColor kInk(30, 30, 60);

void card(QPainter& p, const QRectF& r, const QColor& fill, const QColor& edge = kInk)
{
    p.setPen(QPen(edge, 1));
    p.setBrush(fill);
    p.drawRect(r);
}

void wheel(QPainter& p, const QPointF& c, qreal radius)
{
    p.setPen(QPen(QColor(40, 70, 150), 1.4));
    p.setBrush(kConceptBlue);
    p.drawEllipse(c, radius, radius);
    for (int i = 0; i < 4; ++i) {
        QTransform t;
        t.translate(c.x(), c.y());
        t.rotate(45.0 * i);
        p.drawLine(t.map(QPointF(-radius, 0)), t.map(QPointF(radius, 0)));
    }
    p.setBrush(Qt::white);
    p.drawEllipse(c, radius / 3, radius / 3);
}

void redCross(QPainter& p)
{
    p.setPen(QPen(QColor(210, 0, 0), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 10), QPointF(18, 18));
    p.drawLine(QPointF(18, 10), QPointF(10, 18));
}

void grid(QPainter& p, const QColor& fill, const QColor& edge)
{
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 2; ++col)
            card(p, QRectF(2.5 + col * 8, 2.5 + row * 8, 7, 7), fill, edge);
}

void magnifier(QPainter& p, const QPointF& c, qreal r)
{
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(220, 240, 255));
    p.drawEllipse(c, r, r);
    p.setPen(QPen(QColor(120, 70, 20), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(r * 0.75, r * 0.75), c + QPointF(r * 1.9, r * 1.9));
}

void openBook(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::white);
    QPainterPath left;
    left.moveTo(10, 5);
    left.cubicTo(7, 3, 4, 3, 1.5, 4);
    left.lineTo(1.5, 16);
    left.cubicTo(4, 15, 7, 15, 10, 17);
    left.closeSubpath();
    QPainterPath right;
    right.moveTo(10, 5);
    right.cubicTo(13, 3, 16, 3, 18.5, 4);
    right.lineTo(18.5, 16);
    right.cubicTo(16, 15, 13, 15, 10, 17);
    right.closeSubpath();
    p.drawPath(left);
    p.drawPath(right);
    p.setPen(QPen(QColor(120, 120, 140), 0.8));
    for (int i = 0; i < 3; ++i) {
        p.drawLine(QPointF(3.5, 7 + 3 * i), QPointF(8.5, 7.6 + 3 * i));
        p.drawLine(QPointF(11.5, 7.6 + 3 * i), QPointF(16.5, 7 + 3 * i));
    }
}

QIcon glyph(Glyph g)
{
    QPixmap pm(kGlyph, kGlyph);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (g) {
    case Glyph::Globe:
        p.setPen(QPen(QColor(0, 80, 160), 1.2));
        p.setBrush(QColor(150, 200, 250));
        p.drawEllipse(QPointF(10, 10), 8, 8);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(10, 10), 3.5, 8);
        p.drawLine(QPointF(2, 10), QPointF(18, 10));
        p.drawLine(QPointF(3.5, 6), QPointF(16.5, 6));
        p.drawLine(QPointF(3.5, 14), QPointF(16.5, 14));
        break;
    case Glyph::Disk:
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(40, 70, 150));
        p.drawRoundedRect(QRectF(2.5, 2.5, 15, 15), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5, 3, 10, 6));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(6, 12, 8, 5));
        break;
    case Glyph::Mill:
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(200, 150, 90));
        p.drawPolygon(
            QPolygonF({QPointF(7, 18), QPointF(13, 18), QPointF(11.5, 9), QPointF(8.5, 9)}));
        p.setBrush(QColor(240, 240, 255));
        for (int i = 0; i < 4; ++i) {
            QTransform t;
            t.translate(10, 8);
            t.rotate(45 + 90.0 * i);
            p.drawPolygon(t.map(
                QPolygonF({QPointF(0, -1), QPointF(7.5, -2.5), QPointF(7.5, 1.5), QPointF(0, 1)})));
        }
        break;
    case Glyph::Analyze: {
        QFont f(QStringLiteral("Times New Roman"));
        f.setPixelSize(13);
        f.setBold(true);
        p.setFont(f);
        p.setPen(kInk);
        p.drawText(QRectF(0, 0, 14, 14), Qt::AlignCenter, QStringLiteral("Ab"));
        magnifier(p, QPointF(12.5, 12.5), 3.5);
        break;
    }
    case Glyph::Page:
    case Glyph::ClipboardPage:
        if (g == Glyph::ClipboardPage) {
            p.setPen(QPen(QColor(90, 50, 10), 1));
            p.setBrush(QColor(190, 130, 60));
            p.drawRoundedRect(QRectF(2.5, 2.5, 13, 16), 1.5, 1.5);
        }
        {
            QRectF r = g == Glyph::Page ? QRectF(4.5, 2.5, 11, 15) : QRectF(5.5, 6.5, 12, 12);
            QPolygonF page({r.topLeft(), QPointF(r.right() - 3, r.top()),
                            QPointF(r.right(), r.top() + 3), r.bottomRight(), r.bottomLeft()});
            p.setPen(QPen(kInk, 1));
            p.setBrush(kItemPaper);
            p.drawPolygon(page);
            p.setPen(QPen(QColor(120, 120, 140), 0.8));
            for (qreal y = r.top() + 4; y < r.bottom() - 1; y += 2.5)
                p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
        }
        if (g == Glyph::ClipboardPage) {
            p.setPen(QPen(kInk, 1));
            p.setBrush(QColor(180, 180, 180));
            p.drawRect(QRectF(6, 1.5, 6, 3));
        }
        break;
    case Glyph::Wheel: wheel(p, QPointF(10, 10), 8); break;
    case Glyph::Flyword:
        card(p, QRectF(2.5, 6.5, 15, 8), kFlywordYellow, kFlywordRed);
        p.setPen(QPen(kInk, 1));
        p.drawLine(QPointF(5, 10.5), QPointF(15, 10.5));
        break;
    case Glyph::Magnifier: magnifier(p, QPointF(8, 8), 5.5); break;
    case Glyph::DictionaryLocate:
        card(p, QRectF(2.5, 2.5, 12, 15), QColor(0, 255, 255), QColor(0, 100, 120));
        p.setPen(QPen(kInk, 0.8));
        for (qreal y = 5.5; y < 16; y += 2.5) p.drawLine(QPointF(4.5, y), QPointF(12.5, y));
        magnifier(p, QPointF(13, 12), 3.5);
        break;
    case Glyph::Diagonal:
        for (int i = 0; i < 3; ++i) card(p, QRectF(1.5 + 4 * i, 1.5 + 4 * i, 9, 8), kItemPaper);
        break;
    case Glyph::TileItems: grid(p, kItemPaper, kInk); break;
    case Glyph::TileConcepts: grid(p, kConceptBlue, QColor(40, 70, 150)); break;
    case Glyph::TileInflections: grid(p, QColor(190, 190, 190), kInflectionGrey); break;
    case Glyph::TileFlywords: grid(p, kFlywordYellow, kFlywordRed); break;
    case Glyph::Book: openBook(p); break;
    case Glyph::ClearItems:
        card(p, QRectF(2.5, 1.5, 11, 14), kItemPaper);
        redCross(p);
        break;
    case Glyph::ClearConcepts:
        wheel(p, QPointF(8, 8), 6.5);
        redCross(p);
        break;
    case Glyph::ClearInflections:
        card(p, QRectF(2.5, 2.5, 13, 10), QColor(190, 190, 190), kInflectionGrey);
        redCross(p);
        break;
    case Glyph::ClearFlywords:
        card(p, QRectF(1.5, 3.5, 14, 7), kFlywordYellow, kFlywordRed);
        redCross(p);
        break;
    case Glyph::GarbageCan:
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(QColor(170, 170, 170));
        p.drawRect(QRectF(3.5, 4.5, 13, 2));
        p.drawRect(QRectF(8, 2.5, 4, 2));
        p.drawPolygon(QPolygonF({QPointF(5, 7), QPointF(15, 7), QPointF(14, 18), QPointF(6, 18)}));
        for (qreal x : {8.0, 10.0, 12.0}) p.drawLine(QPointF(x, 9), QPointF(x, 16));
        break;
    case Glyph::Plus:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 150, 0));
        p.drawRect(QRectF(8, 3, 4, 14));
        p.drawRect(QRectF(3, 8, 14, 4));
        break;
    case Glyph::Minus:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 0, 0));
        p.drawRect(QRectF(3, 8, 14, 4));
        break;
    case Glyph::Stop: {
        QPolygonF octagon;
        for (int i = 0; i < 8; ++i) {
            QTransform t;
            t.rotate(22.5 + 45.0 * i);
            octagon << t.map(QPointF(0, -8.5)) + QPointF(10, 10);
        }
        p.setPen(QPen(Qt::white, 1));
        p.setBrush(QColor(200, 0, 0));
        p.drawPolygon(octagon);
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(QPointF(6, 10), QPointF(14, 10));
        break;
    }
    }
    p.end();
    return QIcon(pm);
}

}  // namespace

ToolBarPanel::ToolBarPanel(CommandRegistry& commands, QWidget* parent)
    : QFrame(parent), commands_(commands)
{
    setObjectName(QStringLiteral("toolBarPanel"));
    setFixedHeight(kHeight);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(1, 1, 1, 1);
    row->setSpacing(2);

    QFrame* g1 = group(this);
    addButton(g1, cmd::GetUrl, QStringLiteral("Get URL"), glyph(Glyph::Globe));
    addButton(g1, cmd::UpdateChanges,
              QStringLiteral("Update changes to data base and refresh the desktop [Ctrl+S]"),
              glyph(Glyph::Disk));
    addButton(g1, cmd::WordMillWithClipboard,
              QStringLiteral("Start the Word Mill with clipboard text"), glyph(Glyph::Mill));
    addButton(g1, cmd::AnalyzeItemText, QStringLiteral("Analyze text [F7]"), glyph(Glyph::Analyze));
    row->addWidget(g1);

    QFrame* g2 = group(this);
    addButton(g2, cmd::NewBlankItem, QStringLiteral("New text item [Shift+Ins]"),
              glyph(Glyph::Page));
    addButton(g2, cmd::NewItemFromClipboard, QStringLiteral("New text item from clipboard"),
              glyph(Glyph::ClipboardPage));
    addButton(g2, cmd::NewConcept, QStringLiteral("New concept [Ctrl+Ins]"), glyph(Glyph::Wheel));
    addButton(g2, cmd::NewFlyword, QStringLiteral("New flyword"), glyph(Glyph::Flyword));
    row->addWidget(g2);

    QFrame* g3 = group(this);
    addButton(g3, cmd::FindText, QStringLiteral("Find text"), glyph(Glyph::Magnifier));
    addButton(g3, cmd::DictionaryWordSearch, QStringLiteral("Locate in Dictionary"),
              glyph(Glyph::DictionaryLocate));
    row->addWidget(g3);

    QFrame* g4 = group(this);
    addButton(g4, cmd::SortOnDiagonal,
              QStringLiteral("Order text along diagonal (Also used for project order setup)"),
              glyph(Glyph::Diagonal));
    addButton(g4, cmd::TileItems, QStringLiteral("Tile item cards"), glyph(Glyph::TileItems));
    addButton(g4, cmd::TileConcepts, QStringLiteral("Tile concept cards"),
              glyph(Glyph::TileConcepts));
    addButton(g4, cmd::TileInflections, QStringLiteral("Tile inflection cards"),
              glyph(Glyph::TileInflections));
    addButton(g4, cmd::TileFlywords, QStringLiteral("Tile flywords"), glyph(Glyph::TileFlywords));
    addButton(g4, cmd::BookMode, QStringLiteral("Bookmode - display items as continous text [F12]"),
              glyph(Glyph::Book));
    row->addWidget(g4);

    // Group 5 takes the remaining width: its text box stretches.
    QFrame* g5 = group(this);
    addButton(g5, cmd::ClearItemsNotMarked, QStringLiteral("Clear text items"),
              glyph(Glyph::ClearItems));
    addButton(g5, cmd::ClearConcepts, QStringLiteral("Clear concepts"),
              glyph(Glyph::ClearConcepts));
    addButton(g5, cmd::ClearInflections, QStringLiteral("Clear inflections"),
              glyph(Glyph::ClearInflections));
    addButton(g5, cmd::ClearFlywords, QStringLiteral("Clear flywords"),
              glyph(Glyph::ClearFlywords));
    addButton(g5, cmd::ClearAllCards, QStringLiteral("Clear all"), glyph(Glyph::GarbageCan));
    auto* g5layout = static_cast<QHBoxLayout*>(g5->layout());

    dateStamp_ = new QPlainTextEdit(g5);
    dateStamp_->setObjectName(QStringLiteral("dateStampBox"));
    dateStamp_->setToolTip(QStringLiteral(
        "Text placed here will be stamped into a new item. *Date* stamps the date."));
    dateStamp_->setFixedHeight(kHeight - 6);
    dateStamp_->setMinimumWidth(36);
    dateStamp_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    dateStamp_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    dateStamp_->setLineWrapMode(QPlainTextEdit::NoWrap);
    dateStamp_->document()->setDocumentMargin(2);
    dateStamp_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    g5layout->addWidget(dateStamp_, 1);
    resetDateStamp();

    clipSize_ = new PressPanel(g5);
    clipSize_->setObjectName(QStringLiteral("clipboardSizePanel"));
    clipSize_->setFrameShape(QFrame::Panel);
    clipSize_->setFrameShadow(QFrame::Sunken);
    clipSize_->setToolTip(QStringLiteral(
        "A number here indicates length of the current clipboard text in characters"));
    clipSize_->setFixedHeight(kHeight - 4);
    auto* clipRow = new QHBoxLayout(clipSize_);
    clipRow->setContentsMargins(2, 0, 2, 0);
    clipRow->setSpacing(2);
    clipSizeText_ = new QLabel(clipSize_);
    clipSizeText_->setObjectName(QStringLiteral("clipboardSize"));
    clipSizeText_->setMinimumWidth(44);
    clipSizeText_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    clipSizeText_->setAttribute(Qt::WA_TransparentForMouseEvents);
    clipRow->addWidget(clipSizeText_);
    directory_ = new QToolButton(clipSize_);
    directory_->setObjectName(QStringLiteral("directoryPicture"));
    directory_->setAutoRaise(true);
    directory_->setIcon(style()->standardIcon(QStyle::SP_DirIcon));
    directory_->setIconSize(QSize(16, 16));
    directory_->setFocusPolicy(Qt::NoFocus);
    stop_ = new QToolButton(clipSize_);
    stop_->setObjectName(QStringLiteral("stopPicture"));
    stop_->setAutoRaise(true);
    stop_->setIcon(glyph(Glyph::Stop));
    stop_->setIconSize(QSize(16, 16));
    stop_->setFocusPolicy(Qt::NoFocus);
    stop_->setToolTip(
        QStringLiteral("You should exit now to protect data. Delete corrupted item cards."));
    stop_->hide();
    clipRow->addWidget(directory_);
    clipRow->addWidget(stop_);
    for (QToolButton* b : {directory_, stop_})
        connect(b, &QToolButton::clicked, this,
                [this] { commands_.trigger(QString::fromLatin1(cmd::ShowDatabaseLocationInfo)); });
    connect(clipSize_, &PressPanel::pressed, this,
            [this] { commands_.trigger(QString::fromLatin1(cmd::RefreshClipboardSize)); });
    g5layout->addWidget(clipSize_);
    row->addWidget(g5, 1);

    logo_ = new PressPanel(this);
    logo_->setObjectName(QStringLiteral("logoPanel"));
    logo_->setFrameShape(QFrame::Panel);
    logo_->setFrameShadow(QFrame::Raised);
    logo_->setToolTip(QStringLiteral("Return to Home screen [F8]"));
    logo_->setFocusPolicy(Qt::StrongFocus);
    logo_->setFixedHeight(kHeight - 2);
    auto* logoRow = new QHBoxLayout(logo_);
    logoRow->setContentsMargins(3, 1, 1, 1);
    logoRow->setSpacing(3);
    auto* logoText = new QLabel(QStringLiteral("QB"), logo_);
    QFont lf = logoText->font();
    lf.setBold(true);
    lf.setItalic(true);
    lf.setPixelSize(15);
    logoText->setFont(lf);
    logoText->setStyleSheet(QStringLiteral("color: rgb(0, 0, 128);"));
    logoText->setAttribute(Qt::WA_TransparentForMouseEvents);
    logoRow->addWidget(logoText);
    mapHost_ = new QWidget(logo_);
    mapHost_->setObjectName(QStringLiteral("mapHost"));
    mapHost_->setFixedSize(kHeight - 6, kHeight - 6);
    mapHost_->setToolTip(QStringLiteral("Desktop map. Click for repositioning."));
    auto* mapLayout = new QHBoxLayout(mapHost_);
    mapLayout->setContentsMargins(0, 0, 0, 0);
    logoRow->addWidget(mapHost_);
    connect(logo_, &PressPanel::pressed, this,
            [this] { commands_.trigger(QString::fromLatin1(cmd::ReturnHome)); });
    row->addWidget(logo_);

    explode_ = new PressPanel(this);
    explode_->setObjectName(QStringLiteral("explodeIndicator"));
    explode_->setFrameShape(QFrame::Panel);
    explode_->setFrameShadow(QFrame::Sunken);
    explode_->setToolTip(QStringLiteral("Click here to change Explode Mode"));
    explode_->setFixedSize(40, kHeight - 4);
    auto* explodeRow = new QHBoxLayout(explode_);
    explodeRow->setContentsMargins(1, 1, 1, 1);
    plus_ = new QLabel(explode_);
    plus_->setPixmap(glyph(Glyph::Plus).pixmap(kGlyph, kGlyph));
    minus_ = new QLabel(explode_);
    minus_->setPixmap(glyph(Glyph::Minus).pixmap(kGlyph, kGlyph));
    explodeText_ = new QLabel(explode_);
    explodeText_->setObjectName(QStringLiteral("explodeText"));
    QFont ef = explodeText_->font();
    ef.setBold(true);
    ef.setPixelSize(11);
    explodeText_->setFont(ef);
    explodeText_->setAlignment(Qt::AlignCenter);
    for (QLabel* l : {plus_, minus_, explodeText_}) {
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        l->setAlignment(Qt::AlignCenter);
        explodeRow->addWidget(l);
    }
    connect(explode_, &PressPanel::pressed, this,
            [this] { commands_.trigger(QString::fromLatin1(cmd::ToggleExplodeMode)); });
    row->addWidget(explode_);
    setExplodeIndicator(0, false);
}

QFrame* ToolBarPanel::group(QWidget* parent)
{
    auto* g = new QFrame(parent);
    g->setFrameShape(QFrame::StyledPanel);
    g->setFrameShadow(QFrame::Raised);
    auto* layout = new QHBoxLayout(g);
    layout->setContentsMargins(1, 0, 1, 0);
    layout->setSpacing(0);
    g->setFixedHeight(kHeight - 2);
    return g;
}

QToolButton* ToolBarPanel::addButton(QFrame* g, const char* command, const QString& hint,
                                     const QIcon& icon)
{
    const QString name = QString::fromLatin1(command);
    auto* b = new QToolButton(g);
    b->setObjectName(QStringLiteral("tool_") + name);
    b->setAutoRaise(true);
    b->setIcon(icon);
    b->setIconSize(QSize(kGlyph, kGlyph));
    b->setFixedSize(kHeight - 5, kHeight - 5);
    b->setToolTip(hint);
    b->setFocusPolicy(Qt::NoFocus);
    QAction* action = commands_.action(name);
    b->setEnabled(action->isEnabled());
    connect(action, &QAction::changed, b, [b, action] { b->setEnabled(action->isEnabled()); });
    connect(b, &QToolButton::clicked, action, [action] { action->trigger(); });
    g->layout()->addWidget(b);
    buttons_.insert(name, b);
    return b;
}

QString ToolBarPanel::dateStampText() const { return dateStamp_->toPlainText(); }

void ToolBarPanel::resetDateStamp()
{
    dateStamp_->clear();
    dateStamp_->setPlainText(QStringLiteral("*Date*"));
}

void ToolBarPanel::setClipboardSizeText(const QString& text) { clipSizeText_->setText(text); }

QString ToolBarPanel::clipboardSizeText() const { return clipSizeText_->text(); }

void ToolBarPanel::refreshClipboardSize()
{
    const QMimeData* data = nullptr;
    if (QClipboard* clipboard = QGuiApplication::clipboard()) data = clipboard->mimeData();
    QString shown;
    if (data && data->hasImage()) {
        shown = QStringLiteral("         IMAGE");
    } else if (data && data->hasText()) {
        QString text = data->text();
        // The length counts up to the first zero character, as the clipboard's text ends there.
        qsizetype end = text.indexOf(QChar(0));
        if (end < 0) end = text.size();
        // Counted in characters: a letter above U+FFFF is one.
        const int length = CodePointCount(QStringView(text).left(end));
        if (length >= 1) shown = QStringLiteral("       ") + QString::number(length);
    }
    clipSizeText_->setText(shown);
    clipSizeText_->repaint();
}

void ToolBarPanel::showStopPicture(bool stopped)
{
    stop_->setVisible(stopped);
    directory_->setVisible(!stopped);
}

void ToolBarPanel::setExplodeIndicator(int mode, bool signs)
{
    plus_->hide();
    minus_->hide();
    explodeText_->hide();
    explodeText_->setText(mode < 0    ? QStringLiteral("OFF")
                          : mode == 0 ? QStringLiteral("ON")
                                      : QStringLiteral("MAX"));
    if (!signs)
        explodeText_->show();
    else if (mode > 0)
        plus_->show();
    else if (mode < 0)
        minus_->show();
}

QString ToolBarPanel::explodeText() const
{
    return explodeText_->isVisibleTo(explode_) ? explodeText_->text() : QString();
}
bool ToolBarPanel::plusShown() const { return plus_->isVisibleTo(explode_); }
bool ToolBarPanel::minusShown() const { return minus_->isVisibleTo(explode_); }

}  // namespace qb
