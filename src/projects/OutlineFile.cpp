#include "projects/OutlineFile.h"

#include "floor/Messages.h"
#include "platform/FileNames.h"
#include "platform/IniFile.h"
#include "session/Session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <map>

namespace qb {

namespace {

namespace om = outlinemessages;

const QString kOutline = QStringLiteral("OUTLINE");
const QString kOrder = QStringLiteral("OUTLINE ORDER");
const QString kMap = QStringLiteral("OUTLINE MAP");
const QString kNewTitle = QStringLiteral("[NEW]");
constexpr int kMaxBackupNumber = 1000;

QString escaped(const QString& name)
{
    return QLatin1Char('%') + QString::fromLatin1(name.toUtf8().toPercentEncoding());
}

bool breaksLine(const QString& name)
{
    return name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r'));
}

bool blankAtEnds(const QString& name)
{
    return !name.isEmpty() && (name.front().isSpace() || name.back().isSpace());
}

QStringList textLines(const QString& path, bool* read)
{
    QFile file(path);
    *read = file.open(QIODevice::ReadOnly);
    if (!*read) return {};
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

QString fileNameOf(const QString& path) { return QFileInfo(path).fileName(); }

QString baseOf(const QString& path)
{
    const QString name = fileNameOf(path);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

}  // namespace

// ---- the tree ----

int OutlineTree::add(const QString& text, int parent)
{
    const int under = alive(parent) ? parent : kNone;
    Node node;
    node.text = text;
    nodes_.push_back(std::move(node));
    lists_.emplace_back();
    stale_.push_back(0);
    const int id = size() - 1;
    insert(id, under, -1);
    return id;
}

const std::vector<int>& OutlineTree::listOf(int parent) const
{
    const size_t slot = size_t(parent + 1);
    if (stale_[slot]) {
        std::vector<int>& list = lists_[slot];
        list.clear();
        for (int n = ends(parent).first; n != kNone; n = nodes_[size_t(n)].next) list.push_back(n);
        stale_[slot] = 0;
    }
    return lists_[slot];
}

int OutlineTree::level(int id) const
{
    int depth = 0;
    for (int p = parent(id); p != kNone; p = parent(p)) ++depth;
    return depth;
}

std::vector<int> OutlineTree::displayOrder() const
{
    std::vector<int> out;
    out.reserve(nodes_.size());
    int n = top_.first;
    while (n != kNone) {
        out.push_back(n);
        if (nodes_[size_t(n)].children.first != kNone) {
            n = nodes_[size_t(n)].children.first;
            continue;
        }
        while (n != kNone && nodes_[size_t(n)].next == kNone) n = nodes_[size_t(n)].parent;
        if (n != kNone) n = nodes_[size_t(n)].next;
    }
    return out;
}

int OutlineTree::find(const QString& text) const
{
    for (int id : displayOrder())
        if (nodes_[size_t(id)].text == text) return id;
    return kNone;
}

bool OutlineTree::isInside(int id, int ancestor) const
{
    for (int n = id; n != kNone; n = parent(n))
        if (n == ancestor) return true;
    return false;
}

bool OutlineTree::wouldGoUnderItself(int id, int newParent) const
{
    // Up from the new parent and down through the node's subtree in turn: the cost is the smaller
    // of the two, so a move along a long chain, or of a deep node, stays cheap.
    int up = newParent;
    std::vector<int> down{id};
    while (up != kNone && !down.empty()) {
        if (up == id) return true;
        up = parent(up);
        const int n = down.back();
        down.pop_back();
        if (n == newParent) return true;
        for (int c = nodes_[size_t(n)].children.first; c != kNone; c = nodes_[size_t(c)].next)
            down.push_back(c);
    }
    return false;
}

void OutlineTree::detach(int id)
{
    Node& node = nodes_[size_t(id)];
    Ends& list = ends(node.parent);
    (node.prev != kNone ? nodes_[size_t(node.prev)].next : list.first) = node.next;
    (node.next != kNone ? nodes_[size_t(node.next)].prev : list.last) = node.prev;
    const size_t slot = size_t(node.parent + 1);
    if (!stale_[slot] && !lists_[slot].empty() && lists_[slot].back() == id)
        lists_[slot].pop_back();
    else
        stale_[slot] = 1;
    node.parent = node.prev = node.next = kNone;
}

void OutlineTree::insert(int id, int newParent, int index)
{
    Ends& list = ends(newParent);
    int before = kNone;
    if (index >= 0) {
        before = list.first;
        for (int i = 0; i < index && before != kNone; ++i) before = nodes_[size_t(before)].next;
    }
    Node& node = nodes_[size_t(id)];
    node.parent = newParent;
    const size_t slot = size_t(newParent + 1);
    if (before == kNone) {
        node.prev = list.last;
        node.next = kNone;
        (list.last != kNone ? nodes_[size_t(list.last)].next : list.first) = id;
        list.last = id;
        if (!stale_[slot]) lists_[slot].push_back(id);
    } else {
        node.next = before;
        node.prev = nodes_[size_t(before)].prev;
        (node.prev != kNone ? nodes_[size_t(node.prev)].next : list.first) = id;
        nodes_[size_t(before)].prev = id;
        stale_[slot] = 1;
    }
}

bool OutlineTree::move(int id, int newParent, int index)
{
    if (!alive(id) || (newParent != kNone && !alive(newParent))) return false;
    if (newParent != kNone && wouldGoUnderItself(id, newParent)) return false;
    detach(id);
    insert(id, newParent, index);
    return true;
}

void OutlineTree::remove(int id)
{
    if (!alive(id)) return;
    const std::vector<int> kids = children(id);
    for (int child : kids) move(child, kNone);
    detach(id);
    nodes_[size_t(id)].alive = false;
}

void OutlineTree::clear()
{
    nodes_.clear();
    top_ = Ends();
    lists_.assign(1, {});
    stale_.assign(1, 0);
}

// ---- names ----

OutlineNames OutlineNamesOf(const QString& path)
{
    OutlineNames names;
    const QString file = fileNameOf(path);
    const qsizetype dot = file.indexOf(QLatin1Char('.'));
    names.outlineId = dot <= 0 ? QStringLiteral("New") : file.left(dot);
    names.outputName = (QStringLiteral("Outline ") + names.outlineId.toUpper()).trimmed();
    names.title = QLatin1Char('[') + names.outlineId.toUpper() + QLatin1Char(']');
    return names;
}

QString OutlineFolder()
{
    const QString dir = files::resolve(session().dir(), QStringLiteral("outl"));
    if (QFileInfo(dir).isDir() || QDir().mkpath(dir)) return dir;
    return session().dir();
}

bool IsNewOutlineFile(const QString& path) { return fileNameOf(path) == QStringLiteral("New.qbo"); }

QString OutlineKeyText(const QString& name)
{
    static const QString special = QStringLiteral("=[];#");
    bool plain = !name.isEmpty() && !blankAtEnds(name) && !breaksLine(name) &&
                 !name.startsWith(QLatin1Char('%'));
    for (qsizetype i = 0; plain && i < name.size(); ++i)
        if (special.contains(name[i])) plain = false;
    return plain ? name : escaped(name);
}

QString OutlineValueText(const QString& name)
{
    const bool quoted = name.size() >= 2 &&
                        (name.front() == QLatin1Char('"') || name.front() == QLatin1Char('\'')) &&
                        name.back() == name.front();
    const bool plain =
        !blankAtEnds(name) && !breaksLine(name) && !name.startsWith(QLatin1Char('%')) && !quoted;
    return plain ? name : escaped(name);
}

QString OutlineTextOfKey(const QString& stored)
{
    if (!stored.startsWith(QLatin1Char('%'))) return stored;
    return QString::fromUtf8(QByteArray::fromPercentEncoding(stored.mid(1).toLatin1()));
}

// ---- saving ----

QString OutlineBackupPath(const QString& path, const QString& outlineDir)
{
    if (!QFileInfo(path).isFile()) return {};
    const QString base = baseOf(path);
    bool read = false, backupRead = false;
    const QStringList lines = textLines(path, &read);
    const QString plainBackup = files::resolve(outlineDir, base + QStringLiteral(".BCK"));
    if (QFileInfo(plainBackup).isFile() && read && textLines(plainBackup, &backupRead) == lines &&
        backupRead)
        return {};
    const QDir dir(outlineDir);
    const QStringList present = dir.entryList(QDir::Files);
    QSet<QString> taken;
    for (const QString& name : present) taken.insert(name.toUpper());
    QString number;
    for (int n = 1; n <= kMaxBackupNumber; ++n) {
        number = QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0'));
        if (!taken.contains((base + number + QStringLiteral(".BCK")).toUpper())) break;
    }
    return files::resolve(outlineDir, base + number + QStringLiteral(".BCK"));
}

bool TvEncode(const OutlineTree& tree, const QString& path, const QString& outlineDir,
              OutlineRegistry& registry)
{
    if (IsNewOutlineFile(path)) return true;
    registry.clear();
    const std::vector<int> order = tree.displayOrder();
    for (size_t i = 0; i < order.size(); ++i) {
        const int id = order[i];
        if (tree.parent(id) == OutlineTree::kNone) continue;
        registry.push_back({tree.text(id), TTvRegistryItem{int(i), tree.parent(id), false}});
    }

    if (QFileInfo(path).isFile()) {
        const QString backup = OutlineBackupPath(path, outlineDir);
        if (!backup.isEmpty()) {
            bool read = false;
            const QStringList lines = textLines(path, &read);
            if (!read ||
                !files::writeTextFile(backup, lines.join(QLatin1Char('\n')) + QLatin1Char('\n')))
                LogProblem(QString::fromLatin1(om::kCopyError) + backup);
        }
    }

    // A fresh file, written beside the old one and then put in its place: a failed save leaves
    // the old outline as it was.
    IniFile ini;
    ini.writeInteger(kOutline, QStringLiteral("SIZE"), int(registry.size()));
    ini.writeString(kOutline, QStringLiteral("NAME"), fileNameOf(path));
    std::vector<std::pair<QString, QString>> orderKeys, mapKeys;
    orderKeys.reserve(registry.size());
    mapKeys.reserve(registry.size());
    for (size_t i = 0; i < registry.size(); ++i) {
        const auto& [name, entry] = registry[i];
        const QString parent = entry.root ? QString() : tree.text(entry.parent);
        orderKeys.emplace_back(QString::number(i), OutlineValueText(name));
        mapKeys.emplace_back(OutlineKeyText(name), OutlineValueText(parent));
    }
    ini.writeSection(kOrder, orderKeys);
    ini.writeSection(kMap, mapKeys);
    QString error;
    if (!files::writeTextFile(path, ini.lines().join(QLatin1Char('\n')) + QLatin1Char('\n'),
                              &error)) {
        PlainMessage(QString::fromLatin1(om::kCannotSave) + path);
        return false;
    }
    return true;
}

// ---- loading ----

OutlineLoad TvDecodeRegistry(const OutlineTree& tree, const QString& path,
                             OutlineRegistry& registry)
{
    registry.clear();
    IniFile ini;
    if (!ini.load(path)) {
        PlainMessage(QString::fromLatin1(om::kDecodeError));
        return OutlineLoad::Failed;
    }
    const int size = ini.readInteger(kOutline, QStringLiteral("SIZE"), 0);

    // Only the keys the file holds give names: a missing key would give an empty name, which
    // matches no node, so SIZE never makes the registry larger than the file.
    std::map<int, QString> names;
    for (const auto& [key, value] : ini.entries(kOrder)) {
        std::optional<int> i = IniFile::parseInteger(key);
        if (!i || *i < 0 || *i >= size) continue;
        names.emplace(*i, OutlineTextOfKey(value));
    }
    QHash<QString, QString> parents;
    for (const auto& [key, value] : ini.entries(kMap)) {
        const QString name = OutlineTextOfKey(key).toUpper();
        if (!parents.contains(name)) parents.insert(name, OutlineTextOfKey(value));
    }
    QHash<QString, int> firstNode;
    for (int id : tree.displayOrder())
        if (!firstNode.contains(tree.text(id))) firstNode.insert(tree.text(id), id);

    registry.reserve(names.size());
    for (const auto& [i, name] : names) {
        // Keys are compared without regard to case, as the profile service does.
        const QString parentText = parents.value(name.toUpper());
        TTvRegistryItem entry;
        entry.id = i;
        const int parent = parentText.isEmpty() ? OutlineTree::kNone
                                                : firstNode.value(parentText, OutlineTree::kNone);
        entry.parent = parent;
        entry.root = parent == OutlineTree::kNone;
        registry.emplace_back(name, entry);
    }
    return OutlineLoad::Loaded;
}

namespace {

void removeStrayNewTitle(OutlineTree& tree)
{
    for (int id : tree.displayOrder()) {
        if (id == tree.title() || tree.text(id) != kNewTitle) continue;
        tree.remove(id);
        return;
    }
}

}  // namespace

namespace {

// A file may nest projects as deep as it lists them; the tree views on screen recurse per level.
// Every node at a multiple of the limit below the top goes to the end of the top level with its
// subtree, so no node ends deeper than the limit. One pass, in display order.
void limitDepth(OutlineTree& tree)
{
    std::vector<int> depth(size_t(tree.size()), 0);
    std::vector<int> tooDeep;
    for (int id : tree.displayOrder()) {
        const int parent = tree.parent(id);
        depth[size_t(id)] = parent == OutlineTree::kNone ? 0 : depth[size_t(parent)] + 1;
        if (depth[size_t(id)] > 0 && depth[size_t(id)] % (kMaxOutlineDepth + 1) == 0)
            tooDeep.push_back(id);
    }
    if (tooDeep.empty()) return;
    for (int id : tooDeep) tree.move(id, OutlineTree::kNone);
    PlainMessage(QString::fromLatin1(om::kTooDeep));
}

}  // namespace

void AlignToRegistry(OutlineTree& tree, const OutlineRegistry& registry)
{
    const int title = tree.title();
    if (title == OutlineTree::kNone) {
        PlainMessage(QString::fromLatin1(om::kAlignError));
        return;
    }
    // Texts do not change here; a text held by one node names that node.
    QHash<QString, int> only;
    QSet<QString> shared;
    for (int id : tree.displayOrder()) {
        const QString& text = tree.text(id);
        if (only.contains(text)) shared.insert(text);
        only.insert(text, id);
    }
    auto nodeOf = [&](const QString& text) {
        if (shared.contains(text)) return tree.find(text);
        return only.value(text, OutlineTree::kNone);
    };

    const std::vector<int> titleChildren = tree.children(title);
    for (int child : titleChildren) tree.move(child, OutlineTree::kNone);
    for (const auto& [name, entry] : registry) {
        const int id = nodeOf(name);
        if (id == OutlineTree::kNone) continue;
        if (!tree.move(id, title)) PlainMessage(QString::fromLatin1(om::kAlign1));
    }
    if (!tree.move(title, OutlineTree::kNone, 0)) PlainMessage(QString::fromLatin1(om::kAlign2));

    for (const auto& [name, entry] : registry) {
        if (entry.root || !tree.alive(entry.parent)) continue;
        const int id = nodeOf(name);
        if (id == OutlineTree::kNone) continue;
        const QString& parentText = tree.text(entry.parent);
        if (tree.text(id) == parentText) {
            PlainMessage(QString::fromLatin1(om::kSelf) + name);
            continue;
        }
        if (!tree.move(id, entry.parent)) {
            PlainMessage(QString::fromLatin1(om::kMode) + tree.text(id));
            PlainMessage(QString::fromLatin1(om::kRepeat) + tree.text(id) + QStringLiteral(" -> ") +
                         parentText);
        }
    }
    limitDepth(tree);
    removeStrayNewTitle(tree);
}

OutlineLoad TvDecode(OutlineTree& tree, const QString& path, OutlineRegistry& registry)
{
    const OutlineNames names = OutlineNamesOf(path);
    if (tree.title() != OutlineTree::kNone) tree.setText(tree.title(), names.title);
    if (!QFileInfo(path).isFile()) return OutlineLoad::Missing;
    const OutlineLoad loaded = TvDecodeRegistry(tree, path, registry);
    if (loaded != OutlineLoad::Loaded) return loaded;
    removeStrayNewTitle(tree);
    AlignToRegistry(tree, registry);
    return OutlineLoad::Loaded;
}

}  // namespace qb
