#include "items/ItemPicture.h"

#include "items/ItemCardData.h"
#include "items/ItemCardRules.h"
#include "platform/JpegCodec.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <cstdlib>

namespace qb {

namespace {

// QImage's own ceiling on what one picture may allocate, in megabytes: a million pixels at eight
// bytes each fits, a picture whose header lies about its size does not.
constexpr int kAllocationLimitMb = 16;

bool jpegName(const QString& name)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    return suffix == QStringLiteral("jpg") || suffix == QStringLiteral("jpeg") ||
           suffix == QStringLiteral("jpe");
}

PictureFile refused(PictureFile::Status status, const QString& why)
{
    PictureFile result;
    result.status = status;
    result.error = why;
    return result;
}

PictureFile unreadable(const QString& why) { return refused(PictureFile::Unreadable, why); }

PictureFile tooBig(QSize size)
{
    return refused(PictureFile::TooBig, QStringLiteral("%1 x %2 pixels, more than %3")
                                            .arg(size.width())
                                            .arg(size.height())
                                            .arg(ItemCardData::kMaxPicturePixels));
}

quint32 le(const QByteArray& data, qsizetype at, int bytes)
{
    quint32 value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | uchar(data[at + i]);
    return value;
}

// Whether the codes of a run-length BMP reach the end of the picture before the data ends.
bool rleComplete(const QByteArray& data, qsizetype at, qint64 width, qint64 height, bool rle4)
{
    qint64 x = 0, y = 0;
    while (at + 2 <= data.size()) {
        const int count = uchar(data[at]);
        const int code = uchar(data[at + 1]);
        at += 2;
        if (count > 0) {
            x += count;
        } else if (code == 0) {
            x = 0;
            ++y;
        } else if (code == 1) {
            return true;
        } else if (code == 2) {
            if (at + 2 > data.size()) return false;
            x += uchar(data[at]);
            y += uchar(data[at + 1]);
            at += 2;
        } else {
            const qsizetype bytes = rle4 ? (code + 1) / 2 : code;
            at += (bytes + 1) / 2 * 2;
            if (at > data.size()) return false;
            x += code;
        }
        if (y >= height) return true;
    }
    return y == height - 1 && x >= width;
}

// Whether a BMP stream holds all of its picture. QImage fills the rows that are missing and
// calls the result a success.
bool bmpComplete(const QByteArray& data)
{
    if (data.size() < 26) return false;
    const quint32 offset = le(data, 10, 4);
    const quint32 header = le(data, 14, 4);
    qint64 width = 0, height = 0;
    quint32 bits = 0, compression = 0;
    if (header == 12) {
        width = le(data, 18, 2);
        height = le(data, 20, 2);
        bits = le(data, 24, 2);
    } else {
        if (data.size() < 34) return false;
        width = qint32(le(data, 18, 4));
        height = std::llabs(qint32(le(data, 22, 4)));
        bits = le(data, 28, 2);
        compression = le(data, 30, 4);
    }
    if (offset >= quint32(data.size()) || width <= 0 || height <= 0) return false;
    if (compression == 1 || compression == 2)
        return rleComplete(data, offset, width, height, compression == 2);
    // The last row's padding may be left out.
    const qint64 stride = (width * bits + 31) / 32 * 4;
    return offset + stride * (height - 1) + (width * bits + 7) / 8 <= data.size();
}

PictureFile decodeJpeg(const QByteArray& data)
{
    QSize size;
    QString error;
    if (!jpeg::readSize(data, &size, &error)) return unreadable(error);
    if (!PictureWithinLimit(size)) return tooBig(size);
    PictureFile result;
    if (!jpeg::decode(data, &result.image, &error, ItemCardData::kMaxPicturePixels))
        return unreadable(error);
    result.status = PictureFile::Ok;
    return result;
}

}  // namespace

PictureFile LoadPictureData(const QByteArray& data, const QString& nameForFormat)
{
    if (jpeg::looksLikeJpeg(data) || (jpegName(nameForFormat) && !data.isEmpty()))
        return decodeJpeg(data);
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    // Decided by the content alone. Icons are not taken: an icon's directory may announce a
    // small picture and hold a PNG of any size. A GIF, as a file loaded for a card, is read as
    // before, within the same limits.
    const QByteArray format = QImageReader::imageFormat(&buffer);
    if (format != "bmp" && format != "png" && format != "gif")
        return unreadable(QStringLiteral("Not a picture file this program can read"));
    QImageReader reader(&buffer, format);
    reader.setAllocationLimit(kAllocationLimitMb);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return unreadable(QStringLiteral("The picture's size cannot be read"));
    if (!PictureWithinLimit(size)) return tooBig(size);
    if (format == "bmp" && !bmpComplete(data))
        return unreadable(QStringLiteral("The picture's data ends before the picture does"));
    PictureFile result;
    if (!reader.read(&result.image) || result.image.isNull())
        return unreadable(reader.errorString());
    if (result.image.size() != size) {
        result.image = QImage();
        return unreadable(QStringLiteral("The picture does not have the size its header gives"));
    }
    result.status = PictureFile::Ok;
    return result;
}

PictureFile LoadPictureFile(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile()) return PictureFile();
    if (!file.open(QIODevice::ReadOnly)) return unreadable(file.errorString());
    // No picture file worth keeping with a short note comes near this; a bigger one is refused
    // before it fills the memory.
    constexpr qint64 kMaxFileBytes = 64LL * 1024 * 1024;
    if (file.size() > kMaxFileBytes)
        return refused(PictureFile::TooBig,
                       QStringLiteral("The file is larger than %1 bytes").arg(kMaxFileBytes));
    return LoadPictureData(file.readAll(), path);
}

}  // namespace qb
