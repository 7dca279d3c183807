// The stand-in for data\Runcart.exe on Windows: a plain window, maximized,
// that says which data file it was asked to play and whether that file is
// there. Escape or a click closes it.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::wstring g_text;

std::wstring describe()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::wstring text;
    if (!argv || argc < 2) {
        text = L"No data file was given to play.\r\n"
               L"Start this program with the path of a game data file.";
    } else {
        wchar_t full[32768];
        const DWORD length = GetFullPathNameW(argv[1], 32768, full, nullptr);
        const DWORD attributes = GetFileAttributesW(argv[1]);
        text = L"Asked to play: " + std::wstring(argv[1]) + L"\r\n";
        if (length > 0 && length < 32768)
            text += L"Full path: " + std::wstring(full) + L"\r\n";
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
            text += L"This file is missing.";
        else
            text += L"No NES emulator comes with PLAYDECK; put one here as data\\Runcart.exe.";
    }
    LocalFree(argv);
    return text + L"\r\n\r\nPress Escape or click to close";
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT area;
        GetClientRect(window, &area);
        InflateRect(&area, -24, -24);
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, g_text.c_str(), int(g_text.size()), &area, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            DestroyWindow(window);
        return 0;
    case WM_LBUTTONUP:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    g_text = describe();

    WNDCLASSW kind{};
    kind.lpfnWndProc = windowProc;
    kind.hInstance = instance;
    kind.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    kind.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    kind.lpszClassName = L"PlaydeckStandin";
    RegisterClassW(&kind);

    HWND window = CreateWindowExW(0, kind.lpszClassName, L"Runcart stand-in", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 640, 480, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    ShowWindow(window, SW_MAXIMIZE);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
