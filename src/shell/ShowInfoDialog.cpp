#include "shell/ShowInfoDialog.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextBlock>
#include <QToolButton>

#include "floor/HelpTopic.h"
#include "floor/Messages.h"
#include "shell/HelpWindow.h"

namespace qb {

namespace {
constexpr int kLeft = 12;
constexpr int kTop = 20;
constexpr int kLinePixels = 16;
constexpr int kButtonWidth = 84;
constexpr int kButtonHeight = 26;
constexpr int kGap = 10;
constexpr int kMinWidth = 380;
}  // namespace

TfrmQBShowInfo::TfrmQBShowInfo(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmQBShowInfo"));
    setModal(true);

    code_ = new QLabel(this);
    code_->setObjectName(QStringLiteral("code"));
    code_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    code_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    bevel_ = new QFrame(this);
    bevel_->setFrameShape(QFrame::Panel);
    bevel_->setFrameShadow(QFrame::Sunken);

    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("message"));
    text_->setReadOnly(true);
    text_->setFrameShape(QFrame::NoFrame);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text_->document()->setDocumentMargin(4);
    // The message sits on the window's own colour, like a label that can be selected from.
    QPalette p = text_->palette();
    p.setColor(QPalette::Base, palette().color(QPalette::Window));
    text_->setPalette(p);

    answer_ = new QLineEdit(this);
    answer_->setObjectName(QStringLiteral("answer"));
    erase_ = new QToolButton(this);
    erase_->setObjectName(QStringLiteral("erase"));
    erase_->setText(QStringLiteral("\u2190"));
    erase_->setToolTip(QStringLiteral("Erase the last character"));
    // The field keeps the focus (and its selection) when the button is pressed.
    erase_->setFocusPolicy(Qt::NoFocus);

    auto makeButton = [this](const QString& caption, const char* name) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    ok_ = makeButton(QStringLiteral("OK"), "ok");
    cancel_ = makeButton(QStringLiteral("Cancel"), "cancel");
    yes_ = makeButton(QStringLiteral("&Yes"), "yes");
    no_ = makeButton(QStringLiteral("&No"), "no");
    closeAll_ = makeButton(QStringLiteral("Close all"), "closeAll");
    help_ = makeButton(QStringLiteral("&Help"), "help");

    connect(ok_, &QPushButton::clicked, this, &TfrmQBShowInfo::okClicked);
    connect(cancel_, &QPushButton::clicked, this, [this] { finish(MessageButton::Cancel); });
    connect(yes_, &QPushButton::clicked, this, [this] { finish(MessageButton::Yes); });
    connect(no_, &QPushButton::clicked, this, [this] { finish(MessageButton::No); });
    connect(closeAll_, &QPushButton::clicked, this, [this] { finish(MessageButton::CloseAll); });
    connect(erase_, &QToolButton::clicked, this, &TfrmQBShowInfo::eraseClicked);
    connect(help_, &QPushButton::clicked, this,
            [this] { HelpWindow::showTopic(QString::number(helpTopic_)); });
}

QPushButton* TfrmQBShowInfo::button(MessageButton which) const
{
    switch (which) {
    case MessageButton::Ok: return ok_;
    case MessageButton::Cancel: return cancel_;
    case MessageButton::Yes: return yes_;
    case MessageButton::No: return no_;
    case MessageButton::CloseAll: return closeAll_;
    case MessageButton::Closed: break;
    }
    return nullptr;
}

void TfrmQBShowInfo::prepare(const MessageRequest& r)
{
    result_ = MessageButton::Closed;
    helpTopic_ = r.helpTopic;
    SetHelpTopic(this, r.helpTopic);
    setWindowTitle(r.title());

    const bool bold = r.kind == kError || r.kind == kSystemError;
    QFont f = font();
    f.setBold(bold);
    text_->setFont(f);
    QPalette p = text_->palette();
    p.setColor(QPalette::Text, bold ? QColor(Qt::red) : palette().color(QPalette::WindowText));
    text_->setPalette(p);

    // Wrap paragraph by paragraph, remembering which breaks wrapping added.
    const int columns = bold ? messages::kBoldColumns : messages::kNormalColumns;
    lines_.clear();
    softBreaks_.clear();
    if (!r.message.trimmed().isEmpty()) {
        QString normalized = r.message;
        normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        if (normalized.endsWith(QLatin1Char('\n'))) normalized.chop(1);
        for (const QString& paragraph : normalized.split(QLatin1Char('\n'))) {
            const QStringList wrapped =
                WrapMessage(paragraph, columns).split(QStringLiteral("\r\n"));
            for (int i = 0; i < wrapped.size(); ++i) {
                if (i + 1 < wrapped.size()) softBreaks_.insert(lines_.size());
                lines_ << wrapped[i];
            }
        }
    }
    text_->setPlainText(lines_.join(QLatin1Char('\n')));

    const bool withAnswer = r.kind == kInputRequest || r.kind == kAddKeyword;
    answer_->setText(withAnswer ? r.answer.trimmed() : QString());

    order_.clear();
    switch (r.kind) {
    case kSystemError: order_ << ok_ << closeAll_; break;
    case kQuestionYes: order_ << yes_ << no_; break;
    case kQuestionNo: order_ << no_ << yes_; break;
    case kInputRequest:
    case kAddKeyword: order_ << ok_ << cancel_; break;
    default: order_ << ok_; break;
    }
    QPushButton* defaultButton = order_.first();
    for (QPushButton* b : {ok_, cancel_, yes_, no_, closeAll_}) {
        b->setVisible(order_.contains(b));
        b->setDefault(b == defaultButton);
    }
    help_->setVisible(r.helpTopic > 0);
    answer_->setVisible(withAnswer);
    erase_->setVisible(withAnswer);
    text_->setVisible(!lines_.isEmpty());
    bevel_->setVisible(!lines_.isEmpty());
    code_->setText(r.code);
    code_->setVisible(r.showCode && !r.code.isEmpty());

    layoutControls(columns);
    if (withAnswer) {
        answer_->setFocus();
        answer_->end(false);
    } else {
        defaultButton->setFocus();
    }
}

void TfrmQBShowInfo::layoutControls(int columns)
{
    const QFontMetrics fm(text_->font());
    int widest = fm.horizontalAdvance(QString(columns, QLatin1Char('n'))) / 2;
    for (const QString& line : lines_) widest = qMax(widest, fm.horizontalAdvance(line));
    const int textWidth = widest + 2 * int(text_->document()->documentMargin()) + 4;
    int width =
        qMax(kMinWidth, textWidth + 28 + text_->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    const int buttons = int(order_.size()) + (help_->isVisibleTo(this) ? 1 : 0);
    width = qMax(width, 2 * kLeft + buttons * (kButtonWidth + kGap));

    // The code is shown whole, however long the text in its place.
    const int codeWidth = QFontMetrics(code_->font()).horizontalAdvance(code_->text()) + 4;
    if (code_->isVisibleTo(this)) width = qMax(width, kLeft + codeWidth + 72);

    QRect screen = QApplication::primaryScreen()
                       ? QApplication::primaryScreen()->availableGeometry()
                       : QRect(0, 0, 1280, 1024);
    width = qMin(width, qMax(kMinWidth, screen.width() - 40));

    int y = kTop;
    if (code_->isVisibleTo(this)) {
        const int w = qMin(codeWidth, width - 72 - kLeft);
        code_->setGeometry(width - 72 - w, 2, w, 16);
        y += 4;  // clear of the text's frame
    }
    if (!lines_.isEmpty()) {
        // Never less room per line than the font takes, so no line is cut.
        const int perLine = qMax(kLinePixels, fm.lineSpacing());
        int height = perLine * int(lines_.size()) + 8;
        const int room = qMax(120, screen.height() - 220);
        // Beyond the screen the text scrolls; otherwise every line is in view.
        const bool scrolls = height > room;
        height = qMin(height, room);
        text_->setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        text_->setGeometry(kLeft, y, width - 28, height);
        bevel_->setGeometry(kLeft - 4, y - 4, width - 28 + 8, height + 8);
        y += height + 4 + kGap;
    }
    if (answer_->isVisibleTo(this)) {
        const int fieldWidth = width - 28 - 28;
        answer_->setGeometry(kLeft, y, fieldWidth, 24);
        erase_->setGeometry(kLeft + fieldWidth + 4, y, 24, 24);
        y += 24 + kGap;
    }
    int x = kLeft;
    for (QPushButton* b : order_) {
        b->setGeometry(x, y, kButtonWidth, kButtonHeight);
        x += kButtonWidth + kGap;
    }
    if (help_->isVisibleTo(this))
        help_->setGeometry(width - kLeft - kButtonWidth, y, kButtonWidth, kButtonHeight);
    y += kButtonHeight;
    setFixedSize(width, y + kTop);
}

QString TfrmQBShowInfo::selectedMessageText() const
{
    QTextCursor c = text_->textCursor();
    if (!c.hasSelection()) return QString();
    const QTextDocument* doc = text_->document();
    const int start = c.selectionStart();
    const int end = c.selectionEnd();
    QTextBlock first = doc->findBlock(start);
    QTextBlock last = doc->findBlock(end);
    QString out;
    for (QTextBlock b = first; b.isValid(); b = b.next()) {
        const int from = b == first ? start - b.position() : 0;
        const int to = b == last ? end - b.position() : b.length() - 1;
        out += b.text().mid(from, qMax(0, to - from));
        if (b == last) break;
        // A break that wrapping added joins the lines again; one of the message's own becomes a
        // blank, since the answer is a single line.
        if (!softBreaks_.contains(b.blockNumber())) out += QLatin1Char(' ');
    }
    return out;
}

void TfrmQBShowInfo::okClicked()
{
    if (answer_->isVisibleTo(this) && answer_->text().isEmpty()) {
        QString selected = selectedMessageText().trimmed();
        if (!selected.isEmpty()) {
            answer_->setText(selected);
            answer_->setFocus();
            answer_->end(false);
            return;
        }
    }
    finish(MessageButton::Ok);
}

void TfrmQBShowInfo::eraseClicked()
{
    if (answer_->hasSelectedText()) {
        answer_->deselect();
    } else {
        QString t = answer_->text();
        t.chop(1);
        answer_->setText(t);
    }
    answer_->setFocus();
    answer_->end(false);
}

void TfrmQBShowInfo::finish(MessageButton button)
{
    result_ = button;
    if (button == MessageButton::Ok || button == MessageButton::Yes)
        accept();
    else
        reject();
}

void TfrmQBShowInfo::setVisible(bool visible)
{
    QDialog::setVisible(visible);
    // Showing a dialog gives its focus widget a tab-style focus, which would select the whole
    // answer; the caret belongs after the last character instead.
    if (visible && answer_->isVisibleTo(this)) {
        answer_->setFocus(Qt::OtherFocusReason);
        answer_->deselect();
        answer_->end(false);
    }
}

MessageReply TfrmQBShowInfo::run(const MessageRequest& request)
{
    prepare(request);
    exec();
    MessageReply reply;
    reply.button = result_;
    reply.answer = answer_->text().trimmed();
    return reply;
}

}  // namespace qb
