// The one contract between our forms runtime and its backends (platform/qt,
// platform/win32, platform/headless). The neutral part (forms.cpp) decides
// where a key goes, which control has the focus, which windows a modal window
// blocks (and so which are enabled), who owns a modal window, who gets the
// keyboard back after it, and what assistive technology is told; a backend
// turns native events into the Form events of forms.h (keyPress,
// focusChanged, activated, userClose, click), draws, hosts native controls,
// and carries out what it is told below. Besides these functions, each
// backend defines forms::run (forms.h) and the process start of process.h,
// and delivers gamepad presses through pad::commandFor (gamepad.h). Only the
// runtime and the backends include this.
#pragma once

#include "accessibility.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

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
    // Shown, raised and given the keyboard. When the window system has given
    // it the keyboard, the backend raises Form::activated.
    virtual void show() = 0;
    virtual void moveControl(std::string_view control, int topPixels) = 0;
    // The native focus (its mark, what assistive technology is told) follows
    // the runtime's; no event comes back for it.
    virtual void focusControl(std::string_view control) = 0;
    // A disabled window takes no keys, clicks or closing from the user, and
    // cannot be given the keyboard; it keeps its look.
    virtual void setEnabled(bool enabled) = 0;
    // Events about the window's list for assistive technology, to be sent in
    // this order. Each must reach it after the toolkit's own focus event for
    // the control last focused (by focusControl or by the user): a toolkit
    // that tells of a focus change only after its native event handler has
    // returned has these sent later from the event loop. Sending them only
    // while assistive technology listens is the backend's affair.
    virtual void announce(const std::vector<a11y::Event>& events) = 0;
};

// Creates the window of `form` from its definition, hidden; null when the
// window system cannot make it. `owner` is the window it blocks while shown
// modally (null: none): every desktop keeps it in front of its owner (a
// transient or owned window).
std::unique_ptr<Window> load(Form& form, const Form* owner);
// Shows the loaded `form` in front and runs events until it has been unloaded
// (or the program has ended).
void runModal(Form& form);
// Leaves the event loop, if one runs.
void quit();
// The error report as a modal message box in front of `owner` (null: none),
// returning when the user has closed it.
void errorReport(const std::string& message, const Form* owner);

}  // namespace forms::backend
