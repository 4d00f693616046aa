#include "platform/JpegCodec.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

// libjpeg reports errors through a callback that must not return. The callback jumps back to
// the setjmp of the step that called libjpeg; each step below is plain C between its setjmp and
// the end, so the jump never skips a C++ destructor. Everything with a destructor is made
// outside the steps.

namespace qb::jpeg {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void onError(j_common_ptr info)
{
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, err->message);
    longjmp(err->jump, 1);
}

// Warnings are let through, except the one for a stream that ends early: libjpeg would fill the
// rest of the picture with grey and call it a success.
void onMessage(j_common_ptr info, int level)
{
    if (level >= 0) return;
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    ++info->err->num_warnings;
    if (info->err->msg_code == JWRN_JPEG_EOF) {
        (*info->err->format_message)(info, err->message);
        longjmp(err->jump, 1);
    }
}

void installErrors(ErrorManager& err)
{
    std::memset(&err, 0, sizeof err);
    jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.emit_message = onMessage;
}

// A progressive stream may repeat its scans without end, each a few bytes long and each a pass
// over the whole picture; libjpeg only warns. No encoder writes anywhere near this many.
constexpr int kMaxScans = 1000;

void onProgress(j_common_ptr info)
{
    if (!info->is_decompressor) return;
    const int scan = reinterpret_cast<j_decompress_ptr>(info)->input_scan_number;
    if (scan <= kMaxScans) return;
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    std::snprintf(err->message, sizeof err->message, "The JPEG stream has more than %d scans",
                  kMaxScans);
    longjmp(err->jump, 1);
}

struct Header {
    int width = 0;
    int height = 0;
    int components = 0;
    J_COLOR_SPACE space = JCS_UNKNOWN;
    bool adobe = false;
};

// Step 1: source and header; sets the output colour space.
bool readHeader(jpeg_decompress_struct* info, ErrorManager* err, const unsigned char* bytes,
                unsigned long size, Header* header)
{
    if (setjmp(err->jump)) return false;
    jpeg_mem_src(info, bytes, size);
    jpeg_read_header(info, TRUE);
    header->width = int(info->image_width);
    header->height = int(info->image_height);
    header->space = info->jpeg_color_space;
    header->adobe = info->saw_Adobe_marker != 0;
    if (info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK)
        info->out_color_space = JCS_CMYK;
    else
        info->out_color_space = JCS_RGB;
    return true;
}

// Step 2: the scanlines, into rows of bytesPerLine bytes at bits. CMYK rows go through row,
// a buffer of width * 4 bytes, and are converted to RGB.
bool readScanlines(jpeg_decompress_struct* info, ErrorManager* err, unsigned char* bits,
                   long bytesPerLine, unsigned char* row, bool adobe, int* components)
{
    if (setjmp(err->jump)) return false;
    jpeg_start_decompress(info);
    *components = info->output_components;
    const unsigned width = info->output_width;
    while (info->output_scanline < info->output_height) {
        unsigned char* target = bits + long(info->output_scanline) * bytesPerLine;
        if (info->output_components == 4) {
            JSAMPROW rows[1] = {row};
            jpeg_read_scanlines(info, rows, 1);
            for (unsigned x = 0; x < width; ++x) {
                int c = row[x * 4], m = row[x * 4 + 1], y = row[x * 4 + 2], k = row[x * 4 + 3];
                if (!adobe) {
                    c = 255 - c;
                    m = 255 - m;
                    y = 255 - y;
                    k = 255 - k;
                }
                target[x * 3] = (unsigned char)(c * k / 255);
                target[x * 3 + 1] = (unsigned char)(m * k / 255);
                target[x * 3 + 2] = (unsigned char)(y * k / 255);
            }
        } else {
            JSAMPROW rows[1] = {target};
            jpeg_read_scanlines(info, rows, 1);
        }
    }
    jpeg_finish_decompress(info);
    return true;
}

bool writeStream(jpeg_compress_struct* info, ErrorManager* err, unsigned char** out,
                 unsigned long* outSize, const unsigned char* bits, long bytesPerLine, int width,
                 int height, int quality)
{
    if (setjmp(err->jump)) return false;
    jpeg_mem_dest(info, out, outSize);
    info->image_width = JDIMENSION(width);
    info->image_height = JDIMENSION(height);
    info->input_components = 3;
    info->in_color_space = JCS_RGB;
    jpeg_set_defaults(info);
    jpeg_set_quality(info, quality, TRUE);
    jpeg_start_compress(info, TRUE);
    while (info->next_scanline < info->image_height) {
        JSAMPROW rows[1] = {
            const_cast<unsigned char*>(bits + long(info->next_scanline) * bytesPerLine)};
        jpeg_write_scanlines(info, rows, 1);
    }
    jpeg_finish_compress(info);
    return true;
}

QString messageOf(const ErrorManager& err)
{
    QString text = QString::fromLocal8Bit(err.message).trimmed();
    return text.isEmpty() ? QStringLiteral("The JPEG data could not be read") : text;
}

}  // namespace

bool looksLikeJpeg(const QByteArray& data)
{
    return data.size() >= 3 && uchar(data[0]) == 0xFF && uchar(data[1]) == 0xD8 &&
           uchar(data[2]) == 0xFF;
}

bool readSize(const QByteArray& data, QSize* size, QString* error)
{
    ErrorManager err;
    installErrors(err);
    jpeg_decompress_struct info;
    std::memset(&info, 0, sizeof info);
    info.err = &err.pub;
    jpeg_create_decompress(&info);
    Header header;
    bool ok = readHeader(&info, &err, reinterpret_cast<const unsigned char*>(data.constData()),
                         (unsigned long)data.size(), &header);
    jpeg_destroy_decompress(&info);
    if (!ok) {
        if (error) *error = messageOf(err);
        return false;
    }
    if (size) *size = QSize(header.width, header.height);
    return true;
}

bool decode(const QByteArray& data, QImage* image, QString* error, qint64 maxPixels)
{
    ErrorManager err;
    installErrors(err);
    jpeg_decompress_struct info;
    std::memset(&info, 0, sizeof info);
    info.err = &err.pub;
    jpeg_create_decompress(&info);
    jpeg_progress_mgr progress;
    std::memset(&progress, 0, sizeof progress);
    progress.progress_monitor = onProgress;
    info.progress = &progress;

    auto fail = [&](const QString& why) {
        jpeg_destroy_decompress(&info);
        if (error) *error = why;
        return false;
    };

    Header header;
    if (!readHeader(&info, &err, reinterpret_cast<const unsigned char*>(data.constData()),
                    (unsigned long)data.size(), &header))
        return fail(messageOf(err));
    const qint64 pixels = qint64(header.width) * header.height;
    if (header.width <= 0 || header.height <= 0)
        return fail(QStringLiteral("The JPEG picture has no size"));
    if (maxPixels > 0 && pixels > maxPixels)
        return fail(QStringLiteral("The JPEG picture is too big: %1 x %2")
                        .arg(header.width)
                        .arg(header.height));

    QImage result(header.width, header.height, QImage::Format_RGB888);
    if (result.isNull()) return fail(QStringLiteral("Not enough memory for the JPEG picture"));
    std::vector<unsigned char> row(size_t(header.width) * 4);
    int components = 0;
    if (!readScanlines(&info, &err, result.bits(), long(result.bytesPerLine()), row.data(),
                       header.adobe, &components))
        return fail(messageOf(err));
    jpeg_destroy_decompress(&info);
    if (components != 3 && components != 4) {
        if (error) *error = QStringLiteral("Unsupported JPEG colour layout");
        return false;
    }
    *image = result;
    return true;
}

bool encode(const QImage& image, QByteArray* data, int quality, QString* error)
{
    if (image.isNull()) {
        if (error) *error = QStringLiteral("No picture to encode");
        return false;
    }
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    ErrorManager err;
    installErrors(err);
    jpeg_compress_struct info;
    std::memset(&info, 0, sizeof info);
    info.err = &err.pub;
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    const bool ok =
        writeStream(&info, &err, &out, &outSize, rgb.constBits(), long(rgb.bytesPerLine()),
                    rgb.width(), rgb.height(), std::clamp(quality, 1, 100));
    jpeg_destroy_compress(&info);
    if (ok && out) *data = QByteArray(reinterpret_cast<const char*>(out), qsizetype(outSize));
    std::free(out);
    if (!ok && error) *error = messageOf(err);
    return ok;
}

}  // namespace qb::jpeg
