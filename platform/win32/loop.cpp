// The Win32 backend's message loop and modality: every key press for one of
// our windows goes to the runtime (Form::keyPress) before it is dispatched,
// and is dispatched as usual only when the runtime leaves it (so Alt+Space
// and Alt+F4 reach the system). Here too: modal windows as nested loops, the
// error report as a system message box, and forms::run. Which key does what,
// which windows a modal one blocks, and which window gets the keyboard back
// after it are decided by the runtime.
#include "backend.h"
#include "gamepad_xinput.h"
#include "running.h"
#include "utf16.h"
#include "window.h"

namespace forms {

namespace {

using win32::live;
using win32::utf16;

std::wstring programName = L"PLAYDECK";
int messageBoxes = 0;  // error reports showing

int shiftState()
{
    return (GetKeyState(VK_SHIFT) < 0 ? kShiftMask : 0) | (GetKeyState(VK_CONTROL) < 0 ? kCtrlMask : 0) |
           (GetKeyState(VK_MENU) < 0 ? kAltMask : 0);
}

// A key press for one of our windows, whichever of its controls has it,
// goes to the runtime; true when the runtime used it (or dropped it).
bool routeKey(const MSG& msg)
{
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)
        return false;
    win32::FormWindow* fw = live(GetAncestor(msg.hwnd, GA_ROOT));
    if (!fw || !fw->form)
        return false;
    const bool repeat = (msg.lParam & (1 << 30)) != 0;  // the key was down before
    return fw->form->keyPress(int(msg.wParam), shiftState(), repeat);
}

// Key messages that were posted rather than typed (a gamepad's) leave the
// keyboard state alone; Shift follows them here, so that a posted Shift+Tab
// reads as one.
void followShift(const MSG& msg)
{
    BYTE keys[256];
    if ((msg.message != WM_KEYDOWN && msg.message != WM_KEYUP) || msg.wParam != VK_SHIFT || !GetKeyboardState(keys))
        return;
    const bool down = msg.message == WM_KEYDOWN || GetAsyncKeyState(VK_SHIFT) < 0;
    keys[VK_SHIFT] = BYTE((keys[VK_SHIFT] & 1) | (down ? 0x80 : 0));
    SetKeyboardState(keys);
}

// Runs the message loop until `done` (a modal window's) is set, the program
// has ended, or WM_QUIT arrives; the exit status.
int messageLoop(const bool* done)
{
    MSG msg;
    while (!done || (!*done && !hasEnded())) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (done)  // the outer loop ends too
                PostQuitMessage(int(msg.wParam));
            return got < 0 ? 1 : int(msg.wParam);
        }
        followShift(msg);
        if (routeKey(msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

BOOL CALLBACK findMessageBox(HWND h, LPARAM found)
{
    wchar_t name[16] = {};
    if (!IsWindowVisible(h) || !GetClassNameW(h, name, 16) || lstrcmpW(name, L"#32770") != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = h;
    return FALSE;
}

}  // namespace

bool win32::raiseMessageBox()
{
    HWND box = nullptr;
    if (messageBoxes > 0)
        EnumThreadWindows(GetCurrentThreadId(), findMessageBox, LPARAM(&box));
    if (box)
        SetForegroundWindow(box);
    return box != nullptr;
}

namespace backend {

void runModal(Form& form)
{
    win32::FormWindow* fw = win32::loadedWindow(form);
    if (!fw)
        return;
    const std::shared_ptr<bool> closed = fw->closed;
    form.loaded()->show();
    messageLoop(closed.get());
}

void quit()
{
    PostQuitMessage(0);
}

void errorReport(const std::string& message, const Form* owner)
{
    win32::FormWindow* fw = owner ? win32::loadedWindow(*owner) : nullptr;
    ++messageBoxes;
    MessageBoxW(fw ? fw->hwnd : nullptr, utf16(message).c_str(), programName.c_str(), MB_OK | MB_ICONERROR);
    --messageBoxes;
}

}  // namespace backend

int run(int, char**, const Program& program)
{
    // The setup and the uninstaller wait while any PLAYDECK program runs.
    win32::holdRunningMark();
    programName = utf16(program.name);
    instance(program.startForm).show();
    // Gamepads once the menu is up: the start-up does not wait for XInput.
    win32::startGamepads();
    const int status = messageLoop(nullptr);
    win32::stopGamepads();
    destroyInstances();
    return status;
}

}  // namespace forms
