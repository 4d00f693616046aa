#pragma once

#include <QString>

#include <utility>
#include <vector>

namespace qb {

// An outline tree without widgets: node 0 of the top level is the title, every other node names
// a project. Nodes keep their id while they move, so the registry can point at them. Siblings are
// linked to each other, so a move costs the same however long the lists and chains are; nothing
// here recurses, since a chain of projects may be as deep as it is long.
class OutlineTree {
public:
    static constexpr int kNone = -1;

    int add(const QString& text, int parent = kNone);
    int size() const { return int(nodes_.size()); }
    bool alive(int id) const { return id >= 0 && id < size() && nodes_[size_t(id)].alive; }
    const QString& text(int id) const { return nodes_[size_t(id)].text; }
    void setText(int id, const QString& text) { nodes_[size_t(id)].text = text; }
    int parent(int id) const { return nodes_[size_t(id)].parent; }
    // The lists stay valid until the next change of the tree.
    const std::vector<int>& children(int id) const { return listOf(id); }
    const std::vector<int>& topLevel() const { return listOf(kNone); }
    int title() const { return top_.first; }
    // 0 for the top level.
    int level(int id) const;

    // Parents before children, siblings in their order.
    std::vector<int> displayOrder() const;
    // The first node in display order with exactly this text, or kNone.
    int find(const QString& text) const;
    bool isInside(int id, int ancestor) const;

    // Moves a node as the last child of parent (kNone: the end of the top level), or to the
    // given place among the new siblings. False when it would go under itself.
    bool move(int id, int parent, int index = -1);
    // Removes a node; its children go to the end of the top level.
    void remove(int id);
    void clear();

private:
    struct Ends {
        int first = kNone;
        int last = kNone;
    };
    struct Node {
        QString text;
        int parent = kNone;
        int prev = kNone;
        int next = kNone;
        Ends children;
        bool alive = true;
    };
    Ends& ends(int parent) { return parent == kNone ? top_ : nodes_[size_t(parent)].children; }
    const Ends& ends(int parent) const
    {
        return parent == kNone ? top_ : nodes_[size_t(parent)].children;
    }
    const std::vector<int>& listOf(int parent) const;
    void detach(int id);
    void insert(int id, int parent, int index);
    bool wouldGoUnderItself(int id, int parent) const;

    std::vector<Node> nodes_;
    Ends top_;
    // The sibling lists as vectors for reading, slot 0 the top level; made again when stale.
    mutable std::vector<std::vector<int>> lists_ = std::vector<std::vector<int>>(1);
    mutable std::vector<char> stale_ = std::vector<char>(1, 0);
};

// One registered node: its place in display order when saved, its parent node when found.
struct TTvRegistryItem {
    int id = 0;
    int parent = OutlineTree::kNone;
    bool root = true;
};
using OutlineRegistry = std::vector<std::pair<QString, TTvRegistryItem>>;

// The three names an outline file path gives a window.
struct OutlineNames {
    QString outlineId;   // file name up to its first dot; "New" without one
    QString outputName;  // "Outline " + upper-cased id
    QString title;       // "[" + upper-cased id + "]"
};
OutlineNames OutlineNamesOf(const QString& path);

inline constexpr char kOutlineExt[] = ".qbo";
inline constexpr char kOutlineFilter[] = "QB outline|*.qbo|Backup outline|*.BCK";
// The outline folder outl in the store directory, made when missing; the store directory itself
// when it cannot be made.
QString OutlineFolder();
// New.qbo is never written.
bool IsNewOutlineFile(const QString& path);

// A node text as an outline file key or value: plain names as they are, others (=, [, ], ;, #,
// blanks at either end, line breaks, a leading %) percent-encoded behind a leading %.
QString OutlineKeyText(const QString& name);
QString OutlineValueText(const QString& name);
QString OutlineTextOfKey(const QString& stored);

// The backup to take before path (in outlineDir) is replaced; empty when the file is missing or
// equals <base>.BCK line by line.
QString OutlineBackupPath(const QString& path, const QString& outlineDir);

// Writes the tree to path (registry refilled). False after a reported failure; New.qbo: true,
// nothing written.
bool TvEncode(const OutlineTree& tree, const QString& path, const QString& outlineDir,
              OutlineRegistry& registry);

enum class OutlineLoad { Missing, Loaded, Failed };
// Reads the file into the registry; parents are looked up in the tree as it stands.
OutlineLoad TvDecodeRegistry(const OutlineTree& tree, const QString& path,
                             OutlineRegistry& registry);
// The deepest level a loaded outline keeps (the title's children are level 1).
constexpr int kMaxOutlineDepth = 1000;
// Rearranges the tree after the registry; moves that fail are reported and skipped. A node that
// would lie deeper than kMaxOutlineDepth starts a new top-level branch ("kTooDeep" reported).
void AlignToRegistry(OutlineTree& tree, const OutlineRegistry& registry);
// The whole load of a file into a tree: title renamed, registry read, "[NEW]" removed, aligned.
OutlineLoad TvDecode(OutlineTree& tree, const QString& path, OutlineRegistry& registry);

namespace outlinemessages {
inline constexpr char kCannotSave[] = "Cannot save as title: ";
inline constexpr char kEncodeError[] = "Error in TvEncode";
inline constexpr char kDecodeError[] = "Error in TvDecode";
inline constexpr char kCopyError[] = "MyCopyTextFile error: ";
inline constexpr char kAlign1[] = "AlignToRegistry-1 error";
inline constexpr char kAlign2[] = "AlignToRegistry-2 error";
inline constexpr char kSelf[] = "Failed tv self-referenced: ";
inline constexpr char kMode[] = "Failed tv mode: ";
inline constexpr char kRepeat[] = "repeat: Failed tv mode: ";
inline constexpr char kAlignError[] = "Error in AlignToRegistry";
inline constexpr char kTooDeep[] =
    "The outline is nested more than 1000 levels deep: the deeper parts now start at the top level";
}  // namespace outlinemessages

}  // namespace qb
