#include "mill/MillHandOff.h"

#include "dictionary/DictionaryTypes.h"
#include "dictionary/Words.h"
#include "floor/Messages.h"
#include "mill/WordMill.h"
#include "platform/Sqlite.h"
#include "platform/TextChecks.h"
#include "projects/ProjectRecords.h"
#include "session/Session.h"

namespace qb::mill {

namespace {
sql::Database& db() { return session().store.db(); }
}  // namespace

QString HandOffWord(const QString& text)
{
    const QString selection = text.toLower();
    qsizetype start = 0;
    while (start < selection.size() && !IsWordCharacter(selection[start].unicode(), true) &&
           !selection[start].isSurrogate())
        ++start;
    return CleanFileName(selection.mid(start), false);
}

int KnownWordNumber(const QString& word)
{
    if (word.isEmpty()) return -1;
    const int wordNo = WordNumberOf(word);
    if (wordNo > 0) return wordNo;
    sql::Statement form(db(), QStringLiteral("SELECT WNo FROM INFLEC WHERE Word = ?1 LIMIT 1"));
    form.bind(1, word.toLower());
    return form.next() && form.intValue(0) > 0 ? form.intValue(0) : -1;
}

std::vector<Candidate> FindCandidates(const QString& word)
{
    std::vector<Candidate> found;
    // The range finds the rows through the index on Word; substr makes the match exact.
    sql::Statement st(db(), QStringLiteral("SELECT Word, WNo FROM WORD WHERE Word >= ?1 AND "
                                           "Word < ?2 AND substr(Word, 1, ?3) = ?1 "
                                           "ORDER BY Word, WNo"));
    for (int k = CodePointCount(word); k >= 2; --k) {
        const QString prefix = LeftCodePoints(word, k);
        st.reset();
        st.bind(1, prefix);
        st.bind(2, prefix + QString::fromUcs4(U"\U0010FFFF"));
        st.bind(3, k);
        while (st.next()) {
            const QString text = st.textValue(0);
            const bool known = std::any_of(found.begin(), found.end(),
                                           [&](const Candidate& c) { return c.word == text; });
            if (!known) found.push_back({text, st.intValue(1)});
        }
        if (int(found.size()) > kMaxCandidates) break;
    }
    return found;
}

bool AddForm(const QString& word, const Candidate& candidate)
{
    const QString form = word.toLower();
    if (form.isEmpty() || CodePointCount(form) > kWordTextLimit) {
        InfoMessage(QStringLiteral("A form is 1 to %1 characters long").arg(kWordTextLimit));
        return false;
    }
    sql::Statement st(db(), QStringLiteral("INSERT INTO INFLEC (Word, WNo) VALUES (?1, ?2)"));
    st.bind(1, form);
    st.bind(2, candidate.wordNo);
    if (st.run()) return true;
    ShowInfo(QStringLiteral("Duplicate id - no update "),
             QStringLiteral("Update failed, word: ") + candidate.word, kError,
             messages::kHelpDefault);
    return false;
}

}  // namespace qb::mill
