#include "backup/SelectDirDialog.h"

#include "floor/HelpTopic.h"
#include "floor/Messages.h"
#include "session/Session.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace qb {

namespace {

constexpr int kHelpRestore = 30170;

struct FilterEntry {
    const char* caption;
    const char* mask;
};

// The second entry stays so the user sees why no .exe package is offered.
const FilterEntry kFilters[] = {
    {"zip file containing .db files", "????????.zip"},
    {"exe file: self-extracting packages do not exist on this platform", "????????.exe"},
    {"*.* (show all files)", "*"},
};

}  // namespace

TSelectDir::TSelectDir(RestoreMode mode, QWidget* parent) : QDialog(parent), mode_(mode)
{
    setWindowTitle(QStringLiteral("SELECT *.ZIP FILE TO IMPORT FROM"));
    SetHelpTopic(this, kHelpRestore);
    setModal(true);
    places_ = new QComboBox(this);
    places_->setToolTip(QStringLiteral("Select drive if needed"));
    places_->addItem(session().dir(), session().dir());
    places_->addItem(QDir::homePath(), QDir::homePath());
    places_->addItem(QDir::rootPath(), QDir::rootPath());
    folderLabel_ = new QLabel(this);
    folders_ = new QListWidget(this);
    folders_->setToolTip(QStringLiteral("Doubleclick to change"));
    files_ = new QListWidget(this);
    files_->setToolTip(QStringLiteral("The QB archive file contains the .db table files"));
    filter_ = new QComboBox(this);
    for (const FilterEntry& f : kFilters) filter_->addItem(QString::fromLatin1(f.caption));
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 100);
    progress_->hide();
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    ok_ = new QPushButton(QStringLiteral("&OK"), this);
    ok_->setDefault(true);

    auto* lists = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(places_);
    left->addWidget(folderLabel_);
    left->addWidget(folders_);
    auto* right = new QVBoxLayout;
    right->addWidget(files_);
    right->addWidget(filter_);
    lists->addLayout(left);
    lists->addLayout(right);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(progress_, 1);
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    layout->addLayout(buttons);
    resize(560, 360);

    connect(places_, &QComboBox::activated, this,
            [this](int index) { setFolder(places_->itemData(index).toString()); });
    connect(folders_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        setFolder(QDir(folder_).absoluteFilePath(item->text()));
    });
    connect(files_, &QListWidget::itemDoubleClicked, this, [this] { OKBtnClick(); });
    connect(filter_, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok_, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    setFolder(session().dir());
}

void TSelectDir::setFolder(const QString& folder)
{
    folder_ = QDir(folder).canonicalPath();
    if (folder_.isEmpty()) folder_ = session().dir();
    refresh();
}

void TSelectDir::setFilter(int index) { filter_->setCurrentIndex(index); }

bool TSelectDir::selectFile(const QString& name)
{
    const QList<QListWidgetItem*> found = files_->findItems(name, Qt::MatchExactly);
    if (found.isEmpty()) return false;
    files_->setCurrentItem(found.first());
    return true;
}

void TSelectDir::refresh()
{
    folderLabel_->setText(folder_);
    QDir dir(folder_);
    folders_->clear();
    folders_->addItem(QStringLiteral(".."));
    folders_->addItems(dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name));
    files_->clear();
    const int index = std::max(0, filter_->currentIndex());
    files_->addItems(dir.entryList({QString::fromLatin1(kFilters[index].mask)}, QDir::Files,
                                   QDir::Name | QDir::IgnoreCase));
}

void TSelectDir::OKBtnClick()
{
    QListWidgetItem* item = files_->currentItem();
    if (!item) return;
    const QString path = QDir(folder_).absoluteFilePath(item->text());
    ok_->setEnabled(false);
    RestoreRequest request;
    request.path = path;
    request.mode = mode_;
    request.progress = [this](int value) {
        progress_->show();
        progress_->setValue(value);
        progress_->repaint();
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    const RestoreRun run = RunPackageImport(request);
    outcome_ = run.outcome;
    progress_->hide();
    ok_->setEnabled(true);
    if (outcome_ == RestoreOutcome::WrongName || outcome_ == RestoreOutcome::NotOk) {
        refresh();
        return;
    }
    accept();
}

namespace {

void runDialog(RestoreMode mode, QWidget* parent)
{
    session().hooks.commit();
    TSelectDir dialog(mode, parent);
    dialog.exec();
    session().hooks.commit();
}

}  // namespace

void RestoreFromFileClick(QWidget* parent)
{
    if (!AskYesDefault(QStringLiteral("This command will erase the entire current data base and "
                                      "then import from file. Continue?"),
                       kHelpRestore))
        return;
    runDialog(RestoreMode::Restore, parent);
}

void AddAnotherDatabaseClick(QWidget* parent) { runDialog(RestoreMode::Merge, parent); }

}  // namespace qb
