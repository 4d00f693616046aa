#include "app/cli/CliCommand.h"

#include "platform/FileNames.h"
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
    std::printf("Empty store in %s\n",
                QDir::toNativeSeparators(context.dir).toLocal8Bit().constData());
    return kOk;
}

const Registration init{{QStringLiteral("init"),
                         QStringLiteral("init [--bare]        make an empty store"), false,
                         runInit}};

}  // namespace

}  // namespace qb::cli
