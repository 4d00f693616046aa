#include "interchange/XmlReader.h"

#include "interchange/XmlMedium.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace qb {

namespace {

const QString kRoot = QStringLiteral("QuillboxText");

bool nameStart(QChar c) { return c.isLetter() || c == QLatin1Char('_') || c == QLatin1Char(':'); }
bool nameChar(QChar c)
{
    return nameStart(c) || c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('.');
}

bool xmlCharacter(char32_t c)
{
    return c == '\t' || c == '\n' || c == '\r' || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// A character reference or one of the five names at text[i] ('&'); length consumed, 0 when it
// is not a reference, -1 when it names a character XML cannot carry.
int reference(const QString& text, int i, QString* out)
{
    const int end = text.indexOf(QLatin1Char(';'), i + 1);
    if (end < 0 || end - i > 12) return 0;
    const QStringView body = QStringView(text).mid(i + 1, end - i - 1);
    static const std::pair<const char*, char16_t> named[] = {
        {"amp", u'&'}, {"lt", u'<'}, {"gt", u'>'}, {"quot", u'"'}, {"apos", u'\''}};
    for (const auto& [n, c] : named) {
        if (body == QLatin1String(n)) {
            *out += QChar(c);
            return end - i + 1;
        }
    }
    if (body.size() < 2 || body.at(0) != QLatin1Char('#')) return 0;
    bool ok = false;
    const uint code =
        body.at(1) == QLatin1Char('x') ? body.mid(2).toUInt(&ok, 16) : body.mid(1).toUInt(&ok, 10);
    if (!ok) return 0;
    if (!xmlCharacter(code)) return -1;
    AppendCodePoint(*out, code);
    return end - i + 1;
}

}  // namespace

bool ResolveReferences(const QString& text, QString* out)
{
    out->clear();
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&')) {
            *out += text.at(i);
            continue;
        }
        const int used = reference(text, i, out);
        if (used < 0) return false;
        if (used == 0)
            *out += text.at(i);
        else
            i += used - 1;
    }
    return true;
}

QString TReadBlock::value(const QString& attribute)
{
    for (;;) {
        const int at = text_.indexOf(attribute, position_, Qt::CaseInsensitive);
        if (at < 0) return QString();
        int i = at + attribute.size();
        while (i < text_.size() && text_.at(i).isSpace()) ++i;
        if (i >= text_.size() || text_.at(i) != QLatin1Char('=')) {
            position_ = at + 1;
            continue;
        }
        const int open = text_.indexOf(QLatin1Char('"'), i);
        const int close = open < 0 ? -1 : text_.indexOf(QLatin1Char('"'), open + 1);
        if (close < 0) return QString();
        position_ = close + 1;
        QString resolved;
        ResolveReferences(text_.mid(open + 1, close - open - 1), &resolved);
        return resolved;
    }
}

bool DecodeXmlFile(const QByteArray& bytes, QString* text, QString* error)
{
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF")) body.remove(0, 3);
    QByteArray name = "UTF-8";
    // The declaration is ASCII in every encoding we read; older files put a break before it.
    static const QRegularExpression declaration(QStringLiteral(
        "^\\s*<\\?xml[^>]*?encoding\\s*=\\s*[\"']([A-Za-z][A-Za-z0-9._-]*)[\"'][^>]*\\?>"));
    const QRegularExpressionMatch m = declaration.match(QString::fromLatin1(body.left(256)));
    if (m.hasMatch()) name = m.captured(1).toLatin1();
    const QString lower = QString::fromLatin1(name).toLower();
    if (lower == QLatin1String("iso-8859-1") || lower == QLatin1String("latin1") ||
        lower == QLatin1String("iso_8859-1") || lower == QLatin1String("us-ascii")) {
        *text = QString::fromLatin1(body);
        return true;
    }
    QStringDecoder decoder(name.constData());
    if (!decoder.isValid()) {
        *error = QStringLiteral("unknown encoding ") + QString::fromLatin1(name);
        return false;
    }
    *text = decoder.decode(body);
    if (decoder.hasError()) {
        *error = QStringLiteral("bytes that are not ") + QString::fromLatin1(name);
        return false;
    }
    return true;
}

ElementReader::ElementReader(const QString& document) : doc_(document)
{
    if (!skipMisc()) return;
    if (doc_.mid(pos_ + 1, kRoot.size()).compare(kRoot, Qt::CaseInsensitive) == 0 &&
        startsWith("<")) {
        const int close = doc_.indexOf(QLatin1Char('>'), pos_);
        if (close < 0) {
            fail(QStringLiteral("unterminated root element"));
            return;
        }
        inRoot_ = doc_.at(close - 1) != QLatin1Char('/');
        pos_ = close + 1;
    }
}

bool ElementReader::fail(const QString& why)
{
    if (error_.isEmpty()) error_ = why + QStringLiteral(" at character ") + QString::number(pos_);
    ended_ = true;
    return false;
}

bool ElementReader::startsWith(const char* marker) const
{
    return QStringView(doc_).mid(pos_).startsWith(QLatin1String(marker));
}

void ElementReader::skipBlanks()
{
    while (pos_ < doc_.size() && doc_.at(pos_).isSpace()) ++pos_;
}

bool ElementReader::skipMisc()
{
    for (;;) {
        skipBlanks();
        if (startsWith("<?")) {
            const int end = doc_.indexOf(QStringLiteral("?>"), pos_);
            if (end < 0) return fail(QStringLiteral("unterminated declaration"));
            pos_ = end + 2;
        } else if (startsWith("<!--")) {
            const int end = doc_.indexOf(QStringLiteral("-->"), pos_ + 4);
            if (end < 0) return fail(QStringLiteral("unterminated comment"));
            pos_ = end + 3;
        } else if (startsWith("<!")) {
            return fail(QStringLiteral("document type declaration or stray \"<!\""));
        } else {
            return true;
        }
    }
}

bool ElementReader::readName(QString* name)
{
    const int start = pos_;
    if (pos_ >= doc_.size() || !nameStart(doc_.at(pos_)))
        return fail(QStringLiteral("element name expected"));
    while (pos_ < doc_.size() && nameChar(doc_.at(pos_))) ++pos_;
    *name = doc_.mid(start, pos_ - start);
    return true;
}

bool ElementReader::readReference(QString* out)
{
    const int used = reference(doc_, pos_, out);
    if (used < 0) return fail(QStringLiteral("reference to a character XML cannot carry"));
    // A bare "&" (older files wrote texts unescaped) stands for itself.
    if (used == 0) *out += QLatin1Char('&');
    pos_ += used == 0 ? 1 : used;
    return true;
}

bool ElementReader::readElement(XmlElement* element, int depth)
{
    if (depth > kMaxDepth) return fail(QStringLiteral("elements nested too deeply"));
    const int start = pos_;
    ++pos_;  // "<"
    if (!readName(&element->name)) return false;
    // The start tag runs to the first ">" outside quotes.
    QChar quote;
    for (; pos_ < doc_.size(); ++pos_) {
        const QChar c = doc_.at(pos_);
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char('>')) {
            break;
        }
        if (pos_ - start > kMaxTextLength) return fail(QStringLiteral("start tag too long"));
    }
    if (pos_ >= doc_.size()) return fail(QStringLiteral("unterminated start tag"));
    element->startTag = doc_.mid(start, pos_ - start + 1);
    const bool empty = doc_.at(pos_ - 1) == QLatin1Char('/');
    ++pos_;
    if (empty) return true;
    QString& text = element->text;
    for (;;) {
        if (text.size() > kMaxTextLength) return fail(QStringLiteral("text too long"));
        if (pos_ >= doc_.size())
            return fail(QStringLiteral("unterminated element <") + element->name +
                        QLatin1Char('>'));
        const QChar c = doc_.at(pos_);
        if (c == QLatin1Char('&')) {
            if (!readReference(&text)) return false;
        } else if (c == QLatin1Char('\r')) {
            // Breaks read as one line feed, as a parser gives them.
            text += QLatin1Char('\n');
            pos_ += startsWith("\r\n") ? 2 : 1;
        } else if (c != QLatin1Char('<')) {
            text += c;
            ++pos_;
        } else if (startsWith("<![CDATA[")) {
            const int end = doc_.indexOf(QStringLiteral("]]>"), pos_ + 9);
            if (end < 0) return fail(QStringLiteral("unterminated CDATA section"));
            if (end - pos_ > kMaxTextLength) return fail(QStringLiteral("text too long"));
            QString part = doc_.mid(pos_ + 9, end - pos_ - 9);
            part.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            part.replace(QLatin1Char('\r'), QLatin1Char('\n'));
            text += part;
            pos_ = end + 3;
        } else if (startsWith("</")) {
            pos_ += 2;
            QString name;
            if (!readName(&name)) return false;
            skipBlanks();
            if (pos_ >= doc_.size())
                return fail(QStringLiteral("unterminated element <") + element->name +
                            QLatin1Char('>'));
            if (name.compare(element->name, Qt::CaseInsensitive) != 0 || !startsWith(">"))
                return fail(QStringLiteral("end tag </") + name +
                            QStringLiteral("> does not close <") + element->name +
                            QLatin1Char('>'));
            ++pos_;
            return true;
        } else if (startsWith("<!--") || startsWith("<?")) {
            if (!skipMisc()) return false;
        } else if (startsWith("<!")) {
            return fail(QStringLiteral("stray \"<!\""));
        } else {
            element->children.emplace_back();
            if (!readElement(&element->children.back(), depth + 1)) return false;
        }
    }
}

bool ElementReader::next(XmlElement* element)
{
    if (ended_) return false;
    if (!skipMisc()) return false;
    if (startsWith("</")) {
        if (!inRoot_) return fail(QStringLiteral("end tag without start tag"));
        pos_ += 2;
        QString name;
        if (!readName(&name)) return false;
        skipBlanks();
        if (name.compare(kRoot, Qt::CaseInsensitive) != 0 || !startsWith(">"))
            return fail(QStringLiteral("end tag </") + name + QStringLiteral("> out of place"));
        ++pos_;
        inRoot_ = false;
        if (!skipMisc()) return false;
        if (pos_ < doc_.size()) return fail(QStringLiteral("content after the root element"));
        ended_ = true;
        return false;
    }
    if (pos_ >= doc_.size()) {
        if (inRoot_) return fail(QStringLiteral("the file ends inside <QuillboxText>"));
        ended_ = true;
        return false;
    }
    if (!startsWith("<")) return fail(QStringLiteral("text outside an element"));
    *element = XmlElement();
    return readElement(element, 1);
}

}  // namespace qb
