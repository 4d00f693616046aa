#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

#include "dictionary/ConceptCardData.h"
#include "store/Timestamps.h"

namespace qb {

struct DragPayload;

// The most words a user can drop onto one concept card.
constexpr int kConceptDropLimit = 22;

// The words of a stored concept as its card lists them, the most recently touched word first.
// At most 200 rows are read, as every desktop read is limited.
std::vector<ConceptWord> ConceptWordsOf(Timestamp conceptId);
constexpr int kConceptWordReadLimit = 200;

enum class ConceptDropResult { Added, Ignored, Full };
// A word dropped on the card's list: from a dictionary window its current row, from an
// inflection window the word the window belongs to (not the form it shows). Every other drop is
// ignored. A card that holds 22 words already says "Max no of detail objects per main object
// exceeded" and stays as it was. A word the card holds already is added again: the commit keeps
// one row of it.
ConceptDropResult DropWordOnConcept(ConceptCardData& card, const DragPayload& payload);

// What the command panel of a concept card shows.
struct ConceptPanelRows {
    QString caption;                 // "Concept dated " and the creation date
    QStringList rows;                // command names in panel order
    QHash<QString, QString> labels;  // rows shown with the card's own caption
};
ConceptPanelRows ConceptPanelFor(const ConceptCardData& card, bool wordSelected,
                                 bool clipboardHasImage = false);
QString ConceptDatedCaption(Timestamp conceptId);

}  // namespace qb
