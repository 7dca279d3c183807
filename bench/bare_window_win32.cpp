// The reference window on Windows: what plain Win32 costs for a window of the
// main menu's size with six static labels and one button, and nothing else.
#include <windows.h>

namespace {

LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_DESTROY || (msg == WM_COMMAND && LOWORD(wp) == 1)) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"Bare";
    RegisterClassW(&wc);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    RECT r{0, 0, 312, 374};
    AdjustWindowRectEx(&r, style, FALSE, 0);
    HWND window = CreateWindowExW(0, L"Bare", L"Bare", style, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                                  r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    wchar_t text[] = L"Title 1";
    for (int i = 0; i < 6; ++i) {
        text[6] = wchar_t(L'1' + i);
        HWND label = CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE, 32, 8 + 56 * i, 240, 17, window,
                                     nullptr, instance, nullptr);
        SendMessageW(label, WM_SETFONT, WPARAM(font), FALSE);
    }
    HWND button = CreateWindowExW(0, L"BUTTON", L"E&xit", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 208, 336, 81, 33,
                                  window, reinterpret_cast<HMENU>(1), instance, nullptr);
    SendMessageW(button, WM_SETFONT, WPARAM(font), FALSE);
    ShowWindow(window, show);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
