#include "items/ItemPicture.h"

#include "items/ItemCardData.h"
#include "items/ItemCardRules.h"
#include "platform/JpegCodec.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace qb {

namespace {

bool jpegName(const QString& name)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    return suffix == QStringLiteral("jpg") || suffix == QStringLiteral("jpeg") ||
           suffix == QStringLiteral("jpe");
}

PictureFile unreadable(const QString& why)
{
    PictureFile result;
    result.status = PictureFile::Unreadable;
    result.error = why;
    return result;
}

}  // namespace

PictureFile LoadPictureData(const QByteArray& data, const QString& nameForFormat)
{
    PictureFile result;
    if (jpeg::looksLikeJpeg(data) || (jpegName(nameForFormat) && !data.isEmpty())) {
        QSize size;
        QString error;
        if (!jpeg::readSize(data, &size, &error)) return unreadable(error);
        if (!PictureWithinLimit(size)) {
            result.status = PictureFile::TooBig;
            return result;
        }
        if (!jpeg::decode(data, &result.image, &error, ItemCardData::kMaxPicturePixels))
            return unreadable(error);
        result.status = PictureFile::Ok;
        return result;
    }
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (!reader.canRead())
        return unreadable(QStringLiteral("Not a picture file this program can read"));
    if (size.isValid() && !PictureWithinLimit(size)) {
        result.status = PictureFile::TooBig;
        return result;
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) return unreadable(reader.errorString());
    if (!PictureWithinLimit(image.size())) {
        result.status = PictureFile::TooBig;
        return result;
    }
    result.image = image;
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
    if (file.size() > kMaxFileBytes) {
        PictureFile result;
        result.status = PictureFile::TooBig;
        return result;
    }
    return LoadPictureData(file.readAll(), path);
}

}  // namespace qb
