// The stand-in for data\Runcart.exe on Windows: hands a good game file to the
// program the player chose for .nes files, and otherwise shows, maximized,
// what it was asked to play, what stands in the way and what to do, in the
// words of the Linux stand-in. Escape or a click closes the window.
#include "standin_windows.h"

#include "running.h"
#include "utf16.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <tuple>

namespace {

using namespace standin;

Lines g_lines;
HFONT g_big = nullptr, g_body = nullptr;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT area;
        GetClientRect(window, &area);
        InflateRect(&area, -24, -24);
        SetBkMode(dc, TRANSPARENT);
        // One line after the other, the question large, a blank between each.
        for (const std::string *line : {&g_lines.asked, &g_lines.path, &g_lines.emulator, &g_lines.problem,
                                        &g_lines.advice, &g_lines.hint}) {
            if (line->empty())
                continue;
            SelectObject(dc, line == &g_lines.asked ? g_big : g_body);
            const std::wstring text = forms::win32::utf16(*line);
            const UINT format = DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL;
            RECT used = area;
            DrawTextW(dc, text.c_str(), int(text.size()), &used, format | DT_CALCRECT);
            DrawTextW(dc, text.c_str(), int(text.size()), &area, format);
            TEXTMETRICW metrics;
            GetTextMetricsW(dc, &metrics);
            area.top += (used.bottom - used.top) + metrics.tmHeight;
        }
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

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    forms::win32::holdRunningMark();
    int argc = 0;
    wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::optional<std::string> argument;
    if (argv && argc > 1)
        argument = forms::win32::utf8(argv[1]);
    LocalFree(argv);

    const windows::Places places = windows::placesOfThisProcess();
    const auto emulator = argument ? windows::nesAssociation(places.ownProgram) : std::nullopt;
    Facts facts = windows::probe(argument, places, emulator);
    if (const std::string file = windows::readyToPlay(facts); !file.empty()) {
        const auto error = windows::handOff(*emulator, file);
        if (!error)
            return 0;
        facts.handOffError = *error;
    }
    windows::makePlayerFolder(facts);
    g_lines = describe(facts, System::Windows);

    for (auto [font, pixels, weight] : {std::tuple{&g_big, 28, FW_BOLD}, std::tuple{&g_body, 16, FW_NORMAL}})
        *font = CreateFontW(-pixels, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma");
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
    DeleteObject(g_big);
    DeleteObject(g_body);
    return 0;
}
