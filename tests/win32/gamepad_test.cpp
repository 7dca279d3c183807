// The Windows program played with a scripted pad in place of XInput: the real
// Win32 windows, the real timer and key messages, and a recorder for the
// emulator. The play is a table of steps run from a timer of the event
// thread, so that it goes on inside the modal windows it opens; each step
// waits for what it names, 10 s at most. Only the keys that arrive and what
// they lead to decide, never how long they took.
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

// --- The pad: four slots, one plugged in when asked ---------------------------

struct Slot {
    bool connected = false;
    XINPUT_GAMEPAD state{};
    DWORD packet = 0;
    bool read = false;  // by the program since the last change
    long reads = 0;
};
Slot slots[XUSER_MAX_COUNT];

DWORD WINAPI fakeGetState(DWORD i, XINPUT_STATE* out)
{
    Slot& s = slots[i];
    s.read = true;
    ++s.reads;
    if (!s.connected)
        return ERROR_DEVICE_NOT_CONNECTED;
    *out = {s.packet, s.state};
    return ERROR_SUCCESS;
}

void change(int slot, const std::function<void(Slot&)>& f)
{
    Slot& s = slots[slot];
    f(s);
    ++s.packet;
    s.read = false;
}

// --- What reaches the windows: "caption:key", * for a repeat --------------------

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
    if (code == HC_ACTION && removed == PM_REMOVE && (m.message == WM_KEYDOWN || m.message == WM_KEYUP)) {
        if (m.wParam == VK_SHIFT)
            shiftHeld = m.message == WM_KEYDOWN;
        else if (m.message == WM_KEYDOWN) {
            const char* name = m.wParam == VK_TAB ? "Tab" : m.wParam == VK_RETURN ? "Return" : m.wParam == VK_ESCAPE ? "Esc"
                             : m.wParam == VK_SPACE ? "Space" : m.wParam == VK_UP ? "Up" : m.wParam == VK_DOWN ? "Down" : "?";
            keys.push_back(text(GetAncestor(m.hwnd, GA_ROOT)) + ':' + (shiftHeld ? "S-" : "") + name +
                           ((m.lParam >> 30) & 1 ? "*" : ""));
        }
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
std::string pressed() { return all(false); }

// --- The play --------------------------------------------------------------------

struct Recorder : playdeck::ProcessStarter {
    std::vector<std::string> started;
    bool fail = false;  // for the error report
    std::optional<std::string> start(const playdeck::LaunchCommand& c) override
    {
        if (fail)
            return "no emulator here";
        started.push_back(c.commandLine);
        return std::nullopt;
    }
} recorder;

struct Step {
    std::string what;
    std::function<void()> act;
    std::string keys;             // that must arrive, in order, repeats aside
    std::function<bool()> until;  // and what must hold then
};
std::vector<Step> steps;
std::size_t next = 0;
bool started = false;
ULONGLONG since = 0;
std::string failure;
PROCESS_INFORMATION front{};

void finish(const std::string& why)
{
    failure = why;
    next = steps.size() + 1;
    forms::end();
}

void CALLBACK playOn(HWND, UINT, UINT_PTR, DWORD)
{
    if (next >= steps.size())
        return next == steps.size() ? finish({}) : void();
    const Step& s = steps[next];
    if (!std::exchange(started, true)) {
        keys.clear();
        since = GetTickCount64();
        s.act();
    }
    const std::string got = pressed();
    const bool keysIn = got.size() >= s.keys.size();
    if (keysIn && got != s.keys)
        finish(s.what + ": keys '" + got + "', wanted '" + s.keys + "'");
    else if (keysIn && (!s.until || s.until()))
        ++next, started = false;
    else if (GetTickCount64() - since > 10000)
        finish(s.what + ": waited 10 s for " + (keysIn ? "its outcome" : "keys '" + s.keys + "'") + " (keys so far: '" +
               all() + "')");
}

HWND menu() { return FindWindowW(L"PlaydeckForm", L"PLAYDECK"); }
bool frontIs(const char* caption)
{
    DWORD process = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &process);
    return process == GetCurrentProcessId() && text(GetForegroundWindow()) == caption;
}
auto cursorAt(int k)
{
    return [k] { return forms::instance("Form1").top("Cur") == playdeck::entries()[std::size_t(k)].stop; };
}
auto focusOn(const char* caption)
{
    return [caption] { return GetFocus() && text(GetFocus()) == caption; };
}
auto backOnMenu(const char* closed)
{
    return [closed] { return !forms::instance(closed).isLoaded() && frontIs("PLAYDECK"); };
}

void step(std::string what, std::function<void()> act, std::function<bool()> until)
{
    steps.push_back({std::move(what), std::move(act), {}, std::move(until)});
}
// A change of a pad's state, done once the program has read it.
void set(std::string what, int slot, std::function<void(Slot&)> f, std::string k = {}, std::function<bool()> until = {})
{
    steps.push_back({std::move(what), [slot, f] { change(slot, f); }, std::move(k),
                     [slot, until] { return slots[slot].read && (!until || until()); }});
}
void hold(WORD button, const char* name, std::string k = {}, std::function<bool()> until = {}, int slot = 0)
{
    set(std::string(name) + " down", slot, [button](Slot& s) { s.state.wButtons |= button; }, std::move(k), std::move(until));
}
void release(WORD button, const char* name, int slot = 0)
{
    set(std::string(name) + " up", slot, [button](Slot& s) { s.state.wButtons &= WORD(~button); });
}
void press(WORD button, const char* name, std::string k, std::function<bool()> until = {})
{
    hold(button, name, std::move(k), std::move(until));
    release(button, name);
}
// A second with at most `allowed` keys, repeats included.
void aSecond(const char* what, std::size_t allowed = 0)
{
    step(what, [] {}, [allowed] { return GetTickCount64() - since > 1000 && keys.size() <= allowed; });
}
void stick(const char* what, SHORT y, std::string k = {}, std::function<bool()> until = {})
{
    set(what, 0, [y](Slot& s) { s.state.sThumbLY = y; }, std::move(k), std::move(until));
}

void script()
{
    constexpr WORD down = XINPUT_GAMEPAD_DPAD_DOWN, left = XINPUT_GAMEPAD_DPAD_LEFT, right = XINPUT_GAMEPAD_DPAD_RIGHT;
    constexpr WORD south = XINPUT_GAMEPAD_A, east = XINPUT_GAMEPAD_B, start = XINPUT_GAMEPAD_START;
    constexpr WORD up = XINPUT_GAMEPAD_DPAD_UP;
    set("a pad plugged in", 0, [](Slot& s) { s.connected = true; });
    // Down twice, south: the gaiden dialog; down, south: its part 2.
    press(down, "down", "PLAYDECK:Down", cursorAt(1));
    press(down, "down", "PLAYDECK:Down", cursorAt(2));
    press(south, "south", "PLAYDECK:Return", [] { return frontIs("Ninja Gaiden"); });
    press(down, "down", "Ninja Gaiden:Tab", focusOn("Ninja Gaiden 2"));
    press(south, "south", "Ninja Gaiden:Space", backOnMenu("gaiden"));
    // Start accepts too; east leaves the dialog.
    press(start, "start", "PLAYDECK:Return", [] { return frontIs("Ninja Gaiden"); });
    press(east, "east", "Ninja Gaiden:Esc", backOnMenu("gaiden"));
    // Right to Help, south opens it, east closes it as its OK would; left walks back.
    press(right, "right", "PLAYDECK:S-Tab", focusOn("&Help"));
    press(south, "south", "PLAYDECK:Space", [] { return frontIs("Quick Help"); });
    press(east, "east", "", backOnMenu("hlpfrm"));
    press(left, "left", "PLAYDECK:Tab", focusOn(""));
    // Another program in front: nothing; south and down held as the menu
    // comes back stay dead, without repeats, until let go.
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
    press(down, "down", "");
    hold(south, "south");
    hold(down, "down");
    aSecond("a second in front");
    step("the menu in front again", [] {
        TerminateProcess(front.hProcess, 0);
        SetForegroundWindow(menu());
    }, [] { return frontIs("PLAYDECK"); });
    aSecond("a second with south and down held");
    release(south, "south");
    release(down, "down");
    press(down, "down", "PLAYDECK:Down", cursorAt(3));
    // The stick: drifting below the threshold does nothing; pushed down (the
    // negative way in XInput) it is Down.
    stick("the stick drifts down", -19000);
    stick("the stick back", 0);
    stick("the stick pushed down", -32768, "PLAYDECK:Down");
    stick("the stick back", 0, {}, cursorAt(4));
    // A second pad, plugged in holding south: nothing, not even on release;
    // unplugged while holding up, its repeats stop (one may be on its way).
    set("a second pad plugged in holding south", 1, [](Slot& s) { s.connected = true, s.state.wButtons = south; });
    release(south, "second pad's south", 1);
    hold(up, "second pad's up", "PLAYDECK:Up", cursorAt(3), 1);
    set("the second pad unplugged", 1, [](Slot& s) { s.connected = false; });
    aSecond("a second after the unplug", 1);
    // Held, a direction repeats, marked as the keyboard marks its repeats.
    hold(down, "down held", "PLAYDECK:Down", [] { return keys.size() >= 3; });
    release(down, "down");
    // A failed start: east closes the error report, the system's message box.
    step("the emulator missing", [] {
        recorder.fail = true;
        forms::instance("Form1").setTop("Cur", playdeck::entries()[4].stop);
    }, [] { return true; });
    press(south, "south", "PLAYDECK:Return", [] { return GetForegroundWindow() != menu() && frontIs("PLAYDECK"); });
    press(east, "east", "PLAYDECK:Esc", [] { return GetForegroundWindow() == menu(); });
}

// A plain window of another process, in front until killed (or a minute).
int frontWindow()
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"EmulatorStandIn";
    RegisterClassW(&wc);
    HWND h = CreateWindowExW(0, wc.lpszClassName, L"Emulator stand-in", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 300,
                             300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    SetForegroundWindow(h);
    SetTimer(nullptr, 0, 60000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); });
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0)
        DispatchMessageW(&m);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "front")
        return frontWindow();
    ui::registerWindows();
    ui::setProcessStarter(&recorder);
    forms::win32::startGamepads(fakeGetState);
    SetWindowsHookExW(WH_GETMESSAGE, logKeys, nullptr, GetCurrentThreadId());
    script();
    SetTimer(nullptr, 0, 10, playOn);
    forms::run(argc, argv, {.name = "PLAYDECK", .appId = "playdeck", .startForm = "Form1"});
    if (front.hProcess)
        TerminateProcess(front.hProcess, 0);

    const std::string part2 = std::string(playdeck::partsOf("gaiden")[1].tail);
    const bool launched = recorder.started.size() == 1 && recorder.started[0].ends_with(part2);
    // Empty slots are asked seldom: the connected one is read every tick.
    const bool emptySeldom = slots[3].reads * 20 < slots[0].reads;
    if (failure.empty() && !launched)
        failure = "wanted one start of " + part2 + ", got " + std::to_string(recorder.started.size());
    if (failure.empty() && !emptySeldom)
        failure = "an empty slot was read " + std::to_string(slots[3].reads) + " times, the pad's " +
                  std::to_string(slots[0].reads);
    std::printf("%s: %s\n", failure.empty() ? "ok" : "FAIL", failure.empty() ? "the pad played every step" : failure.c_str());
    return failure.empty() ? 0 : 1;
}
