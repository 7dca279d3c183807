// A window laid out at its resolution: the resolution of the screen it is on,
// through the per-monitor functions of Windows 10 1607 and later (looked up,
// so that older systems run the program at their one resolution), its frame,
// and every control placed, broken into lines and scaled at it.
#include "utf16.h"
#include "window.h"

#include <algorithm>
#include <utility>

namespace forms::win32 {

namespace {

template <typename F>
F user32(const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32"), name)));
}

}  // namespace

int dpiOf(HWND h)
{
    static const auto forWindow = user32<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (h && forWindow)
        return int(forWindow(h));
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
    return dpi;
}

RECT pixelRect(const Rect& r, int dpi)
{
    const int x = pixelsAt(r.left, dpi), y = pixelsAt(r.top, dpi);
    return {x, y, x + pixelsAt(r.width, dpi), y + pixelsAt(r.height, dpi)};
}

RECT frameFor(RECT client, DWORD style, int dpi)
{
    static const auto adjust = user32<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    if (adjust)
        adjust(&client, style, FALSE, 0, UINT(dpi));
    else
        AdjustWindowRectEx(&client, style, FALSE, 0);
    return client;
}

int buttonMargin(int dpi) { return (3 * dpi + 48) / 96; }

void FormWindow::setIcons(std::string_view asset)
{
    static const auto metricFor = user32<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
    if (asset.empty())
        return;
    const std::wstring icon = utf16(asset);
    for (int big : {1, 0}) {
        const int metric = big ? SM_CXICON : SM_CXSMICON;
        const int size = metricFor ? metricFor(metric, UINT(dpi)) : GetSystemMetrics(metric);
        // Not shared: the system would hand back the first size loaded.
        HICON h = HICON(LoadImageW(module(), icon.c_str(), IMAGE_ICON, size, size, 0));
        SendMessageW(hwnd, WM_SETICON, big ? ICON_BIG : ICON_SMALL, LPARAM(h));
        if (HICON old = std::exchange(icons[big ? 0 : 1], h))
            DestroyIcon(old);
    }
}

namespace {

int inkWidth(HDC dc, std::wstring_view text)
{
    while (!text.empty() && text.back() == L' ')
        text.remove_suffix(1);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), int(text.size()), &size);
    return int(size.cx);
}

// How far a label's text may run: to its right edge, or to the nearest
// picture standing over its row (the titles reach over their pictures).
int clearWidth(const std::vector<Control>& controls, const Control& label)
{
    LONG right = label.rect.right;
    for (const Control& c : controls)
        if ((c.def->kind == ControlKind::Image || c.def->kind == ControlKind::PictureBox) &&
            c.rect.left > label.rect.left && c.rect.top < label.rect.bottom && c.rect.bottom > label.rect.top)
            right = std::min(right, c.rect.left);
    return int(right - label.rect.left);
}

// Whether a label shows all its lines and none runs past where it may, or a
// button's caption fits inside it, in the face `smaller` pixels smaller.
bool holds(const std::vector<Control>& controls, Control& c, int dpi)
{
    const ControlDef& d = *c.def;
    HFONT font = fontFor(d.font, dpi, c.smaller);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    bool ok = true;
    if (d.kind == ControlKind::CommandButton) {
        ok = inkWidth(dc, utf16(shownCaption(d.text))) <= c.rect.right - c.rect.left - 2 * buttonMargin(dpi);
    } else {
        c.lines = breakLabel(d, c.rect.right - c.rect.left, dpi, c.smaller);
        ok = int(c.lines.size()) * lineHeight(font) <= c.rect.bottom - c.rect.top;
        for (const std::wstring& line : c.lines)
            ok = ok && inkWidth(dc, line) <= clearWidth(controls, c);
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return ok;
}

}  // namespace

void FormWindow::layout()
{
    for (Control& c : controls) {
        const ControlDef& d = *c.def;
        Rect place = d.rect;
        place.top = c.top;
        c.rect = pixelRect(place, dpi);
        if (d.kind == ControlKind::PictureBox || d.kind == ControlKind::Image) {
            // What the picture shows at 96 dpi, each pixel a solid block.
            c.picture = scaled(c.picture96, (c.picture96.width * dpi + 48) / 96, (c.picture96.height * dpi + 48) / 96);
            c.rect.right = c.rect.left + c.picture.width;
            c.rect.bottom = c.rect.top + c.picture.height;
        }
    }
    for (Control& c : controls) {
        const ControlDef& d = *c.def;
        // A face of another design than the classic one may need more room
        // than the designs give (a rating's last star below its label, a
        // title into its picture, a caption past its button): it is made a
        // pixel smaller at a time until the text fits.
        if (d.kind == ControlKind::Label || d.kind == ControlKind::CommandButton)
            for (c.smaller = 0; c.smaller < 8 && !holds(controls, c, dpi); ++c.smaller) {
            }
        if (c.hwnd) {
            SetWindowPos(c.hwnd, nullptr, c.rect.left, c.rect.top, c.rect.right - c.rect.left,
                         c.rect.bottom - c.rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
            if (d.kind == ControlKind::CommandButton)
                SendMessageW(c.hwnd, WM_SETFONT, WPARAM(fontFor(d.font, dpi, c.smaller)), FALSE);
        }
    }
}

}  // namespace forms::win32
