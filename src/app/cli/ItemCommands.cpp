#include "app/cli/CliCommand.h"

#include "dictionary/Concepts.h"
#include "dictionary/DictionaryTypes.h"
#include "dictionary/Words.h"
#include "items/Associations.h"
#include "items/Capture.h"
#include "items/Commit.h"
#include "items/ItemCardData.h"
#include "items/ItemLinks.h"
#include "items/ItemPicture.h"
#include "items/ItemQueries.h"
#include "items/ItemRecord.h"
#include "platform/TextChecks.h"
#include "session/Session.h"

#include <QFile>

#include <cstdio>

namespace qb::cli {

namespace {

void print(const QString& text) { std::fputs(text.toUtf8().constData(), stdout); }

QString idText(Timestamp id) { return QString::number(double(id), 'g', 15); }

// Why the stored picture of an item was not read; the refusal comes from the header, so asking
// again costs little.
QString pictureRefusal(Timestamp id)
{
    sql::Statement st(session().store.db(),
                      QStringLiteral("SELECT Animation FROM ITEM WHERE IT = ?1"));
    st.bind(1, id);
    if (!st.next()) return st.ok() ? QStringLiteral("the item is gone") : st.error();
    return LoadPictureData(st.blobValue(0)).error;
}

// item show ID: the item's text, then its keywords and projects, one a line.
int runShow(const QStringList& args)
{
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: item show ID\n");
        return kUsage;
    }
    bool ok = false;
    const double typed = args.first().toDouble(&ok);
    if (!ok) {
        std::fprintf(stderr, "Not an item id: %s\n", args.first().toLocal8Bit().constData());
        return kUsage;
    }
    const std::optional<Timestamp> id = FindItemId(typed);
    if (!id) {
        std::fprintf(stderr, "No item with id %s\n", args.first().toLocal8Bit().constData());
        return kFailed;
    }
    ItemCardData item;
    QString error;
    if (!LoadItemCard(item, *id, &error)) {
        std::fprintf(stderr, "The item could not be read: %s\n", error.toLocal8Bit().constData());
        return kFailed;
    }
    QString out = QStringLiteral("item ") + idText(*id) + QStringLiteral("\ntext\n");
    out += item.text;
    if (!item.text.endsWith(QLatin1Char('\n'))) out += QLatin1Char('\n');
    out += QStringLiteral("keywords %1\n").arg(item.keyCount());
    for (const KeywordLink& link : item.keywords)
        out += QStringLiteral("  ") + link.word + QStringLiteral(" (word ") +
               QString::number(link.wordNo) + QStringLiteral(", concept ") +
               idText(link.conceptId) + QStringLiteral(")\n");
    out += QStringLiteral("projects %1\n").arg(item.projCount());
    for (const QString& project : item.projects)
        out += QStringLiteral("  ") + project + QLatin1Char('\n');
    if (item.hasPicture)
        out += QStringLiteral("picture %1 x %2\n")
                   .arg(item.picture.width())
                   .arg(item.picture.height());
    else if (item.pictureUnread)
        out += QStringLiteral("picture refused (kept as stored): ") + pictureRefusal(*id) +
               QLatin1Char('\n');
    print(out);
    return kOk;
}

// The text of --file: a file, or standard input for "-"; UTF-8.
bool readTextFile(const QString& name, QString* text)
{
    QFile file;
    const bool opened = name == QStringLiteral("-")
                            ? file.open(stdin, QIODevice::ReadOnly)
                            : (file.setFileName(name), file.open(QIODevice::ReadOnly));
    if (!opened) {
        std::fprintf(stderr, "%s cannot be read: %s\n", name.toLocal8Bit().constData(),
                     file.errorString().toLocal8Bit().constData());
        return false;
    }
    // Four bytes per character and a byte order mark at most; more cannot fit an item anyway.
    const qint64 limit = qint64(ItemCardData::kMaxTextLength) * 4 + 3;
    const QByteArray bytes = file.read(limit + 1);
    if (bytes.size() > limit) {
        std::fprintf(stderr, "The text is longer than %d characters\n",
                     ItemCardData::kMaxTextLength);
        return false;
    }
    if (!decodeUtf8(bytes, text)) {
        std::fprintf(stderr, "%s is not valid UTF-8 text\n", name.toLocal8Bit().constData());
        return false;
    }
    return true;
}

int storeItem(QString text, const QString& keyword);

const char* const kAddUsage = "usage: item add --keyword WORD (TEXT | --file FILE|-)\n";

// item add --keyword WORD TEXT: a new item with that keyword.
int runAdd(const Context& context, QStringList args)
{
    const QString keyword = takeOption(args, QStringLiteral("--keyword")).trimmed().toLower();
    // Named from where the command was given, not from the store directory the CLI works in.
    const QString fileName = callerPath(context, takeOption(args, QStringLiteral("--file")));
    takeEndOfOptions(args);
    if (keyword.isEmpty() || args.size() != (fileName.isEmpty() ? 1 : 0)) {
        std::fputs(kAddUsage, stderr);
        return kUsage;
    }
    QString text;
    if (fileName.isEmpty())
        text = args.first();
    else if (!readTextFile(fileName, &text))
        return kFailed;
    return storeItem(text, keyword);
}

// Stores a text as a new item with one keyword, through the same commit as the desktop's, the
// new word and concept included, all in one transaction. The store's write lock is taken first,
// so the ids and the word number are chosen while no other program can write.
int storeItem(QString text, const QString& keyword)
{
    text = NormalizeLineBreaks(text);
    const QString refusal = ItemTextRefusal(text);
    if (!refusal.isEmpty()) {
        std::fprintf(stderr, "%s\n", refusal.toLocal8Bit().constData());
        return kFailed;
    }
    if (text.trimmed().isEmpty()) {
        std::fprintf(stderr, "The item has no text\n");
        return kFailed;
    }
    if (characterCount(text) > ItemCardData::kMaxTextLength) {
        std::fprintf(stderr, "The text is longer than %d characters\n",
                     ItemCardData::kMaxTextLength);
        return kFailed;
    }
    if (characterCount(keyword) > kWordFieldLength) {
        std::fprintf(stderr, "A word has at most %d characters\n", kWordFieldLength);
        return kFailed;
    }
    if (HasControlCharacter(keyword)) {
        std::fprintf(
            stderr, "%s\n",
            ControlCharacterMessage(QStringLiteral("A keyword")).toLocal8Bit().constData());
        return kFailed;
    }
    sql::Database& db = session().store.db();
    sql::Transaction transaction(db);
    if (!transaction.isActive()) {
        std::fprintf(stderr, "The store cannot be written: %s\n",
                     db.lastError().toLocal8Bit().constData());
        return kFailed;
    }
    // Checked under the write lock: no other program changes the files between check and write.
    if (!tablesWhole({QStringLiteral("ITEM"), QStringLiteral("ITEMKEYS"), QStringLiteral("DICT"),
                      QStringLiteral("WORD"), QStringLiteral("INFLEC")}))
        return kFailed;
    const int wordNo = CaptureWordNumber(keyword);
    if (wordNo < 1) {
        std::fprintf(stderr, "The word could not be added to the dictionary\n");
        return kFailed;
    }
    const QString word = WordByNumber(wordNo);
    std::vector<Timestamp> concepts = ConceptIdsOfWord(wordNo);
    std::optional<ConceptCardData> newConcept;
    if (concepts.size() > 1) {
        QString lines;
        for (const ConceptInfo& info : ConceptsOfWord(wordNo).list)
            lines += QStringLiteral("  ") + info.line + QLatin1Char('\n');
        std::fprintf(stderr, "\"%s\" belongs to %d concepts; choose one on the desktop:\n%s",
                     word.toLocal8Bit().constData(), int(concepts.size()),
                     lines.toLocal8Bit().constData());
        return kFailed;
    }
    ItemCardData item;
    item.itemId = GetQBTS();
    item.unsaved = true;
    item.text = text;
    item.changed = true;
    std::vector<CardData*> cards;
    if (concepts.empty()) {
        // A word without concept gets one of its own, written in the same pass as the item.
        NewConceptRequest request;
        request.withWord = true;
        request.word = word;
        request.wordNo = wordNo;
        newConcept = NewConcept(request);
        if (!newConcept) {
            std::fprintf(stderr, "No concept could be made for \"%s\"\n",
                         word.toLocal8Bit().constData());
            return kFailed;
        }
        cards.push_back(&*newConcept);
        concepts.push_back(newConcept->conceptId);
    }
    AddKeyword(item, wordNo, word, concepts.front());
    cards.push_back(&item);
    const CommitResult result = CommitCards(cards);
    QString error;
    if (!result.committed || item.changed || !transaction.commit(&error)) {
        std::fprintf(stderr, "The item could not be stored%s%s\n", error.isEmpty() ? "" : ": ",
                     error.toLocal8Bit().constData());
        return kFailed;
    }
    print(idText(item.itemId) + QLatin1Char('\n'));
    return kOk;
}

// capture [--no-crs] --keyword WORD: standard input made an item as the clipboard capture makes
// one, its line breaks converted (removed with --no-crs).
int runCapture(Context& context)
{
    QStringList args = context.args;
    const bool noCrs = takeFlag(args, QStringLiteral("--no-crs"));
    const QString keyword = takeOption(args, QStringLiteral("--keyword")).trimmed().toLower();
    takeEndOfOptions(args);
    if (keyword.isEmpty() || !args.isEmpty()) {
        std::fputs("usage: capture [--no-crs] --keyword WORD < TEXT\n", stderr);
        return kUsage;
    }
    QString text;
    if (!readTextFile(QStringLiteral("-"), &text)) return kFailed;
    return storeItem(ConvertLineBreaks(text, noCrs ? LineBreaks::Remove : LineBreaks::Keep),
                     keyword);
}

// item related ID: the items read together with it, most often paired first, with the count.
int runRelated(const QStringList& args)
{
    bool ok = false;
    const double typed = args.size() == 1 ? args.first().toDouble(&ok) : 0;
    if (!ok) {
        std::fprintf(stderr, "usage: item related ID\n");
        return kUsage;
    }
    const std::optional<Timestamp> id = FindItemId(typed);
    if (!id) {
        std::fprintf(stderr, "No item with id %s\n", args.first().toLocal8Bit().constData());
        return kFailed;
    }
    bool read = false;
    const std::vector<RelatedItem> related = RelatedItems(*id, &read);
    if (!read) {
        std::fprintf(stderr, "The associations could not be read\n");
        return kFailed;
    }
    for (const RelatedItem& r : related)
        print(idText(r.item) + QLatin1Char('\t') + QString::number(r.count) + QLatin1Char('\n'));
    return kOk;
}

int runItem(Context& context)
{
    QStringList args = context.args;
    if (args.isEmpty()) {
        std::fprintf(stderr,
                     "usage: item show ID | item add --keyword WORD (TEXT | --file FILE|-) | "
                     "item related ID\n");
        return kUsage;
    }
    const QString verb = args.takeFirst();
    if (verb == QStringLiteral("show")) return runShow(args);
    if (verb == QStringLiteral("add")) return runAdd(context, args);
    if (verb == QStringLiteral("related")) return runRelated(args);
    std::fprintf(stderr, "Unknown item command: %s\n", verb.toLocal8Bit().constData());
    return kUsage;
}

const Registration item{
    {QStringLiteral("item"),
     QStringLiteral(
         "item show ID | item add --keyword WORD (TEXT | --file FILE|-) | item related ID   "
         "print an item, add one, or list the items read with it"),
     true, runItem}};

const Registration capture{
    {QStringLiteral("capture"),
     QStringLiteral("capture [--no-crs] --keyword WORD   standard input as a new item, its line "
                    "breaks converted as the clipboard capture does"),
     true, runCapture}};

}  // namespace

}  // namespace qb::cli
