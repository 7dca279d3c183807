// A window laid out at its resolution: the resolution of the screen it is on,
// through the per-monitor functions of Windows 10 1607 and later (looked up,
// so that older systems run the program at their one resolution), its frame,
// and every control placed, broken into lines and scaled at it.
#include "window.h"

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

void FormWindow::layout()
{
    for (Control& c : controls) {
        const ControlDef& d = *c.def;
        Rect place = d.rect;
        place.top = c.top;
        c.rect = pixelRect(place, dpi);
        // Above 96 dpi a face of another design may break a label into more
        // lines than it holds (a rating's last star below its bottom): it
        // is made a pixel smaller at a time until the text fits.
        for (c.smaller = 0; d.kind == ControlKind::Label; ++c.smaller) {
            c.lines = breakLabel(d, c.rect.right - c.rect.left, dpi, c.smaller);
            const int needed = int(c.lines.size()) * lineHeight(fontFor(d.font, dpi, c.smaller));
            if (dpi == 96 || c.smaller == 4 || needed <= c.rect.bottom - c.rect.top)
                break;
        }
        if (d.kind == ControlKind::PictureBox || d.kind == ControlKind::Image) {
            // What the picture shows at 96 dpi, each pixel a solid block.
            c.picture = scaled(c.picture96, (c.picture96.width * dpi + 48) / 96, (c.picture96.height * dpi + 48) / 96);
            c.rect.right = c.rect.left + c.picture.width;
            c.rect.bottom = c.rect.top + c.picture.height;
        }
        if (c.hwnd) {
            SetWindowPos(c.hwnd, nullptr, c.rect.left, c.rect.top, c.rect.right - c.rect.left,
                         c.rect.bottom - c.rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
            if (d.kind == ControlKind::CommandButton)
                SendMessageW(c.hwnd, WM_SETFONT, WPARAM(fontFor(d.font, dpi)), FALSE);
        }
    }
}

}  // namespace forms::win32
