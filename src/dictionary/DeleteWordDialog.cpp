#include "dictionary/DeleteWordDialog.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dictionary/DialogPlace.h"
#include "dictionary/DictionaryBrowser.h"
#include "dictionary/DictionaryTypes.h"
#include "floor/HelpTopic.h"

namespace qb {

TDeleteWordFrm::TDeleteWordFrm(Mode mode, const WordEdit& edit, QWidget* parent)
    : QDialog(parent),
      input_(new QLineEdit(this)),
      ok_(new QPushButton(QStringLiteral("&OK"), this)),
      cancel_(new QPushButton(QStringLiteral("&Cancel"), this))
{
    setObjectName(QStringLiteral("deleteWordDialog"));
    setWindowTitle(edit.caption);
    SetHelpTopic(this, kHelpContext);
    setModal(true);
    input_->setObjectName(QStringLiteral("word"));
    input_->setMaxLength(kWordFieldLength);
    input_->setText(edit.oldText);
    if (mode == Mode::Delete) {
        input_->setReadOnly(true);
        QPalette p = input_->palette();
        p.setColor(QPalette::Base, Qt::red);
        p.setColor(QPalette::Text, Qt::white);
        input_->setPalette(p);
    } else {
        input_->selectAll();
    }
    ok_->setDefault(true);
    ok_->setEnabled(edit.okEnabled);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(input_);
    layout->addLayout(buttons);
    setMinimumWidth(320);
    placeSmallDialog(*this);
    input_->setFocus();
}

void TDeleteWordFrm::done(int result)
{
    rememberSmallDialogPlace(*this);
    QDialog::done(result);
}

bool RunRenameWordDialog(DictionaryBrowser& window, QWidget* parent)
{
    WordEdit edit = BeginRenameWord(window);
    if (edit.rowId == 0) return false;
    TDeleteWordFrm dialog(TDeleteWordFrm::Mode::Rename, edit, parent);
    std::optional<QString> input;
    if (dialog.exec() == QDialog::Accepted) input = dialog.input()->text();
    return FinishRenameWord(window, edit, input);
}

bool RunDeleteWordDialog(DictionaryBrowser& window, QWidget* parent)
{
    WordEdit edit = BeginDeleteWord(window);
    if (edit.rowId == 0) return false;
    TDeleteWordFrm dialog(TDeleteWordFrm::Mode::Delete, edit, parent);
    bool confirmed = dialog.exec() == QDialog::Accepted;
    return FinishDeleteWord(window, edit, confirmed);
}

}  // namespace qb
