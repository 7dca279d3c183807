// The headless backend: no window system at all. It keeps each loaded window,
// its owner, focus, enabled state, moved controls and announcements as plain
// data, delivers key presses, clicks, activation and pad presses through the
// runtime's own routing (none to a disabled window, as a window system would
// not), runs modal windows as loops over steps a test queued, and records
// error reports. It implements the whole backend contract, run and the
// process start (which refuses: tests put a recorder in its place). It does
// not draw, load pictures or fonts, translate native keys, or read pads.
#include "headless.h"

#include "accessibility.h"
#include "backend.h"
#include "process.h"

#include <deque>
#include <utility>

namespace forms {

namespace {

class HeadlessWindow;

struct World {
    std::map<const Form*, HeadlessWindow*> windows;
    Form* keyboard = nullptr;
    std::deque<std::function<void()>> steps;
    std::function<void()> otherwise;
    std::vector<std::string> reports, reportOwners, failures;
    bool failLoad = false;
};

// Kept to the very end: the forms, and with them windows, go at exit.
World& world()
{
    static World* w = new World;
    return *w;
}

class HeadlessWindow : public backend::Window {
public:
    HeadlessWindow(Form& form, const Form* owner) : form(form)
    {
        world().windows[&form] = this;
        state.owner = owner ? owner->definition().name : "";
    }
    ~HeadlessWindow() override
    {
        world().windows.erase(&form);
        if (world().keyboard == &form)
            world().keyboard = nullptr;
    }
    // A window system gives the keyboard at once, and only to an enabled window.
    void show() override
    {
        state.shown = true;
        if (!state.enabled)
            return;
        headless::activate(form);
    }
    void moveControl(std::string_view control, int topPixels) override { state.tops[std::string(control)] = topPixels; }
    void focusControl(std::string_view control) override { state.focus = control; }
    void setEnabled(bool enabled) override { state.enabled = enabled; }
    void announce(const std::vector<a11y::Event>& events) override
    {
        const ListDef& list = form.definition().list;
        for (const a11y::Event& e : events)
            state.announced.push_back(
                std::string(e.kind == a11y::Event::Kind::Selection ? "selection " : "focus ") +
                (e.row >= 0 && std::size_t(e.row) < list.rows.size() ? list.rows[std::size_t(e.row)].name
                                                                      : std::string(list.name)));
    }

    Form& form;
    headless::WindowState state;
};

HeadlessWindow* windowOf(const Form& form)
{
    auto it = world().windows.find(&form);
    return it == world().windows.end() ? nullptr : it->second;
}

}  // namespace

namespace backend {

std::unique_ptr<Window> load(Form& form, const Form* owner)
{
    if (std::exchange(world().failLoad, false))
        return nullptr;
    return std::make_unique<HeadlessWindow>(form, owner);
}

void runModal(Form& form)
{
    form.loaded()->show();
    while (form.isLoaded() && !hasEnded()) {
        if (world().steps.empty() && world().otherwise) {
            world().otherwise();
            continue;
        }
        if (world().steps.empty()) {
            world().failures.push_back("the modal window " + std::string(form.definition().name) +
                                       " stayed open with nothing left to do");
            form.unload();
            break;
        }
        const std::function<void()> step = std::move(world().steps.front());
        world().steps.pop_front();
        step();
    }
}

void quit() {}

void errorReport(const std::string& message, const Form* owner)
{
    world().reports.push_back(message);
    world().reportOwners.push_back(owner ? std::string(owner->definition().name) : "");
}

}  // namespace backend

int run(int, char**, const Program& program)
{
    instance(program.startForm).show();
    return 0;
}

std::optional<std::string> SystemProcessStarter::start(const playdeck::LaunchCommand&)
{
    return "no programs are started without a window system";
}

std::string applicationDirectory()
{
#ifdef _WIN32
    return "C:\\Games\\PLAYDECK";
#else
    return "/opt/playdeck";
#endif
}

namespace headless {

const WindowState* state(const Form& form)
{
    const HeadlessWindow* w = windowOf(form);
    return w ? &w->state : nullptr;
}

Form* keyboardForm() { return world().keyboard; }

bool key(int keycode, int shift, bool autoRepeat, Form* to)
{
    Form* target = to ? to : world().keyboard;
    if (!target || !target->isLoaded())
        return false;
    if (windowOf(*target)->state.enabled)
        target->keyPress(keycode, shift, autoRepeat);
    return true;
}

void click(Form& form, std::string_view control)
{
    HeadlessWindow* w = windowOf(form);
    if (!w || !w->state.enabled || !w->state.shown)
        return;
    form.focusChanged(control);
    w->state.focus = form.focused();
    for (const ControlDef& c : form.definition().controls)
        if (c.name == control && c.kind == ControlKind::CommandButton)
            form.click(control);
}

void activate(Form& form)
{
    if (!windowOf(form))
        return;
    if (Form* previous = std::exchange(world().keyboard, &form); previous && previous != &form)
        previous->deactivated();
    form.activated();
}

void padPress(const pad::Press& press)
{
    Form* form = world().keyboard;
    if (!form)
        return;
    const pad::Command c = pad::commandFor(press.action, form);
    if (c.kind == pad::Command::Kind::Key)
        form->keyPress(c.keycode, c.shift ? kShiftMask : 0, press.autoRepeat);
    else if (c.kind == pad::Command::Kind::Close)
        form->userClose();
}

void then(std::function<void()> step) { world().steps.push_back(std::move(step)); }
void otherwise(std::function<void()> step) { world().otherwise = std::move(step); }
std::vector<std::string>& errorReports() { return world().reports; }
std::vector<std::string>& reportOwners() { return world().reportOwners; }
std::vector<std::string>& failures() { return world().failures; }
std::size_t stepsLeft()
{
    const std::size_t n = world().steps.size();
    world().steps.clear();
    return n;
}
void failNextLoad() { world().failLoad = true; }

}  // namespace headless

}  // namespace forms
