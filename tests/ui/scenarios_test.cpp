// The program's windows on the headless backend, played as a player plays
// them: keys, clicks and pad presses through the runtime's one routing, on
// Linux and under Wine alike. Each modal window runs the steps queued with
// then(); one left open with nothing to do is a failure, never a hang.
#include "accessibility.h"
#include "app.h"
#include "catalogue.h"
#include "headless.h"
#include "parts.h"
#include "launch.h"
#include "process.h"
#include "textwrap.h"

#include "doctest.h"

#include <random>
#include <utility>
#include <set>

using namespace forms;
using namespace forms::headless;
using forms::pad::Action;

namespace {

// In place of the process start: the launch tails, in order; fails with
// `refusal` when set.
struct Recorder : playdeck::ProcessStarter {
    std::optional<std::string> start(const playdeck::LaunchCommand& command) override
    {
        tails.push_back(command.commandLine.substr(applicationDirectory().size()));
        return refusal;
    }
    std::vector<std::string> tails;
    std::optional<std::string> refusal;
};

Recorder recorder;

Form& form(std::string_view name) { return instance(name); }
std::string focusOf(std::string_view name) { return std::string(form(name).focused()); }
float cursor() { return form("Form1").top("Cur"); }
float stop(int k) { return playdeck::entries()[std::size_t(k)].stop; }
std::string keyboardName() { return keyboardForm() ? std::string(keyboardForm()->definition().name) : ""; }

// A window kind of the tests' own: a borderless dialog with key preview whose
// Space opens Help before its focused button could take the key, and whose
// first button opens About from its handler.
class Opener : public Form {
public:
    Opener()
        : Form({.name = "opener", .caption = "Opener", .border = BorderStyle::None, .keyPreview = true,
                .client = {1500, 1500, 3000, 870},
                .controls = {{.kind = ControlKind::CommandButton, .name = "Command1", .text = "&About",
                              .rect = {120, 120, 2000, 255}, .tabIndex = 0},
                             {.kind = ControlKind::CommandButton, .name = "Command2", .text = "&Count",
                              .rect = {120, 480, 2000, 255}, .tabIndex = 1}}})
    {
        onClick("Command1", [] { forms::showModal("About"); });
        onClick("Command2", [this] { ++counted; });
    }
    int counted = 0;

protected:
    void keyDown(int& keycode, int, bool) override
    {
        if (keycode == vk::Space)
            forms::showModal("hlpfrm");
    }
};

const char* const kWindows[] = {"Form1", "About", "hlpfrm", "turtles", "tsubasa", "gaiden", "contra", "duckt", "opener"};

// A fresh main menu with the keyboard, nothing recorded.
struct Menu {
    Menu()
    {
        [[maybe_unused]] static const bool registered = (ui::registerWindows(), ui::setProcessStarter(&recorder),
                                                         registerForm("opener", [] { return std::make_unique<Opener>(); }), true);
        resetEnded();
        for (const char* name : kWindows)
            form(name).unload();
        recorder = {};
        errorReports().clear(), reportOwners().clear(), failures().clear(), otherwise(nullptr);
        form("Form1").show();
    }
    ~Menu() { CHECK((failures().empty() && stepsLeft() == 0)); }
};

void press(int keycode, int shift = 0, bool repeat = false, Form* to = nullptr) { CHECK(key(keycode, shift, repeat, to)); }
void moveTo(int k)
{
    while (cursor() != stop(k))
        press(vk::Down);
}

// The parts reached through dialogs, and the title that starts at once.
struct Part { int entry; const char* dialog; int button; const char* tail; };
const std::vector<Part> kParts = [] {
    std::vector<Part> parts;
    for (int k = 0; k < 6; ++k)
        for (int b = 0; *kTitles[k].dialog && b < 3 && kTitles[k].tails[b]; ++b)
            parts.push_back({k, kTitles[k].dialog, b + 1, kTitles[k].tails[b]});
    return parts;
}();
const std::string kIsland = kTitles[4].tails[0];

}  // namespace

TEST_CASE("the cursor and the keyboard in the main menu")
{
    Menu menu;
    CHECK((focusOf("Form1") == "Cur" && state(form("Form1"))->focus == "Cur"));  // the native focus follows
    press(vk::Up);
    CHECK(cursor() == stop(5));
    for (int k = 0; k < 7; ++k) {
        press(vk::Down, k % 3 == 1 ? kShiftMask : k % 3 == 2 ? kCtrlMask : 0, k % 2 == 1);
        CHECK((cursor() == stop(k % 6) && state(form("Form1"))->tops.at("Cur") == pixels(stop(k % 6))));
    }
    // Left, Right and every other key leave the cursor and the focus alone.
    for (int other : {int(vk::Left), int(vk::Right), int(vk::Escape), int('Q'), int(vk::Space), 34})
        press(other);
    CHECK((cursor() == stop(0) && focusOf("Form1") == "Cur"));
    // An arrow that moves the cursor takes the keyboard from a button to it,
    // so that the focus is always on what Enter acts on.
    press(vk::Tab);
    CHECK(focusOf("Form1") == "Command1");
    press(vk::Down);
    CHECK((cursor() == stop(1) && focusOf("Form1") == "Cur" && state(form("Form1"))->focus == "Cur"));
    CHECK((recorder.tails.empty() && !hasEnded()));
}

TEST_CASE("Enter acts on the title under the cursor, wherever the focus is")
{
    for (int k = 0; k < 6; ++k)
        for (int tabs = 0; tabs < 4; ++tabs) {
            INFO("title " << k << ", " << tabs << " tabs");
            Menu menu;
            moveTo(k);
            for (int i = 0; i < tabs; ++i)
                press(vk::Tab);
            std::string shown;
            if (*kTitles[k].dialog)
                then([&] { shown = keyboardName(); press(vk::Escape); });
            press(vk::Enter);
            CHECK(shown == kTitles[k].dialog);
            CHECK(recorder.tails == (*kTitles[k].dialog ? std::vector<std::string>{} : std::vector{kIsland}));
            CHECK((cursor() == stop(k) && keyboardName() == "Form1" && !hasEnded()));
        }
}

TEST_CASE("every part starts from its button by Enter, Space or a click, once")
{
    for (const Part& p : kParts)
        for (int how = 0; how < 3; ++how) {
            INFO(p.tail << ", way " << how);
            Menu menu;
            moveTo(p.entry);
            then([&] {
                Form& dialog = form(p.dialog);
                CHECK((dialog.focused() == "Command1" && form("Form1").blocked() && !state(form("Form1"))->enabled));
                CHECK((state(dialog)->owner == "Form1" && state(dialog)->enabled));
                // The arrows walk the buttons as Tab does, round and back.
                press(vk::Up);
                press(vk::Down);
                for (int i = 1; i < p.button; ++i)
                    press(i % 2 ? vk::Tab : vk::Down);
                const std::string button = "Command" + std::to_string(p.button);
                CHECK(dialog.focused() == button);
                press(vk::Enter, 0, true);
                press(vk::Space, 0, true);
                CHECK((recorder.tails.empty() && dialog.isLoaded()));
                if (how == 2)
                    click(dialog, button);
                else
                    press(how ? vk::Space : vk::Enter);
                CHECK(!dialog.isLoaded());
            });
            press(vk::Enter);
            CHECK(recorder.tails == std::vector<std::string>{p.tail});
            CHECK((cursor() == stop(p.entry) && keyboardName() == "Form1" && state(form("Form1"))->enabled));
        }
}

TEST_CASE("leaving: Escape a dialog, the pages by OK or their close box, the program by Exit")
{
    Menu menu;
    then([] { press(vk::Escape, 0, true); CHECK(form("turtles").isLoaded()); press(vk::Escape); });
    press(vk::Enter);
    CHECK((!form("turtles").isLoaded() && focusOf("Form1") == "Cur"));
    // Help and About, by their access keys and by clicks, closed each way; the
    // menu behind takes no keys, clicks or closing, even sent straight to it.
    int way = 0;
    for (const char* page : {"hlpfrm", "About", "hlpfrm", "About"}) {
        then([&, page] {
            Form& p = form(page);
            CHECK((focusOf(page) == (std::string(page) == "About" ? "Picture1" : "Command1") && state(p)->owner == "Form1"));
            press(vk::Down, 0, false, &form("Form1"));
            click(form("Form1"), "Command1");
            form("Form1").userClose();
            CHECK((cursor() == stop(0) && !hasEnded()));
            if (way == 0)
                p.userClose();
            else if (way == 1)
                click(p, "Command1");
            else
                press(vk::Tab), press(vk::Tab), press(way == 2 ? vk::Enter : vk::Space);
            CHECK(!p.isLoaded());
        });
        const bool about = std::string(page) == "About";
        if (way % 2)
            click(form("Form1"), about ? "Command2" : "Command3");
        else
            press(about ? 'A' : 'H', kAltMask);
        ++way;
        // The keyboard is back on the button that opened the page, natively too.
        CHECK((keyboardName() == "Form1" && focusOf("Form1") == (about ? "Command2" : "Command3") &&
               state(form("Form1"))->focus == focusOf("Form1")));
        // The next Up moves the cursor and the keyboard with it.
        press(vk::Up);
        CHECK((cursor() == stop(5) && focusOf("Form1") == "Cur"));
        press(vk::Down);
    }
    // Exit by its access key, a click, Space on it, and the close box.
    const std::function<void()> exits[] = {
        [] { press('X', kAltMask); }, [] { click(form("Form1"), "Command1"); },
        [] { press(vk::Tab); press(vk::Space, kCtrlMask); }, [] { form("Form1").userClose(); }};
    for (const auto& exit : exits) {
        Menu again;
        exit();
        CHECK((hasEnded() && !form("Form1").isLoaded()));
    }
}

TEST_CASE("a failed start is reported and the menu goes on, from the menu and from a dialog")
{
    Menu menu;
    recorder.refusal = "the emulator is missing";
    moveTo(4);
    press(vk::Enter);
    REQUIRE(errorReports().size() == 1u);
    CHECK(errorReports()[0].find("the emulator is missing") != std::string::npos);
    press(vk::Down);
    then([] { press(vk::Enter); });
    press(vk::Enter);
    // Each report stood in front of the window it came from.
    CHECK((errorReports().size() == 2u && reportOwners() == std::vector<std::string>{"Form1", "duckt"}));
    CHECK((!form("duckt").isLoaded() && keyboardName() == "Form1" && !hasEnded()));
}

TEST_CASE("modality: the keyboard never stays on a blocked window")
{
    Menu menu;
    then([] {
        // The main menu brought forward (taskbar, Alt+Tab): the dialog takes
        // the keyboard back.
        activate(form("Form1"));
        CHECK((keyboardName() == "turtles" && focusOf("turtles") == "Command1"));
        // Shown again while it shows: no second loop on it.
        form("turtles").showModal();
        press(vk::Escape);
    });
    press(vk::Enter);
    CHECK((keyboardName() == "Form1" && !form("Form1").blocked()));
    // A window the system cannot make is reported; the menu goes on.
    failNextLoad();
    press('H', kAltMask);
    CHECK((errorReports().size() == 1u && !form("hlpfrm").isLoaded() && keyboardName() == "Form1"));
    press(vk::Down);
    CHECK(cursor() == stop(1));
}

TEST_CASE("a gamepad plays every window through the same keys")
{
    Menu menu;
    pad::Navigator nav;
    pad::Millis now = 0;
    nav.padAdded(1, {}, 0, now);
    nav.setActive(true, now);
    // One poll: the button and the D-pad's repeat, delivered together. The
    // repeat reaches the menu while the dialog blocks it, and is dropped.
    const auto hold = [&](pad::Source s, pad::Millis ms) {
        nav.button(1, s, true, now);
        for (pad::Millis end = now + ms; now < end; now += 10)
            for (const pad::Press& p : nav.take(now))
                padPress(p);
        nav.button(1, s, false, now);
    };
    hold(pad::Source::DpadDown, 700);  // a press and two repeats
    CHECK(cursor() == stop(3));
    then([&] {
        CHECK(keyboardName() == "contra");
        padPress({Action::Down, true});
        press(vk::Down, 0, true, &form("Form1"));  // posted to the menu before the dialog came
        CHECK((cursor() == stop(3) && focusOf("contra") == "Command2"));
        padPress({Action::Back, false});
    });
    padPress({Action::Accept, false});
    CHECK((!form("contra").isLoaded() && recorder.tails.empty()));
    // Left and Right walk the menu's buttons; Accept presses the focused one;
    // Back closes a page.
    padPress({Action::Right, false});
    CHECK(focusOf("Form1") == "Command3");
    then([] { CHECK(keyboardName() == "hlpfrm"); padPress({Action::Back, false}); });
    padPress({Action::Accept, false});
    CHECK((!form("hlpfrm").isLoaded() && keyboardName() == "Form1"));
    padPress({Action::Up, false});
    CHECK((cursor() == stop(2) && focusOf("Form1") == "Cur"));
}

TEST_CASE("thousands of random keys keep the menu sound")
{
    Menu menu;
    std::mt19937 rng(20240607u);
    const int keys[] = {vk::Up, vk::Down, vk::Left, vk::Right, vk::Tab, vk::Enter, vk::Space, vk::Escape, 'Q', 'A', 'H'};
    const int shifts[] = {0, 0, 0, kShiftMask, kCtrlMask, kAltMask};
    std::set<std::string> allowed{kIsland};
    for (const Part& p : kParts)
        allowed.insert(p.tail);
    int strokes = 0;
    const auto stroke = [&] {
        ++strokes;
        Form* f = keyboardForm();
        REQUIRE(f);
        if (f != &form("Form1") && rng() % 8 == 0)
            return f->userClose();
        const int k = keys[rng() % std::size(keys)];
        press(k, shifts[rng() % std::size(shifts)], rng() % 4 == 0);
    };
    otherwise(stroke);
    while (strokes < 3000) {
        stroke();
        if (hasEnded()) {
            resetEnded();
            form("Form1").show();
        }
        CHECK(((cursor() - stop(0)) / 840 == std::floor((cursor() - stop(0)) / 840) && cursor() <= stop(5)));
    }
    for (const std::string& tail : recorder.tails)
        CHECK(allowed.count(tail));
    CHECK(!recorder.tails.empty());
}

TEST_CASE("a label's text breaks at blanks, which take room like letters")
{
    const auto wrap = [](std::u16string_view text) {
        return wrapText(text, 5, [](std::u16string_view s) { return int(s.size()); });
    };
    using L = std::vector<std::u16string>;
    CHECK(wrap(u"ab cd") == L{u"ab cd"});                          // a word fits exactly
    CHECK(wrap(u"abc  de") == L{u"abc  ", u"de"});                 // blanks fit exactly
    CHECK(wrap(u"ab cde") == L{u"ab ", u"cde"});                   // a word one too wide
    CHECK(wrap(u"abc   de") == L{u"abc", u"de"});                  // blanks overflow and go
    CHECK(wrap(u"a toolongword b") == L{u"a ", u"toolongword", u"b"});  // wider than the line
    CHECK(wrap(u"") == L{u""});
}

TEST_CASE("Tab and Shift+Tab go right round every window, past pictures Enter does not press; the pad round the menu's buttons")
{
    Menu menu;
    for (const char* name : kWindows) {
        CAPTURE(name);
        const auto round = [name] {
            std::vector<std::string> stops;
            for (const ControlDef* c : tabStops(form(name).definition()))
                stops.emplace_back(c->name);
            const std::size_t n = stops.size();
            REQUIRE(n > 0);
            CHECK(focusOf(name) == stops[0]);
            for (std::size_t i = 1; i <= n; ++i) {
                // Enter and Space press buttons only (About opens on a picture).
                if (!form(name).definition().keyPreview && form(name).focusedControl()->kind != ControlKind::CommandButton)
                    press(vk::Enter), press(vk::Space);
                press(vk::Tab);
                CHECK((focusOf(name) == stops[i % n] && state(form(name))->focus == stops[i % n]));
            }
            for (std::size_t i = 1; i <= n; ++i) {
                press(vk::Tab, kShiftMask);
                CHECK(focusOf(name) == stops[(n - i) % n]);
            }
        };
        if (form(name).isLoaded()) {  // the main menu
            round();
            continue;
        }
        then([&] { round(); form(name).userClose(); });
        form(name).showModal();
    }
    // Right walks the row of buttons rightwards on screen, Left back.
    for (const char* next : {"Command3", "Command2", "Command1", "Cur"}) {
        padPress({Action::Right, false});
        CHECK(focusOf("Form1") == next);
    }
    for (const char* next : {"Command1", "Command2", "Command3", "Cur"}) {
        padPress({Action::Left, true});
        CHECK(focusOf("Form1") == next);
    }
    CHECK(cursor() == stop(0));
}

TEST_CASE("a modal window opened from a modal window's handler: enabled, in front of its opener, and each gives the keyboard back")
{
    Menu menu;
    Opener& opener = dynamic_cast<Opener&>(form("opener"));
    then([&] {
        CHECK((state(opener)->owner == "Form1" && state(opener)->enabled && keyboardName() == "opener"));
        press(vk::Enter);  // About, from the button's handler
        CHECK((keyboardName() == "opener" && focusOf("opener") == "Command1" && state(opener)->focus == "Command1"));
        // The key preview opens Help on Space: the key is spent there, and
        // the focused button is not pressed too.
        press(vk::Tab);
        press(vk::Space);
        CHECK((opener.counted == 0 && focusOf("opener") == "Command2" && keyboardName() == "opener"));
        press(vk::Escape);
    });
    then([&] {
        CHECK((keyboardName() == "About" && state(form("About"))->owner == "opener" && state(form("About"))->enabled));
        CHECK((!state(opener)->enabled && !state(form("Form1"))->enabled));
        press(vk::Tab), press(vk::Tab), press(vk::Enter);  // OK
        CHECK(!form("About").isLoaded());
    });
    then([&] {
        CHECK((keyboardName() == "hlpfrm" && state(form("hlpfrm"))->owner == "opener"));
        press(vk::Space);  // OK
    });
    opener.showModal();
    CHECK((keyboardName() == "Form1" && focusOf("Form1") == "Cur" && state(form("Form1"))->enabled));
}

TEST_CASE("what assistive technology is told")
{
    using a11y::Role;
    // Every window: its role and caption; nothing that takes the keyboard is
    // nameless or left out; the main menu's titles are one list of six items,
    // each described in words.
    for (const char* name : kWindows) {
        CAPTURE(name);
        const a11y::Tree tree = a11y::describe(form(name).definition());
        CHECK(tree.role == (form(name).definition().border == BorderStyle::None ? Role::Dialog : Role::Window));
        for (const a11y::Node& n : tree.nodes)
            CHECK((!n.focusable || !n.name.empty()));
        for (const ControlDef* stop : tabStops(form(name).definition()))
            CHECK((stop->name == "Cur" || std::any_of(tree.nodes.begin(), tree.nodes.end(),
                                                      [&](const a11y::Node& n) { return n.control == stop->name; })));
    }
    const a11y::Tree menuTree = a11y::describe(form("Form1").definition());
    REQUIRE(menuTree.nodes.size() == 10u);  // the list, its six items, three buttons
    CHECK((menuTree.list() == 0 && menuTree.children(0).size() == 6u));
    CHECK((menuTree.nodes[2].description == "Tecmo 1988 / 1990, rating 5 of 5, 2 parts" &&
           menuTree.nodes[5].description == "Capcom 1992, rating 4 of 5" && menuTree.nodes[7].accessKey == 'X'));

    // The list's events, in order: the title under the cursor when the menu
    // gets the keyboard; a move selects and focuses the new title; an arrow
    // on a button selects it, then gives it the keyboard; Tab, a click and
    // the menu's return give the cursor the keyboard; a late listener hears
    // what has it.
    Menu menu;
    using H = std::vector<std::string>;
    std::size_t told = 0;
    const auto heard = [&] {  // what the menu told since the last look
        const H& all = state(form("Form1"))->announced;
        return H(all.begin() + std::ptrdiff_t(std::exchange(told, all.size())), all.end());
    };
    CHECK(heard() == H{"focus Teenage Mutant Ninja Turtles"});
    press(vk::Down);
    CHECK(heard() == H{"selection Captain Tsubasa", "focus Captain Tsubasa"});
    press(vk::Tab);
    press(vk::Down);
    CHECK(heard() == H{"selection Ninja Gaiden", "focus Ninja Gaiden"});
    for (int i = 0; i < 4; ++i)
        press(vk::Tab);
    CHECK(heard() == H{"focus Ninja Gaiden"});
    press(vk::Tab, kShiftMask);
    click(form("Form1"), "Cur");
    CHECK(heard() == H{"focus Ninja Gaiden"});
    then([&] { CHECK(heard().empty()); press(vk::Escape); });
    press(vk::Enter);
    padPress({Action::Up, true});
    activate(form("Form1"));  // again, while it has the keyboard: nothing new
    assistiveTechnologyStarted();
    CHECK(heard() == H{"focus Ninja Gaiden", "selection Captain Tsubasa", "focus Captain Tsubasa", "focus Captain Tsubasa"});
    CHECK(a11y::focusedNode(form("Form1"), menuTree) == 2);
    press(vk::Tab);
    CHECK((a11y::focusedNode(form("Form1"), menuTree) == 7 && heard().empty()));
    CHECK((a11y::selectedItem(form("Form1"), menuTree) == 2 && a11y::selectedItem(form("hlpfrm"), menuTree) == a11y::kNone));
}
