// The pad state machine on made-up timestamps (presses as "time action", *
// a repeat, polled every 10 ms but in a stall); the pad watch failing to
// start; then the program played with SDL's virtual pads from a timer, so
// that it goes on in modal windows. Only the order and number of keys decide,
// never how long they took.
#include "../ui/harness.h"
#include "gamepad.h"
#include "gamepad_linux.h"

#include <SDL2/SDL.h>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <atomic>
#include <dlfcn.h>
#include <fcntl.h>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

using namespace harness;

namespace {

using forms::pad::Millis, forms::pad::Source, forms::pad::Navigator, forms::pad::Press;
using S = Source;

struct Event { Millis t; std::function<void(Navigator&, Millis)> f; };
Event plug(Millis t, int pad, std::vector<Source> held = {}, int y = 0) { return {t, [=](Navigator& n, Millis now) { n.padAdded(pad, held, y, now); }}; }
Event unplug(Millis t, int pad) { return {t, [=](Navigator& n, Millis now) { n.padRemoved(pad, now); }}; }
Event down(Millis t, Source s, int pad = 1) { return {t, [=](Navigator& n, Millis now) { n.button(pad, s, true, now); }}; }
Event up(Millis t, Source s, int pad = 1) { return {t, [=](Navigator& n, Millis now) { n.button(pad, s, false, now); }}; }
Event stick(Millis t, int value, int pad = 1) { return {t, [=](Navigator& n, Millis now) { n.stickY(pad, value, now); }}; }
Event active(Millis t, bool yes = true) { return {t, [=](Navigator& n, Millis now) { n.setActive(yes, now); }}; }
Event inactive(Millis t) { return active(t, false); }
#define READY plug(0, 1), active(0)

struct Case { const char* name; std::vector<Event> script; const char* presses; Millis stallFrom = 0, stallTo = 0; };

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
    {"what a pad holds when plugged in, buttons or the stick beyond 20000, is ignored until released",
     {active(0), plug(0, 1, {S::South, S::DpadDown}, 30000), plug(0, 2, {}, -20001), up(700, S::South),
      down(800, S::South), up(900, S::DpadDown), down(1000, S::DpadDown), up(1100, S::DpadDown), stick(1200, 26000),
      stick(1250, 13000), stick(1300, 0), stick(1400, 25000), stick(1450, 0), stick(1500, -30000, 2), stick(1550, 0, 2),
      stick(1600, -25000, 2), stick(1650, 0, 2)},
     "800 Accept, 1000 Down, 1400 Down, 1600 Up"},
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
    {"a late poll gives one repeat, not a burst", {READY, down(0, S::DpadDown), up(1000, S::DpadDown)}, "0 Down, 800 Down*, 950 Down*", 100, 800},
};

std::string run(const Case& c)
{
    Navigator nav;
    std::ostringstream out;
    auto next = c.script.begin();
    for (Millis t = 0; t <= c.script.back().t + 1000; t += 10) {
        if (t > c.stallFrom && t < c.stallTo)
            continue;
        for (; next != c.script.end() && next->t <= t; ++next)
            next->f(nav, t);
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

enum : int { Up = SDL_CONTROLLER_BUTTON_DPAD_UP, Down = SDL_CONTROLLER_BUTTON_DPAD_DOWN, Right = SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
    South = SDL_CONTROLLER_BUTTON_A, East = SDL_CONTROLLER_BUTTON_B, Stick = SDL_CONTROLLER_BUTTON_MAX /* the left stick's y */ };

// A virtual pad: what the test sets reaches SDL when the program polls it.
struct Pad {
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
        mark();
    }
    void unplug() { sdl.JoystickDetachVirtual(index_); }  // while no pad before it has gone
    void set(int what, int value) { state_[what] = value, mark(); }
    void mark() { mark_ = polls_; }
    bool seen() const { return polls_ >= mark_ + 2; }  // polled twice since the last change
    std::atomic<int> state_[Stick + 1] = {}, polls_ = 0;
    int mark_ = 0, index_ = -1;
    SDL_JoystickID id_ = -1;
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
} keyLog;
QStringList pressed() { return keys.filter(QRegularExpression("[^*]$")); }  // repeats aside
qsizetype repeats() { return keys.size() - pressed().size(); }

using Until = std::function<bool()>;
bool activeIs(const char* name) { return QApplication::activeWindow() && QApplication::activeWindow()->objectName() == name; }
Until active(const char* name) { return [name] { return activeIs(name); }; }
Until focusOn(const char* name) { return [name] { return QApplication::focusWidget()->objectName() == name; }; }
Until cursorAt(int k) { return [k] { return cursorTop() == playdeck::entries()[k].stop; }; }

// Each step acts, then its keys (in order, repeats aside) must come and what it waits for hold.
struct Step { QString what; std::function<void()> act; Until until; QString keys; };
std::vector<Step> steps;
Pad one, two;
QElapsedTimer since;

void step(const QString& what, std::function<void()> act, Until until, const QString& k = {}) { steps.push_back({what, act, until, k}); }
void set(Pad& pad, int what, int value, const QString& k = {}, Until until = [] { return true; })
{
    step(QString("pad %1: %2 to %3").arg(&pad == &one ? 1 : 2).arg(what).arg(value), [&pad, what, value] { pad.set(what, value); },
         [&pad, until] { return pad.seen() && until(); }, k);
}
void press(int b, const QString& k, Until until = [] { return true; }) { set(one, b, 1, k, until), set(one, b, 0); }
void plug(Pad& pad, int held = -1) { step("a pad plugged in", [&pad, held] { pad.plug(held); }, [&pad] { return pad.seen(); }); }
void activate(bool yes, int allowedRepeats = 0)  // the menu gets or loses the keyboard; then a second held
{
    step(yes ? "the menu active" : "the menu inactive", [yes] { QApplication::setActiveWindow(yes ? forms::window(form("Form1")) : nullptr), one.mark(); },
         [yes] { return yes == activeIs("Form1") && one.seen(); });
    if (yes)
        step("a second held", [] { since.start(); }, [allowedRepeats] { return since.elapsed() > 1000 && repeats() <= allowedRepeats; });
}

// Runs the steps from a timer; what went wrong, or nothing.
QString play()
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
    RecordingStarter starter;

private slots:
    void padEventsBecomePresses()
    {
        for (const Case& c : kCases)
            QVERIFY2(run(c) == c.presses, qPrintable(QString("%1: got '%2'").arg(c.name, run(c).c_str())));
    }
    void padDevicesByTheirButtons()
    {
        // Xbox-style pad, joystick with triggers; mouse, touchpad, keyboard, power button, nothing.
        for (const char* caps : {"7cdb000000000000 0 0 0 0", "fff00000000 0 0 0 0"})
            QVERIFY2(forms::pad::hasPadButtons(caps), caps);
        for (const char* caps : {"1f0000 0 0 0 0", "6420 e000 0 0 0 0", "120013 1000000000007 ff9f207ac14057ff febeffdfffefffff fffffffffffffffe",
                                 "10000000000000 0", "0"})
            QVERIFY2(!forms::pad::hasPadButtons(caps), caps);
    }
    void startUpFailuresMeanNoGamepads()
    {
        const forms::linuxpad::Feed feed{[] { return false; }, [](std::vector<Press>) {}};
        try {
            QVERIFY2(!forms::linuxpad::start(feed, false, [](auto) -> std::thread { throw std::system_error(EAGAIN, std::generic_category()); }),
                     "a watch without its thread");
        } catch (const std::system_error&) {
            QFAIL("a thread that cannot start throws out of the start");
        }
        // No file descriptor left for the eventfd: the lowest free one is the limit.
        rlimit was{}, low{};
        getrlimit(RLIMIT_NOFILE, &was);
        low = {rlim_t(open("/dev/null", O_RDONLY)), was.rlim_max};
        close(int(low.rlim_cur));
        QVERIFY(setrlimit(RLIMIT_NOFILE, &low) == 0);
        auto watch = forms::linuxpad::start(feed, false);
        setrlimit(RLIMIT_NOFILE, &was);
        // Nothing could tell such a watch's thread to end: destroying it would wait for ever.
        QVERIFY2(!watch.get() || !watch.release(), "a watch without an eventfd");
    }
    void everyWindowWithAPad()
    {
        if (!loadSdl())
            QSKIP("libSDL2-2.0.so.0 is not installed: no gamepads to test");
        setUpOnce(starter);
        QVERIFY(startMenu());
        forms::startGamepads(true);
        QVERIFY2(QTest::qWaitFor([] { return sdl.WasInit(SDL_INIT_GAMECONTROLLER) != 0; }, 10000), "waited 10 s for SDL's game controllers");
        qApp->installEventFilter(&keyLog);

        // A pad in and out first, so that the next one's device index is not its id.
        plug(two);
        step("the pad unplugged", [] { two.unplug(); }, [] { return true; });
        plug(one);
        // Right walks to Help, Up wraps to the last title. (South and east: the error report below.)
        press(Right, "Form1:Backtab", focusOn("Command3"));
        press(Up, "Form1:Up", cursorAt(5));
        // The stick held: a press, then repeats.
        set(one, Stick, 32767, "Form1:Down", [] { return repeats() >= 2; });
        set(one, Stick, 0);
        // A second pad plugged in holding south and the stick down: nothing, not even on release
        // or as the stick eases off; both pads up: one press.
        step("a second pad plugged in holding", [] { two.state_[Stick] = 32767, two.plug(South); }, [] { return two.seen(); });
        set(two, South, 0);
        set(two, Stick, 25000);
        set(two, Stick, 0);
        step("both pads press up", [] { one.set(Up, 1), two.set(Up, 1); }, [] { return one.seen() && two.seen(); }, "Form1:Up");
        set(one, Up, 0), set(two, Up, 0);
        // Inactive: a press is dead, even once active again; losing activation stops a repeat.
        activate(false);
        set(one, Up, 1);
        activate(true);
        set(one, Up, 0);
        set(one, Down, 1, "Form1:Down");
        activate(false);
        activate(true, 1);
        set(one, Down, 0);
        // A failed start: east closes the error report; then the pad still works.
        step("the emulator missing", [this] { starter.fail = true, form("Form1").setTop("Cur", playdeck::entries()[4].stop); }, [] { return true; });
        press(South, "Form1:Return", active("errorReport"));
        press(East, "errorReport:Esc", active("Form1"));
        press(Up, "Form1:Up", cursorAt(3));
        const QString failure = play();
        forms::stopGamepads();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QCOMPARE(starter.starts, 0);
    }
};

QTEST_MAIN(GamepadTest)
#include "gamepad_test.moc"
