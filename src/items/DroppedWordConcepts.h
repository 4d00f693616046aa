#pragma once

#include "store/Timestamps.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace qb {

// The concepts that hold a word, for a dictionary word dropped on an item card. Kept in one
// place so that the dictionary's own look-up can take over without the card changing.
std::vector<Timestamp> ConceptsOfDroppedWord(int wordNo, QString* error = nullptr);

// The words of a concept, alphabetically, as the concept selection lists it.
QStringList WordsOfConceptForSelection(Timestamp conceptId);

}  // namespace qb
