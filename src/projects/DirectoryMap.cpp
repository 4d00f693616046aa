#include "projects/DirectoryMap.h"

#include "session/Session.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace qb {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kFilledRole = Qt::UserRole + 1;

QString cleanDir(const QString& dir) { return QDir::cleanPath(QDir(dir).absolutePath()); }

QString storeDirectory()
{
    const QString dir = session().dir();
    return dir.isEmpty() ? QDir::currentPath() : dir;
}

QPushButton* button(const QString& caption, QWidget* parent, const char* objectName)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(objectName));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

QList<TDirectoryMap::FileType> TDirectoryMap::fileTypes()
{
    // Shortcuts here are desktop entries as well as the old link files.
    return {{QStringLiteral("Shortcuts"), {QStringLiteral("*.lnk"), QStringLiteral("*.desktop")}},
            {QStringLiteral("Documents (*.doc;*.txt;*.rtf;*.wpd)"),
             {QStringLiteral("*.doc"), QStringLiteral("*.txt"), QStringLiteral("*.rtf"),
              QStringLiteral("*.wpd")}},
            {QStringLiteral("HTML files (*.htm)"), {QStringLiteral("*.htm*")}},
            {QStringLiteral("All files (*.*)"), {QStringLiteral("*")}}};
}

TDirectoryMap::TDirectoryMap(const QString& start, QWidget* parent)
    : QDialog(parent),
      drives_(new QComboBox(this)),
      directories_(new QTreeWidget(this)),
      types_(new QComboBox(this)),
      typeNote_(new QLabel(QStringLiteral("You must click to select a file type!"), this)),
      files_(new QListWidget(this))
{
    setObjectName(QStringLiteral("directoryMap"));
    setWindowTitle(QStringLiteral("SELECT DIRECTORY OR FILE"));
    setModal(true);
    drives_->setObjectName(QStringLiteral("drives"));
    directories_->setObjectName(QStringLiteral("directories"));
    directories_->setHeaderHidden(true);
    directories_->setToolTip(QStringLiteral("Directory name may be selected with button"));
    types_->setObjectName(QStringLiteral("types"));
    for (const FileType& type : fileTypes()) types_->addItem(type.caption);
    types_->setCurrentIndex(-1);
    files_->setObjectName(QStringLiteral("files"));
    files_->setToolTip(QStringLiteral("File name may be selected with button"));
    files_->setVisible(false);

    // The mounted file systems stand for drives; the root first.
    QStringList roots{QStringLiteral("/")};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady() && !roots.contains(volume.rootPath()))
            roots << volume.rootPath();
    drives_->addItems(roots);

    QPushButton* home = button(QStringLiteral("Home Dir"), this, "home");
    home->setToolTip(QStringLiteral("Go to ") + storeDirectory());
    QPushButton* desk = button(QStringLiteral("Desktop Dir"), this, "desktop");
    QPushButton* pickDir = button(QStringLiteral("Directory"), this, "pickDirectory");
    QPushButton* pickFile = button(QStringLiteral("File name"), this, "pickFile");

    connect(drives_, &QComboBox::activated, this,
            [this](int index) { setDirectory(drives_->itemText(index)); });
    connect(directories_, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* node) { fillChildren(node); });
    connect(directories_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* node) {
        if (!node) return;
        directory_ = node->data(0, kPathRole).toString();
        fillFiles();
    });
    connect(directories_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* node) {
        directory_ = node->data(0, kPathRole).toString();
        DirectoryClick();
    });
    connect(types_, &QComboBox::activated, this, [this](int index) { chooseType(index); });
    connect(files_, &QListWidget::itemDoubleClicked, this, [this] { FileNameClick(); });
    connect(home, &QPushButton::clicked, this, [this] { HomeDirClick(); });
    connect(desk, &QPushButton::clicked, this, [this] { DesktopDirClick(); });
    connect(pickDir, &QPushButton::clicked, this, [this] { DirectoryClick(); });
    connect(pickFile, &QPushButton::clicked, this, [this] { FileNameClick(); });

    auto* pick = new QGroupBox(QStringLiteral("Select (Pick)"), this);
    auto* pickRow = new QHBoxLayout(pick);
    pickRow->addWidget(pickDir);
    pickRow->addWidget(pickFile);
    auto* left = new QVBoxLayout;
    left->addWidget(drives_);
    left->addWidget(directories_, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(typeNote_);
    right->addWidget(types_);
    right->addWidget(files_, 1);
    // Until the file list shows, the type box stays under its note.
    right->addStretch();
    auto* lists = new QHBoxLayout;
    lists->addLayout(left, 1);
    lists->addLayout(right, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(home);
    buttons->addWidget(desk);
    buttons->addStretch();
    buttons->addWidget(pick);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addLayout(buttons);
    resize(560, 400);

    QFileInfo given(start.trimmed());
    QString dir = start.trimmed().isEmpty() ? storeDirectory()
                  : given.isDir()           ? given.absoluteFilePath()
                                            : given.absolutePath();
    // A path that is gone opens on the nearest folder that is there.
    while (!QFileInfo(dir).isDir() && dir != QDir::rootPath()) dir = QFileInfo(dir).absolutePath();
    setDirectory(dir);
}

void TDirectoryMap::setRoot(const QString& root)
{
    if (root == root_) return;
    root_ = root;
    directories_->clear();
    auto* top = new QTreeWidgetItem(QStringList{root});
    top->setData(0, kPathRole, root);
    directories_->addTopLevelItem(top);
    fillChildren(top);
}

void TDirectoryMap::fillChildren(QTreeWidgetItem* node)
{
    if (node->data(0, kFilledRole).toBool()) return;
    node->setData(0, kFilledRole, true);
    qDeleteAll(node->takeChildren());
    const QDir dir(node->data(0, kPathRole).toString());
    for (const QFileInfo& sub :
         dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto* child = new QTreeWidgetItem(QStringList{sub.fileName()});
        child->setData(0, kPathRole, cleanDir(sub.absoluteFilePath()));
        child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        node->addChild(child);
    }
    node->setChildIndicatorPolicy(node->childCount() ? QTreeWidgetItem::ShowIndicator
                                                     : QTreeWidgetItem::DontShowIndicator);
}

QTreeWidgetItem* TDirectoryMap::reveal(const QString& dir)
{
    QTreeWidgetItem* node = directories_->topLevelItem(0);
    while (node && node->data(0, kPathRole).toString() != dir) {
        fillChildren(node);
        node->setExpanded(true);
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < node->childCount() && !next; ++i) {
            const QString sub = node->child(i)->data(0, kPathRole).toString();
            if (dir == sub || dir.startsWith(sub + QLatin1Char('/'))) next = node->child(i);
        }
        node = next;
    }
    return node;
}

void TDirectoryMap::setDirectory(const QString& wanted)
{
    const QString dir = cleanDir(wanted);
    QString root = QStringLiteral("/");
    for (int i = 0; i < drives_->count(); ++i) {
        const QString r = cleanDir(drives_->itemText(i));
        if ((dir == r || dir.startsWith(r + QLatin1Char('/'))) && r.size() > root.size()) root = r;
    }
    drives_->setCurrentIndex(drives_->findText(root) >= 0 ? drives_->findText(root) : 0);
    setRoot(root);
    directory_ = dir;
    if (QTreeWidgetItem* node = reveal(dir)) {
        fillChildren(node);
        node->setExpanded(true);
        directories_->setCurrentItem(node);
        directories_->scrollToItem(node);
    }
    fillFiles();
}

void TDirectoryMap::chooseType(int index)
{
    type_ = index;
    types_->setCurrentIndex(index);
    files_->setVisible(index >= 0);
    fillFiles();
}

void TDirectoryMap::fillFiles()
{
    files_->clear();
    if (type_ < 0 || type_ >= fileTypes().size()) return;
    const QDir dir(directory_);
    for (const QFileInfo& f : dir.entryInfoList(fileTypes()[type_].patterns, QDir::Files,
                                                QDir::Name | QDir::IgnoreCase)) {
        auto* row = new QListWidgetItem(f.fileName(), files_);
        row->setData(kPathRole, f.absoluteFilePath());
    }
}

void TDirectoryMap::HomeDirClick() { setDirectory(storeDirectory()); }

void TDirectoryMap::DesktopDirClick()
{
    QString desk = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!QFileInfo(desk).isDir()) desk = QDir::homePath();
    setDirectory(desk);
}

void TDirectoryMap::DirectoryClick()
{
    if (directory_.isEmpty()) return;
    result_ = directory_.endsWith(QLatin1Char('/')) ? directory_ : directory_ + QLatin1Char('/');
    accept();
}

void TDirectoryMap::FileNameClick()
{
    QListWidgetItem* row = files_->currentItem();
    if (!row || type_ < 0) return;
    result_ = row->data(kPathRole).toString();
    accept();
}

QString RunDirectoryMap(const QString& start, QWidget* parent)
{
    TDirectoryMap map(start, parent);
    map.exec();
    return map.result();
}

}  // namespace qb
