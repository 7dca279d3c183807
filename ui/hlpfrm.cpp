#include "hlpfrm.h"

#include "credits.h"

#include <string>

namespace ui {

namespace {

// The blank runs start each sentence on a new line of the label.
std::string introduction()
{
    return std::string("Use the arrow in the menu to choose your favourite game.") + std::string(10, ' ') +
           "If there are parts of a game ,you will choose the part you want." + std::string(4, ' ') +
           "If you have any question E-Mail me for now :" + std::string(62, ' ') + kContactAddress;
}

}  // namespace

forms::WindowDef hlpfrmDefinition()
{
    using K = forms::ControlKind;
    return {
        .name = "hlpfrm",
        .caption = "Quick Help",
        .border = forms::BorderStyle::FixedSingle,
        .icon = "app_icon",
        .client = {2550, 2175, 4425, 3345},
        .controls = {
            {.kind = K::Label, .name = "Label1", .text = introduction(), .rect = {0, 0, 4575, 855}, .tabIndex = 0},
            {.kind = K::Label, .name = "Label2", .text = "To jump press ( Z ) ->", .rect = {600, 960, 1575, 255}, .tabIndex = 2},
            {.kind = K::Image, .name = "Image1", .picture = "key_z", .accessibleName = "Z key", .rect = {3240, 960, 360, 330}},
            {.kind = K::Label, .name = "Label3", .text = "To hit press ( X ) ->", .rect = {600, 1440, 1575, 255}, .tabIndex = 3},
            {.kind = K::Image, .name = "Image2", .picture = "key_x", .accessibleName = "X key", .rect = {3240, 1440, 360, 330}},
            {.kind = K::Label, .name = "Label4", .text = "To start press (Enter) ->", .rect = {600, 1920, 2175, 255}, .tabIndex = 4},
            {.kind = K::Image, .name = "Image3", .picture = "key_enter", .accessibleName = "Enter key", .rect = {3240, 1920, 360, 330}},
            {.kind = K::Label, .name = "Label5", .text = "To select press (Shift) ->", .rect = {600, 2400, 2175, 255}, .tabIndex = 5},
            {.kind = K::Image, .name = "Image4", .picture = "key_shift", .accessibleName = "Shift key", .rect = {3240, 2400, 360, 330}},
            {.kind = K::CommandButton, .name = "Command1", .text = "OK", .rect = {1680, 2760, 855, 495}, .tabIndex = 1},
        },
    };
}

hlpfrm::hlpfrm() : Form(hlpfrmDefinition())
{
    onClick("Command1", [this] { Command1_Click(); });
}

void hlpfrm::Command1_Click()
{
    unload();
}

}  // namespace ui
