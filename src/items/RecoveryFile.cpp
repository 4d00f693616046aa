#include "items/RecoveryFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "dictionary/ConceptCardData.h"
#include "items/ItemCardData.h"
#include "items/ItemLinks.h"
#include "items/ItemPicture.h"
#include "platform/FileNames.h"

namespace qb::recovery {

namespace {

constexpr int kMaxCards = 100000;
constexpr int kDesktopSize = 2000;

// Ids are 80-bit in memory; 21 significant digits bring back every bit.
QString idText(Timestamp id)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.21Lg", id);
    return QString::fromLatin1(buffer);
}

bool idFromText(const QJsonValue& value, Timestamp* id)
{
    const QByteArray text = value.toString().toLatin1();
    if (text.isEmpty()) return false;
    char* end = nullptr;
    errno = 0;
    const long double v = std::strtold(text.constData(), &end);
    if (errno != 0 || end != text.constData() + text.size() || !std::isfinite(v)) return false;
    *id = v;
    return true;
}

bool pairFrom(const QJsonValue& value, int* a, int* b)
{
    const QJsonArray array = value.toArray();
    if (array.size() != 2 || !array[0].isDouble() || !array[1].isDouble()) return false;
    *a = array[0].toInt();
    *b = array[1].toInt();
    return true;
}

QByteArray encodePicture(const QImage& picture, PictureCache* cache)
{
    if (cache) {
        auto found = cache->constFind(picture.cacheKey());
        if (found != cache->constEnd()) return *found;
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    QByteArray encoded = png.toBase64();
    if (cache) {
        if (cache->size() > 64) cache->clear();
        cache->insert(picture.cacheKey(), encoded);
    }
    return encoded;
}

// The file is written by hand rather than through QJsonDocument: the snapshot runs on the
// program's thread at every pause in typing and must stay a few milliseconds for hundreds of cards.
class JsonOut {
public:
    QByteArray bytes;

    JsonOut& raw(const char* text)
    {
        bytes.append(text);
        return *this;
    }
    JsonOut& number(long long value)
    {
        bytes.append(QByteArray::number(value));
        return *this;
    }
    JsonOut& id(Timestamp value) { return string(idText(value)); }
    JsonOut& string(const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        bytes.append('"');
        qsizetype start = 0;
        for (qsizetype i = 0; i < utf8.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(utf8[i]);
            if (c >= 0x20 && c != '"' && c != '\\') continue;
            bytes.append(utf8.constData() + start, i - start);
            start = i + 1;
            switch (c) {
            case '"': bytes.append("\\\""); break;
            case '\\': bytes.append("\\\\"); break;
            case '\n': bytes.append("\\n"); break;
            case '\r': bytes.append("\\r"); break;
            case '\t': bytes.append("\\t"); break;
            default: {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                bytes.append(escaped);
            }
            }
        }
        bytes.append(utf8.constData() + start, utf8.size() - start);
        bytes.append('"');
        return *this;
    }
    JsonOut& place(const CardData& card)
    {
        raw(",\"pos\":[").number(card.pos.x()).raw(",").number(card.pos.y()).raw("]");
        raw(",\"size\":[").number(card.size.width()).raw(",").number(card.size.height()).raw("]");
        // A card never stored: its id may be taken by another program before it is committed.
        if (card.unsaved) raw(",\"new\":true");
        return *this;
    }
};

void writeItem(JsonOut& out, const ItemCardData& card, PictureCache* pictures)
{
    out.raw("{\"kind\":\"item\",\"id\":").id(card.itemId).raw(",\"text\":").string(card.text);
    out.raw(",\"keywords\":[");
    for (size_t i = 0; i < card.keywords.size(); ++i) {
        const KeywordLink& k = card.keywords[i];
        out.raw(i ? ",{\"concept\":" : "{\"concept\":").id(k.conceptId);
        out.raw(",\"wordNo\":").number(k.wordNo).raw(",\"word\":").string(k.word).raw("}");
    }
    out.raw("],\"projects\":[");
    for (qsizetype i = 0; i < card.projects.size(); ++i) {
        if (i) out.raw(",");
        out.string(card.projects[i]);
    }
    out.raw("]");
    if (card.hasPicture && !card.picture.isNull())
        out.raw(",\"picture\":\"").bytes.append(encodePicture(card.picture, pictures)).append('"');
    out.place(card).raw("}");
}

void writeConcept(JsonOut& out, const ConceptCardData& card)
{
    out.raw("{\"kind\":\"concept\",\"id\":").id(card.conceptId).raw(",\"words\":[");
    for (size_t i = 0; i < card.words.size(); ++i) {
        out.raw(i ? ",{\"wordNo\":" : "{\"wordNo\":").number(card.words[i].wordNo);
        out.raw(",\"word\":").string(card.words[i].word).raw("}");
    }
    out.raw("]").place(card).raw("}");
}

bool readPlace(const QJsonObject& o, CardData& card)
{
    int x = 0, y = 0, w = 0, h = 0;
    if (!pairFrom(o[QStringLiteral("pos")], &x, &y) || !pairFrom(o[QStringLiteral("size")], &w, &h))
        return false;
    card.pos = QPoint(std::clamp(x, 0, kDesktopSize), std::clamp(y, 0, kDesktopSize));
    if (w > 0 && h > 0 && w <= kDesktopSize && h <= kDesktopSize) card.size = QSize(w, h);
    card.normalSize = card.size;
    card.unsaved = o[QStringLiteral("new")].toBool();
    return true;
}

std::unique_ptr<CardData> readItem(const QJsonObject& o, QString* why)
{
    auto card = std::make_unique<ItemCardData>();
    if (!idFromText(o[QStringLiteral("id")], &card->itemId) ||
        !o[QStringLiteral("text")].isString())
        return nullptr;
    card->text = o[QStringLiteral("text")].toString().left(ItemCardData::kMaxTextLength);
    for (const QJsonValue& v : o[QStringLiteral("keywords")].toArray()) {
        const QJsonObject k = v.toObject();
        KeywordLink link;
        if (!idFromText(k[QStringLiteral("concept")], &link.conceptId) ||
            !k[QStringLiteral("wordNo")].isDouble())
            return nullptr;
        link.wordNo = k[QStringLiteral("wordNo")].toInt();
        link.word = LinkName(k[QStringLiteral("word")].toString());
        if (card->keyCount() < ItemCardData::kMaxLinks) card->keywords.push_back(link);
    }
    for (const QJsonValue& v : o[QStringLiteral("projects")].toArray()) {
        if (!v.isString()) return nullptr;
        if (card->projCount() < ItemCardData::kMaxLinks) card->projects << LinkName(v.toString());
    }
    if (o.contains(QStringLiteral("picture"))) {
        const QByteArray png =
            QByteArray::fromBase64(o[QStringLiteral("picture")].toString().toLatin1());
        const PictureFile picture = LoadPictureData(png);
        if (picture.status != PictureFile::Ok) {
            *why = QStringLiteral("a card's picture was refused: ") + picture.error;
            return nullptr;
        }
        card->picture = picture.image;
        card->hasPicture = true;
    }
    if (!readPlace(o, *card)) return nullptr;
    return card;
}

std::unique_ptr<CardData> readConcept(const QJsonObject& o)
{
    auto card = std::make_unique<ConceptCardData>();
    if (!idFromText(o[QStringLiteral("id")], &card->conceptId)) return nullptr;
    for (const QJsonValue& v : o[QStringLiteral("words")].toArray()) {
        const QJsonObject w = v.toObject();
        if (!w[QStringLiteral("wordNo")].isDouble()) return nullptr;
        card->words.push_back(
            {w[QStringLiteral("wordNo")].toInt(), w[QStringLiteral("word")].toString()});
    }
    if (!readPlace(o, *card)) return nullptr;
    return card;
}

}  // namespace

QString FileName() { return QStringLiteral("recovery.qbr"); }

QString FilePath(const QString& dir) { return QDir(dir).filePath(FileName()); }

QByteArray Serialize(const std::vector<const CardData*>& cards, PictureCache* pictures)
{
    JsonOut out;
    out.bytes.reserve(4096);
    out.raw("{\"format\":")
        .string(QString::fromLatin1(kFormatTag))
        .raw(",\"version\":")
        .number(kVersion);
    out.raw(",\"cards\":[");
    bool first = true;
    for (const CardData* card : cards) {
        const auto* item = dynamic_cast<const ItemCardData*>(card);
        const auto* conceptCard = item ? nullptr : dynamic_cast<const ConceptCardData*>(card);
        if (!item && !conceptCard) continue;
        if (!first) out.raw(",");
        first = false;
        if (item)
            writeItem(out, *item, pictures);
        else
            writeConcept(out, *conceptCard);
    }
    out.raw("]}");
    return out.bytes;
}

Contents Parse(const QByteArray& bytes)
{
    Contents contents;
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parseError);
    const QJsonObject root = doc.object();
    if (parseError.error != QJsonParseError::NoError || !doc.isObject() ||
        root[QStringLiteral("format")].toString() != QLatin1String(kFormatTag)) {
        contents.error = QStringLiteral("not a recovery file of this program, or damaged");
        return contents;
    }
    if (root[QStringLiteral("version")].toInt() != kVersion) {
        contents.error = QStringLiteral("written by another version of the program");
        return contents;
    }
    const QJsonArray list = root[QStringLiteral("cards")].toArray();
    if (list.size() > kMaxCards) {
        contents.error = QStringLiteral("too many cards");
        return contents;
    }
    for (const QJsonValue& v : list) {
        const QJsonObject o = v.toObject();
        const QString kind = o[QStringLiteral("kind")].toString();
        std::unique_ptr<CardData> card;
        QString why;
        if (kind == QLatin1String("item"))
            card = readItem(o, &why);
        else if (kind == QLatin1String("concept"))
            card = readConcept(o);
        if (!card) {
            contents.cards.clear();
            contents.error = why.isEmpty() ? QStringLiteral("a card in it is damaged") : why;
            return contents;
        }
        card->changed = true;
        contents.cards.push_back(std::move(card));
    }
    return contents;
}

QString SetAside(const QString& path, const QDateTime& when, QString* error)
{
    const QFileInfo info(path);
    const QString stem =
        QStringLiteral("recovery-") + when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = info.dir().filePath(stem + QStringLiteral(".qbr"));
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = info.dir().filePath(stem + QLatin1Char('-') + QString::number(n) +
                                     QStringLiteral(".qbr"));
    if (!QFile::rename(path, target)) {
        if (error) *error = QStringLiteral("cannot rename ") + path;
        return QString();
    }
    return target;
}

Writer::Writer() : thread_([this] { run(); }) {}

Writer::~Writer()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void Writer::write(const QString& path, const QByteArray& bytes) { give({path, bytes, false}); }

void Writer::remove(const QString& path) { give({path, QByteArray(), true}); }

void Writer::give(Job job)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pending_ = std::move(job);
    }
    wake_.notify_all();
}

void Writer::waitForDone()
{
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait(lock, [this] { return !pending_ && !busy_; });
}

QString Writer::lastError() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return lastError_;
}

void Writer::run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return pending_ || stop_; });
        if (!pending_) return;
        Job job = std::move(*pending_);
        pending_.reset();
        busy_ = true;
        lock.unlock();
        QString error;
        bool ok = true;
        if (job.remove) {
            ok = !QFileInfo::exists(job.path) || QFile::remove(job.path);
            if (!ok) error = QStringLiteral("cannot remove ") + job.path;
        } else {
            ok = files::writeBytesFile(job.path, job.bytes, &error);
        }
        lock.lock();
        busy_ = false;
        lastError_ = ok ? QString() : error;
        wake_.notify_all();
    }
}

std::function<void()>& AfterCommitHook()
{
    static std::function<void()> hook;
    return hook;
}

void NotifyCommitted()
{
    if (AfterCommitHook()) AfterCommitHook()();
}

}  // namespace qb::recovery
