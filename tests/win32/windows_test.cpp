// The Win32 backend's own part on real windows, with timer and key messages
// and no emulator: a window the system cannot make is an error report and the
// program goes on; activating the main menu behind a modal window brings the
// modal one forward with the keyboard; Alt+Space opens the system menu; then
// a scripted pad in XInput's place plays the windows. The steps run from a
// timer, so that they go on in modal loops; each waits 10 s at most for what
// it names.
//   win32_windows          the play; exit status 0 when it passed
//   win32_windows front    a window of another process, to be in front
#include "app.h"
#include "catalogue.h"
#include "forms.h"
#include "gamepad_xinput.h"
#include "launch.h"

#include <windows.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Slot {
    bool connected = false;
    XINPUT_GAMEPAD state{};
    DWORD packet = 0;
    long reads = 0, mark = 0;
    bool seen() const { return reads >= mark + 2; }  // read twice since the last change
} slots[XUSER_MAX_COUNT];

DWORD WINAPI fakeGetState(DWORD i, XINPUT_STATE* out)
{
    Slot& s = slots[i];
    ++s.reads;
    if (!s.connected)
        return ERROR_DEVICE_NOT_CONNECTED;
    *out = {s.packet, s.state};
    return ERROR_SUCCESS;
}

// What reaches the windows: "caption:key", * for a repeat.
std::vector<std::string> keys;
bool shiftHeld = false;

std::string text(HWND h)
{
    wchar_t w[256] = {};
    GetWindowTextW(h, w, 256);
    return std::string(w, w + lstrlenW(w));  // our captions are ASCII
}

LRESULT CALLBACK logKeys(int code, WPARAM removed, LPARAM l)
{
    const MSG& m = *reinterpret_cast<const MSG*>(l);
    const std::pair<WPARAM, const char*> names[] = {{VK_TAB, "Tab"}, {VK_RETURN, "Return"}, {VK_ESCAPE, "Esc"},
                                                    {VK_SPACE, "Space"}, {VK_UP, "Up"}, {VK_DOWN, "Down"}};
    if (code != HC_ACTION || removed != PM_REMOVE || (m.message != WM_KEYDOWN && m.message != WM_KEYUP))
        return CallNextHookEx(nullptr, code, removed, l);
    if (m.wParam == VK_SHIFT)
        shiftHeld = m.message == WM_KEYDOWN;
    else if (m.message == WM_KEYDOWN) {
        std::string name = "?";
        for (auto [vk, n] : names)
            name = vk == m.wParam ? n : name;
        keys.push_back(text(GetAncestor(m.hwnd, GA_ROOT)) + ':' + (shiftHeld ? "S-" : "") + name + ((m.lParam >> 30) & 1 ? "*" : ""));
    }
    return CallNextHookEx(nullptr, code, removed, l);
}

std::string all(bool repeats = true)
{
    std::string out;
    for (const std::string& k : keys)
        if (repeats || k.back() != '*')
            out += (out.empty() ? "" : " ") + k;
    return out;
}

// No emulator: a start is the error report.
struct NoEmulator : playdeck::ProcessStarter {
    std::optional<std::string> start(const playdeck::LaunchCommand&) override { return "no emulator here"; }
} noEmulator;

// Each step acts; then its keys (in order, repeats aside; any keys when none
// are given) must come and what it waits for hold.
using Until = std::function<bool()>;
struct Step { std::string what; std::function<void()> act; std::optional<std::string> keys; Until until; };
std::vector<Step> steps;
std::size_t next = 0;
bool started = false;
ULONGLONG since = 0;
std::string failure;
PROCESS_INFORMATION front{};

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
        keys.clear(), since = GetTickCount64(), s.act();
    const std::string got = all(false), want = s.keys.value_or(got);
    const bool keysIn = got.size() >= want.size();
    if (keysIn && got != want)
        finish(s.what + ": keys '" + got + "', wanted '" + want + "'");
    else if (keysIn && s.until())
        ++next, started = false;
    else if (GetTickCount64() - since > 10000)
        finish(s.what + ": waited 10 s for " + (keysIn ? "its outcome" : "keys '" + want + "'") + " (keys so far: '" + all() + "')");
}

HWND menu() { return FindWindowW(L"PlaydeckForm", L"PLAYDECK"); }
HWND help() { return FindWindowW(L"PlaydeckForm", L"Quick Help"); }
bool frontIs(const char* caption)
{
    DWORD process = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &process);
    return process == GetCurrentProcessId() && text(GetForegroundWindow()) == caption;
}
bool keyboardOn(HWND root, const char* control)
{
    return root && GetForegroundWindow() == root && GetFocus() && GetAncestor(GetFocus(), GA_ROOT) == root && text(GetFocus()) == control;
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
void type(std::initializer_list<std::pair<WORD, bool>> strokes)
{
    std::vector<INPUT> in;
    for (auto [vk, down] : strokes)
        in.push_back({INPUT_KEYBOARD, {.ki = {vk, 0, DWORD(down ? 0 : KEYEVENTF_KEYUP), 0, 0}}});
    SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
}
Until cursorAt(int k) { return [k] { return forms::instance("Form1").top("Cur") == playdeck::entries()[std::size_t(k)].stop; }; }
Until backOnMenu(const char* closed) { return [closed] { return !forms::instance(closed).isLoaded() && frontIs("PLAYDECK"); }; }
const Until always = [] { return true; };

void step(std::string what, std::function<void()> act, Until until) { steps.push_back({what, act, "", until}); }
void anyKeys(std::string what, std::function<void()> act, Until until) { steps.push_back({what, act, std::nullopt, until}); }
// A change of a pad's state, done once the program has read it.
void set(std::string what, int slot, std::function<void(Slot&)> f, std::string k = {}, Until until = always)
{
    steps.push_back({what, [slot, f] { f(slots[slot]), ++slots[slot].packet, slots[slot].mark = slots[slot].reads; }, k,
                     [slot, until] { return slots[slot].seen() && until(); }});
}
void hold(WORD b, std::string k = {}, Until until = always, int slot = 0)
{
    set("buttons " + std::to_string(b) + " down", slot, [b](Slot& s) { s.state.wButtons |= b; }, k, until);
}
void release(WORD b, int slot = 0) { set("buttons " + std::to_string(b) + " up", slot, [b](Slot& s) { s.state.wButtons &= WORD(~b); }); }
void press(WORD b, std::string k, Until until = always) { hold(b, k, until), release(b); }
void stick(SHORT y, std::string k = {}, Until until = always) { set("the stick to " + std::to_string(y), 0, [y](Slot& s) { s.state.sThumbLY = y; }, k, until); }
// A second with at most `allowed` keys, repeats included.
void aSecond(const char* what, std::size_t allowed = 0)
{
    step(what, [] {}, [allowed] { return GetTickCount64() - since > 1000 && keys.size() <= allowed; });
}

bool menuWasInFront = false;

void windowsScript()
{
    // (Run inside the failed showModal of main.)
    step("the error report of a window that cannot be made", [] {}, [] {
        HWND box = shown(L"#32770");
        return box && text(GetDlgItem(box, 0xFFFF)).starts_with("Cannot create the window");
    });
    step("the error report to close", [] { PostMessageW(shown(L"#32770"), WM_COMMAND, IDOK, 0); }, [] { return !shown(L"#32770"); });
    // The program went on: the menu comes up.
    step("the menu with the keyboard on the cursor", [] {}, [] { return keyboardOn(menu(), ""); });
    // Help over the menu; the menu, disabled behind it, activated all the same.
    step("Quick Help with the keyboard on OK", [] {
        PostMessageW(menu(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), LPARAM(FindWindowExW(menu(), nullptr, L"BUTTON", L"&Help")));
    }, [] { return keyboardOn(help(), "OK"); });
    step("the blocked menu activated, then Quick Help in front again with the keyboard on OK", [] {
        SetForegroundWindow(menu());
        menuWasInFront = GetForegroundWindow() == menu();
    }, [] { return menuWasInFront && keyboardOn(help(), "OK") && !IsWindowEnabled(menu()); });
    step("Quick Help to close", [] { PostMessageW(help(), WM_CLOSE, 0, 0); }, [] { return !help() && keyboardOn(menu(), ""); });
    // Alt+Space: the system menu; Escape closes it, a second one leaves the
    // menu mode, and the menu goes on.
    anyKeys("the system menu on Alt+Space", [] { type({{VK_MENU, true}, {VK_SPACE, true}, {VK_SPACE, false}, {VK_MENU, false}}); },
            [] { return shown(L"#32768") != nullptr; });
    anyKeys("the system menu to close on Escape", [] { type({{VK_ESCAPE, true}, {VK_ESCAPE, false}, {VK_ESCAPE, true}, {VK_ESCAPE, false}}); },
            [] { return !shown(L"#32768") && forms::instance("Form1").isLoaded() && GetForegroundWindow() == menu(); });
}

void padScript()
{
    constexpr WORD up = XINPUT_GAMEPAD_DPAD_UP, down = XINPUT_GAMEPAD_DPAD_DOWN, south = XINPUT_GAMEPAD_A, east = XINPUT_GAMEPAD_B, start = XINPUT_GAMEPAD_START;
    set("a pad plugged in", 0, [](Slot& s) { s.connected = true; });
    // Start on one pad and Down on another in one poll: Enter, then Down, both
    // posted to the menu. The dialog Enter opens takes the Down in its own
    // loop: the menu behind it, blocked, must not move its cursor.
    set("a second pad plugged in", 1, [](Slot& s) { s.connected = true; });
    steps.push_back({"start and down on two pads in one poll", [] {
        slots[0].state.wButtons = start, slots[1].state.wButtons = down;
        for (Slot& s : {std::ref(slots[0]), std::ref(slots[1])})
            ++s.packet, s.mark = s.reads;
    }, "PLAYDECK:Return PLAYDECK:Down", [] { return slots[1].seen() && frontIs("Teenage Mutant Ninja Turtles") && cursorAt(0)(); }});
    set("the second pad unplugged", 1, [](Slot& s) { s.connected = false, s.state.wButtons = 0; });
    release(start);
    press(east, "Teenage Mutant Ninja Turtles:Esc", backOnMenu("turtles"));
    // Another program in front: nothing; south and down held as the menu comes back stay dead until let go.
    step("another program in front", [] {
        wchar_t self[MAX_PATH], line[MAX_PATH + 16];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        wsprintfW(line, L"\"%s\" front", self);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        CreateProcessW(self, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &front);
    }, [] { DWORD process = 0; return GetWindowThreadProcessId(GetForegroundWindow(), &process) && process == front.dwProcessId; });
    press(down, "");
    hold(south), hold(down);
    aSecond("a second in front");
    step("the menu in front again", [] { TerminateProcess(front.hProcess, 0), SetForegroundWindow(menu()); }, [] { return frontIs("PLAYDECK"); });
    aSecond("a second with south and down held");
    release(south), release(down);
    press(down, "PLAYDECK:Down", cursorAt(1));
    // The stick pushed down (negative in XInput) is Down.
    stick(-32768, "PLAYDECK:Down");
    stick(0, {}, cursorAt(2));
    // A second pad plugged in holding south and the stick down: nothing, even on release or as the stick moves;
    // unplugged holding up, no more repeats (one may be on its way).
    set("a second pad plugged in holding", 1, [](Slot& s) { s.connected = true, s.state.wButtons = south, s.state.sThumbLY = -30000; });
    release(south, 1);
    set("its stick further down", 1, [](Slot& s) { s.state.sThumbLY = -25000; });
    set("its stick let go", 1, [](Slot& s) { s.state.sThumbLY = 0; });
    hold(up, "PLAYDECK:Up", cursorAt(1), 1);
    set("the second pad unplugged", 1, [](Slot& s) { s.connected = false; });
    aSecond("a second after the unplug", 1);
    // Held, a direction repeats, marked as the keyboard marks its repeats.
    hold(down, "PLAYDECK:Down", [] { return keys.size() >= 3; });
    release(down);
    // A failed start: east closes the error report, the system's message box.
    step("the emulator missing", [] { forms::instance("Form1").setTop("Cur", playdeck::entries()[4].stop); }, always);
    press(south, "PLAYDECK:Return", [] { return GetForegroundWindow() != menu() && frontIs("PLAYDECK"); });
    press(east, "PLAYDECK:Esc", [] { return GetForegroundWindow() == menu(); });
}

// A plain window of another process, in front until killed (or a minute).
int frontWindow()
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW, wc.hInstance = GetModuleHandleW(nullptr), wc.lpszClassName = L"EmulatorStandIn";
    RegisterClassW(&wc);
    SetForegroundWindow(CreateWindowExW(0, wc.lpszClassName, L"Emulator stand-in", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 300,
                                        300, 200, nullptr, nullptr, wc.hInstance, nullptr));
    SetTimer(nullptr, 0, 60000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); });
    for (MSG m; GetMessageW(&m, nullptr, 0, 0) > 0;)
        DispatchMessageW(&m);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "front")
        return frontWindow();
    ui::registerWindows();
    ui::setProcessStarter(&noEmulator);
    forms::win32::startGamepads(fakeGetState);
    SetWindowsHookExW(WH_GETMESSAGE, logKeys, nullptr, GetCurrentThreadId());
    windowsScript();
    padScript();
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
    if (front.hProcess)
        TerminateProcess(front.hProcess, 0);
    if (failure.empty() && slots[3].reads * 20 >= slots[0].reads)  // empty slots are asked seldom
        failure = "an empty slot was read " + std::to_string(slots[3].reads) + " times, the pad's " + std::to_string(slots[0].reads);
    std::printf("%s: %s\n", failure.empty() ? "ok" : "FAIL", failure.empty() ? "every step passed" : failure.c_str());
    return failure.empty() ? 0 : 1;
}
