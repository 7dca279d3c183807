// Our forms runtime, toolkit-neutral. A Form is one window kind: it owns the
// definition and the handlers; its window is loaded from the definition when
// shown and destroyed when unloaded, while the Form itself lives for the run.
// Where each key goes, which control has the focus and what a modal window
// blocks are decided here, the same on every platform; a backend
// (platform/qt, platform/win32, platform/headless) realises the windows and
// raises the events below on the one event thread.
#pragma once

#include "definition.h"
#include "keys.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace forms {

// Virtual-key numbers.
namespace vk = playdeck::vk;

// State of the Shift, Ctrl and Alt keys as handed to key handlers.
inline constexpr int kShiftMask = 1;
inline constexpr int kCtrlMask = 2;
inline constexpr int kAltMask = 4;

namespace backend {
class Window;
}
namespace a11y {
enum class Change;
}

class Form {
public:
    explicit Form(WindowDef definition);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const WindowDef& definition() const { return def_; }

    void show();       // load if needed and show (not modal)
    void showModal();  // load, show with the other windows disabled, return once unloaded
    void unload();     // close the window and destroy its controls
    bool isLoaded() const { return window_ != nullptr; }

    // A control's top coordinate in twips, exactly as last set.
    float top(std::string_view name) const;
    void setTop(std::string_view name, float twips);

    // The loaded window, for its backend (null when not loaded).
    backend::Window* loaded() const { return window_.get(); }

    // The control with the keyboard in this window (empty: none can take it).
    std::string_view focused() const { return focus_; }
    const ControlDef* focusedControl() const;
    // Gives `control`, a tab stop, the keyboard.
    void setFocus(std::string_view control);
    // A modal window above this one takes its input.
    bool blocked() const;
    // This window is the one of ours the keyboard was last given to.
    bool hasKeyboard() const;

    // Events, raised by the backend.
    // A key press in the window, whichever of its controls has it natively.
    // It goes, in this order: nowhere while a modal window blocks the window;
    // to the key preview (windows with one); Tab and Shift+Tab over the tab
    // stops; Alt with an access key clicks its button; Enter or Space clicks
    // the focused button; Escape leaves a borderless window; an arrow moves
    // the keyboard with what the preview moved (key preview) or to the
    // previous or next tab stop (others). True when the key was used here
    // (also when dropped): the native control must not act on it.
    bool keyPress(int keycode, int shift, bool autoRepeat);
    // The user gave a control the keyboard natively (a click).
    void focusChanged(std::string_view control);
    // The window got the keyboard: a blocked one hands it on to the modal
    // window in front; otherwise its control gets it back.
    void activated();
    // The window lost the keyboard (to another window, ours or not).
    void deactivated();
    // The user closes the window (close box, system menu, Alt+F4).
    void userClose();
    // A command button was clicked.
    void click(std::string_view control);

protected:
    using Handler = std::function<void()>;
    void onClick(std::string_view control, Handler handler);
    // With key preview: every key press in the window, before the focused
    // control. `keycode` is a virtual-key number; setting it to 0 keeps the
    // key from the control.
    virtual void keyDown(int& keycode, int shift, bool autoRepeat);
    // The user is closing the window.
    virtual void unloading() {}

private:
    bool load(const Form* owner);
    void tab(int step);
    bool isTabStop(std::string_view control) const;
    void tell(a11y::Change change);

    WindowDef def_;
    std::vector<const ControlDef*> tabStops_;
    std::string focus_;
    std::string movedByPreview_;  // the control the key preview moved, while it runs
    bool previewing_ = false;
    std::unique_ptr<backend::Window> window_;
    std::map<std::string, float, std::less<>> tops_;
    std::map<std::string, Handler, std::less<>> clicks_;
};

// The window kinds of the program, by window name: one implicit instance
// each, created on first use and kept for the rest of the run.
using FormFactory = std::function<std::unique_ptr<Form>()>;
void registerForm(std::string_view name, FormFactory factory);
Form& instance(std::string_view name);
void showModal(std::string_view name);
// Every instance made so far is destroyed (the backend calls this before the
// toolkit goes away).
void destroyInstances();

// Ends the program at once: every window is destroyed, no further handler runs.
void end();
bool hasEnded();
void resetEnded();  // lets a test carry on after end()

// The error report: a message box with the failure's text, modal; the
// program goes on.
void errorReport(const std::string& message);

// Assistive technology has begun to listen (a screen reader that came after
// the program, or a bridge that came up after the first window): the control
// with the keyboard is told again.
void assistiveTechnologyStarted();

// What the program tells the runtime about itself.
struct Program {
    std::string_view name;        // shown in message boxes
    std::string_view appId;       // desktop entry / application user model id
    std::string_view startForm;   // the window kind shown at start
};
// Creates the start-up window, runs the event loop until end(); the exit status.
int run(int argc, char** argv, const Program& program);

}  // namespace forms
