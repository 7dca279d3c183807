// Gamepad navigation, toolkit-neutral: what a pad press means in each kind of
// window, and the state machine that turns pad events into key presses
// (merging pads and sources, stick hysteresis, repeats, activation). The
// backends feed it from their pad API and deliver its presses as keys.
#pragma once

#include "definition.h"

#include <bitset>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

namespace forms {
class Form;
}

namespace forms::pad {

using Millis = std::int64_t;

// What the menu listens to on a pad. The face buttons are positional:
// South is the lower one, whatever it is labelled.
enum class Source { DpadUp, DpadDown, DpadLeft, DpadRight, StickUp, StickDown, South, East, Start, Count };
// What a pad asks for: one press per action, however many sources and pads
// hold it.
enum class Action { Up, Down, Left, Right, Accept, Back, Count };

inline constexpr Millis kFirstRepeat = 500;  // a held direction repeats after this
inline constexpr Millis kRepeatEvery = 150;  // and then this often
inline constexpr int kStickPressed = 20000;  // the stick presses beyond this
inline constexpr int kStickReleased = 12000; // and lets go below this

struct Press {
    Action action;
    bool autoRepeat;
    friend bool operator==(const Press&, const Press&) = default;
};

// Whether an input device has gamepad or joystick buttons, from the key
// capability bitmap Linux shows for it in sysfs (capabilities/key).
bool hasPadButtons(std::string_view keyCapabilities);

// What a press does in a window: a key, or closing the window as its close
// box would.
struct Command {
    enum class Kind { Nothing, Key, Close };
    Kind kind = Kind::Nothing;
    int keycode = 0;   // virtual-key number
    bool shift = false;
    friend bool operator==(const Command&, const Command&) = default;
};
// What a press does in the window with the keyboard: one of our forms, or a
// message box (null). The one place that decides it, for every backend.
Command commandFor(Action action, const Form* form);

// Pad events in, presses out. Pads are told apart by any number that stays
// the same while the pad is plugged in. Time only moves forward.
class Navigator {
public:
    // A pad arrives with these buttons down and its stick at `stickY`
    // (beyond kStickPressed it holds a direction). Whatever it already holds
    // is ignored until released.
    void padAdded(int pad, const std::vector<Source>& buttons, int stickY, Millis now);
    void padRemoved(int pad, Millis now);
    void button(int pad, Source source, bool down, Millis now);
    void stickY(int pad, int value, Millis now);  // negative is up
    // The program has the keyboard (true) or lost it. Losing it stops every
    // repeat; what is held when it comes back is ignored until released.
    void setActive(bool active, Millis now);

    // The presses since the last call, with the repeats due by `now`.
    std::vector<Press> take(Millis now);
    // Whether a repeat is pending, i.e. whether polling has to go on.
    bool repeating() const { return repeat_.has_value(); }

private:
    using Sources = std::bitset<std::size_t(Source::Count)>;
    struct Pad {
        Sources held, ignored;
    };
    struct Repeat {
        Action action;
        Millis due;
    };

    void set(Pad& pad, Source source, bool down);
    void update(Millis now);

    std::map<int, Pad> pads_;
    std::bitset<std::size_t(Action::Count)> pressed_;
    std::vector<Press> out_;
    std::optional<Repeat> repeat_;
    bool active_ = false;
};

}  // namespace forms::pad
