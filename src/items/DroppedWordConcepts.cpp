#include "items/DroppedWordConcepts.h"

#include "platform/Sqlite.h"
#include "shell/Session.h"

#include <QCollator>

#include <algorithm>

namespace qb {

std::vector<Timestamp> ConceptsOfDroppedWord(int wordNo, QString* error)
{
    std::vector<Timestamp> concepts;
    sql::Statement st(session().store.db(), QStringLiteral("SELECT DISTINCT C FROM DICT WHERE WNo = ?1"));
    st.bind(1, wordNo);
    while (st.next()) concepts.push_back(st.extValue(0));
    if (!st.ok() && error) *error = st.error();
    return concepts;
}

QStringList WordsOfConceptForSelection(Timestamp conceptId)
{
    QStringList words;
    sql::Statement st(session().store.db(),
                      QStringLiteral("SELECT W.Word FROM DICT D, WORD W WHERE D.C = ?1 AND W.WNo = D.WNo"));
    st.bind(1, conceptId);
    while (st.next()) words << st.textValue(0);
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(words.begin(), words.end(), [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    return words;
}

}  // namespace qb
