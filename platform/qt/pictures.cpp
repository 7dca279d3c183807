// The menu's pictures are plain bitmaps and one icon. Qt reads bitmaps itself,
// but before it does, its image reader loads every image-format plugin (GIF,
// ICO, JPEG and libjpeg) to ask whether one of them wants the file, and the
// icon needs one of them anyway. Decoding the few kinds we ship here keeps
// all of that out of the start-up.
#include "pictures.h"

#include <QResource>

#include <cstdint>

namespace forms {

namespace {

// A little-endian number of `n` bytes.
std::uint32_t le(const uchar* p, int n)
{
    std::uint32_t v = 0;
    while (n-- > 0)
        v = v << 8 | p[n];
    return v;
}

// A device-independent bitmap: a header of at least 40 bytes at `at`, its
// colour table, and rows from the bottom up, each padded to four bytes, at
// `pixelsAt` (0: just after the table). An icon's bitmap is stored twice as
// high, the second half a 1-bit mask in which a set bit is clear.
QImage readBitmap(QByteArrayView file, qsizetype at, qsizetype pixelsAt, bool masked)
{
    const auto* data = reinterpret_cast<const uchar*>(file.data());
    if (at < 0 || file.size() < at + 40)
        return {};
    const uchar* h = data + at;
    const qsizetype headerSize = le(h, 4);
    const int width = int(le(h + 4, 4)), height = int(le(h + 8, 4)) / (masked ? 2 : 1);
    const int bits = int(le(h + 14, 2)), colours = bits == 24 ? 0 : 1 << bits;
    if (headerSize < 40 || le(h + 16, 4) != 0 || (bits != 4 && bits != 8 && bits != 24) || width <= 0 ||
        height <= 0 || width > 4096 || height > 4096 || (le(h + 32, 4) != 0 && int(le(h + 32, 4)) != colours))
        return {};
    const qsizetype table = at + headerSize, stride = (qsizetype(width) * bits + 31) / 32 * 4;
    const qsizetype maskStride = (width + 31) / 32 * 4;
    if (pixelsAt == 0)
        pixelsAt = table + 4 * qsizetype(colours);
    if (pixelsAt < table + 4 * qsizetype(colours) ||
        file.size() < pixelsAt + height * (stride + (masked ? maskStride : 0)))
        return {};

    QList<QRgb> palette;
    for (int i = 0; i < colours; ++i)
        palette << qRgb(data[table + 4 * i + 2], data[table + 4 * i + 1], data[table + 4 * i]);
    const bool indexed = colours && !masked;
    QImage image(width, height,
                 indexed ? QImage::Format_Indexed8
                         : masked ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    image.setColorTable(indexed ? palette : QList<QRgb>());
    if (le(h + 24, 4))
        image.setDotsPerMeterX(int(le(h + 24, 4)));
    if (le(h + 28, 4))
        image.setDotsPerMeterY(int(le(h + 28, 4)));
    for (int y = 0; y < height; ++y) {
        const uchar* row = data + pixelsAt + (height - 1 - y) * stride;
        const uchar* mask = masked ? data + pixelsAt + height * stride + (height - 1 - y) * maskStride : nullptr;
        uchar* out = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const int index = bits == 8 ? row[x] : bits == 4 ? (row[x / 2] >> (x % 2 ? 0 : 4)) & 15 : 0;
            if (indexed) {
                out[x] = uchar(index);
                continue;
            }
            QRgb& pixel = reinterpret_cast<QRgb*>(out)[x];
            pixel = bits == 24 ? qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]) : palette[index];
            if (mask && (mask[x / 8] >> (7 - x % 8) & 1))
                pixel = 0;
        }
    }
    return image;
}

}  // namespace

QImage decodePicture(QByteArrayView file)
{
    const auto* d = reinterpret_cast<const uchar*>(file.data());
    if (file.size() >= 54 && file.startsWith("BM"))
        return readBitmap(file, 14, le(d + 10, 4), false);
    // An icon file with exactly one image.
    if (file.size() >= 22 && le(d, 4) == 0x10000 && le(d + 4, 2) == 1)
        return readBitmap(file, le(d + 18, 4), 0, true);
    return {};
}

QImage picture(const QString& path)
{
    const QImage image = decodePicture(QResource(path).uncompressedData());
    return image.isNull() ? QImage(path) : image;
}

}  // namespace forms
