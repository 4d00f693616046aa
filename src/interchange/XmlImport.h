#pragma once

#include "store/Timestamps.h"

#include <QString>

#include <vector>

namespace qb {

// What the import of one XML file did.
struct XmlImportResult {
    enum class Outcome {
        Imported,  // committed, and the file deleted
        SetAside,  // malformed or hostile: nothing changed, renamed to <name>.bad
        Failed,    // the store refused (locked, damaged): nothing changed, the file stays
    };
    Outcome outcome = Outcome::Failed;
    int words = 0;                 // word elements
    int concepts = 0;              // concept elements
    std::vector<Timestamp> items;  // ids of the imported items, in file order
    QString problem;               // the problem-log line, empty when imported
};

// Bounds on what one file may hold.
constexpr qint64 kMaxXmlFileBytes = 64LL << 20;
constexpr int kMaxConceptWords = 1000;

// Imports every element of the file (words through their forms, concepts by the
// existing-superset rule, items with their keywords) in one transaction. The file is deleted
// only after the commit. A file that cannot be read as a Quillbox XML file changes nothing, is
// logged in the problem log and renamed <name>.bad so that it is not tried again.
XmlImportResult ImportXmlFile(const QString& path);

// Imports one word text: its number in WORD, else the word an INFLEC form leads to, else a new
// word; -1 for an empty text. Runs in the caller's transaction.
int ImportXmlWord(const QString& text);

}  // namespace qb
