#include "platform/WavFile.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QtEndian>

using namespace qb;

namespace {

// A RIFF file with a format block of the given coding and the given data bytes.
QByteArray riff(quint16 tag, int channels, int rate, int bits, const QByteArray& data,
                qint64 dataSize = -1)
{
    QByteArray fmt(16, 0);
    qToLittleEndian<quint16>(tag, fmt.data());
    qToLittleEndian<quint16>(quint16(channels), fmt.data() + 2);
    qToLittleEndian<quint32>(quint32(rate), fmt.data() + 4);
    qToLittleEndian<quint32>(quint32(rate * channels * bits / 8), fmt.data() + 8);
    qToLittleEndian<quint16>(quint16(channels * bits / 8), fmt.data() + 12);
    qToLittleEndian<quint16>(quint16(bits), fmt.data() + 14);
    auto chunk = [](const char* id, const QByteArray& body, qint64 size) {
        QByteArray c(id, 4);
        c.resize(8);
        qToLittleEndian<quint32>(quint32(size < 0 ? body.size() : size), c.data() + 4);
        return c + body;
    };
    QByteArray out = QByteArray("RIFF\0\0\0\0WAVE", 12) + chunk("LIST", "xy", -1) +
                     chunk("fmt ", fmt, -1) + chunk("data", data, dataSize);
    qToLittleEndian<quint32>(quint32(out.size() - 8), out.data() + 4);
    return out;
}

}  // namespace

TEST(WavFile, PlainSoundRoundTripsAndOddFilesGiveTheirFrames)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.wav"));
    wav::Sound sound;
    sound.sampleRate = 22050;
    sound.channels = 2;
    sound.bitsPerSample = 16;
    sound.samples = QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08", 8);
    ASSERT_TRUE(wav::write(path, sound));
    wav::Sound back;
    QString error;
    ASSERT_TRUE(wav::read(path, &back, &error)) << error.toStdString();
    EXPECT_EQ(back.sampleRate, 22050);
    EXPECT_EQ(back.channels, 2);
    EXPECT_EQ(back.bitsPerSample, 16);
    EXPECT_EQ(back.samples, sound.samples);
    EXPECT_EQ(back.frames(), 2);

    // The shipped empty recording: 8000 Hz mono, no frames.
    ASSERT_TRUE(wav::parse(riff(1, 1, 8000, 16, QByteArray()), &back));
    EXPECT_EQ(back.frames(), 0);

    // 24-bit sound is widened to 32 bits; an odd-sized chunk before the format is skipped.
    ASSERT_TRUE(
        wav::parse(riff(1, 1, 44100, 24, QByteArray("\x11\x22\x33\x44\x55\x66", 6)), &back));
    EXPECT_EQ(back.bitsPerSample, 32);
    EXPECT_EQ(back.samples, QByteArray("\x00\x11\x22\x33\x00\x44\x55\x66", 8));

    // A recording cut off in its data (or declaring far more than it has) gives its whole frames.
    ASSERT_TRUE(wav::parse(riff(1, 2, 8000, 16, QByteArray("abcdefg", 7), 0xFFFFFFFF), &back));
    EXPECT_EQ(back.samples, QByteArray("abcd"));
}

TEST(WavFile, RefusesCompressedAndBrokenFilesWithAReason)
{
    wav::Sound sound;
    QString error;
    const QByteArray adpcm = riff(2, 1, 8000, 4, QByteArray(16, 'x'));
    EXPECT_FALSE(wav::parse(adpcm, &sound, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Only uncompressed (PCM) WAV sound can be played")))
        << error.toStdString();
    EXPECT_TRUE(wav::isRefusedCoding(adpcm));

    QByteArray truncatedFormat = riff(1, 1, 8000, 16, QByteArray());
    truncatedFormat.truncate(30);
    QByteArray badAlign = riff(1, 2, 8000, 16, QByteArray(8, 'x'));
    qToLittleEndian<quint16>(3, badAlign.data() + 20 + 10 + 12);
    QByteArray dataFirst = QByteArray("RIFF\x0c\0\0\0WAVEdata\0\0\0\0", 20);
    const QByteArray broken[] = {QByteArray(),
                                 QByteArray("RIFF"),
                                 QByteArray("RIFF....WAVE"),
                                 QByteArray("RIFF-old-recording"),
                                 truncatedFormat,
                                 badAlign,
                                 dataFirst,
                                 riff(1, 0, 8000, 16, QByteArray(4, 'x'))};
    for (const QByteArray& data : broken) {
        error.clear();
        EXPECT_FALSE(wav::parse(data, &sound, &error)) << data.toHex().toStdString();
        EXPECT_FALSE(error.isEmpty());
        EXPECT_FALSE(wav::isRefusedCoding(data)) << data.toHex().toStdString();
    }
}
