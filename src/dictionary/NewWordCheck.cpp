#include "dictionary/NewWordCheck.h"

#include "dictionary/DictionaryState.h"
#include "dictionary/DictionaryTypes.h"
#include "dictionary/Words.h"
#include "platform/Sqlite.h"
#include "session/Session.h"

#include <QLocale>

namespace qb {

namespace {

const QString kTestCaption = QStringLiteral("Test     ");
const QString kTestMoreCaption = QStringLiteral("Test more");

// Words are kept in lower case; the text is matched as typed and in lower case, so that the test
// finds them whatever the user's capitals.
std::vector<NewWordCheck::Match> matches(const QString& table, const QString& order,
                                         const QString& text, bool anywhere)
{
    QString head = anywhere ? QStringLiteral("%") : QString();
    QString asTyped = head + sql::likeLiteral(text) + QStringLiteral("%");
    QString lower = head + sql::likeLiteral(QLocale().toLower(text)) + QStringLiteral("%");
    sql::Statement st(session().store.db(),
                      QStringLiteral("SELECT Word, WNo FROM %1 WHERE Word LIKE ?1 ESCAPE '\\' "
                                     "OR Word LIKE ?2 ESCAPE '\\' ORDER BY %2")
                          .arg(table, order));
    st.bind(1, asTyped).bind(2, lower);
    std::vector<NewWordCheck::Match> rows;
    while (st.next()) rows.push_back({st.textValue(0), st.intValue(1)});
    return rows;
}

}  // namespace

NewWordCheck::NewWordCheck(const QString& proposed)
{
    dictionaryState().wordToGoTo.clear();
    setText(proposed);
}

void NewWordCheck::setText(const QString& text)
{
    text_ = text.left(kWordFieldLength);
    counter_ = 0;
    dictionary_.clear();
    dictionaryShown_ = false;
    testVisible_ = true;
    testCaption_ = kTestCaption;
}

void NewWordCheck::pressTest()
{
    if (!testVisible_ || text_.isEmpty()) return;
    ++counter_;
    runQueries(counter_ >= 2);
    if (counter_ == 1) {
        testCaption_ = kTestMoreCaption;
    } else {
        testVisible_ = false;
    }
}

void NewWordCheck::runQueries(bool anywhere)
{
    // WORD in the order rows were added, INFLEC in its key order.
    dictionary_ = matches(QStringLiteral("WORD"), QStringLiteral("rowid"), text_, anywhere);
    inflections_ = matches(QStringLiteral("INFLEC"), QStringLiteral("Word, WNo"), text_, anywhere);
    dictionaryShown_ = !dictionary_.empty();
    if (dictionaryShown_)
        inflectionsShown_ = false;
    else
        inflectionsShown_ = !inflections_.empty();
}

NewWordCheck::Grid NewWordCheck::shownGrid() const
{
    if (dictionaryShown_) return Grid::Dictionary;
    if (inflectionsShown_) return Grid::Inflections;
    return Grid::None;
}

QString NewWordCheck::gridLabel() const
{
    switch (shownGrid()) {
    case Grid::Dictionary: return QStringLiteral("Dictionary: ");
    case Grid::Inflections: return QStringLiteral("Inflections: ");
    default: return {};
    }
}

void NewWordCheck::chooseDictionaryMatch(int row)
{
    if (row >= 0 && row < int(dictionary_.size()))
        dictionaryState().wordToGoTo = dictionary_[row].word;
}

void NewWordCheck::chooseInflectionMatch(int row)
{
    if (row >= 0 && row < int(inflections_.size()))
        dictionaryState().wordToGoTo = QStringLiteral("*") + inflections_[row].word;
}

void NewWordCheck::erase(bool hasSelection)
{
    if (hasSelection || text_.isEmpty()) return;
    setText(text_.left(text_.size() - 1));
}

int NewWordCheck::ok()
{
    QString trimmed = text_.trimmed();
    if (trimmed != text_) setText(trimmed);
    if (trimmed.isEmpty()) return 0;
    int number = CreateWord(trimmed);
    if (number > 0) text_.clear();
    return number;
}

}  // namespace qb
