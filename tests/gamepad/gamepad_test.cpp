// Gamepad navigation. The state machine alone, with made-up timestamps: each
// case is a script of pad events and the presses it must give, "time action"
// with * for a repeat, polled every 10 ms (not during a case's stall). Then the
// whole program played with SDL's virtual pads, through the SDL the program
// loads itself, on the offscreen platform: a table of steps run from a timer,
// so that it goes on inside the modal windows it opens, each waiting 10 s at
// most for its keys and outcome. Only the order and number of the keys
// decide, never how long they took.
#include "../ui/harness.h"
#include "gamepad.h"

#include <SDL2/SDL.h>

#include <QElapsedTimer>
#include <QKeyEvent>

#include <atomic>
#include <dlfcn.h>
#include <sstream>

using namespace harness;

namespace {

using forms::pad::Millis, forms::pad::Source, forms::pad::Navigator, forms::pad::Press;
using S = Source;

struct Event {
    Millis t;
    enum { Plug, Unplug, Down, Up, Stick, Active, Inactive } kind;
    int pad = 1, value = 0;
    Source source = S::South;
    std::vector<Source> held = {};
};
Event plug(Millis t, int pad, std::vector<Source> held = {}) { return {t, Event::Plug, pad, 0, {}, held}; }
Event unplug(Millis t, int pad) { return {t, Event::Unplug, pad}; }
Event down(Millis t, Source s, int pad = 1) { return {t, Event::Down, pad, 0, s}; }
Event up(Millis t, Source s, int pad = 1) { return {t, Event::Up, pad, 0, s}; }
Event stick(Millis t, int value, int pad = 1) { return {t, Event::Stick, pad, value}; }
Event active(Millis t) { return {t, Event::Active}; }
Event inactive(Millis t) { return {t, Event::Inactive}; }
// The usual start: pad 1 plugged in and the program active.
#define READY plug(0, 1), active(0)

struct Case {
    const char* name;
    std::vector<Event> script;
    const char* presses;
    Millis stallFrom = 0, stallTo = 0;  // no polls in between
};

const Case kCases[] = {
    {"a held direction repeats at 500, 650, 800 ms and stops when let go",
     {READY, down(0, S::DpadDown), up(900, S::DpadDown)}, "0 Down, 500 Down*, 650 Down*, 800 Down*"},
    {"accept, start and back never repeat, held to the end; south and start held together are one accept",
     {READY, down(0, S::South), up(100, S::South), down(200, S::Start), down(250, S::South), up(300, S::South),
      down(400, S::East)},
     "0 Accept, 200 Accept, 400 Back"},
    {"the stick: drift does nothing, it presses beyond 20000, lets go only below 12000, and repeats",
     {READY, stick(0, 19999), stick(50, -19999), stick(100, 20001), stick(150, 12001), stick(200, 25000),
      stick(250, 11999), stick(300, -21000), stick(320, -12001), stick(340, -25000), stick(360, -11999),
      stick(400, -32768), stick(1100, 0)},
     "100 Down, 300 Up, 400 Up, 900 Up*, 1050 Up*"},
    {"D-pad and stick, and two pads, are one press; it repeats while either holds",
     {plug(0, 1), plug(0, 2), active(0), down(0, S::DpadDown, 1), stick(0, 30000, 1), down(0, S::DpadDown, 2),
      up(100, S::DpadDown, 1), stick(200, 0, 1), up(560, S::DpadDown, 2)},
     "0 Down, 500 Down*"},
    {"what a pad holds when plugged in is ignored until released",
     {active(0), plug(0, 1, {S::South, S::DpadDown}), up(700, S::South), down(800, S::South), up(900, S::DpadDown),
      down(1000, S::DpadDown), up(1100, S::DpadDown)},
     "800 Accept, 1000 Down"},
    {"unplugging while a direction is held stops the repeat; unknown pads are not heard",
     {READY, down(0, S::DpadDown), unplug(300, 1), down(400, S::South, 7), plug(1000, 1), down(1500, S::DpadUp),
      up(1600, S::DpadUp)},
     "0 Down, 1500 Up"},
    {"inactive: nothing; what is held when activation returns waits for its release",
     {READY, inactive(50), down(100, S::DpadDown), down(150, S::South), active(200), up(300, S::DpadDown),
      down(400, S::DpadDown), up(450, S::DpadDown)},
     "400 Down"},
    {"losing activation stops the repeat, and the held direction stays dead afterwards",
     {READY, down(0, S::DpadDown), inactive(300), active(400), up(1000, S::DpadDown), down(1100, S::East)},
     "0 Down, 1100 Back"},
    {"the latest direction repeats, an earlier one does not come back",
     {READY, down(0, S::DpadDown), down(300, S::DpadUp), up(900, S::DpadUp), up(1500, S::DpadDown)},
     "0 Down, 300 Up, 800 Up*"},
    {"a late poll gives one repeat, not a burst", {READY, down(0, S::DpadDown), up(1000, S::DpadDown)},
     "0 Down, 800 Down*, 950 Down*", 100, 800},
};

std::string run(const Case& c)
{
    Navigator nav;
    std::ostringstream out;
    auto next = c.script.begin();
    for (Millis t = 0; t <= c.script.back().t + 1000; t += 10) {
        if (t > c.stallFrom && t < c.stallTo)
            continue;
        for (; next != c.script.end() && next->t <= t; ++next) {
            const Event& e = *next;
            switch (e.kind) {
            case Event::Plug: nav.padAdded(e.pad, e.held, t); break;
            case Event::Unplug: nav.padRemoved(e.pad, t); break;
            case Event::Down: case Event::Up: nav.button(e.pad, e.source, e.kind == Event::Down, t); break;
            case Event::Stick: nav.stickY(e.pad, e.value, t); break;
            case Event::Active: case Event::Inactive: nav.setActive(e.kind == Event::Active, t); break;
            }
        }
        static const char* const names[] = {"Up", "Down", "Left", "Right", "Accept", "Back"};
        for (const Press& p : nav.take(t))
            out << (out.tellp() ? ", " : "") << t << ' ' << names[int(p.action)] << (p.autoRepeat ? "*" : "");
    }
    return out.str();
}

#define SDL_FUNCTIONS(X) X(WasInit) X(JoystickAttachVirtualEx) X(JoystickDetachVirtual) X(JoystickFromInstanceID) \
    X(JoystickSetVirtualButton) X(JoystickSetVirtualAxis) X(LockJoysticks) X(UnlockJoysticks) \
    X(JoystickGetDeviceInstanceID)
#define SDL_MEMBER(name) decltype(&::SDL_##name) name = nullptr;
struct { SDL_FUNCTIONS(SDL_MEMBER) } sdl;
#define SDL_LOOKUP(name) &&(sdl.name = reinterpret_cast<decltype(sdl.name)>(dlsym(lib, "SDL_" #name)))
bool loadSdl(void* lib = dlopen("libSDL2-2.0.so.0", RTLD_NOW)) { return lib SDL_FUNCTIONS(SDL_LOOKUP); }

enum : int { Up = SDL_CONTROLLER_BUTTON_DPAD_UP, Down = SDL_CONTROLLER_BUTTON_DPAD_DOWN, Left = SDL_CONTROLLER_BUTTON_DPAD_LEFT,
    Right = SDL_CONTROLLER_BUTTON_DPAD_RIGHT, South = SDL_CONTROLLER_BUTTON_A, East = SDL_CONTROLLER_BUTTON_B,
    Start = SDL_CONTROLLER_BUTTON_START, Stick = SDL_CONTROLLER_BUTTON_MAX /* the left stick's y */ };
const char* const kNames[] = {"south", "east", "west", "north", "back", "guide", "start", "left stick button",
    "right stick button", "left shoulder", "right shoulder", "up", "down", "left", "right", "", "", "", "", "", "", "stick"};

// A virtual pad: what the test sets reaches SDL when the program polls the pad.
class Pad {
public:
    void plug(int held = -1)
    {
        if (held >= 0)
            state_[held] = 1;
        SDL_VirtualJoystickDesc d{};
        d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION, d.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        d.naxes = SDL_CONTROLLER_AXIS_MAX, d.nbuttons = SDL_CONTROLLER_BUTTON_MAX, d.userdata = this;
        d.Update = [](void* self) {  // on the program's pad thread, as it polls
            Pad& p = *static_cast<Pad*>(self);
            SDL_Joystick* j = sdl.JoystickFromInstanceID(p.id_);
            for (int b = 0; b < Stick; ++b)
                sdl.JoystickSetVirtualButton(j, b, Uint8(p.state_[b].load()));
            sdl.JoystickSetVirtualAxis(j, SDL_CONTROLLER_AXIS_LEFTY, Sint16(p.state_[Stick].load()));
            ++p.polls_;
        };
        sdl.LockJoysticks();  // the program sees the pad with its id known
        id_ = sdl.JoystickGetDeviceInstanceID(index_ = sdl.JoystickAttachVirtualEx(&d));
        sdl.UnlockJoysticks();
        mark_ = polls_;
    }
    void unplug() { sdl.JoystickDetachVirtual(index_); }  // while no pad before it has gone
    void set(int what, int value) { state_[what] = value, mark(); }
    void mark() { mark_ = polls_; }
    // Polled twice since the last change: the program has taken it in.
    bool seen() const { return polls_ >= mark_ + 2; }

private:
    std::atomic<int> state_[Stick + 1] = {}, polls_ = 0;
    int mark_ = 0, index_ = -1;
    SDL_JoystickID id_ = -1;
};

struct Starter : RecordingStarter {  // one that can be told to fail, for the error report
    bool fail = false;
    std::optional<std::string> start(const playdeck::LaunchCommand& c) override
    {
        return fail ? "no emulator here" : RecordingStarter::start(c);
    }
};

// The keys that reach a window, as "window:key", with * for a repeat.
QStringList keys;
struct KeyLog : QObject {
    bool eventFilter(QObject* o, QEvent* e) override
    {
        auto* k = static_cast<QKeyEvent*>(e);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (e->type() == QEvent::KeyPress && w->windowHandle() == o)
                keys << w->objectName() + ':' + QKeySequence(k->key()).toString() + (k->isAutoRepeat() ? "*" : "");
        return false;
    }
};
QStringList pressed() { return keys.filter(QRegularExpression("[^*]$")); }  // repeats aside
qsizetype repeats() { return keys.size() - pressed().size(); }

bool activeIs(const char* name) { return QApplication::activeWindow() && QApplication::activeWindow()->objectName() == name; }
auto focusOn(const char* name) { return [name] { return QApplication::focusWidget()->objectName() == name; }; }
auto cursorAt(int k) { return [k] { return cursorTop() == playdeck::entries()[k].stop; }; }
auto backOnMenu(const char* closed) { return [closed] { return !form(closed).isLoaded() && activeIs("Form1"); }; }

struct Step {
    QString what;
    std::function<void()> act;
    std::function<bool()> until;  // what must hold once the keys (in order, repeats aside) are in
    QString keys;
};

// Runs the steps from a timer; what went wrong, or nothing.
QString play(const std::vector<Step>& steps)
{
    QString failure;
    std::size_t next = 0;
    bool started = false;
    QElapsedTimer clock;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const Step& s = steps[next];
        if (!std::exchange(started, true))
            keys.clear(), clock.start(), s.act();
        const QStringList want = s.keys.split(' ', Qt::SkipEmptyParts), got = pressed();
        if (got.size() >= want.size() && got != want)
            failure = QString("%1: keys %2, wanted %3").arg(s.what, got.join(' '), want.join(' '));
        else if (got.size() >= want.size() && s.until())
            ++next, started = false;
        else if (clock.elapsed() > 10000)
            failure = QString("%1: waited 10 s for keys '%2' and its outcome (keys: %3)").arg(s.what, want.join(' '), keys.join(' '));
        if (next < steps.size() && failure.isEmpty())
            return;
        timer.stop(), next = steps.size();
        for (QWidget* w : QApplication::topLevelWidgets())  // out of the modal loops
            if (w->isVisible() && w->isModal())
                QMetaObject::invokeMethod(w, [w] { w->close(); }, Qt::QueuedConnection);
    });
    timer.start(5);
    return QTest::qWaitFor([&] { return !timer.isActive(); }, 180000) ? failure : "the play did not end in 3 minutes";
}

}  // namespace

class GamepadTest : public QObject {
    Q_OBJECT
    Starter starter;
    KeyLog log;
    Pad one, two;
    QElapsedTimer since;
    std::vector<Step> steps;

    void step(const QString& what, std::function<void()> act, std::function<bool()> until, const QString& k = {}) { steps.push_back({what, act, until, k}); }
    // A button or the stick set, done once the program has read it.
    void set(Pad& pad, int what, int value, const QString& k = {}, std::function<bool()> until = [] { return true; })
    {
        step(QString("%1 %2 to %3").arg(&pad == &one ? "pad" : "second pad", kNames[what]).arg(value), [&pad, what, value] { pad.set(what, value); },
             [&pad, until] { return pad.seen() && until(); }, k);
    }
    void press(int b, const QString& k, std::function<bool()> until = [] { return true; }) { set(one, b, 1, k, until), set(one, b, 0); }
    void plug(Pad& pad, int held = -1) { step("a pad plugged in", [&pad, held] { pad.plug(held); }, [&pad] { return pad.seen(); }); }
    void active(bool yes, int allowedRepeats = 0)
    {
        step(yes ? "the menu has the keyboard again" : "the menu loses the keyboard",
             [&, yes] { QApplication::setActiveWindow(yes ? forms::window(form("Form1")) : nullptr), one.mark(); },
             [&, yes] { return yes == activeIs("Form1") && one.seen(); });  // and the program has polled since
        if (yes)
            step("a second of holding", [&] { since.start(); }, [&, allowedRepeats] { return since.elapsed() > 1000 && repeats() <= allowedRepeats; });
    }

private slots:
    void padEventsBecomePresses()
    {
        for (const Case& c : kCases)
            QVERIFY2(run(c) == c.presses, qPrintable(QString("%1: got '%2'").arg(c.name, run(c).c_str())));
    }
    void padDevicesByTheirButtons()
    {
        const std::pair<const char*, bool> devices[] = {
            {"7cdb000000000000 0 0 0 0", true}, {"fff00000000 0 0 0 0", true},  // Xbox-style pad, joystick with triggers
            {"1f0000 0 0 0 0", false}, {"6420 e000 0 0 0 0", false},            // mouse, touchpad
            {"120013 1000000000007 ff9f207ac14057ff febeffdfffefffff fffffffffffffffe", false},  // keyboard
            {"10000000000000 0", false}, {"0", false},                          // power button, nothing
        };
        for (auto [caps, pad] : devices)
            QVERIFY2(forms::pad::hasPadButtons(caps) == pad, caps);
    }
    void everyWindowWithAPad()
    {
        if (!loadSdl())
            QSKIP("libSDL2-2.0.so.0 is not installed: no gamepads to test");
        setUpOnce(starter);
        QVERIFY(startMenu());
        forms::startGamepads(true);
        QVERIFY2(QTest::qWaitFor([] { return sdl.WasInit(SDL_INIT_GAMECONTROLLER) != 0; }, 10000),
                 "waited 10 s for the program to start SDL's game controllers");
        qApp->installEventFilter(&log);

        // A pad in and out first, so that the next one's device index is not its id.
        plug(two);
        step("the pad unplugged", [&] { two.unplug(); }, [] { return true; });
        plug(one);
        // Down twice, south: the gaiden dialog; down, south: its part 2. Start
        // accepts too; east leaves the dialog.
        press(Down, "Form1:Down", cursorAt(1));
        press(Down, "Form1:Down", cursorAt(2));
        press(South, "Form1:Return", [] { return activeIs("gaiden"); });
        press(Down, "gaiden:Tab", focusOn("Command2"));
        press(South, "gaiden:Space", backOnMenu("gaiden"));
        press(Start, "Form1:Return", [] { return activeIs("gaiden"); });
        press(East, "gaiden:Esc", backOnMenu("gaiden"));
        // Right along the buttons: Help, closed by east; About, in which down
        // walks the focus; left walks back to the cursor.
        press(Right, "Form1:Backtab", focusOn("Command3"));
        press(South, "Form1:Space", [] { return activeIs("hlpfrm"); });
        press(East, "", backOnMenu("hlpfrm"));
        press(Right, "Form1:Backtab", focusOn("Command2"));
        press(South, "Form1:Space", [] { return activeIs("About"); });
        press(Down, "About:Tab", focusOn("Picture2"));
        press(East, "", backOnMenu("About"));
        press(Left, "Form1:Tab", focusOn("Command3"));
        press(Left, "Form1:Tab", focusOn("Cur"));
        // East on the menu and a drifting stick: nothing; the stick held: a press, then repeats.
        press(East, "");
        set(one, Stick, 19000);
        set(one, Stick, -19000);
        set(one, Stick, 32767, "Form1:Down", [] { return repeats() >= 2; });
        set(one, Stick, 0);
        // A second pad plugged in holding south: nothing, not even on release.
        // Both pads press up together: one press.
        plug(two, South);
        set(two, South, 0);
        step("both pads press up", [&] { one.set(Up, 1), two.set(Up, 1); }, [&] { return one.seen() && two.seen(); }, "Form1:Up");
        set(one, Up, 0), set(two, Up, 0);
        // Without the keyboard a press does nothing, not even once it is back;
        // losing it stops a repeat, and what is held stays dead until let go.
        active(false);
        set(one, Up, 1);
        active(true);
        set(one, Up, 0);
        set(one, Down, 1, "Form1:Down");
        active(false);
        active(true, 1);
        set(one, Down, 0);
        // A failed start: east closes the error report; then the pad still works.
        step("the emulator missing", [&] { starter.fail = true, form("Form1").setTop("Cur", playdeck::entries()[4].stop); }, [] { return true; });
        press(South, "Form1:Return", [] { return activeIs("errorReport"); });
        press(East, "errorReport:Esc", [] { return activeIs("Form1"); });
        press(Up, "Form1:Up", cursorAt(3));

        const QString failure = play(steps);
        forms::stopGamepads();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QCOMPARE(starter.tails, QStringList{QString::fromUtf8(playdeck::partsOf("gaiden")[1].tail.data())});
    }
};

QTEST_MAIN(GamepadTest)
#include "gamepad_test.moc"
