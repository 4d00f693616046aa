#include "app/cli/CliCommand.h"

#include "items/Commit.h"
#include "items/ItemCardData.h"
#include "items/ItemLinks.h"
#include "items/ItemQueries.h"
#include "items/ItemRecord.h"
#include "platform/Sqlite.h"
#include "projects/ProjectOrder.h"
#include "projects/ProjectRecords.h"
#include "session/Session.h"

#include <QDir>
#include <QRegularExpression>

#include <cstdio>

namespace qb::cli {

namespace {

const char* const kUsageText =
    "usage: project add NAME [--url URL] [--tag TAG] | project list [--order alpha|time] | "
    "project link ITEM_ID NAME | project items NAME\n";

void print(const QString& text) { std::fputs(text.toUtf8().constData(), stdout); }

QString idText(Timestamp id) { return QString::number(double(id), 'g', 15); }

int usage()
{
    std::fputs(kUsageText, stderr);
    return kUsage;
}

// Writing commands take the write lock first and check the files they write under it.
bool beginWrite(sql::Transaction& transaction, const QStringList& tables)
{
    if (!transaction.isActive()) {
        std::fprintf(stderr, "The store cannot be written: %s\n",
                     session().store.db().lastError().toLocal8Bit().constData());
        return false;
    }
    return tablesWhole(tables);
}

// A URL with a scheme ("http:", "mailto:") or a "www." host is kept; anything else names a file,
// and a relative one is the caller's.
QString urlArgument(const Context& context, const QString& typed)
{
    const QString url = typed.trimmed();
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (url.isEmpty() || scheme.match(url).hasMatch() ||
        url.startsWith(QStringLiteral("www."), Qt::CaseInsensitive) || QDir::isAbsolutePath(url))
        return url;
    return callerPath(context, url);
}

// project add NAME [--url URL] [--tag TAG]: a new project as the new project dialog makes it.
int runAdd(const Context& context, QStringList args)
{
    const QString url = urlArgument(context, takeOption(args, QStringLiteral("--url")));
    const QString tag = takeOption(args, QStringLiteral("--tag")).trimmed().toUpper();
    takeEndOfOptions(args);
    if (args.size() != 1 || args.first().trimmed().isEmpty()) return usage();
    const QString name = args.first().trimmed().toUpper();
    if (const QString problem = ProjectNameProblem(name); !problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", problem.toLocal8Bit().constData());
        return kFailed;
    }
    if (characterCount(url) > kProjectUrlLength) {
        std::fprintf(stderr, "A URL has at most %d characters\n", kProjectUrlLength);
        return kFailed;
    }
    if (characterCount(tag) > kProjectNameLength) {
        std::fprintf(stderr, "A category has at most %d characters\n", kProjectNameLength);
        return kFailed;
    }
    sql::Transaction transaction(session().store.db());
    if (!beginWrite(transaction, {QStringLiteral("PROJECT")})) return kFailed;
    if (!CreateProject(name, tag, url)) return kFailed;
    QString error;
    if (!transaction.commit(&error)) {
        std::fprintf(stderr, "The project could not be stored: %s\n",
                     error.toLocal8Bit().constData());
        return kFailed;
    }
    return kOk;
}

// project list [--order alpha|time]: name, tag and URL, one project a line.
int runList(QStringList args)
{
    const QString order = takeOption(args, QStringLiteral("--order"));
    takeEndOfOptions(args);
    if (!args.isEmpty()) return usage();
    ProjectOrder chosen = ProjectOrder::Alphabetical;
    if (order == QStringLiteral("time"))
        chosen = ProjectOrder::TimeStamp;
    else if (!order.isEmpty() && order != QStringLiteral("alpha"))
        return usage();
    QString error;
    const std::vector<ProjectRecord> rows = ProjectList(chosen, QString(), &error);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "The projects could not be read: %s\n",
                     error.toLocal8Bit().constData());
        return kFailed;
    }
    QString out;
    for (const ProjectRecord& row : rows)
        out += row.name + QLatin1Char('\t') + row.tag + QLatin1Char('\t') + row.url +
               QLatin1Char('\n');
    print(out);
    return kOk;
}

// project link ITEM_ID NAME: the link the item card makes, written by the same commit.
int runLink(QStringList args)
{
    takeEndOfOptions(args);
    if (args.size() != 2) return usage();
    bool ok = false;
    const double typed = args[0].toDouble(&ok);
    if (!ok) {
        std::fprintf(stderr, "Not an item id: %s\n", args[0].toLocal8Bit().constData());
        return kUsage;
    }
    const QString name = args[1].trimmed().toUpper();
    sql::Transaction transaction(session().store.db());
    if (!beginWrite(transaction, {QStringLiteral("ITEM"), QStringLiteral("ITEMURL"),
                                  QStringLiteral("ITEMKEYS")}))
        return kFailed;
    const std::optional<Timestamp> id = FindItemId(typed);
    if (!id) {
        std::fprintf(stderr, "No item with id %s\n", args[0].toLocal8Bit().constData());
        return kFailed;
    }
    if (!FindProject(name)) {
        std::fprintf(stderr, "No project named %s\n", name.toLocal8Bit().constData());
        return kFailed;
    }
    ItemCardData item;
    QString error;
    if (!LoadItemCard(item, *id, &error)) {
        std::fprintf(stderr, "The item could not be read: %s\n", error.toLocal8Bit().constData());
        return kFailed;
    }
    if (!AddProject(item, name)) return kFailed;
    const CommitResult result = CommitCards({&item});
    if (!result.committed || item.changed || !transaction.commit(&error)) {
        std::fprintf(stderr, "The link could not be stored%s%s\n", error.isEmpty() ? "" : ": ",
                     error.toLocal8Bit().constData());
        return kFailed;
    }
    return kOk;
}

// project items NAME: the project's saved order restored, then its item ids in drop order.
int runItems(QStringList args)
{
    takeEndOfOptions(args);
    if (args.size() != 1) return usage();
    const QString name = args.first().trimmed().toUpper();
    if (!FindProject(name)) {
        std::fprintf(stderr, "No project named %s\n", name.toLocal8Bit().constData());
        return kFailed;
    }
    QString error;
    {
        sql::Transaction transaction(session().store.db());
        if (!beginWrite(transaction, {QStringLiteral("ITEM"), QStringLiteral("PRJORDR")}))
            return kFailed;
        if (!AdvPrjQ_update(name) || !transaction.commit(&error)) return kFailed;
    }
    const std::vector<Timestamp> ids = ProjectItemIds(name, &error);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "The items could not be read: %s\n", error.toLocal8Bit().constData());
        return kFailed;
    }
    QString out;
    for (Timestamp id : ids) out += idText(id) + QLatin1Char('\n');
    print(out);
    return kOk;
}

int runProject(Context& context)
{
    QStringList args = context.args;
    if (args.isEmpty()) return usage();
    const QString verb = args.takeFirst();
    if (verb == QStringLiteral("add")) return runAdd(context, args);
    if (verb == QStringLiteral("list")) return runList(args);
    if (verb == QStringLiteral("link")) return runLink(args);
    if (verb == QStringLiteral("items")) return runItems(args);
    std::fprintf(stderr, "Unknown project command: %s\n", verb.toLocal8Bit().constData());
    return kUsage;
}

const Registration project{
    {QStringLiteral("project"),
     QStringLiteral("project add NAME [--url URL] [--tag TAG] | project list [--order alpha|time] "
                    "| project link ITEM_ID NAME | project items NAME   make, list and link "
                    "projects, or print a project's items in their saved order"),
     true, runProject}};

}  // namespace

}  // namespace qb::cli
