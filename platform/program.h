// Inside the runtime: the program's windows together (program.cpp). One
// instance per window kind, the modal windows in front, the window the
// keyboard was given to, and the count of changes a key handler can make.
// forms.cpp's Form and program.cpp share it; nothing else includes it.
#pragma once

#include "forms.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace forms::program {

struct Registry {
    std::map<std::string, FormFactory, std::less<>> factories;
    std::map<std::string, std::unique_ptr<Form>, std::less<>> instances;
    // The modal windows showing, the front one last; null for a message box.
    std::vector<const Form*> modals;
    Form* keyboard = nullptr;  // the window the keyboard was last given to
    // Counts modal windows shown and windows unloaded: a key handler that
    // changed it has spent the key.
    unsigned long changes = 0;
    bool ended = false;
};
Registry& registry();

// Every loaded window takes input exactly when no modal window blocks it.
void updateEnabled();

// A modal window or message box showing: every other window is blocked. It
// belongs to the window that had the keyboard (else to the modal window in
// front), and once it is gone that window gets the keyboard back.
class ModalScope {
public:
    explicit ModalScope(const Form* front);
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

    const Form* owner() const { return owner_; }

private:
    const Form* front_;
    Form* previous_;
    const Form* owner_;
};

}  // namespace forms::program
