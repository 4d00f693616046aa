#pragma once

#include <QFrame>
#include <QString>

class QAudioInput;
class QAudioOutput;
class QMediaCaptureSession;
class QMediaPlayer;
class QMediaRecorder;

namespace qb {

class TMyPopUpMenu;

// The sound recorder row of the command panel: a small media player (Play, Stop, To End,
// Rewind, Record) working on "new.wav" in the store directory, and the Save and Load buttons.
// The media objects are made on first use, so a panel that never shows the row never starts
// the multimedia back end.
class TRecorderRow : public QFrame {
    Q_OBJECT
public:
    explicit TRecorderRow(TMyPopUpMenu& panel);
    ~TRecorderRow() override;

    static QString recordingPath();

    void play();
    void stop();
    void toEnd();
    void rewind();
    void record();
    // Releases the recording file, and opens it again.
    void closePlayer();
    void openPlayer();

private:
    void ensurePlayer();
    void ensureRecorder();

    TMyPopUpMenu& panel_;
    QMediaPlayer* player_ = nullptr;
    QAudioOutput* output_ = nullptr;
    QMediaCaptureSession* capture_ = nullptr;
    QAudioInput* input_ = nullptr;
    QMediaRecorder* recorder_ = nullptr;
};

}  // namespace qb
