#include "desktop/RecorderPanel.h"

#include "desktop/CommandPanel.h"
#include "shell/Session.h"

#include <QAudioInput>
#include <QAudioOutput>
#include <QHBoxLayout>
#include <QMediaCaptureSession>
#include <QMediaFormat>
#include <QMediaPlayer>
#include <QMediaRecorder>
#include <QStyle>
#include <QToolButton>
#include <QUrl>

namespace qb {

namespace {

QToolButton* makeButton(QWidget* parent, QStyle::StandardPixmap icon, const QString& name, QSize size)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setIconSize(QSize(12, 12));
    b->setFixedSize(size);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

}  // namespace

TRecorderRow::TRecorderRow(TMyPopUpMenu& panel) : QFrame(&panel), panel_(panel)
{
    setObjectName(QStringLiteral("recorderRow"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setFixedSize(189, 26);

    auto* player = new QWidget(this);
    player->setObjectName(QStringLiteral("mediaPlayer"));
    player->setGeometry(2, 2, 141, 22);
    player->setToolTip(QStringLiteral("Play; Stop; To End; Rewind; Record"));
    auto* row = new QHBoxLayout(player);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    const QSize b(27, 22);
    QToolButton* playB = makeButton(player, QStyle::SP_MediaPlay, QStringLiteral("Play"), b);
    QToolButton* stopB = makeButton(player, QStyle::SP_MediaStop, QStringLiteral("Stop"), b);
    QToolButton* endB = makeButton(player, QStyle::SP_MediaSkipForward, QStringLiteral("ToEnd"), b);
    QToolButton* rewB = makeButton(player, QStyle::SP_MediaSkipBackward, QStringLiteral("Rewind"), b);
    QToolButton* recB = makeButton(player, QStyle::SP_DialogYesButton, QStringLiteral("Record"), b);
    for (QToolButton* t : {playB, stopB, endB, rewB, recB}) {
        t->setToolTip(player->toolTip());
        row->addWidget(t);
    }
    connect(playB, &QToolButton::clicked, this, &TRecorderRow::play);
    connect(stopB, &QToolButton::clicked, this, &TRecorderRow::stop);
    connect(endB, &QToolButton::clicked, this, &TRecorderRow::toEnd);
    connect(rewB, &QToolButton::clicked, this, &TRecorderRow::rewind);
    connect(recB, &QToolButton::clicked, this, &TRecorderRow::record);

    QToolButton* save = makeButton(this, QStyle::SP_DialogSaveButton, QStringLiteral("Save"), QSize(23, 21));
    save->move(143, 3);
    save->setToolTip(QStringLiteral("Save recording to QB database."));
    QToolButton* load = makeButton(this, QStyle::SP_DialogOpenButton, QStringLiteral("Load"), QSize(23, 21));
    load->move(165, 3);
    load->setToolTip(QStringLiteral("Load file (Terminate dialog with Esc to get an empty start)"));
    connect(save, &QToolButton::clicked, &panel_, &TMyPopUpMenu::RecorderSave);
    connect(load, &QToolButton::clicked, &panel_, &TMyPopUpMenu::RecorderLoad);
}

TRecorderRow::~TRecorderRow() = default;

QString TRecorderRow::recordingPath() { return session().filePath(QStringLiteral("new.wav")); }

void TRecorderRow::ensurePlayer()
{
    if (player_) return;
    player_ = new QMediaPlayer(this);
    output_ = new QAudioOutput(this);
    player_->setAudioOutput(output_);
}

void TRecorderRow::ensureRecorder()
{
    if (recorder_) return;
    capture_ = new QMediaCaptureSession(this);
    input_ = new QAudioInput(this);
    recorder_ = new QMediaRecorder(this);
    capture_->setAudioInput(input_);
    capture_->setRecorder(recorder_);
    QMediaFormat format(QMediaFormat::Wave);
    format.setAudioCodec(QMediaFormat::AudioCodec::Wave);
    recorder_->setMediaFormat(format);
}

void TRecorderRow::play()
{
    ensurePlayer();
    if (player_->source().isEmpty()) openPlayer();
    player_->play();
}

void TRecorderRow::stop()
{
    if (recorder_ && recorder_->recorderState() != QMediaRecorder::StoppedState) recorder_->stop();
    if (player_) player_->stop();
}

void TRecorderRow::toEnd()
{
    ensurePlayer();
    player_->setPosition(player_->duration());
}

void TRecorderRow::rewind()
{
    ensurePlayer();
    player_->setPosition(0);
}

void TRecorderRow::record()
{
    closePlayer();
    ensureRecorder();
    recorder_->setOutputLocation(QUrl::fromLocalFile(recordingPath()));
    recorder_->record();
}

void TRecorderRow::closePlayer()
{
    stop();
    if (player_) player_->setSource(QUrl());
}

void TRecorderRow::openPlayer()
{
    ensurePlayer();
    player_->setSource(QUrl::fromLocalFile(recordingPath()));
}

}  // namespace qb
