// Gamepads on Windows: XInput's four slots read from a timer of the event
// thread, every 16 ms while a pad is connected; empty slots, which are slow
// to ask on Windows, only every 2 s. Changes of state feed the pad state
// machine, and its presses are posted as key messages to the control that has
// the keyboard. The timer keeps running inside modal windows and message
// boxes, whose message loops dispatch it too.
#include "gamepad_xinput.h"

#include "window.h"

#include <array>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace forms::win32 {

namespace {

using pad::Millis;
using pad::Source;

constexpr UINT kPollMillis = 16;
constexpr Millis kEmptySlotsEvery = 2000;

// XInput's buttons and the sources they are; A and B are the lower and the
// right face button on every XInput pad.
constexpr std::pair<WORD, Source> kButtons[] = {
    {XINPUT_GAMEPAD_DPAD_UP, Source::DpadUp},     {XINPUT_GAMEPAD_DPAD_DOWN, Source::DpadDown},
    {XINPUT_GAMEPAD_DPAD_LEFT, Source::DpadLeft}, {XINPUT_GAMEPAD_DPAD_RIGHT, Source::DpadRight},
    {XINPUT_GAMEPAD_A, Source::South},            {XINPUT_GAMEPAD_B, Source::East},
    {XINPUT_GAMEPAD_START, Source::Start},
};

// XInput's stick is positive upwards, the state machine's downwards.
int stickY(const XINPUT_GAMEPAD& g) { return -int(g.sThumbLY); }

ReadPad loadXInput()
{
    for (const wchar_t* name : {L"xinput1_4.dll", L"xinput9_1_0.dll"}) {
        HMODULE dll = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!dll)
            continue;
        if (FARPROC f = GetProcAddress(dll, "XInputGetState"))
            return reinterpret_cast<ReadPad>(reinterpret_cast<void*>(f));
        FreeLibrary(dll);
    }
    return nullptr;
}

// A key press and its release, as a keyboard gives them, with Shift around
// them when asked for.
void postKey(HWND to, const pad::Command& c, bool autoRepeat)
{
    const auto post = [to](UINT message, int key, bool wasDown) {
        DWORD l = 1 | (MapVirtualKeyW(UINT(key), MAPVK_VK_TO_VSC) << 16);
        if (wasDown || message == WM_KEYUP)
            l |= 1u << 30;  // the key was down before
        if (message == WM_KEYUP)
            l |= 1u << 31;  // and goes up now
        PostMessageW(to, message, WPARAM(key), LPARAM(l));
    };
    if (c.shift)
        post(WM_KEYDOWN, VK_SHIFT, false);
    post(WM_KEYDOWN, c.keycode, autoRepeat);
    post(WM_KEYUP, c.keycode, true);
    if (c.shift)
        post(WM_KEYUP, VK_SHIFT, true);
}

// Where pad presses go: the control with the keyboard, its top-level window
// and, when that is one of our forms, the form (null: a message box).
// Nothing unless this process owns the foreground window.
struct KeyTarget {
    HWND root;
    HWND focus;
    const Form* form;
};

std::optional<KeyTarget> keyTarget()
{
    DWORD process = 0;
    HWND front = GetForegroundWindow();
    if (!front || !GetWindowThreadProcessId(front, &process) || process != GetCurrentProcessId())
        return std::nullopt;
    HWND focus = GetFocus() ? GetFocus() : GetActiveWindow();
    HWND root = focus ? GetAncestor(focus, GA_ROOT) : nullptr;
    if (!root)
        return std::nullopt;
    const FormWindow* fw = live(root);
    return KeyTarget{root, focus, fw ? fw->form : nullptr};
}

// What a press means is the runtime's (pad::commandFor); it arrives as a
// posted key, which the message loop routes as any other.
void deliver(const KeyTarget& target, const pad::Press& press)
{
    const pad::Command c = pad::commandFor(press.action, target.form);
    switch (c.kind) {
    case pad::Command::Kind::Nothing:
        break;
    case pad::Command::Kind::Key:
        postKey(target.focus, c, press.autoRepeat);
        break;
    case pad::Command::Kind::Close:
        PostMessageW(target.root, WM_CLOSE, 0, 0);
        break;
    }
}

class Pads {
public:
    explicit Pads(ReadPad read) : read_(read) { schedule(kPollMillis); }
    ~Pads() { KillTimer(nullptr, timer_); }

    void poll()
    {
        const Millis now = Millis(GetTickCount64());
        const std::optional<KeyTarget> target = keyTarget();
        // Going inactive before reading, active after it: what is held as
        // the program gets the keyboard back is the baseline, ignored until
        // released.
        if (!target)
            nav_.setActive(false, now);
        bool anyConnected = false;
        for (const Slot& s : slots_)
            anyConnected = anyConnected || s.connected;
        const bool emptyToo = !anyConnected || now >= emptyDue_;
        if (emptyToo)
            emptyDue_ = now + kEmptySlotsEvery;
        anyConnected = false;
        for (DWORD i = 0; i < slots_.size(); ++i) {
            if (slots_[i].connected || emptyToo)
                read(i, now);
            anyConnected = anyConnected || slots_[i].connected;
        }
        if (target)
            nav_.setActive(true, now);
        for (const pad::Press& p : nav_.take(now))
            if (target)
                deliver(*target, p);
        schedule(anyConnected ? kPollMillis : UINT(kEmptySlotsEvery));
    }

private:
    struct Slot {
        bool connected = false;
        XINPUT_GAMEPAD last{};
    };

    void read(DWORD i, Millis now)
    {
        Slot& s = slots_[i];
        XINPUT_STATE state{};
        const bool connected = read_(i, &state) == ERROR_SUCCESS;
        const XINPUT_GAMEPAD& g = state.Gamepad;
        if (!connected) {
            if (std::exchange(s.connected, false))
                nav_.padRemoved(int(i), now);
            return;
        }
        if (!std::exchange(s.connected, true)) {
            std::vector<Source> buttons;
            for (const auto& [bit, source] : kButtons)
                if (g.wButtons & bit)
                    buttons.push_back(source);
            nav_.padAdded(int(i), buttons, stickY(g), now);
        } else {
            for (const auto& [bit, source] : kButtons)
                if ((g.wButtons ^ s.last.wButtons) & bit)
                    nav_.button(int(i), source, g.wButtons & bit, now);
            if (g.sThumbLY != s.last.sThumbLY)
                nav_.stickY(int(i), stickY(g), now);
        }
        s.last = g;
    }

    void schedule(UINT every)
    {
        if (every == every_)
            return;
        every_ = every;
        timer_ = SetTimer(nullptr, timer_, every, tick);
    }
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD);

    ReadPad read_;
    UINT_PTR timer_ = 0;
    UINT every_ = 0;
    std::array<Slot, XUSER_MAX_COUNT> slots_{};
    Millis emptyDue_ = 0;
    pad::Navigator nav_;
};

std::unique_ptr<Pads>& pads()
{
    static std::unique_ptr<Pads> p;
    return p;
}

void CALLBACK Pads::tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (pads())
        pads()->poll();
}

}  // namespace

void startGamepads(ReadPad read)
{
    if (pads())
        return;
    if (!read)
        read = loadXInput();
    if (read)
        pads() = std::make_unique<Pads>(read);
}

void stopGamepads()
{
    pads().reset();
}

}  // namespace forms::win32
