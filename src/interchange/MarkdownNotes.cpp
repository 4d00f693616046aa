#include "interchange/MarkdownNotes.h"

#include "dictionary/DictionaryTypes.h"
#include "dictionary/Words.h"
#include "items/Capture.h"
#include "items/Commit.h"
#include "items/ItemCardData.h"
#include "items/ItemLinks.h"
#include "items/ItemQueries.h"
#include "items/ItemRecord.h"
#include "platform/Sqlite.h"
#include "platform/TextChecks.h"
#include "projects/ProjectRecords.h"
#include "session/Session.h"
#include "store/Timestamps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QUrl>

#include <cmath>
#include <map>
#include <optional>
#include <vector>

namespace qb {

namespace {

sql::Database& db() { return session().store.db(); }

// ---------------------------------------------------------------- writing

QString number(long double value) { return QString::number(double(value), 'g', 17); }

// A YAML double-quoted scalar; control characters as escapes, so one value stays one line.
QString quoted(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\') + c;
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

// The calendar time an id was taken at, for people reading the file; never read back.
QString idTime(long double id)
{
    const long double v = -id;
    if (!(v > 0 && v < 3e6)) return {};
    const int day = int(v);
    long double rest = v - day;
    const int h = std::min(23, int(rest / 0.04L + 1e-9L));
    rest -= h * 0.04L;
    const int m = std::min(59, int(rest / 0.0006L + 1e-9L));
    rest -= m * 0.0006L;
    const int s = std::min(59, int(rest / 0.00001L + 1e-9L));
    const QDate date = QDate(1899, 12, 30).addDays(day);
    return QDateTime(date, QTime(h, m, s)).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// Written under a hidden name and renamed into place when whole: a kill half way never leaves
// a cut note under a note's name (import-notes passes hidden files by). Nothing is synced per
// file; the export syncs the folder's file system once at the end.
bool writeFile(const QString& folder, const QString& name, const QString& content, QString* error)
{
    const QString path = folder + QLatin1Char('/') + name;
    const QString part = folder + QStringLiteral("/.") + name + QStringLiteral(".part");
    QFile file(part);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        *error = part + QStringLiteral(": ") + file.errorString();
        return false;
    }
    const QByteArray bytes = content.toUtf8();
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        *error = path + QStringLiteral(": ") + file.errorString();
        file.remove();
        return false;
    }
    // QFile::rename never replaces a file another program put there meanwhile.
    if (!file.rename(path)) {
        *error = path + QStringLiteral(": ") + file.errorString();
        file.remove();
        return false;
    }
    return true;
}

// Hands out names unique within one folder, compared without regard to case.
class NameSet {
public:
    QString take(const QString& base)
    {
        QString name = base;
        for (int n = 2; used_.contains(name.toLower()); ++n)
            name = base + QLatin1Char('-') + QString::number(n);
        used_.insert(name.toLower());
        return name;
    }

private:
    QSet<QString> used_;
};

struct ExportItem {
    long double id = 0;
    long double its = 0;
    QString text;
    std::vector<std::pair<QString, long double>> keywords;
    QStringList projects;
    QString file;
    bool picture = false;
};

struct ExportProject {
    QString name, url, tag;
    long double pts = 0;
    struct Entry {
        long double id;
        std::optional<long double> order;
    };
    std::vector<Entry> entries;
};

QString firstLine(const QString& text)
{
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        QString t = line.trimmed();
        while (t.startsWith(QLatin1Char('#'))) t.remove(0, 1);
        t = t.trimmed();
        if (!t.isEmpty()) return t;
    }
    return {};
}

// ---------------------------------------------------------------- reading

// Front matter of the subset this program writes and other tools commonly use: "key: value",
// inline lists "[a, b]", block lists "- item", flow maps "{a: 1, b: "x"}".
struct FrontMatter {
    bool present = false;
    QHash<QString, QString> scalars;
    QHash<QString, QStringList> lists;
};

void skipBlanks(QStringView s, qsizetype& i)
{
    while (i < s.size() && (s[i] == QLatin1Char(' ') || s[i] == QLatin1Char('\t'))) ++i;
}

// One scalar at i; plain scalars end at any of stops.
QString scalarAt(QStringView s, qsizetype& i, QStringView stops)
{
    skipBlanks(s, i);
    QString out;
    if (i < s.size() && s[i] == QLatin1Char('"')) {
        for (++i; i < s.size() && s[i] != QLatin1Char('"'); ++i) {
            if (s[i] != QLatin1Char('\\') || i + 1 >= s.size()) {
                out += s[i];
                continue;
            }
            const QChar e = s[++i];
            if (e == QLatin1Char('n'))
                out += QLatin1Char('\n');
            else if (e == QLatin1Char('t'))
                out += QLatin1Char('\t');
            else if (e == QLatin1Char('u') && i + 4 < s.size()) {
                bool ok = false;
                const uint code = s.mid(i + 1, 4).toUInt(&ok, 16);
                if (ok) {
                    out += QChar(char16_t(code));
                    i += 4;
                }
            } else
                out += e;
        }
        if (i < s.size()) ++i;
        return out;
    }
    if (i < s.size() && s[i] == QLatin1Char('\'')) {
        for (++i; i < s.size(); ++i) {
            if (s[i] == QLatin1Char('\'')) {
                if (i + 1 < s.size() && s[i + 1] == QLatin1Char('\'')) {
                    out += s[++i];
                    continue;
                }
                break;
            }
            out += s[i];
        }
        if (i < s.size()) ++i;
        return out;
    }
    while (i < s.size() && !stops.contains(s[i])) out += s[i++];
    return out.trimmed();
}

QStringList inlineList(QStringView s)
{
    QStringList out;
    qsizetype i = 1;  // after '['
    while (i < s.size()) {
        const QString v = scalarAt(s, i, u",]");
        if (!v.isEmpty()) out << v;
        skipBlanks(s, i);
        if (i >= s.size() || s[i] == QLatin1Char(']')) break;
        ++i;  // ','
    }
    return out;
}

QHash<QString, QString> flowMap(QStringView s)
{
    QHash<QString, QString> out;
    qsizetype i = 0;
    skipBlanks(s, i);
    if (i >= s.size() || s[i] != QLatin1Char('{')) return out;
    ++i;
    while (i < s.size()) {
        const QString key = scalarAt(s, i, u":,}");
        if (i >= s.size() || s[i] != QLatin1Char(':')) break;
        ++i;
        out.insert(key, scalarAt(s, i, u",}"));
        skipBlanks(s, i);
        if (i >= s.size() || s[i] == QLatin1Char('}')) break;
        ++i;
    }
    return out;
}

// Splits content into front matter and body. Without a closed front matter the whole content
// is the body.
FrontMatter splitFrontMatter(const QString& content, QString* body)
{
    FrontMatter fm;
    *body = content;
    if (!content.startsWith(QStringLiteral("---\n"))) return fm;
    qsizetype end = -1, bodyStart = -1;
    for (const QString& close : {QStringLiteral("\n---\n"), QStringLiteral("\n...\n")}) {
        const qsizetype at = content.indexOf(close, 3);
        if (at >= 0 && (end < 0 || at < end)) {
            end = at;
            bodyStart = at + close.size();
        }
    }
    if (end < 0 &&
        (content.endsWith(QStringLiteral("\n---")) || content.endsWith(QStringLiteral("\n...")))) {
        end = content.size() - 4;
        bodyStart = content.size();
    }
    if (end < 0) return fm;
    fm.present = true;
    *body = content.mid(bodyStart);
    QString key;
    for (const QString& line : content.mid(4, end - 4 + 1).split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#'))) continue;
        if (trimmed.startsWith(QStringLiteral("- ")) || trimmed == QStringLiteral("-")) {
            if (!key.isEmpty()) fm.lists[key] << trimmed.mid(1).trimmed();
            continue;
        }
        if (line.startsWith(QLatin1Char(' ')) || line.startsWith(QLatin1Char('\t'))) continue;
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon <= 0) continue;
        key = line.left(colon).trimmed().toLower();
        const QString value = line.mid(colon + 1).trimmed();
        if (value.startsWith(QLatin1Char('[')))
            fm.lists[key] = inlineList(value);
        else if (!value.isEmpty()) {
            qsizetype i = 0;
            fm.scalars[key] = scalarAt(value, i, u"");
        }
    }
    return fm;
}

QString unquotedItem(const QString& item)
{
    qsizetype i = 0;
    return scalarAt(item, i, u"");
}

// A timestamp read from a file: negative and no further back than the calendar reaches (the
// day count of the year 9999), else none.
std::optional<long double> numberOf(const QString& text)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !(v < 0 && v > -3e6)) return std::nullopt;
    return static_cast<long double>(v);
}

// "#tag" words of a text written by another tool: not headings ("# Title"), not inside code
// fences, not anchors of addresses, and not bare numbers.
QStringList hashTags(const QString& text)
{
    static const QRegularExpression tag(QStringLiteral(
        "(?<![\\p{L}\\p{N}_&/#])#([\\p{L}\\p{N}_/-]*[\\p{L}_/-][\\p{L}\\p{N}_/-]*)"));
    QStringList out;
    bool fenced = false;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(QStringLiteral("```"))) {
            fenced = !fenced;
            continue;
        }
        if (fenced) continue;
        auto it = tag.globalMatch(line);
        while (it.hasNext()) out << it.next().captured(1);
    }
    return out;
}

QString printable(const QString& name)
{
    QString out;
    for (QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

bool isNoteFile(const QString& name)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    return suffix == QStringLiteral("md") || suffix == QStringLiteral("markdown") ||
           suffix == QStringLiteral("txt");
}

struct Candidate {
    QString path;      // absolute
    QString relative;  // shown in the report, "/" between folders
    QString folder;    // the first sub-folder, empty at the top
};

struct Walk {
    std::vector<Candidate> files;
    QStringList refused;
    QStringList skipped;
};

bool badName(const QString& name)
{
    return HasControlCharacter(name) || name.contains(QChar(QChar::ReplacementCharacter));
}

void walk(const QString& absolute, const QString& relative, const QString& folder, int depth,
          Walk& out)
{
    const QFileInfoList entries = QDir(absolute).entryInfoList(
        QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName();
        const QString rel = relative.isEmpty() ? name : relative + QLatin1Char('/') + name;
        if (name.startsWith(QLatin1Char('.'))) continue;  // another tool's settings, a VCS
        if (badName(name)) {
            out.refused << printable(rel) + QStringLiteral(
                                                ": the name holds control characters or bytes "
                                                "that are not UTF-8");
            continue;
        }
        if (entry.isSymLink()) {
            out.skipped << rel + QStringLiteral(": a link, not followed");
            continue;
        }
        if (entry.isDir()) {
            if (depth + 1 >= notes::kMaxDepth)
                out.refused << rel + QStringLiteral(": folders nested too deep");
            else
                walk(entry.absoluteFilePath(), rel, folder.isEmpty() ? name : folder, depth + 1,
                     out);
            continue;
        }
        if (!entry.isFile() || !isNoteFile(name)) {
            out.skipped << rel + QStringLiteral(": not a .md or .txt note");
            continue;
        }
        if (int(out.files.size()) >= notes::kMaxFiles) {
            out.refused
                << rel + QStringLiteral(": more than %1 notes in one import").arg(notes::kMaxFiles);
            continue;
        }
        out.files.push_back({entry.absoluteFilePath(), rel, folder});
    }
}

const QString kListingHead = QStringLiteral("---\nquillbox: project\n");
constexpr qint64 kMaxListingBytes = 64LL * 1024 * 1024;

// The file as text: bounded, valid UTF-8, no NUL or other control characters than tab, line
// breaks and form feed. Empty with *why set when refused.
QString readNote(const QString& path, QString* why)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = file.errorString();
        return {};
    }
    QByteArray bytes = file.read(notes::kMaxFileBytes + 1);
    if (bytes.size() > notes::kMaxFileBytes) {
        // A project listing may be long; any other file that big is not a note.
        if (!bytes.startsWith(kListingHead.toUtf8())) {
            *why = QStringLiteral("larger than %1 KiB").arg(notes::kMaxFileBytes / 1024);
            return {};
        }
        bytes += file.read(kMaxListingBytes + 1 - bytes.size());
        if (bytes.size() > kMaxListingBytes) {
            *why = QStringLiteral("a project listing larger than %1 MiB")
                       .arg(kMaxListingBytes / (1024 * 1024));
            return {};
        }
    }
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        *why = QStringLiteral("not UTF-8 text (binary bytes)");
        return {};
    }
    for (QChar c : text) {
        const ushort u = c.unicode();
        if ((u < 0x20 && u != '\t' && u != '\n' && u != '\r' && u != '\f') || u == 0x7F) {
            *why = QStringLiteral("holds control characters (binary bytes)");
            return {};
        }
    }
    return NormalizeLineBreaks(text);
}

struct ParsedNote {
    QString relative;
    bool ours = false;
    std::optional<long double> id, its;
    QString text;
    struct Key {
        QString word;
        std::optional<long double> conceptId;
    };
    std::vector<Key> keys;
    QStringList projects;
    QStringList problems;  // parts left out
};

struct Listing {
    QString relative;
    QString name, url, tag;
    std::optional<long double> pts;
    std::vector<std::pair<long double, std::optional<long double>>> entries;
};

QString wordProblem(const QString& word)
{
    if (word.isEmpty()) return QStringLiteral("an empty keyword");
    if (HasControlCharacter(word)) return ControlCharacterMessage(QStringLiteral("A keyword"));
    if (CodePointCount(word) > kWordFieldLength)
        return QStringLiteral("a keyword longer than %1 characters").arg(kWordFieldLength);
    return {};
}

// A foreign note's title is its file name (or its front matter's title); it leads the text
// unless the text already begins with it.
QString withTitle(const QString& title, const QString& body)
{
    const QString t = title.trimmed();
    if (t.isEmpty() || firstLine(body).compare(t, Qt::CaseInsensitive) == 0) return body;
    QString lead = body;
    while (lead.startsWith(QLatin1Char('\n'))) lead.remove(0, 1);
    return lead.isEmpty() ? t : t + QStringLiteral("\n\n") + lead;
}

ParsedNote parseNote(const Candidate& file, const FrontMatter& fm, const QString& body)
{
    ParsedNote note;
    note.relative = file.relative;
    note.ours = fm.scalars.value(QStringLiteral("quillbox")) == QStringLiteral("note");
    if (note.ours) {
        note.id = numberOf(fm.scalars.value(QStringLiteral("id")));
        note.its = numberOf(fm.scalars.value(QStringLiteral("its")));
        note.text = body;
        for (const QString& item : fm.lists.value(QStringLiteral("keywords"))) {
            const QHash<QString, QString> map = flowMap(item);
            if (map.isEmpty())
                note.keys.push_back({unquotedItem(item), std::nullopt});
            else
                note.keys.push_back({map.value(QStringLiteral("word")),
                                     numberOf(map.value(QStringLiteral("concept")))});
        }
    } else {
        QString title = fm.scalars.value(QStringLiteral("title"));
        if (title.isEmpty()) title = QFileInfo(file.path).completeBaseName();
        note.text = withTitle(title, body);
        QStringList tags = fm.lists.value(QStringLiteral("tags"));
        if (fm.scalars.contains(QStringLiteral("tags")))
            tags += fm.scalars.value(QStringLiteral("tags"))
                        .split(QRegularExpression(QStringLiteral("[,\\s]+")), Qt::SkipEmptyParts);
        tags += hashTags(body);
        QSet<QString> seen;
        for (QString tag : tags) {
            tag = unquotedItem(tag).trimmed();
            while (tag.startsWith(QLatin1Char('#'))) tag.remove(0, 1);
            tag = tag.toLower();
            if (tag.isEmpty() || seen.contains(tag)) continue;
            seen.insert(tag);
            note.keys.push_back({tag, std::nullopt});
        }
        if (!file.folder.isEmpty()) note.projects << file.folder;
    }
    for (const QString& item : fm.lists.value(QStringLiteral("projects")))
        note.projects << unquotedItem(item);
    if (fm.scalars.contains(QStringLiteral("projects")))
        note.projects << fm.scalars.value(QStringLiteral("projects"));
    return note;
}

Listing parseListing(const Candidate& file, const FrontMatter& fm)
{
    Listing listing;
    listing.relative = file.relative;
    listing.name = fm.scalars.value(QStringLiteral("project"));
    listing.url = fm.scalars.value(QStringLiteral("url"));
    listing.tag = fm.scalars.value(QStringLiteral("tag"));
    listing.pts = numberOf(fm.scalars.value(QStringLiteral("pts")));
    for (const QString& item : fm.lists.value(QStringLiteral("items"))) {
        const QHash<QString, QString> map = flowMap(item);
        const std::optional<long double> id = numberOf(map.value(QStringLiteral("id")));
        if (!id) continue;
        listing.entries.push_back({*id, numberOf(map.value(QStringLiteral("order")))});
    }
    return listing;
}

// The import's work on the store: words, concepts and projects looked up or made inside the
// batch's transaction, always with bound values.
class Importer {
public:
    explicit Importer(NotesImportResult& result) : result_(result) {}

    bool runBatch(std::vector<ParsedNote>& batch);
    bool applyListings(const std::vector<Listing>& listings);

private:
    std::optional<long double> conceptFor(const ParsedNote::Key& key, int wordNo);
    bool linkWord(long double conceptId, int wordNo);
    bool ensureProject(const QString& name);
    std::optional<long double> storedConcept(long double id);
    long double freeId(long double start);

    NotesImportResult& result_;
    QHash<double, double> conceptIds_;  // conceptId id in the files -> id in the store
    QHash<double, double> itemIds_;     // item id in the files -> id in the store
    QSet<QString> projectsMade_;
};

std::optional<long double> Importer::storedConcept(long double id)
{
    sql::Statement st(db(), QStringLiteral("SELECT C FROM DICT WHERE C BETWEEN ?1 AND ?2 LIMIT 1"));
    st.bind(1, id - 1e-7L).bind(2, id + 1e-7L);
    if (st.next()) return st.extValue(0);
    return std::nullopt;
}

long double Importer::freeId(long double start)
{
    long double candidate = start;
    for (int step = 0; step < 100000; ++step) {
        const std::optional<bool> stored = IdIsStored(session().store, candidate);
        if (stored && !*stored) return candidate;
        candidate -= TimestampGenerator::kCounterStep;
    }
    return 0;
}

bool Importer::linkWord(long double conceptId, int wordNo)
{
    sql::Statement has(db(), QStringLiteral("SELECT 1 FROM DICT WHERE C = ?1 AND WNo = ?2"));
    has.bind(1, conceptId).bind(2, wordNo);
    if (has.next()) return true;
    if (!has.ok()) return false;
    sql::Statement insert(db(),
                          QStringLiteral("INSERT INTO DICT (C, WNo, CTS) VALUES (?1, ?2, ?3)"));
    insert.bind(1, conceptId).bind(2, wordNo).bind(3, GetQBTSMark());
    return insert.run();
}

// The conceptId a keyword goes through: the one the file names (made with the word when the
// store lacks it), else the word's most recent conceptId, else a new one of its own.
std::optional<long double> Importer::conceptFor(const ParsedNote::Key& key, int wordNo)
{
    long double conceptId = 0;
    if (key.conceptId) {
        if (auto made = conceptIds_.constFind(double(*key.conceptId)); made != conceptIds_.cend())
            conceptId = *made;
        else if (const std::optional<long double> stored = storedConcept(*key.conceptId))
            conceptId = *stored;
        else {
            conceptId = freeId(*key.conceptId);
            if (conceptId == 0) return std::nullopt;
            conceptIds_.insert(double(*key.conceptId), double(conceptId));
        }
    } else {
        const std::vector<Timestamp> ids = ConceptIdsOfWord(wordNo);
        conceptId = ids.empty() ? freeId(GetQBTSMark()) : ids.front();
        if (conceptId == 0) return std::nullopt;
    }
    if (!linkWord(conceptId, wordNo)) return std::nullopt;
    return conceptId;
}

bool Importer::ensureProject(const QString& name)
{
    sql::Statement insert(db(), QStringLiteral("INSERT OR IGNORE INTO PROJECT (Project, PTS, URL, "
                                               "Tag) VALUES (?1, ?2, '', '')"));
    insert.bind(1, name).bind(2, GetQBTSMark());
    if (!insert.run()) return false;
    if (db().changes() > 0) projectsMade_.insert(name);
    return true;
}

bool Importer::runBatch(std::vector<ParsedNote>& batch)
{
    sql::Transaction transaction(db());
    if (!transaction.isActive()) {
        result_.error = QStringLiteral("The store cannot be written: ") + db().lastError();
        return false;
    }
    std::vector<ItemCardData> cards(batch.size());
    std::vector<bool> isUpdate(batch.size(), false);
    std::vector<CardData*> pass;
    // New items without an id of their own: one id from the generator, the rest below it; the
    // commit's claim moves any that another program holds.
    long double nextNew = 0;
    for (size_t n = 0; n < batch.size(); ++n) {
        ParsedNote& note = batch[n];
        ItemCardData& card = cards[n];
        const std::optional<Timestamp> stored =
            note.id ? FindItemId(double(*note.id)) : std::nullopt;
        if (stored) {
            QString error;
            if (!LoadItemCard(card, *stored, &error)) {
                result_.refused << note.relative +
                                       QStringLiteral(
                                           ": the item in the store could "
                                           "not be read: ") +
                                       error;
                continue;
            }
            isUpdate[n] = true;
        } else {
            if (note.id) {
                card.itemId = *note.id;
            } else {
                if (nextNew == 0) nextNew = GetQBTS();
                card.itemId = nextNew;
                nextNew -= TimestampGenerator::kCounterStep;
            }
            card.unsaved = true;
        }
        card.text = note.text;
        card.keywords.clear();
        card.projects.clear();
        bool failed = false;
        for (const ParsedNote::Key& key : note.keys) {
            const QString word = note.ours ? key.word : key.word.toLower();
            if (const QString problem = wordProblem(word); !problem.isEmpty()) {
                note.problems << problem + QStringLiteral(" (\"") + printable(word) +
                                     QStringLiteral("\") left out");
                continue;
            }
            if (card.keyCount() >= ItemCardData::kMaxLinks) {
                note.problems << QStringLiteral("keyword \"") + word +
                                     QStringLiteral("\" left out: an item holds %1")
                                         .arg(ItemCardData::kMaxLinks);
                continue;
            }
            const int wordNo = CaptureWordNumber(word);
            const std::optional<long double> conceptId =
                wordNo > 0 ? conceptFor(key, wordNo) : std::nullopt;
            if (!conceptId) {
                failed = true;
                break;
            }
            card.keywords.push_back({*conceptId, wordNo, LinkName(WordByNumber(wordNo))});
        }
        for (const QString& typed : note.projects) {
            const QString name = typed.trimmed().toUpper();
            if (name.isEmpty() || card.projects.contains(name)) continue;
            if (const QString problem = ProjectNameProblem(name); !problem.isEmpty()) {
                note.problems << QStringLiteral("project \"") + printable(name) +
                                     QStringLiteral("\" left out: ") + problem;
                continue;
            }
            if (card.projCount() >= ItemCardData::kMaxLinks) {
                note.problems << QStringLiteral("project \"") + name +
                                     QStringLiteral("\" left out: an item holds %1")
                                         .arg(ItemCardData::kMaxLinks);
                continue;
            }
            if (!ensureProject(name)) {
                failed = true;
                break;
            }
            card.projects << name;
        }
        if (failed) {
            result_.error = QStringLiteral("The store cannot be written: ") + db().lastError();
            return false;
        }
        card.pendingTS = note.its ? *note.its : 0;
        card.changed = true;
        pass.push_back(&card);
    }
    const CommitResult commit = CommitCards(pass);
    QString error;
    if (!commit.committed || !transaction.commit(&error)) {
        result_.error = QStringLiteral("The notes could not be stored") +
                        (error.isEmpty() ? QString() : QStringLiteral(": ") + error);
        return false;
    }
    for (size_t n = 0; n < batch.size(); ++n) {
        const ItemCardData& card = cards[n];
        const ParsedNote& note = batch[n];
        if (std::find(pass.begin(), pass.end(), &cards[n]) == pass.end()) continue;
        if (card.changed) {
            result_.refused << note.relative + QStringLiteral(": the item could not be stored");
            continue;
        }
        if (note.id) itemIds_.insert(double(*note.id), double(card.itemId));
        (isUpdate[n] ? result_.updated : result_.added) << note.relative;
        for (const QString& problem : note.problems)
            result_.refused << note.relative + QStringLiteral(": ") + problem;
    }
    return true;
}

bool Importer::applyListings(const std::vector<Listing>& listings)
{
    if (listings.empty()) return true;
    sql::Transaction transaction(db());
    if (!transaction.isActive()) {
        result_.error = QStringLiteral("The store cannot be written: ") + db().lastError();
        return false;
    }
    bool ok = true;
    QStringList applied;
    for (const Listing& listing : listings) {
        const QString name = listing.name.trimmed().toUpper();
        if (const QString problem =
                name.isEmpty() ? QStringLiteral("no project name") : ProjectNameProblem(name);
            !problem.isEmpty()) {
            result_.refused << listing.relative + QStringLiteral(": ") + problem;
            continue;
        }
        QString url = listing.url, tag = listing.tag.toUpper();
        if (HasControlCharacter(url) || CodePointCount(url) > kProjectUrlLength) url.clear();
        if (HasControlCharacter(tag) || CodePointCount(tag) > kProjectNameLength) tag.clear();
        const long double pts = listing.pts ? *listing.pts : GetQBTSMark();
        if (!ensureProject(name)) {
            ok = false;
            break;
        }
        if (projectsMade_.contains(name)) {
            // Made by this import: it takes the listing's record. A project the store had
            // before keeps its own.
            sql::Statement set(db(), QStringLiteral("UPDATE PROJECT SET PTS = ?2, URL = ?3, "
                                                    "Tag = ?4 WHERE Project = ?1"));
            set.bind(1, name).bind(2, pts).bind(3, url).bind(4, tag);
            if (!set.run()) {
                ok = false;
                break;
            }
        }
        sql::Statement order(db(), QStringLiteral("INSERT OR REPLACE INTO PRJORDR (Project, IT, "
                                                  "ITS) VALUES (?1, ?2, ?3)"));
        for (const auto& [fileId, position] : listing.entries) {
            if (!position) continue;
            std::optional<Timestamp> id;
            if (auto it = itemIds_.constFind(double(fileId)); it != itemIds_.cend())
                id = *it;
            else
                id = FindItemId(double(fileId));
            if (!id) continue;
            order.reset();
            order.bind(1, name).bind(2, *id).bind(3, *position);
            if (!order.run()) {
                ok = false;
                break;
            }
        }
        if (!ok) break;
        applied << listing.relative;
    }
    QString error;
    if (!ok || !transaction.commit(&error)) {
        result_.error = QStringLiteral("The project listings could not be stored: ") +
                        (error.isEmpty() ? db().lastError() : error);
        return false;
    }
    result_.projects += applied;
    return true;
}

}  // namespace

namespace notes {

QString SafeFileName(const QString& text)
{
    QString name;
    bool gap = false;
    for (QChar c : firstLine(text)) {
        if (c.isLetterOrNumber() || c.isMark() || c == QLatin1Char('_')) {
            if (gap && !name.isEmpty()) name += QLatin1Char('-');
            gap = false;
            name += c;
        } else {
            gap = true;
        }
        if (name.toUtf8().size() > kMaxNameBytes) break;
    }
    while (name.toUtf8().size() > kMaxNameBytes) name.chop(1);
    if (!name.isEmpty() && name.back().isHighSurrogate()) name.chop(1);
    return name.isEmpty() ? QStringLiteral("note") : name;
}

}  // namespace notes

NotesExportResult ExportNotes(const QString& dir, const NotesProgress& progress)
{
    NotesExportResult result;
    QDir target(dir);
    if (target.exists() &&
        !target.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)
             .isEmpty()) {
        result.error = dir + QStringLiteral(
                                 " is not empty: notes are written into an empty "
                                 "folder only");
        return result;
    }
    if (!QDir().mkpath(dir) || !QDir().mkpath(target.filePath(QStringLiteral("projects")))) {
        result.error = dir + QStringLiteral(" cannot be made");
        return result;
    }

    std::vector<ExportItem> items;
    std::vector<ExportProject> projects;
    {
        // One read transaction: a view of the store that no other program changes meanwhile.
        sql::Transaction view(db(), false);
        QHash<double, size_t> index;
        sql::Statement all(db(),
                           QStringLiteral("SELECT IT, TX, ITS, length(Animation) > 0 FROM ITEM "
                                          "ORDER BY IT DESC"));
        while (all.next()) {
            index.insert(all.realValue(0), items.size());
            items.push_back({all.extValue(0),
                             all.extValue(2),
                             all.textValue(1),
                             {},
                             {},
                             {},
                             all.intValue(3) != 0});
        }
        sql::Statement keys(db(), QStringLiteral("SELECT k.IT, w.Word, k.ITC FROM ITEMKEYS k "
                                                 "JOIN WORD w ON w.WNo = k.WNo "
                                                 "ORDER BY k.IT, k.\"Order\""));
        while (keys.next())
            if (auto it = index.constFind(keys.realValue(0)); it != index.cend())
                items[*it].keywords.push_back({keys.textValue(1), keys.extValue(2)});
        sql::Statement links(db(), QStringLiteral("SELECT IT, Project FROM ITEMURL "
                                                  "ORDER BY IT, \"Order\""));
        while (links.next())
            if (auto it = index.constFind(links.realValue(0)); it != index.cend())
                items[*it].projects << links.textValue(1);
        sql::Statement rows(db(), QStringLiteral("SELECT Project, PTS, URL, Tag FROM PROJECT "
                                                 "ORDER BY Project"));
        QHash<QString, size_t> byName;
        while (rows.next()) {
            byName.insert(rows.textValue(0), projects.size());
            projects.push_back(
                {rows.textValue(0), rows.textValue(2), rows.textValue(3), rows.extValue(1), {}});
        }
        // The order a project drop shows: the saved snapshot where there is one.
        sql::Statement order(
            db(), QStringLiteral("SELECT u.Project, u.IT, o.ITS FROM ITEMURL u "
                                 "JOIN ITEM i ON i.IT = u.IT "
                                 "LEFT JOIN PRJORDR o ON o.Project = u.Project AND o.IT = u.IT "
                                 "GROUP BY u.Project, u.IT "
                                 "ORDER BY u.Project, CASE WHEN o.ITS < 0 THEN o.ITS "
                                 "ELSE i.ITS END, u.IT"));
        while (order.next()) {
            auto it = byName.constFind(order.textValue(0));
            if (it == byName.cend()) continue;
            std::optional<long double> position;
            if (!order.isNull(2)) position = order.extValue(2);
            projects[*it].entries.push_back({order.extValue(1), position});
        }
        for (const sql::Statement* st : {&all, &keys, &links, &rows, &order}) {
            if (!st->ok()) {
                result.error = QStringLiteral("The store could not be read: ") + st->error();
                return result;
            }
        }
    }

    const int total = int(items.size() + projects.size());
    int done = 0;
    NameSet noteNames;
    QHash<double, QString> fileOf;
    for (ExportItem& item : items) {
        item.file = noteNames.take(notes::SafeFileName(item.text)) + QStringLiteral(".md");
        fileOf.insert(double(item.id), item.file);
        QString out = QStringLiteral("---\nquillbox: note\nid: ") + number(item.id) +
                      QStringLiteral("\nits: ") + number(item.its) + QLatin1Char('\n');
        if (const QString created = idTime(item.id); !created.isEmpty())
            out += QStringLiteral("created: ") + created + QLatin1Char('\n');
        if (!item.keywords.empty()) {
            out += QStringLiteral("keywords:\n");
            for (const auto& [word, conceptId] : item.keywords)
                out += QStringLiteral("  - {word: ") + quoted(word) +
                       QStringLiteral(", concept: ") + number(conceptId) + QStringLiteral("}\n");
        }
        if (!item.projects.isEmpty()) {
            out += QStringLiteral("projects:\n");
            for (const QString& project : item.projects)
                out += QStringLiteral("  - ") + quoted(project) + QLatin1Char('\n');
        }
        if (item.picture) {
            // A Markdown note holds text only; the picture stays in the store, and an import
            // that updates this item keeps it.
            out += QStringLiteral("picture: kept in the store\n");
            ++result.pictures;
        }
        out += QStringLiteral("---\n") + item.text;
        if (!writeFile(target.path(), item.file, out, &result.error)) return result;
        ++result.notes;
        if (progress && !progress(++done, total)) {
            result.error = QStringLiteral("Stopped");
            return result;
        }
    }
    NameSet projectNames;
    for (const ExportProject& project : projects) {
        const QString file =
            projectNames.take(notes::SafeFileName(project.name)) + QStringLiteral(".md");
        QString out = QStringLiteral("---\nquillbox: project\nproject: ") + quoted(project.name) +
                      QStringLiteral("\npts: ") + number(project.pts) + QStringLiteral("\nurl: ") +
                      quoted(project.url) + QStringLiteral("\ntag: ") + quoted(project.tag) +
                      QStringLiteral("\nitems:\n");
        QString list;
        int n = 0;
        for (const ExportProject::Entry& entry : project.entries) {
            const QString note = fileOf.value(double(entry.id));
            out += QStringLiteral("  - {id: ") + number(entry.id);
            if (entry.order) out += QStringLiteral(", order: ") + number(*entry.order);
            out += QStringLiteral(", file: ") + quoted(note) + QStringLiteral("}\n");
            list += QString::number(++n) + QStringLiteral(". [") + note + QStringLiteral("](../") +
                    QString::fromUtf8(QUrl::toPercentEncoding(note)) + QStringLiteral(")\n");
        }
        out += QStringLiteral("---\n# ") + printable(project.name) + QStringLiteral("\n\n") + list;
        if (!writeFile(target.filePath(QStringLiteral("projects")), file, out, &result.error))
            return result;
        ++result.projects;
        if (progress && !progress(++done, total)) {
            result.error = QStringLiteral("Stopped");
            return result;
        }
    }
    result.ok = true;
    return result;
}

NotesImportResult ImportNotes(const QString& dir, const NotesProgress& progress)
{
    NotesImportResult result;
    if (!QFileInfo(dir).isDir()) {
        result.error = dir + QStringLiteral(" is not a folder");
        return result;
    }
    Walk found;
    walk(QDir(dir).absolutePath(), QString(), QString(), 0, found);
    result.refused = found.refused;
    result.skipped = found.skipped;

    Importer importer(result);
    std::vector<ParsedNote> batch;
    std::vector<Listing> listings;
    const int total = int(found.files.size());
    int done = 0;
    auto flush = [&] {
        if (batch.empty()) return true;
        const bool ok = importer.runBatch(batch);
        batch.clear();
        return ok;
    };
    for (const Candidate& file : found.files) {
        QString why;
        const QString content = readNote(file.path, &why);
        if (!why.isEmpty()) {
            result.refused << file.relative + QStringLiteral(": ") + why;
        } else {
            QString body;
            const FrontMatter fm = splitFrontMatter(content, &body);
            if (fm.scalars.value(QStringLiteral("quillbox")) == QStringLiteral("project")) {
                listings.push_back(parseListing(file, fm));
            } else {
                ParsedNote note = parseNote(file, fm, body);
                if (const QString refusal = ItemTextRefusal(note.text); !refusal.isEmpty())
                    result.refused << file.relative + QStringLiteral(": ") + refusal;
                else if (CodePointCount(note.text) > ItemCardData::kMaxTextLength)
                    result.refused
                        << file.relative + QStringLiteral(": a text longer than %1 characters")
                                               .arg(ItemCardData::kMaxTextLength);
                else if (note.text.trimmed().isEmpty() && note.keys.empty())
                    result.refused << file.relative + QStringLiteral(": no text");
                else
                    batch.push_back(std::move(note));
            }
        }
        if (int(batch.size()) >= notes::kBatch && !flush()) return result;
        if (progress && !progress(++done, total)) {
            result.error = QStringLiteral("Stopped; the notes before were stored");
            return result;
        }
    }
    if (!flush() || !importer.applyListings(listings)) return result;
    result.ok = true;
    return result;
}

QString NotesImportReport(const NotesImportResult& result)
{
    QString out;
    for (const QString& name : result.added) out += QStringLiteral("added\t") + name + '\n';
    for (const QString& name : result.updated) out += QStringLiteral("updated\t") + name + '\n';
    for (const QString& name : result.projects) out += QStringLiteral("project\t") + name + '\n';
    for (const QString& line : result.skipped) out += QStringLiteral("skipped\t") + line + '\n';
    for (const QString& line : result.refused) out += QStringLiteral("refused\t") + line + '\n';
    out += QStringLiteral("%1 added, %2 updated, %3 project listings, %4 refused, %5 skipped\n")
               .arg(result.added.size())
               .arg(result.updated.size())
               .arg(result.projects.size())
               .arg(result.refused.size())
               .arg(result.skipped.size());
    if (!result.ok) out += result.error + QLatin1Char('\n');
    return out;
}

}  // namespace qb
