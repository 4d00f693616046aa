#include "app/cli/CliCommand.h"

#include "floor/Settings.h"
#include "platform/Sqlite.h"
#include "projects/OutlineFile.h"
#include "projects/OutlinePrint.h"
#include "projects/ProjectRecords.h"
#include "session/Session.h"

#include <QDir>

#include <cstdio>

namespace qb::cli {

namespace {

const char* const kUsageText =
    "usage: outline show FILE.qbo | outline print FILE.qbo [--html] [--clean] [--from PROJECT]\n";

void print(const QString& text) { std::fputs(text.toUtf8().constData(), stdout); }

int usage()
{
    std::fputs(kUsageText, stderr);
    return kUsage;
}

// The tree a new project window shows (every project in time stamp order under the title),
// arranged by the file.
bool loadTree(const QString& file, OutlineTree& tree)
{
    QString error;
    const std::vector<ProjectRecord> projects = ProjectList(ProjectOrder::TimeStamp, {}, &error);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "The projects could not be read: %s\n",
                     error.toLocal8Bit().constData());
        return false;
    }
    tree.add(QStringLiteral("[NEW]"));
    for (const ProjectRecord& project : projects) tree.add(project.name);
    OutlineRegistry registry;
    switch (TvDecode(tree, file, registry)) {
    case OutlineLoad::Loaded: return true;
    case OutlineLoad::Missing:
        std::fprintf(stderr, "No outline file %s\n", file.toLocal8Bit().constData());
        return false;
    case OutlineLoad::Failed: return false;
    }
    return false;
}

void showNode(const OutlineTree& tree, int node, int depth, QString& out)
{
    out += QString(2 * depth, QLatin1Char(' ')) + tree.text(node) + QLatin1Char('\n');
    for (int child : tree.children(node)) showNode(tree, child, depth + 1, out);
}

// outline show FILE.qbo: the tree as indented lines, two blanks a level.
int runShow(const QString& file)
{
    OutlineTree tree;
    if (!loadTree(file, tree)) return kFailed;
    QString out;
    for (int node : tree.topLevel()) showNode(tree, node, 0, out);
    print(out);
    return kOk;
}

// outline print FILE.qbo [--html] [--clean] [--from PROJECT]: the document as the project window
// writes it, from the title or from the project's node; prints its path.
int runPrint(const QString& file, bool html, bool clean, const QString& from)
{
    OutlineTree tree;
    if (!loadTree(file, tree)) return kFailed;
    int node = tree.title();
    if (!from.isEmpty()) {
        node = tree.find(from.trimmed().toUpper());
        if (node == OutlineTree::kNone || node == tree.title()) {
            std::fprintf(stderr, "No project named %s in the outline\n",
                         from.toLocal8Bit().constData());
            return kFailed;
        }
    }
    OutlinePrintOptions options = OutlinePrintOptionsFromSettings();
    options.html = html;
    options.wash = clean;
    // Each section brings its project's saved order back into ITEM: one transaction.
    sql::Transaction transaction(session().store.db());
    if (!transaction.isActive()) {
        std::fprintf(stderr, "The store cannot be written: %s\n",
                     session().store.db().lastError().toLocal8Bit().constData());
        return kFailed;
    }
    if (!tablesWhole({QStringLiteral("ITEM"), QStringLiteral("PRJORDR")})) return kFailed;
    const QString path =
        PrintOutlineDocument(tree, node, OutlineNamesOf(file), OutlineOutputDir(), options);
    QString error;
    if (!transaction.commit(&error)) {
        std::fprintf(stderr, "The project order could not be stored: %s\n",
                     error.toLocal8Bit().constData());
        return kFailed;
    }
    if (path.isEmpty()) return kFailed;
    print(QDir::toNativeSeparators(path) + QLatin1Char('\n'));
    return kOk;
}

int runOutline(Context& context)
{
    QStringList args = context.args;
    if (args.isEmpty()) return usage();
    const QString verb = args.takeFirst();
    const bool html = takeFlag(args, QStringLiteral("--html"));
    const bool clean = takeFlag(args, QStringLiteral("--clean"));
    const QString from = takeOption(args, QStringLiteral("--from"));
    takeEndOfOptions(args);
    if (args.size() != 1) return usage();
    if (verb != QStringLiteral("show") && verb != QStringLiteral("print")) {
        std::fprintf(stderr, "Unknown outline command: %s\n", verb.toLocal8Bit().constData());
        return kUsage;
    }
    if (verb == QStringLiteral("show") && (html || clean || !from.isEmpty())) return usage();
    // The file is named from where the command was given, not from the store.
    const QString file = callerPath(context, args.first());
    if (!openStore(context)) return kFailed;
    QDir::setCurrent(context.dir);
    ReadIniFile();
    return verb == QStringLiteral("show") ? runShow(file) : runPrint(file, html, clean, from);
}

const Registration outline{
    {QStringLiteral("outline"),
     QStringLiteral("outline show FILE.qbo | outline print FILE.qbo [--html] [--clean] "
                    "[--from PROJECT]   show an outline file's tree, or write its document to "
                    "outltxt and print the path"),
     false, runOutline}};

}  // namespace

}  // namespace qb::cli
