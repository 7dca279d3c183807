#include "about.h"

#include "credits.h"

#include <string>

namespace ui {

namespace {

// The blank runs start each sentence on a new line of the label.
std::string credits()
{
    return std::string("\"PLAYDECK\" is a program of ") + kMakerName + "." +
           " Games ,data ,sound ,emulation and video were made by " + kAuthorName + "." + std::string(76, ' ') +
           "\"NES\" (Nintendo Entertainment System) is a trademark of Nintendo of America and Japan." +
           std::string(123, ' ') + "Feel free to send me questions ,requests and any thing on my E-Mail :" +
           std::string(38, ' ') + kContactAddress;
}

}  // namespace

forms::WindowDef aboutDefinition()
{
    using K = forms::ControlKind;
    return {
        .name = "About",
        .caption = "About PLAYDECK",
        .backColour = 0x00000000,
        .border = forms::BorderStyle::FixedSingle,
        .icon = "app_icon",
        .client = {2340, 1980, 4680, 3195},
        .controls = {
            {.kind = K::PictureBox, .name = "Picture1", .picture = "about_football", .accessibleName = "PLAYDECK football match", .rect = {3120, 0, 1545, 1005}, .tabIndex = 0},
            {.kind = K::Label, .name = "Label1", .text = credits(), .rect = {0, 0, 3015, 2175}, .tabIndex = 1, .foreColour = 0x0000FFFF, .transparent = true},
            {.kind = K::PictureBox, .name = "Picture2", .picture = "title_contra", .accessibleName = "Contra soldier", .rect = {3480, 1320, 660, 930}, .tabIndex = 2},
            {.kind = K::CommandButton, .name = "Command1", .text = "OK", .rect = {1800, 2520, 1095, 495}, .tabIndex = 3},
        },
    };
}

About::About() : Form(aboutDefinition())
{
    onClick("Command1", [this] { Command1_Click(); });
}

void About::Command1_Click()
{
    unload();
}

}  // namespace ui
