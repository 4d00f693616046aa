#include "projects/ProjectWindow.h"

#include <algorithm>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QStandardItemModel>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUrl>

#include "cards/CommandPanel.h"
#include "cards/Desktop.h"
#include "cards/DragGrid.h"
#include "cards/DragPayload.h"
#include "floor/Messages.h"
#include "items/DesktopPicturePanel.h"
#include "items/ShowRecords.h"
#include "platform/Clock.h"
#include "platform/Colors.h"
#include "projects/FileDrops.h"
#include "projects/InlineBrowser.h"
#include "projects/Links.h"
#include "projects/OutlinePrint.h"
#include "projects/ProjectDialogs.h"
#include "projects/ProjectOrder.h"
#include "session/Session.h"

namespace qb {

namespace {

constexpr int kFrameClickSlack = 6;
constexpr int kHintFillGapMs = 1000;
constexpr QSize kHintSize{233, 17};

QString orderTitle(ProjectOrder order)
{
    return order == ProjectOrder::Alphabetical ? QStringLiteral("ALPHABETICAL ORDER")
                                               : QStringLiteral("TIME STAMP ORDER");
}

QWidget* dialogParent()
{
    return session().shell.mainWindow ? session().shell.mainWindow() : nullptr;
}

// Node 0 is the title; it never moves and names no project.
bool isTitle(const QTreeWidgetItem* node)
{
    return node && !node->parent() && node->treeWidget() &&
           node->treeWidget()->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(node)) == 0;
}

// The nodes in display order (parents before children, siblings in order).
void collect(QTreeWidgetItem* node, std::vector<QTreeWidgetItem*>& out)
{
    out.push_back(node);
    for (int i = 0; i < node->childCount(); ++i) collect(node->child(i), out);
}

std::vector<QTreeWidgetItem*> displayOrder(const QTreeWidget* tree)
{
    std::vector<QTreeWidgetItem*> out;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) collect(tree->topLevelItem(i), out);
    return out;
}

bool isInside(const QTreeWidgetItem* node, const QTreeWidgetItem* ancestor)
{
    for (const QTreeWidgetItem* n = node; n; n = n->parent())
        if (n == ancestor) return true;
    return false;
}

QTreeWidgetItem* takeNode(QTreeWidgetItem* node)
{
    if (QTreeWidgetItem* parent = node->parent())
        return parent->takeChild(parent->indexOfChild(node));
    QTreeWidget* tree = node->treeWidget();
    return tree->takeTopLevelItem(tree->indexOfTopLevelItem(node));
}

// The outline tree: drags move nodes within it; anything else goes to the list. A node dragged
// out of the tree carries its project, like a row of the list, so item cards and the desktop
// take it.
class ProjectTree : public QTreeWidget {
public:
    ProjectTree(QWidget* parent, std::function<void(QDropEvent*)> dropped,
                std::function<std::optional<DragPayload>()> dragged)
        : QTreeWidget(parent), dropped_(std::move(dropped)), dragged_(std::move(dragged))
    {
    }

protected:
    void startDrag(Qt::DropActions) override
    {
        QTreeWidgetItem* node = currentItem();
        if (!node || isTitle(node)) return;
        if (std::optional<DragPayload> payload = dragged_()) StartPayloadDrag(this, *payload);
    }
    void dropEvent(QDropEvent* e) override { dropped_(e); }
    void dragMoveEvent(QDragMoveEvent* e) override { accept(e); }
    void dragEnterEvent(QDragEnterEvent* e) override { accept(e); }
    void accept(QDragMoveEvent* e)
    {
        if (e->source() == this || e->mimeData()->hasFormat(DragPayload::mimeType()) ||
            !TDesktop::droppedFilePaths(e->mimeData()).isEmpty())
            e->acceptProposedAction();
        else
            e->ignore();
    }

private:
    std::function<void(QDropEvent*)> dropped_;
    std::function<std::optional<DragPayload>()> dragged_;
};

}  // namespace

TProj::TProj(TDesktop& desktop, int slot)
    : TTower(desktop, std::make_unique<ProjectCardData>(), new TDBDragGrid(nullptr)),
      model_(new QStandardItemModel(0, 3, this)),
      tree_(new ProjectTree(
          this, [this](QDropEvent* e) { treeDrop(e); },
          [this]() -> std::optional<DragPayload> {
              if (rows_.empty()) return std::nullopt;
              return dragPayload();
          })),
      hint_(new QLabel(desktop.surface())),
      hintCountdown_(new QTimer(this)),
      hintHide_(new QTimer(this))
{
    setObjectName(QStringLiteral("projectWindow"));
    const Settings& s = session().settings;
    data().normalSize = TTower::kSize;
    data().altSize = QSize(400, 360);
    desktop.takeSlot(*this, slot);
    setHelpContext(kHelpContext);
    data().normalColor = s.projFrameColor;
    TBasPanel::ApplyColor();

    TDBDragGrid* g = dragGrid();
    g->setObjectName(QStringLiteral("projectGrid"));
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setWordWrap(false);
    QPalette p = g->palette();
    p.setColor(QPalette::Base, colors::toQColor(s.projTableColor, p));
    p.setColor(QPalette::Text, colors::toQColor(s.projFontColor, p));
    g->setPalette(p);
    g->verticalHeader()->hide();
    g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    g->verticalHeader()->setDefaultSectionSize(g->fontMetrics().height() + 4);
    g->horizontalHeader()->setStretchLastSection(false);
    g->horizontalHeader()->setSectionsClickable(false);
    setModel(model_);
    const int ch = g->fontMetrics().averageCharWidth();
    g->setColumnWidth(0, kNameChars * ch);
    g->setColumnWidth(1, kTagChars * ch);
    g->setColumnWidth(2, kUrlChars * ch);

    connect(g->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& now) { rowPicked(now.row()); });
    connect(g, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& at) { RowDoubleClick(at.column()); });
    g->panel = [this](QPoint global) { openCommandPanel(global); };
    g->title = [this] { TitleClick(); };
    g->longPress = [](int) {};
    g->dragStart = [this]() -> std::optional<DragPayload> {
        if (rows_.empty()) return std::nullopt;
        return dragPayload();
    };
    g->dropped = [this](const DragPayload& payload) { DropOnGrid(payload); };
    // Files from the file manager come as file URLs, which the grid does not take itself.
    g->viewport()->installEventFilter(this);

    tree_->setObjectName(QStringLiteral("projectTree"));
    tree_->setHeaderHidden(true);
    tree_->setIndentation(32);
    tree_->setItemsExpandable(true);
    tree_->setMouseTracking(true);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setDragEnabled(true);
    tree_->setAcceptDrops(true);
    tree_->setDragDropMode(QAbstractItemView::DragDrop);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->setPalette(p);
    tree_->hide();
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* node) {
        if (syncing_ || !node || isTitle(node)) return;
        selectName(node->text(0).toUpper());
    });
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* node) {
        if (!node || isTitle(node)) return;
        const QString project = node->text(0);
        MarkTime(project);
        setOrder(ProjectOrder::TimeStamp);
        markTimeOutline(project);
    });
    connect(tree_, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { openCommandPanel(tree_->viewport()->mapToGlobal(at)); });
    tree_->installEventFilter(this);
    tree_->viewport()->installEventFilter(this);

    hint_->setObjectName(QStringLiteral("projectHint"));
    hint_->setFrameStyle(QFrame::NoFrame);
    hint_->setAutoFillBackground(true);
    QPalette hp = hint_->palette();
    hp.setColor(QPalette::Window, QColor(0xff, 0xff, 0xe1));
    hint_->setPalette(hp);
    hint_->resize(kHintSize);
    hint_->hide();
    hintCountdown_->setInterval(1000);
    hintHide_->setInterval(15000);
    hintHide_->setSingleShot(true);
    connect(hintHide_, &QTimer::timeout, this, [this] { hideHint(); });
    connect(hintCountdown_, &QTimer::timeout, this, [this] {
        // Three ticks after the pointer left the node's label the hint goes.
        const QPoint at = tree_->viewport()->mapFromGlobal(QCursor::pos());
        QTreeWidgetItem* under = tree_->itemAt(at);
        if (under == hintNode_ && tree_->visualItemRect(under).contains(at)) {
            hintTicks_ = 0;
            return;
        }
        if (++hintTicks_ >= 3) hideHint();
    });

    move(desktop.windowCascadePosition(slot));
    syncFromGeometry();
    refresh();  // the list starts on the current project, as the tree marks it
    TvUpdateRefresh();
    LayoutGrid();
}

TProj::~TProj()
{
    if (!(savedForLayout_ && session().flags.closing())) saveOutline();
    delete hint_.data();
    if (cardHost() == &desktop()) desktop().slotTables().projects.release(data().slot, &data());
}

TDBDragGrid* TProj::dragGrid() const { return static_cast<TDBDragGrid*>(grid()); }

QString TProj::currentName() const
{
    const int row = grid()->currentIndex().row();
    if (row < 0 || row >= int(rows_.size())) return {};
    return rows_[size_t(row)].name;
}

void TProj::fill()
{
    QString error;
    rows_ = ProjectList(order_, filterOn_ ? filterTag_ : QString(), &error);
    syncing_ = true;
    model_->setRowCount(0);
    model_->setRowCount(int(rows_.size()));
    for (int r = 0; r < int(rows_.size()); ++r) {
        const ProjectRecord& project = rows_[size_t(r)];
        model_->setItem(r, 0, new QStandardItem(project.name));
        model_->setItem(r, 1, new QStandardItem(project.tag));
        model_->setItem(r, 2, new QStandardItem(project.url));
    }
    model_->setHorizontalHeaderLabels({orderTitle(order_), QStringLiteral("Category"),
                                       QStringLiteral("URL or Shortcut or Filename")});
    syncing_ = false;
    setKindText(caption());
}

QString TProj::caption() const
{
    if (!filterOn_) return QStringLiteral("Projects");
    return filterTag_;
}

void TProj::refresh()
{
    const QString keep = projectState().current;
    fill();
    if (!selectName(keep) && !rows_.empty()) {
        syncing_ = true;
        grid()->setCurrentIndex(model_->index(0, 0));
        syncing_ = false;
    }
}

bool TProj::selectName(const QString& name)
{
    for (int r = 0; r < int(rows_.size()); ++r) {
        if (rows_[size_t(r)].name.compare(name, Qt::CaseInsensitive) != 0) continue;
        grid()->setCurrentIndex(model_->index(r, 0));
        grid()->scrollTo(model_->index(r, 0));
        SetCurrentProject(rows_[size_t(r)].name);
        selectCurrentNode();
        return true;
    }
    return false;
}

bool TProj::selectPts(Timestamp pts)
{
    for (int r = 0; r < int(rows_.size()); ++r)
        if (std::abs(double(rows_[size_t(r)].pts - pts)) < 1e-10)
            return selectName(rows_[size_t(r)].name);
    return false;
}

void TProj::rowPicked(int row)
{
    if (syncing_ || row < 0 || row >= int(rows_.size())) return;
    SetCurrentProject(rows_[size_t(row)].name);
    selectCurrentNode();
    desktoppicture::ShowFor(ShowKeyOfProject(rows_[size_t(row)].name));
}

void TProj::setOrder(ProjectOrder order)
{
    // Alphabetical keeps the name; time stamp keeps the row's PTS.
    const QString name = currentName();
    const int row = grid()->currentIndex().row();
    const std::optional<Timestamp> pts =
        row >= 0 && row < int(rows_.size()) ? std::optional(rows_[size_t(row)].pts) : std::nullopt;
    order_ = order;
    fill();
    if (order == ProjectOrder::TimeStamp && pts) {
        std::optional<ProjectRecord> now = FindProject(name);
        selectPts(now ? now->pts : *pts);
    } else {
        selectName(name);
    }
}

void TProj::toggleOrder()
{
    setOrder(order_ == ProjectOrder::Alphabetical ? ProjectOrder::TimeStamp
                                                  : ProjectOrder::Alphabetical);
}

void TProj::TitleClick() { toggleOrder(); }

void TProj::setFilter(const QString& tag, bool on)
{
    filterOn_ = on;
    if (on && !tag.isEmpty()) filterTag_ = tag;
    if (!on) filterTag_.clear();
    fill();
    // A set flag without a tag (the dialog closed without a choice) keeps the filter and empties
    // the caption.
    if (on && tag.isEmpty()) setKindText(QString());
}

// ---- display modes ----

void TProj::setDisplayMode(int mode)
{
    mode_ = std::clamp(mode, 0, 2);
    if (mode_ == BrowserMode) showProjectFile();
    if (mode_ != BrowserMode && browserForm_) {
        browserForm_->Stop();
        delete browserForm_;
        browserForm_ = nullptr;
    }
    tree_->setVisible(mode_ == TreeMode);
    grid()->setVisible(mode_ == ListMode);
    LayoutGrid();
    selectCurrentNode();
}

void TProj::switchDisplayMode()
{
    if (mode_ == TreeMode && browserForm_)
        setDisplayMode(BrowserMode);
    else if (mode_ == BrowserMode)
        setDisplayMode(ListMode);
    else if (mode_ == ListMode)
        setDisplayMode(TreeMode);
    else
        setDisplayMode(ListMode);
}

QTextBrowser* TProj::browser() const { return browserForm_ ? browserForm_->view() : nullptr; }

void TProj::showProjectFile()
{
    // A window that has only shown its tree so far has no row yet: the current project's.
    if (currentName().isEmpty()) selectName(projectState().current);
    std::optional<ProjectRecord> project = FindProject(currentName());
    if (!browserForm_) browserForm_ = new TInlineBrowserForm(this);
    browserForm_->setAddress(project ? project->name : QString(),
                             project ? project->url : QString());
    browserForm_->FindAddress();
    browserForm_->show();
    browserForm_->raise();
}

// ---- the outline tree ----

QString TProj::outlineTitle() const { return OutlineNamesOf(outlineId_ + kOutlineExt).title; }

void TProj::TvUpdateRefresh()
{
    syncing_ = true;
    if (tree_->topLevelItemCount() == 0)
        tree_->addTopLevelItem(new QTreeWidgetItem(QStringList{outlineTitle()}));
    else
        tree_->topLevelItem(0)->setText(0, outlineTitle());
    syncing_ = false;
    TvAddMissingUpload();
    selectCurrentNode();
}

void TProj::TvAddMissingUpload()
{
    syncing_ = true;
    for (const ProjectRecord& project : rows_)
        if (!TvFind(project.name))
            tree_->addTopLevelItem(new QTreeWidgetItem(QStringList{project.name}));
    syncing_ = false;
}

bool TProj::TvFind(const QString& text) const
{
    for (QTreeWidgetItem* node : displayOrder(tree_))
        if (node->text(0) == text) return true;
    return false;
}

QString TProj::nodeName(QTreeWidgetItem* node) const { return node ? node->text(0) : QString(); }

void TProj::selectCurrentNode()
{
    const QString current = projectState().current;
    if (current.isEmpty() || syncing_) return;
    for (QTreeWidgetItem* node : displayOrder(tree_)) {
        if (isTitle(node) || node->text(0) != current) continue;
        syncing_ = true;
        tree_->setCurrentItem(node);
        tree_->scrollToItem(node);
        syncing_ = false;
        return;
    }
}

bool TProj::moveNode(QTreeWidgetItem* node, QTreeWidgetItem* target, TreeDrop how)
{
    if (!node || isTitle(node) || node == target) return false;
    if (target && isInside(target, node)) return false;
    syncing_ = true;
    QTreeWidgetItem* taken = takeNode(node);
    switch (how) {
    case TreeDrop::TopLevel: tree_->addTopLevelItem(taken); break;
    case TreeDrop::Attach:
        target->addChild(taken);
        target->setExpanded(true);
        break;
    case TreeDrop::Insert:
        if (QTreeWidgetItem* parent = target->parent())
            parent->insertChild(parent->indexOfChild(target), taken);
        else
            tree_->insertTopLevelItem(std::max(1, tree_->indexOfTopLevelItem(target)), taken);
        break;
    }
    tree_->setCurrentItem(taken);
    syncing_ = false;
    return true;
}

void TProj::treeDrop(QDropEvent* e)
{
    const QStringList files = TDesktop::droppedFilePaths(e->mimeData());
    if (e->source() != tree_ && !files.isEmpty() &&
        !e->mimeData()->hasFormat(DragPayload::mimeType())) {
        e->acceptProposedAction();
        // The file manager waits for the drop to end: the questions come after.
        const QPoint at = e->position().toPoint();
        QPointer<TProj> self(this);
        QTimer::singleShot(0, this, [self, files, at] {
            if (self) self->DropFiles(files, at);
        });
        return;
    }
    if (e->source() != tree_) {
        if (std::optional<DragPayload> payload = PayloadOfDrop(e->mimeData())) {
            e->acceptProposedAction();
            DropOnGrid(*payload);
        }
        return;
    }
    QTreeWidgetItem* node = tree_->currentItem();
    e->setDropAction(Qt::IgnoreAction);
    e->accept();
    if (!node || isTitle(node)) return;
    const QPoint at = e->position().toPoint();
    QTreeWidgetItem* target = tree_->itemAt(at);
    TreeDrop how = TreeDrop::TopLevel;
    if (target) {
        // On the label: attach; on the indent or the expand button: insert before.
        how = at.x() >= tree_->visualItemRect(target).left() ? TreeDrop::Attach : TreeDrop::Insert;
    }
    dropNode(node, target, how);
}

bool TProj::dropNode(QTreeWidgetItem* node, QTreeWidgetItem* target, TreeDrop how)
{
    if (!node || isTitle(node)) return false;
    if (how == TreeDrop::TopLevel || session().settings.quiet) return moveNode(node, target, how);
    const QString tag = QStringLiteral("(Verbose option on)");
    if (how == TreeDrop::Insert && ShowInfo(QStringLiteral("Insert ") + node->text(0) +
                                                QStringLiteral(" before ") + target->text(0),
                                            tag, kQuestionYes, kHelpContext))
        return moveNode(node, target, TreeDrop::Insert);
    if (ShowInfo(
            QStringLiteral("Attach ") + node->text(0) + QStringLiteral(" to ") + target->text(0),
            tag, kQuestionYes, kHelpContext))
        return moveNode(node, target, TreeDrop::Attach);
    return false;
}

void TProj::TvKeyDown(int key)
{
    QTreeWidgetItem* node = tree_->currentItem();
    if (!node || isTitle(node)) return;
    std::vector<QTreeWidgetItem*> order = displayOrder(tree_);
    const auto at = std::find(order.begin(), order.end(), node) - order.begin();
    QTreeWidgetItem* neighbour = nullptr;
    if (key == Qt::Key_Up) {
        if (at <= 1) return;
        neighbour = order[size_t(at - 1)];
        if (isInside(neighbour, node)) return;
        moveNode(node, neighbour, TreeDrop::Insert);
    } else if (key == Qt::Key_Down) {
        if (at + 2 >= qsizetype(order.size())) return;
        neighbour = order[size_t(at + 2)];
        if (isInside(neighbour, node)) return;
        moveNode(node, neighbour, TreeDrop::Insert);
        neighbour = order[size_t(at + 1)];
    }
    if (neighbour) {
        selectName(neighbour->text(0));
        syncing_ = true;
        tree_->setCurrentItem(neighbour);
        syncing_ = false;
    }
}

// ---- outline files and output ----

OutlineTree TProj::outlineModel(std::vector<QTreeWidgetItem*>& items) const
{
    OutlineTree model;
    items.clear();
    std::function<void(QTreeWidgetItem*, int)> add = [&](QTreeWidgetItem* node, int parent) {
        const int id = model.add(node->text(0), parent);
        items.push_back(node);
        for (int i = 0; i < node->childCount(); ++i) add(node->child(i), id);
    };
    for (int i = 0; i < tree_->topLevelItemCount(); ++i)
        add(tree_->topLevelItem(i), OutlineTree::kNone);
    return model;
}

void TProj::applyOutlineModel(const OutlineTree& model, std::vector<QTreeWidgetItem*>& items)
{
    syncing_ = true;
    for (QTreeWidgetItem* item : items) (void)item->takeChildren();
    while (tree_->topLevelItemCount() > 0) tree_->takeTopLevelItem(0);
    std::function<void(int, QTreeWidgetItem*)> place = [&](int id, QTreeWidgetItem* parent) {
        QTreeWidgetItem* item = items[size_t(id)];
        item->setText(0, model.text(id));
        if (parent)
            parent->addChild(item);
        else
            tree_->addTopLevelItem(item);
        for (int child : model.children(id)) place(child, item);
    };
    for (int id : model.topLevel()) place(id, nullptr);
    for (int id = 0; id < model.size(); ++id)
        if (!model.alive(id)) delete items[size_t(id)];
    items.clear();
    syncing_ = false;
}

void TProj::setOutlineNames(const QString& path)
{
    outlineId_ = OutlineNamesOf(path).outlineId;
    if (tree_->topLevelItemCount() > 0) tree_->topLevelItem(0)->setText(0, outlineTitle());
}

QString TProj::outlineFilePath() const
{
    return QDir(OutlineFolder()).filePath(outlineId_ + QString::fromLatin1(kOutlineExt));
}

bool TProj::TvEncode(const QString& path)
{
    std::vector<QTreeWidgetItem*> items;
    const OutlineTree model = outlineModel(items);
    return qb::TvEncode(model, path, OutlineFolder(), registry_);
}

bool TProj::saveOutlineForLayout(const QString& path)
{
    savedForLayout_ = TvEncode(path);
    return savedForLayout_;
}

bool TProj::saveOutline()
{
    // New.qbo is never written: nothing to look up on disk either.
    return outlineId_ == QStringLiteral("New") || TvEncode(outlineFilePath());
}

OutlineLoad TProj::TvDecode(const QString& path)
{
    std::vector<QTreeWidgetItem*> items;
    OutlineTree model = outlineModel(items);
    const bool shown = tree_->isVisible();
    tree_->hide();
    const OutlineLoad loaded = qb::TvDecode(model, path, registry_);
    outlineId_ = OutlineNamesOf(path).outlineId;
    applyOutlineModel(model, items);
    outlineLoaded_ = loaded == OutlineLoad::Loaded;
    if (outlineLoaded_) expandAndSelect();
    tree_->setVisible(shown);
    return loaded;
}

void TProj::expandAndSelect()
{
    tree_->expandAll();
    if (tree_->topLevelItemCount() == 0) return;
    QTreeWidgetItem* title = tree_->topLevelItem(0);
    tree_->scrollToItem(title, QAbstractItemView::PositionAtTop);
    if (title->childCount() == 0) return;
    const QString first = title->child(0)->text(0).toUpper();
    SetCurrentProject(first);
    selectName(first);
    for (QTreeWidgetItem* node : displayOrder(tree_)) {
        if (isTitle(node) || node->text(0) != projectState().current) continue;
        syncing_ = true;
        tree_->setCurrentItem(node);
        syncing_ = false;
        tree_->scrollToItem(node, QAbstractItemView::PositionAtTop);
        break;
    }
}

void TProj::GetOutline()
{
    TMyPopUpMenu& panel = TMyPopUpMenu::instance();
    panel.setOutlineFilter(QString::fromLatin1(kOutlineFilter), OutlineFolder());
    const QString picked = panel.OutlineAdminGetFile();
    if (picked.isEmpty()) return;
    GoTvRefrItem();
    TvDecode(picked);
}

void TProj::GoTvEncode()
{
    TMyPopUpMenu& panel = TMyPopUpMenu::instance();
    panel.setOutlineFilter(QString::fromLatin1(kOutlineFilter), OutlineFolder());
    const QString path = panel.OutlineAdminSaveFile();
    if (!TvEncode(path)) return;
    setOutlineNames(path);
}

void TProj::GoTvNilItem()
{
    QTreeWidgetItem* node = tree_->currentItem();
    if (!node || isTitle(node)) return;
    // Bottom-up, the last child first: every node of the subtree goes to the top level.
    std::function<void(QTreeWidgetItem*)> unhook = [&](QTreeWidgetItem* n) {
        for (int i = n->childCount() - 1; i >= 0; --i) unhook(n->child(i));
        moveNode(n, nullptr, TreeDrop::TopLevel);
    };
    unhook(node);
    if (tree_->topLevelItemCount() > 0) tree_->scrollToItem(tree_->topLevelItem(0));
}

void TProj::GoTvRefrItem()
{
    const bool shown = tree_->isVisible();
    tree_->hide();
    syncing_ = true;
    tree_->clear();
    registry_.clear();
    outlineId_ = QStringLiteral("New");
    syncing_ = false;
    TvUpdateRefresh();
    expandAndSelect();
    tree_->setVisible(shown);
}

QString TProj::GoTvPrintItemText()
{
    std::vector<QTreeWidgetItem*> items;
    const OutlineTree model = outlineModel(items);
    const auto at = std::find(items.begin(), items.end(), tree_->currentItem());
    const int node = at == items.end() ? OutlineTree::kNone : int(at - items.begin());
    const OutlinePrintOptions options = OutlinePrintOptionsFromSettings();
    const QString path = PrintOutlineDocument(model, node, OutlineNamesOf(outlineFilePath()),
                                              OutlineOutputDir(), options);
    if (!path.isEmpty() && outlineHooks().openDocument)
        outlineHooks().openDocument(path, options.html);
    return path;
}

void TProj::markTimeOutline(const QString& project)
{
    if (mode_ != TreeMode || !session().settings.outlineDblClick) return;
    saveOutline();
    const QString path = QDir(OutlineFolder()).filePath(project.toLower() + kOutlineExt);
    if (QFileInfo(path).isFile()) {
        GoTvRefrItem();
        if (TvDecode(path) == OutlineLoad::Loaded) return;
    }
    // A new outline named after the project, with the project as the title's first child.
    setOutlineNames(path);
    for (QTreeWidgetItem* node : displayOrder(tree_)) {
        if (isTitle(node) || node->text(0) != project) continue;
        syncing_ = true;
        QTreeWidgetItem* taken = takeNode(node);
        tree_->topLevelItem(0)->insertChild(0, taken);
        tree_->topLevelItem(0)->setExpanded(true);
        tree_->setCurrentItem(taken);
        syncing_ = false;
        SetCurrentProject(project);
        break;
    }
}

void TProj::RowDoubleClick(int column)
{
    const QString name = currentName();
    if (name.isEmpty()) return;
    hideHint();
    if (column == 0) {
        MarkTime(name);
        setOrder(ProjectOrder::TimeStamp);
        markTimeOutline(name);
    } else if (column == 2) {
        openProjectUrl();
    }
    setOrder(ProjectOrder::TimeStamp);
}

bool TProj::openProjectUrl()
{
    std::optional<ProjectRecord> project = FindProject(currentName());
    const QString url = project ? project->url.trimmed() : QString();
    const bool started = OpenProjectUrl(url, session().shell.openUrl);
    if (!started)
        ShowInfo(QString::fromLatin1(links::kNothingStarted), QStringLiteral("p676"), kError,
                 kHelpContext);
    return started;
}

// ---- the hint line ----

QString TProj::hintText(const ProjectRecord& project) const
{
    const QString url = project.url.trimmed().isEmpty() ? QStringLiteral("- - -") : project.url;
    QString text = QStringLiteral(" ") + project.name;
    if (!filterOn_) text += QStringLiteral(" |  ") + project.tag;
    text += QStringLiteral(" |  ") + url;
    return text.toLower();
}

void TProj::hideHint()
{
    if (hint_) hint_->hide();
    hintCountdown_->stop();
    hintHide_->stop();
    hintNode_ = nullptr;
}

void TProj::DataToHintPanel(QPoint treePoint)
{
    QTreeWidgetItem* node = tree_->itemAt(treePoint);
    if (!hint_) return;
    if (!node || !tree_->visualItemRect(node).contains(treePoint) ||
        node->text(0).contains(QLatin1Char('['))) {
        hideHint();
        return;
    }
    const qint64 now = session().clock().elapsedMs();
    if (hintFilledAt_ >= 0 && now - hintFilledAt_ < kHintFillGapMs) return;
    if (!tree_->hasFocus() || CurrentDrag().source != DragPayload::Source::None) return;
    QString text = hint_->text();
    if (node->text(0) != hintShownFor_ || !hint_->isVisible()) {
        std::optional<ProjectRecord> project = FindProject(node->text(0));
        if (!project) return;
        text = hintText(*project);
        hintShownFor_ = node->text(0);
    }
    hintFilledAt_ = now;
    const QPoint global = tree_->viewport()->mapToGlobal(treePoint) + QPoint(48, 16);
    const QPoint place = hint_->parentWidget()->mapFromGlobal(global);
    const int width = 5 * int(text.size()) + 4;
    const bool standing = hint_->isVisible() && hint_->text() == text &&
                          (hint_->pos() - place).manhattanLength() <= 5;
    if (!standing) {
        hint_->setText(text);
        hint_->setGeometry(
            QRect(place, QSize(std::max(width, hint_->fontMetrics().horizontalAdvance(text) + 4),
                               kHintSize.height())));
        hint_->show();
        hint_->raise();
    }
    hintNode_ = node;
    hintTicks_ = 0;
    hintHide_->start();
    hintCountdown_->start();
}

// ---- commands ----

QStringList TProj::panelRows() const
{
    QStringList rows = {QStringLiteral("ProjUpdate"), QStringLiteral("TagSelect"),
                        QStringLiteral("CollectDesk"), QStringLiteral("AddWord")};
    if (mode_ != TreeMode) rows << QStringLiteral("AlphaOrder");
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard && clipboard->mimeData() && clipboard->mimeData()->hasImage())
        rows << QStringLiteral("ConnectImage");
    rows << QStringLiteral("Delete") << QStringLiteral("Locate");
    if (mode_ == TreeMode)
        rows << QStringLiteral("GetOutline") << QStringLiteral("SaveOutline")
             << QStringLiteral("NilOutline") << QStringLiteral("RefrOutline")
             << QStringLiteral("PrintOutline");
    std::optional<ProjectRecord> project = FindProject(currentName());
    if (project && IsWebAddress(project->url)) rows << QStringLiteral("URLCall");
    rows << QStringLiteral("ClipBoard") << QStringLiteral("Drop");
    return rows;
}

void TProj::openCommandPanel(QPoint global)
{
    TMyPopUpMenu::Request request;
    request.caption = currentName();
    request.rows = panelRows();
    request.labels.insert(QStringLiteral("Delete"), QStringLiteral("&Delete Project"));
    const QString print = session().settings.html ? QStringLiteral("Make HTML File")
                                                  : QStringLiteral("Make Text File");
    const std::pair<const char*, QString> outlineRows[] = {
        {"GetOutline", QStringLiteral("Load Outline")},
        {"SaveOutline", QStringLiteral("Save Outline")},
        {"NilOutline", QStringLiteral("Unhook Node")},
        {"RefrOutline", QStringLiteral("Reset")},
        {"PrintOutline", print}};
    for (const auto& [command, caption] : outlineRows)
        if (request.rows.contains(QLatin1String(command)))
            request.temporaryRows.push_back({caption, QLatin1String(command), QIcon(), 1});
    QString chosen = TMyPopUpMenu::instance().choose(this, global, request);
    if (!chosen.isEmpty()) command(chosen);
}

void TProj::command(const QString& name)
{
    if (name == QStringLiteral("GoTop")) {
        if (GoTop() && !rows_.empty()) selectName(rows_.front().name);
    } else if (name == QStringLiteral("AlphaOrder")) {
        toggleOrder();
    } else if (name == QStringLiteral("AddWord")) {
        newProject();
    } else if (name == QStringLiteral("Delete")) {
        deleteProject();
    } else if (name == QStringLiteral("URLCall")) {
        setDisplayMode(BrowserMode);
    } else if (name == QStringLiteral("CollectDesk")) {
        const QString project = currentName();
        if (!project.isEmpty()) CollectDesk(desktop(), project);
    } else if (name == QStringLiteral("TagSelect")) {
        tagSelect();
    } else if (name == QStringLiteral("ProjUpdate")) {
        updateProject(currentName());
    } else if (name == QStringLiteral("Drop")) {
        HideCard();
    } else if (name == QStringLiteral("Locate")) {
        locate();
    } else if (name == QStringLiteral("ClipBoard")) {
        cellToClipboard();
    } else if (name == QStringLiteral("GetOutline")) {
        GetOutline();
    } else if (name == QStringLiteral("SaveOutline")) {
        GoTvEncode();
    } else if (name == QStringLiteral("NilOutline")) {
        GoTvNilItem();
    } else if (name == QStringLiteral("RefrOutline")) {
        GoTvRefrItem();
    } else if (name == QStringLiteral("PrintOutline")) {
        GoTvPrintItemText();
    } else if (name == QStringLiteral("ConnectImage")) {
        const QClipboard* clipboard = QGuiApplication::clipboard();
        if (!currentName().isEmpty())
            desktoppicture::ConnectImage(ShowKeyOfProject(currentName()),
                                         clipboard ? clipboard->image() : QImage());
    }
}

void TProj::cellToClipboard()
{
    const QModelIndex at = grid()->currentIndex();
    if (!at.isValid()) return;
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(at.data().toString().toLower());
    if (session().shell.clipboardChanged) session().shell.clipboardChanged();
}

void TProj::newProject()
{
    saveOutline();  // New.qbo is never written
    std::optional<Timestamp> pts =
        RunNewProjectDialog(filterOn_ ? filterTag_ : QString(), dialogParent());
    if (!pts) return;
    const QString name = projectState().lastNewName;
    setOrder(order_);
    selectName(name);
    updateProject(name);
    TvUpdateRefresh();
}

void TProj::updateProject(const QString& name)
{
    if (name.isEmpty()) return;
    RunUpdateProjectDialog(name, dialogParent());
    SetCurrentProject(name);
    refresh();
    AddMissingProjectsElsewhere(desktop(), this);
}

void TProj::deleteProject()
{
    const QString project = currentName();
    if (project.isEmpty()) return;
    TDesktop* d = &desktop();
    if (!RunDeleteProjectDialog(
            project, [d, project] { ReverseCollectDesk(*d, project); }, dialogParent()))
        return;
    // The rows and the trees of every window follow.
    for (TProj* window : desktop().cardsOf<TProj>()) {
        window->setOrder(window->order());
        window->selectName(projectState().current);
        window->TvRemoveProject(project);
        window->saveOutline();
    }
}

void TProj::TvRemoveProject(const QString& name)
{
    for (QTreeWidgetItem* node : displayOrder(tree_)) {
        if (isTitle(node) || node->text(0) != name) continue;
        // Its children stay in the outline, under the title.
        QTreeWidgetItem* title = tree_->topLevelItem(0);
        syncing_ = true;
        for (QTreeWidgetItem* child : node->takeChildren()) title->addChild(child);
        title->setExpanded(true);
        delete node;
        syncing_ = false;
        selectCurrentNode();
        return;
    }
}

void TProj::tagSelect()
{
    saveOutline();
    TagChoice choice = RunTagSelectDialog(filterOn_, dialogParent());
    order_ = ProjectOrder::TimeStamp;
    setFilter(choice.tag, choice.filterOn);
    if (!rows_.empty()) selectName(rows_.front().name);
    TvAddMissingUpload();
}

void TProj::locate()
{
    const Timestamp found = RunFindProjectDialog(dialogParent());
    if (found != 0) selectPts(found);
}

// ---- drops and drags ----

DragPayload TProj::dragPayload() const
{
    DragPayload payload;
    payload.source = DragPayload::Source::Project;
    payload.project = currentName().left(DragPayload::kMaxWordLength);
    payload.word = payload.project;
    payload.position = grid()->currentIndex().row();
    payload.sourceCard = const_cast<CardData*>(&data());
    return payload;
}

bool TProj::DropOnGrid(const DragPayload& payload)
{
    switch (payload.source) {
    case DragPayload::Source::ItemProject:
        setOrder(ProjectOrder::Alphabetical);
        return selectName(payload.project);
    case DragPayload::Source::DictionaryWord: {
        setOrder(ProjectOrder::Alphabetical);
        WordProject made = ProjectFromWord(payload.word, filterOn_ ? filterTag_ : QString());
        if (made.outcome == WordProject::Existing) return selectName(made.name);
        if (made.outcome != WordProject::Created) return false;
        setOrder(ProjectOrder::TimeStamp);
        bool found = selectPts(made.pts);
        TvUpdateRefresh();
        AddMissingProjectsElsewhere(desktop(), this);
        return found;
    }
    default: return false;
    }
}

bool TProj::DropFiles(const QStringList& paths, std::optional<QPoint> treePoint)
{
    std::optional<DroppedFile> file = CheckedDroppedFile(paths);
    if (!file) return false;
    QTreeWidgetItem* node = nullptr;
    if (mode_ == TreeMode && treePoint) {
        node = tree_->itemAt(*treePoint);
        if (node && (isTitle(node) || !tree_->visualItemRect(node).contains(*treePoint)))
            node = nullptr;
    }
    if (!node) return NewProjectForFile(desktop(), *file, this);
    tree_->setCurrentItem(node);
    selectName(node->text(0));
    std::optional<ProjectRecord> project = FindProject(currentName());
    if (!project) return false;
    // A path too long for the URL field is refused before anything is asked.
    if (file->path.size() <= kProjectUrlLength &&
        !ShowInfo(RegisterShortcutQuestion(*project, file->path), QStringLiteral("qb12538"),
                  kQuestionYes, kHelpContext))
        return false;
    // Without a category filter the project keeps its own category.
    const bool filtered = filterOn_ && !filterTag_.isEmpty();
    if (!RegisterShortcut(project->name, file->path, filtered, filterTag_)) return false;
    refresh();
    return true;
}

// ---- layout and mouse ----

void TProj::LayoutGrid()
{
    TTower::LayoutGrid();
    const QRect area = grid()->geometry();
    tree_->setGeometry(area);
    if (browserForm_) browserForm_->setGeometry(area);
}

void TProj::CardMouseDown(Qt::MouseButton button, QPoint global)
{
    TTower::CardMouseDown(button, global);
    framePressed_ = button == Qt::LeftButton;
    framePress_ = global;
}

void TProj::CardMouseUp(Qt::MouseButton button, QPoint global)
{
    TTower::CardMouseUp(button, global);
    const bool click = framePressed_ && button == Qt::LeftButton &&
                       std::abs(global.x() - framePress_.x()) <= kFrameClickSlack &&
                       std::abs(global.y() - framePress_.y()) <= kFrameClickSlack;
    framePressed_ = false;
    if (click) switchDisplayMode();
}

void TProj::CornerMouseDown(Qt::MouseButton button, QPoint global)
{
    TTower::CornerMouseDown(button, global);
    cornerPressed_ = true;
    cornerPress_ = global;
}

void TProj::CornerMouseUp(Qt::MouseButton button, QPoint global)
{
    TTower::CornerMouseUp(button, global);
    const bool click = cornerPressed_ && (global - cornerPress_).manhattanLength() <= 2;
    cornerPressed_ = false;
    if (!click) return;
    if (button == Qt::LeftButton)
        openProjectUrl();
    else if (button == Qt::RightButton)
        setDisplayMode(BrowserMode);
}

void TProj::dragScrollTree(int y)
{
    std::vector<QTreeWidgetItem*> nodes;
    for (QTreeWidgetItemIterator it(tree_); *it; ++it) nodes.push_back(*it);
    QTreeWidgetItem* top = tree_->itemAt(QPoint(1, 1));
    const auto at = std::find(nodes.begin(), nodes.end(), top);
    const int first = at == nodes.end() ? -1 : int(at - nodes.begin());
    const int target = DragScrollTarget(dragScroll_, int(nodes.size()), first, y,
                                        tree_->viewport()->height(), session().clock().elapsedMs());
    if (target >= 0) tree_->scrollToItem(nodes[size_t(target)], QAbstractItemView::PositionAtTop);
}

bool TProj::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == grid()->viewport() &&
        (e->type() == QEvent::DragEnter || e->type() == QEvent::DragMove ||
         e->type() == QEvent::Drop)) {
        auto* drop = static_cast<QDropEvent*>(e);
        const QStringList files = TDesktop::droppedFilePaths(drop->mimeData());
        if (!files.isEmpty() && !drop->mimeData()->hasFormat(DragPayload::mimeType())) {
            drop->acceptProposedAction();
            if (e->type() == QEvent::Drop) {
                QPointer<TProj> self(this);
                QTimer::singleShot(0, this, [self, files] {
                    if (self) self->DropFiles(files, std::nullopt);
                });
            }
            return true;
        }
    }
    if (watched == tree_->viewport()) {
        if (e->type() == QEvent::MouseMove)
            DataToHintPanel(static_cast<QMouseEvent*>(e)->position().toPoint());
        else if (e->type() == QEvent::MouseButtonPress)
            hintFilledAt_ = -1;  // the next hint shows at once
        else if (e->type() == QEvent::Leave)
            hideHint();
        else if (e->type() == QEvent::DragMove)
            dragScrollTree(static_cast<QDragMoveEvent*>(e)->position().toPoint().y());
    }
    if (watched == tree_ && e->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            TvKeyDown(key->key());
            return true;
        }
    }
    return TTower::eventFilter(watched, e);
}

// ---- windows ----

TProj* NewProjectWindowClick(TDesktop& desktop)
{
    int slot = desktop.GetProjectSlot();
    if (slot == 0) return nullptr;
    auto* window = new TProj(desktop, slot);
    window->setDisplayMode(TProj::TreeMode);
    window->show();
    window->bringToFront();
    return window;
}

void AddMissingProjectsElsewhere(TDesktop& desktop, const TProj* except)
{
    for (TProj* window : desktop.cardsOf<TProj>()) {
        if (window == except || window->data().hidden || !window->isVisible()) continue;
        window->refresh();
        window->TvAddMissingUpload();
    }
}

void ProjectWindowsGoTop(TDesktop& desktop)
{
    for (TProj* window : desktop.cardsOf<TProj>())
        if (!window->data().hidden) window->command(QStringLiteral("GoTop"));
}

TProj* OpenSavedProjectWindow(TDesktop& desktop, const ProjectWindowRestore& saved)
{
    const int slot = desktop.slotTables().projects.slotToRestore(saved.number);
    if (slot == 0) return nullptr;
    auto* window = new TProj(desktop, slot);
    window->restorePlace(saved.geometry);
    if (!saved.selectedTag.isEmpty()) window->setFilter(saved.selectedTag, true);
    if (saved.sortOrder == int(ProjectOrder::Alphabetical))
        window->setOrder(ProjectOrder::Alphabetical);
    else if (saved.sortOrder == int(ProjectOrder::TimeStamp))
        window->setOrder(ProjectOrder::TimeStamp);
    window->TvUpdateRefresh();
    if (!saved.outlineFile.isEmpty()) {
        window->GoTvRefrItem();
        if (window->TvDecode(saved.outlineFile) == OutlineLoad::Failed)
            PlainMessage(QStringLiteral("Failed: refresh/autoloadoutline"));
    }
    if (!saved.selectedProject.isEmpty()) window->selectName(saved.selectedProject);
    window->setDisplayMode(saved.sideUp >= 0 ? saved.sideUp : TProj::TreeMode);
    window->show();
    return window;
}

std::vector<ProjectWindowRecord> OpenProjectWindows(TDesktop& desktop)
{
    std::vector<ProjectWindowRecord> records;
    SlotTable& table = desktop.slotTables().projects;
    for (int s = 1; s <= table.capacity(); ++s) {
        CardData* data = table.at(s);
        auto* window = data ? qobject_cast<TProj*>(desktop.cardOf(data)) : nullptr;
        if (!window || data->hidden || data->unfreeable) continue;
        ProjectWindowRecord record;
        record.geometry = QRect(window->visiblePos(), window->size());
        record.outlineId = window->outlineId();
        QPointer<TProj> w(window);
        record.saveOutline = [w](const QString& path) {
            return w && w->saveOutlineForLayout(path);
        };
        record.filterTag = window->filterOn() ? window->filterTag() : QString();
        record.sortOrder = int(window->order());
        record.sideUp = window->displayMode();
        record.selectedProject = window->currentName();
        records.push_back(std::move(record));
    }
    return records;
}

}  // namespace qb
