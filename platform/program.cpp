// The program's windows together: one instance per window kind, modality
// (what a modal window blocks, whom it belongs to, who gets the keyboard back
// after it), the error report, and the end. The routing of a form's own
// events is forms.cpp's.
#include "program.h"

#include "backend.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace forms {

namespace program {

Registry& registry()
{
    static Registry r;
    return r;
}

void updateEnabled()
{
    for (auto& [name, form] : registry().instances)
        if (form->loaded())
            form->loaded()->setEnabled(!form->blocked());
}

ModalScope::ModalScope(const Form* front) : front_(front), previous_(registry().keyboard), owner_(previous_)
{
    Registry& r = registry();
    if (!owner_ || owner_ == front)
        owner_ = r.modals.empty() ? nullptr : r.modals.back();
    r.modals.push_back(front);
    ++r.changes;
    updateEnabled();
}

ModalScope::~ModalScope()
{
    auto& modals = registry().modals;
    if (auto it = std::find(modals.begin(), modals.end(), front_); it != modals.end())
        modals.erase(it);
    updateEnabled();
    // Still there, and not blocked by another modal window meanwhile.
    if (previous_ && previous_ != front_ && previous_->loaded() && !previous_->blocked() && !hasEnded())
        previous_->loaded()->show();
}

}  // namespace program

using program::registry;
using program::Registry;

void Form::showModal()
{
    const Registry& r = registry();
    if (r.ended)
        return;
    // Shown modally already: brought forward, with no second loop on it.
    if (std::find(r.modals.begin(), r.modals.end(), this) != r.modals.end()) {
        if (window_)
            window_->show();
        return;
    }
    // In front of the others from the start, so that it is loaded enabled
    // however deep it is opened.
    const program::ModalScope modal(this);
    if (load(modal.owner()))
        backend::runModal(*this);
}

bool Form::blocked() const
{
    const auto& modals = registry().modals;
    return !modals.empty() && modals.back() != this;
}

bool Form::hasKeyboard() const
{
    return window_ && registry().keyboard == this;
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
    registry().keyboard = nullptr;
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
    const program::ModalScope modal(nullptr);
    backend::errorReport(message, modal.owner());
}

void assistiveTechnologyStarted()
{
    Form* form = registry().keyboard;
    if (form && form->isLoaded() && !form->blocked() && form->focused() == form->definition().list.cursor) {
        form->deactivated();  // nothing reached the listener: the keyboard arrives for it now
        form->activated();
    }
}

}  // namespace forms
