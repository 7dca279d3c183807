// The program icon: a blue three-grip game pad, tilted towards the viewer so
// the front face of the body and the grips shows in darker blue.
#include <set>

#include "art.h"

namespace artgen {
namespace {

// '.' is transparent; it is stored under palette index 0 (black).
constexpr const char* padMap = R"(
................................
...............h................
...............h................
...............h................
.......KKKKKKKKKKKKKKKKKK.......
......KKBLLLLBBBBBBBBBBBKK......
....KKBBbbbbbbbbbbbbbbbbbBKK....
...KBBbbbbbbbbbbbbbbbbbbbbbBK...
..KBbbbKKKbbbbhhhhbbbbyybbbbbK..
..KBbbbKdKbbbhGggGhbbbyYbbbbbK..
..KbbKKKdKKKbhgWgghbbbbbbeebbK..
..KbbKdddddKbhgggGhbbbbbbeEbbK..
..KbbKKKdKKKbhGgGGhbbrrrbbbbbK..
..KbbbbKdKbbbbhhhhbbbrrRbbbbbK..
..KbbbbKKKbbbbnnnnbbbRRRbbbbbK..
..KddddddddddddddddddddddddddK..
..KdddddddKKKKddddKKKKdddddddK..
..KbdddddnK..KbddnK..KbdddddnK..
..KbdddddnK..KbddnK..KbdddddnK..
..KbdddddnK..KbddnK..KbdddddnK..
..KbdddddnK..KbddnK..KbdddddnK..
..KbdddddnK..KbddnK..KbdddddnK..
..KbdddddnK..KbddnK..KbdddddnK..
..KbdddddnK..KbddnK..KbdddddnK..
...KbdddnK...KbddnK...KbdddnK...
....KnnnK....KbddnK....KnnnK....
.....KKK.....KnnnnK.....KKK.....
.............KnnnnK.............
..............KKKK..............
................................
................................
................................
)";

} // namespace

Asset appIcon()
{
    const std::vector<Rgb> used = {
        rgb(0x000000), // K outline; also stored under transparent pixels
        rgb(0x3399FF), // B light blue rim
        rgb(0x99CCFF), // L highlight
        rgb(0x006699), // b top surface
        rgb(0x003399), // d front face
        rgb(0x000077), // n deep shadow
        rgb(0x404040), // h stick ring
        rgb(0x808080), // G stick shade
        rgb(0xC0C0C0), // g stick
        rgb(0xFFFFFF), // W stick highlight
        rgb(0xFF0000), // r red button
        rgb(0x990000), // R red button shade
        rgb(0x00CC00), // e green button
        rgb(0x006600), // E green button shade
        rgb(0xFFFF00), // y yellow button
        rgb(0x999900), // Y yellow button shade
    };
    const ColourKey key = {{'.', used[0]}, {'K', used[0]}, {'B', used[1]}, {'L', used[2]},
                           {'b', used[3]}, {'d', used[4]}, {'n', used[5]}, {'h', used[6]},
                           {'G', used[7]}, {'g', used[8]}, {'W', used[9]}, {'r', used[10]},
                           {'R', used[11]}, {'e', used[12]}, {'E', used[13]}, {'y', used[14]},
                           {'Y', used[15]}};
    const Image img = parseMap(padMap, key);
    require(img.width == 32 && img.height == 32, "icon must be 32 x 32");

    // Transparency comes from the map's '.' characters, read row by row.
    std::vector<bool> transparent;
    for (char c : std::string_view(padMap))
        if (c != '\n')
            transparent.push_back(c == '.');

    IndexedImage indexed = toIndexed(img, used);
    indexed.palette.resize(256); // unused entries black

    std::size_t clear = 0;
    for (bool t : transparent)
        clear += t;
    require(clear == 455, "icon has " + std::to_string(clear) + " transparent pixels, wants 455");
    require(std::set<std::uint8_t>(indexed.pixels.begin(), indexed.pixels.end()).size() == 16,
            "icon must use 16 palette entries");
    return {"app_icon.ico", encodeIco(indexed, transparent)};
}

} // namespace artgen
