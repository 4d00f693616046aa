#pragma once

#include "platform/WavFile.h"

#include <QAudio>
#include <QAudioFormat>
#include <QObject>
#include <QString>

class QAudioSink;
class QBuffer;

namespace qb {

// Plays a WAV file on the default sound output through QAudioSink, so that no media-player
// plug-in is involved. Stop keeps the position (no automatic rewind); Play goes on from it.
class WavPlayer : public QObject {
    Q_OBJECT
public:
    explicit WavPlayer(QObject* parent = nullptr);
    ~WavPlayer() override;

    // Reads the whole file; on failure the player is left empty and *error says why.
    bool open(const QString& path, QString* error = nullptr);
    void close();
    bool isOpen() const { return open_; }

    // False with the reason when nothing could be played (no device, a format it refuses).
    bool play(QString* error = nullptr);
    void stop();
    void toEnd();
    void rewind();

    bool isPlaying() const { return sink_ != nullptr; }
    qint64 position() const;  // bytes of sound
    qint64 length() const { return sound_.samples.size(); }

Q_SIGNALS:
    void finished();
    void failed(const QString& error);

private:
    void stateChanged(QAudio::State state);
    void releaseSink();

    wav::Sound sound_;
    QAudioFormat format_;
    QBuffer* buffer_;
    QAudioSink* sink_ = nullptr;
    qint64 position_ = 0;
    qint64 startedAt_ = 0;
    bool open_ = false;
};

// The audio format of a sound, for QAudioSink and QAudioSource.
QAudioFormat AudioFormatOf(const wav::Sound& sound);

}  // namespace qb
