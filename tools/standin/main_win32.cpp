// The stand-in for data\Runcart.exe on Windows: the emulator is the program
// Windows opens .nes files with, and the shell starts it the way Explorer
// does, from the association's own command (its arguments, "%1" wherever it
// stands, App Paths, DelegateExecute and Store apps). The window is a plain
// one with a static text per line, at the resolution of its screen, in
// PLAYDECK's face.
#include "standin.h"

#include "running.h"
#include "utf16.h"
#include "window.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>

namespace standin {
std::string reasonFor(unsigned long code); // files_win32.cpp
}

namespace {

using namespace standin;
using forms::win32::utf16;
using forms::win32::utf8;

std::string environment(const char *name)
{
    std::wstring value(32768, L'\0');
    const DWORD length = GetEnvironmentVariableW(utf16(name).c_str(), value.data(), DWORD(value.size()));
    value.resize(length < value.size() ? length : 0);
    if (value.empty() && std::string_view(name) == "LOCALAPPDATA") {
        wchar_t folder[MAX_PATH];
        if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
            value = folder;
    }
    return utf8(value);
}

std::string association(ASSOCSTR what)
{
    std::wstring text(32768, L'\0');
    DWORD length = DWORD(text.size());
    // Only a program chosen for .nes files, never "Open with" standing in for an unknown type.
    if (FAILED(AssocQueryStringW(ASSOCF_INIT_IGNOREUNKNOWN | ASSOCF_NOTRUNCATE, what, L".nes", nullptr, text.data(),
                                 &length)))
        return {};
    text.resize(wcslen(text.c_str()));
    return utf8(text);
}

bool exists(const std::string &path) { return GetFileAttributesW(utf16(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// The program a command starts: its quoted first word, or the shortest run of
// words that names a file, as CreateProcess reads an unquoted path.
std::string programOf(const std::string &command)
{
    const std::string &text = command;
    if (text.starts_with('"'))
        return text.substr(1, text.find('"', 1) - 1);
    for (std::size_t blank = text.find(' '); blank != std::string::npos; blank = text.find(' ', blank + 1))
        if (exists(text.substr(0, blank)) || exists(text.substr(0, blank) + ".exe"))
            return text.substr(0, blank);
    return text.substr(0, text.find(' '));
}

const forms::FontSpec kBody{"MS Sans Serif", 10}, kBold{"MS Sans Serif", 10, FW_BOLD},
    kLarge{"MS Sans Serif", 14, FW_BOLD};
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr UINT kTextFormat = DT_LEFT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;

std::vector<Line> g_lines;
std::vector<HWND> g_labels; // one static text per line

HFONT faceOf(Tone tone, int dpi)
{
    return forms::win32::fontFor(tone == Tone::Asked ? &kLarge : tone == Tone::Problem ? &kBold : &kBody, dpi);
}

// Sets the lines at `dpi` and the window to hold them: the longest line, up to
// about 60 characters, and no narrower than its longest word, within the
// screen; at `place`, or in the middle of the screen.
void layout(HWND window, int dpi, const RECT *place)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;
    const int margin = MulDiv(16, dpi, 96), gap = MulDiv(8, dpi, 96);
    HDC dc = GetDC(window);
    HGDIOBJ old = GetCurrentObject(dc, OBJ_FONT);
    int width = 0;
    for (const Line &line : g_lines) {
        SelectObject(dc, faceOf(line.tone, dpi));
        TEXTMETRICW metrics;
        GetTextMetricsW(dc, &metrics);
        const std::wstring text = utf16(line.text);
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
        width = std::max<int>(width, std::min<int>(size.cx, 60 * metrics.tmAveCharWidth));
        for (std::size_t start = 0; start < text.size();) {
            const std::size_t end = std::min(text.find(L' ', start), text.size());
            GetTextExtentPoint32W(dc, text.c_str() + start, int(end - start), &size);
            width = std::max<int>(width, size.cx);
            start = end + 1;
        }
    }
    width = std::min<int>(width, (work.right - work.left) * 9 / 10 - 2 * margin);
    int y = margin, widest = width;
    for (std::size_t i = 0; i < g_lines.size(); ++i) {
        HFONT face = faceOf(g_lines[i].tone, dpi);
        SelectObject(dc, face);
        const std::wstring text = utf16(g_lines[i].text);
        RECT used{0, 0, width, 0};
        DrawTextW(dc, text.c_str(), int(text.size()), &used, kTextFormat | DT_CALCRECT);
        widest = std::max<int>(widest, used.right);
        SendMessageW(g_labels[i], WM_SETFONT, WPARAM(face), FALSE);
        SetWindowPos(g_labels[i], nullptr, margin, y, std::max<int>(width, used.right), used.bottom,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        y += used.bottom + gap;
    }
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    const RECT frame = forms::win32::frameFor({0, 0, widest + 2 * margin, y - gap + margin}, kStyle, dpi);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    const int x = place ? place->left : work.left + (work.right - work.left - w) / 2;
    const int top = place ? place->top : work.top + std::max<int>(0, (work.bottom - work.top - h) / 2);
    SetWindowPos(window, nullptr, x, top, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, TRUE);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CTLCOLORSTATIC: {
        // The hint greyed; everything in the system's colours, as high contrast wants.
        const auto label = std::find(g_labels.begin(), g_labels.end(), reinterpret_cast<HWND>(lParam));
        const bool hint = label != g_labels.end() && g_lines[std::size_t(label - g_labels.begin())].tone == Tone::Hint;
        SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(hint ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    case WM_DPICHANGED:
        layout(window, HIWORD(wParam), reinterpret_cast<const RECT *>(lParam));
        return 0;
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

class Win32 : public Platform {
public:
    Emulator emulator(const Places &places) override
    {
        Emulator e{Choice::Association, association(ASSOCSTR_FRIENDLYAPPNAME), association(ASSOCSTR_EXECUTABLE)};
        const std::string command = association(ASSOCSTR_COMMAND);
        if (e.program.empty() && !command.empty())
            e.program = programOf(command);
        if (e.program.empty() && e.name.empty() && association(ASSOCSTR_DELEGATEEXECUTE).empty())
            return {};
        if (e.name.empty())
            e.name = e.program.substr(e.program.find_last_of('\\') + 1);
        // A program named by its full path that is not there; a bare name is
        // the shell's to find.
        const bool fullPath = e.program.size() > 2 && (e.program[1] == ':' || e.program.starts_with("\\\\"));
        e.missing = fullPath && !exists(e.program);
        e.ourselves = !e.missing && isOurselves(e.program, places, systemFiles());
        return e;
    }

    std::string handOff(const Emulator &e, const std::string &file, const std::string &marker) override
    {
        // The shell's handlers may be COM objects (DelegateExecute, Store apps).
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        SetEnvironmentVariableW(utf16(kHandOffMarker).c_str(), utf16(marker).c_str());
        STARTUPINFOW ours{};
        GetStartupInfoW(&ours);
        const std::wstring path = utf16(file);
        const std::size_t separator = e.program.find_last_of('\\');
        const std::wstring folder = separator == std::string::npos ? L"" : utf16(e.program.substr(0, separator));
        SHELLEXECUTEINFOW run{};
        run.cbSize = sizeof run;
        run.fMask = SEE_MASK_CLASSNAME | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
        run.lpClass = L".nes";
        run.lpFile = path.c_str();
        run.lpDirectory = folder.empty() ? nullptr : folder.c_str();
        run.nShow = (ours.dwFlags & STARTF_USESHOWWINDOW) ? ours.wShowWindow : SW_SHOWNORMAL;
        return ShellExecuteExW(&run) ? std::string() : reasonFor(GetLastError());
    }

    void show(const std::vector<Line> &lines) override
    {
        g_lines = lines;
        WNDCLASSW kind{};
        kind.lpfnWndProc = windowProc;
        kind.hInstance = GetModuleHandleW(nullptr);
        kind.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        kind.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
        kind.lpszClassName = L"PlaydeckStandin";
        RegisterClassW(&kind);
        HWND window = CreateWindowExW(0, kind.lpszClassName, utf16(kTitle).c_str(), kStyle, CW_USEDEFAULT,
                                      CW_USEDEFAULT, 100, 100, nullptr, nullptr, kind.hInstance, nullptr);
        if (!window)
            return;
        for (const Line &line : lines)
            g_labels.push_back(CreateWindowExW(0, L"STATIC", utf16(line.text).c_str(),
                                               WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 0, 0,
                                               0, 0, window, nullptr, kind.hInstance, nullptr));
        layout(window, forms::win32::dpiOf(window), nullptr);
        // Shown as laid out, whatever window state PLAYDECK asked the
        // emulator for: ShowWindow would take that state from STARTUPINFO.
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        SetForegroundWindow(window);
        SetFocus(window);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
};

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // The installer waits while this runs.
    forms::win32::holdRunningMark();
    int argc = 0;
    wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::optional<std::string> argument;
    if (argv && argc > 1)
        argument = utf8(argv[1]);
    LocalFree(argv);
    std::wstring here(32768, L'\0'), own(32768, L'\0');
    here.resize(GetCurrentDirectoryW(DWORD(here.size()), here.data()));
    own.resize(GetModuleFileNameW(nullptr, own.data(), DWORD(own.size())));
    const Places places = placesFor(System::Windows, environment, utf8(here), utf8(own));
    Win32 platform;
    return run(argument, places, environment, systemFiles(), platform);
}
