#include "items/DesktopPicturePanel.h"

#include "cards/CommandPanel.h"
#include "cards/Desktop.h"
#include "cards/RecorderPanel.h"
#include "floor/Messages.h"
#include "items/ItemCardRules.h"
#include "items/ItemRecord.h"
#include "items/ShowRecords.h"
#include "platform/FileNames.h"
#include "platform/WavFile.h"
#include "session/Session.h"

#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>

namespace qb {

TDesktopPicture::TDesktopPicture(QWidget* surface) : QLabel(surface)
{
    setObjectName(QStringLiteral("desktopPicture"));
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void TDesktopPicture::showImage(const QImage& image)
{
    image_ = image;
    setPixmap(QPixmap::fromImage(image));
    resize(image.size());
    move(0, 0);
    show();
    lower();
}

namespace desktoppicture {

namespace {

struct State {
    QPointer<TDesktopPicture> picture;
    QString lastKey;
    bool audioOff = false;
};

// The picture belongs to the desktop's surface, so the state only watches it.
State& state() { return session().part<State>(); }

// Commits and collections wait while SHOW is being written.
class HoldCommits {
public:
    HoldCommits() : was_(session().commitRunning.raised()) { session().commitRunning.raise(); }
    ~HoldCommits()
    {
        if (was_)
            session().commitRunning.raise();
        else
            session().commitRunning.lower();
    }

private:
    bool was_;
};

TDesktopPicture* picture(bool make)
{
    State& s = state();
    TDesktop* desktop = TDesktop::current();
    if (s.picture && desktop && s.picture->parentWidget() != desktop->surface())
        s.picture = nullptr;
    if (!s.picture && make && desktop) s.picture = new TDesktopPicture(desktop->surface());
    return s.picture;
}

QLabel* wallpaper()
{
    TDesktop* desktop = TDesktop::current();
    return desktop ? desktop->surface()->findChild<QLabel*>(QStringLiteral("wallpaper"),
                                                            Qt::FindDirectChildrenOnly)
                   : nullptr;
}

void showWallpaper(bool shown)
{
    QLabel* paper = wallpaper();
    if (!paper) return;
    const QString name = session().settings.wallPaperFileName.trimmed();
    const bool set =
        !name.isEmpty() && name.compare(QStringLiteral("NOIMAGE"), Qt::CaseInsensitive) != 0;
    paper->setVisible(shown && set && !paper->pixmap().isNull());
}

void showPicture(const QImage& image)
{
    if (TDesktopPicture* p = picture(true)) {
        p->showImage(image);
        showWallpaper(false);
    }
}

void hidePicture()
{
    if (TDesktopPicture* p = picture(false)) p->hide();
    showWallpaper(true);
}

void switchAudioOff()
{
    state().audioOff = true;
    session().settings.audioEnabled = false;
    ShowInfo(QStringLiteral("Audio function disabled in this session."), QString(), kInformation,
             30040);
}

bool audioUsable() { return session().settings.audioEnabled && !state().audioOff; }

// Without a sound device every sound function goes quiet, once and with a word to the user.
bool audioDeviceThere()
{
    if (TMyPopUpMenu::audioDevicePresent()) return true;
    ShowInfo(QStringLiteral("No sound device was found."), QStringLiteral("i461"), kError, 30040);
    switchAudioOff();
    return false;
}

void loadSound(const QString& key, const QByteArray& audio)
{
    if (!audioUsable() || !audioDeviceThere()) return;
    Session& s = session();
    TRecorderRow* recorder = TMyPopUpMenu::instance().recorder();
    recorder->closePlayer();
    const QString target = TRecorderRow::recordingPath();
    if (audio.isEmpty()) {
        const QString empty = files::resolve(s.dir(), QStringLiteral("empty.wav"));
        files::removeIfPresent(s.dir(), QStringLiteral("new.wav"));
        if (!QFileInfo::exists(empty) || !QFile::copy(empty, target)) {
            ShowInfo(QStringLiteral("The empty recording empty.wav could not be loaded"),
                     QStringLiteral("i462"), kError, 30040);
            switchAudioOff();
            return;
        }
        recorder->openPlayer();
        return;
    }
    QString error;
    // A compressed recording is the user's sound that this player cannot decode: say so and keep
    // it.
    if (!files::writeBytesFile(target, audio, &error) || !recorder->openPlayer(&error)) {
        if (wav::isRefusedCoding(audio)) {
            ShowInfo(error, QString(), kError, 30040);
            return;
        }
        PlainMessage(QStringLiteral("Audio play failed - will clear the audio slot"));
        ClearShowAudio(key);
        return;
    }
    if (!recorder->startPlaying(&error)) ShowInfo(error, QString(), kError, 30040);
}

}  // namespace

void ShowFor(const QString& key)
{
    State& s = state();
    if (key == s.lastKey || !ShowTableUsable()) return;
    HoldCommits hold;
    ShowRecord record;
    if (!ReadShowRecord(key, &record)) {
        s.lastKey = key;
        return;
    }
    if (!record.found) {
        hidePicture();
    } else {
        loadSound(key, record.audio);
        const QImage image = PictureFromStoredBytes(record.image);
        if (image.isNull())
            hidePicture();
        else
            showPicture(image);
    }
    s.lastKey = key;
}

bool ConnectImage(const QString& key, const QImage& image)
{
    if (!ShowTableUsable()) return false;
    HoldCommits hold;
    if (image.isNull()) {
        PlainMessage(QStringLiteral("Picture or audio routine failed."));
        return false;
    }
    if (!PictureWithinLimit(image.size())) {
        ShowInfo(QStringLiteral("Too big bitmap for saving"), QString(), kError, 30040);
        return false;
    }
    const QByteArray bytes = PictureToStoredBytes(image);
    if (bytes.isEmpty() || !StoreShowImage(key, bytes)) {
        PlainMessage(QStringLiteral("Problem; image was not posted in database"));
        return false;
    }
    showPicture(image);
    state().lastKey = key;
    return true;
}

bool SaveAudio(const QString& key)
{
    if (!ShowTableUsable() || !audioUsable()) return false;
    const QString path = TRecorderRow::recordingPath();
    if (!QFileInfo::exists(path)) return false;
    HoldCommits hold;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        PlainMessage(QStringLiteral("Problem; audio recordning was not loadable to blob"));
        return false;
    }
    const QByteArray audio = file.readAll();
    if (!StoreShowAudio(key, audio)) {
        PlainMessage(QStringLiteral("Problem; audio recordning was not posted in database"));
        return false;
    }
    return true;
}

void RemoveImage()
{
    State& s = state();
    // A failing delete leaves the record; the picture goes from the desktop all the same.
    if (!s.lastKey.isEmpty() && ShowTableUsable()) RemoveShowRecord(s.lastKey);
    hidePicture();
}

void CopyImage()
{
    TDesktopPicture* p = picture(false);
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (p && clipboard && !p->image().isNull()) clipboard->setImage(p->image());
}

void Hide() { hidePicture(); }

bool Visible()
{
    TDesktopPicture* p = picture(false);
    return p && p->isVisibleTo(p->parentWidget());
}

QImage CurrentImage()
{
    TDesktopPicture* p = picture(false);
    return p && Visible() ? p->image() : QImage();
}

QString LastShownKey() { return state().lastKey; }

bool AudioSwitchedOff() { return state().audioOff; }

void Reset()
{
    State& s = state();
    if (s.picture) s.picture->hide();
    s.lastKey.clear();
    s.audioOff = false;
}

}  // namespace desktoppicture

}  // namespace qb
