// The resolution of the screen a window is on, through the per-monitor
// functions of Windows 10 1607 and later, looked up so that older systems run
// the program at their one resolution.
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

RECT frameFor(RECT client, DWORD style, int dpi)
{
    static const auto adjust = user32<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    if (adjust)
        adjust(&client, style, FALSE, 0, UINT(dpi));
    else
        AdjustWindowRectEx(&client, style, FALSE, 0);
    return client;
}

}  // namespace forms::win32
