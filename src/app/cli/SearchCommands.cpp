#include "app/cli/CliCommand.h"

#include "search/TextSearch.h"

#include <cstdio>

namespace qb::cli {

namespace {

QString idText(Timestamp id) { return QString::number(double(id), 'g', 15); }

void print(const QString& text) { std::fputs(text.toUtf8().constData(), stdout); }

const char* const kUsageText =
    "usage: search [--exact] [--pictures] [--type items|concepts|desktop] [--literal] TEXT\n";

// search TEXT: the hits of the Find dialog's search, one a line. Concept hits (type concepts)
// come first as "C<tab>id"; item hits, newest first, as "id<tab>start<tab>length", start and
// length 0 for a hit without a position. The whole search runs: nobody is asked "Stop now?".
int runSearch(Context& context)
{
    QStringList args = context.args;
    const bool exact = takeFlag(args, QStringLiteral("--exact"));
    const bool pictures = takeFlag(args, QStringLiteral("--pictures"));
    const bool literal = takeFlag(args, QStringLiteral("--literal"));
    const QString type = takeOption(args, QStringLiteral("--type"));
    takeEndOfOptions(args);
    if (args.size() > 1 || (args.isEmpty() && !pictures)) {
        std::fputs(kUsageText, stderr);
        return kUsage;
    }
    search::SearchRequest request;
    request.text = search::SearchTextFromInput(args.isEmpty() ? QString() : args.first());
    request.mode = exact ? search::MatchMode::Exact : search::MatchMode::Embedded;
    request.picturesOnly = pictures;
    request.fromDialog = false;
    request.walk = literal ? search::ItemWalk::Literal : search::ItemWalk::Indexed;
    if (type.isEmpty() || type == QStringLiteral("items")) {
        request.type = search::SearchType::ItemTexts;
    } else if (type == QStringLiteral("concepts")) {
        request.type = search::SearchType::ConceptsAndItems;
    } else if (type == QStringLiteral("desktop")) {
        std::fputs(
            "search --type desktop looks through the item cards on the desktop of the "
            "running program; quillbox-cli has no desktop\n",
            stderr);
        return kUsage;
    } else {
        std::fputs(kUsageText, stderr);
        return kUsage;
    }
    if (characterCount(request.text) > 50) {
        std::fputs("A search text has at most 50 characters\n", stderr);
        return kUsage;
    }
    if (request.text.isEmpty() && !pictures) {
        std::fputs("Nothing to search for\n", stderr);
        return kUsage;
    }

    search::SearchCallbacks callbacks;
    callbacks.conceptFound = [](const search::ConceptHit& hit) {
        print(QStringLiteral("C\t") + idText(hit.conceptId) + QLatin1Char('\n'));
    };
    callbacks.itemFound = [](const search::ItemHit& hit) {
        print(idText(hit.itemId) +
              QStringLiteral("\t%1\t%2\n").arg(hit.at.start).arg(hit.at.length));
    };
    callbacks.stopNow = [] { return false; };
    callbacks.processEvents = [] {};
    const search::SearchOutcome outcome = search::RunTextSearch(request, callbacks);
    std::fflush(stdout);
    return outcome.conceptsFound + outcome.itemsFound > 0 ? kOk : kFailed;
}

const Registration search{{QStringLiteral("search"),
                           QStringLiteral("search [--exact] [--pictures] [--type items|concepts] "
                                          "[--literal] TEXT   find TEXT in the item texts (and "
                                          "words); prints id, start, length of each hit"),
                           true, runSearch}};

}  // namespace

}  // namespace qb::cli
