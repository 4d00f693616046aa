#pragma once

// Small hand-made picture files whose headers say what the test needs, whatever their data holds.

#include <QByteArray>
#include <QtGlobal>

namespace qb::test::crafted {

inline void little(QByteArray& b, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i) b.append(char(value >> (8 * i)));
}

inline void big(QByteArray& b, quint32 value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i) b.append(char(value >> (8 * i)));
}

// A BMP: file header and BITMAPINFOHEADER, then `palette` entries of 4 bytes and `pixels`.
inline QByteArray bmp(int width, int height, int bits, int compression, int palette,
                      const QByteArray& pixels)
{
    QByteArray b("BM");
    const int offset = 54 + palette * 4;
    little(b, quint32(offset + pixels.size()), 4);
    little(b, 0, 4);
    little(b, quint32(offset), 4);
    for (quint32 v : {40u, quint32(width), quint32(height)}) little(b, v, 4);
    little(b, 1, 2);
    little(b, quint32(bits), 2);
    for (quint32 v : {quint32(compression), 0u, 2835u, 2835u, quint32(palette), 0u})
        little(b, v, 4);
    for (int i = 0; i < palette; ++i) little(b, 0x00FFFFFFu * quint32(i & 1), 4);
    return b + pixels;
}

inline quint32 crc32(const QByteArray& bytes)
{
    quint32 c = 0xFFFFFFFFu;
    for (char byte : bytes) {
        c ^= uchar(byte);
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

inline void pngChunk(QByteArray& b, const char* type, const QByteArray& data)
{
    big(b, quint32(data.size()), 4);
    const QByteArray body = QByteArray(type) + data;
    b += body;
    big(b, crc32(body), 4);
}

// A whole black PNG of one bit a pixel: a few kilobytes, however many pixels it has.
inline QByteArray blackPng(int width, int height)
{
    QByteArray b("\x89PNG\r\n\x1a\n");
    QByteArray header;
    big(header, quint32(width), 4);
    big(header, quint32(height), 4);
    header +=
        QByteArray("\x01\x00\x00\x00\x00", 5);  // 1 bit, grey, deflate, no filter, no interlace
    pngChunk(b, "IHDR", header);
    const QByteArray rows(qsizetype(height) * (1 + (width + 7) / 8), '\0');
    pngChunk(b, "IDAT", qCompress(rows).mid(4));  // the zlib stream without Qt's length
    pngChunk(b, "IEND", QByteArray());
    return b;
}

// A progressive JPEG of one grey component whose one DC scan is repeated `scans` times (ten
// bytes of header and a bit a block each). Every repetition makes libjpeg warn, and go on.
inline QByteArray jpegScans(int width, int height, int scans)
{
    QByteArray b("\xFF\xD8\xFF\xDB\x00\x43\x00", 7);
    b += QByteArray(64, '\x01');
    b += QByteArray("\xFF\xC2\x00\x0B\x08", 5);
    big(b, quint32(height), 2);
    big(b, quint32(width), 2);
    b += QByteArray("\x01\x01\x11\x00", 4);
    // One Huffman code of one bit, for a DC difference of 0.
    b += QByteArray("\xFF\xC4\x00\x14\x00\x01", 6) + QByteArray(15, '\0') + QByteArray(1, '\0');
    const int blocks = ((width + 7) / 8) * ((height + 7) / 8);
    QByteArray data((blocks + 7) / 8, '\0');
    if (blocks % 8) data[data.size() - 1] = char(0xFF >> (blocks % 8));
    for (int i = 0; i < scans; ++i)
        b += QByteArray("\xFF\xDA\x00\x08\x01\x01\x00\x00\x00\x00", 10) + data;
    return b + QByteArray("\xFF\xD9", 2);
}

}  // namespace qb::test::crafted
