// In-memory pictures and the few drawing operations the artwork needs.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string_view>
#include <utility>
#include <vector>

namespace artgen {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend auto operator<=>(const Rgb&, const Rgb&) = default;
};

constexpr Rgb rgb(std::uint32_t hex)
{
    return {std::uint8_t(hex >> 16), std::uint8_t(hex >> 8), std::uint8_t(hex)};
}

struct Image {
    int width = 0, height = 0;
    std::vector<Rgb> pixels; // row-major, top row first

    Image() = default;
    Image(int w, int h, Rgb fill = {});
    Rgb& at(int x, int y) { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
    Rgb at(int x, int y) const { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    void set(int x, int y, Rgb c) { if (contains(x, y)) at(x, y) = c; }
    std::size_t distinctColours() const;
};

struct IndexedImage {
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels; // row-major, top row first
    std::vector<Rgb> palette;
};

// Colour key of a text map: one character per colour.
using ColourKey = std::map<char, Rgb>;

// Reads a text pixel map: one line per row, one character per pixel, all rows
// the same length; leading and trailing blank lines are ignored. Throws on an
// unknown character or ragged rows.
Image parseMap(std::string_view text, const ColourKey& key);

// Enlarges by an integer factor, each pixel becoming a square block.
Image scaled(const Image& src, int factor);

// Copies src onto dst with its top-left corner at (x, y), clipped.
void blit(Image& dst, const Image& src, int x, int y);

// Same, but leaves dst alone wherever src has the colour `skip`.
void blitKeyed(Image& dst, const Image& src, int x, int y, Rgb skip);

void fillRect(Image& img, int x, int y, int w, int h, Rgb c);
// Filled axis-aligned ellipse inside the box [x0, x1] x [y0, y1].
void fillEllipse(Image& img, int x0, int y0, int x1, int y1, Rgb c);
// Filled polygon by the even-odd rule, sampled at pixel centres.
void fillPolygon(Image& img, std::initializer_list<std::pair<double, double>> pts, Rgb c);
// Thick line with round ends: every pixel whose centre lies within
// `radius` of the segment from (x0, y0) to (x1, y1).
void fillCapsule(Image& img, double x0, double y0, double x1, double y1, double radius, Rgb c);

} // namespace artgen
