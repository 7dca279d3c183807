// What each backend of the forms runtime provides. Only the runtime and the
// backends include this.
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
};

// Creates the window of `form` from its definition, focus on the first
// control in tab order.
std::unique_ptr<Window> load(Form& form);
// Shows the loaded `form` with every other window disabled; returns once it
// has been unloaded (or the program has ended). The window that had the
// keyboard before gets it back.
void runModal(Form& form);
// Leaves the event loop, if one runs.
void quit();
// The error report as a modal message box.
void errorReport(const std::string& message);

}  // namespace forms::backend
