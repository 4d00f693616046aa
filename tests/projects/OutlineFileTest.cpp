#include "support/StoreFixture.h"

#include "projects/OutlineFile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>

using namespace qb;

namespace {

class OutlineFileTest : public test::StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        outl = path(QStringLiteral("outl"));
        QDir().mkpath(outl);
    }

    // A window's base tree: the title and one top-level node per project.
    OutlineTree baseTree(const QString& title, const QStringList& projects)
    {
        OutlineTree tree;
        tree.add(title);
        for (const QString& name : projects) tree.add(name);
        return tree;
    }

    // "name<parent" lines in display order, top-level nodes without "<".
    static QStringList shape(const OutlineTree& tree)
    {
        QStringList out;
        for (int id : tree.displayOrder())
            out << (tree.parent(id) == OutlineTree::kNone
                        ? tree.text(id)
                        : tree.text(id) + QLatin1Char('<') + tree.text(tree.parent(id)));
        return out;
    }

    static QString read(const QString& file)
    {
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        return QString::fromUtf8(f.readAll());
    }

    static void write(const QString& file, const QByteArray& bytes)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QString outl;
    OutlineRegistry registry;
};

TEST_F(OutlineFileTest, SavesTheKnownLayoutAndOddNamesComeBack)
{
    OutlineTree tree = baseTree(QStringLiteral("[IDEAS]"), {});
    tree.add(QStringLiteral("CHAPTER ONE"), tree.title());
    const int two = tree.add(QStringLiteral("CHAPTER TWO"), tree.title());
    tree.add(QStringLiteral("SOURCES"), two);
    tree.add(QStringLiteral("LOOSE"));
    const QString file = QDir(outl).filePath(QStringLiteral("ideas.qbo"));
    ASSERT_TRUE(TvEncode(tree, file, outl, registry));
    EXPECT_EQ(read(file), QStringLiteral("[OUTLINE]\nSIZE=3\nNAME=ideas.qbo\n\n[OUTLINE ORDER]\n"
                                         "0=CHAPTER ONE\n1=CHAPTER TWO\n2=SOURCES\n\n"
                                         "[OUTLINE MAP]\nCHAPTER ONE=[IDEAS]\nCHAPTER TWO=[IDEAS]\n"
                                         "SOURCES=CHAPTER TWO\n"));

    // Names the key syntax would break, under one another.
    const QStringList odd = {QStringLiteral("A=B"),       QStringLiteral("[SECTION]"),
                             QStringLiteral(";NOTE"),     QStringLiteral("#TAG"),
                             QStringLiteral(" PADDED "),  QStringLiteral("%25 OFF"),
                             QStringLiteral("\"QUOTED\"")};
    OutlineTree saved = baseTree(QStringLiteral("[ODD]"), {});
    int parent = saved.title();
    for (const QString& name : odd) parent = saved.add(name, parent);
    saved.add(QStringLiteral("ZED 100%"), saved.title());
    const QString oddFile = QDir(outl).filePath(QStringLiteral("odd.qbo"));
    ASSERT_TRUE(TvEncode(saved, oddFile, outl, registry));
    EXPECT_TRUE(read(oddFile).contains(QStringLiteral("\nZED 100%=[ODD]\n")));

    OutlineTree loaded = baseTree(QStringLiteral("[NEW]"), odd + QStringList{"ZED 100%"});
    ASSERT_EQ(TvDecode(loaded, oddFile, registry), OutlineLoad::Loaded);
    EXPECT_EQ(shape(loaded), shape(saved));
}

TEST_F(OutlineFileTest, NewIsNeverWrittenAndBackupsAreNumbered)
{
    OutlineTree tree = baseTree(QStringLiteral("[NEW]"), {QStringLiteral("A")});
    tree.move(1, tree.title());
    ASSERT_TRUE(TvEncode(tree, QDir(outl).filePath(QStringLiteral("New.qbo")), outl, registry));
    EXPECT_TRUE(QDir(outl).entryList(QDir::Files).isEmpty());

    const QString file = QDir(outl).filePath(QStringLiteral("plan.qbo"));
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(TvEncode(tree, file, outl, registry));
    EXPECT_EQ(QDir(outl).entryList(QDir::Files),
              (QStringList{"plan.qbo", "plan001.BCK", "plan002.BCK"}));

    // A file equal to <base>.BCK needs no numbered copy.
    QFile::copy(file, QDir(outl).filePath(QStringLiteral("plan.BCK")));
    ASSERT_TRUE(TvEncode(tree, file, outl, registry));
    EXPECT_FALSE(QFile::exists(QDir(outl).filePath(QStringLiteral("plan003.BCK"))));
}

TEST_F(OutlineFileTest, ASaveThatFailsKeepsTheOldOutline)
{
    OutlineTree tree = baseTree(QStringLiteral("[PLAN]"), {});
    tree.add(QStringLiteral("A"), tree.title());
    const QString file = QDir(outl).filePath(QStringLiteral("plan.qbo"));
    ASSERT_TRUE(TvEncode(tree, file, outl, registry));
    const QString saved = read(file);
    tree.add(QStringLiteral("B"), tree.title());

    // A file-size limit below both the backup copy and the new file, as a full disk would be.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 10;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    messenger.expect(QStringLiteral("Cannot save as title: ") + file);
    const bool written = TvEncode(tree, file, outl, registry);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(read(file), saved);
}

TEST_F(OutlineFileTest, LoadKeepsUnknownParentsAndSelfReferencesUnderTheTitle)
{
    // Saved while the outline was "New", with a project deleted since (GONE) and one entry that
    // names itself as parent.
    write(QDir(outl).filePath(QStringLiteral("draft.qbo")),
          "[OUTLINE]\nSIZE=5\n[OUTLINE ORDER]\n0=A\n1=GONE\n2=B\n3=SELF\n4=C\n"
          "[OUTLINE MAP]\nA=[NEW]\nGONE=A\nB=GONE\nSELF=SELF\nC=A\n");
    OutlineTree tree = baseTree(QStringLiteral("[NEW]"), {"SELF", "C", "B", "A", "OTHER"});
    messenger.expect(QStringLiteral("Failed tv self-referenced: SELF"));
    ASSERT_EQ(TvDecode(tree, QDir(outl).filePath(QStringLiteral("draft.qbo")), registry),
              OutlineLoad::Loaded);
    EXPECT_EQ(shape(tree),
              (QStringList{"[DRAFT]", "A<[DRAFT]", "C<A", "B<[DRAFT]", "SELF<[DRAFT]", "OTHER"}));
    EXPECT_EQ(OutlineNamesOf(QStringLiteral("/x/draft.qbo")).outputName,
              QStringLiteral("Outline DRAFT"));
    EXPECT_EQ(OutlineNamesOf(QStringLiteral("/x/.hidden")).outlineId, QStringLiteral("New"));

    // A missing file only renames the title.
    EXPECT_EQ(TvDecode(tree, QDir(outl).filePath(QStringLiteral("none.qbo")), registry),
              OutlineLoad::Missing);
    EXPECT_EQ(tree.text(tree.title()), QStringLiteral("[NONE]"));
}

TEST(OutlineTreeChain, AChainAsDeepAsItIsLongIsBuiltByMovesAndWalkedWithoutRecursion)
{
    // Deeper than a walk with one call per level could go on the stack; built as a load builds
    // it, each node of the flat list moved under the one before.
    constexpr int kDepth = 200000;
    OutlineTree tree;
    int previous = tree.add(QStringLiteral("[CHAIN]"));
    for (int i = 0; i < kDepth; ++i) tree.add(QStringLiteral("P%1").arg(i));
    for (int id = 1; id <= kDepth; ++id) {
        ASSERT_TRUE(tree.move(id, previous));
        previous = id;
    }
    EXPECT_FALSE(tree.move(1, kDepth));  // under its own descendant
    const std::vector<int> order = tree.displayOrder();
    ASSERT_EQ(order.size(), size_t(kDepth + 1));
    EXPECT_EQ(order.back(), kDepth);
    EXPECT_EQ(tree.level(kDepth), kDepth);
    EXPECT_EQ(tree.find(QStringLiteral("P%1").arg(kDepth - 1)), kDepth);
}

TEST_F(OutlineFileTest, BrokenFilesReportAndNeverHang)
{
    const QString broken = path(QStringLiteral("broken"));
    QDir().mkpath(broken);
    write(broken + QStringLiteral("/size.qbo"),
          "[OUTLINE]\nSIZE=2000000000\n[OUTLINE ORDER]\n0=A\n[OUTLINE MAP]\nA=[SIZE]\n");
    write(broken + QStringLiteral("/loop.qbo"),
          "[OUTLINE]\nSIZE=3\n[OUTLINE ORDER]\n0=A\n1=B\n2=C\n"
          "[OUTLINE MAP]\nA=C\nB=A\nC=B\n");
    QByteArray junk(64 * 1024, '\0');
    QRandomGenerator generator(7);
    for (char& c : junk) c = char(generator.bounded(256));
    write(broken + QStringLiteral("/junk.qbo"), junk);
    // A chain nested deeper than a tree on screen can show.
    QByteArray deep = "[OUTLINE]\nSIZE=2500\n[OUTLINE ORDER]\n",
               deepMap = "[OUTLINE MAP]\nN0=[DEEP]\n";
    QStringList deepNames;
    for (int i = 0; i < 2500; ++i) {
        deepNames << QStringLiteral("N%1").arg(i);
        deep += QByteArray::number(i) + "=N" + QByteArray::number(i) + "\n";
        if (i > 0) deepMap += "N" + QByteArray::number(i) + "=N" + QByteArray::number(i - 1) + "\n";
    }
    write(broken + QStringLiteral("/deep.qbo"), deep + deepMap);
    // The largest keys and sizes a number can hold, and keys below zero.
    write(broken + QStringLiteral("/huge.qbo"),
          "[OUTLINE]\nSIZE=2147483647\n[OUTLINE ORDER]\n2147483647=A\n2147483646=B\n-1=C\n"
          "[OUTLINE MAP]\nB=[HUGE]\n");
    write(broken + QStringLiteral("/long.qbo"),
          "[OUTLINE]\nSIZE=1\n[OUTLINE ORDER]\n0=" + QByteArray(10 * 1024 * 1024, 'X') +
              "\n[OUTLINE MAP]\n");

    const QStringList projects = {"A", "B", "C"};
    OutlineTree tree = baseTree(QStringLiteral("[NEW]"), projects);
    EXPECT_EQ(TvDecode(tree, broken + QStringLiteral("/size.qbo"), registry), OutlineLoad::Loaded);
    EXPECT_EQ(registry.size(), 1u);  // the keys that are missing give nothing to place
    EXPECT_EQ(shape(tree), (QStringList{"[SIZE]", "A<[SIZE]", "B", "C"}));

    // The last move of the loop would put C under its own descendant: it fails and C stays.
    tree = baseTree(QStringLiteral("[NEW]"), projects);
    messenger.expect(QStringLiteral("Failed tv mode: C"));
    messenger.expect(QStringLiteral("repeat: Failed tv mode: C -> B"));
    EXPECT_EQ(TvDecode(tree, broken + QStringLiteral("/loop.qbo"), registry), OutlineLoad::Loaded);
    EXPECT_EQ(shape(tree), (QStringList{"[LOOP]", "C<[LOOP]", "A<C", "B<A"}));

    tree = baseTree(QStringLiteral("[NEW]"), projects);
    EXPECT_EQ(TvDecode(tree, broken + QStringLiteral("/junk.qbo"), registry), OutlineLoad::Loaded);
    EXPECT_EQ(shape(tree), (QStringList{"[JUNK]", "A", "B", "C"}));

    tree = baseTree(QStringLiteral("[NEW]"), projects);
    EXPECT_EQ(TvDecode(tree, broken + QStringLiteral("/huge.qbo"), registry), OutlineLoad::Loaded);
    EXPECT_EQ(registry.size(), 1u);
    EXPECT_EQ(shape(tree), (QStringList{"[HUGE]", "B<[HUGE]", "A", "C"}));

    tree = baseTree(QStringLiteral("[NEW]"), deepNames);
    messenger.expect(QString::fromLatin1(outlinemessages::kTooDeep));
    EXPECT_EQ(TvDecode(tree, broken + QStringLiteral("/deep.qbo"), registry), OutlineLoad::Loaded);
    QStringList top;
    for (int id : tree.topLevel()) top << tree.text(id);
    EXPECT_EQ(top, (QStringList{"[DEEP]", "N1000", "N2001"}));
    int deepest = 0;
    for (int id : tree.displayOrder()) deepest = std::max(deepest, tree.level(id));
    EXPECT_EQ(deepest, kMaxOutlineDepth);

    tree = baseTree(QStringLiteral("[NEW]"), projects);
    EXPECT_EQ(TvDecode(tree, broken + QStringLiteral("/long.qbo"), registry), OutlineLoad::Loaded);
    ASSERT_EQ(registry.size(), 1u);
    EXPECT_EQ(registry[0].first.size(), 2047);
    EXPECT_EQ(shape(tree), (QStringList{"[LONG]", "A", "B", "C"}));
}

}  // namespace
