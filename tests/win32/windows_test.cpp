// The Win32 backend's own part of modality and the system's keys, on real
// windows: a window the system cannot make is an error report and the
// program goes on; activating the main menu behind a modal window brings the
// modal one forward with the keyboard; Alt+Space opens the system menu. The
// steps run from a timer, so that they go on in modal loops and message
// boxes; each waits 10 s at most for what it names. Exit status 0 when every
// step passed.
#include "app.h"
#include "forms.h"

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using Until = std::function<bool()>;
struct Step { std::string what; std::function<void()> act; Until until; };
std::vector<Step> steps;
std::size_t next = 0;
bool started = false;
ULONGLONG since = 0;
std::string failure;

void finish(const std::string& why)
{
    failure = why, next = steps.size() + 1;
    forms::end();
}

void CALLBACK playOn(HWND, UINT, UINT_PTR, DWORD)
{
    if (next >= steps.size())
        return next == steps.size() ? finish({}) : void();
    const Step& s = steps[next];
    if (!std::exchange(started, true))
        since = GetTickCount64(), s.act();
    if (s.until())
        ++next, started = false;
    else if (GetTickCount64() - since > 10000)
        finish("waited 10 s for " + s.what);
}

std::string text(HWND h)
{
    wchar_t w[256] = {};
    GetWindowTextW(h, w, 256);
    return std::string(w, w + lstrlenW(w));  // ASCII here
}

// A visible window of this thread of the class given (#32770 a message box, #32768 a popup menu).
HWND shown(const wchar_t* cls)
{
    std::pair<const wchar_t*, HWND> find{cls, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), [](HWND h, LPARAM l) {
        auto& f = *reinterpret_cast<std::pair<const wchar_t*, HWND>*>(l);
        wchar_t name[32] = {};
        if (IsWindowVisible(h) && GetClassNameW(h, name, 32) && lstrcmpW(name, f.first) == 0)
            f.second = h;
        return f.second ? FALSE : TRUE;
    }, LPARAM(&find));
    return find.second;
}

HWND menu() { return FindWindowW(L"PlaydeckForm", L"PLAYDECK"); }
HWND help() { return FindWindowW(L"PlaydeckForm", L"Quick Help"); }
bool inFront(HWND h) { return h && GetForegroundWindow() == h; }
bool keyboardOn(HWND root, const char* control)
{
    return inFront(root) && GetFocus() && GetAncestor(GetFocus(), GA_ROOT) == root && text(GetFocus()) == control;
}

void type(std::initializer_list<std::pair<WORD, bool>> keys)
{
    std::vector<INPUT> in;
    for (auto [vk, down] : keys) {
        INPUT i{};
        i.type = INPUT_KEYBOARD, i.ki.wVk = vk, i.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        in.push_back(i);
    }
    SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
}

bool menuWasInFront = false;

void script()
{
    // (Run inside the failed showModal below.)
    steps.push_back({"the error report of a window that cannot be made", [] {}, [] {
        HWND box = shown(L"#32770");
        return box && text(GetDlgItem(box, 0xFFFF)).starts_with("Cannot create the window");
    }});
    steps.push_back({"the error report to close", [] { PostMessageW(shown(L"#32770"), WM_COMMAND, IDOK, 0); },
                     [] { return !shown(L"#32770"); }});
    // The program went on: the menu comes up.
    steps.push_back({"the menu with the keyboard on the cursor", [] {}, [] { return keyboardOn(menu(), ""); }});
    // Help over the menu; the menu, disabled behind it, activated all the same.
    steps.push_back({"Quick Help with the keyboard on OK", [] {
        PostMessageW(menu(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), LPARAM(FindWindowExW(menu(), nullptr, L"BUTTON", L"&Help")));
    }, [] { return keyboardOn(help(), "OK"); }});
    steps.push_back({"the blocked menu activated, then Quick Help in front again with the keyboard on OK", [] {
        SetForegroundWindow(menu());
        menuWasInFront = GetForegroundWindow() == menu();
    }, [] { return menuWasInFront && keyboardOn(help(), "OK") && !IsWindowEnabled(menu()); }});
    steps.push_back({"Quick Help to close", [] { PostMessageW(help(), WM_CLOSE, 0, 0); },
                     [] { return !help() && keyboardOn(menu(), ""); }});
    // Alt+Space: the system menu; Escape closes it, a second one leaves the menu
    // mode, and the menu goes on.
    steps.push_back({"the system menu on Alt+Space", [] {
        type({{VK_MENU, true}, {VK_SPACE, true}, {VK_SPACE, false}, {VK_MENU, false}});
    }, [] { return shown(L"#32768") != nullptr; }});
    steps.push_back({"the system menu to close on Escape", [] { type({{VK_ESCAPE, true}, {VK_ESCAPE, false}, {VK_ESCAPE, true}, {VK_ESCAPE, false}}); },
                     [] { return !shown(L"#32768") && forms::instance("Form1").isLoaded() && inFront(menu()); }});
}

}  // namespace

int main(int argc, char** argv)
{
    ui::registerWindows();
    script();
    SetTimer(nullptr, 0, 10, playOn);

    // A window the system cannot make: its class gone once a first window
    // registered it. The report comes, and the failed window is not waited for.
    forms::Form& about = forms::instance("About");
    about.show();
    about.unload();
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    GetClassInfoExW(GetModuleHandleW(nullptr), L"PlaydeckForm", &cls);
    cls.lpszClassName = L"PlaydeckForm";
    if (!UnregisterClassW(L"PlaydeckForm", GetModuleHandleW(nullptr)))
        failure = "the window class could not be taken away";
    forms::instance("hlpfrm").showModal();
    RegisterClassExW(&cls);

    if (failure.empty() && !forms::hasEnded())
        forms::run(argc, argv, {.name = "PLAYDECK", .appId = "playdeck", .startForm = "Form1"});
    std::printf("%s: %s\n", failure.empty() ? "ok" : "FAIL", failure.empty() ? "every step passed" : failure.c_str());
    return failure.empty() ? 0 : 1;
}
