#include "search/FindWordDialog.h"

#include "dictionary/DialogPlace.h"
#include "floor/HelpTopic.h"
#include "projects/ProjectRecords.h"
#include "search/FindHistory.h"
#include "session/Session.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace qb {

using search::SearchType;

TFind_Word::TFind_Word(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("FIND WORD IN CONCEPTS AND ITEM TEXTS"));
    SetHelpTopic(this, kHelpContext);
    setObjectName(QStringLiteral("TFind_Word"));
    input_ = new QComboBox(this);
    input_->setObjectName(QStringLiteral("ComboBox1"));
    input_->setEditable(true);
    // Typing and Enter never add to the list; OK keeps the history.
    input_->setInsertPolicy(QComboBox::NoInsert);
    input_->setMaxVisibleItems(kHistoryLines);
    input_->lineEdit()->setMaxLength(kInputLimit);
    // Without a completer Enter goes to OK at once, also with a history entry selected.
    input_->setCompleter(nullptr);
    input_->setMinimumWidth(300);
    cut_ = new QToolButton(this);
    cut_->setObjectName(QStringLiteral("SpeedButtonErase"));
    cut_->setText(QStringLiteral("<"));
    cut_->setToolTip(QStringLiteral("Cut word from right"));
    cut_->setFocusPolicy(Qt::NoFocus);
    erase_ = new QToolButton(this);
    erase_->setObjectName(QStringLiteral("SpeedButton_Erase"));
    erase_->setText(QStringLiteral("X"));
    erase_->setFocusPolicy(Qt::NoFocus);

    auto* mode = new QGroupBox(this);
    mode->setObjectName(QStringLiteral("RadioGroupExact"));
    embedded_ = new QRadioButton(QStringLiteral("Embedded"), mode);
    exact_ = new QRadioButton(QStringLiteral("Exact"), mode);
    embedded_->setChecked(true);
    auto* modeLayout = new QVBoxLayout(mode);
    modeLayout->addWidget(embedded_);
    modeLayout->addWidget(exact_);

    auto* type = new QGroupBox(this);
    type->setObjectName(QStringLiteral("rgSearchType"));
    auto* typeLayout = new QVBoxLayout(type);
    const QString typeCaptions[3] = {QStringLiteral("Item texts only"),
                                     QStringLiteral("Concepts and items"),
                                     QStringLiteral("In desktop items only")};
    auto* typeGroup = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        types_[i] = new QRadioButton(typeCaptions[i], type);
        typeGroup->addButton(types_[i], i);
        typeLayout->addWidget(types_[i]);
    }
    types_[0]->setChecked(true);
    pictures_ = new QCheckBox(QStringLiteral("Pictures only"), this);
    pictures_->setObjectName(QStringLiteral("Pictures"));

    ok_ = new QPushButton(QStringLiteral("&OK"), this);
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("&Cancel"), this);

    auto* inputRow = new QHBoxLayout;
    inputRow->addWidget(input_, 1);
    inputRow->addWidget(cut_);
    inputRow->addWidget(erase_);
    auto* options = new QHBoxLayout;
    options->addWidget(mode);
    options->addWidget(type);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(pictures_);
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(inputRow);
    layout->addLayout(options);
    layout->addLayout(buttons);
    // Wide enough for the caption.
    setMinimumWidth(440);

    connect(cut_, &QToolButton::clicked, this, &TFind_Word::SpeedButtonEraseClick);
    connect(erase_, &QToolButton::clicked, this, &TFind_Word::SpeedButton_EraseClick);
    connect(ok_, &QPushButton::clicked, this, &TFind_Word::OKBtnClick);
    connect(cancel_, &QPushButton::clicked, this, &TFind_Word::CancelBtnClick);
    connect(typeGroup, &QButtonGroup::idToggled, this, [this](int, bool) { typeChanged(); });
    refreshHistory();
}

namespace {

// The dialog belongs to the main window; a run that ends before the window takes it along.
struct FindDialogState {
    QPointer<TFind_Word> dialog;
    ~FindDialogState()
    {
        if (dialog && QCoreApplication::instance()) delete dialog.data();
    }
};

}  // namespace

TFind_Word& TFind_Word::instance()
{
    FindDialogState& s = session().part<FindDialogState>();
    if (!s.dialog)
        s.dialog =
            new TFind_Word(session().shell.mainWindow ? session().shell.mainWindow() : nullptr);
    return *s.dialog;
}

QString TFind_Word::inputText() const { return input_->currentText(); }

void TFind_Word::setInputText(const QString& text) { input_->setEditText(text); }

QRadioButton* TFind_Word::typeButton(SearchType type) const { return types_[int(type)]; }

search::SearchRequest TFind_Word::request() const
{
    search::SearchRequest r;
    r.text = searchText_;
    r.mode = exact_->isChecked() ? search::MatchMode::Exact : search::MatchMode::Embedded;
    for (int i = 0; i < 3; ++i)
        if (types_[i]->isChecked()) r.type = SearchType(i);
    r.picturesOnly = pictures_->isChecked();
    return r;
}

void TFind_Word::refreshHistory()
{
    const QString text = inputText();
    input_->clear();
    input_->addItems(search::searchState().history);
    input_->setEditText(text);
}

void TFind_Word::typeChanged()
{
    // The filter's state counts for every type; it is changed only with "Item texts only".
    pictures_->setEnabled(types_[0]->isChecked());
}

void TFind_Word::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    FormActivate();
}

void TFind_Word::FormActivate()
{
    input_->setFocus();
    QStringList& history = search::searchState().history;
    search::CleanFindEntries(history);
    refreshHistory();
    QLineEdit* edit = input_->lineEdit();
    if (inputText().isEmpty()) {
        const QClipboard* clipboard = QGuiApplication::clipboard();
        const QString clip = clipboard ? clipboard->text() : QString();
        if (!clip.isEmpty()) {
            const QString proposal = CleanFileName(clip, false);
            if (proposal != lastProposal_) {
                setInputText(proposal.left(kInputLimit));
                lastProposal_ = proposal;
                edit->setCursorPosition(int(edit->text().size()));
            }
        }
    }
    if (inputText().isEmpty() && !history.isEmpty()) setInputText(history.first());
    typeChanged();
}

void TFind_Word::SpeedButtonEraseClick()
{
    QLineEdit* edit = input_->lineEdit();
    if (edit->hasSelectedText()) {
        edit->deselect();
    } else {
        QString text = edit->text();
        text.chop(1);
        edit->setText(text);
    }
    edit->setCursorPosition(int(edit->text().size()));
    input_->setFocus();
}

void TFind_Word::SpeedButton_EraseClick()
{
    input_->lineEdit()->clear();
    input_->setFocus();
}

void TFind_Word::OKBtnClick()
{
    QStringList& history = search::searchState().history;
    search::PromoteFindEntry(history, searchText_);
    searchText_ = search::SearchTextFromInput(inputText());
    search::PromoteFindEntry(history, searchText_);
    refreshHistory();
    accept();
}

void TFind_Word::CancelBtnClick()
{
    searchText_.clear();
    input_->lineEdit()->clear();
    Session& s = session();
    s.flags.clearEscape();
    s.flags.releaseAbort();
    s.commitRunning.lower();
    QDialog::reject();
}

void TFind_Word::reject()
{
    // Esc and the close box cancel as the button does.
    CancelBtnClick();
}

void TFind_Word::done(int result)
{
    rememberSmallDialogPlace(*this);
    QDialog::done(result);
}

}  // namespace qb
