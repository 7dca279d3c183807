// The Windows program played with a scripted pad in XInput's place: real
// windows, timer and key messages, no emulator. The steps run
// from a timer, so that they go on in modal windows; each waits 10 s at most
// for what it names. Only the keys and what they lead to decide, never timing.
//   win32_gamepad          the play; exit status 0 when it passed
//   win32_gamepad front    a window of another process, to be in front
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
    wchar_t w[128] = {};
    GetWindowTextW(h, w, 128);
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

// Each step acts; then its keys (in order, repeats aside) must come and what it waits for hold.
using Until = std::function<bool()>;
struct Step { std::string what; std::function<void()> act; std::string keys; Until until; };
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
    const std::string got = all(false);
    const bool keysIn = got.size() >= s.keys.size();
    if (keysIn && got != s.keys)
        finish(s.what + ": keys '" + got + "', wanted '" + s.keys + "'");
    else if (keysIn && s.until())
        ++next, started = false;
    else if (GetTickCount64() - since > 10000)
        finish(s.what + ": waited 10 s for " + (keysIn ? "its outcome" : "keys '" + s.keys + "'") + " (keys so far: '" + all() + "')");
}

HWND menu() { return FindWindowW(L"PlaydeckForm", L"PLAYDECK"); }
bool frontIs(const char* caption)
{
    DWORD process = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &process);
    return process == GetCurrentProcessId() && text(GetForegroundWindow()) == caption;
}
Until inFront(const char* caption) { return [caption] { return frontIs(caption); }; }
Until cursorAt(int k) { return [k] { return forms::instance("Form1").top("Cur") == playdeck::entries()[std::size_t(k)].stop; }; }
Until backOnMenu(const char* closed) { return [closed] { return !forms::instance(closed).isLoaded() && frontIs("PLAYDECK"); }; }
const Until always = [] { return true; };

void step(std::string what, std::function<void()> act, Until until) { steps.push_back({what, act, {}, until}); }
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

void script()
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
    }, [] {
        DWORD process = 0;
        GetWindowThreadProcessId(GetForegroundWindow(), &process);
        return process == front.dwProcessId;
    });
    press(down, "");
    hold(south), hold(down);
    aSecond("a second in front");
    step("the menu in front again", [] { TerminateProcess(front.hProcess, 0), SetForegroundWindow(menu()); }, inFront("PLAYDECK"));
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
    script();
    SetTimer(nullptr, 0, 10, playOn);
    forms::run(argc, argv, {.name = "PLAYDECK", .appId = "playdeck", .startForm = "Form1"});
    if (front.hProcess)
        TerminateProcess(front.hProcess, 0);

    if (failure.empty() && slots[3].reads * 20 >= slots[0].reads)  // empty slots are asked seldom
        failure = "an empty slot was read " + std::to_string(slots[3].reads) + " times, the pad's " + std::to_string(slots[0].reads);
    std::printf("%s: %s\n", failure.empty() ? "ok" : "FAIL", failure.empty() ? "the pad played every step" : failure.c_str());
    return failure.empty() ? 0 : 1;
}
