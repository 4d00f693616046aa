#include "app/cli/CliCommand.h"

#include "mill/WordMill.h"
#include "projects/DropFiles.h"

#include <QFile>
#include <QRandomGenerator>

#include <cstdio>

namespace qb::cli {

namespace {

const char* const kUsageText = "usage: mill [--order|--shuffle] [--exclude-file F] < TEXT\n";
constexpr qint64 kExclusionFileLimit = 16 * 1024 * 1024;

void print(const QString& text) { std::fputs(text.toUtf8().constData(), stdout); }

bool readBounded(QFile& file, qint64 limit, const QString& name, QString* text)
{
    const QByteArray bytes = file.read(limit + 1);
    if (bytes.size() > limit) {
        std::fprintf(stderr, "%s: more than %lld bytes\n", name.toLocal8Bit().constData(), limit);
        return false;
    }
    if (!decodeUtf8(bytes, text)) {
        std::fprintf(stderr, "%s is not valid UTF-8 text\n", name.toLocal8Bit().constData());
        return false;
    }
    return true;
}

// mill: the Word Mill on standard input. Without an option the words one a line in text order;
// --shuffle mills them; --order prints "word<TAB>count", with "INFLEC" as a third column for a
// form. The exclusion list is the store's exclude.txt, or the file given.
int runMill(Context& context)
{
    QStringList args = context.args;
    const bool order = takeFlag(args, QStringLiteral("--order"));
    const bool shuffle = takeFlag(args, QStringLiteral("--shuffle"));
    const QString excludeFile = takeOption(args, QStringLiteral("--exclude-file"));
    takeEndOfOptions(args);
    if (!args.isEmpty() || (order && shuffle)) {
        std::fputs(kUsageText, stderr);
        return kUsage;
    }
    mill::WordMill m;
    m.writesDisplay = false;
    if (!excludeFile.isEmpty()) {
        m.useExclusionFile = false;
        QFile file(callerPath(context, excludeFile));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "%s cannot be read: %s\n", excludeFile.toLocal8Bit().constData(),
                         file.errorString().toLocal8Bit().constData());
            return kFailed;
        }
        // Read as the window reads exclude.txt: UTF-8, else Latin-1.
        const QByteArray bytes = file.read(kExclusionFileLimit + 1);
        if (bytes.size() > kExclusionFileLimit) {
            std::fprintf(stderr, "%s: more than %lld bytes\n",
                         excludeFile.toLocal8Bit().constData(), kExclusionFileLimit);
            return kFailed;
        }
        m.exclusionList = TextFromBytes(bytes);
    }
    QFile input;
    QString text;
    if (!input.open(stdin, QIODevice::ReadOnly)) return kFailed;
    // Four bytes per character and a byte order mark: more cannot be within the limit.
    if (!readBounded(input, qint64(mill::kImportLimit) * 4 + 3, QStringLiteral("the text"), &text))
        return kFailed;
    if (!m.importText(text)) return kFailed;
    if (shuffle) m.millText(QRandomGenerator::global()->generate());
    if (order) {
        m.orderWords();
        for (const auto& line : m.statistics())
            print(line.word + QLatin1Char('\t') + QString::number(line.count) +
                  (line.form ? QStringLiteral("\tINFLEC\n") : QStringLiteral("\n")));
    } else {
        for (const QString& word : m.collection) print(word + QLatin1Char('\n'));
    }
    return kOk;
}

const Registration mill{{QStringLiteral("mill"),
                         QStringLiteral("mill [--order|--shuffle] [--exclude-file F]   the Word "
                                        "Mill on standard input"),
                         true, runMill}};

}  // namespace

}  // namespace qb::cli
