// Cursor stepping of the main menu: what one key press does, as a pure function
// of the key and the cursor's current top coordinate.
#pragma once

#include "keys.h"

#include <string_view>

namespace playdeck {

struct MenuAction {
    enum class Kind { None, ShowDialog, Launch };
    Kind kind = Kind::None;
    std::string_view target;  // dialog window name, or launch tail

    friend bool operator==(const MenuAction&, const MenuAction&) = default;
};

struct MenuStep {
    float top;           // the cursor's new top coordinate (twips)
    MenuAction action;   // what Enter asks for; None for every other key
};

// Down and Up step by one stop and wrap at the ends; Enter acts on the entry at
// the cursor. A cursor off every stop steps without wrapping and Enter does
// nothing. An auto-repeated Enter (a held key) does nothing, so holding Enter
// cannot start a pile of emulators; held arrows keep stepping.
MenuStep menuKey(int keycode, float top, bool autoRepeat = false);

}  // namespace playdeck
