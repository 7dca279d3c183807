// The menu cursor arrow and the four key caps of the quick-help page.
#include <cmath>
#include <cstdlib>

#include "art.h"

namespace artgen {

Asset cursorArrow()
{
    // A right-pointing triangle: base on the whole left edge, tip at the
    // middle of the right edge. Inside pixels that touch the outside are the
    // black outline; the rest shade from pale pink (top) to red (bottom).
    constexpr int w = 16, h = 13, mid = h / 2;
    const Rgb white = rgb(0xFFFFFF), black = rgb(0x000000);
    const Rgb top = rgb(0xFFC8C8), bottom = rgb(0xFF0000);

    auto rightEnd = [&](int y) { // last inside column of row y
        return int(std::floor((w - 1) * double(mid - std::abs(y - mid)) / mid + 0.5));
    };
    auto inside = [&](int x, int y) { return y >= 0 && y < h && x >= 0 && x <= rightEnd(y); };

    Image img(w, h, white);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x <= rightEnd(y); ++x) {
            const bool edge = x == 0 || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
            if (edge) {
                img.at(x, y) = black;
                continue;
            }
            const double t = double(y - 1) / double(h - 3);
            auto mix = [t](std::uint8_t a, std::uint8_t b) { return std::uint8_t(std::lround(a + (b - a) * t)); };
            img.at(x, y) = {mix(top.r, bottom.r), mix(top.g, bottom.g), mix(top.b, bottom.b)};
        }
    return {"cursor_arrow.bmp", encodeBmp24(img)};
}

namespace {

// The standard 16-colour palette, in index order.
const std::vector<Rgb> standard16 = {
    rgb(0x000000), rgb(0x800000), rgb(0x008000), rgb(0x808000),
    rgb(0x000080), rgb(0x800080), rgb(0x008080), rgb(0x808080),
    rgb(0xC0C0C0), rgb(0xFF0000), rgb(0x00FF00), rgb(0xFFFF00),
    rgb(0x0000FF), rgb(0xFF00FF), rgb(0x00FFFF), rgb(0xFFFFFF),
};

// The shared key-cap frame. Letters: the black outline whose corners stay
// face-coloured, '-' the white light edge, '=' the dark grey shade, ' ' face.
constexpr const char* frame = R"(
 XXXXXXXXXXXXXXXXXXXXXX 
X--------------------==X
X-                   ==X
X-                   ==X
X-                   ==X
X-                   ==X
X-                   ==X
X-                   ==X
X-                   ==X
X-                   ==X
X-                   ==X
X-                   ==X
X-                   ==X
X-                   ==X
X-                   ==X
X-                   ==X
X-                   ==X
X-                   ==X
X-                   ==X
X======================X
X======================X
 XXXXXXXXXXXXXXXXXXXXXX 
)";

// Glyphs in black ('X') on the face; '.' leaves the face showing.
constexpr const char* glyphZ = R"(
XXXXXXXX
XXXXXXXX
.....XX.
....XX..
...XX...
..XX....
.XX.....
XXXXXXXX
XXXXXXXX
)";

constexpr const char* glyphX = R"(
XXX..XXX
.XX..XX.
.XX..XX.
..XXXX..
...XX...
..XXXX..
.XX..XX.
.XX..XX.
XXX..XXX
)";

constexpr const char* glyphEnter = R"(
...........XX
...........XX
...X.......XX
..XX.......XX
.XXX.......XX
XXXXXXXXXXXXX
XXXXXXXXXXXXX
.XXX.........
..XX.........
...X.........
)";

constexpr const char* glyphShift = R"(
......X......
.....X.X.....
....X...X....
...X.....X...
..X.......X..
.X.........X.
XXXX.....XXXX
...X.....X...
...X.....X...
...X.....X...
...X.....X...
...XXXXXXX...
)";

Asset keyCap(const char* fileName, const char* glyph)
{
    const Rgb black = rgb(0x000000), dark = rgb(0x808080), face = rgb(0xC0C0C0), light = rgb(0xFFFFFF);
    Image img = parseMap(frame, {{'X', black}, {'-', light}, {'=', dark}, {' ', face}});
    require(img.width == 24 && img.height == 22, "key cap frame must be 24 x 22");

    // Centre the glyph on the face: inside the light edge and the shade.
    const int faceX = 2, faceY = 2, faceW = 19, faceH = 17;
    const Image g = parseMap(glyph, {{'X', black}, {'.', face}});
    blitKeyed(img, g, faceX + (faceW - g.width) / 2, faceY + (faceH - g.height) / 2, face);
    return {fileName, encodeBmpIndexed(toIndexed(img, standard16), 4)};
}

} // namespace

std::vector<Asset> keyCaps()
{
    return {keyCap("key_z.bmp", glyphZ), keyCap("key_x.bmp", glyphX),
            keyCap("key_enter.bmp", glyphEnter), keyCap("key_shift.bmp", glyphShift)};
}

} // namespace artgen
