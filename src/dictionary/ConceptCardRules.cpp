#include "dictionary/ConceptCardRules.h"

#include <cmath>

#include "cards/CardHost.h"
#include "cards/DragPayload.h"
#include "dictionary/DictionaryTypes.h"
#include "dictionary/ExplodeMode.h"
#include "dictionary/Words.h"
#include "floor/Messages.h"
#include "platform/Dates.h"
#include "platform/Sqlite.h"
#include "session/Session.h"

namespace qb {

std::vector<ConceptWord> ConceptWordsOf(Timestamp conceptId)
{
    std::vector<ConceptWord> words;
    // Ids are equal within the concept tolerance, as everywhere concepts are compared.
    sql::Statement st(session().store.db(),
                      QStringLiteral("SELECT DISTINCT w.Word, w.WTS, w.WNo FROM DICT d, WORD w "
                                     "WHERE d.C > ?1 AND d.C < ?2 AND w.WNo = d.WNo "
                                     "ORDER BY w.WTS, w.WNo LIMIT ?3"));
    st.bind(1, static_cast<double>(conceptId - kConceptIdTolerance))
        .bind(2, static_cast<double>(conceptId + kConceptIdTolerance))
        .bind(3, kConceptWordReadLimit);
    while (st.next()) words.push_back({st.intValue(2), st.textValue(0).left(kWordTextLimit)});
    return words;
}

ConceptDropResult DropWordOnConcept(ConceptCardData& card, const DragPayload& payload)
{
    ConceptWord word;
    switch (payload.source) {
    case DragPayload::Source::DictionaryWord: word = {payload.wordNo, payload.word}; break;
    case DragPayload::Source::InflectionWord: {
        // The base word: a form leads to it through its number.
        QString base = WordByNumber(payload.wordNo);
        word = {payload.wordNo, base.isEmpty() ? payload.word : base};
        break;
    }
    default: return ConceptDropResult::Ignored;
    }
    if (word.wordNo <= 0 || word.word.isEmpty()) return ConceptDropResult::Ignored;
    if (int(card.words.size()) >= kConceptDropLimit) {
        ShowInfo(QStringLiteral("Max no of detail objects per main object exceeded"),
                 QStringLiteral("s246"), kError, messages::kHelpDefault);
        return ConceptDropResult::Full;
    }
    word.word = word.word.left(kWordTextLimit);
    card.words.push_back(word);
    card.changed = true;
    return ConceptDropResult::Added;
}

QString ConceptDatedCaption(Timestamp conceptId)
{
    const Settings& s = session().settings;
    int day = int(std::floor(-static_cast<double>(conceptId)));
    return QStringLiteral("Concept dated ") +
           dates::formatDate(dates::dateOfDayNumber(day), s.dateFormat, s.dateSeparator);
}

ConceptPanelRows ConceptPanelFor(const ConceptCardData& card, bool wordSelected,
                                 bool clipboardHasImage)
{
    ConceptPanelRows panel;
    panel.caption = ConceptDatedCaption(card.conceptId);
    if (wordSelected) panel.rows << QStringLiteral("ClipBoard");
    panel.rows << QStringLiteral("Delete");
    panel.labels.insert(QStringLiteral("Delete"), QStringLiteral("&Delete Concept"));
    if (mergeWordsOption() && wordSelected) {
        panel.rows << QStringLiteral("TestWord");
        panel.labels.insert(QStringLiteral("TestWord"), QStringLiteral("Merge Words"));
    }
    panel.rows << QStringLiteral("Drop");
    if (clipboardHasImage) panel.rows << QStringLiteral("ConnectImage");
    return panel;
}

}  // namespace qb
