#pragma once

#include <QPointer>
#include <QStringList>
#include <vector>

#include "cards/TowerCard.h"
#include "projects/OutlineFile.h"
#include "projects/ProjectRecords.h"
#include "projects/TreeDragScroll.h"
#include "session/ShellHooks.h"

class QLabel;
class QStandardItemModel;
class QTimer;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

namespace qb {

class TDBDragGrid;
class TInlineBrowserForm;
struct DragPayload;

// The plain data of a project window.
struct ProjectCardData : CardData {
    ProjectCardData() : CardData(CardKind::Project) {}
};

// The project window: a list card over PROJECT in alphabetical or time stamp order, with an
// outline tree of the projects (display mode 1) and a browser view of the project's file (mode 2).
// The store work is the projects core's; the window shows rows and passes commands on.
class TProj : public TTower {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 50071;
    static constexpr int kNameChars = 28;
    static constexpr int kTagChars = 12;
    static constexpr int kUrlChars = 80;
    enum Mode { ListMode = 0, TreeMode = 1, BrowserMode = 2 };

    // A window in a slot of the project-window table (taken here), in time stamp order.
    TProj(TDesktop& desktop, int slot);
    ~TProj() override;

    int slot() const { return data().slot; }
    TDBDragGrid* dragGrid() const;
    QStandardItemModel* tableModel() const { return model_; }
    QTreeWidget* tree() const { return tree_; }
    QTextBrowser* browser() const;
    TInlineBrowserForm* browserForm() const { return browserForm_; }

    ProjectOrder order() const { return order_; }
    void setOrder(ProjectOrder order);
    // "AlphaOrder": the other order, keeping the current project.
    void toggleOrder();
    // The name in the list's current row; empty without rows.
    QString currentName() const;
    const std::vector<ProjectRecord>& rows() const { return rows_; }
    // Puts the list on a project; false when it is not listed.
    bool selectName(const QString& name);
    bool selectPts(Timestamp pts);

    // The category filter: with a tag, only the projects of that tag are listed.
    QString filterTag() const { return filterTag_; }
    bool filterOn() const { return filterOn_; }
    void setFilter(const QString& tag, bool on);
    QString caption() const;

    // Reads the table again and shows the remembered project.
    void refresh();

    int displayMode() const { return mode_; }
    void setDisplayMode(int mode);
    // A click on the frame: list, tree and browser in turn.
    void switchDisplayMode();

    // --- the outline tree ---
    // The title node and a top-level node for every listed project without one.
    void TvUpdateRefresh();
    // Top-level nodes for the projects that have none.
    void TvAddMissingUpload();
    bool TvFind(const QString& text) const;
    // A deleted project's node goes; its children move under the title.
    void TvRemoveProject(const QString& name);
    // A node moved by a drop on another: before it (insert) or as its last child (attach).
    enum class TreeDrop { Insert, Attach, TopLevel };
    bool moveNode(QTreeWidgetItem* node, QTreeWidgetItem* target, TreeDrop how);
    // A node dropped on the tree: with confirmations on, "Insert ... before ..." and then
    // "Attach ... to ..." are asked first.
    bool dropNode(QTreeWidgetItem* node, QTreeWidgetItem* target, TreeDrop how);
    // Up and Down on the selected node.
    void TvKeyDown(int key);
    QString outlineTitle() const;

    // --- outline files and output ---
    // The outline's name: "New" until a file names it.
    QString outlineId() const { return outlineId_; }
    QString outlineFilePath() const;
    bool outlineLoaded() const { return outlineLoaded_; }
    const OutlineRegistry& registry() const { return registry_; }
    // The tree written to path; the registry follows. New.qbo is never written.
    bool TvEncode(const QString& path);
    // The file read into the tree; the outline takes the file's name.
    OutlineLoad TvDecode(const QString& path);
    // The automatic save to <OutlineID>.qbo in the outline folder.
    bool saveOutline();
    // The shutdown's save for the window layout; the window then leaves its file alone when it
    // goes, so that one exit takes one backup.
    bool saveOutlineForLayout(const QString& path);
    // "GetOutline": a file chosen in the open dialog is loaded after a reset.
    void GetOutline();
    // "SaveOutline": saved under the name chosen in the save dialog, which the outline takes.
    void GoTvEncode();
    // "NilOutline": the selected node's subtree comes apart into top-level nodes.
    void GoTvNilItem();
    // "RefrOutline": the base tree again, outline "New".
    void GoTvRefrItem();
    // "PrintOutline": the document from the selected node down, opened when written.
    QString GoTvPrintItemText();
    // The whole tree expanded; the title's first child becomes the current project.
    void expandAndSelect();

    // --- the hint line over the tree ---
    // " name |  category |  url" lower-cased; without the category while a filter is on.
    QString hintText(const ProjectRecord& project) const;
    // The pointer over a node's label (tree viewport coordinates), or off every label.
    void DataToHintPanel(QPoint treePoint);
    QLabel* hintPanel() const { return hint_; }

    // --- the command panel and its commands ---
    QStringList panelRows() const;
    void openCommandPanel(QPoint global);
    void command(const QString& name);

    // A drop on the list (and what the tree does not take itself).
    bool DropOnGrid(const DragPayload& payload);
    // Files from the file manager: on a project's node in the shown tree (tree viewport
    // coordinates) the last one is registered with that project after a question; anywhere else
    // on the window it becomes a new project of the window's category.
    bool DropFiles(const QStringList& paths, std::optional<QPoint> treePoint);
    DragPayload dragPayload() const;
    void TitleClick();
    // A double click on a row: on the name, the project goes to the top of time stamp order; on
    // the URL, the project's address or file is opened.
    void RowDoubleClick(int column);
    bool openProjectUrl();

    void LayoutGrid() override;
    void RefreshTable() override { refresh(); }
    void CardMouseDown(Qt::MouseButton button, QPoint global) override;
    void CardMouseUp(Qt::MouseButton button, QPoint global) override;
    // A click on the corner sign: left opens the project's address or file, right shows it in
    // the browser view. A press that moves resizes, as on every card.
    void CornerMouseDown(Qt::MouseButton button, QPoint global) override;
    void CornerMouseUp(Qt::MouseButton button, QPoint global) override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    // A drag near the tree's top or bottom edge scrolls it.
    void dragScrollTree(int y);

private:
    void fill();
    void rowPicked(int row);
    void cellToClipboard();
    void newProject();
    void updateProject(const QString& name);
    void deleteProject();
    void tagSelect();
    void locate();
    void showProjectFile();
    void selectCurrentNode();
    void treeDrop(QDropEvent* e);
    QString nodeName(QTreeWidgetItem* node) const;
    // The tree as plain data; items[id] is the widget item of node id.
    OutlineTree outlineModel(std::vector<QTreeWidgetItem*>& items) const;
    void applyOutlineModel(const OutlineTree& model, std::vector<QTreeWidgetItem*>& items);
    void setOutlineNames(const QString& path);
    // A double click with [APPEARANCE] OutlineDblClick: the outline named after the project.
    void markTimeOutline(const QString& project);
    void hideHint();

    std::vector<ProjectRecord> rows_;
    QStandardItemModel* model_;
    QTreeWidget* tree_;
    TInlineBrowserForm* browserForm_ = nullptr;
    ProjectOrder order_ = ProjectOrder::TimeStamp;
    QString filterTag_;
    bool filterOn_ = false;
    QString captionText_;
    int mode_ = ListMode;
    bool syncing_ = false;
    QPointer<QLabel> hint_;  // on the desktop, which may go first
    QTimer* hintCountdown_;  // 1000 ms: the pointer left the node
    QTimer* hintHide_;       // 15000 ms
    int hintTicks_ = 0;
    QString hintShownFor_;
    QTreeWidgetItem* hintNode_ = nullptr;
    qint64 hintFilledAt_ = -1;
    TreeDragScroll dragScroll_;
    QPoint framePress_;
    QPoint cornerPress_;
    bool cornerPressed_ = false;
    bool framePressed_ = false;
    QString outlineId_ = QStringLiteral("New");
    OutlineRegistry registry_;
    bool outlineLoaded_ = false;
    bool savedForLayout_ = false;
};

// View > "&Project Window" (Ctrl+P): a new window in the first free of the 15 slots, placed by the
// slot's cascade. Null after "Too many windows on desktop".
TProj* NewProjectWindowClick(TDesktop& desktop);
// Every other shown project window adds the projects it is missing to its tree.
void AddMissingProjectsElsewhere(TDesktop& desktop, const TProj* except);
// Reset Screen: every project window to its first row.
void ProjectWindowsGoTop(TDesktop& desktop);
// Start-up: a saved window back in its slot with its place, size, filter, order, project and mode.
TProj* OpenSavedProjectWindow(TDesktop& desktop, const ProjectWindowRestore& saved);
// Shutdown: the shown windows in slot order.
std::vector<ProjectWindowRecord> OpenProjectWindows(TDesktop& desktop);

}  // namespace qb
