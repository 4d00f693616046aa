#include "dictionary/NewWordDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include "dictionary/DialogPlace.h"
#include "dictionary/DictionaryTypes.h"
#include "floor/HelpTopic.h"

namespace qb {

namespace {
constexpr int kWidth = 330;
}

TNewWord::TNewWord(const QString& proposed, QWidget* parent)
    : QDialog(parent),
      check_(proposed),
      input_(new QLineEdit(this)),
      erase_(new QToolButton(this)),
      ok_(new QPushButton(QStringLiteral("&OK"), this)),
      test_(new QPushButton(this)),
      cancel_(new QPushButton(QStringLiteral("&Cancel"), this)),
      label_(new QLabel(this)),
      dictionaryGrid_(new QListWidget(this)),
      inflectionGrid_(new QListWidget(this))
{
    setObjectName(QStringLiteral("newWordDialog"));
    setWindowTitle(NewWordCheck::caption());
    SetHelpTopic(this, kHelpContext);
    setModal(true);

    input_->setObjectName(QStringLiteral("Edit_TestWord"));
    input_->setMaxLength(kWordFieldLength);
    input_->setText(check_.text());
    erase_->setObjectName(QStringLiteral("SpeedButtonErase"));
    erase_->setText(QStringLiteral("<"));
    erase_->setToolTip(QStringLiteral("Cut word from right"));
    erase_->setFocusPolicy(Qt::NoFocus);
    test_->setObjectName(QStringLiteral("Btn_Test"));
    ok_->setObjectName(QStringLiteral("OKBtn"));
    cancel_->setObjectName(QStringLiteral("CancelBtn"));
    label_->setObjectName(QStringLiteral("gridLabel"));
    dictionaryGrid_->setObjectName(QStringLiteral("DBGrid1"));
    dictionaryGrid_->setToolTip(QStringLiteral("Doubleclick: Go to word in dictionary"));
    inflectionGrid_->setObjectName(QStringLiteral("DBGrid2"));
    // Enter is OK (or Test while the test is the default), never a grid's own action.
    ok_->setAutoDefault(false);
    test_->setAutoDefault(false);
    cancel_->setAutoDefault(false);

    auto* inputRow = new QHBoxLayout;
    inputRow->addWidget(input_);
    inputRow->addWidget(erase_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok_);
    buttons->addWidget(test_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(inputRow);
    layout->addLayout(buttons);
    layout->addWidget(label_);
    // The two grids take the same place; one of them at most is shown.
    auto* grids = new QGridLayout;
    grids->setContentsMargins(0, 0, 0, 0);
    grids->addWidget(dictionaryGrid_, 0, 0);
    grids->addWidget(inflectionGrid_, 0, 0);
    layout->addLayout(grids);
    layout->addStretch();
    layout->setSizeConstraint(QLayout::SetNoConstraint);

    connect(input_, &QLineEdit::textEdited, this, &TNewWord::textEdited);
    connect(ok_, &QPushButton::clicked, this, &TNewWord::OKBtnClick);
    connect(test_, &QPushButton::clicked, this, &TNewWord::TestBtnClick);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(erase_, &QToolButton::clicked, this, &TNewWord::EraseBtnClick);
    connect(dictionaryGrid_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        check_.chooseDictionaryMatch(dictionaryGrid_->row(item));
        reject();
    });
    connect(inflectionGrid_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        check_.chooseInflectionMatch(inflectionGrid_->row(item));
        reject();
    });

    label_->hide();
    dictionaryGrid_->hide();
    inflectionGrid_->hide();
    baseHeight_ = layout->sizeHint().height();
    setFixedWidth(kWidth);
    showCheck();
    placeSmallDialog(*this);
}

void TNewWord::setVisible(bool visible)
{
    QDialog::setVisible(visible);
    // Showing hands the input a focus as by Tab, which selects the proposed text: the caret
    // goes to its end instead.
    if (visible) {
        input_->setFocus(Qt::OtherFocusReason);
        input_->deselect();
        input_->end(false);
    }
}

void TNewWord::textEdited(const QString& text)
{
    check_.setText(text);
    showCheck();
}

void TNewWord::showCheck()
{
    test_->setVisible(check_.testButtonVisible());
    test_->setText(check_.testButtonCaption());
    test_->setDefault(!check_.okIsDefault());
    ok_->setDefault(check_.okIsDefault());

    NewWordCheck::Grid shown = check_.shownGrid();
    fillGrid(dictionaryGrid_, check_.dictionaryMatches());
    fillGrid(inflectionGrid_, check_.inflectionMatches());
    dictionaryGrid_->setVisible(shown == NewWordCheck::Grid::Dictionary);
    inflectionGrid_->setVisible(shown == NewWordCheck::Grid::Inflections);
    label_->setText(check_.gridLabel());
    label_->setVisible(shown != NewWordCheck::Grid::None);

    int height = baseHeight_;
    if (shown != NewWordCheck::Grid::None) {
        QListWidget* grid =
            shown == NewWordCheck::Grid::Dictionary ? dictionaryGrid_ : inflectionGrid_;
        int fontHeight = grid->fontMetrics().height();
        int matches = grid->count();
        int gridHeight = NewWordCheck::gridHeight(fontHeight, matches);
        // Long lists scroll within what fits on a screen.
        gridHeight = std::min(gridHeight, 480);
        grid->setFixedHeight(gridHeight);
        height = std::max(baseHeight_, NewWordCheck::dialogHeight(gridHeight));
    }
    setFixedHeight(height);
}

void TNewWord::fillGrid(QListWidget* grid, const std::vector<NewWordCheck::Match>& matches)
{
    grid->clear();
    for (const NewWordCheck::Match& m : matches) grid->addItem(m.word);
}

void TNewWord::TestBtnClick()
{
    // The check follows every edit of the input, so its test counter is the dialog's.
    check_.pressTest();
    showCheck();
    input_->setFocus(Qt::OtherFocusReason);
}

void TNewWord::EraseBtnClick()
{
    bool selection = input_->hasSelectedText();
    if (selection) {
        input_->deselect();
    } else {
        check_.erase(false);
        input_->setText(check_.text());
        showCheck();
    }
    input_->end(false);
    input_->setFocus(Qt::OtherFocusReason);
}

void TNewWord::OKBtnClick()
{
    if (check_.text() != input_->text()) check_.setText(input_->text());
    created_ = check_.ok();
    input_->setText(check_.text());
    accept();
}

void TNewWord::done(int result)
{
    rememberSmallDialogPlace(*this);
    QDialog::done(result);
}

int RunNewWordDialog(const QString& proposed, QWidget* parent)
{
    TNewWord dialog(proposed, parent);
    dialog.exec();
    return dialog.createdWordNo();
}

}  // namespace qb
