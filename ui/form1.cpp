#include "form1.h"

#include "accessibility.h"
#include "app.h"
#include "catalogue.h"
#include "menu.h"

#include <algorithm>

namespace ui {

using forms::ControlKind;

namespace {

const forms::FontSpec kTitleFont{"MS Sans Serif", 9.75, 700, false, 178};

std::string title(int k) { return std::string(playdeck::entries()[k].title); }
std::string details(int k) { return std::string(playdeck::entries()[k].details); }

// A title's details in words: "Tecmo 1988 / 1990, rating 5 of 5, 2 parts".
std::string spokenDetails(const playdeck::Entry& e)
{
    const std::string_view all = e.details;
    const std::size_t rating = all.find("Rating :");
    std::string words = forms::a11y::spoken(all.substr(0, rating));
    if (rating != std::string_view::npos) {
        const auto stars = std::count(all.begin() + std::ptrdiff_t(rating), all.end(), 'X');
        words += ", rating " + std::to_string(stars) + " of 5";
    }
    if (const std::size_t parts = playdeck::partsOf(e.dialog).size(); parts > 1)
        words += ", " + std::to_string(parts) + " parts";
    return words;
}

// The six titles as one list of games, the cursor's row selected.
forms::ListDef gamesList()
{
    forms::ListDef list{.name = "Games", .cursor = "Cur",
                        .covers = {"Cur", "Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label7",
                                   "Label8", "Label9", "Label10", "Label11", "Label12"}};
    for (const playdeck::Entry& e : playdeck::entries())
        list.rows.push_back({std::string(e.title), spokenDetails(e), e.stop, {120, int(e.stop), 4440, 840}});
    return list;
}

}  // namespace

forms::WindowDef form1Definition()
{
    using K = ControlKind;
    return {
        .name = "Form1",
        .caption = "PLAYDECK",
        .backColour = 0x00FFFFFF,
        .border = forms::BorderStyle::FixedSingle,
        .icon = "app_icon",
        .keyPreview = true,
        .client = {2340, 945, 4680, 5610},
        .controls = {
            {.kind = K::PictureBox, .name = "Cur", .picture = "cursor_arrow", .rect = {120, 120, 240, 195}, .tabIndex = 0},
            {.kind = K::Label, .name = "Label1", .text = title(0), .rect = {480, 120, 4095, 255}, .tabIndex = 1, .font = &kTitleFont, .transparent = true},
            {.kind = K::Label, .name = "Label2", .text = title(1), .rect = {480, 960, 4095, 255}, .tabIndex = 2, .font = &kTitleFont, .transparent = true},
            {.kind = K::Label, .name = "Label3", .text = title(2), .rect = {480, 1800, 4095, 255}, .tabIndex = 3, .font = &kTitleFont, .transparent = true},
            {.kind = K::Label, .name = "Label4", .text = title(3), .rect = {480, 2640, 4095, 255}, .tabIndex = 4, .font = &kTitleFont, .transparent = true},
            {.kind = K::Label, .name = "Label5", .text = title(4), .rect = {480, 3480, 4095, 255}, .tabIndex = 5, .font = &kTitleFont, .transparent = true},
            {.kind = K::Label, .name = "Label6", .text = title(5), .rect = {480, 4320, 4095, 255}, .tabIndex = 6, .font = &kTitleFont, .transparent = true},
            {.kind = K::Label, .name = "Label7", .text = details(0), .rect = {480, 360, 1575, 615}, .tabIndex = 7, .transparent = true},
            {.kind = K::Label, .name = "Label8", .text = details(1), .rect = {480, 1200, 1575, 615}, .tabIndex = 8, .transparent = true},
            {.kind = K::Label, .name = "Label9", .text = details(2), .rect = {480, 2040, 1575, 615}, .tabIndex = 9, .transparent = true},
            {.kind = K::Label, .name = "Label10", .text = details(3), .rect = {480, 2880, 1575, 615}, .tabIndex = 10, .transparent = true},
            {.kind = K::Label, .name = "Label11", .text = details(4), .rect = {480, 3720, 1575, 615}, .tabIndex = 11, .transparent = true},
            {.kind = K::Label, .name = "Label12", .text = details(5), .rect = {480, 4560, 1575, 615}, .tabIndex = 12, .transparent = true},
            {.kind = K::Image, .name = "Image1", .picture = "title_turtles", .rect = {3600, 120, 735, 855}, .stretch = true},
            {.kind = K::Image, .name = "Image2", .picture = "title_tsubasa", .rect = {3600, 960, 735, 855}, .stretch = true},
            {.kind = K::Image, .name = "Image5", .picture = "title_gaiden", .rect = {3600, 1800, 735, 855}, .stretch = true},
            {.kind = K::Image, .name = "Image3", .picture = "title_contra", .rect = {3600, 2640, 735, 855}, .stretch = true},
            {.kind = K::Image, .name = "Image6", .picture = "title_island", .rect = {3600, 3480, 735, 855}, .stretch = true},
            {.kind = K::Image, .name = "Image4", .picture = "title_duckt", .rect = {3600, 4320, 735, 735}, .stretch = true},
            {.kind = K::Line, .name = "Line1", .rect = {480, 960, 4080, 0}},
            {.kind = K::Line, .name = "Line2", .rect = {480, 1800, 4080, 0}},
            {.kind = K::Line, .name = "Line3", .rect = {480, 2640, 4080, 0}},
            {.kind = K::Line, .name = "Line4", .rect = {480, 3480, 4080, 0}},
            {.kind = K::Line, .name = "Line5", .rect = {480, 4320, 4080, 0}},
            {.kind = K::CommandButton, .name = "Command1", .text = "E&xit", .rect = {3120, 5040, 1215, 495}, .tabIndex = 13},
            {.kind = K::CommandButton, .name = "Command2", .text = "&About", .rect = {1680, 5040, 1215, 495}, .tabIndex = 14},
            {.kind = K::CommandButton, .name = "Command3", .text = "&Help", .rect = {240, 5040, 1215, 495}, .tabIndex = 15},
        },
        .list = gamesList(),
    };
}

Form1::Form1() : Form(form1Definition())
{
    onClick("Command1", [this] { Command1_Click(); });
    onClick("Command2", [this] { Command2_Click(); });
    onClick("Command3", [this] { Command3_Click(); });
}

void Form1::form_keydown(int& keycode, int /*shift*/, bool autoRepeat)
{
    const playdeck::MenuStep step = playdeck::menuKey(keycode, top("Cur"), autoRepeat);
    setTop("Cur", step.top);
    // Enter belongs to the menu: a focused button is not clicked by it too.
    if (keycode == playdeck::vk::Enter)
        keycode = 0;
    switch (step.action.kind) {
    case playdeck::MenuAction::Kind::ShowDialog:
        forms::showModal(step.action.target);
        break;
    case playdeck::MenuAction::Kind::Launch:
        launch(step.action.target);
        break;
    case playdeck::MenuAction::Kind::None:
        break;
    }
}

void Form1::form_unload()
{
    forms::end();
}

void Form1::Command1_Click()
{
    forms::end();
}

void Form1::Command2_Click()
{
    forms::showModal("About");
}

void Form1::Command3_Click()
{
    forms::showModal("hlpfrm");
}

}  // namespace ui
