#include "dictionary/Concepts.h"

#include "cards/Collection.h"

#include "dictionary/DictionaryTypes.h"
#include "dictionary/DictionaryWindows.h"
#include "floor/Messages.h"
#include "platform/Clock.h"
#include "session/Session.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <random>

namespace qb {

namespace {

sql::Database& db() { return session().store.db(); }

struct ColorSource {
    std::mt19937_64 engine;
    bool seeded = false;
    // The colour of the concept card made or merged into last.
    int current = 0;
};

ColorSource& colorSource() { return session().part<ColorSource>(); }

int& currentColor() { return colorSource().current; }

// Binds the bounds of a concept id's tolerance band to ?lo and ?hi.
void bindId(sql::Statement& st, int lo, Timestamp id)
{
    st.bind(lo, static_cast<double>(id - kConceptIdTolerance));
    st.bind(lo + 1, static_cast<double>(id + kConceptIdTolerance));
}

bool runStep(const QString& sql, const std::function<void(sql::Statement&)>& bind,
             int* changes = nullptr)
{
    // A failing step is undone alone and the merge goes on.
    sql::Savepoint step(db(), QStringLiteral("mergestep"));
    sql::Statement st(db(), sql);
    bind(st);
    if (!step.isActive() || !st.run()) {
        step.rollback();
        return false;
    }
    if (changes) *changes += db().changes();
    step.release();
    return true;
}

// Step 3 of the merge for one word W merged into T in concept X.
void relinkWord(int w, int t, Timestamp x, MergeResult& result)
{
    runStep(QStringLiteral("UPDATE ITEMKEYS SET WNo = ?1 WHERE WNo = ?2"),
            [&](sql::Statement& st) { st.bind(1, t).bind(2, w); });
    // The merged concept keeps only the remaining word.
    runStep(QStringLiteral("DELETE FROM DICT WHERE C > ?1 AND C < ?2 AND WNo <> ?3"),
            [&](sql::Statement& st) {
                bindId(st, 1, x);
                st.bind(3, t);
            });
    // Other concepts: W goes where T is already, else W becomes T.
    runStep(QStringLiteral("DELETE FROM DICT WHERE WNo = ?3 AND NOT (C > ?1 AND C < ?2) "
                           "AND C IN (SELECT C FROM DICT WHERE WNo = ?4)"),
            [&](sql::Statement& st) {
                bindId(st, 1, x);
                st.bind(3, w).bind(4, t);
            });
    runStep(QStringLiteral("UPDATE DICT SET WNo = ?3 WHERE WNo = ?4 AND NOT (C > ?1 AND C < ?2)"),
            [&](sql::Statement& st) {
                bindId(st, 1, x);
                st.bind(3, t).bind(4, w);
            });
    runStep(
        QStringLiteral("DELETE FROM WORD WHERE WNo = ?1"),
        [&](sql::Statement& st) { st.bind(1, w); }, &result.wordsRemoved);
}

// Step 4: concepts with the same words become the earliest of them.
void foldDuplicateConcepts(MergeResult& result)
{
    std::vector<std::pair<Timestamp, QString>> signatures;
    {
        sql::Statement st(db(), QStringLiteral("SELECT C, WNo FROM DICT ORDER BY C, WNo"));
        while (st.next()) {
            Timestamp c = st.extValue(0);
            if (signatures.empty() || signatures.back().first != c)
                signatures.push_back({c, QString()});
            signatures.back().second += QLatin1Char('*') + QString::number(st.intValue(1));
        }
    }
    QHash<QString, Timestamp> first;
    for (const auto& [c, signature] : signatures) {
        if (signature.isEmpty()) continue;
        auto it = first.constFind(signature);
        if (it == first.constEnd()) {
            first.insert(signature, c);
            continue;
        }
        Timestamp keep = *it;
        bool moved =
            runStep(QStringLiteral("UPDATE ITEMKEYS SET ITC = ?3 WHERE ITC > ?1 AND ITC < ?2"),
                    [&](sql::Statement& st) {
                        bindId(st, 1, c);
                        st.bind(3, keep);
                    });
        bool removed = runStep(QStringLiteral("DELETE FROM DICT WHERE C > ?1 AND C < ?2"),
                               [&](sql::Statement& st) { bindId(st, 1, c); });
        if (moved && removed) ++result.conceptsFolded;
    }
}

// Step 5: an item keeps the first of several keyword links through one concept. Twenty kept
// concepts fill the table; the row after that is passed over and the table starts afresh.
void removeDuplicateLinks(MergeResult& result)
{
    constexpr int kTableSize = 20;
    std::vector<long long> doomed;
    {
        sql::Statement st(
            db(), QStringLiteral("SELECT rowid, IT, ITC FROM ITEMKEYS ORDER BY IT, \"Order\""));
        std::vector<Timestamp> kept;
        bool haveItem = false;
        Timestamp item = 0;
        bool skipNext = false;
        while (st.next()) {
            Timestamp it = st.extValue(1);
            Timestamp itc = st.extValue(2);
            if (!haveItem || !sameId(it, item, 1e-11L)) {
                haveItem = true;
                item = it;
                kept.clear();
                skipNext = false;
            }
            if (skipNext) {
                skipNext = false;
                continue;
            }
            bool duplicate = std::any_of(kept.begin(), kept.end(), [itc](Timestamp k) {
                return sameId(k, itc, kConceptIdTolerance);
            });
            if (duplicate) {
                doomed.push_back(st.int64Value(0));
                continue;
            }
            kept.push_back(itc);
            if (int(kept.size()) == kTableSize) {
                kept.clear();
                skipNext = true;
            }
        }
    }
    for (long long rowId : doomed)
        runStep(
            QStringLiteral("DELETE FROM ITEMKEYS WHERE rowid = ?1"),
            [&](sql::Statement& st) { st.bind(1, rowId); }, &result.linksRemoved);
}

}  // namespace

void SeedConceptColors(quint64 seed)
{
    colorSource().engine.seed(seed);
    colorSource().seeded = true;
}

int GetNewConceptColor()
{
    ColorSource& source = colorSource();
    if (!source.seeded) SeedConceptColors(quint64(session().clock().now().toMSecsSinceEpoch()));
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    return int(uniform(source.engine) * 16777215.0);
}

std::optional<ConceptCardData> NewConcept(const NewConceptRequest& request)
{
    Session& s = session();
    s.hooks.commit();
    ConceptCardData card;
    card.pos = QPoint(request.x == -1 ? s.settings.createSpotSX : request.x,
                      request.y == -1 ? s.settings.createSpotSY : request.y);
    card.conceptId = GetQBTS();
    card.unsaved = true;
    card.size = QSize(s.settings.synWheelWidth, s.settings.synWheelHeight);
    card.normalSize = card.size;
    card.color = GetNewConceptColor();
    card.changed = true;
    if (request.withWord && request.wordNo != 0)
        card.words.push_back({request.wordNo, request.word.left(kWordTextLimit)});
    if (dictionaryHooks().placeConceptCard && !dictionaryHooks().placeConceptCard(card))
        return std::nullopt;
    return card;
}

std::optional<ConceptCardData> CreateBlankConcept()
{
    std::optional<ConceptCardData> card = NewConcept({});
    if (card) currentColor() = card->color;
    return card;
}

int currentConceptColor() { return currentColor(); }

ConceptsOfWordResult ConceptsOfWord(int wordNo)
{
    ConceptsOfWordResult result;
    std::vector<Timestamp> ids;
    {
        sql::Statement st(db(),
                          QStringLiteral("SELECT C, WNo FROM DICT WHERE WNo = ?1 ORDER BY C"));
        st.bind(1, wordNo);
        while (st.next()) ids.push_back(st.extValue(0));
    }
    sql::Statement words(db(), QStringLiteral("SELECT a.C, a.WNo, b.Word FROM DICT a, WORD b "
                                              "WHERE a.C = ?1 AND a.WNo = b.WNo ORDER BY a.WNo"));
    for (Timestamp id : ids) {
        words.reset();
        words.bind(1, id);
        QStringList texts;
        while (words.next()) texts << words.textValue(2);
        result.list.push_back({id, texts.join(QStringLiteral(", "))});
    }
    result.kind = ids.empty() ? 0 : (ids.size() == 1 ? 1 : 2);
    if (result.kind == 1) result.conceptId = ids.front();
    return result;
}

CollapseList CollapseListOf(const ConceptCardData& card, int selected)
{
    CollapseList list;
    if (selected < 0 || selected >= int(card.words.size())) return list;
    list.push_back({card.words[selected].word, card.words[selected].wordNo});
    for (int i = 0; i < int(card.words.size()); ++i)
        if (i != selected) list.push_back({card.words[i].word, card.words[i].wordNo});
    return list;
}

MergeResult MergeConceptWords(const CollapseList& words, Timestamp conceptId)
{
    MergeResult result;
    if (words.empty()) return result;
    const CollapseWord& remaining = words.front();
    if (!AskYesDefault(QStringLiteral("Ok to relink all words in the window to: ") + remaining.word,
                       0))
        return result;
    {
        sql::Transaction tx(db());
        if (!tx.isActive()) {
            SysProblem(QStringLiteral("Merge failed: ") + db().lastError());
            return result;
        }
        for (size_t i = 1; i < words.size(); ++i) {
            // The remaining word itself, or a word the card never saved, has nothing to relink.
            if (words[i].wordNo == remaining.wordNo || words[i].wordNo == 0) continue;
            relinkWord(words[i].wordNo, remaining.wordNo, conceptId, result);
        }
        foldDuplicateConcepts(result);
        removeDuplicateLinks(result);
        QString error;
        if (!tx.commit(&error)) {
            SysProblem(QStringLiteral("Merge failed: ") + error);
            return MergeResult();
        }
    }
    result.done = true;
    // As the tool bar's "Clear all": the cards go, dictionary and project windows stay.
    ClearCards(ClearCommand::AllCards);
    if (AskYesDefault(
            QStringLiteral("Merge done; Do you want to add the collapsed word(s) to inflections"),
            0)) {
        sql::Transaction tx(db());
        sql::Statement st(
            db(), QStringLiteral("INSERT OR IGNORE INTO INFLEC (Word, WNo) VALUES (?1, ?2)"));
        for (size_t i = 1; i < words.size(); ++i) {
            st.reset();
            st.bind(1, words[i].word).bind(2, remaining.wordNo);
            st.run();
        }
        result.formsAdded = tx.commit();
    }
    return result;
}

int ClearSynWheels(const std::vector<ConceptCardData*>& cards)
{
    dictionaryHooks().toLogo();
    int hidden = 0;
    for (ConceptCardData* card : cards) {
        if (!card || card->marked) continue;
        card->hidden = true;
        ++hidden;
    }
    return hidden;
}

}  // namespace qb
