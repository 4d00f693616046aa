#include "items/Capture.h"

#include "dictionary/Words.h"
#include "platform/FileNames.h"
#include "platform/Sqlite.h"
#include "session/Session.h"

#include <QFile>
#include <QStringConverter>
#include <QStringDecoder>

namespace qb {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// Text from a file that may predate UTF-8: UTF-8 when valid, else Latin-1.
QString decodeFileText(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    return QString::fromLatin1(bytes);
}

}  // namespace

CaptureState& captureState() { return session().part<CaptureState>(); }

QString ConvertLineBreaks(const QString& text, LineBreaks mode)
{
    const bool removing = mode == LineBreaks::Remove;
    QString out;
    out.reserve(text.size());
    int blanks = 0;
    QString pending;
    for (QChar c : text) {
        if (c == QLatin1Char(' ')) {
            ++blanks;
            continue;
        }
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            pending += c;
            continue;
        }
        if (blanks > 0) {
            out += QLatin1Char(' ');
            blanks = 0;
        }
        const qsizetype breaks = pending.size();
        bool lineBreak = breaks == 1;
        bool paragraph = breaks >= 3;
        if (breaks == 2) {
            if (pending == QStringLiteral("\r\n") || pending == QStringLiteral("\n\r"))
                lineBreak = true;
            else
                paragraph = true;  // LF LF, CR CR
        }
        if (paragraph) {
            out += kCrLf + kCrLf;
        } else if (lineBreak) {
            if (removing)
                blanks = 1;
            else
                out += kCrLf;
        }
        if (blanks > 0) out += QLatin1Char(' ');
        out += c;
        blanks = 0;
        pending.clear();
    }
    return out;
}

QString CaptureQuestion(const QString& original, const QString& converted)
{
    qsizetype n = std::min<qsizetype>(original.size(), 500);
    // A letter outside the basic plane is never cut in two.
    if (n > 0 && n < converted.size() && converted.at(n - 1).isHighSurrogate()) --n;
    return converted.left(n).trimmed();
}

int CaptureWordNumber(const QString& keyword)
{
    if (keyword.isEmpty()) return -1;
    const int wordNo = WordNumberOf(keyword);
    if (wordNo > 0) return wordNo;
    sql::Statement form(session().store.db(),
                        QStringLiteral("SELECT WNo FROM INFLEC WHERE Word = ?1"));
    form.bind(1, keyword);
    if (form.next() && form.intValue(0) > 0) return form.intValue(0);
    // Another program may have added the word since the look-up above.
    int existing = 0;
    const int made = CreateWordIfNew(keyword, &existing);
    return made > 0 ? made : existing;
}

QString AnnotationHeader(const QDateTime& when, const QLocale& locale)
{
    const QDate d = when.date();
    const QTime t = when.time();
    const int hour12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    return QStringLiteral("*** Annotation ***   %1, %2 %3, %4,  at %5:%6 %7")
        .arg(locale.dayName(d.dayOfWeek(), QLocale::LongFormat),
             locale.standaloneMonthName(d.month(), QLocale::LongFormat), QString::number(d.day()),
             QString::number(d.year()), QStringLiteral("%1").arg(hour12, 2, 10, QLatin1Char('0')),
             QStringLiteral("%1").arg(t.minute(), 2, 10, QLatin1Char('0')),
             t.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

QString AppendedAnnotation(const QString& oldContent, const QString& header, bool withComment,
                           const QString& comment, const QString& text)
{
    // The old lines each end in CR LF, whatever ended them before; then an empty line.
    QString body = oldContent;
    if (!body.isEmpty() && !body.endsWith(QLatin1Char('\n')) && !body.endsWith(QLatin1Char('\r')))
        body += kCrLf;
    body += kCrLf + kCrLf + header + kCrLf;
    if (withComment) body += QStringLiteral("[ ") + comment + QStringLiteral(" ]") + kCrLf;
    body += text;
    QString normal = body;
    normal.replace(kCrLf, QStringLiteral("\n"));
    normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (!normal.endsWith(QLatin1Char('\n'))) normal += QLatin1Char('\n');
    normal.replace(QLatin1Char('\n'), kCrLf);
    return normal;
}

bool AppendAnnotationFile(const QString& path, const QString& header, bool withComment,
                          const QString& comment, const QString& text, QString* error)
{
    QString old;
    QFile file(path);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            if (error) *error = path + QStringLiteral(": ") + file.errorString();
            return false;
        }
        old = decodeFileText(file.readAll());
        file.close();
    }
    const QString content = AppendedAnnotation(old, header, withComment, comment, text);
    return files::writeBytesFile(path, content.toUtf8(), error);
}

}  // namespace qb
