#include "interchange/XmlImport.h"

#include "dictionary/DictionaryTypes.h"
#include "floor/Messages.h"
#include "interchange/XmlMedium.h"
#include "interchange/XmlReader.h"
#include "items/Capture.h"
#include "items/Commit.h"
#include "items/ItemCardData.h"
#include "platform/Sqlite.h"
#include "platform/TextChecks.h"
#include "session/Session.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <map>
#include <set>

namespace qb {

namespace {

struct ParsedConcept {
    QString keyword;  // SelectWord
    QStringList words;
};

struct ParsedItem {
    std::vector<ParsedConcept> keywords;
    QString text;
};

struct ParsedElement {
    enum Kind { Word, Concept, Item } kind = Word;
    QString word;
    ParsedConcept conceptElement;
    ParsedItem item;
};

bool is(const XmlElement& e, const char* name)
{
    return e.name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

bool checkWord(const QString& word, QString* why)
{
    if (HasControlCharacter(word)) {
        *why = QStringLiteral("a word holds control characters");
        return false;
    }
    if (CodePointCount(word.trimmed()) > kWordTextLimit) {
        *why = QStringLiteral("a word is longer than %1 characters").arg(kWordTextLimit);
        return false;
    }
    return true;
}

bool parseConcept(const XmlElement& e, ParsedConcept* out, QString* why)
{
    out->keyword = TReadBlock(e.startTag).value(QStringLiteral("SelectWord"));
    if (!checkWord(out->keyword, why)) return false;
    for (const XmlElement& child : e.children) {
        if (!is(child, "Word")) {
            *why = QStringLiteral("<") + child.name + QStringLiteral("> inside <Concept>");
            return false;
        }
        const QString word = TReadBlock(child.startTag).value(QStringLiteral("StringValue"));
        if (!checkWord(word, why)) return false;
        out->words << word;
    }
    if (out->words.size() > kMaxConceptWords) {
        *why = QStringLiteral("a concept of more than %1 words").arg(kMaxConceptWords);
        return false;
    }
    return true;
}

bool parseItem(const XmlElement& e, ParsedItem* out, QString* why)
{
    bool hasText = false;
    for (const XmlElement& child : e.children) {
        if (hasText) {
            *why = QStringLiteral("<") + child.name + QStringLiteral("> after <ItemText>");
            return false;
        }
        if (is(child, "Concept")) {
            out->keywords.emplace_back();
            if (!parseConcept(child, &out->keywords.back(), why)) return false;
        } else {
            // The first element that is no concept holds the text.
            out->text = child.text;
            hasText = true;
        }
    }
    if (int(out->keywords.size()) > ItemCardData::kMaxLinks) {
        *why = QStringLiteral("an item with more than %1 keywords").arg(ItemCardData::kMaxLinks);
        return false;
    }
    if (CodePointCount(out->text) > ItemCardData::kMaxTextLength) {
        *why = QStringLiteral("an item text longer than %1 characters")
                   .arg(ItemCardData::kMaxTextLength);
        return false;
    }
    return true;
}

bool parseFile(const QString& path, std::vector<ParsedElement>* out, QString* why)
{
    QFile file(path);
    if (file.size() > kMaxXmlFileBytes) {
        *why = QStringLiteral("larger than %1 MB").arg(kMaxXmlFileBytes >> 20);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *why = file.errorString();
        return false;
    }
    // A buffer of the file's size, not of the bound; bounded again in case the file grew since
    // its size was asked.
    QByteArray bytes = file.read(file.size() + 1);
    if (bytes.size() > file.size()) bytes += file.read(kMaxXmlFileBytes + 1 - bytes.size());
    if (bytes.size() > kMaxXmlFileBytes) {
        *why = QStringLiteral("larger than %1 MB").arg(kMaxXmlFileBytes >> 20);
        return false;
    }
    QString document;
    if (!DecodeXmlFile(bytes, &document, why)) return false;
    const int bad = FirstNonXmlCharacter(document);
    if (bad >= 0) {
        *why = QStringLiteral("binary data at character %1").arg(bad);
        return false;
    }
    ElementReader reader(document);
    XmlElement e;
    while (reader.next(&e)) {
        ParsedElement parsed;
        if (is(e, "Word")) {
            parsed.kind = ParsedElement::Word;
            parsed.word = TReadBlock(e.startTag).value(QStringLiteral("StringValue"));
            if (!checkWord(parsed.word, why)) return false;
        } else if (is(e, "Concept")) {
            parsed.kind = ParsedElement::Concept;
            if (!parseConcept(e, &parsed.conceptElement, why)) return false;
        } else if (is(e, "Item")) {
            parsed.kind = ParsedElement::Item;
            if (!parseItem(e, &parsed.item, why)) return false;
        } else {
            *why = QStringLiteral("unknown element <") + e.name + QLatin1Char('>');
            return false;
        }
        out->push_back(std::move(parsed));
    }
    if (!reader.error().isEmpty()) {
        *why = reader.error();
        return false;
    }
    return true;
}

bool anyCard(const CardData*) { return true; }

// New records of one file take ids as the commit gives new cards theirs: from one drawn value,
// each claimed free inside the write transaction and the next one tried a step below.
class IdClaims {
public:
    explicit IdClaims(Timestamp first) : next_(first) {}
    std::optional<Timestamp> claim()
    {
        ItemCardData card;
        card.unsaved = true;
        card.changed = true;
        card.itemId = next_;
        if (!ClaimFreeIds(session().store, {&card}, anyCard)) return std::nullopt;
        next_ = card.itemId - TimestampGenerator::kCounterStep;
        return card.itemId;
    }

private:
    Timestamp next_;
};

class FileImport {
public:
    FileImport(sql::Database& db, IdClaims& ids) : db_(db), ids_(ids) {}

    bool run(const std::vector<ParsedElement>& elements, XmlImportResult& result)
    {
        for (const ParsedElement& e : elements) {
            switch (e.kind) {
            case ParsedElement::Word:
                if (wordNumber(e.word) < 0 && !e.word.trimmed().isEmpty()) return false;
                ++result.words;
                break;
            case ParsedElement::Concept:
                if (!importConcept(e.conceptElement)) return false;
                ++result.concepts;
                break;
            case ParsedElement::Item: {
                const std::optional<Timestamp> id = importItem(e.item);
                if (!id) return false;
                result.items.push_back(*id);
                break;
            }
            }
        }
        return true;
    }

private:
    sql::Database& db_;
    IdClaims& ids_;
    // Prepared once per file: a file of 1,000 items runs them thousands of times.
    sql::Statement conceptsOfWord_{db_, QStringLiteral("SELECT C FROM DICT WHERE WNo = ?1")};
    sql::Statement insertConcept_{
        db_, QStringLiteral("INSERT INTO DICT (C, WNo, CTS) VALUES (?1, ?2, ?1)")};
    sql::Statement insertItem_{
        db_, QStringLiteral("INSERT INTO ITEM (IT, TX, ITS) VALUES (?1, ?2, ?1)")};
    sql::Statement insertKey_{db_, QStringLiteral("INSERT INTO ITEMKEYS (IT, \"Order\", ITC, WNo) "
                                                  "VALUES (?1, ?2, ?3, ?4)")};
    // Word numbers by text, found or made once per file (the write lock keeps them true).
    QHash<QString, int> wordNumbers_;

    int wordNumber(const QString& text)
    {
        if (auto it = wordNumbers_.constFind(text); it != wordNumbers_.cend()) return *it;
        const int n = ImportXmlWord(text);
        if (n > 0) wordNumbers_.insert(text, n);
        return n;
    }

    // The concepts holding a word (ids ascending), read once per word and file: a common word
    // is in hundreds of concepts, and each read looks every one of its DICT rows up in the table.
    // The file's transaction holds the write lock, so only this import adds to DICT meanwhile.
    std::map<int, std::vector<double>> conceptsOf_;

    const std::vector<double>* conceptsOf(int wordNo)
    {
        auto it = conceptsOf_.find(wordNo);
        if (it != conceptsOf_.end()) return &it->second;
        sql::Statement& st = conceptsOfWord_;
        st.reset();
        st.bind(1, wordNo);
        std::vector<double> ids;
        while (st.next()) ids.push_back(st.realValue(0));
        if (!st.ok()) return nullptr;
        std::sort(ids.begin(), ids.end());
        ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
        return &conceptsOf_.emplace(wordNo, std::move(ids)).first->second;
    }

    // The concept id, -1 when none of its words could be had; nothing on a store failure.
    std::optional<Timestamp> importConcept(const ParsedConcept& element)
    {
        std::set<int> numbers;
        for (const QString& word : element.words) {
            const int n = wordNumber(word);
            if (n > 0) numbers.insert(n);
        }
        if (numbers.empty()) return Timestamp(-1);
        // An existing concept holding all these words (and maybe more) stands for it: the
        // lowest id among those of the word in fewest concepts that every other word is in.
        std::vector<const std::vector<double>*> lists;
        for (int n : numbers) {
            const std::vector<double>* ids = conceptsOf(n);
            if (!ids) return std::nullopt;
            lists.push_back(ids);
        }
        std::sort(lists.begin(), lists.end(),
                  [](const auto* a, const auto* b) { return a->size() < b->size(); });
        for (double candidate : *lists.front()) {
            bool inAll = true;
            for (size_t i = 1; i < lists.size() && inAll; ++i)
                inAll = std::binary_search(lists[i]->begin(), lists[i]->end(), candidate);
            if (inAll) return Timestamp(candidate);
        }
        const std::optional<Timestamp> id = ids_.claim();
        if (!id) return std::nullopt;
        sql::Statement& insert = insertConcept_;
        for (int n : numbers) {
            insert.reset();
            insert.bind(1, *id).bind(2, n);
            if (!insert.run()) return std::nullopt;
            std::vector<double>& ids = conceptsOf_[n];
            ids.insert(std::upper_bound(ids.begin(), ids.end(), double(*id)), double(*id));
        }
        return id;
    }

    std::optional<Timestamp> importItem(const ParsedItem& item)
    {
        struct Link {
            Timestamp conceptId;
            int wordNo;
        };
        std::vector<Link> links;
        for (const ParsedConcept& keyword : item.keywords) {
            const int wordNo = wordNumber(keyword.keyword);
            const std::optional<Timestamp> conceptId = importConcept(keyword);
            if (!conceptId) return std::nullopt;
            if (wordNo > 0 && *conceptId != -1) links.push_back({*conceptId, wordNo});
        }
        const std::optional<Timestamp> id = ids_.claim();
        if (!id) return std::nullopt;
        sql::Statement& text = insertItem_;
        text.reset();
        text.bind(1, *id).bind(2, item.text);
        if (!text.run()) return std::nullopt;
        sql::Statement& key = insertKey_;
        int order = 0;
        for (const Link& link : links) {
            key.reset();
            key.bind(1, *id).bind(2, ++order).bind(3, link.conceptId).bind(4, link.wordNo);
            if (!key.run()) return std::nullopt;
        }
        return id;
    }
};

QString setAside(const QString& path)
{
    QString target = path + QStringLiteral(".bad");
    for (int n = 2; QFileInfo::exists(target) && n < 1000; ++n)
        target = path + QStringLiteral(".%1.bad").arg(n);
    return QFile::rename(path, target) ? target : QString();
}

}  // namespace

int ImportXmlWord(const QString& text)
{
    const QString word = text.trimmed().toLower();
    if (word.isEmpty()) return -1;
    return CaptureWordNumber(word);
}

XmlImportResult ImportXmlFile(const QString& path)
{
    XmlImportResult result;
    const QString name = QFileInfo(path).fileName();
    std::vector<ParsedElement> elements;
    QString why;
    if (!parseFile(path, &elements, &why)) {
        const QString moved = setAside(path);
        result.outcome = XmlImportResult::Outcome::SetAside;
        result.problem =
            QStringLiteral("XML import: ") + name + QStringLiteral(" set aside as ") +
            (moved.isEmpty() ? QStringLiteral("(rename failed)") : QFileInfo(moved).fileName()) +
            QStringLiteral(": ") + why;
        LogProblem(result.problem);
        return result;
    }
    // Drawn before the tables are locked: the generator may wait for the next second.
    IdClaims ids(GetQBTS());
    sql::Database& db = session().store.db();
    {
        sql::Transaction transaction(db);
        FileImport import(db, ids);
        XmlImportResult counted;
        if (transaction.isActive() && import.run(elements, counted) && transaction.commit(&why)) {
            result = counted;
        } else {
            result.problem = QStringLiteral("XML import: ") + name +
                             QStringLiteral(" not imported, kept for the next try: ") +
                             (why.isEmpty() ? db.lastError() : why);
            LogProblem(result.problem);
            return result;
        }
    }
    result.outcome = XmlImportResult::Outcome::Imported;
    if (!QFile::remove(path)) {
        // Imported already: importing it again would double every item.
        result.problem = QStringLiteral("XML import: ") + name +
                         QStringLiteral(" imported but could not be deleted; renamed ") +
                         setAside(path);
        LogProblem(result.problem);
    }
    return result;
}

}  // namespace qb
