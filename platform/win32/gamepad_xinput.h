// Gamepads on Windows through XInput, read from a timer of the event thread.
// Their presses become key messages posted to the control that has the
// keyboard in our window in front, never typed into the system's input
// (which would reach the emulator when it is in front).
#pragma once

#include "gamepad.h"

#include <windows.h>
#include <xinput.h>

namespace forms::win32 {

// XInputGetState, or whatever stands in for it.
using ReadPad = DWORD(WINAPI*)(DWORD slot, XINPUT_STATE* state);

// Pads are read from now on. With no `read`, XInput is loaded from the
// system (xinput1_4.dll, else xinput9_1_0.dll); without either nothing
// happens. Starting again while started changes nothing.
void startGamepads(ReadPad read = nullptr);
void stopGamepads();

}  // namespace forms::win32
