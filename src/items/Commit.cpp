#include "items/Commit.h"

#include "cards/CardHost.h"
#include "dictionary/ConceptCardData.h"
#include "floor/Messages.h"
#include "items/ItemCardData.h"
#include "items/ItemHooks.h"
#include "items/ItemRecord.h"
#include "items/RecoveryFile.h"
#include "platform/Sqlite.h"
#include "session/Session.h"
#include "store/Schema.h"
#include "store/Timestamps.h"

#include <sqlite3.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

namespace qb {

namespace {

const char* const kGeneralUpdateError = "M2000-3 general Update error";
const char* const kCardProblem = "Some problem with update items";

// Timestamps drawn before the transaction begins: the generator may wait for the next second
// with events let through, and that should not happen while the tables are locked.
class TimestampPool {
public:
    void fill(int count)
    {
        for (int i = 0; i < count; ++i) values_.push_back(GetQBTSMark());
    }
    Timestamp next()
    {
        if (values_.empty()) return GetQBTSMark();
        Timestamp t = values_.front();
        values_.pop_front();
        return t;
    }

private:
    std::deque<Timestamp> values_;
};

struct Statements {
    explicit Statements(sql::Database& db)
        : itemExists(db, QStringLiteral("SELECT 1 FROM ITEM WHERE IT = ?1")),
          itemInsert(db, QStringLiteral("INSERT INTO ITEM (IT, TX, ITS, Animation) "
                                        "VALUES (?1, NULL, ?1, NULL)")),
          itemUpdate(db, QStringLiteral("UPDATE ITEM SET TX = COALESCE(?2, TX), "
                                        "Animation = CASE WHEN ?5 THEN Animation ELSE ?3 END, "
                                        "ITS = ?4 WHERE IT = ?1")),
          itemDelete(db, QStringLiteral("DELETE FROM ITEM WHERE IT = ?1")),
          keysDelete(db, QStringLiteral("DELETE FROM ITEMKEYS WHERE IT = ?1")),
          keyInsert(db, QStringLiteral("INSERT INTO ITEMKEYS (IT, \"Order\", ITC, WNo) "
                                       "VALUES (?1, ?2, ?3, ?4)")),
          urlsDelete(db, QStringLiteral("DELETE FROM ITEMURL WHERE IT = ?1")),
          urlInsert(db, QStringLiteral("INSERT INTO ITEMURL (IT, \"Order\", Project) "
                                       "VALUES (?1, ?2, ?3)")),
          conceptUses(db, QStringLiteral("SELECT EXISTS (SELECT 1 FROM ITEM i WHERE i.IT = k.IT) "
                                         "FROM ITEMKEYS k WHERE k.ITC = ?1")),
          dictDelete(db, QStringLiteral("DELETE FROM DICT WHERE C = ?1")),
          dictHas(db, QStringLiteral("SELECT 1 FROM DICT WHERE C = ?1 AND WNo = ?2")),
          dictInsert(db, QStringLiteral("INSERT INTO DICT (C, WNo, CTS) VALUES (?1, ?2, ?3)"))
    {
    }

    bool valid(QString* error) const
    {
        for (const sql::Statement* st :
             {&itemExists, &itemInsert, &itemUpdate, &itemDelete, &keysDelete, &keyInsert,
              &urlsDelete, &urlInsert, &conceptUses, &dictDelete, &dictHas, &dictInsert}) {
            if (!st->isValid()) {
                *error = st->error();
                return false;
            }
        }
        return true;
    }

    sql::Statement itemExists, itemInsert, itemUpdate, itemDelete;
    sql::Statement keysDelete, keyInsert, urlsDelete, urlInsert;
    sql::Statement conceptUses, dictDelete, dictHas, dictInsert;
};

// A statement run once with fresh bindings; reset afterwards so it can be used again.
class Use {
public:
    explicit Use(sql::Statement& st) : st_(st) { st_.reset(); }
    ~Use() { st_.reset(); }
    sql::Statement& operator*() { return st_; }
    sql::Statement* operator->() { return &st_; }

private:
    sql::Statement& st_;
};

// The card flags the pass changes, applied only once the transaction is on the disk.
struct Outcome {
    CardData* card = nullptr;
    bool clearPendingTS = false;
    bool revive = false;
    bool itemRowWritten = false;  // the ITEM record was written or deleted
};

// A step that failed: the card is rolled back; message is what the user is told.
struct CardFailure {
    QString message;
};

class CommitPass {
public:
    CommitPass(sql::Database& db, Statements& st, TimestampPool& pool, CommitResult& result)
        : db_(db), st_(st), pool_(pool), result_(result)
    {
    }

    // Messages to show after the transaction, in card order. A note tells what a card's write
    // did and goes with the write when that is rolled back; a problem tells what failed.
    struct Note {
        std::function<void()> show;
        bool problem = false;
    };
    std::vector<Note> notes;

    // A rolled-back write did nothing: its notes go, its problems stay.
    void forgetNotesFrom(size_t first)
    {
        auto told = std::remove_if(notes.begin() + first, notes.end(),
                                   [](const Note& note) { return !note.problem; });
        notes.erase(told, notes.end());
    }

    // False with failure set when a step failed.
    bool item(ItemCardData& card, Outcome& outcome, CardFailure& failure);
    bool conceptCard(ConceptCardData& card, Outcome& outcome, CardFailure& failure);

private:
    static bool fail(CardFailure& failure, const char* message)
    {
        failure.message = QString::fromLatin1(message);
        return false;
    }
    static bool fail(CardFailure& failure, const QString& message)
    {
        failure.message = message;
        return false;
    }
    static bool run(sql::Statement& st, CardFailure& failure, const char* message)
    {
        return st.run() || fail(failure, message);
    }

    sql::Database& db_;
    Statements& st_;
    TimestampPool& pool_;
    CommitResult& result_;
};

bool CommitPass::item(ItemCardData& card, Outcome& outcome, CardFailure& failure)
{
    const Timestamp id = card.itemId;
    const bool keep = !card.deleted && !card.isEmpty();
    if (keep) {
        const QString refusal = ItemTextRefusal(card.text);
        if (!refusal.isEmpty()) return fail(failure, refusal);
    }

    if (keep) {
        Use exists(st_.itemExists);
        exists->bind(1, id);
        bool found = exists->next();
        if (!exists->ok()) return fail(failure, kCardProblem);
        if (!found) {
            Use insert(st_.itemInsert);
            insert->bind(1, id);
            if (!run(*insert, failure, kCardProblem)) return false;
        }
    }

    {
        Use del(st_.keysDelete);
        del->bind(1, id);
        if (!run(*del, failure, "Problem ALTREFRESHITEMMETHOD")) return false;
    }
    if (keep) {
        int order = 0;
        for (const KeywordLink& link : card.keywords) {
            Use insert(st_.keyInsert);
            insert->bind(1, id).bind(2, ++order).bind(3, link.conceptId).bind(4, link.wordNo);
            if (!run(*insert, failure, kCardProblem)) return false;
        }
    }

    {
        Use del(st_.urlsDelete);
        del->bind(1, id);
        if (!run(*del, failure, "Problem ALTREFRESHURLMETHOD")) return false;
    }
    if (keep) {
        int order = 0;
        for (const QString& project : card.projects) {
            Use insert(st_.urlInsert);
            insert->bind(1, id).bind(2, ++order).bind(3, project);
            if (!run(*insert, failure, kCardProblem)) return false;
        }
    }

    if (!keep) {
        Use del(st_.itemDelete);
        del->bind(1, id);
        if (!run(*del, failure, kCardProblem)) return false;
        if (db_.changes() > 0) {
            ++result_.itemsRemoved;
            outcome.itemRowWritten = true;
        }
        return true;
    }

    QByteArray picture;
    if (card.hasPicture) {
        if (card.picture.height() == 0)
            notes.push_back({[] { SysProblem(QStringLiteral("0 image height")); }, true});
        picture = PictureToStoredBytes(card.picture);
        if (picture.isEmpty())
            notes.push_back({[] { SysProblem(QStringLiteral("Failed to save image")); }, true});
    }
    Timestamp its = card.pendingTS;
    if (its != 0)
        outcome.clearPendingTS = true;
    else
        its = pool_.next();

    Use update(st_.itemUpdate);
    update->bind(1, id);
    // An erased text leaves the stored one as it was.
    if (card.text.isEmpty())
        update->bindNull(2);
    else
        update->bind(2, NormalizeLineBreaks(card.text));
    update->bindBlob(3, picture.isEmpty() ? QByteArray() : picture);
    update->bind(4, its);
    // A stored picture the card could not show is not the card's to drop.
    update->bind(5, card.pictureUnread && !card.hasPicture ? 1 : 0);
    if (!run(*update, failure, kCardProblem)) return false;
    ++result_.itemsWritten;
    outcome.itemRowWritten = true;
    return true;
}

bool CommitPass::conceptCard(ConceptCardData& card, Outcome& outcome, CardFailure& failure)
{
    const Timestamp id = card.conceptId;
    const Timestamp stamp = pool_.next();
    bool deleted = card.deleted;

    if (deleted) {
        // Every link counts: one dangling link must not hide another item that still uses the
        // concept. A link whose item cannot be looked up counts as used.
        bool used = false;
        bool dangling = false;
        Use uses(st_.conceptUses);
        uses->bind(1, id);
        while (uses->next()) {
            if (uses->intValue(0) != 0)
                used = true;
            else
                dangling = true;
        }
        if (!uses->ok()) return fail(failure, kCardProblem);
        if (used) {
            deleted = false;
            outcome.revive = true;
            notes.push_back({[] {
                ShowInfo(QStringLiteral("Concepts that are still in use by items was reinserted"),
                         QStringLiteral("qb2145"), kInformation, 40020);
            }});
        } else if (dangling) {
            notes.push_back({[] {
                PlainMessage(QStringLiteral("Inconsistent linkages found while deleting. 3164"));
            }});
        }
    }

    {
        Use del(st_.dictDelete);
        del->bind(1, id);
        if (!run(*del, failure, "Problem ALTREFRESHDICTMETHOD")) return false;
        if (deleted && db_.changes() > 0) ++result_.conceptsRemoved;
    }

    if (deleted || card.isEmpty()) return true;

    const int count = std::min(int(card.words.size()), ConceptCardData::kMaxSavedWords);
    for (int k = 0; k < count; ++k) {
        const int wordNo = card.words[k].wordNo;
        Use has(st_.dictHas);
        has->bind(1, id).bind(2, wordNo);
        bool present = has->next();
        if (!has->ok()) return fail(failure, "M2000-2-b");
        if (present) {
            QString text = QStringLiteral("Dict test dupl: ") +
                           QString::number(double(id), 'g', 15) + QStringLiteral(" W:") +
                           QString::number(wordNo);
            notes.push_back({[text] { PlainMessage(text); }});
            continue;
        }
        if (wordNo <= 0) continue;
        Use insert(st_.dictInsert);
        insert->bind(1, id).bind(2, wordNo).bind(3, stamp);
        if (!run(*insert, failure, kCardProblem)) return false;
    }
    ++result_.conceptsWritten;
    return true;
}

bool inTransaction(sql::Database& db) { return sqlite3_get_autocommit(db.handle()) == 0; }

Timestamp* newCardId(CardData* card)
{
    if (auto* item = dynamic_cast<ItemCardData*>(card)) return &item->itemId;
    if (auto* conceptCard = dynamic_cast<ConceptCardData*>(card)) return &conceptCard->conceptId;
    return nullptr;
}

}  // namespace

bool ClaimFreeIds(Store& store, const std::vector<CardData*>& cards,
                  bool (*takesPart)(const CardData*))
{
    constexpr long double kStep = TimestampGenerator::kCounterStep;
    constexpr int kMaxSteps = 100000;
    std::vector<Timestamp> inPass;
    for (CardData* card : cards)
        if (takesPart(card) && card->unsaved) inPass.push_back(*newCardId(card));
    auto clashes = [&](Timestamp id, size_t self) -> std::optional<bool> {
        for (size_t i = 0; i < inPass.size(); ++i)
            if (i != self && sameId(inPass[i], id, kStep / 2)) return true;
        return IdIsStored(store, id);
    };
    size_t index = 0;
    for (CardData* card : cards) {
        if (!takesPart(card) || !card->unsaved) continue;
        Timestamp* id = newCardId(card);
        const Timestamp old = *id;
        Timestamp candidate = old;
        for (int step = 0;; ++step) {
            const std::optional<bool> clash = clashes(candidate, index);
            if (!clash) return false;
            if (!*clash) break;
            if (step == kMaxSteps) return false;
            candidate -= kStep;
        }
        inPass[index++] = candidate;
        if (candidate == old) continue;
        *id = candidate;
        if (!dynamic_cast<ConceptCardData*>(card)) continue;
        for (CardData* other : cards)
            if (auto* item = dynamic_cast<ItemCardData*>(other))
                for (KeywordLink& link : item->keywords)
                    if (sameId(link.conceptId, old, kConceptIdTolerance))
                        link.conceptId = candidate;
    }
    return true;
}

namespace {

bool openLinkTables(Store& store, QString* error)
{
    for (const char* name : {"ITEMKEYS", "ITEMURL", "DICT"}) {
        const schema::Table* table = schema::find(QString::fromLatin1(name));
        if (!table) return false;
        if (!store.isAttached(table->name) && !store.attachTable(*table, false, error))
            return false;
    }
    return true;
}

bool takesPart(const CardData* card)
{
    if (!card || !card->changed || card->unfreeable || card->beingReordered) return false;
    return dynamic_cast<const ItemCardData*>(card) || dynamic_cast<const ConceptCardData*>(card);
}

int timestampsNeeded(const std::vector<CardData*>& cards)
{
    int n = 0;
    for (CardData* card : cards) {
        if (!takesPart(card)) continue;
        if (auto* item = dynamic_cast<ItemCardData*>(card)) {
            if (!item->deleted && !item->isEmpty() && item->pendingTS == 0) ++n;
        } else {
            ++n;
        }
    }
    return n;
}

void apply(const Outcome& outcome, CommitResult& result)
{
    CardData* card = outcome.card;
    card->changed = false;
    card->unsaved = false;
    if (outcome.clearPendingTS) card->pendingTS = 0;
    if (outcome.revive) {
        card->deleted = false;
        card->hidden = false;
        card->marked = true;
        result.revived.push_back(static_cast<ConceptCardData*>(card));
    }
}

}  // namespace

namespace {

// Held while a commit pass runs: a message shown inside it may run another, which must wait.
struct CommitEntry {
    RunMark mark;
};

}  // namespace

CommitResult CommitCards(const std::vector<CardData*>& cardsInOrder)
{
    CommitResult result;
    Session& s = session();
    RunGuard entry(s.part<CommitEntry>().mark);
    if (!entry.outermost()) {
        result.busy = true;
        return result;
    }
    s.flags.clearEscape();
    s.flags.releaseAbort();
    s.commitRunning.raise();
    // A commit lowers the mark whoever raised it; the pass may be entered again from here on.
    auto finish = [&s, &entry] {
        s.commitRunning.lower();
        entry.leave();
    };

    sql::Database& db = s.store.db();
    QString why;
    if (!s.store.isOpen() || !openLinkTables(s.store, &why)) {
        finish();
        NonTrivialError(QString::fromLatin1(kGeneralUpdateError));
        return result;
    }

    TimestampPool pool;
    pool.fill(timestampsNeeded(cardsInOrder));

    Statements statements(db);
    // Inside a command's own transaction (the CLI's item add) the pass is a savepoint of it.
    sql::WriteScope transaction(db);
    if (!statements.valid(&why) || !transaction.isActive() ||
        !ClaimFreeIds(s.store, cardsInOrder, takesPart)) {
        finish();
        NonTrivialError(QString::fromLatin1(kGeneralUpdateError));
        return result;
    }
    result.ran = true;

    CommitPass pass(db, statements, pool, result);
    std::vector<Outcome> outcomes;
    std::vector<CardData*> tried;
    bool lost = false;  // the engine ended the transaction itself
    for (CardData* card : cardsInOrder) {
        if (!takesPart(card)) continue;
        tried.push_back(card);
        Outcome outcome;
        outcome.card = card;
        CardFailure failure;
        const size_t notesBefore = pass.notes.size();
        const int counted[] = {result.itemsWritten, result.itemsRemoved, result.conceptsWritten,
                               result.conceptsRemoved};
        sql::Savepoint savepoint(db, QStringLiteral("card"));
        bool done = savepoint.isActive();
        if (done) {
            if (auto* item = dynamic_cast<ItemCardData*>(card))
                done = pass.item(*item, outcome, failure);
            else
                done = pass.conceptCard(*static_cast<ConceptCardData*>(card), outcome, failure);
        }
        if (done) done = savepoint.release();
        if (done) {
            outcomes.push_back(outcome);
            continue;
        }
        savepoint.rollback();
        pass.forgetNotesFrom(notesBefore);
        result.itemsWritten = counted[0];
        result.itemsRemoved = counted[1];
        result.conceptsWritten = counted[2];
        result.conceptsRemoved = counted[3];
        result.failed.push_back(card);
        QString message =
            failure.message.isEmpty() ? QString::fromLatin1(kCardProblem) : failure.message;
        pass.notes.push_back({[message] { PlainMessage(message); }, true});
        if (!inTransaction(db)) {
            lost = true;
            break;
        }
    }

    if (lost || !transaction.commit(&why)) {
        transaction.rollback();
        result.committed = false;
        result.failed = tried;
        result.itemsWritten = result.itemsRemoved = result.conceptsWritten =
            result.conceptsRemoved = 0;
        finish();
        pass.forgetNotesFrom(0);
        for (const auto& note : pass.notes) note.show();
        NonTrivialError(QString::fromLatin1(kGeneralUpdateError));
        return result;
    }
    result.committed = true;
    for (const Outcome& outcome : outcomes) apply(outcome, result);
    finish();
    recovery::NotifyCommitted();
    std::vector<Timestamp> itemsWritten;
    for (const Outcome& outcome : outcomes)
        if (outcome.itemRowWritten)
            itemsWritten.push_back(static_cast<ItemCardData*>(outcome.card)->itemId);
    if (!itemsWritten.empty() && itemHooks().itemsWritten) itemHooks().itemsWritten(itemsWritten);
    for (const auto& note : pass.notes) note.show();
    return result;
}

void ReportUnwrittenCards(int cards)
{
    const QString what = cards == 1 ? QStringLiteral("1 card keeps its changes")
                                    : QStringLiteral("%1 cards keep their changes").arg(cards);
    ShowInfo(QStringLiteral("The changes could not be written to the store; ") + what +
                 QStringLiteral(" on the desktop. Another program may be writing to the store: "
                                "update again when it has finished."),
             QStringLiteral("qb2039"), kError, 40060);
}

}  // namespace qb
