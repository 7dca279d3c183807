#include "gamepad.h"

#include "forms.h"

#include <array>
#include <charconv>
#include <utility>

namespace forms::pad {

namespace {

// The windows as a pad sees them.
enum class WindowKind {
    MenuOnCursor,  // the key-preview menu, its cursor has the focus
    MenuOnButton,  // the same menu, one of its buttons has the focus
    Dialog,        // borderless dialogs and message boxes: Escape leaves
    Page,          // framed windows with an OK button: closing is their way out
};

constexpr Command key(int keycode, bool shift = false) { return {Command::Kind::Key, keycode, shift}; }
constexpr Command kNothing{};
constexpr Command kClose{Command::Kind::Close};
constexpr Command kPrevious = key(vk::Tab, true);
constexpr Command kNext = key(vk::Tab);

// Every pad action in every kind of window, in one place. The menu's buttons
// have their tab order from right to left (Exit, About, Help), so Shift+Tab
// walks the row rightwards on screen, from the cursor to Help, About, Exit and
// round to the cursor again, and Tab walks it leftwards.
struct Row {
    Action action;
    bool repeats;
    std::array<Command, 4> in;  // by WindowKind
};
constexpr std::array<Row, std::size_t(Action::Count)> kMapping{{
    //                       menu, cursor     menu, button     dialog            page
    {Action::Up, true,      {key(vk::Up),    key(vk::Up),     kPrevious,        kPrevious}},
    {Action::Down, true,    {key(vk::Down),  key(vk::Down),   kNext,            kNext}},
    {Action::Left, true,    {kNext,          kNext,           kPrevious,        kPrevious}},
    {Action::Right, true,   {kPrevious,      kPrevious,       kNext,            kNext}},
    {Action::Accept, false, {key(vk::Enter), key(vk::Space),  key(vk::Space),   key(vk::Space)}},
    {Action::Back, false,   {kNothing,       kNothing,        key(vk::Escape),  kClose}},
}};

constexpr std::array<Action, std::size_t(Source::Count)> kActionOf{
    Action::Up, Action::Down, Action::Left, Action::Right,  // D-pad
    Action::Up, Action::Down,                               // left stick, vertical
    Action::Accept, Action::Back, Action::Accept,           // South, East, Start
};

WindowKind windowKind(const WindowDef& def, bool buttonHasFocus)
{
    if (def.keyPreview)
        return buttonHasFocus ? WindowKind::MenuOnButton : WindowKind::MenuOnCursor;
    return def.border == BorderStyle::None ? WindowKind::Dialog : WindowKind::Page;
}

Command command(Action action, WindowKind window)
{
    return kMapping[std::size_t(action)].in[std::size_t(window)];
}

}  // namespace

bool hasPadButtons(std::string_view caps)
{
    // Hexadecimal words of a long each, the highest first.
    std::vector<unsigned long> words;
    while (!caps.empty()) {
        const std::size_t start = caps.find_first_not_of(' ');
        if (start == caps.npos)
            break;
        caps.remove_prefix(start);
        unsigned long word = 0;
        const auto [end, error] = std::from_chars(caps.data(), caps.data() + caps.size(), word, 16);
        if (error != std::errc())
            return false;
        words.insert(words.begin(), word);
        caps.remove_prefix(std::size_t(end - caps.data()));
    }
    // The joystick block (BTN_TRIGGER 0x120 on) and the gamepad block (BTN_SOUTH
    // 0x130 to 0x13e).
    constexpr unsigned bits = sizeof(unsigned long) * 8;
    for (unsigned code = 0x120; code <= 0x13e; ++code)
        if (code / bits < words.size() && (words[code / bits] >> (code % bits)) & 1)
            return true;
    return false;
}

Command commandFor(Action action, const Form* form)
{
    if (!form)
        return command(action, WindowKind::Dialog);
    const ControlDef* focused = form->focusedControl();
    return command(action, windowKind(form->definition(), focused && focused->kind == ControlKind::CommandButton));
}

void Navigator::padAdded(int pad, const std::vector<Source>& buttons, int stickY, Millis now)
{
    Pad& p = pads_[pad] = {};
    for (Source s : buttons)
        p.held.set(std::size_t(s));
    p.held.set(std::size_t(Source::StickUp), stickY < -kStickPressed);
    p.held.set(std::size_t(Source::StickDown), stickY > kStickPressed);
    p.ignored = p.held;
    update(now);
}

void Navigator::padRemoved(int pad, Millis now)
{
    pads_.erase(pad);
    update(now);
}

void Navigator::button(int pad, Source source, bool down, Millis now)
{
    auto it = pads_.find(pad);
    if (it == pads_.end())
        return;
    set(it->second, source, down);
    update(now);
}

void Navigator::stickY(int pad, int value, Millis now)
{
    auto it = pads_.find(pad);
    if (it == pads_.end())
        return;
    // Between the two thresholds the stick keeps what it had: a stick resting
    // near either does not chatter.
    if (value < -kStickPressed || value > -kStickReleased)
        set(it->second, Source::StickUp, value < -kStickPressed);
    if (value > kStickPressed || value < kStickReleased)
        set(it->second, Source::StickDown, value > kStickPressed);
    update(now);
}

void Navigator::setActive(bool active, Millis now)
{
    if (active == active_)
        return;
    active_ = active;
    for (auto& [id, p] : pads_)
        p.ignored |= p.held;
    update(now);
}

void Navigator::set(Pad& pad, Source source, bool down)
{
    const std::size_t s = std::size_t(source);
    if (down == pad.held[s])
        return;
    pad.held[s] = down;
    // Pressed while the program is not listening: it stays ignored until let go.
    pad.ignored[s] = down && !active_;
}

void Navigator::update(Millis now)
{
    decltype(pressed_) current;
    if (active_)
        for (const auto& [id, p] : pads_) {
            const Sources live = p.held & ~p.ignored;
            for (std::size_t s = 0; s < live.size(); ++s)
                if (live[s])
                    current.set(std::size_t(kActionOf[s]));
        }
    for (std::size_t a = 0; a < current.size(); ++a) {
        if (!current[a] || pressed_[a])
            continue;
        out_.push_back({Action(a), false});
        // The latest direction repeats, as the latest key does on a keyboard.
        if (kMapping[a].repeats)
            repeat_ = Repeat{Action(a), now + kFirstRepeat};
    }
    if (repeat_ && !current[std::size_t(repeat_->action)])
        repeat_.reset();
    pressed_ = current;
}

std::vector<Press> Navigator::take(Millis now)
{
    if (repeat_ && now >= repeat_->due) {
        out_.push_back({repeat_->action, true});
        // A late poll gives one repeat, not a burst of the missed ones.
        repeat_->due += kRepeatEvery;
        if (repeat_->due <= now)
            repeat_->due = now + kRepeatEvery;
    }
    return std::exchange(out_, {});
}

}  // namespace forms::pad
