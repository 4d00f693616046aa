#include "app/cli/CliCommand.h"

#include "interchange/MarkdownNotes.h"

#include <cstdio>

namespace qb::cli {

namespace {

void print(const QString& text) { std::fputs(text.toUtf8().constData(), stdout); }

// export-notes DIR: every item as a Markdown note and every project as a listing.
int runExport(Context& context)
{
    QStringList args = context.args;
    takeEndOfOptions(args);
    if (args.size() != 1) {
        std::fputs("usage: export-notes DIR\n", stderr);
        return kUsage;
    }
    const NotesExportResult result = ExportNotes(callerPath(context, args.first()));
    if (!result.ok) {
        std::fprintf(stderr, "%s\n", result.error.toLocal8Bit().constData());
        return kFailed;
    }
    print(QStringLiteral("%1 notes, %2 projects\n").arg(result.notes).arg(result.projects));
    if (result.pictures > 0)
        print(QStringLiteral("%1 pictures not written (notes hold text only)\n")
                  .arg(result.pictures));
    return kOk;
}

// import-notes DIR: the notes of a folder into the store, with what was taken and refused.
int runImport(Context& context)
{
    QStringList args = context.args;
    takeEndOfOptions(args);
    if (args.size() != 1) {
        std::fputs("usage: import-notes DIR\n", stderr);
        return kUsage;
    }
    if (!tablesWhole({QStringLiteral("ITEM"), QStringLiteral("ITEMKEYS"), QStringLiteral("ITEMURL"),
                      QStringLiteral("DICT"), QStringLiteral("WORD"), QStringLiteral("INFLEC"),
                      QStringLiteral("PROJECT"), QStringLiteral("PRJORDR")}))
        return kFailed;
    const NotesImportResult result = ImportNotes(callerPath(context, args.first()));
    print(NotesImportReport(result));
    return result.ok && result.refused.isEmpty() ? kOk : kFailed;
}

const Registration exportNotes{
    {QStringLiteral("export-notes"),
     QStringLiteral("export-notes DIR   every item as a Markdown note, every project as a listing, "
                    "into an empty folder"),
     true, runExport}};
const Registration importNotes{
    {QStringLiteral("import-notes"),
     QStringLiteral("import-notes DIR   the .md and .txt notes of a folder into the store (tags "
                    "and #tags as keywords, sub-folders as projects)"),
     true, runImport}};

}  // namespace

}  // namespace qb::cli
