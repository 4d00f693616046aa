#include "app/cli/CliCommand.h"

#include "items/ItemCardData.h"
#include "items/ItemQueries.h"
#include "items/ItemRecord.h"
#include "shell/Session.h"

#include <cstdio>

namespace qb::cli {

namespace {

void print(const QString& text) { std::fputs(text.toUtf8().constData(), stdout); }

QString idText(Timestamp id) { return QString::number(double(id), 'g', 15); }

// item show ID: the item's text, then its keywords and projects, one a line.
int runShow(const QStringList& args)
{
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: item show ID\n");
        return kUsage;
    }
    bool ok = false;
    const double typed = args.first().toDouble(&ok);
    if (!ok) {
        std::fprintf(stderr, "Not an item id: %s\n", args.first().toLocal8Bit().constData());
        return kUsage;
    }
    const std::optional<Timestamp> id = FindItemId(typed);
    if (!id) {
        std::fprintf(stderr, "No item with id %s\n", args.first().toLocal8Bit().constData());
        return kFailed;
    }
    ItemCardData item;
    QString error;
    if (!LoadItemCard(item, *id, &error)) {
        std::fprintf(stderr, "The item could not be read: %s\n", error.toLocal8Bit().constData());
        return kFailed;
    }
    QString out = QStringLiteral("item ") + idText(*id) + QStringLiteral("\ntext\n");
    out += item.text;
    if (!item.text.endsWith(QLatin1Char('\n'))) out += QLatin1Char('\n');
    out += QStringLiteral("keywords %1\n").arg(item.keyCount());
    for (const KeywordLink& link : item.keywords)
        out += QStringLiteral("  ") + link.word + QStringLiteral(" (word ") + QString::number(link.wordNo) +
               QStringLiteral(", concept ") + idText(link.conceptId) + QStringLiteral(")\n");
    out += QStringLiteral("projects %1\n").arg(item.projCount());
    for (const QString& project : item.projects) out += QStringLiteral("  ") + project + QLatin1Char('\n');
    if (item.hasPicture)
        out += QStringLiteral("picture %1 x %2\n").arg(item.picture.width()).arg(item.picture.height());
    print(out);
    return kOk;
}

int runItem(Context& context)
{
    QStringList args = context.args;
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: item show ID\n");
        return kUsage;
    }
    const QString verb = args.takeFirst();
    if (verb == QStringLiteral("show")) return runShow(args);
    std::fprintf(stderr, "Unknown item command: %s\n", verb.toLocal8Bit().constData());
    return kUsage;
}

const Registration item{{QStringLiteral("item"),
                         QStringLiteral("item show ID         print an item's text, keywords and projects"), true,
                         runItem}};

}  // namespace

}  // namespace qb::cli
