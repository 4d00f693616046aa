#pragma once

#include <QByteArray>
#include <QString>

namespace qb::wav {

// The program's own small WAV reader and writer. Only uncompressed sound is taken (integer PCM
// of 8, 16, 24 or 32 bits, or 32-bit floats); anything else is refused with a message that says
// why. Nothing a file contains can crash the reader.

struct Sound {
    int sampleRate = 0;
    int channels = 0;
    int bitsPerSample = 0;      // 8 (unsigned), 16 or 32; 24-bit files are widened to 32
    bool floatSamples = false;  // 32-bit IEEE floats
    QByteArray samples;         // whole frames, interleaved, little-endian

    int bytesPerFrame() const { return channels * bitsPerSample / 8; }
    qint64 frames() const { return bytesPerFrame() > 0 ? samples.size() / bytesPerFrame() : 0; }
};

// A data chunk that ends early (a recording cut off) gives the whole frames that are there.
bool parse(const QByteArray& data, Sound* sound, QString* error = nullptr);
bool read(const QString& path, Sound* sound, QString* error = nullptr);
// Whether the data is a sound the reader refuses only for its coding (compressed WAV): such a
// recording is sound data kept for the user, not rubbish.
bool isRefusedCoding(const QByteArray& data);

QByteArray serialize(const Sound& sound);
// Writes atomically, so a cut-off write leaves the old file.
bool write(const QString& path, const Sound& sound, QString* error = nullptr);

}  // namespace qb::wav
