// The one contract between our forms runtime and its backends (platform/qt,
// platform/win32, platform/headless). The neutral part (forms.cpp) decides
// where a key goes, which control has the focus and which windows a modal
// window blocks; a backend turns native events into the Form events of
// forms.h (keyPress, focusChanged, activated, userClose, click), draws, and
// hosts native controls. Besides the functions below, each backend defines
// forms::run (forms.h) and the process start of process.h, and delivers
// gamepad presses through pad::commandFor (gamepad.h). Only the runtime and
// the backends include this.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace forms {
class Form;
}

namespace forms::backend {

// A loaded window and its controls. Destroying it unloads the window: it
// disappears at once, wakes a modal wait on it, and is freed once its own
// event handling has returned.
class Window {
public:
    virtual ~Window() = default;
    virtual void show() = 0;  // shown, raised and given the keyboard
    virtual void moveControl(std::string_view control, int topPixels) = 0;
    // The native focus (its mark, what assistive technology is told) follows
    // the runtime's; no event comes back for it.
    virtual void focusControl(std::string_view control) = 0;
    // Off while a modal window blocks it. A backend whose toolkit blocks such
    // windows by itself may leave this alone.
    virtual void setEnabled(bool enabled) = 0;
    // The item under the window's list cursor changed, or the window got the
    // keyboard back with the cursor focused: assistive technology is told of
    // the selected item (accessibility.h), and of the focus on it while the
    // cursor has the keyboard.
    virtual void announceSelection() = 0;
};

// Creates the window of `form` from its definition, hidden; null when the
// window system cannot make it.
std::unique_ptr<Window> load(Form& form);
// Shows the loaded `form` in front and runs events until it has been unloaded
// (or the program has ended). The window that had the keyboard before gets it
// back.
void runModal(Form& form);
// Leaves the event loop, if one runs.
void quit();
// The error report as a modal message box.
void errorReport(const std::string& message);

}  // namespace forms::backend
