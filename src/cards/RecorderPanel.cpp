#include "cards/RecorderPanel.h"

#include "cards/CommandPanel.h"
#include "cards/WavPlayer.h"
#include "cards/WavRecorder.h"
#include "floor/Messages.h"
#include "session/Session.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>

namespace qb {

namespace {

constexpr int kRecorderHelp = 60020;

QToolButton* makeButton(QWidget* parent, QStyle::StandardPixmap icon, const QString& name,
                        QSize size)
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

TRecorderRow::TRecorderRow(TMyPopUpMenu& panel)
    : QFrame(&panel), panel_(panel), player_(new WavPlayer(this)), recorder_(new WavRecorder(this))
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
    QToolButton* rewB =
        makeButton(player, QStyle::SP_MediaSkipBackward, QStringLiteral("Rewind"), b);
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

    QToolButton* save =
        makeButton(this, QStyle::SP_DialogSaveButton, QStringLiteral("Save"), QSize(23, 21));
    save->move(143, 3);
    save->setToolTip(QStringLiteral("Save recording to QB database."));
    QToolButton* load =
        makeButton(this, QStyle::SP_DialogOpenButton, QStringLiteral("Load"), QSize(23, 21));
    load->move(165, 3);
    load->setToolTip(QStringLiteral("Load file (Terminate dialog with Esc to get an empty start)"));
    connect(save, &QToolButton::clicked, &panel_, &TMyPopUpMenu::RecorderSave);
    connect(load, &QToolButton::clicked, &panel_, &TMyPopUpMenu::RecorderLoad);
    connect(player_, &WavPlayer::failed, this, &TRecorderRow::tell);
}

TRecorderRow::~TRecorderRow() = default;

QString TRecorderRow::recordingPath() { return session().filePath(QStringLiteral("new.wav")); }

void TRecorderRow::tell(const QString& error) { ShowInfo(error, QString(), kError, kRecorderHelp); }

void TRecorderRow::stopRecording()
{
    if (!recorder_->isRecording()) return;
    QString error;
    if (!recorder_->stop(&error)) tell(error);
}

bool TRecorderRow::startPlaying(QString* error)
{
    stopRecording();
    if (!player_->isOpen() && !openPlayer(error)) return false;
    return player_->play(error);
}

void TRecorderRow::play()
{
    QString error;
    if (!startPlaying(&error)) tell(error);
}

void TRecorderRow::stop()
{
    stopRecording();
    player_->stop();
}

void TRecorderRow::toEnd()
{
    stopRecording();
    player_->toEnd();
}

void TRecorderRow::rewind()
{
    stopRecording();
    player_->rewind();
}

void TRecorderRow::record()
{
    closePlayer();
    QString error;
    if (!recorder_->start(recordingPath(), &error)) tell(error);
}

void TRecorderRow::closePlayer()
{
    stop();
    player_->close();
}

bool TRecorderRow::openPlayer(QString* error) { return player_->open(recordingPath(), error); }

}  // namespace qb
