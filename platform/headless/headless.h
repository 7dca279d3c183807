// The forms runtime with no window system, for the window scenarios. What the
// tests use to play it as a player would.
#pragma once

#include "forms.h"
#include "gamepad.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace forms::headless {

// A loaded window as plain data.
struct WindowState {
    std::string owner;               // the window it is kept in front of; empty: none
    bool shown = false;
    bool enabled = true;
    std::string focus;               // the control with the native focus
    std::map<std::string, int, std::less<>> tops;  // controls moved, in pixels
    // What assistive technology was told, in order: "selection <row>",
    // "focus <row>", "focus <list>" (the list itself).
    std::vector<std::string> announced;
};
const WindowState* state(const Form& form);  // null when not loaded

// The form whose window has the keyboard; null when none has it.
Form* keyboardForm();

// A key press as a backend hands it over: to the window with the keyboard,
// or to `to` (as a key posted to a window behind a modal one); a disabled
// window drops it. False when there is no such window.
bool key(int keycode, int shift = 0, bool autoRepeat = false, Form* to = nullptr);
// A mouse click on a control: a button or picture box takes the focus, a
// button is clicked. Nothing happens on a disabled window.
void click(Form& form, std::string_view control);
// The user brings a window forward (taskbar, Alt+Tab, a click on it).
void activate(Form& form);
// A gamepad press delivered to the window with the keyboard.
void padPress(const pad::Press& press);

// Steps for the modal loops to come, run one per turn in order. A modal
// window still open when none is left is recorded as a failure and unloaded.
void then(std::function<void()> step);
// What a modal loop runs when no step is queued (none: the failure above).
void otherwise(std::function<void()> step);

// What happened: error reports shown (and the window each was in front of),
// and what went wrong in a modal loop.
std::vector<std::string>& errorReports();
std::vector<std::string>& reportOwners();
std::vector<std::string>& failures();
std::size_t stepsLeft();  // queued steps no modal loop has run (yet)

// The next window load fails, as when the window system cannot make one.
void failNextLoad();

}  // namespace forms::headless
