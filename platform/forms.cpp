#include "forms.h"

#include "backend.h"
#include "definition.h"

#include <cstdio>
#include <cstdlib>

namespace forms {

namespace {

struct Registry {
    std::map<std::string, FormFactory, std::less<>> factories;
    std::map<std::string, std::unique_ptr<Form>, std::less<>> instances;
    bool ended = false;
};

Registry& registry()
{
    static Registry r;
    return r;
}

}  // namespace

Form::Form(WindowDef definition) : def_(std::move(definition)) {}

Form::~Form() = default;

void Form::load()
{
    if (window_)
        return;
    tops_.clear();
    for (const ControlDef& c : def_.controls)
        tops_[std::string(c.name)] = float(c.rect.top);
    window_ = backend::load(*this);
}

void Form::show()
{
    load();
    window_->show();
}

void Form::showModal()
{
    load();
    backend::runModal(*this);
}

void Form::unload()
{
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
    it->second = twips;
    window_->moveControl(name, pixels(twips));
}

void Form::onClick(std::string_view control, Handler handler)
{
    clicks_[std::string(control)] = std::move(handler);
}

void Form::keyDown(int&, int, bool) {}

bool Form::previewKey(int keycode, int shift, bool autoRepeat)
{
    if (!def_.keyPreview || !window_ || registry().ended)
        return false;
    const int original = keycode;
    keyDown(keycode, shift, autoRepeat);
    return original != 0 && keycode == 0;
}

bool Form::unhandledKey(int keycode, bool autoRepeat)
{
    // Escape is the one way out of a window without a border or a button to
    // close it; nothing else happens on the way.
    if (keycode == vk::Escape && !autoRepeat && def_.border == BorderStyle::None && window_ && !registry().ended) {
        unload();
        return true;
    }
    return false;
}

void Form::userClose()
{
    if (registry().ended || !window_)
        return;
    unloading();
    unload();
}

void Form::click(std::string_view control)
{
    if (registry().ended)
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
}

void end()
{
    Registry& r = registry();
    if (r.ended)
        return;
    r.ended = true;
    for (auto& [name, form] : r.instances)
        form->unload();
    backend::quit();
}

bool hasEnded() { return registry().ended; }
void resetEnded() { registry().ended = false; }

void errorReport(const std::string& message)
{
    backend::errorReport(message);
}

}  // namespace forms
