#pragma once

#include <QByteArray>
#include <QString>

namespace qb {

// The encodings the writer can produce; texts are escaped by what the encoding holds.
enum class XmlEncoding { Latin1, Ascii, Utf8 };

// The encoding named by an encoding label ("iso-8859-1", "UTF-8", ...); false when the writer
// does not know it.
bool XmlEncodingForName(const QString& name, XmlEncoding* encoding);
// The declaration line to write for the configured one: the configured line when it is a plain
// XML declaration naming an encoding the writer knows, else the default ISO-8859-1 line.
QString UsableXmlDeclaration(const QString& configured, XmlEncoding* encoding);

// Escapes for the two places texts go. Characters the encoding cannot hold, "]]>" and lone
// carriage returns leave the CDATA section as character references between two sections, so a
// standard parser and our reader both give back the same text. Line feeds are written CR LF.
QString CdataText(const QString& text, XmlEncoding encoding);
QString AttributeText(const QString& text, XmlEncoding encoding);
// One code point appended. (QString::fromUcs4 would drop a U+FEFF as a byte-order mark.)
void AppendCodePoint(QString& out, char32_t c);
// The first character XML 1.0 cannot carry at all (other control characters, lone surrogates),
// or -1.
int FirstNonXmlCharacter(const QString& text);

// One numbered XML file being written. The content is collected in memory and published under
// the first free name <folder>/<name>NNN.xml (001 ... 1000) only when complete, with a link that
// fails when the name exists: a reader never sees half a file and two writers never take the same
// number.
class TXMLmedium {
public:
    TXMLmedium(const QString& folder, const QString& declaration, XmlEncoding encoding);

    // Appends CR LF and the element text (already escaped).
    void write(const QString& text);
    XmlEncoding encoding() const { return encoding_; }
    // Publishes the file as <name>NNN.xml; false with the reason when no number is free or the
    // folder cannot be written.
    bool publishNumbered(const QString& name, QString* error);
    QString fileName() const { return fileName_; }
    QString filePath() const;
    qint64 bytesWritten() const { return bytes_.size(); }

private:
    QString folder_;
    XmlEncoding encoding_;
    QString fileName_;
    QByteArray bytes_;
};

}  // namespace qb
