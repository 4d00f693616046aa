#include "dictionary/Words.h"

#include "dictionary/AlphabeticalWordIndex.h"
#include "dictionary/DictionaryBrowser.h"
#include "dictionary/DictionaryState.h"
#include "dictionary/DictionaryWindows.h"
#include "dictionary/NewWordCheck.h"
#include "floor/Messages.h"
#include "platform/Clock.h"
#include "platform/Dates.h"
#include "platform/Sqlite.h"
#include "platform/TextChecks.h"
#include "session/Session.h"
#include "store/Schema.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

namespace qb {

namespace {

const QString kUnexpected = QStringLiteral("Unexpected database error");

sql::Database& db() { return session().store.db(); }

// CommitRunning is up while a word operation writes: collection and auto-scroll wait.
class CommitRunningGuard {
public:
    CommitRunningGuard() : previous_(session().commitRunning.raised())
    {
        session().commitRunning.raise();
    }
    ~CommitRunningGuard()
    {
        if (previous_)
            session().commitRunning.raise();
        else
            session().commitRunning.lower();
    }

private:
    bool previous_;
};

void systemError(const QString& code)
{
    ShowInfo(kUnexpected, code, kSystemError, messages::kHelpDefault);
}

QString lowerWord(const QString& text) { return QLocale().toLower(text); }

// The words a form leads to: (word number, word text) of WORD rows joined to INFLEC rows.
struct FormHit {
    int wordNo;
    QString word;
};

std::vector<FormHit> formHits(const QString& condition, const QString& first, const QString& second)
{
    sql::Statement st(db(),
                      QStringLiteral("SELECT DISTINCT d1.WNo, d2.Word FROM INFLEC d1, WORD d2 "
                                     "WHERE (%1) AND d2.WNo = d1.WNo ORDER BY d1.WNo, d2.Word")
                          .arg(condition));
    st.bind(1, first).bind(2, second);
    std::vector<FormHit> hits;
    while (st.next()) hits.push_back({st.intValue(0), st.textValue(1)});
    return hits;
}

// Opens an inflection window per hit, asking "Stop now?" after every batch.
void openInflectionWindows(DictionaryWindowHost* window, const std::vector<FormHit>& hits,
                           bool position)
{
    int batch = std::max(1, session().settings.findBatchSize);
    for (int i = 1; i <= int(hits.size()); ++i) {
        const FormHit& hit = hits[i - 1];
        QString word = WordByNumber(hit.wordNo);
        if (window) {
            window->openInflectionWindow(hit.wordNo, word);
            if (position && window->browser().positionOnWord(word)) window->rowsChanged();
        }
        if (i >= 2 && i % batch == 0 && i < int(hits.size()) &&
            AskYesDefault(QStringLiteral("Stop now?"), 40050))
            break;
    }
}

// Yes to "... not found - Add word": the word is added at once and becomes the word found.
QString addMissingWord(const QString& question, const QString& code, const QString& text)
{
    if (!ShowInfo(question, code, kQuestionYes, messages::kHelpDefault)) return {};
    CallNewWord(text, true);
    return WordNumberOf(text) >= 0 ? text : QString();
}

// The first n characters; a letter outside the basic plane counts once and is never cut in two.
QString leftCharacters(const QString& text, int n)
{
    qsizetype end = 0;
    for (int count = 0; end < text.size() && count < n; ++count)
        end += (text.at(end).isHighSurrogate() && end + 1 < text.size()) ? 2 : 1;
    return text.left(end);
}

}  // namespace

bool RefuseControlCharacters(const QString& word)
{
    if (!HasControlCharacter(word)) return false;
    ShowInfo(ControlCharacterMessage(QStringLiteral("A word")), QStringLiteral("nw12"), kError,
             messages::kHelpDefault);
    return true;
}

namespace {

int createWord(const QString& text, int* existing)
{
    QString word = lowerWord(leftCharacters(text, kWordTextLimit).trimmed());
    if (word.isEmpty() || RefuseControlCharacters(word)) return -1;
    CommitRunningGuard running;
    sql::WriteScope tx(db());  // a command may make the word part of its own transaction
    if (!tx.isActive()) {
        systemError(QStringLiteral("NewWord op failed"));
        return -1;
    }
    if (existing) {
        // Looked up under the write lock: no other program can add the spelling in between.
        *existing = WordNumberOf(word);
        if (*existing > 0) {
            tx.rollback();
            return -1;
        }
    }
    sql::Statement top(db(), QStringLiteral("SELECT max(WNo) FROM WORD"));
    if (!top.next() && !top.ok()) {
        tx.rollback();
        systemError(QStringLiteral("NewWord op failed"));
        return -1;
    }
    int number = (top.isNull(0) ? 0 : top.intValue(0)) + 1;
    {
        // Items keep the keyword links of a deleted word; a new word must not take over its
        // number and with it those items' keywords. (Without the link table nothing is carried.)
        sql::Statement linked(db(), QStringLiteral("SELECT max(WNo) FROM ITEMKEYS"));
        if (linked.next() && !linked.isNull(0)) number = std::max(number, linked.intValue(0) + 1);
    }

    sql::Statement insertWord(
        db(), QStringLiteral("INSERT INTO WORD (Word, WNo, WTS) VALUES (?1, ?2, ?3)"));
    // WTS orders the dictionary and is no id: a mark, so a bulk import that makes hundreds of
    // words is not held to ten a second.
    insertWord.bind(1, word).bind(2, number).bind(3, GetQBTSMark());
    if (!insertWord.run()) {
        tx.rollback();
        systemError(QStringLiteral("NewWord op failed A"));
        return -1;
    }

    bool formFailed = false;
    {
        sql::Savepoint form(db(), QStringLiteral("newform"));
        // A reused number must not inherit forms that a merge left behind for a word that is gone.
        sql::Statement stale(db(), QStringLiteral("DELETE FROM INFLEC WHERE WNo = ?1"));
        stale.bind(1, number);
        sql::Statement insertForm(db(),
                                  QStringLiteral("INSERT INTO INFLEC (Word, WNo) VALUES (?1, ?2)"));
        insertForm.bind(1, word).bind(2, number);
        if (form.isActive() && stale.run() && insertForm.run())
            form.release();
        else {
            form.rollback();
            formFailed = true;
        }
    }
    if (!tx.commit()) {
        systemError(QStringLiteral("NewWord op failed"));
        return -1;
    }
    dictionaryState().lastNewWord = word;
    if (formFailed) systemError(QStringLiteral("NewInflect op failed"));
    return number;
}

}  // namespace

int CreateWord(const QString& text) { return createWord(text, nullptr); }

int CreateWordIfNew(const QString& text, int* existing)
{
    int known = 0;
    const int number = createWord(text, &known);
    if (existing) *existing = known > 0 ? known : 0;
    return number;
}

bool RenameWordRow(long long rowId, const QString& newText)
{
    sql::Statement st(db(), QStringLiteral("UPDATE WORD SET Word = ?1 WHERE rowid = ?2"));
    st.bind(1, newText).bind(2, rowId);
    return st.run();
}

int WordNumberOf(const QString& text)
{
    sql::Statement st(db(),
                      QStringLiteral("SELECT WNo FROM WORD WHERE Word = ?1 ORDER BY WNo LIMIT 1"));
    st.bind(1, lowerWord(leftCharacters(text, kWordTextLimit)));
    return st.next() ? st.intValue(0) : -1;
}

QString WordByNumber(int wordNo)
{
    sql::Statement st(
        db(), QStringLiteral("SELECT Word FROM WORD WHERE WNo = ?1 ORDER BY rowid LIMIT 1"));
    st.bind(1, wordNo);
    return st.next() ? st.textValue(0) : QString();
}

bool WordIsInAConcept(int wordNo)
{
    sql::Statement st(db(), QStringLiteral("SELECT 1 FROM DICT WHERE WNo = ?1 LIMIT 1"));
    st.bind(1, wordNo);
    return st.next();
}

WordEdit BeginRenameWord(DictionaryBrowser& window)
{
    WordEdit edit;
    DictionaryRow row = window.current();
    if (!row.isValid()) return edit;
    edit.rowId = row.rowId;
    edit.wordNo = row.wordNo;
    edit.oldText = row.word;
    edit.caption = QStringLiteral("CHANGE WORD FROM: ") + row.word;
    return edit;
}

bool FinishRenameWord(DictionaryBrowser& window, const WordEdit& edit,
                      const std::optional<QString>& input)
{
    QString newText =
        input ? lowerWord(leftCharacters(input->trimmed(), kWordFieldLength)) : QString();
    DictionaryRow row = window.current();
    bool changed = false;
    if (edit.rowId != 0 && row.isValid() && row.word == edit.oldText && !newText.isEmpty() &&
        newText != edit.oldText && !RefuseControlCharacters(newText)) {
        if (RenameWordRow(row.rowId, newText))
            changed = true;
        else
            ShowInfo(QStringLiteral("Update error: ") + newText, QStringLiteral("d715"), kError,
                     messages::kHelpDefault);
    }
    window.refresh();
    window.setOrder(DictOrder::Alphabetical);
    if (!newText.isEmpty()) window.positionOnWord(newText);
    return changed;
}

WordEdit BeginDeleteWord(DictionaryBrowser& window)
{
    WordEdit edit;
    DictionaryRow row = window.current();
    edit.caption = QStringLiteral("CONFIRM WORD DELETE");
    if (!row.isValid()) {
        edit.okEnabled = false;
        return edit;
    }
    edit.rowId = row.rowId;
    edit.wordNo = row.wordNo;
    edit.oldText = row.word;
    if (WordIsInAConcept(row.wordNo)) {
        ShowInfo(QStringLiteral("References exist, cannot remove. Run Ctrl+S if needed."),
                 QStringLiteral("dw53"), kInformation, messages::kHelpDefault);
        edit.okEnabled = false;
        edit.wordNo = 0;
    }
    return edit;
}

bool FinishDeleteWord(DictionaryBrowser& window, const WordEdit& edit, bool confirmed)
{
    if (!confirmed || !edit.okEnabled || edit.wordNo == 0) return false;
    DictionaryRow row = window.current();
    if (!row.isValid() || row.wordNo != edit.wordNo) return false;
    bool deleted = false;
    {
        sql::Transaction tx(db());
        // A concept may have taken the word since the dialog opened.
        if (tx.isActive() && !WordIsInAConcept(edit.wordNo)) {
            sql::Statement word(db(), QStringLiteral("DELETE FROM WORD WHERE rowid = ?1"));
            word.bind(1, row.rowId);
            sql::Statement forms(db(), QStringLiteral("DELETE FROM INFLEC WHERE WNo = ?1"));
            forms.bind(1, edit.wordNo);
            if (word.run()) {
                // Word and forms go together: a word left without its forms' clean-up would hand
                // its stale forms to the next word that gets its number.
                if (forms.run() && tx.commit())
                    deleted = true;
                else {
                    tx.rollback();
                    SysProblem(QStringLiteral("Delete in Inflections table failed"));
                }
            }
        }
    }
    window.reapplyDisplay();
    return deleted;
}

bool RenameWord(DictionaryBrowser& window, const QString& input)
{
    return FinishRenameWord(window, BeginRenameWord(window), input);
}

bool DeleteWord(DictionaryBrowser& window)
{
    WordEdit edit = BeginDeleteWord(window);
    return FinishDeleteWord(window, edit, edit.okEnabled);
}

bool TouchWord(DictionaryBrowser& window)
{
    DictionaryRow row = window.current();
    if (!row.isValid()) return false;
    {
        CommitRunningGuard running;
        sql::Statement st(db(),
                          QStringLiteral("UPDATE WORD SET WTS = ?1, WTS2 = ?2 WHERE rowid = ?3"));
        Timestamp wts = GetQBTS();
        Timestamp wts2 = GetQBTS();
        st.bind(1, wts).bind(2, wts2).bind(3, row.rowId);
        if (!st.isValid()) {
            systemError(QStringLiteral("Dict1 244"));
            return false;
        }
        if (!st.run()) {
            systemError(QStringLiteral("Dict1 219"));
            return false;
        }
    }
    // Through the other order and back, so that the keys carry the new stamps.
    window.refresh();
    if (window.order() == DictOrder::TimeStamp) {
        window.setOrder(DictOrder::Alphabetical);
        window.setOrder(DictOrder::TimeStamp);
    } else {
        window.setOrder(DictOrder::TimeStamp);
        window.setOrder(DictOrder::Alphabetical);
    }
    return true;
}

bool TouchWordUsage(DictionaryBrowser& window)
{
    DictionaryRow row = window.current();
    if (!row.isValid()) return false;
    {
        CommitRunningGuard running;
        sql::Statement st(db(), QStringLiteral("UPDATE WORD SET WTS2 = ?1 WHERE rowid = ?2"));
        st.bind(1, GetQBTS()).bind(2, row.rowId);
        if (!st.isValid()) {
            systemError(QStringLiteral("Dict1 269"));
            return false;
        }
        if (!st.run()) {
            systemError(QStringLiteral("Dict1 250"));
            return false;
        }
    }
    window.refresh();
    return true;
}

std::vector<Timestamp> ConceptIdsOfWord(int wordNo)
{
    sql::Statement st(
        db(), QStringLiteral("SELECT DISTINCT C, CTS FROM DICT WHERE WNo = ?1 ORDER BY CTS"));
    st.bind(1, wordNo);
    std::vector<Timestamp> ids;
    while (st.next()) {
        Timestamp id = st.extValue(0);
        bool seen =
            std::any_of(ids.begin(), ids.end(), [id](Timestamp t) { return sameId(t, id, 1e-7L); });
        if (!seen) ids.push_back(id);
    }
    return ids;
}

bool FreeWordDrop(int wordNo)
{
    std::vector<Timestamp> ids = ConceptIdsOfWord(wordNo);
    if (ids.empty()) return false;
    const Settings& s = session().settings;
    if (dictionaryHooks().developConcepts)
        dictionaryHooks().developConcepts(ids, QPoint(s.createSpotSX, s.createSpotSY));
    sql::Statement st(db(), QStringLiteral("UPDATE WORD SET WTS2 = ?1 WHERE WNo = ?2"));
    st.bind(1, GetQBTS()).bind(2, wordNo);
    if (!st.run()) systemError(QStringLiteral("Dict1 250"));
    return true;
}

QString WordListToClipboard(const QString& table, const QString& tag)
{
    const schema::Table* t = schema::find(table);
    if (!t || (t->name != QStringLiteral("WORD") && t->name != QStringLiteral("INFLEC"))) {
        SysProblem(QStringLiteral("Building Word List failed"));
        return {};
    }
    sql::Statement st(db(), QStringLiteral("SELECT Word FROM %1").arg(t->name));
    std::vector<std::pair<QCollatorSortKey, QString>> words;
    QCollator collator = AlphabeticalWordIndex::makeCollator();
    while (st.next()) {
        QString w = st.textValue(0);
        words.emplace_back(collator.sortKey(w), w);
    }
    if (!st.ok()) {
        SysProblem(QStringLiteral("Building Word List failed"));
        return {};
    }
    std::stable_sort(words.begin(), words.end(),
                     [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
    const Settings& s = session().settings;
    QString text = QStringLiteral(" ----- ") + tag + QLatin1Char(' ') +
                   dates::shortDateTime(session().clock().now(), s.dateFormat, s.dateSeparator) +
                   QStringLiteral(" ----- \r\n\r\n");
    for (const auto& w : words) {
        if (text.size() >= kWordListLimit) break;
        text += w.second;
        text += QLatin1Char(' ');
    }
    text.truncate(kWordListLimit);
    dictionaryHooks().toClipboard(text);
    return text;
}

QString FindViaInflections(DictionaryWindowHost* window, const QString& text, bool substringAtOnce)
{
    QString found;
    if (!substringAtOnce) {
        std::vector<FormHit> hits =
            formHits(QStringLiteral("d1.Word = ?1 OR d1.Word = ?2"), text, lowerWord(text));
        if (!hits.empty()) {
            found = hits.front().word;
            openInflectionWindows(window, hits, true);
            return found;
        }
    }
    QString searched = text;
    bool substring =
        substringAtOnce ||
        ShowInfo(QStringLiteral("Not found -  try a substring search?"), QStringLiteral("d568"),
                 kInputRequest, searched, messages::kHelpDefault);
    if (!substring)
        return addMissingWord(QLatin1Char('"') + text + QStringLiteral("\"  not found - Add word"),
                              QStringLiteral("d592b"), text);
    if (searched.isEmpty()) return {};
    QString pattern = QStringLiteral("%") + sql::likeLiteral(searched) + QStringLiteral("%");
    QString lowerPattern =
        QStringLiteral("%") + sql::likeLiteral(lowerWord(searched)) + QStringLiteral("%");
    std::vector<FormHit> hits =
        formHits(QStringLiteral("d1.Word LIKE ?1 ESCAPE '\\' OR d1.Word LIKE ?2 ESCAPE '\\'"),
                 pattern, lowerPattern);
    if (hits.empty())
        return addMissingWord(QStringLiteral("The substring  \"") + searched +
                                  QStringLiteral("\"  not found - Add word"),
                              QStringLiteral("d592"), searched);
    openInflectionWindows(window, hits, false);
    return found;
}

}  // namespace qb
