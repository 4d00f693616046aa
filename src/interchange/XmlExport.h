#pragma once

#include "interchange/XmlMedium.h"
#include "store/Timestamps.h"

#include <QString>

#include <vector>

namespace qb {

struct XmlKeyword {
    QString word;  // the word through which the item refers to the concept
    Timestamp conceptId = 0;
};

struct XmlItem {
    QString text;
    std::vector<XmlKeyword> keywords;
};

// Reads an item's text and keywords (in keyword order) from the store.
bool LoadXmlItem(Timestamp id, XmlItem* item, QString* error);

// The element shapes. A concept element lists the concept's member words from the store.
QString WordElement(const QString& word, XmlEncoding encoding);
QString ConceptElement(const QString& keyword, Timestamp conceptId, XmlEncoding encoding);
QString ItemElement(const XmlItem& item, XmlEncoding encoding);

// The desktop export: the items, in the order given (the desktop's reading order), into the
// next QB_DESKTOP_ITEMS_NNN.xml of the folder (empty: XML in the store directory, made when
// missing). Tells the user the file written, or why nothing was; the path, empty on failure.
QString ExportItemsAsXml(const std::vector<XmlItem>& items, const QString& folder = QString());

// Sends one record to a folder (another installation's store directory) as Word<NNN>.xml,
// Concept<NNN>.xml or Item<NNN>.xml. The path, empty on failure (shown to the user).
QString SendWordAsXml(int wordNo, const QString& folder);
QString SendConceptAsXml(Timestamp conceptId, const QString& folder);
QString SendItemAsXml(const XmlItem& item, const QString& folder);

}  // namespace qb
