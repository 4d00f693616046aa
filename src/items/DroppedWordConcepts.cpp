#include "items/DroppedWordConcepts.h"

#include "dictionary/Words.h"

#include "platform/Sqlite.h"
#include "session/Session.h"

#include <QCollator>

#include <algorithm>

namespace qb {

std::vector<Timestamp> ConceptsOfDroppedWord(int wordNo, QString* error)
{
    (void)error;
    return ConceptIdsOfWord(wordNo);
}

QStringList WordsOfConceptForSelection(Timestamp conceptId)
{
    QStringList words;
    sql::Statement st(
        session().store.db(),
        QStringLiteral("SELECT W.Word FROM DICT D, WORD W WHERE D.C = ?1 AND W.WNo = D.WNo"));
    st.bind(1, conceptId);
    while (st.next()) words << st.textValue(0);
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(words.begin(), words.end(),
              [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    return words;
}

}  // namespace qb
