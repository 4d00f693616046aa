#include "platform/WavFile.h"

#include "platform/FileNames.h"

#include <QFile>
#include <QtEndian>

#include <cstring>

namespace qb::wav {

namespace {

constexpr quint16 kPcm = 1;
constexpr quint16 kFloat = 3;
constexpr quint16 kExtensible = 0xFFFE;
// More than this is no item's recording; refusing it keeps a stray file from filling memory.
constexpr qint64 kMaxFileSize = 256 * 1024 * 1024;

bool fail(QString* error, const QString& text)
{
    if (error) *error = text;
    return false;
}

quint16 u16(const char* p) { return qFromLittleEndian<quint16>(p); }
quint32 u32(const char* p) { return qFromLittleEndian<quint32>(p); }

struct Format {
    quint16 tag = 0;
    int channels = 0;
    int sampleRate = 0;
    int blockAlign = 0;
    int bits = 0;
};

bool parseFormat(const char* p, qint64 size, Format* f, QString* error)
{
    if (size < 16)
        return fail(error, QStringLiteral("The sound file is damaged (short format block)."));
    f->tag = u16(p);
    f->channels = u16(p + 2);
    f->sampleRate = int(qMin<quint32>(u32(p + 4), 0x7fffffff));
    f->blockAlign = u16(p + 12);
    f->bits = u16(p + 14);
    // The extensible form names the real coding in the first two bytes of its sub-format.
    if (f->tag == kExtensible && size >= 26) f->tag = u16(p + 24);
    return true;
}

bool codingTaken(const Format& f)
{
    const bool pcm = f.tag == kPcm && (f.bits == 8 || f.bits == 16 || f.bits == 24 || f.bits == 32);
    const bool floats = f.tag == kFloat && f.bits == 32;
    return pcm || floats;
}

bool checkFormat(const Format& f, QString* error)
{
    if (!codingTaken(f))
        return fail(
            error,
            QStringLiteral("Only uncompressed (PCM) WAV sound can be played; this file is coded "
                           "with format %1 at %2 bits.")
                .arg(f.tag)
                .arg(f.bits));
    if (f.channels < 1 || f.channels > 8 || f.sampleRate < 1000 || f.sampleRate > 384000 ||
        f.blockAlign != f.channels * f.bits / 8)
        return fail(error, QStringLiteral("The sound file is damaged (impossible format values)."));
    return true;
}

QByteArray widen24(const char* p, qint64 samples)
{
    QByteArray out(samples * 4, Qt::Uninitialized);
    char* o = out.data();
    for (qint64 i = 0; i < samples; ++i, p += 3, o += 4) {
        o[0] = 0;
        o[1] = p[0];
        o[2] = p[1];
        o[3] = p[2];
    }
    return out;
}

bool parseChunks(const QByteArray& data, Sound* sound, QString* error, bool* refusedCoding)
{
    const char* base = data.constData();
    const qint64 size = data.size();
    if (size < 12 || std::memcmp(base, "RIFF", 4) != 0 || std::memcmp(base + 8, "WAVE", 4) != 0)
        return fail(error, QStringLiteral("The sound file is not a WAV file."));

    Format format;
    bool haveFormat = false;
    qint64 pos = 12;
    while (pos + 8 <= size) {
        const char* id = base + pos;
        const qint64 declared = u32(base + pos + 4);
        const qint64 start = pos + 8;
        const qint64 length = qMin(declared, size - start);
        if (std::memcmp(id, "fmt ", 4) == 0) {
            if (!parseFormat(base + start, length, &format, error)) return false;
            if (refusedCoding) *refusedCoding = !codingTaken(format);
            if (!checkFormat(format, error)) return false;
            haveFormat = true;
        } else if (std::memcmp(id, "data", 4) == 0) {
            if (!haveFormat)
                return fail(error, QStringLiteral("The sound file is damaged (no format block)."));
            const qint64 frames = length / format.blockAlign;
            Sound s;
            s.sampleRate = format.sampleRate;
            s.channels = format.channels;
            s.floatSamples = format.tag == kFloat;
            if (format.bits == 24) {
                s.bitsPerSample = 32;
                s.samples = widen24(base + start, frames * format.channels);
            } else {
                s.bitsPerSample = format.bits;
                s.samples = QByteArray(base + start, frames * format.blockAlign);
            }
            *sound = std::move(s);
            return true;
        }
        pos = start + declared + (declared & 1);  // chunks are padded to even lengths
    }
    return fail(error, QStringLiteral("The sound file is damaged (no sound data)."));
}

}  // namespace

bool parse(const QByteArray& data, Sound* sound, QString* error)
{
    return parseChunks(data, sound, error, nullptr);
}

bool isRefusedCoding(const QByteArray& data)
{
    bool refused = false;
    Sound sound;
    return !parseChunks(data, &sound, nullptr, &refused) && refused;
}

bool read(const QString& path, Sound* sound, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return fail(error, file.errorString());
    if (file.size() > kMaxFileSize)
        return fail(error, QStringLiteral("The sound file is too large."));
    return parse(file.readAll(), sound, error);
}

QByteArray serialize(const Sound& sound)
{
    const qint64 dataSize =
        sound.samples.size() - sound.samples.size() % qMax(1, sound.bytesPerFrame());
    QByteArray out(44, 0);
    char* p = out.data();
    auto put16 = [&](int at, quint16 v) { qToLittleEndian(v, p + at); };
    auto put32 = [&](int at, quint32 v) { qToLittleEndian(v, p + at); };
    std::memcpy(p, "RIFF", 4);
    put32(4, quint32(36 + dataSize + (dataSize & 1)));
    std::memcpy(p + 8, "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, sound.floatSamples ? kFloat : kPcm);
    put16(22, quint16(sound.channels));
    put32(24, quint32(sound.sampleRate));
    put32(28, quint32(sound.sampleRate * sound.bytesPerFrame()));
    put16(32, quint16(sound.bytesPerFrame()));
    put16(34, quint16(sound.bitsPerSample));
    std::memcpy(p + 36, "data", 4);
    put32(40, quint32(dataSize));
    out.append(sound.samples.constData(), dataSize);
    if (dataSize & 1) out.append('\0');
    return out;
}

bool write(const QString& path, const Sound& sound, QString* error)
{
    if (sound.bytesPerFrame() <= 0 || sound.samples.size() > kMaxFileSize)
        return fail(error, QStringLiteral("The recording cannot be written as a WAV file."));
    return files::writeBytesFile(path, serialize(sound), error);
}

}  // namespace qb::wav
