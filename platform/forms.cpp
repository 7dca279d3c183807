// A form of the runtime: its window loaded from the definition and unloaded,
// its controls' tops, which control has the focus, where each key press goes,
// and what assistive technology is told of its list. What the program's
// windows decide together (modality, the keyboard's return) is program.cpp's.
#include "forms.h"

#include "accessibility.h"
#include "backend.h"
#include "definition.h"
#include "program.h"

#include <algorithm>

namespace forms {

using program::registry;
using program::Registry;

namespace {

bool isArrow(int key) { return key >= vk::Left && key <= vk::Down; }

}  // namespace

Form::Form(WindowDef definition) : def_(std::move(definition)), tabStops_(tabStops(def_)) {}

Form::~Form() = default;

bool Form::load(const Form* owner)
{
    if (window_)
        return true;
    tops_.clear();
    for (const ControlDef& c : def_.controls)
        tops_[std::string(c.name)] = float(c.rect.top);
    focus_ = tabStops_.empty() ? std::string() : std::string(tabStops_.front()->name);
    window_ = backend::load(*this, owner);
    if (!window_) {
        errorReport("Cannot create the window \"" + std::string(def_.caption) + "\".");
        return false;
    }
    window_->setEnabled(!blocked());
    if (!focus_.empty())
        window_->focusControl(focus_);
    return true;
}

void Form::show()
{
    if (!registry().ended && load(nullptr))
        window_->show();
}

void Form::unload()
{
    if (!window_)
        return;
    Registry& r = registry();
    ++r.changes;
    if (r.keyboard == this)
        r.keyboard = nullptr;
    // A modal window lets go of the others before it goes, so that one of
    // them can take the keyboard.
    if (auto it = std::find(r.modals.begin(), r.modals.end(), this); it != r.modals.end()) {
        r.modals.erase(it);
        program::updateEnabled();
    }
    // Gone from the form first: whatever runs while the window goes sees the
    // form unloaded.
    std::unique_ptr<backend::Window> window = std::move(window_);
}

float Form::top(std::string_view name) const
{
    auto it = tops_.find(name);
    return it == tops_.end() || !window_ ? 0.0f : it->second;
}

void Form::setTop(std::string_view name, float twips)
{
    auto it = tops_.find(name);
    if (it == tops_.end() || !window_)
        return;
    if (previewing_ && it->second != twips)
        movedByPreview_ = name;
    const bool moved = it->second != twips;
    it->second = twips;
    window_->moveControl(name, pixels(twips));
    if (moved && name == def_.list.cursor)
        tell(a11y::Change::CursorMoved);
}

void Form::tell(a11y::Change change)
{
    if (std::vector<a11y::Event> events = a11y::eventsFor(*this, change); !events.empty())
        window_->announce(events);
}

const ControlDef* Form::focusedControl() const
{
    for (const ControlDef* c : tabStops_)
        if (c->name == focus_)
            return c;
    return nullptr;
}

bool Form::isTabStop(std::string_view control) const
{
    return std::any_of(tabStops_.begin(), tabStops_.end(), [&](const ControlDef* c) { return c->name == control; });
}

void Form::setFocus(std::string_view control)
{
    if (!window_ || !isTabStop(control))
        return;
    const bool toCursor = control == def_.list.cursor && focus_ != control;
    focus_ = control;
    window_->focusControl(focus_);
    if (toCursor)
        tell(a11y::Change::CursorFocused);
}

void Form::tab(int step)
{
    const int n = int(tabStops_.size());
    if (n == 0)
        return;
    int i = n;
    for (int k = 0; k < n; ++k)
        if (tabStops_[k]->name == focus_)
            i = k;
    i = i == n ? (step > 0 ? 0 : n - 1) : (i + step + n) % n;
    setFocus(tabStops_[i]->name);
}

bool Form::keyPress(int key, int shift, bool autoRepeat)
{
    const Registry& r = registry();
    if (r.ended || !window_ || blocked())
        return true;
    const bool alt = shift & kAltMask, ctrl = shift & kCtrlMask;
    if (def_.keyPreview) {
        int code = key;
        movedByPreview_.clear();
        previewing_ = true;
        const unsigned long before = r.changes;
        keyDown(code, shift, autoRepeat);
        previewing_ = false;
        // The handler may have shown a modal window (which may have come and
        // gone by now), unloaded a window or ended the program: the key is
        // spent then.
        if (r.ended || !window_ || blocked() || r.changes != before)
            return true;
        // An arrow that moved a control the keyboard can be on moves the
        // keyboard with it, so that what has the focus is what Enter acts on.
        if (isArrow(key) && !movedByPreview_.empty() && isTabStop(movedByPreview_))
            setFocus(movedByPreview_);
        if (code == 0)
            return true;
    }
    if (key == vk::Tab && !alt && !ctrl) {
        tab(shift & kShiftMask ? -1 : 1);
        return true;
    }
    if (alt && !ctrl && ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))) {
        for (const ControlDef* c : tabStops_)
            if (c->kind == ControlKind::CommandButton && accessKey(c->text) == key) {
                setFocus(c->name);
                if (!autoRepeat)
                    click(c->name);
                break;
            }
        return true;
    }
    const ControlDef* focused = focusedControl();
    if ((key == vk::Enter || key == vk::Space) && !alt && focused && focused->kind == ControlKind::CommandButton) {
        if (!autoRepeat)
            click(focused->name);
        return true;
    }
    // Escape is the one way out of a window without a border or a button to
    // close it.
    if (key == vk::Escape && def_.border == BorderStyle::None) {
        if (!autoRepeat)
            unload();
        return true;
    }
    if (isArrow(key) && !alt) {
        // The key preview owns the arrows of its window; elsewhere they walk
        // the tab stops as Tab and Shift+Tab do.
        if (!def_.keyPreview)
            tab(key == vk::Up || key == vk::Left ? -1 : 1);
        return true;
    }
    return false;
}

void Form::focusChanged(std::string_view control)
{
    if (!window_ || blocked() || !isTabStop(control) || control == focus_)
        return;
    focus_ = control;
    if (control == def_.list.cursor)
        tell(a11y::Change::CursorFocused);
}

void Form::activated()
{
    Registry& r = registry();
    if (r.ended || !window_)
        return;
    if (blocked()) {
        // The keyboard never stays on a blocked window: the modal window in
        // front takes it (a message box is brought forward by its own system).
        for (auto it = r.modals.rbegin(); it != r.modals.rend(); ++it)
            if (*it && (*it)->window_) {
                (*it)->window_->show();
                break;
            }
        return;
    }
    // Activated again while it kept the keyboard (a window system may say
    // so twice): nothing new to tell.
    const bool arrived = r.keyboard != this;
    r.keyboard = this;
    if (focus_.empty())
        return;
    window_->focusControl(focus_);
    if (arrived && focus_ == def_.list.cursor)
        tell(a11y::Change::CursorFocused);
}

void Form::deactivated()
{
    if (registry().keyboard == this)
        registry().keyboard = nullptr;
}

void Form::onClick(std::string_view control, Handler handler)
{
    clicks_[std::string(control)] = std::move(handler);
}

void Form::keyDown(int&, int, bool) {}

void Form::userClose()
{
    if (registry().ended || !window_ || blocked())
        return;
    unloading();
    unload();
}

void Form::click(std::string_view control)
{
    if (registry().ended || !window_ || blocked())
        return;
    auto it = clicks_.find(control);
    if (it != clicks_.end())
        it->second();
}

}  // namespace forms
