#pragma once

#include <QImage>
#include <QString>

namespace qb {

// Reading a picture file for an item card or the desktop: JPEG through the program's own codec,
// BMP and the other formats through QImage. Pictures above the one-million-pixel limit are
// refused before they are decoded.
struct PictureFile {
    enum Status { Ok, Missing, Unreadable, TooBig };
    Status status = Missing;
    QImage image;
    QString error;  // why it could not be read (Unreadable)
};

PictureFile LoadPictureFile(const QString& path);
// The same for picture data already in memory (a file's bytes).
PictureFile LoadPictureData(const QByteArray& data, const QString& nameForFormat = QString());

}  // namespace qb
