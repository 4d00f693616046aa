#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace qb {

// One element as read: its name, the raw text of its start tag (for TReadBlock), its child
// elements and its character content with CDATA sections and references joined.
struct XmlElement {
    QString name;
    QString startTag;
    std::vector<XmlElement> children;
    QString text;
};

// Successive values of an attribute in a start tag: each call finds the next occurrence of the
// name and returns the text between the two quotes after it, references resolved. Empty when
// there is none.
class TReadBlock {
public:
    explicit TReadBlock(const QString& text) : text_(text) {}
    QString value(const QString& attribute);

private:
    QString text_;
    int position_ = 0;
};

// Decodes a file's bytes in the encoding its declaration names (UTF-8 without one). False with
// the reason for an unknown encoding or bytes that are not valid in it.
bool DecodeXmlFile(const QByteArray& bytes, QString* text, QString* error);

// Reads the elements of a document one after the other: the declaration, comments and the
// QuillboxText root's tags are passed over. Anything malformed (an unterminated tag, CDATA
// section or comment, a document type declaration, a mismatched end tag, characters XML cannot
// carry, nesting deeper than an item's words, a text beyond the bound) stops it with error().
// Files of older installations (unescaped "&" in values, a text with one CDATA section) read as
// they always did.
class ElementReader {
public:
    explicit ElementReader(const QString& document);
    // The next element; false at the end of the document or at an error.
    bool next(XmlElement* element);
    QString error() const { return error_; }

    static constexpr int kMaxDepth = 3;  // item > concept > word
    static constexpr int kMaxTextLength = 1 << 20;

private:
    const QString& doc_;
    int pos_ = 0;
    bool inRoot_ = false;
    bool ended_ = false;
    QString error_;

    bool fail(const QString& why);
    bool startsWith(const char* marker) const;
    void skipBlanks();
    bool skipMisc();
    bool readName(QString* name);
    bool readElement(XmlElement* element, int depth);
    bool readReference(QString* out);
};

// Resolves the five named references and numeric ones; other "&" are kept as they stand. False
// when a reference names a character XML cannot carry.
bool ResolveReferences(const QString& text, QString* out);

}  // namespace qb
