// libFuzzer target: any bytes through the XML file reader, and any text through the writer's
// escapes and back through the reader.
#include "interchange/XmlMedium.h"
#include "interchange/XmlReader.h"

#include <cstdint>
#include <cstdlib>

using namespace qb;

namespace {

void readAll(const QByteArray& bytes)
{
    QString document;
    QString error;
    if (!DecodeXmlFile(bytes, &document, &error)) return;
    ElementReader reader(document);
    XmlElement element;
    int elements = 0;
    while (reader.next(&element)) {
        TReadBlock attributes(element.startTag);
        while (!attributes.value(QStringLiteral("StringValue")).isEmpty()) {}
        if (++elements > 100000) std::abort();  // the reader must always move on
    }
}

// Every text XML can carry comes back whole, in each encoding the writer knows.
void roundTrip(const QString& text)
{
    if (FirstNonXmlCharacter(text) >= 0) return;
    for (XmlEncoding encoding : {XmlEncoding::Latin1, XmlEncoding::Ascii, XmlEncoding::Utf8}) {
        const QString document = QStringLiteral("<item><ItemText>") + CdataText(text, encoding) +
                                 QStringLiteral("</ItemText><Word StringValue= \"") +
                                 AttributeText(text, encoding) + QStringLiteral("\" /></item>");
        ElementReader reader(document);
        XmlElement item;
        if (!reader.next(&item) || item.children.size() != 2) std::abort();
        if (item.children[0].text != text) std::abort();
        if (TReadBlock(item.children[1].startTag).value(QStringLiteral("StringValue")) != text)
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    readAll(bytes);
    roundTrip(QString::fromUtf8(bytes));
    return 0;
}
