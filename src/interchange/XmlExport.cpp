#include "interchange/XmlExport.h"

#include "cards/CardHost.h"
#include "floor/Messages.h"
#include "floor/RunContext.h"
#include "platform/Clock.h"
#include "platform/FileNames.h"
#include "platform/Sqlite.h"
#include "session/Session.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace qb {

namespace {

const char* const kEncodeFailed = "XML Encode failed";

sql::Database& db() { return session().store.db(); }

// The text cannot go into any XML file: tell the user which and write nothing.
bool refuseUnwritable(const QString& text)
{
    const int at = FirstNonXmlCharacter(text);
    if (at < 0) return false;
    ShowInfo(QStringLiteral("This text holds a character that XML cannot carry (code %1), so "
                            "nothing was written:\r\n")
                     .arg(text.at(at).unicode()) +
                 text.left(60),
             QStringLiteral("sd107w"), kError, 0);
    return true;
}

QString publish(TXMLmedium& medium, const QString& name)
{
    QString error;
    if (!medium.publishNumbered(name, &error)) {
        LogProblem(QString::fromLatin1(kEncodeFailed));
        ShowInfo(QString::fromLatin1(kEncodeFailed) + QStringLiteral(": ") + error,
                 QStringLiteral("sd107v"), kError, 0);
        return QString();
    }
    return medium.filePath();
}

QString sendElement(const QString& folder, const QString& name, const QString& element)
{
    XmlEncoding encoding;
    const QString declaration = UsableXmlDeclaration(runContext().settings.xmlCharSet, &encoding);
    TXMLmedium medium(folder, declaration, encoding);
    medium.write(element);
    return publish(medium, name);
}

XmlEncoding configuredEncoding()
{
    XmlEncoding encoding;
    UsableXmlDeclaration(runContext().settings.xmlCharSet, &encoding);
    return encoding;
}

}  // namespace

bool LoadXmlItem(Timestamp id, XmlItem* item, QString* error)
{
    sql::Statement text(db(), QStringLiteral("SELECT TX FROM ITEM WHERE IT > ?1 AND IT < ?2"));
    text.bind(1, id - kItemIdTolerance).bind(2, id + kItemIdTolerance);
    if (!text.next()) {
        *error = text.ok() ? QStringLiteral("no item with that id") : text.error();
        return false;
    }
    item->text = text.textValue(0);
    sql::Statement keys(db(), QStringLiteral("SELECT coalesce(W.Word, ''), K.ITC FROM ITEMKEYS K "
                                             "LEFT JOIN WORD W ON W.WNo = K.WNo "
                                             "WHERE K.IT > ?1 AND K.IT < ?2 ORDER BY K.\"Order\""));
    keys.bind(1, id - kItemIdTolerance).bind(2, id + kItemIdTolerance);
    item->keywords.clear();
    while (keys.next()) item->keywords.push_back({keys.textValue(0), keys.extValue(1)});
    if (!keys.ok()) *error = keys.error();
    return keys.ok();
}

QString WordElement(const QString& word, XmlEncoding encoding)
{
    return QStringLiteral("<Word StringValue= \"") + AttributeText(word, encoding) +
           QStringLiteral("\" />");
}

QString ConceptElement(const QString& keyword, Timestamp conceptId, XmlEncoding encoding)
{
    QString out = QStringLiteral("<Concept  SelectWord= \"") + AttributeText(keyword, encoding) +
                  QStringLiteral("\"  >");
    // "+" keeps the planner on the key's range of C: ordering by the WNo index walks all of DICT.
    sql::Statement members(db(), QStringLiteral("SELECT W.Word FROM DICT D, WORD W WHERE D.C > ?1 "
                                                "AND D.C < ?2 AND D.WNo = W.WNo ORDER BY +D.WNo"));
    members.bind(1, conceptId - kConceptIdTolerance).bind(2, conceptId + kConceptIdTolerance);
    while (members.next()) out += WordElement(members.textValue(0), encoding);
    return out + QStringLiteral("</Concept>");
}

QString ItemElement(const XmlItem& item, XmlEncoding encoding)
{
    QString out = QStringLiteral("<item> \r\n");
    for (const XmlKeyword& k : item.keywords) out += ConceptElement(k.word, k.conceptId, encoding);
    return out + QStringLiteral("<ItemText>") + CdataText(item.text, encoding) +
           QStringLiteral("</ItemText> \r\n</item>");
}

QString ExportItemsAsXml(const std::vector<XmlItem>& items, const QString& to)
{
    RunContext& run = runContext();
    const QString folder = to.isEmpty() ? files::resolve(run.dir(), QStringLiteral("XML")) : to;
    if (!QFileInfo(folder).isDir() && (!to.isEmpty() || !QDir().mkpath(folder))) {
        ShowInfo(QStringLiteral("Failed to create ") + folder, QStringLiteral("sd107x"), kError, 0);
        return QString();
    }
    for (const XmlItem& item : items)
        if (refuseUnwritable(item.text)) return QString();
    XmlEncoding encoding;
    const QString declaration = UsableXmlDeclaration(run.settings.xmlCharSet, &encoding);
    TXMLmedium medium(folder, declaration, encoding);
    const QString when = QLocale().toString(run.clock().now(), QLocale::ShortFormat);
    medium.write(QStringLiteral("<QuillboxText SaveDate= \"") + AttributeText(when, encoding) +
                 QStringLiteral("\"> "));
    for (const XmlItem& item : items) medium.write(ItemElement(item, encoding));
    medium.write(QStringLiteral("</QuillboxText> "));
    const QString path = publish(medium, QStringLiteral("QB_DESKTOP_ITEMS_"));
    if (!path.isEmpty())
        InfoMessage(QStringLiteral("All text on desktop XML-encoded to file: ") +
                    QDir::toNativeSeparators(path));
    return path;
}

QString SendWordAsXml(int wordNo, const QString& folder)
{
    sql::Statement st(db(), QStringLiteral("SELECT Word FROM WORD WHERE WNo = ?1 LIMIT 1"));
    st.bind(1, wordNo);
    if (!st.next()) {
        ShowInfo(QStringLiteral("Word not found"), QStringLiteral("sd107u"), kError, 0);
        return QString();
    }
    return sendElement(folder, QStringLiteral("Word"),
                       WordElement(st.textValue(0), configuredEncoding()));
}

QString SendConceptAsXml(Timestamp conceptId, const QString& folder)
{
    sql::Statement st(db(), QStringLiteral("SELECT 1 FROM DICT WHERE C > ?1 AND C < ?2 LIMIT 1"));
    st.bind(1, conceptId - kConceptIdTolerance).bind(2, conceptId + kConceptIdTolerance);
    if (!st.next()) {
        ShowInfo(QStringLiteral("Concept not found"), QStringLiteral("sd107u"), kError, 0);
        return QString();
    }
    return sendElement(folder, QStringLiteral("Concept"),
                       ConceptElement(QString(), conceptId, configuredEncoding()));
}

QString SendItemAsXml(const XmlItem& item, const QString& folder)
{
    if (refuseUnwritable(item.text)) return QString();
    return sendElement(folder, QStringLiteral("Item"), ItemElement(item, configuredEncoding()));
}

}  // namespace qb
