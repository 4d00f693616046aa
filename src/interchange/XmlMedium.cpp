#include "interchange/XmlMedium.h"

#include "platform/FileNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>

#include <unistd.h>
#include <cerrno>

namespace qb {

namespace {

const char* const kDefaultDeclaration = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>";
constexpr int kMaxNumber = 1000;

bool encodable(char32_t c, XmlEncoding encoding)
{
    switch (encoding) {
    case XmlEncoding::Latin1: return c <= 0xFF;
    case XmlEncoding::Ascii: return c <= 0x7F;
    case XmlEncoding::Utf8: return true;
    }
    return false;
}

QString reference(char32_t c) { return QStringLiteral("&#%1;").arg(uint(c)); }

QByteArray encoded(const QString& text, XmlEncoding encoding)
{
    // The escaping left only characters the encoding holds.
    return encoding == XmlEncoding::Utf8 ? text.toUtf8() : text.toLatin1();
}

}  // namespace

void AppendCodePoint(QString& out, char32_t c)
{
    if (QChar::requiresSurrogates(c)) {
        out += QChar(QChar::highSurrogate(c));
        out += QChar(QChar::lowSurrogate(c));
    } else {
        out += QChar(char16_t(c));
    }
}

bool XmlEncodingForName(const QString& name, XmlEncoding* encoding)
{
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("iso-8859-1") || n == QLatin1String("iso_8859-1") ||
        n == QLatin1String("latin1") || n == QLatin1String("latin-1") || n == QLatin1String("l1")) {
        *encoding = XmlEncoding::Latin1;
    } else if (n == QLatin1String("us-ascii") || n == QLatin1String("ascii")) {
        *encoding = XmlEncoding::Ascii;
    } else if (n == QLatin1String("utf-8") || n == QLatin1String("utf8")) {
        *encoding = XmlEncoding::Utf8;
    } else {
        return false;
    }
    return true;
}

QString UsableXmlDeclaration(const QString& configured, XmlEncoding* encoding)
{
    static const QRegularExpression declaration(
        QStringLiteral("^<\\?xml\\s+version\\s*=\\s*([\"'])1\\.[0-9]\\1"
                       "(\\s+encoding\\s*=\\s*([\"'])([A-Za-z][A-Za-z0-9._-]*)\\3)?"
                       "(\\s+standalone\\s*=\\s*([\"'])(yes|no)\\6)?\\s*\\?>$"));
    const QString line = configured.trimmed();
    const QRegularExpressionMatch m = declaration.match(line);
    if (m.hasMatch()) {
        // Without an encoding a parser reads UTF-8.
        if (m.captured(4).isEmpty()) {
            *encoding = XmlEncoding::Utf8;
            return line;
        }
        if (XmlEncodingForName(m.captured(4), encoding)) return line;
    }
    *encoding = XmlEncoding::Latin1;
    return QString::fromLatin1(kDefaultDeclaration);
}

int FirstNonXmlCharacter(const QString& text)
{
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        const ushort u = c.unicode();
        if (c.isSurrogate() || u == 0xFFFE || u == 0xFFFF ||
            (u < 0x20 && u != '\t' && u != '\n' && u != '\r'))
            return i;
    }
    return -1;
}

QString CdataText(const QString& text, XmlEncoding encoding)
{
    QString out;
    bool open = false;
    const QList<uint> codes = text.toUcs4();
    for (qsizetype i = 0; i < codes.size(); ++i) {
        const char32_t c = codes[i];
        // "]]>" is cut before its ">", which goes as a reference.
        const bool endsMarker = c == '>' && i >= 2 && codes[i - 1] == ']' && codes[i - 2] == ']';
        if (c == '\r' || endsMarker || !encodable(c, encoding)) {
            if (open) out += QStringLiteral("]]>");
            open = false;
            out += reference(c);
            continue;
        }
        if (!open) out += QStringLiteral("<![CDATA[");
        open = true;
        if (c == '\n')
            out += QStringLiteral("\r\n");
        else
            AppendCodePoint(out, c);
    }
    // An empty text still gets its section: older readers look for it.
    if (open || out.isEmpty()) out += open ? QStringLiteral("]]>") : QStringLiteral("<![CDATA[]]>");
    return out;
}

QString AttributeText(const QString& text, XmlEncoding encoding)
{
    QString out;
    for (const uint c : text.toUcs4()) {
        switch (c) {
        case '&': out += QStringLiteral("&amp;"); break;
        case '<': out += QStringLiteral("&lt;"); break;
        case '>': out += QStringLiteral("&gt;"); break;
        case '"': out += QStringLiteral("&quot;"); break;
        default:
            // A parser turns literal tabs and breaks in an attribute into blanks.
            if (c < 0x20 || !encodable(c, encoding))
                out += reference(c);
            else
                AppendCodePoint(out, c);
        }
    }
    return out;
}

TXMLmedium::TXMLmedium(const QString& folder, const QString& declaration, XmlEncoding encoding)
    : folder_(QDir::cleanPath(folder)), encoding_(encoding)
{
    // A declaration must be the file's first characters, so no break goes before it.
    bytes_ = declaration.toLatin1();
}

void TXMLmedium::write(const QString& text) { bytes_ += "\r\n" + encoded(text, encoding_); }

QString TXMLmedium::filePath() const { return folder_ + QLatin1Char('/') + fileName_; }

bool TXMLmedium::publishNumbered(const QString& name, QString* error)
{
    // A file of our own name rather than a QTemporaryFile: that one is private (0600), and the
    // receiving installation may run as another user.
    QFile part;
    for (int n = 0; n < 100; ++n) {
        part.setFileName(
            folder_ +
            QStringLiteral("/.qbxml-%1-%2.part").arg(QCoreApplication::applicationPid()).arg(n));
        if (part.open(QIODevice::WriteOnly | QIODevice::NewOnly)) break;
    }
    const auto removePart = qScopeGuard([&part] {
        if (part.isOpen()) part.remove();
    });
    QString why;
    if (!part.isOpen() || !files::writeAll(part.handle(), bytes_ + "\r\n", &why) ||
        ::fsync(part.handle()) != 0) {
        if (error)
            *error = QStringLiteral("Cannot write in ") + folder_ + QStringLiteral(": ") +
                     (why.isEmpty() ? part.errorString() : why);
        return false;
    }
    const QByteArray from = QFile::encodeName(part.fileName());
    for (int n = 1; n <= kMaxNumber; ++n) {
        const QString candidate =
            name + QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0')) + QStringLiteral(".xml");
        if (files::exists(folder_, candidate)) continue;
        const QByteArray to = QFile::encodeName(folder_ + QLatin1Char('/') + candidate);
        if (::link(from.constData(), to.constData()) == 0) {
            fileName_ = candidate;
            return true;  // the temporary name goes with `removePart`
        }
        if (errno == EEXIST) continue;
        if (error)
            *error = QStringLiteral("Cannot write ") + candidate + QStringLiteral(": ") +
                     files::errorText(errno);
        return false;
    }
    if (error)
        *error =
            QStringLiteral("No free file name ") + name + QStringLiteral("NNN.xml in ") + folder_;
    return false;
}

}  // namespace qb
