#include "app/cli/CliCommand.h"

#include "platform/FileNames.h"
#include "shell/Session.h"
#include "shell/StoreDirectory.h"
#include "store/Schema.h"

#include <QDir>

#include <cstdio>

namespace qb::cli {

namespace {

int runInit(Context& context)
{
    bool bare = takeFlag(context.args, QStringLiteral("--bare"));
    QString error;
    if (!schema::createEmptyStore(context.dir, &error)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return kFailed;
    }
    // --bare: only the table files (the build packs them into cleandata.zip).
    if (!bare) CopyCompanionFiles(context.dir);
    std::printf("Empty store in %s\n", QDir::toNativeSeparators(context.dir).toLocal8Bit().constData());
    return kOk;
}

int runStats(Context& context)
{
    auto count = [](const char* sql) {
        sql::Statement st(session().store.db(), QString::fromLatin1(sql));
        return st.next() ? st.int64Value(0) : -1LL;
    };
    std::printf("words %lld\nconcepts %lld\nitems %lld\nprojects %lld\n",
                count("SELECT COUNT(*) FROM WORD"), count("SELECT COUNT(DISTINCT C) FROM DICT"),
                count("SELECT COUNT(*) FROM ITEM"), count("SELECT COUNT(*) FROM PROJECT"));
    return kOk;
}

const Registration init{{QStringLiteral("init"), QStringLiteral("init [--bare]        make an empty store"), false, runInit}};
const Registration stats{{QStringLiteral("stats"), QStringLiteral("stats                count words, concepts, items and projects"), true, runStats}};

}  // namespace

}  // namespace qb::cli
