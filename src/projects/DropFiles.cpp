#include "projects/DropFiles.h"

#include "floor/Messages.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>

namespace qb {

namespace {
constexpr int kHelp = messages::kHelpDefault;
}  // namespace

std::optional<DroppedFile> LastDroppedFile(const QStringList& paths)
{
    if (paths.isEmpty()) return std::nullopt;
    DroppedFile file;
    file.path = paths.last();
    file.fileName = QFileInfo(file.path).fileName();
    const QString& name = file.fileName;
    if (name.size() >= 4 && name.at(name.size() - 4) == QLatin1Char('.'))
        file.extension = name.right(3).toUpper();
    // The name without its extension, whatever its length ("plan.md" offers PLAN, "README"
    // stays whole).
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    file.baseName = (dot > 0 ? name.left(dot) : name).toUpper();
    return file;
}

bool DropExtensionAllowed(const QString& extension, const QString& extraAllowed)
{
    if (extension == QLatin1String("TXT") || extension == QLatin1String("RTF")) return true;
    return !extension.isEmpty() && extraAllowed.toUpper().contains(extension);
}

DropText DropTextHeader(const QString& cardText, const QString& fileName, const QString& when)
{
    DropText out;
    if (cardText.isEmpty()) {
        out.header = QStringLiteral("[--- ") + when + QStringLiteral(" --- ") + fileName +
                     QStringLiteral(" --- ]");
        out.question = QStringLiteral("Ok to insert the text: ") + fileName + QLatin1Char(' ');
        return out;
    }
    const QString first = cardText.section(QLatin1Char('\n'), 0, 0).remove(QLatin1Char('\r'));
    out.header = QStringLiteral("--- ") + when + QStringLiteral(" --- ") + fileName +
                 QStringLiteral(" --- ");
    out.question = QStringLiteral("Ok to insert the text: ") + fileName +
                   QStringLiteral("\n (Adding to \"") + first + QStringLiteral("... \") ") +
                   QLatin1Char(' ');
    return out;
}

QString TextFromBytes(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

std::optional<QString> RtfToPlainText(const QByteArray& rtf)
{
    if (!rtf.startsWith("{\\rtf")) return std::nullopt;
    QString out;
    int depth = 0;
    int skipBelow = -1;  // inside a group that holds no text while depth >= this
    bool groupStart = false;
    const qsizetype n = rtf.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = rtf.at(i);
        const bool skipping = skipBelow >= 0 && depth >= skipBelow;
        if (c == '{') {
            ++depth;
            groupStart = true;
            continue;
        }
        if (c == '}') {
            if (skipBelow >= 0 && depth <= skipBelow) skipBelow = -1;
            --depth;
            groupStart = false;
            continue;
        }
        if (c == '\r' || c == '\n') continue;
        if (c != '\\') {
            groupStart = false;
            if (!skipping) out += QLatin1Char(c);
            continue;
        }
        if (++i >= n) break;
        const char d = rtf.at(i);
        if (d == '\\' || d == '{' || d == '}') {
            if (!skipping) out += QLatin1Char(d);
            groupStart = false;
            continue;
        }
        if (d == '*') {
            if (skipBelow < 0) skipBelow = depth;
            continue;
        }
        if (d == '\'') {
            const QByteArray hex = rtf.mid(i + 1, 2);
            i += 2;
            bool ok = false;
            const int code = hex.toInt(&ok, 16);
            if (ok && !skipping) out += QChar(code);
            groupStart = false;
            continue;
        }
        if (!((d >= 'a' && d <= 'z') || (d >= 'A' && d <= 'Z'))) {
            if (d == '~' && !skipping) out += QLatin1Char(' ');
            groupStart = false;
            continue;
        }
        qsizetype j = i;
        while (j < n &&
               ((rtf.at(j) >= 'a' && rtf.at(j) <= 'z') || (rtf.at(j) >= 'A' && rtf.at(j) <= 'Z')))
            ++j;
        const QByteArray word = rtf.mid(i, j - i);
        if (j < n && (rtf.at(j) == '-' || (rtf.at(j) >= '0' && rtf.at(j) <= '9'))) {
            ++j;
            while (j < n && rtf.at(j) >= '0' && rtf.at(j) <= '9') ++j;
        }
        if (j < n && rtf.at(j) == ' ') ++j;
        i = j - 1;
        // Tables and pictures name their group in its first word.
        static const QByteArrayList noText = {"fonttbl", "colortbl",  "stylesheet",
                                              "info",    "pict",      "header",
                                              "footer",  "listtable", "listoverridetable"};
        if (groupStart && skipBelow < 0 && noText.contains(word)) skipBelow = depth;
        groupStart = false;
        if (skipping || (skipBelow >= 0 && depth >= skipBelow)) continue;
        if (word == "par" || word == "line")
            out += QLatin1Char('\n');
        else if (word == "tab")
            out += QLatin1Char('\t');
    }
    return out;
}

std::optional<QString> DropFileOnCard(const QString& path, const QString& cardText,
                                      const QString& extraAllowed, const QDateTime& when)
{
    const std::optional<DroppedFile> file = LastDroppedFile({path});
    if (!file) return std::nullopt;
    const QFileInfo info(file->path);
    if (!info.exists()) {
        ShowInfo(QStringLiteral("File size check failed /DropFiles"), QString(), kError, kHelp);
        return std::nullopt;
    }
    if (info.size() > kDropTextLimit) {
        ShowInfo(QStringLiteral("This text file appears to be too big for a single text item."),
                 QStringLiteral("11189"), kInformation, kHelp);
        return std::nullopt;
    }
    if (!DropExtensionAllowed(file->extension, extraAllowed)) {
        ShowInfo(QStringLiteral("Only .TXT and .RTF files can be used."), QStringLiteral("11188"),
                 kInformation, kHelp);
        return std::nullopt;
    }
    QFile f(file->path);
    std::optional<QString> loaded;
    if (f.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = f.readAll();
        if (file->extension == QLatin1String("RTF"))
            loaded = RtfToPlainText(bytes);
        else
            loaded = TextFromBytes(bytes);
    }
    if (!loaded) {
        ShowInfo(
            QStringLiteral("Fails in converting from RTF format to plain text - ") + file->path,
            QStringLiteral("qb12295"), kError, kHelp);
        return std::nullopt;
    }
    const DropText text =
        DropTextHeader(cardText, file->fileName, QLocale().toString(when, QLocale::ShortFormat));
    if (!AskYesDefault(text.question, kHelp)) return std::nullopt;
    QString body = *loaded;
    body.remove(QLatin1Char('\r'));
    // The card keeps every line it had; the file goes below the header.
    QString result = text.header;
    if (!cardText.isEmpty())
        result.prepend(QString(cardText).remove(QLatin1Char('\r')) + QLatin1Char('\n'));
    return body.isEmpty() ? result : result + QLatin1Char('\n') + body;
}

}  // namespace qb
