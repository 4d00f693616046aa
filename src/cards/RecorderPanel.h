#pragma once

#include <QFrame>
#include <QString>

namespace qb {

class TMyPopUpMenu;
class WavPlayer;
class WavRecorder;

// The sound recorder row of the command panel: a small player (Play, Stop, To End, Rewind,
// Record) working on "new.wav" in the store directory, and the Save and Load buttons. Failures
// are told to the user and leave the row usable.
class TRecorderRow : public QFrame {
    Q_OBJECT
public:
    explicit TRecorderRow(TMyPopUpMenu& panel);
    ~TRecorderRow() override;

    static QString recordingPath();

    // The buttons: each reports its own failure.
    void play();
    void stop();
    void toEnd();
    void rewind();
    void record();
    // Releases the recording file, and reads it again; false with the reason when the file
    // cannot be played.
    void closePlayer();
    bool openPlayer(QString* error = nullptr);
    // Plays without telling the user; false with the reason.
    bool startPlaying(QString* error = nullptr);

    WavPlayer& player() const { return *player_; }

private:
    void stopRecording();
    void tell(const QString& error);

    TMyPopUpMenu& panel_;
    WavPlayer* player_;
    WavRecorder* recorder_;
};

}  // namespace qb
