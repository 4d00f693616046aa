#include "search/TextSearch.h"

#include "cards/CardHost.h"
#include "dictionary/AlphabeticalWordIndex.h"
#include "floor/Messages.h"
#include "floor/Messenger.h"
#include "floor/RunContext.h"
#include "items/ItemCardData.h"
#include "search/ItemTextIndex.h"
#include "session/Session.h"

#include <algorithm>

namespace qb::search {

namespace {

// Writes noted inside a transaction that has not committed yet (the CLI's item add).
struct TentativeWrites {
    std::vector<Timestamp> items;
};

QString idText(Timestamp id) { return QString::number(double(id), 'g', 15); }

// One item of the store as the item phase sees it before reading its text.
struct ItemRow {
    long long rowId = 0;
    Timestamp it = 0;
    Timestamp its = 0;
    bool itsNull = false;
    bool picture = false;
};

// The picture test of the item phase: Animation not empty.
const char kPictureColumn[] = "(Animation IS NOT NULL AND length(Animation) > 0)";

class Run {
public:
    Run(const SearchRequest& request, const SearchCallbacks& callbacks, SearchOutcome& outcome)
        : request_(request),
          callbacks_(callbacks),
          out_(outcome),
          text_(ComposedForSearch(request.text))
    {
        batch_ = std::max(1, runContext().settings.findBatchSize);
        allPictures_ = request.picturesOnly && request.text.isEmpty();
        ResumePoint& resume = searchState().resume;
        resuming_ = resume.exists() && resume.text == request.text;
        resumeIts_ = resume.its;
        resumeAt_ = resume;
        out_.resumed = resuming_;
    }

    void concepts();
    void items();
    void desktop(CardHost* host);

private:
    void events()
    {
        if (callbacks_.processEvents)
            callbacks_.processEvents();
        else
            runContext().messenger().processEvents();
    }
    bool escape()
    {
        if (!session().flags.escapeRequested()) return false;
        out_.escaped = true;
        return true;
    }
    bool stopNow()
    {
        return callbacks_.stopNow
                   ? callbacks_.stopNow()
                   : AskYesDefault(QString::fromLatin1(messages::kStopNow), messages::kStopNowHelp);
    }
    // Counts and shows a hit; false when the user stops here.
    bool found(ItemHit& hit, const ResumePoint& resumeAt)
    {
        hit.found = ++out_.itemsFound;
        if (callbacks_.itemFound) callbacks_.itemFound(hit);
        if (out_.itemsFound > 1 && out_.itemsFound % batch_ == 0 && stopNow()) {
            searchState().resume = resumeAt;
            searchState().resume.text = request_.text;
            out_.userStopped = true;
            return false;
        }
        return true;
    }
    // One item of the item phase; false when the phase ends.
    bool visit(const ItemRow& row, const std::function<QByteArray()>& text);
    // Every text in the walk's order. With probe, the first texts tell whether the text is
    // frequent: when not, the index takes over after them.
    bool walkLiteral(bool probe = false);
    // The candidates of the index in the walk's order, after the place given (none: all).
    bool walkIndexed(const ResumePoint* after = nullptr);
    // Whether the store is large enough for the probe to matter.
    bool manyTexts();

    const SearchRequest& request_;
    const SearchCallbacks& callbacks_;
    SearchOutcome& out_;
    // The search text in the composed form the folded texts are in.
    const QString text_;
    int batch_ = 5;
    bool allPictures_ = false;
    bool resuming_ = false;
    Timestamp resumeIts_ = 1.0;
    ResumePoint resumeAt_;
};

// True when row stands at or before the resume point in the item phase's order.
bool atOrBefore(const ItemRow& row, const ResumePoint& at)
{
    if (row.itsNull != at.itsNull) return row.itsNull;
    if (!row.itsNull && row.its != at.its) return row.its < at.its;
    return row.rowId <= at.rowId;
}

ResumePoint placeOf(const ItemRow& row)
{
    ResumePoint at;
    at.its = row.its;
    at.itsNull = row.itsNull;
    at.rowId = row.rowId;
    return at;
}

void Run::concepts()
{
    if (request_.text.isEmpty()) return;
    sql::Database& db = session().store.db();
    AlphabeticalWordIndex& words = AlphabeticalWordIndex::of(db);
    words.ensureCurrent();
    sql::Statement number(db, QStringLiteral("SELECT WNo FROM WORD WHERE rowid = ?1"));
    sql::Statement concepts(db, QStringLiteral("SELECT C FROM DICT WHERE WNo = ?1 ORDER BY C"));
    const std::vector<AlphabeticalWordIndex::Entry> entries = words.entries();
    for (const AlphabeticalWordIndex::Entry& entry : entries) {
        const QString word = FoldForSearch(entry.word);
        const bool hit = request_.mode == MatchMode::Exact ? word == text_ : word.contains(text_);
        if (!hit) continue;
        number.reset();
        number.bind(1, entry.rowId);
        if (!number.next()) continue;
        const int wordNo = number.intValue(0);
        concepts.reset();
        concepts.bind(1, wordNo);
        while (concepts.next()) {
            ConceptHit conceptHit{entry.word, wordNo, concepts.extValue(0), ++out_.conceptsFound};
            if (callbacks_.conceptFound) callbacks_.conceptFound(conceptHit);
            events();
            if (escape()) return;
        }
        // Fixed at five here; the items' batch comes from the settings.
        if (out_.conceptsFound > 1 && out_.conceptsFound % 5 == 0 && stopNow()) return;
    }
}

bool Run::visit(const ItemRow& row, const std::function<QByteArray()>& text)
{
    if (resuming_ && atOrBefore(row, resumeAt_)) return true;
    if (request_.picturesOnly && !row.picture) return true;
    ItemHit hit;
    hit.itemId = row.it;
    hit.its = row.its;
    if (allPictures_) {
        hit.at.hit = true;
    } else {
        QString decoded;
        if (DecodeStoredText(text(), &decoded)) {
            hit.at = MatchText(decoded, text_, request_.mode);
        } else {
            // Reported and shown without a highlight; the stored value is left as it is.
            hit.unreadable = true;
            ShowInfo(QString::fromLatin1(messages::kUnreadable) + idText(row.its) +
                         QStringLiteral(" (item ") + idText(row.it) + QLatin1Char(')'),
                     QString(), kSystemError, 0);
        }
    }
    if ((hit.at.hit || hit.unreadable) && !found(hit, placeOf(row))) return false;
    events();
    return !escape();
}

bool Run::walkLiteral(bool probe)
{
    sql::Database& db = session().store.db();
    sql::Statement st(db, QStringLiteral("SELECT rowid, IT, ITS, ITS IS NULL, %1, TX FROM ITEM "
                                         "ORDER BY ITS, rowid")
                              .arg(QLatin1String(kPictureColumn)));
    const SearchState& state = searchState();
    const int hitsBefore = out_.itemsFound;
    int seen = 0;
    while (st.next()) {
        ItemRow row{st.int64Value(0), st.extValue(1), st.extValue(2), st.intValue(3) != 0,
                    st.intValue(4) != 0};
        if (!visit(row, [&st] { return st.blobValue(5); })) return true;
        if (probe && ++seen >= state.probeTexts) {
            probe = false;
            // A frequent text goes on being walked: its hits come at once, and reading most
            // texts one by one through the index would be slower than reading them in order.
            const int hits = out_.itemsFound - hitsBefore;
            if (hits * 4 > seen) continue;
            const ResumePoint after = placeOf(row);
            if (walkIndexed(&after)) return true;
        }
    }
    return st.ok();
}

bool Run::manyTexts()
{
    // The highest row stands in for the count, looked up once a run: it only decides whether
    // the probe is worth its while.
    SearchState& state = searchState();
    if (state.knownTexts < 0) {
        sql::Statement st(session().store.db(), QStringLiteral("SELECT max(rowid) FROM ITEM"));
        state.knownTexts = st.next() ? st.int64Value(0) : 0;
    }
    return state.knownTexts >= state.chooseWalkFromTexts;
}

bool Run::walkIndexed(const ResumePoint* after)
{
    sql::Database& db = session().store.db();
    ItemTextIndex& index = itemTextIndex();
    std::vector<ItemTextIndex::Candidate> candidates;
    if (!index.ensureCurrent(db)) return false;
    if (!index.candidates(text_, &candidates)) return false;
    out_.usedIndex = true;
    std::vector<ItemRow> rows;
    rows.reserve(candidates.size());
    for (const ItemTextIndex::Candidate& c : candidates)
        rows.push_back({c.rowId, c.itemId, c.its, c.itsNull, c.picture});
    // The order of the walk: ITS ascending (no ITS first), then the row.
    std::sort(rows.begin(), rows.end(), [](const ItemRow& a, const ItemRow& b) {
        if (a.itsNull != b.itsNull) return a.itsNull;
        if (!a.itsNull && a.its != b.its) return a.its < b.its;
        return a.rowId < b.rowId;
    });
    rows.erase(std::unique(rows.begin(), rows.end(),
                           [](const ItemRow& a, const ItemRow& b) { return a.rowId == b.rowId; }),
               rows.end());
    sql::Statement text(db, QStringLiteral("SELECT TX FROM ITEM WHERE rowid = ?1"));
    for (const ItemRow& row : rows) {
        if (after && atOrBefore(row, *after)) continue;
        auto load = [&text, &row] {
            text.reset();
            text.bind(1, row.rowId);
            return text.next() ? text.blobValue(0) : QByteArray();
        };
        if (!visit(row, load)) break;
    }
    return true;
}

void Run::items()
{
    // Texts of one or two characters have no trigram to look up; the all-pictures search reads
    // no text at all.
    const bool indexed = request_.walk != ItemWalk::Literal && searchState().indexEnabled &&
                         !searchState().indexBuilding && !allPictures_ &&
                         CharacterCount(text_) >= 3;
    if (indexed && request_.walk == ItemWalk::Indexed && manyTexts()) {
        walkLiteral(true);
        return;
    }
    if (indexed && walkIndexed()) return;
    walkLiteral();
}

void Run::desktop(CardHost* host)
{
    if (!host) return;
    // Resuming goes on after the card at which the user stopped, when it is still there.
    bool skipping = false;
    if (resuming_) {
        const std::vector<CardData*> all = host->cards();
        skipping = findItemCard(all, resumeIts_) != nullptr;
    }
    for (CardData* card : host->cards()) {
        auto* item = dynamic_cast<ItemCardData*>(card);
        if (!item || card->hidden) continue;
        if (skipping) {
            if (sameId(item->itemId, resumeIts_, kItemIdTolerance)) skipping = false;
            continue;
        }
        ItemHit hit;
        hit.itemId = item->itemId;
        hit.its = item->itemId;
        hit.card = card;
        if (allPictures_)
            hit.at.hit = true;
        else
            hit.at = MatchText(item->text, text_, request_.mode);
        ResumePoint here;
        here.its = item->itemId;
        if (hit.at.hit && !found(hit, here)) return;
        events();
        if (escape()) return;
    }
}

}  // namespace

SearchState::SearchState() = default;
SearchState::~SearchState() = default;

SearchState& searchState() { return session().part<SearchState>(); }

ItemTextIndex& itemTextIndex()
{
    SearchState& state = searchState();
    if (!state.index || state.index->dir() != runContext().dir())
        state.index = std::make_unique<ItemTextIndex>(runContext().dir());
    return *state.index;
}

SearchOutcome RunTextSearch(const SearchRequest& request, const SearchCallbacks& callbacks,
                            CardHost* host)
{
    SearchOutcome outcome;
    if (request.text.isEmpty() && !request.picturesOnly) return outcome;
    outcome.ran = true;
    Session& s = session();
    // An Esc left over from before ends nothing here.
    s.flags.clearEscape();
    s.commitRunning.raise();
    {
        Run run(request, callbacks, outcome);
        if (request.type == SearchType::ConceptsAndItems) run.concepts();
        if (!outcome.escaped) {
            if (request.type == SearchType::DesktopItems)
                run.desktop(host);
            else
                run.items();
        }
    }
    if (!outcome.userStopped) searchState().resume.clear();
    if (outcome.escaped) {
        s.flags.clearEscape();
        ShowInfoIfVerbose(QString::fromLatin1(messages::kTerminated),
                          QString::fromLatin1(messages::kTerminatedCode), kInformation, 0);
    } else if (outcome.conceptsFound + outcome.itemsFound == 0 && request.fromDialog) {
        ShowInfoIfVerbose(QString::fromLatin1(messages::kNothingFound),
                          QString::fromLatin1(messages::kNothingFoundCode), kInformation, 0);
    }
    s.commitRunning.lower();
    return outcome;
}

void NoteItemsWritten(const std::vector<Timestamp>& items)
{
    if (items.empty()) return;
    sql::Database& db = session().store.db();
    if (db.isOpen() && !sqlite3_get_autocommit(db.handle())) {
        // Counted once the caller's transaction has committed (UpdateItemTextIndex).
        auto& tentative = session().part<TentativeWrites>().items;
        tentative.insert(tentative.end(), items.begin(), items.end());
        return;
    }
    itemTextIndex().noteWritten(items);
}

void UpdateItemTextIndex()
{
    sql::Database& db = session().store.db();
    if (!db.isOpen() || !sqlite3_get_autocommit(db.handle())) return;
    auto& tentative = session().part<TentativeWrites>().items;
    ItemTextIndex& index = itemTextIndex();
    if (!tentative.empty()) {
        index.noteWritten(tentative);
        tentative.clear();
    }
    if (index.hasPendingWrites() && searchState().indexEnabled && !searchState().indexBuilding)
        index.ensureCurrent(db, true);
}

}  // namespace qb::search
