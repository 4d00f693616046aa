#include "cards/WavRecorder.h"

#include "platform/WavFile.h"

#include <QAudioDevice>
#include <QAudioSource>
#include <QBuffer>
#include <QMediaDevices>

namespace qb {

namespace {

int bitsOf(QAudioFormat::SampleFormat f)
{
    switch (f) {
    case QAudioFormat::UInt8: return 8;
    case QAudioFormat::Int16: return 16;
    case QAudioFormat::Int32:
    case QAudioFormat::Float: return 32;
    default: return 0;
    }
}

// Speech in 16-bit mono at 22050 Hz, else whatever plain format the device prefers.
QAudioFormat recordingFormat(const QAudioDevice& device)
{
    QAudioFormat f;
    f.setSampleRate(22050);
    f.setChannelCount(1);
    f.setSampleFormat(QAudioFormat::Int16);
    if (device.isFormatSupported(f)) return f;
    return device.preferredFormat();
}

}  // namespace

WavRecorder::WavRecorder(QObject* parent) : QObject(parent), buffer_(new QBuffer(this)) {}

WavRecorder::~WavRecorder() { releaseSource(); }

bool WavRecorder::start(const QString& path, QString* error)
{
    releaseSource();
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull()) {
        if (error) *error = QStringLiteral("No sound input device was found.");
        return false;
    }
    format_ = recordingFormat(device);
    if (bitsOf(format_.sampleFormat()) == 0 || format_.channelCount() < 1) {
        if (error)
            *error =
                QStringLiteral("The sound input device offers no format that can be recorded.");
        return false;
    }
    recorded_.clear();
    buffer_->setBuffer(&recorded_);
    buffer_->open(QIODevice::WriteOnly);
    path_ = path;
    source_ = new QAudioSource(device, format_, this);
    source_->start(buffer_);
    if (source_->error() != QAudio::NoError) {
        releaseSource();
        if (error) *error = QStringLiteral("The sound input device could not be opened.");
        return false;
    }
    return true;
}

bool WavRecorder::stop(QString* error)
{
    if (!source_) return true;
    releaseSource();
    wav::Sound sound;
    sound.sampleRate = format_.sampleRate();
    sound.channels = format_.channelCount();
    sound.bitsPerSample = bitsOf(format_.sampleFormat());
    sound.floatSamples = format_.sampleFormat() == QAudioFormat::Float;
    sound.samples = recorded_;
    recorded_.clear();
    return wav::write(path_, sound, error);
}

void WavRecorder::releaseSource()
{
    if (!source_) return;
    QAudioSource* source = source_;
    source_ = nullptr;
    source->stop();
    source->deleteLater();
    buffer_->close();
    buffer_->setBuffer(nullptr);
}

}  // namespace qb
