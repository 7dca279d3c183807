// The part-selection dialogs: one button per part of a game.
#pragma once

#include "forms.h"

#include <string_view>

namespace ui {

// The definition of one dialog, built from its row and the catalogue's parts.
forms::WindowDef partDialogDefinition(std::string_view name);

class PartDialog : public forms::Form {
public:
    explicit PartDialog(std::string_view name);

    // One handler per button, all alike: start the part, then unload.
    void Command1_Click() { partClicked(0); }
    void Command2_Click() { partClicked(1); }
    void Command3_Click() { partClicked(2); }

private:
    void partClicked(std::size_t index);
};

// Registers turtles, tsubasa, gaiden, contra and duckt.
void registerPartDialogs();

}  // namespace ui
