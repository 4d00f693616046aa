#include "SyntheticStore.h"

#include "platform/Dates.h"
#include "platform/FileNames.h"
#include "platform/Sqlite.h"
#include "store/Schema.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

namespace qb::bench {

namespace {

// splitmix64: the same numbers on every platform, unlike the standard distributions.
class Random {
public:
    explicit Random(quint64 seed) : state_(seed * 0x9E3779B97F4A7C15ULL + 0x632BE59BD9B4E019ULL) {}
    quint64 next()
    {
        quint64 z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    int below(int n) { return n <= 1 ? 0 : int(next() % quint64(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool chance(double p) { return unit() < p; }
    // A rank in [0, n) where low ranks are far more likely (about Zipf with exponent 1).
    int skewed(int n)
    {
        if (n <= 1) return 0;
        int k = int(std::pow(double(n) + 1.0, unit())) - 1;
        return std::clamp(k, 0, n - 1);
    }
    // Skewed towards the oldest or the newest of n entries, half and half.
    int popular(int n)
    {
        int k = skewed(n);
        return chance(0.5) ? k : n - 1 - k;
    }

private:
    quint64 state_;
};

// A clock that moves forward by whole seconds from a fixed day, giving the program's timestamps.
class Timeline {
public:
    explicit Timeline(Random& random) : random_(random), day0_(dates::dayNumber(QDate(2019, 1, 7)))
    {
    }
    // The moment of the next event: one to fifteen minutes later.
    double next()
    {
        seconds_ += random_.between(60, 900);
        return stamp(seconds_);
    }
    // A moment between now and a span of days later, for a record touched after its creation.
    double later(int maxDays) { return stamp(seconds_ + random_.between(1, maxDays * 86400)); }
    qint64 now() const { return seconds_; }
    QString dateTimeText() const
    {
        QDateTime start(QDate(2019, 1, 7), QTime(8, 0, 0));
        return start.addSecs(seconds_).toString(Qt::ISODate);
    }

private:
    double stamp(qint64 secondsSinceStart) const
    {
        qint64 s = secondsSinceStart + 8 * 3600;
        long double day = day0_ + s / 86400;
        int inDay = int(s % 86400);
        return double(-(day + 0.04L * (inDay / 3600) + 0.0006L * (inDay / 60 % 60) +
                        0.00001L * (inDay % 60)));
    }

    Random& random_;
    int day0_;
    qint64 seconds_ = 0;
};

const char* const kCommonWords[] = {
    "water",     "house",     "garden",   "letter",   "river",    "market",  "winter",
    "summer",    "window",    "bread",    "mountain", "village",  "teacher", "doctor",
    "friend",    "family",    "money",    "music",    "paper",    "story",   "night",
    "morning",   "table",     "chair",    "street",   "city",     "country", "language",
    "book",      "school",    "history",  "science",  "health",   "energy",  "weather",
    "travel",    "journey",   "kitchen",  "recipe",   "coffee",   "forest",  "ocean",
    "island",    "bridge",    "engine",   "machine",  "computer", "network", "meeting",
    "project",   "budget",    "report",   "idea",     "question", "answer",  "reason",
    "memory",    "picture",   "colour",   "light",    "shadow",   "silence", "voice",
    "letterbox", "harvest",   "apple",    "orchard",  "flower",   "season",  "holiday",
    "museum",    "theatre",   "poetry",   "novel",    "painting", "camera",  "railway",
    "station",   "harbour",   "castle",   "church",   "library",  "office",  "contract",
    "invoice",   "customer",  "product",  "design",   "method",   "theory",  "experiment",
    "result",    "problem",   "solution", "quality",  "practice", "habit",   "routine",
    "exercise",  "running",   "walking",  "cooking",  "reading",  "writing", "thinking",
    "learning",  "teaching",  "planning", "building", "growing",  "painter", "writer",
    "reader",    "neighbour", "stranger",
};

const char* const kFunctionWords[] = {
    "the",  "and",  "of",   "to",   "a",     "in",     "is",      "that",  "it",   "for",
    "was",  "on",   "with", "as",   "at",    "by",     "this",    "from",  "but",  "not",
    "or",   "have", "be",   "are",  "an",    "which",  "one",     "we",    "they", "there",
    "when", "all",  "so",   "if",   "about", "what",   "more",    "can",   "some", "would",
    "into", "only", "also", "then", "after", "before", "because", "while", "over", "very",
};

const char* const kOnsets[] = {"",   "b",  "c",  "d",  "f",  "g",  "h",  "j",  "k",
                               "l",  "m",  "n",  "p",  "r",  "s",  "t",  "v",  "w",
                               "z",  "br", "cr", "dr", "fl", "gr", "pl", "pr", "sh",
                               "st", "th", "tr", "ch", "sp", "sl", "bl", "cl", "qu"};
const char* const kVowels[] = {"a",  "e",  "i",  "o", "u", "ea", "ou",
                               "ai", "ie", "oo", "y", "e", "a",  "o"};
const char* const kCodas[] = {"",   "",   "",   "n",  "r",  "s",  "t",  "l", "m",
                              "nd", "st", "ng", "rk", "ck", "sh", "th", "x"};
const char* const kSuffixes[] = {"ing",  "ed",   "er",   "ly",  "tion",
                                 "ness", "ment", "able", "ist", "ous"};
const char* const kCyrillic[] = {"ба", "ве", "го",  "да", "ко",  "ла", "ми", "но", "по", "ра", "си",
                                 "то", "ур", "ска", "ть", "ние", "жи", "ща", "ой", "ем", "ры"};
const char* const kGreek[] = {"κα",  "λο", "με", "νη", "πο", "ρι",
                              "στο", "θε", "ος", "ια", "φι", "χω"};
const char* const kAccents[] = {"é", "ü", "ö", "å", "ñ", "è", "ä", "ø", "ç"};
const char* const kTags[] = {"NONE",    "WORK",   "HOME",   "STUDY",
                             "READING", "TRAVEL", "GARDEN", "FAMILY"};

template <size_t N> const char* pick(Random& random, const char* const (&list)[N])
{
    return list[random.below(int(N))];
}

QByteArray inventWord(Random& random)
{
    QByteArray word;
    double script = random.unit();
    int syllables = random.between(1, 4);
    if (script < 0.05) {
        for (int i = 0; i < syllables + 1; ++i) word += pick(random, kCyrillic);
    } else if (script < 0.07) {
        for (int i = 0; i < syllables + 1; ++i) word += pick(random, kGreek);
    } else {
        for (int i = 0; i < syllables; ++i) {
            word += pick(random, kOnsets);
            word += pick(random, kVowels);
            if (i == syllables - 1 || random.chance(0.3)) word += pick(random, kCodas);
        }
        if (random.chance(0.2)) word += pick(random, kSuffixes);
        if (script < 0.10) {
            // Accented Latin: one vowel replaced.
            int at = int(word.indexOf('e'));
            if (at < 0) at = int(word.indexOf('a'));
            if (at >= 0) word.replace(at, 1, pick(random, kAccents));
        }
    }
    return word;
}

// A 24-bit BMP of a few dozen pixels a side with a simple pattern.
QByteArray smallBitmap(Random& random)
{
    const int w = random.between(16, 64), h = random.between(12, 48);
    const int rowBytes = (w * 3 + 3) & ~3;
    const int dataBytes = rowBytes * h;
    QByteArray bmp(54 + dataBytes, '\0');
    auto put32 = [&](int at, quint32 v) {
        for (int i = 0; i < 4; ++i) bmp[at + i] = char((v >> (8 * i)) & 0xff);
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, quint32(bmp.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, quint32(w));
    put32(22, quint32(h));
    bmp[26] = 1;
    bmp[28] = 24;
    put32(34, quint32(dataBytes));
    const int r0 = random.below(256), g0 = random.below(256), b0 = random.below(256);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int at = 54 + y * rowBytes + x * 3;
            bmp[at] = char((b0 + x * 4) & 0xff);
            bmp[at + 1] = char((g0 + y * 5) & 0xff);
            bmp[at + 2] = char((r0 + (x ^ y) * 3) & 0xff);
        }
    return bmp;
}

// One table file, written by a connection of its own inside one transaction.
class TableWriter {
public:
    bool open(const QString& dir, const QString& fileName, const QString& insertSql, QString* error)
    {
        name_ = fileName;
        if (!db_.open(files::resolve(dir, fileName), false, error)) return false;
        // A generated store is thrown away when the run fails, so no journal and no syncs.
        if (!db_.exec(QStringLiteral("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; "
                                     "PRAGMA cache_size=-131072; BEGIN"),
                      error))
            return false;
        insert_ = std::make_unique<sql::Statement>(db_, insertSql);
        if (!insert_->isValid()) {
            if (error) *error = fileName + QStringLiteral(": ") + insert_->error();
            return false;
        }
        return true;
    }
    sql::Statement& row()
    {
        insert_->reset();
        return *insert_;
    }
    bool put(QString* error)
    {
        if (insert_->run()) {
            ++rows_;
            return true;
        }
        if (error) *error = name_ + QStringLiteral(": ") + insert_->error();
        return false;
    }
    bool finish(QString* error)
    {
        insert_.reset();
        bool ok = db_.exec(QStringLiteral("COMMIT"), error);
        db_.close();
        return ok;
    }
    qint64 rows() const { return rows_; }

private:
    QString name_;
    sql::Database db_;
    std::unique_ptr<sql::Statement> insert_;
    qint64 rows_ = 0;
};

struct Word {
    QByteArray text;
    double created = 0;
    double lastUsed = 0;
    int links = 0;
};

struct Concept {
    double id = 0;
    std::vector<int> words;  // indexes into the word list
};

struct Project {
    QString name;
    std::vector<double> items;
};

class Generator {
public:
    Generator(const SyntheticStoreOptions& options)
        : options_(options), random_(options.seed), time_(random_)
    {
    }

    bool run(const QString& dir, SyntheticStoreCounts* counts, QString* error);

private:
    int newWord();
    bool addConcept(QString* error);
    bool addProject(QString* error);
    bool addItem(QString* error);
    QString itemText(const std::vector<int>& keywordWords);
    void appendSentence(QByteArray& text, int words, const std::vector<int>& keywordWords,
                        size_t& nextKeyword);
    bool writeWordsAndForms(QString* error);
    bool writeProjectOrders(QString* error);

    const SyntheticStoreOptions& options_;
    Random random_;
    Timeline time_;
    void makeLexicon(int size);

    // The language the texts are written in; the dictionary takes its words from it.
    std::vector<QByteArray> lexicon_;
    std::vector<int> dictionaryOrder_;
    std::vector<Word> words_;
    std::vector<Concept> concepts_;
    std::vector<Project> projects_;
    QSet<QString> projectNames_;
    std::vector<double> itemIds_;
    SyntheticStoreCounts counts_;

    TableWriter item_, itemKeys_, itemUrl_, dict_, word_, inflec_, project_, jump_, order_;
};

void Generator::makeLexicon(int size)
{
    QSet<QByteArray> seen;
    for (const char* w : kCommonWords)
        if (!seen.contains(QByteArray(w))) {
            seen.insert(QByteArray(w));
            lexicon_.emplace_back(w);
        }
    while (int(lexicon_.size()) < size) {
        QByteArray text = inventWord(random_);
        if (text.isEmpty() || QString::fromUtf8(text).size() > 38 || seen.contains(text)) continue;
        seen.insert(text);
        lexicon_.push_back(text);
    }
    // The common words enter the dictionary first, the others in no particular order of
    // frequency, so dictionary words range from everyday to rare.
    const int common = int(std::size(kCommonWords));
    for (int i = 0; i < int(lexicon_.size()); ++i) dictionaryOrder_.push_back(i);
    for (int i = int(dictionaryOrder_.size()) - 1; i > common; --i)
        std::swap(dictionaryOrder_[i], dictionaryOrder_[common + random_.below(i - common + 1)]);
}

int Generator::newWord()
{
    Word w;
    w.text = lexicon_[dictionaryOrder_[words_.size() % dictionaryOrder_.size()]];
    w.created = time_.next();
    w.lastUsed = w.created;
    words_.push_back(w);
    return int(words_.size()) - 1;
}

bool Generator::addConcept(QString* error)
{
    Concept c;
    c.id = time_.next();
    const int size = random_.between(1, 5);
    const int fresh = size == 1 ? 1 : random_.between(1, std::min(size, 3));
    for (int i = 0; i < fresh; ++i) c.words.push_back(newWord());
    // The rest are words the dictionary already had, so words are shared between concepts.
    for (int tries = 0; int(c.words.size()) < size && tries < 20; ++tries) {
        int w = random_.popular(int(words_.size()));
        if (std::find(c.words.begin(), c.words.end(), w) == c.words.end()) c.words.push_back(w);
    }
    const double touched = random_.chance(0.3) ? time_.later(300) : c.id;
    for (int w : c.words) {
        sql::Statement& st = dict_.row();
        st.bind(1, c.id).bind(2, w + 1).bind(3, touched);
        if (!dict_.put(error)) return false;
    }
    concepts_.push_back(std::move(c));
    return true;
}

bool Generator::addProject(QString* error)
{
    QString name;
    do {
        QStringList parts;
        int n = random_.between(1, 3);
        for (int i = 0; i < n; ++i) {
            QString part =
                QString::fromUtf8(words_[random_.popular(int(words_.size()))].text).toUpper();
            if (!parts.contains(part)) parts << part;
        }
        name = parts.join(QLatin1Char(' ')).left(34);
        if (projectNames_.contains(name))
            name += QLatin1Char(' ') + QString::number(projects_.size());
    } while (projectNames_.contains(name) || name.size() > 38);
    projectNames_.insert(name);
    QString url;
    double kind = random_.unit();
    if (kind < 0.25)
        url = QStringLiteral("https://example.org/") +
              QString(name).toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
    else if (kind < 0.35)
        url = QStringLiteral("projects/") +
              QString(name).toLower().replace(QLatin1Char(' '), QLatin1Char('_')) +
              QStringLiteral(".txt");
    url = url.left(80);
    sql::Statement& st = project_.row();
    st.bind(1, name)
        .bind(2, time_.next())
        .bind(3, url)
        .bind(4, QString::fromLatin1(pick(random_, kTags)));
    if (!project_.put(error)) return false;
    projects_.push_back({name, {}});
    return true;
}

void Generator::appendSentence(QByteArray& text, int words, const std::vector<int>& keywordWords,
                               size_t& nextKeyword)
{
    for (int i = 0; i < words; ++i) {
        QByteArray word;
        if (nextKeyword < keywordWords.size() && random_.chance(0.15))
            word = words_[keywordWords[nextKeyword++]].text;
        else if (random_.chance(0.45))
            word = kFunctionWords[random_.skewed(int(std::size(kFunctionWords)))];
        else if (random_.chance(0.03))
            word = QByteArray::number(random_.between(2, 2024));
        else
            word = lexicon_[random_.skewed(int(lexicon_.size()))];
        if (i == 0 && !word.isEmpty() && word[0] >= 'a' && word[0] <= 'z')
            word[0] = char(word[0] - 32);
        if (i > 0) text += random_.chance(0.06) ? ", " : " ";
        text += word;
    }
    double end = random_.unit();
    text += end < 0.85 ? "." : end < 0.95 ? "?" : "!";
}

QString Generator::itemText(const std::vector<int>& keywordWords)
{
    double kind = random_.unit();
    int words = kind < 0.70   ? random_.between(10, 80)
                : kind < 0.98 ? random_.between(80, 400)
                              : random_.between(500, 2500);
    QByteArray text;
    text.reserve(words * 7);
    size_t nextKeyword = 0;
    while (words > 0) {
        int sentence = std::min(words, random_.between(5, 22));
        if (!text.isEmpty()) text += random_.chance(0.12) ? "\n" : " ";
        appendSentence(text, sentence, keywordWords, nextKeyword);
        words -= sentence;
    }
    counts_.textBytes += text.size();
    return QString::fromUtf8(text);
}

bool Generator::addItem(QString* error)
{
    const double it = time_.next();
    const double its = random_.chance(0.3) ? time_.later(200) : it;

    // Keywords: a concept and one of its words, never the same pair twice in one item.
    std::vector<std::pair<int, int>> keys;
    const int keyCount = random_.between(1, 6);
    for (int tries = 0; int(keys.size()) < keyCount && tries < 30; ++tries) {
        int c = random_.popular(int(concepts_.size()));
        const Concept& held = concepts_[c];
        int w = held.words[random_.below(int(held.words.size()))];
        if (std::find(keys.begin(), keys.end(), std::make_pair(c, w)) == keys.end())
            keys.emplace_back(c, w);
    }
    std::vector<int> keywordWords;
    for (int order = 0; order < int(keys.size()); ++order) {
        auto [c, w] = keys[order];
        keywordWords.push_back(w);
        words_[w].links++;
        words_[w].lastUsed = std::min(words_[w].lastUsed, it);
        sql::Statement& st = itemKeys_.row();
        st.bind(1, it).bind(2, order + 1).bind(3, concepts_[c].id).bind(4, w + 1);
        if (!itemKeys_.put(error)) return false;
    }

    double p = random_.unit();
    int projectCount = p < 0.5 ? 0 : p < 0.8 ? 1 : p < 0.95 ? 2 : 3;
    std::vector<int> chosen;
    for (int tries = 0; int(chosen.size()) < projectCount && tries < 20; ++tries) {
        int pr = random_.popular(int(projects_.size()));
        if (std::find(chosen.begin(), chosen.end(), pr) == chosen.end()) chosen.push_back(pr);
    }
    for (int order = 0; order < int(chosen.size()); ++order) {
        projects_[chosen[order]].items.push_back(it);
        sql::Statement& st = itemUrl_.row();
        st.bind(1, it).bind(2, order + 1).bind(3, projects_[chosen[order]].name);
        if (!itemUrl_.put(error)) return false;
    }

    sql::Statement& st = item_.row();
    st.bind(1, it).bind(2, itemText(keywordWords)).bind(3, its);
    if (options_.pictureEvery > 0 && random_.below(options_.pictureEvery) == 0) {
        st.bindBlob(4, smallBitmap(random_));
        counts_.pictures++;
    } else {
        st.bindNull(4);
    }
    if (!item_.put(error)) return false;

    // Associations, stored once in each direction.
    if (!itemIds_.empty() && random_.chance(0.05)) {
        double other = itemIds_[random_.below(int(itemIds_.size()))];
        QString when = time_.dateTimeText();
        for (auto [a, b] : {std::make_pair(it, other), std::make_pair(other, it)}) {
            sql::Statement& jump = jump_.row();
            jump.bind(1, a).bind(2, b).bind(3, when);
            if (!jump_.put(error)) return false;
        }
    }
    itemIds_.push_back(it);
    return true;
}

bool Generator::writeWordsAndForms(QString* error)
{
    for (size_t i = 0; i < words_.size(); ++i) {
        const Word& w = words_[i];
        const QString text = QString::fromUtf8(w.text);
        const int wno = int(i) + 1;
        int wfq = 1;
        if (options_.freshFrequencies && w.links > 0) wfq = -w.links;
        if (w.links == 0) counts_.unusedWords++;
        sql::Statement& st = word_.row();
        st.bind(1, text).bind(2, wno).bind(3, w.created).bind(4, w.lastUsed).bind(5, wfq);
        if (!word_.put(error)) return false;

        // Every word is a form of itself; some Latin words have inflected forms too.
        QStringList forms{text};
        if (w.text.size() > 3 && uchar(w.text[0]) < 0x80 && random_.chance(0.3)) {
            forms << text + QStringLiteral("s");
            if (random_.chance(0.5))
                forms << text + QStringLiteral("ed") << text + QStringLiteral("ing");
        }
        for (const QString& form : forms) {
            if (form.size() > 38) continue;
            sql::Statement& f = inflec_.row();
            f.bind(1, form).bind(2, wno);
            if (!inflec_.put(error)) return false;
        }
    }
    return true;
}

bool Generator::writeProjectOrders(QString* error)
{
    // One project in five has had its items put in an order of their own.
    for (size_t i = 0; i < projects_.size(); i += 5) {
        const Project& p = projects_[i];
        for (size_t k = 0; k < p.items.size(); ++k) {
            sql::Statement& st = order_.row();
            st.bind(1, p.name).bind(2, p.items[k]).bind(3, double(k + 1));
            if (!order_.put(error)) return false;
        }
    }
    return true;
}

bool Generator::run(const QString& dir, SyntheticStoreCounts* counts, QString* error)
{
    const int items = std::max(1, options_.items);
    const int conceptTarget = std::max(1, items / 4);
    const int projectTarget = std::max(1, options_.projects >= 0 ? options_.projects : items / 10);
    const int wordTarget = std::max(1, items / 2);

    struct Open {
        TableWriter* writer;
        const char* file;
        const char* sql;
    };
    const Open tables[] = {
        {&item_, "ITEM.DB", "INSERT INTO ITEM (IT, TX, ITS, Animation) VALUES (?1, ?2, ?3, ?4)"},
        {&itemKeys_, "ITEMKEYS.DB",
         "INSERT INTO ITEMKEYS (IT, \"Order\", ITC, WNo) VALUES (?1, ?2, ?3, ?4)"},
        {&itemUrl_, "ITEMURL.DB",
         "INSERT INTO ITEMURL (IT, \"Order\", Project) VALUES (?1, ?2, ?3)"},
        {&dict_, "DICT.DB", "INSERT INTO DICT (C, WNo, CTS) VALUES (?1, ?2, ?3)"},
        {&word_, "WORD.DB",
         "INSERT INTO WORD (Word, WNo, WTS, WTS2, WFQ) VALUES (?1, ?2, ?3, ?4, ?5)"},
        {&inflec_, "INFLEC.DB", "INSERT INTO INFLEC (Word, WNo) VALUES (?1, ?2)"},
        {&project_, "PROJECT.DB",
         "INSERT INTO PROJECT (Project, PTS, URL, Tag) VALUES (?1, ?2, ?3, ?4)"},
        {&jump_, "ITMSJMP.DB", "INSERT INTO ITMSJMP (ITS1, ITS2, TS) VALUES (?1, ?2, ?3)"},
        {&order_, "PRJORDR.DB", "INSERT INTO PRJORDR (Project, IT, ITS) VALUES (?1, ?2, ?3)"},
    };
    // A fifth more words than the dictionary will hold: texts also use words it lacks.
    makeLexicon(wordTarget + wordTarget / 5 + 50);
    for (const Open& t : tables)
        if (!t.writer->open(dir, QString::fromLatin1(t.file), QString::fromLatin1(t.sql), error))
            return false;

    // Concepts, words and projects come into being along the way, as a user would make them.
    // The first item already finds a concept and a project.
    auto dueBy = [items](int i, int target) {
        return (qint64(i + 1) * target + items - 1) / items;
    };
    for (int i = 0; i < items; ++i) {
        while (int(concepts_.size()) < dueBy(i, conceptTarget))
            if (!addConcept(error)) return false;
        while (int(projects_.size()) < dueBy(i, projectTarget))
            if (!addProject(error)) return false;
        while (int(words_.size()) < dueBy(i, wordTarget)) newWord();
        if (!addItem(error)) return false;
    }
    if (!writeWordsAndForms(error) || !writeProjectOrders(error)) return false;

    for (const Open& t : tables)
        if (!t.writer->finish(error)) return false;

    counts_.items = item_.rows();
    counts_.itemKeys = itemKeys_.rows();
    counts_.itemProjects = itemUrl_.rows();
    counts_.words = word_.rows();
    counts_.concepts = qint64(concepts_.size());
    counts_.conceptWords = dict_.rows();
    counts_.inflections = inflec_.rows();
    counts_.projects = project_.rows();
    counts_.projectOrders = order_.rows();
    counts_.associations = jump_.rows();
    if (counts) *counts = counts_;
    return true;
}

}  // namespace

bool writeSyntheticStore(const QString& dir, const SyntheticStoreOptions& options,
                         SyntheticStoreCounts* counts, QString* error)
{
    if (!QDir().mkpath(dir)) {
        if (error) *error = QStringLiteral("Cannot create ") + dir;
        return false;
    }
    for (const schema::Table& table : schema::tables()) {
        if (!files::exists(dir, table.fileName)) continue;
        if (!options.replace) {
            if (error) *error = dir + QStringLiteral(" already holds ") + table.fileName;
            return false;
        }
        files::removeIfPresent(dir, table.fileName);
        files::removeIfPresent(dir, table.fileName + QStringLiteral("-journal"));
    }
    if (!schema::createEmptyStore(dir, error)) return false;
    Generator generator(options);
    return generator.run(dir, counts, error);
}

}  // namespace qb::bench
