#include "dialogs.h"

#include "app.h"
#include "catalogue.h"

#include <array>

namespace ui {

namespace {

struct DialogRow {
    std::string_view name;
    std::string_view caption;
    forms::Colour background;
    forms::Rect client;
    int buttonWidth;
};

constexpr std::array<DialogRow, 5> kDialogs{{
    {"turtles", "Teenage Mutant Ninja Turtles", 0x00FFFFFF, {3135, 2475, 2775, 1290}, 2535},
    {"tsubasa", "Captain Tsubasa", forms::kButtonFace, {3555, 2880, 2775, 855}, 2535},
    {"gaiden", "Ninja Gaiden", forms::kButtonFace, {3750, 2880, 2550, 870}, 2295},
    {"contra", "Contra", forms::kButtonFace, {3555, 2670, 2550, 855}, 2295},
    {"duckt", "Duck Tales", forms::kButtonFace, {3345, 2880, 2550, 870}, 2295},
}};

// Buttons stack from the top in steps of 360 twips.
constexpr int kButtonLeft = 120, kButtonTop = 120, kButtonStep = 360, kButtonHeight = 255;

const DialogRow& row(std::string_view name)
{
    for (const DialogRow& r : kDialogs)
        if (r.name == name)
            return r;
    return kDialogs.front();
}

}  // namespace

forms::WindowDef partDialogDefinition(std::string_view name)
{
    const DialogRow& r = row(name);
    forms::WindowDef def{
        .name = r.name,
        .caption = r.caption,
        .backColour = r.background,
        .border = forms::BorderStyle::None,
        .client = r.client,
    };
    int i = 0;
    for (const playdeck::GamePart& part : playdeck::partsOf(r.name)) {
        def.controls.push_back({
            .kind = forms::ControlKind::CommandButton,
            .name = part.button,
            .text = std::string(part.caption),
            .rect = {kButtonLeft, kButtonTop + kButtonStep * i, r.buttonWidth, kButtonHeight},
            .tabIndex = i,
        });
        ++i;
    }
    return def;
}

PartDialog::PartDialog(std::string_view name) : Form(partDialogDefinition(name))
{
    onClick("Command1", [this] { Command1_Click(); });
    onClick("Command2", [this] { Command2_Click(); });
    onClick("Command3", [this] { Command3_Click(); });
}

void PartDialog::partClicked(std::size_t index)
{
    const auto list = playdeck::partsOf(definition().name);
    if (index >= list.size())
        return;
    launch(list[index].tail);
    unload();
}

void registerPartDialogs()
{
    for (const DialogRow& r : kDialogs) {
        const std::string_view name = r.name;
        forms::registerForm(name, [name] { return std::make_unique<PartDialog>(name); });
    }
}

}  // namespace ui
