// bench_outline: an outline printed as a document, and an outline file saved and loaded, each
// against the bare work on the same data: the outline of every project of a store (100 projects
// holding about 10,000 item texts by default) printed as text and as cleaned HTML, against reading
// the same item texts with one statement per project and writing them to a file; an outline of
// 1,000 nodes saved (TvEncode) and loaded (TvDecode with AlignToRegistry), against writing and
// reading the same lines as a plain file.
#include "BenchSupport.h"
#include "SyntheticStore.h"

#include "platform/Sqlite.h"
#include "projects/OutlineFile.h"
#include "projects/OutlinePrint.h"
#include "projects/ProjectRecords.h"
#include "session/Session.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

using namespace qb;

sql::Database& db() { return session().store.db(); }

double secondsOf(const QElapsedTimer& timer) { return timer.nsecsElapsed() / 1e9; }

void line(const char* what, double value, const char* unit)
{
    std::printf("  %-52s %9.3f %s\n", what, value, unit);
}

// The title, then the projects in time stamp order: every tenth under the title, the nine after
// it under that one.
OutlineTree projectTree(const QStringList& names)
{
    OutlineTree tree;
    const int title = tree.add(QStringLiteral("[BENCH]"));
    int chapter = title;
    for (int i = 0; i < names.size(); ++i) {
        const int id = tree.add(names[i], i % 10 == 0 ? title : chapter);
        if (i % 10 == 0) chapter = id;
    }
    return tree;
}

// The same item texts, read and written bare: one statement per project, texts and headings to
// a file.
double bareDocument(const QStringList& names, const QString& path, qint64* items)
{
    QElapsedTimer timer;
    timer.start();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return -1;
    sql::Statement st(db(), QStringLiteral("SELECT A.TX FROM ITEM A, ITEMURL B "
                                           "WHERE B.Project = ?1 AND B.IT = A.IT ORDER BY A.ITS"));
    *items = 0;
    for (const QString& name : names) {
        st.reset();
        st.bind(1, name);
        QString section = name + QStringLiteral("\r\n\r\n");
        while (st.next()) {
            section += st.textValue(0) + QStringLiteral("\r\n\r\n");
            ++*items;
        }
        file.write(section.toUtf8());
    }
    file.close();
    return secondsOf(timer);
}

// A tree of n nodes named like projects, four levels deep.
OutlineTree nodeTree(int n, QStringList* names)
{
    OutlineTree tree;
    const int title = tree.add(QStringLiteral("[NODES]"));
    std::vector<int> parents = {title};
    for (int i = 1; i < n; ++i) {
        const QString name =
            QStringLiteral("PROJECT %1 OF THE OUTLINE").arg(i, 4, 10, QLatin1Char('0'));
        *names << name;
        const int parent = parents[size_t(i % parents.size())];
        const int id = tree.add(name, parent);
        if (parents.size() < 60 && tree.level(id) < 4) parents.push_back(id);
    }
    return tree;
}

double bareLines(const OutlineTree& tree, const QString& path)
{
    QElapsedTimer timer;
    timer.start();
    QString text = QStringLiteral("[OUTLINE]\n");
    const std::vector<int> order = tree.displayOrder();
    for (size_t i = 0; i < order.size(); ++i)
        text += QString::number(i) + QLatin1Char('=') + tree.text(order[i]) + QLatin1Char('\n');
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    out.write(text.toUtf8());
    out.close();
    QFile in(path);
    in.open(QIODevice::ReadOnly);
    const QStringList lines = QString::fromUtf8(in.readAll()).split(QLatin1Char('\n'));
    return lines.size() > 1 ? secondsOf(timer) : -1;
}

void usage()
{
    std::fputs(
        "usage: bench_outline [--dir DIR] [--items N] [--projects P] [--nodes M] [--runs R]\n"
        "  prints every project of the store as an outline (default 13500 items, 100 projects:\n"
        "  about 10,000 texts) and saves and loads an outline of M nodes (default 1000); medians\n"
        "  of R runs (default 5). A DIR without a store gets a generated one.\n",
        stderr);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    bench::SyntheticStoreOptions options;
    options.items = 13500;
    options.projects = 100;
    int runs = 5;
    int nodes = 1000;
    QString dir;
    if (!bench::readOptions(args, {{"--items", &options.items},
                                   {"--projects", &options.projects},
                                   {"--nodes", &nodes},
                                   {"--runs", &runs},
                                   {"--dir", &dir}}) ||
        options.items <= 0 || runs <= 0 || nodes < 2) {
        usage();
        return 2;
    }
    QTemporaryDir temp;
    if (dir.isEmpty()) dir = temp.path();
    if (!bench::ensureSyntheticStore(dir, options)) return 1;
    bench::RecordingMessenger messenger;
    if (!bench::openStore(dir, messenger)) return 1;

    QStringList names;
    for (const ProjectRecord& project : ProjectList(ProjectOrder::TimeStamp)) names << project.name;
    const OutlineTree tree = projectTree(names);
    const QString out = OutlineOutputDir();
    const QString barePath = QDir(out).filePath(QStringLiteral("bare.txt"));
    OutlinePrintOptions text;
    OutlinePrintOptions html;
    html.html = true;
    html.wash = true;

    std::vector<double> printText, printHtml, bare;
    qint64 items = 0, bytes = 0;
    // The first run takes each project's order snapshot; it is left out.
    for (int r = 0; r <= runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        const QString written = PrintOutlineDocument(
            tree, tree.title(), OutlineNamesOf(QStringLiteral("bench.qbo")), out, text);
        const double t = secondsOf(timer);
        timer.restart();
        const QString writtenHtml = PrintOutlineDocument(
            tree, tree.title(), OutlineNamesOf(QStringLiteral("bench.qbo")), out, html);
        const double h = secondsOf(timer);
        const double b = bareDocument(names, barePath, &items);
        if (written.isEmpty() || writtenHtml.isEmpty() || b < 0) {
            std::fprintf(stderr, "the document could not be written\n");
            return 1;
        }
        bytes = QFileInfo(written).size();
        if (r == 0) continue;
        printText.push_back(t);
        printHtml.push_back(h);
        bare.push_back(b);
    }

    QStringList nodeNames;
    const OutlineTree big = nodeTree(nodes, &nodeNames);
    const QString outl = OutlineFolder();
    const QString file = QDir(outl).filePath(QStringLiteral("nodes.qbo"));
    std::vector<double> save, load, bareIo;
    int placed = 0;
    for (int r = 0; r <= runs; ++r) {
        OutlineRegistry registry;
        QElapsedTimer timer;
        timer.start();
        const bool saved = TvEncode(big, file, outl, registry);
        const double s = secondsOf(timer);
        OutlineTree loaded;
        loaded.add(QStringLiteral("[NEW]"));
        for (const QString& name : nodeNames) loaded.add(name);
        timer.restart();
        const OutlineLoad l = TvDecode(loaded, file, registry);
        const double d = secondsOf(timer);
        placed = 0;
        for (int id : loaded.displayOrder()) placed += loaded.parent(id) != OutlineTree::kNone;
        const double b = bareLines(big, QDir(outl).filePath(QStringLiteral("bare.txt")));
        // Each save keeps the last file as a numbered backup; they are not part of the figure.
        for (const QString& backup : QDir(outl).entryList({QStringLiteral("nodes*.BCK")}))
            QFile::remove(QDir(outl).filePath(backup));
        if (!saved || l != OutlineLoad::Loaded || b < 0) {
            std::fprintf(stderr, "the outline file could not be saved or loaded\n");
            return 1;
        }
        if (r == 0) continue;
        save.push_back(s);
        load.push_back(d);
        bareIo.push_back(b);
    }
    session().store.close();

    if (!messenger.seen.isEmpty() || placed != nodes - 1) {
        std::fprintf(stderr, "%d of %d nodes placed; the run said:\n%s\nfigures do not count\n",
                     placed, nodes - 1,
                     messenger.seen.join(QLatin1Char('\n')).toLocal8Bit().constData());
        return 1;
    }
    const double t = bench::median(printText), h = bench::median(printHtml),
                 b = bench::median(bare);
    const double s = bench::median(save) * 1000, d = bench::median(load) * 1000,
                 bio = bench::median(bareIo) * 1000;
    std::printf(
        "store: %lld projects, %lld item texts in the document (%lld bytes); medians of "
        "%d runs\n",
        static_cast<long long>(names.size()), static_cast<long long>(items),
        static_cast<long long>(bytes), runs);
    line("outline printed as text", t, "s");
    line("outline printed as cleaned HTML", h, "s");
    line("  bare: the same texts read and written to a file", b, "s");
    std::printf("outline file of %d nodes\n", nodes);
    line("TvEncode (save)", s, "ms");
    line("TvDecode with AlignToRegistry (load)", d, "ms");
    line("  bare: the same lines written and read", bio, "ms");
    std::printf("ratios: text %.1f, HTML %.1f, save+load %.1f\n", b > 0 ? t / b : 0.0,
                b > 0 ? h / b : 0.0, bio > 0 ? (s + d) / bio : 0.0);
    std::printf("targets: printing under 2 s %s, saving and loading each under 100 ms %s\n",
                std::max(t, h) < 2 ? "met" : "MISSED", std::max(s, d) < 100 ? "met" : "MISSED");
    return 0;
}
