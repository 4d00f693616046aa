#pragma once

#include <QImage>
#include <QString>

namespace qb {

// Reading picture bytes from outside: a picture file for an item card, ITEM.Animation and
// SHOW.Image blobs, the recovery file's pictures. JPEG goes through the program's own codec, BMP,
// PNG and GIF through QImage; other formats are refused. The size is read from the header first, so
// a picture above the one-million-pixel limit is refused before anything is allocated for it,
// and a picture whose data ends before its last row is refused rather than filled in.
struct PictureFile {
    enum Status { Ok, Missing, Unreadable, TooBig };
    Status status = Missing;
    QImage image;
    QString error;  // why it was refused (Unreadable, TooBig)
};

PictureFile LoadPictureFile(const QString& path);
// The one decode of picture data in memory; every path goes through it. nameForFormat lets a
// file named .jpg go to the JPEG codec even when its first bytes do not say so.
PictureFile LoadPictureData(const QByteArray& data, const QString& nameForFormat = QString());

}  // namespace qb
