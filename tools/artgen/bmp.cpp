#include "bmp.h"

#include <stdexcept>

namespace artgen {
namespace {

constexpr std::uint32_t fileHeaderSize = 14;
constexpr std::uint32_t infoHeaderSize = 40;
constexpr std::int32_t pixelsPerMetre = 3780; // 96 dots per inch

void put16(Bytes& out, std::uint32_t v)
{
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

void put32(Bytes& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// Bytes of one stored row, filled out to a multiple of four.
std::uint32_t rowStride(int width, int bits)
{
    return ((std::uint32_t(width) * std::uint32_t(bits) + 31) / 32) * 4;
}

struct InfoHeader {
    int width, height; // height as stored: doubled for icons
    int bits;
    std::uint32_t imageBytes;
    std::int32_t ppm;
    std::uint32_t coloursUsed;
};

void putInfoHeader(Bytes& out, const InfoHeader& h)
{
    put32(out, infoHeaderSize);
    put32(out, std::uint32_t(h.width));
    put32(out, std::uint32_t(h.height)); // positive: rows run bottom-up
    put16(out, 1);                       // planes
    put16(out, std::uint32_t(h.bits));
    put32(out, 0); // no compression
    put32(out, h.imageBytes);
    put32(out, std::uint32_t(h.ppm));
    put32(out, std::uint32_t(h.ppm));
    put32(out, h.coloursUsed);
    put32(out, 0); // all colours important
}

void putPalette(Bytes& out, const std::vector<Rgb>& palette, std::size_t entries)
{
    if (palette.size() > entries)
        throw std::invalid_argument("palette has more entries than the depth allows");
    for (std::size_t i = 0; i < entries; ++i) {
        const Rgb c = i < palette.size() ? palette[i] : Rgb{};
        out.insert(out.end(), {c.b, c.g, c.r, 0});
    }
}

// Rows bottom-up, packed at `bits` per index, each padded with zeros.
void putIndexedRows(Bytes& out, const IndexedImage& img, int bits)
{
    const std::uint32_t stride = rowStride(img.width, bits);
    const int perByte = 8 / bits;
    for (int y = img.height - 1; y >= 0; --y) {
        Bytes row(stride, 0);
        for (int x = 0; x < img.width; ++x) {
            const std::uint8_t idx = img.pixels[std::size_t(y) * std::size_t(img.width) + std::size_t(x)];
            if (idx >> bits)
                throw std::invalid_argument("colour index does not fit the depth");
            const int shift = bits * (perByte - 1 - x % perByte); // leftmost pixel in the high bits
            row[std::size_t(x / perByte)] |= std::uint8_t(idx << shift);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
}

void putFileHeader(Bytes& out, std::uint32_t fileSize, std::uint32_t dataOffset)
{
    out.push_back('B');
    out.push_back('M');
    put32(out, fileSize);
    put32(out, 0); // reserved
    put32(out, dataOffset);
}

} // namespace

Bytes encodeBmp24(const Image& img)
{
    const std::uint32_t stride = rowStride(img.width, 24);
    const std::uint32_t imageBytes = stride * std::uint32_t(img.height);
    const std::uint32_t offset = fileHeaderSize + infoHeaderSize;
    Bytes out;
    out.reserve(offset + imageBytes);
    putFileHeader(out, offset + imageBytes, offset);
    putInfoHeader(out, {img.width, img.height, 24, imageBytes, pixelsPerMetre, 0});
    for (int y = img.height - 1; y >= 0; --y) {
        const std::size_t start = out.size();
        for (int x = 0; x < img.width; ++x) {
            const Rgb c = img.at(x, y);
            out.insert(out.end(), {c.b, c.g, c.r});
        }
        out.resize(start + stride, 0);
    }
    return out;
}

Bytes encodeBmpIndexed(const IndexedImage& img, int bits)
{
    if (bits != 4 && bits != 8)
        throw std::invalid_argument("indexed bitmaps are 4 or 8 bits per pixel");
    const std::size_t entries = std::size_t(1) << bits;
    const std::uint32_t imageBytes = rowStride(img.width, bits) * std::uint32_t(img.height);
    const std::uint32_t offset = fileHeaderSize + infoHeaderSize + std::uint32_t(entries) * 4;
    Bytes out;
    out.reserve(offset + imageBytes);
    putFileHeader(out, offset + imageBytes, offset);
    putInfoHeader(out, {img.width, img.height, bits, imageBytes, pixelsPerMetre, 0});
    putPalette(out, img.palette, entries);
    putIndexedRows(out, img, bits);
    return out;
}

Bytes encodeIco(const IndexedImage& img, const std::vector<bool>& transparent)
{
    if (img.width < 1 || img.width > 256 || img.height < 1 || img.height > 256)
        throw std::invalid_argument("icon images are 1 to 256 pixels a side");
    if (transparent.size() != img.pixels.size())
        throw std::invalid_argument("transparency mask does not match the image");

    const std::uint32_t colourBytes = rowStride(img.width, 8) * std::uint32_t(img.height);
    const std::uint32_t maskStride = rowStride(img.width, 1);
    const std::uint32_t maskBytes = maskStride * std::uint32_t(img.height);
    const std::uint32_t imageSize = infoHeaderSize + 256 * 4 + colourBytes + maskBytes;
    constexpr std::uint32_t directorySize = 6 + 16;

    Bytes out;
    out.reserve(directorySize + imageSize);
    put16(out, 0); // reserved
    put16(out, 1); // type: icon
    put16(out, 1); // one image
    out.push_back(std::uint8_t(img.width));  // 256 is stored as 0
    out.push_back(std::uint8_t(img.height));
    out.push_back(0); // colour count: 0 for 256 colours or more
    out.push_back(0); // reserved
    put16(out, 1);    // planes
    put16(out, 8);    // bits per pixel
    put32(out, imageSize);
    put32(out, directorySize);

    // The embedded bitmap counts the mask in its height.
    putInfoHeader(out, {img.width, img.height * 2, 8, colourBytes + maskBytes, 0, 256});
    putPalette(out, img.palette, 256);
    putIndexedRows(out, img, 8);
    for (int y = img.height - 1; y >= 0; --y) {
        Bytes row(maskStride, 0);
        for (int x = 0; x < img.width; ++x)
            if (transparent[std::size_t(y) * std::size_t(img.width) + std::size_t(x)])
                row[std::size_t(x / 8)] |= std::uint8_t(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

} // namespace artgen
