#include "items/SelectConceptDialog.h"

#include "floor/HelpTopic.h"
#include "platform/Colors.h"
#include "session/Session.h"

#include <QCollator>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace qb {

SelectConceptDialog::SelectConceptDialog(std::vector<Entry> entries, QWidget* parent)
    : QDialog(parent),
      entries_(std::move(entries)),
      list_(new QListWidget(this)),
      ok_(new QPushButton(QStringLiteral("&OK"), this))
{
    setObjectName(QStringLiteral("selectConcept"));
    setWindowTitle(QStringLiteral("SELECT CONCEPT"));
    SetHelpTopic(this, kHelpContext);
    setModal(true);
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(entries_.begin(), entries_.end(), [&](const Entry& a, const Entry& b) {
        return collator.compare(a.words, b.words) < 0;
    });

    const Settings& s = session().settings;
    QFont f(QStringLiteral("Times New Roman"));
    f.setPixelSize(15);
    f.setBold(true);
    f.setItalic(true);
    list_->setFont(f);
    QPalette p = list_->palette();
    p.setColor(QPalette::Base, colors::toQColor(s.synTableColor, p));
    p.setColor(QPalette::Text, colors::toQColor(s.synFontColor, p));
    list_->setPalette(p);
    for (const Entry& e : entries_) list_->addItem(e.words);
    if (list_->count() > 0) list_->setCurrentRow(0);

    ok_->setObjectName(QStringLiteral("ok"));
    ok_->setDefault(true);
    // The window has no Cancel: closing it is the way to choose nothing.
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    resize(320, 240);

    connect(ok_, &QPushButton::clicked, this, &SelectConceptDialog::takeSelected);
    connect(list_, &QListWidget::itemDoubleClicked, this, &SelectConceptDialog::takeSelected);
}

void SelectConceptDialog::takeSelected()
{
    const int row = list_->currentRow();
    if (row < 0 || row >= int(entries_.size())) return;
    chosen_ = entries_[size_t(row)].conceptId;
    accept();
}

std::optional<Timestamp> SelectConceptDialog::choose(std::vector<Entry> entries, QWidget* parent)
{
    SelectConceptDialog dialog(std::move(entries), parent ? parent->window() : nullptr);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.chosen();
}

}  // namespace qb
