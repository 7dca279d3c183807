#include "forms.h"

#include "backend.h"
#include "definition.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwctype>

namespace forms {

namespace {

struct Registry {
    std::map<std::string, FormFactory, std::less<>> factories;
    std::map<std::string, std::unique_ptr<Form>, std::less<>> instances;
    // The modal windows showing, the front one last; null for a message box.
    std::vector<const Form*> modals;
    bool ended = false;
};

Registry& registry()
{
    static Registry r;
    return r;
}

bool isArrow(int key) { return key >= vk::Left && key <= vk::Down; }

// The upper-case letter or digit after the "&" of a caption, 0 for none.
int accessKeyOf(std::string_view caption)
{
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] != '&')
            return std::towupper(static_cast<unsigned char>(caption[i + 1]));
        ++i;
    }
    return 0;
}

// Windows a modal one no longer blocks take input again.
void enableUnblocked()
{
    for (auto& [name, form] : registry().instances)
        if (form->loaded() && !form->blocked())
            form->loaded()->setEnabled(true);
}

// While a modal window or message box is up, every other window is blocked.
class ModalScope {
public:
    explicit ModalScope(const Form* front) : front_(front)
    {
        registry().modals.push_back(front);
        for (auto& [name, form] : registry().instances)
            if (form.get() != front && form->loaded())
                form->loaded()->setEnabled(false);
    }
    ~ModalScope()
    {
        auto& modals = registry().modals;
        if (auto it = std::find(modals.begin(), modals.end(), front_); it != modals.end())
            modals.erase(it);
        enableUnblocked();
    }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    const Form* front_;
};

}  // namespace

Form::Form(WindowDef definition) : def_(std::move(definition)), tabStops_(tabStops(def_)) {}

Form::~Form() = default;

bool Form::load()
{
    if (window_)
        return true;
    tops_.clear();
    for (const ControlDef& c : def_.controls)
        tops_[std::string(c.name)] = float(c.rect.top);
    focus_ = tabStops_.empty() ? std::string() : std::string(tabStops_.front()->name);
    window_ = backend::load(*this);
    if (!window_) {
        errorReport("Cannot create the window \"" + std::string(def_.caption) + "\".");
        return false;
    }
    if (blocked())
        window_->setEnabled(false);
    if (!focus_.empty())
        window_->focusControl(focus_);
    return true;
}

void Form::show()
{
    if (!registry().ended && load())
        window_->show();
}

void Form::showModal()
{
    if (registry().ended || !load())
        return;
    // Shown modally already: brought forward, with no second loop on it.
    const auto& modals = registry().modals;
    if (std::find(modals.begin(), modals.end(), this) != modals.end()) {
        window_->show();
        return;
    }
    const ModalScope modal(this);
    backend::runModal(*this);
}

void Form::unload()
{
    if (!window_)
        return;
    // A modal window lets go of the others before it goes, so that one of
    // them can take the keyboard.
    auto& modals = registry().modals;
    if (auto it = std::find(modals.begin(), modals.end(), this); it != modals.end()) {
        modals.erase(it);
        enableUnblocked();
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
        window_->announceSelection();
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
    focus_ = control;
    window_->focusControl(focus_);
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

bool Form::blocked() const
{
    const auto& modals = registry().modals;
    return !modals.empty() && modals.back() != this;
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
        keyDown(code, shift, autoRepeat);
        previewing_ = false;
        // The handler may have unloaded the window, ended the program or
        // shown a modal window that has come and gone: the key is spent then.
        if (r.ended || !window_ || blocked())
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
            if (c->kind == ControlKind::CommandButton && accessKeyOf(c->text) == key) {
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
    if (window_ && !blocked() && isTabStop(control))
        focus_ = control;
}

void Form::activated()
{
    const Registry& r = registry();
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
    if (!focus_.empty())
        window_->focusControl(focus_);
    if (!focus_.empty() && focus_ == def_.list.cursor)
        window_->announceSelection();
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

void registerForm(std::string_view name, FormFactory factory)
{
    registry().factories[std::string(name)] = std::move(factory);
}

Form& instance(std::string_view name)
{
    Registry& r = registry();
    auto it = r.instances.find(name);
    if (it == r.instances.end()) {
        auto factory = r.factories.find(name);
        if (factory == r.factories.end()) {
            std::fprintf(stderr, "no window kind named %.*s\n", int(name.size()), name.data());
            std::abort();
        }
        it = r.instances.emplace(std::string(name), factory->second()).first;
    }
    return *it->second;
}

void showModal(std::string_view name)
{
    instance(name).showModal();
}

void destroyInstances()
{
    registry().instances.clear();
    registry().modals.clear();
}

void end()
{
    Registry& r = registry();
    if (r.ended)
        return;
    r.ended = true;
    for (auto& [name, form] : r.instances)
        form->unload();
    r.modals.clear();
    backend::quit();
}

bool hasEnded() { return registry().ended; }
void resetEnded() { registry().ended = false; }

void errorReport(const std::string& message)
{
    const ModalScope modal(nullptr);
    backend::errorReport(message);
}

}  // namespace forms
