// Window definitions: pure data describing a window kind and its controls.
// Every position and size is in twips.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace forms {

// 1/1440 inch; 15 twips to a pixel at 96 dpi. The one place that converts.
inline constexpr int kTwipsPerPixel = 15;
constexpr int pixels(double twips) { return int(twips / kTwipsPerPixel + (twips < 0 ? -0.5 : 0.5)); }
// The same at `dpi` dots to the inch (1440 twips), for a backend that lays out
// at the screen's resolution; at 96 dpi exactly pixels().
constexpr int pixelsAt(double twips, int dpi)
{
    return dpi == 96 ? pixels(twips) : int(twips * dpi / 1440 + (twips < 0 ? -0.5 : 0.5));
}

// 00BBGGRR, or kSystemColour + n for the platform's system colour n.
using Colour = std::uint32_t;
inline constexpr Colour kSystemColour = 0x80000000u;
inline constexpr Colour kWindowText = kSystemColour + 8;
inline constexpr Colour kButtonFace = kSystemColour + 15;
inline constexpr Colour kButtonText = kSystemColour + 18;

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
};

struct FontSpec {
    std::string_view family{};
    double points = 8;
    int weight = 400;  // 700 is bold
    bool italic = false;
    int charset = 0;
};

enum class ControlKind { Label, CommandButton, PictureBox, Image, Line };
enum class BorderStyle { None, FixedSingle };

struct ControlDef {
    ControlKind kind = ControlKind::Label;
    std::string_view name{};
    std::string text{};             // label text or button caption ("&" marks the access key)
    std::string_view picture{};   // asset name, for picture boxes and images
    std::string_view accessibleName{};  // pictures: what assistive technology calls them; none hides an image
    Rect rect{};                  // lines: left/top is (x1, y1), width/height is (x2 - x1, y2 - y1)
    int tabIndex = -1;            // focusable controls only
    const FontSpec* font = nullptr;  // null: the platform's default font
    Colour foreColour = kButtonText;
    Colour backColour = kButtonFace;
    bool transparent = false;     // labels: paint the text only
    bool stretch = false;         // images: scale the picture to the rectangle
};

// Rows a key-preview window shows as one list to assistive technology: the
// row under `cursor` (a control moved by the keys) is selected, and focused
// while the cursor has the keyboard. The controls in `covers` are told
// through the rows and hidden themselves.
struct ListRow {
    std::string name;
    std::string description;
    float stop = 0;               // the cursor's top on this row, twips
    Rect rect{};                  // the row on screen
};
struct ListDef {
    std::string_view name{};
    std::string_view cursor{};
    std::vector<ListRow> rows{};
    std::vector<std::string_view> covers{};
};

struct WindowDef {
    std::string_view name{};
    std::string_view caption{};
    Colour backColour = kButtonFace;
    BorderStyle border = BorderStyle::FixedSingle;
    bool maxButton = false;
    bool minButton = false;
    std::string_view icon{};      // asset name, empty for none
    bool keyPreview = false;
    Rect client{};                // client area on the screen
    std::vector<ControlDef> controls{};
    ListDef list{};               // no rows: none
};

// A caption as it is shown: an "&" is not shown and marks the next character
// as the access key; "&&" is one "&". "E&xit" shows "Exit", its key 'X'.
inline std::string shownCaption(std::string_view caption)
{
    std::string shown;
    for (std::size_t i = 0; i < caption.size(); ++i)
        shown += caption[i] == '&' && i + 1 < caption.size() ? caption[++i] : caption[i];
    return shown;
}
// The access key, upper case, or 0 for none.
inline char accessKey(std::string_view caption)
{
    for (std::size_t i = 0; i + 1 < caption.size(); ++i)
        if (caption[i] == '&' && caption[++i] != '&')
            return caption[i] >= 'a' && caption[i] <= 'z' ? char(caption[i] - 'a' + 'A') : caption[i];
    return 0;
}

// The controls that take the focus (command buttons and picture boxes), in
// tab order: the order Tab walks and the first one has the focus on load.
inline std::vector<const ControlDef*> tabStops(const WindowDef& def)
{
    std::vector<const ControlDef*> stops;
    for (const ControlDef& c : def.controls)
        if (c.tabIndex >= 0 && (c.kind == ControlKind::CommandButton || c.kind == ControlKind::PictureBox))
            stops.push_back(&c);
    std::stable_sort(stops.begin(), stops.end(),
                     [](const ControlDef* a, const ControlDef* b) { return a->tabIndex < b->tabIndex; });
    return stops;
}

}  // namespace forms
