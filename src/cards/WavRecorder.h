#pragma once

#include <QAudioFormat>
#include <QByteArray>
#include <QObject>
#include <QString>

class QAudioSource;
class QBuffer;

namespace qb {

// Records from the default sound input through QAudioSource and writes a PCM WAV file when
// stopped, so that no media-recorder plug-in is involved.
class WavRecorder : public QObject {
    Q_OBJECT
public:
    explicit WavRecorder(QObject* parent = nullptr);
    ~WavRecorder() override;

    // False with the reason when recording could not start (no input device, no usable format).
    bool start(const QString& path, QString* error = nullptr);
    // Writes what was recorded to the path given to start; false with the reason when that failed.
    bool stop(QString* error = nullptr);
    bool isRecording() const { return source_ != nullptr; }

private:
    void releaseSource();

    QAudioSource* source_ = nullptr;
    QBuffer* buffer_;
    QByteArray recorded_;
    QAudioFormat format_;
    QString path_;
};

}  // namespace qb
