#include "dictionary/LocateDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include "dictionary/DialogPlace.h"
#include "dictionary/DictionaryState.h"
#include "dictionary/DictionaryWindows.h"
#include "floor/HelpTopic.h"
#include "platform/Colors.h"
#include "session/Session.h"

namespace qb {

namespace {

DictLocateState& state() { return dictionaryState().locate; }

const QString kToggleHint = QStringLiteral("You can toggle with Ctrl key ");

// Places of the controls; the dialog is 383 wide, 160 high with the hit row and 114 without.
constexpr QRect kInput{8, 12, 252, 28};
constexpr QRect kTopButton{272, 12, 100, 28};
constexpr QRect kSecondButton{272, 52, 100, 28};
constexpr QRect kIncremental{8, 55, 120, 22};
constexpr QRect kFromTop{136, 55, 120, 22};
constexpr QRect kHitReport{8, 96, 196, 26};
constexpr QRect kCount{210, 96, 26, 26};
constexpr QRect kStat{242, 96, 50, 26};

}  // namespace

TLocateInList::TLocateInList(QWidget* parent)
    : QDialog(parent),
      input_(new QComboBox(this)),
      buffer_(new QLineEdit(this)),
      incremental_(new QCheckBox(QStringLiteral("Incremental"), this)),
      fromTop_(new QCheckBox(QStringLiteral("From top"), this)),
      ok_(new QPushButton(QStringLiteral("&OK"), this)),
      close_(new QPushButton(QStringLiteral("&Close"), this)),
      show_(new QPushButton(QStringLiteral("&Show"), this)),
      hitReport_(new QLineEdit(this)),
      stat_(new QLineEdit(this)),
      count_(new QPushButton(QStringLiteral("C"), this)),
      timer_(new QTimer(this))
{
    setObjectName(QStringLiteral("locateDialog"));
    setWindowTitle(QStringLiteral("FIND WORD IN DICTIONARY"));
    SetHelpTopic(this, kHelpContext);
    setModal(true);
    setFixedWidth(LocateDialogLogic::kWidth);

    input_->setObjectName(QStringLiteral("ComboBox1"));
    input_->setEditable(true);
    input_->setInsertPolicy(QComboBox::NoInsert);
    input_->lineEdit()->setMaxLength(50);
    // The combo box would take the focus for its line edit and hand the keys on past the filter
    // below: typed keys go to the line edit itself (what it leaves, the combo box still gets).
    input_->lineEdit()->setFocusProxy(nullptr);
    QPalette ip = input_->palette();
    ip.setColor(QPalette::Base, colors::toQColor(kInputColor, ip));
    input_->setPalette(ip);
    input_->lineEdit()->setPalette(ip);
    input_->setGeometry(kInput);

    // Keys typed while a jump is pending are collected here, out of sight.
    buffer_->setObjectName(QStringLiteral("InpBuffer"));
    buffer_->setGeometry(-40, -40, 20, 20);

    incremental_->setObjectName(QStringLiteral("CheckBox_IncrSearch"));
    incremental_->setToolTip(kToggleHint);
    incremental_->setGeometry(kIncremental);
    fromTop_->setObjectName(QStringLiteral("CheckBox_Rewind"));
    fromTop_->setToolTip(kToggleHint);
    fromTop_->setGeometry(kFromTop);
    ok_->setObjectName(QStringLiteral("btn_OK"));
    close_->setObjectName(QStringLiteral("btn_Cancel"));
    show_->setObjectName(QStringLiteral("btn_Show"));
    for (QPushButton* b : {ok_, close_, show_, count_}) b->setAutoDefault(false);

    const Settings& s = session().settings;
    QPalette hp = hitReport_->palette();
    hp.setColor(QPalette::Base, colors::toQColor(s.dictTableColor, hp));
    hp.setColor(QPalette::Text, colors::toQColor(s.dictFontColor, hp));
    hitReport_->setObjectName(QStringLiteral("Edit_HitReport"));
    hitReport_->setReadOnly(true);
    hitReport_->setPalette(hp);
    hitReport_->setGeometry(kHitReport);
    stat_->setObjectName(QStringLiteral("Edit_Stat"));
    stat_->setReadOnly(true);
    stat_->setPalette(hp);
    stat_->setToolTip(QStringLiteral("Number of concepts attached"));
    stat_->setGeometry(kStat);
    count_->setToolTip(QStringLiteral("Number of concepts attached"));
    count_->setGeometry(kCount);

    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &TLocateInList::Timer1Timer);
    connect(ok_, &QPushButton::clicked, this, &TLocateInList::OKBtnClick);
    connect(close_, &QPushButton::clicked, this, &TLocateInList::CloseBtnClick);
    connect(show_, &QPushButton::clicked, this, &TLocateInList::ShowBtnClick);
    connect(count_, &QPushButton::clicked, this, &TLocateInList::CountBtnClick);
    connect(incremental_, &QCheckBox::clicked, this, &TLocateInList::IncrementalClick);
    connect(fromTop_, &QCheckBox::clicked, this, [](bool on) { state().fromTopChecked = on; });
    connect(input_->lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString& text) { logic_.setInput(text); });
    connect(input_, &QComboBox::activated, this, [this](int index) {
        logic_.historyPicked(input_->itemText(index));
        input_->setEditText(logic_.input());
        showLayout();
    });
    connect(buffer_, &QLineEdit::textEdited, this,
            [this](const QString& text) { logic_.bufferTyped(text); });

    // The dialog sees the keys before its controls.
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

namespace {

// The dialog belongs to the main window; a run that ends before the window takes it along.
struct LocateDialogState {
    QPointer<TLocateInList> dialog;
    ~LocateDialogState()
    {
        if (dialog && QCoreApplication::instance()) delete dialog.data();
    }
};

}  // namespace

TLocateInList& TLocateInList::instance()
{
    LocateDialogState& s = session().part<LocateDialogState>();
    if (!s.dialog)
        s.dialog =
            new TLocateInList(session().shell.mainWindow ? session().shell.mainWindow() : nullptr);
    return *s.dialog;
}

void TLocateInList::run()
{
    TLocateInList& dialog = instance();
    placeSmallDialog(dialog);
    dialog.exec();
}

void TLocateInList::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    FormActivate();
}

void TLocateInList::FormActivate()
{
    timer_->stop();
    buffer_->clear();
    QString clipboard = dictionaryHooks().clipboard();
    logic_.activate(clipboard);
    showing_ = true;
    input_->clear();
    input_->addItems(state().history);
    input_->setEditText(logic_.input());
    showing_ = false;
    input_->lineEdit()->setFocus(Qt::OtherFocusReason);
    placeCaret();
    showState();
}

void TLocateInList::placeCaret()
{
    if (logic_.selectAllOnOpen())
        input_->lineEdit()->selectAll();
    else
        input_->lineEdit()->end(false);
}

void TLocateInList::setVisible(bool visible)
{
    QDialog::setVisible(visible);
    // Showing hands the input a focus as by Tab, which selects its text: typing goes on instead.
    if (visible) placeCaret();
}

void TLocateInList::showState()
{
    setWindowTitle(state().caption);
    incremental_->setVisible(state().incrementalVisible);
    incremental_->setChecked(state().incrementalChecked);
    fromTop_->setVisible(logic_.fromTopVisible());
    fromTop_->setChecked(state().fromTopChecked);
    count_->setVisible(logic_.countButtonVisible());
    hitReport_->setText(state().hitReport);
    stat_->setText(state().statText);
    showLayout();
}

void TLocateInList::showLayout()
{
    bool full = !logic_.compact();
    hitReport_->setVisible(full);
    stat_->setVisible(full);
    count_->setVisible(full && logic_.countButtonVisible());
    bool offerShow = logic_.showButtonVisible();
    show_->setVisible(offerShow);
    ok_->setVisible(!offerShow);
    show_->setDefault(offerShow);
    ok_->setDefault(!offerShow);
    if (offerShow) {
        show_->setGeometry(kTopButton);
        close_->setGeometry(kSecondButton);
    } else {
        close_->setGeometry(kTopButton);
        ok_->setGeometry(kSecondButton);
    }
    setFixedHeight(logic_.height());
}

void TLocateInList::OKBtnClick()
{
    logic_.setInput(input_->currentText());
    logic_.ok();
    done(QDialog::Accepted);
}

void TLocateInList::CloseBtnClick()
{
    logic_.leave();
    done(QDialog::Rejected);
}

void TLocateInList::ShowBtnClick()
{
    // Closed first, so that the concept cards come up on a free desktop.
    done(QDialog::Accepted);
    logic_.show();
}

void TLocateInList::CountBtnClick()
{
    logic_.countConcepts();
    stat_->setText(state().statText);
    showLayout();
    input_->lineEdit()->setFocus(Qt::OtherFocusReason);
    input_->lineEdit()->end(false);
}

void TLocateInList::Timer1Timer()
{
    timer_->stop();
    logic_.bufferTyped(buffer_->text());
    buffer_->clear();
    logic_.timerFired();
    input_->setEditText(logic_.input());
    input_->lineEdit()->setFocus(Qt::OtherFocusReason);
    done(QDialog::Accepted);
}

void TLocateInList::IncrementalClick(bool checked)
{
    bool leave = logic_.incrementalClicked(checked);
    input_->lineEdit()->setFocus(Qt::OtherFocusReason);
    if (leave && isVisible())
        done(QDialog::Rejected);
    else
        showState();
}

void TLocateInList::done(int result)
{
    timer_->stop();
    logic_.closed();
    rememberSmallDialogPlace(*this);
    QDialog::done(result);
}

bool TLocateInList::inputKeyPress(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Alt: return true;
    case Qt::Key_Control:
        logic_.ctrlPressed();
        fromTop_->setChecked(state().fromTopChecked);
        return true;
    case Qt::Key_Space:
        if (!logic_.incrementalMode()) return false;
        logic_.space();
        input_->setEditText(QString());
        buffer_->clear();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (show_->isVisible())
            ShowBtnClick();
        else
            OKBtnClick();
        return true;
    default: break;
    }
    QString text = e->text();
    if (text.size() == 1) logic_.charTyped(text.at(0));
    return false;
}

void TLocateInList::inputKeyRelease(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Space || e->isAutoRepeat()) return;
    logic_.setInput(input_->currentText());
    if (logic_.keyReleased(e->key())) {
        // Further keys are collected until the pause is over.
        buffer_->setFocus(Qt::OtherFocusReason);
        timer_->start(std::max(1, session().settings.dictLocateDelay));
    }
}

bool TLocateInList::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Escape) {
            if (logic_.escPressed()) CloseBtnClick();
            return true;
        }
        if (watched == input_->lineEdit()) return inputKeyPress(k);
        if (watched == buffer_ && (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)) {
            Timer1Timer();
            return true;
        }
    } else if (e->type() == QEvent::KeyRelease) {
        if (watched == input_->lineEdit()) inputKeyRelease(static_cast<QKeyEvent*>(e));
    } else if (e->type() == QEvent::MouseButtonPress && watched == hitReport_) {
        CloseBtnClick();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

}  // namespace qb
