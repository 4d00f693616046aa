#include "cards/WavPlayer.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>

namespace qb {

QAudioFormat AudioFormatOf(const wav::Sound& sound)
{
    QAudioFormat f;
    f.setSampleRate(sound.sampleRate);
    f.setChannelCount(sound.channels);
    switch (sound.bitsPerSample) {
    case 8: f.setSampleFormat(QAudioFormat::UInt8); break;
    case 16: f.setSampleFormat(QAudioFormat::Int16); break;
    case 32:
        f.setSampleFormat(sound.floatSamples ? QAudioFormat::Float : QAudioFormat::Int32);
        break;
    default: break;
    }
    return f;
}

WavPlayer::WavPlayer(QObject* parent) : QObject(parent), buffer_(new QBuffer(this)) {}

WavPlayer::~WavPlayer() { releaseSink(); }

bool WavPlayer::open(const QString& path, QString* error)
{
    close();
    wav::Sound sound;
    if (!wav::read(path, &sound, error)) return false;
    sound_ = std::move(sound);
    format_ = AudioFormatOf(sound_);
    buffer_->setData(sound_.samples);
    open_ = true;
    return true;
}

void WavPlayer::close()
{
    releaseSink();
    buffer_->close();
    buffer_->setData(QByteArray());
    sound_ = wav::Sound();
    position_ = 0;
    open_ = false;
}

bool WavPlayer::play(QString* error)
{
    if (!open_) {
        if (error) *error = QStringLiteral("There is no recording to play.");
        return false;
    }
    if (sink_ || position_ >= length()) return true;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        if (error) *error = QStringLiteral("No sound device was found.");
        return false;
    }
    if (!device.isFormatSupported(format_)) {
        if (error)
            *error =
                QStringLiteral(
                    "The sound device cannot play this recording (%1 Hz, %2 channels, %3 bits).")
                    .arg(sound_.sampleRate)
                    .arg(sound_.channels)
                    .arg(sound_.bitsPerSample);
        return false;
    }
    if (!buffer_->isOpen()) buffer_->open(QIODevice::ReadOnly);
    buffer_->seek(position_);
    startedAt_ = position_;
    sink_ = new QAudioSink(device, format_, this);
    connect(sink_, &QAudioSink::stateChanged, this, &WavPlayer::stateChanged);
    sink_->start(buffer_);
    if (sink_->error() != QAudio::NoError) {
        releaseSink();
        if (error) *error = QStringLiteral("The sound device could not be opened.");
        return false;
    }
    return true;
}

qint64 WavPlayer::position() const
{
    if (!sink_) return position_;
    const qint64 played = format_.bytesForDuration(sink_->processedUSecs());
    return qMin(length(), startedAt_ + played - played % qMax(1, sound_.bytesPerFrame()));
}

void WavPlayer::stop()
{
    if (!sink_) return;
    position_ = position();
    releaseSink();
}

void WavPlayer::toEnd()
{
    releaseSink();
    position_ = length();
}

void WavPlayer::rewind()
{
    releaseSink();
    position_ = 0;
}

void WavPlayer::releaseSink()
{
    if (!sink_) return;
    QAudioSink* sink = sink_;
    sink_ = nullptr;
    sink->disconnect(this);
    sink->stop();
    // The sink may be the sender of the signal being handled.
    sink->deleteLater();
}

void WavPlayer::stateChanged(QAudio::State state)
{
    if (!sink_) return;
    const QAudio::Error error = sink_->error();
    if (state == QAudio::IdleState && error != QAudio::FatalError && buffer_->atEnd()) {
        releaseSink();
        position_ = length();
        Q_EMIT finished();
    } else if (state == QAudio::StoppedState && error != QAudio::NoError) {
        position_ = position();
        releaseSink();
        Q_EMIT failed(QStringLiteral("The sound device stopped with an error."));
    }
}

}  // namespace qb
