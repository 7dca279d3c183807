// The Win32 backend's painting and pictures: system colours and brushes,
// fonts by face name with their fallbacks, bitmaps from the resources,
// nearest-neighbour scaling, labels broken by their font's widths, and the
// labels, images and lines a window paints itself. Native controls (buttons)
// draw themselves; windows and the keyboard are elsewhere (window.cpp,
// loop.cpp).
#include "textwrap.h"
#include "utf16.h"
#include "window.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <tuple>

namespace forms::win32 {

namespace {

// A font by face name, or null when the system would put another face in its
// place. Without a name: whatever face the system finds best for the rest.
HFONT exactFont(const wchar_t* family, double points, int dpi, int weight, bool italic, int charset)
{
    LOGFONTW lf{};
    lf.lfHeight = -int(points * dpi / 72 + 0.5);
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    lf.lfCharSet = BYTE(charset);
    lstrcpynW(lf.lfFaceName, family, LF_FACESIZE);
    HFONT font = CreateFontIndirectW(&lf);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    if (!*family || lstrcmpiW(face, family) == 0)
        return font;
    DeleteObject(font);
    return nullptr;
}

// The wanted face; failing that, with the default character set; then the
// classic dialog face's scalable successors; then the system's choice, at the
// wanted size and weight all the same.
HFONT makeFont(const std::wstring& family, double points, int dpi, int weight, bool italic, int charset)
{
    const auto tryFace = [&](const wchar_t* face, int set) {
        return exactFont(face, points, dpi, weight, italic, set);
    };
    HFONT f = tryFace(family.c_str(), charset);
    for (const wchar_t* face : {family.c_str(), L"Microsoft Sans Serif", L"Tahoma", L""})
        if (!f)
            f = tryFace(face, DEFAULT_CHARSET);
    return f;
}

constexpr wchar_t kClassicFace[] = L"MS Sans Serif";
constexpr wchar_t kSample[] = L"Teenage Mutant Ninja Turtles, Konami 1989 / 1990 Rating : X X X";

int textWidth(HFONT font)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, kSample, int(std::size(kSample) - 1), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return int(size.cx);
}

// The sample's width in the classic dialog face, a bitmap face, at 96 dpi: the
// widths every label and caption of the designs was broken with. Measured
// once; a face the designs do not use has none (0).
int classicWidth(const FontSpec* wanted)
{
    const double points = wanted ? wanted->points : 8;
    const int weight = wanted ? wanted->weight : FW_NORMAL;
    if (wanted && lstrcmpiW(utf16(wanted->family).c_str(), kClassicFace) != 0)
        return 0;
    return points == 8 && weight == FW_NORMAL ? 314 : points == 9.75 && weight == FW_BOLD ? 440 : 0;
}

// The same face `font` with its height's magnitude made smaller until the
// sample is at most `limit` wide: first in proportion, rounded down, then a
// pixel at a time.
HFONT fittedTo(HFONT font, int limit)
{
    const int wide = textWidth(font);
    if (wide <= limit)
        return font;
    LOGFONTW lf{};
    GetObjectW(font, sizeof lf, &lf);
    const int sign = lf.lfHeight < 0 ? -1 : 1;
    int magnitude = std::abs(int(lf.lfHeight)) * limit / wide;
    DeleteObject(font);
    for (;; --magnitude) {
        lf.lfHeight = sign * std::max(magnitude, 1);
        font = CreateFontIndirectW(&lf);
        if (magnitude <= 1 || textWidth(font) <= limit)
            return font;
        DeleteObject(font);
    }
}

// A font of the designs. At 96 dpi the classic dialog face when GDI really
// gives it (its name and its widths); elsewhere, or when it is missing and GDI
// would put a wider face in its place, its scalable successor made as wide as
// the classic face enlarged, so that every label breaks where it does at 96
// dpi.
HFONT designFont(const FontSpec* wanted, int dpi)
{
    const std::wstring family = wanted ? utf16(wanted->family) : kClassicFace;
    const double points = wanted ? wanted->points : 8;
    const int weight = wanted ? wanted->weight : FW_NORMAL, charset = wanted ? wanted->charset : DEFAULT_CHARSET;
    const bool italic = wanted && wanted->italic;
    const int classic = classicWidth(wanted);
    if (!classic)
        return makeFont(family, points, dpi, weight, italic, charset);
    if (dpi == 96) {
        HFONT f = exactFont(kClassicFace, points, dpi, weight, italic, charset);
        if (!f)
            f = exactFont(kClassicFace, points, dpi, weight, italic, DEFAULT_CHARSET);
        if (f && textWidth(f) == classic)
            return f;
        if (f)
            DeleteObject(f);
    }
    return fittedTo(makeFont(L"Microsoft Sans Serif", points, dpi, weight, italic, charset), classic * dpi / 96);
}

}  // namespace

COLORREF toColour(Colour c)
{
    return (c & kSystemColour) ? GetSysColor(int(c - kSystemColour)) : COLORREF(c & 0xFFFFFF);
}

// Solid brushes live for the run, one per colour.
HBRUSH brushFor(Colour c)
{
    static std::map<Colour, HBRUSH> brushes;
    HBRUSH& b = brushes[c];
    if (!b)
        b = CreateSolidBrush(toColour(c));
    return b;
}

// Fonts live for the run, one per wanted font, resolution and number of
// pixels made smaller (null: the default 8-point dialog font).
HFONT fontFor(const FontSpec* wanted, int dpi, int smaller)
{
    static std::map<std::tuple<const FontSpec*, int, int>, HFONT> fonts;
    auto it = fonts.find({wanted, dpi, smaller});
    if (it == fonts.end()) {
        HFONT f = nullptr;
        if (smaller > 0) {
            LOGFONTW lf{};
            GetObjectW(fontFor(wanted, dpi), sizeof lf, &lf);
            lf.lfHeight += lf.lfHeight < 0 ? smaller : -smaller;
            f = CreateFontIndirectW(&lf);
        } else {
            f = designFont(wanted, dpi);
        }
        it = fonts.emplace(std::tuple{wanted, dpi, smaller}, f).first;
    }
    return it->second;
}

int faceWidth(const FontSpec* wanted, int dpi) { return textWidth(fontFor(wanted, dpi)); }

int faceLimit(const FontSpec* wanted, int dpi)
{
    const int classic = classicWidth(wanted);
    return classic ? classic * dpi / 96 : faceWidth(wanted, dpi);
}

// A bitmap resource by name; empty when there is none.
Pixels loadPicture(std::string_view asset)
{
    Pixels p;
    HBITMAP bitmap = HBITMAP(LoadImageW(module(), utf16(asset).c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap)
        return p;
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    p.width = info.bmWidth;
    p.height = std::abs(info.bmHeight);
    p.data.resize(std::size_t(p.width) * p.height);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), p.width, -p.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bitmap, 0, UINT(p.height), p.data.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(bitmap);
    return p;
}

// Scaled by whole source pixels, never smoothed: destination pixel i takes
// source pixel (ceil((i + 0.5) * s * 65536) - 1) >> 16 with s = source/target,
// stepped in 16.16 fixed point exactly as Qt's raster engine does, so both
// backends show the same pixels.
Pixels scaled(const Pixels& src, int width, int height)
{
    if (src.width == 0 || width <= 0 || height <= 0 || (src.width == width && src.height == height))
        return src;
    Pixels out{width, height, std::vector<std::uint32_t>(std::size_t(width) * height)};
    const double sx = double(src.width) / width, sy = double(src.height) / height;
    const auto ix = std::uint32_t(0x10000 * sx), iy = std::uint32_t(0x10000 * sy);
    const auto basex = std::uint32_t(std::ceil(0.5 * sx * 65536) - 1);
    auto srcy = std::uint32_t(std::ceil(0.5 * sy * 65536) - 1);
    for (int y = 0; y < height; ++y, srcy += iy) {
        const std::uint32_t* row = &src.data[std::size_t(std::min(int(srcy >> 16), src.height - 1)) * src.width];
        std::uint32_t srcx = basex;
        for (int x = 0; x < width; ++x, srcx += ix)
            out.data[std::size_t(y) * width + x] = row[std::min(int(srcx >> 16), src.width - 1)];
    }
    return out;
}

void drawPixels(HDC dc, int x, int y, const Pixels& p)
{
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), p.width, -p.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    SetDIBitsToDevice(dc, x, y, DWORD(p.width), DWORD(p.height), 0, 0, 0, UINT(p.height), p.data.data(), &bi,
                      DIB_RGB_COLORS);
}

// The labels' lines, broken with the widths of their own font.
std::vector<std::wstring> breakLabel(const ControlDef& d, int width, int dpi, int smaller)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, fontFor(d.font, dpi, smaller));
    const std::wstring text = utf16(d.text);
    std::vector<std::wstring> lines;
    for (const std::u16string& line :
         wrapText(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()), width,
                  [dc](std::u16string_view s) {
                      SIZE size{};
                      GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(s.data()), int(s.size()), &size);
                      return int(size.cx);
                  }))
        lines.emplace_back(line.begin(), line.end());
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return lines;
}

int lineHeight(HFONT font)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return int(tm.tmHeight);
}

void paintControls(HDC dc, const std::vector<Control>& controls, int dpi)
{
    SetBkMode(dc, TRANSPARENT);
    for (const Control& c : controls) {
        const ControlDef& d = *c.def;
        switch (d.kind) {
        case ControlKind::Label: {
            if (!d.transparent)
                FillRect(dc, &c.rect, brushFor(d.backColour));
            HGDIOBJ old = SelectObject(dc, fontFor(d.font, dpi, c.smaller));
            SetTextColor(dc, toColour(d.foreColour));
            TEXTMETRICW tm{};
            GetTextMetricsW(dc, &tm);
            int y = c.rect.top;
            for (const std::wstring& line : c.lines) {
                if (y >= c.rect.bottom)
                    break;
                ExtTextOutW(dc, c.rect.left, y, ETO_CLIPPED, &c.rect, line.data(), UINT(line.size()), nullptr);
                y += tm.tmHeight;
            }
            SelectObject(dc, old);
            break;
        }
        case ControlKind::Image:
            drawPixels(dc, c.rect.left, c.rect.top, c.picture);
            break;
        case ControlKind::Line: {
            // A whole number of pixels thick: one at 96 dpi, two at 192.
            const int x1 = pixelsAt(d.rect.left, dpi), y1 = pixelsAt(d.rect.top, dpi);
            const int x2 = pixelsAt(d.rect.left + d.rect.width, dpi), y2 = pixelsAt(d.rect.top + d.rect.height, dpi);
            const int thick = std::max(1, (dpi + 48) / 96);
            const COLORREF colour = toColour(kWindowText);
            if (x1 == x2 || y1 == y2 || std::abs(x2 - x1) == 1 || std::abs(y2 - y1) == 1) {
                const RECT r{std::min(x1, x2), std::min(y1, y2),
                             std::min(x1, x2) + std::max(std::abs(x2 - x1), x1 == x2 ? thick : 1),
                             std::min(y1, y2) + std::max(std::abs(y2 - y1), y1 == y2 ? thick : 1)};
                FillRect(dc, &r, brushFor(kWindowText));
            } else {
                HPEN pen = CreatePen(PS_SOLID, thick, colour);
                HGDIOBJ old = SelectObject(dc, pen);
                MoveToEx(dc, x1, y1, nullptr);
                LineTo(dc, x2, y2);
                SelectObject(dc, old);
                DeleteObject(pen);
            }
            break;
        }
        default:
            break;
        }
    }
}

}  // namespace forms::win32
