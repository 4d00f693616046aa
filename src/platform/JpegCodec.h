#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace qb::jpeg {

// The program's own small JPEG codec on libjpeg. Nothing a file contains can crash it: every
// libjpeg error comes back as false with its text in *error.

// Whether the data starts like a JPEG stream (the SOI marker).
bool looksLikeJpeg(const QByteArray& data);

// Width and height from the stream's header, without decoding the picture.
bool readSize(const QByteArray& data, QSize* size, QString* error = nullptr);

// Decodes to an RGB image (grey and CMYK streams are converted). A stream that ends before its
// picture does is an error, not a half-grey picture. maxPixels > 0 refuses larger pictures
// before anything is allocated for them.
bool decode(const QByteArray& data, QImage* image, QString* error = nullptr, qint64 maxPixels = 0);

// Encodes with the given quality (1..100) as a baseline RGB stream.
bool encode(const QImage& image, QByteArray* data, int quality = 90, QString* error = nullptr);

}  // namespace qb::jpeg
