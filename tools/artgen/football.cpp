// The About window's football scene: two red-shirted players celebrating on
// the pitch before a packed stand, under an advertising board.
#include <array>
#include <set>

#include "art.h"

namespace artgen {
namespace {

// The scene's colours; the picture uses every one of them.
enum Colour : std::uint8_t {
    Black, White, BoardBlue, BoardNavy, BoardYellow, BoardRed, LetterGrey,
    Shirt, ShirtShade, ShirtDark, ShortsShade, Sock,
    SkinLight, SkinMid, SkinTan, SkinDark, HairBlack, HairBrown, HairBlond, HairRed,
    Grass, GrassDark, GrassLight, Line,
    StandDark, StandMid, StandStep,
    FanBlue, FanSky, FanGreen, FanLime, FanYellow, FanOrange, FanPurple, FanPink,
    FanTeal, FanBrown, FanGrey, FanMaroon, FanNavy, FanCream,
    ColourCount
};

constexpr std::array<std::uint32_t, ColourCount> colourValues = {
    0x000000, 0xFFFFFF, 0x1C3FB0, 0x0C1E5C, 0xFFD820, 0xD82020, 0xD0D4DC,
    0xE02828, 0xA81420, 0x6C0A14, 0xC0C4CC, 0xF03838,
    0xF8C8A0, 0xE8A878, 0xC88050, 0x7C4A28, 0x201410, 0x6A3A16, 0xE8C860, 0xB84818,
    0x2E9A34, 0x1E7A26, 0x48B44A, 0xE8F4E8,
    0x2A2A36, 0x44444E, 0x5E5E68,
    0x2850C8, 0x68A8F0, 0x289040, 0x98D040, 0xF0E040, 0xF08828, 0x8040B0, 0xF090C0,
    0x20A0A0, 0x8A5A30, 0xA0A0A8, 0x882040, 0x203070, 0xF0E8C8,
};

using Scene = IndexedImage;

void put(Scene& s, int x, int y, Colour c)
{
    if (x >= 0 && y >= 0 && x < s.width && y < s.height)
        s.pixels[std::size_t(y) * std::size_t(s.width) + std::size_t(x)] = c;
}

void rect(Scene& s, int x, int y, int w, int h, Colour c)
{
    for (int yy = y; yy < y + h; ++yy)
        for (int xx = x; xx < x + w; ++xx)
            put(s, xx, yy, c);
}

// Rows of a small sprite: one character per pixel, ' ' leaves the scene.
void sprite(Scene& s, int x, int y, std::initializer_list<const char*> rows,
            std::initializer_list<std::pair<char, Colour>> key)
{
    int yy = y;
    for (const char* row : rows) {
        for (int xx = 0; row[xx]; ++xx)
            for (auto [ch, c] : key)
                if (row[xx] == ch)
                    put(s, x + xx, yy, c);
        ++yy;
    }
}

void board(Scene& s)
{
    rect(s, 0, 0, s.width, 12, BoardBlue);
    rect(s, 0, 10, s.width, 2, BoardNavy);
    rect(s, 0, 0, s.width, 1, BoardYellow);
    // Block lettering on the board, and red logo roundels between words.
    static const char* word[5] = {
        "XXX.X...XXX.X.X.XX..XXX.XXX.X.X",
        "X.X.X...X.X.X.X.X.X.X...X...XX.",
        "XXX.X...XXX..X..X.X.XX..X...X..",
        "X...X...X.X..X..X.X.X...X...XX.",
        "X...XXX.X.X..X..XX..XXX.XXX.X.X",
    };
    for (int copy = 0; copy < 3; ++copy) {
        const int x0 = 4 + copy * 36;
        for (int r = 0; r < 5; ++r)
            for (int c = 0; word[r][c]; ++c)
                if (word[r][c] == 'X')
                    put(s, x0 + c, 3 + r, copy == 1 ? White : LetterGrey);
        rect(s, x0 + 32, 4, 3, 3, BoardRed);
        put(s, x0 + 33, 5, BoardYellow);
    }
}

// Four tiers of fans, each fan a head over a shirt, colours cycling so that
// no two neighbours match.
void crowd(Scene& s)
{
    rect(s, 0, 12, s.width, 30, StandDark);
    static constexpr Colour shirts[] = {FanBlue, FanYellow, FanGreen, FanPink, FanOrange, FanSky,
                                        FanPurple, FanLime, FanMaroon, FanTeal, FanCream, FanNavy,
                                        FanBrown, FanGrey, White};
    static constexpr Colour skins[] = {SkinLight, SkinMid, SkinTan, SkinDark};
    static constexpr Colour hairs[] = {HairBlack, HairBrown, HairBlond, HairRed, HairBlack};
    int n = 0;
    for (int tier = 0; tier < 4; ++tier) {
        const int y = 13 + tier * 7;
        rect(s, 0, y + 6, s.width, 1, tier % 2 ? StandStep : StandMid);
        for (int x = (tier % 2) * 2 + 1; x < s.width; x += 5, ++n) {
            const Colour shirt = shirts[(n * 7 + tier) % 15];
            const Colour skin = skins[(n * 3 + tier) % 4];
            const Colour hair = hairs[(n + tier * 2) % 5];
            rect(s, x, y + 3, 4, 3, shirt);
            rect(s, x + 1, y, 2, 3, skin);
            rect(s, x + 1, y, 2, 1, hair);
            if ((n + tier) % 6 == 0) { // a fan with raised arms
                put(s, x - 1, y + 1, skin);
                put(s, x + 4, y + 1, skin);
                put(s, x - 1, y + 2, shirt);
                put(s, x + 4, y + 2, shirt);
            }
        }
    }
}

void pitch(Scene& s)
{
    for (int y = 41; y < s.height; ++y)
        rect(s, 0, y, s.width, 1, ((y - 41) / 5) % 2 ? GrassDark : Grass);
    rect(s, 0, 41, s.width, 1, Line); // touchline
    for (int x = 0; x < s.width; x += 3)
        put(s, x + ((x / 3) % 2), 44, GrassLight);
}

// Player with one fist raised high, the other arm pumping.
void fistPlayer(Scene& s, int x, int y)
{
    sprite(s, x, y,
           {
               "        ss   ",
               "        ss   ",
               "       kssk  ",
               "       kRRk  ",
               "    hhh kRk  ",
               "   hhhhhkRk  ",
               "   hsssskRk  ",
               "   hssSs RRk ",
               "    sssskRRk ",
               "  kkkRsRRRRk ",
               " kRRRRRRRRRk ",
               " ssRRRRRRRRk ",
               " ss RRRRRRk  ",
               "    RRDRRdk  ",
               "    RRDRRdk  ",
               "    RRDRRdk  ",
               "    WWWWWWk  ",
               "    WWWgWWW  ",
               "    WWk kWW  ",
               "    ss   ss  ",
               "    ss   ss  ",
               "    ss   ss  ",
               "    rr   rr  ",
               "    rr   rr  ",
               "    rr   rr  ",
               "   kkk   kkk ",
           },
           {{'k', Black}, {'R', Shirt}, {'D', ShirtShade}, {'d', ShirtDark}, {'s', SkinMid}, {'S', SkinDark},
            {'h', HairBlack}, {'W', White}, {'g', ShortsShade}, {'r', Sock}});
}

// Player with both arms thrown wide, mouth open.
void openArmsPlayer(Scene& s, int x, int y)
{
    sprite(s, x, y,
           {
               "ss             ss",
               "ss     yyy     ss",
               "kRk   yyyyy   kRk",
               " kRk  yLLLy  kRk ",
               "  kRk LLkLL kRk  ",
               "   kRkLLLLLkRk   ",
               "    kRRLLLRRk    ",
               "    kRRRRRRRk    ",
               "     RRRDRRd     ",
               "     RRRDRRd     ",
               "     RRRDRRd     ",
               "     RRRDRRd     ",
               "     RRRDRRd     ",
               "     kkkkkkk     ",
               "     WWWWWWW     ",
               "     WWWgWWW     ",
               "     WWk kWW     ",
               "    LL     LL    ",
               "    LL     LL    ",
               "   LL       LL   ",
               "   rr       rr   ",
               "   rr       rr   ",
               "  rr         rr  ",
               "  kkk       kkk  ",
           },
           {{'k', Black}, {'R', Shirt}, {'D', ShirtShade}, {'d', ShirtDark}, {'L', SkinLight}, {'y', HairBlond},
            {'W', White}, {'g', ShortsShade}, {'r', Sock}});
}

} // namespace

Asset aboutFootball()
{
    Scene scene{103, 67, std::vector<std::uint8_t>(103 * 67, Black), {}};
    board(scene);
    crowd(scene);
    pitch(scene);
    fistPlayer(scene, 20, 33);
    openArmsPlayer(scene, 60, 37);

    // The palette holds each colour twice: entries 0..40 for the left half of
    // the picture, 41..80 a second copy (without black) for the right half.
    std::vector<Rgb> palette;
    for (auto v : colourValues)
        palette.push_back(rgb(v));
    for (std::size_t i = 1; i < colourValues.size(); ++i)
        palette.push_back(rgb(colourValues[i]));
    std::set<std::uint8_t> leftUsed, rightUsed;
    for (int y = 0; y < scene.height; ++y)
        for (int x = 0; x < scene.width; ++x) {
            auto& px = scene.pixels[std::size_t(y) * std::size_t(scene.width) + std::size_t(x)];
            if (x < scene.width / 2) {
                leftUsed.insert(px);
            } else {
                rightUsed.insert(px);
                if (px != Black)
                    px = std::uint8_t(px + ColourCount - 1);
            }
        }
    std::string missing;
    for (int c = 0; c < ColourCount; ++c)
        if (!leftUsed.count(std::uint8_t(c)) || !rightUsed.count(std::uint8_t(c)))
            missing += " " + std::to_string(c);
    require(missing.empty(), "football: colours missing from one half:" + missing);
    scene.palette = std::move(palette);
    return {"about_football.bmp", encodeBmpIndexed(scene, 8)};
}

} // namespace artgen
