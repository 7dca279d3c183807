// Gamepads on Windows through XInput, read from a timer of the event thread.
// Their presses become key messages posted to the focused control of our
// window that has the keyboard, never typed into the system's input (which
// would reach the emulator when it is in front).
#pragma once

#include "gamepad.h"

#include <windows.h>
#include <xinput.h>

#include <optional>

namespace forms::win32 {

// XInputGetState, or whatever stands in for it.
using ReadPad = DWORD(WINAPI*)(DWORD slot, XINPUT_STATE* state);

// Pads are read from now on. With no `read`, XInput is loaded from the
// system (xinput1_4.dll, else xinput9_1_0.dll); without either nothing
// happens. Starting again while started changes nothing.
void startGamepads(ReadPad read = nullptr);
void stopGamepads();

// Where a pad press goes, from the forms backend: the control with the
// keyboard, its top-level window and how a pad sees that window. Nothing
// unless this process owns the foreground window and one of its windows has
// the keyboard.
struct KeyTarget {
    HWND root;
    HWND focus;
    pad::WindowKind kind;
};
std::optional<KeyTarget> keyTarget();

}  // namespace forms::win32
