#pragma once

#include <QImage>
#include <QLabel>
#include <QString>

namespace qb {

class TDesktop;

// The desktop picture: the SHOW picture of the card that last got the focus, shown on the desktop
// surface in the wallpaper's place (the wallpaper hides while it shows).
class TDesktopPicture : public QLabel {
    Q_OBJECT
public:
    explicit TDesktopPicture(QWidget* surface);
    void showImage(const QImage& image);
    QImage image() const { return image_; }

private:
    QImage image_;
};

namespace desktoppicture {

// A card got the focus: its SHOW record's picture and sound come up, when its key differs from
// the one shown last.
void ShowFor(const QString& key);
// "ConnectImage": the picture goes into SHOW under the key and shows at once.
bool ConnectImage(const QString& key, const QImage& image);
// "SaveAudio": the recording "new.wav" goes into SHOW under the key.
bool SaveAudio(const QString& key);
// Desktop menu and Utilities > Desktop Image.
void RemoveImage();
void CopyImage();
// The picture goes and the wallpaper comes back (after "All Cards").
void Hide();
bool Visible();
QImage CurrentImage();
QString LastShownKey();
// Sound stays off for the rest of the run after it failed once.
bool AudioSwitchedOff();
// Forgets the key shown last, the picture and the switched-off sound (a new desktop, tests).
void Reset();

}  // namespace desktoppicture

}  // namespace qb
