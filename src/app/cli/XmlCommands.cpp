#include "app/cli/CliCommand.h"

#include "interchange/XmlExport.h"
#include "interchange/XmlImport.h"
#include "items/ItemQueries.h"

#include <cstdio>

namespace qb::cli {

namespace {

void print(const QString& text) { std::fputs(text.toUtf8().constData(), stdout); }
void printError(const QString& text) { std::fputs((text + u'\n').toUtf8().constData(), stderr); }

QString idText(Timestamp id) { return QString::number(double(id), 'g', 15); }

std::optional<Timestamp> itemId(const QString& text)
{
    bool ok = false;
    const double typed = text.toDouble(&ok);
    if (ok)
        if (std::optional<Timestamp> id = FindItemId(typed)) return id;
    printError(QStringLiteral("No item with id ") + text);
    return std::nullopt;
}

// The item an argument names, as the export writes it; nothing (and a line on stderr) otherwise.
std::optional<XmlItem> loadItem(const QString& text)
{
    const std::optional<Timestamp> id = itemId(text);
    if (!id) return std::nullopt;
    XmlItem item;
    QString error;
    if (!LoadXmlItem(*id, &item, &error)) {
        printError(QStringLiteral("The item could not be read: ") + error);
        return std::nullopt;
    }
    return item;
}

int reportPath(const QString& path)
{
    if (path.isEmpty()) return kFailed;
    print(path + u'\n');
    return kOk;
}

// xml export-items ID... [--to DIR]
int runExportItems(const Context& context, QStringList args)
{
    const QString to = takeOption(args, QStringLiteral("--to"));
    takeEndOfOptions(args);
    if (args.isEmpty()) return kUsage;
    std::vector<XmlItem> items;
    for (const QString& arg : args) {
        std::optional<XmlItem> item = loadItem(arg);
        if (!item) return kFailed;
        items.push_back(std::move(*item));
    }
    return reportPath(ExportItemsAsXml(items, to.isEmpty() ? QString() : callerPath(context, to)));
}

// xml send word|concept|item ID --to DIR
int runSend(const Context& context, QStringList args)
{
    const QString to = takeOption(args, QStringLiteral("--to"));
    takeEndOfOptions(args);
    if (args.size() != 2 || to.isEmpty()) return kUsage;
    const QString folder = callerPath(context, to);
    const QString kind = args.at(0);
    bool ok = false;
    if (kind == QLatin1String("word")) {
        const int wordNo = args.at(1).toInt(&ok);
        return ok ? reportPath(SendWordAsXml(wordNo, folder)) : kUsage;
    }
    if (kind == QLatin1String("concept")) {
        const double id = args.at(1).toDouble(&ok);
        return ok ? reportPath(SendConceptAsXml(id, folder)) : kUsage;
    }
    if (kind != QLatin1String("item")) return kUsage;
    const std::optional<XmlItem> item = loadItem(args.at(1));
    return item ? reportPath(SendItemAsXml(*item, folder)) : kFailed;
}

// xml import FILE: what the import timer does with one file.
int runImport(const Context& context, QStringList args)
{
    takeEndOfOptions(args);
    if (args.size() != 1) return kUsage;
    const XmlImportResult result = ImportXmlFile(callerPath(context, args.first()));
    if (result.outcome != XmlImportResult::Outcome::Imported) {
        printError(result.problem);
        return kFailed;
    }
    QString out = QStringLiteral("words %1\nconcepts %2\nitems %3\n")
                      .arg(result.words)
                      .arg(result.concepts)
                      .arg(result.items.size());
    for (Timestamp id : result.items) out += QStringLiteral("item ") + idText(id) + u'\n';
    print(out);
    if (!result.problem.isEmpty()) printError(result.problem);
    return kOk;
}

int runXml(Context& context)
{
    QStringList args = context.args;
    const QString sub = args.isEmpty() ? QString() : args.takeFirst();
    int code = kUsage;
    if (sub == QLatin1String("export-items")) {
        if (!tablesWhole({QStringLiteral("ITEM")})) return kFailed;
        code = runExportItems(context, args);
    } else if (sub == QLatin1String("send")) {
        code = runSend(context, args);
    } else if (sub == QLatin1String("import")) {
        if (!tablesWhole({QStringLiteral("ITEM"), QStringLiteral("ITEMKEYS"),
                          QStringLiteral("DICT"), QStringLiteral("WORD"),
                          QStringLiteral("INFLEC")}))
            return kFailed;
        code = runImport(context, args);
    }
    if (code == kUsage)
        printError(
            QStringLiteral("usage: xml export-items ID... [--to DIR] | xml send "
                           "word|concept|item ID --to DIR | xml import FILE"));
    return code;
}

const Registration xml{{QStringLiteral("xml"),
                        QStringLiteral("xml export-items ID... [--to DIR] | send word|concept|item "
                                       "ID --to DIR | import FILE   XML files out and in"),
                        true, runXml}};

}  // namespace

}  // namespace qb::cli
