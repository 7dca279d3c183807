// The whole program played with SDL's virtual pads, through the SDL the
// program loads itself, on the offscreen platform: every window reached, used
// and left without a keyboard. The play is a table of steps run from a timer,
// so that it goes on inside the modal windows it opens; each step waits for
// what it names, for a few seconds at most. Only the order and number of the
// keys that arrive decide, never how long they took.
#include "../ui/harness.h"

#include <SDL2/SDL.h>

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPushButton>

#include <atomic>
#include <dlfcn.h>

using namespace harness;

namespace {

// The functions the test drives its virtual pads with.
struct Sdl {
#define TEST_SDL_FUNCTIONS(X)                                                                          \
    X(WasInit) X(JoystickAttachVirtualEx) X(JoystickDetachVirtual) X(JoystickFromInstanceID)        \
    X(JoystickSetVirtualButton) X(JoystickSetVirtualAxis) X(LockJoysticks)     \
    X(UnlockJoysticks) X(GameControllerFromInstanceID) X(GameControllerGetButton)                    \
    X(GameControllerGetAxis) X(NumJoysticks) X(JoystickGetDeviceInstanceID)
#define TEST_SDL_MEMBER(name) decltype(&::SDL_##name) name = nullptr;
    TEST_SDL_FUNCTIONS(TEST_SDL_MEMBER)
    bool load()
    {
        void* lib = dlopen("libSDL2-2.0.so.0", RTLD_NOW);
        bool complete = lib;
#define TEST_SDL_LOOKUP(name) complete = complete && (name = reinterpret_cast<decltype(name)>(dlsym(lib, "SDL_" #name)));
        TEST_SDL_FUNCTIONS(TEST_SDL_LOOKUP)
        return complete;
    }
} sdl;

// A virtual pad with SDL's game-controller layout. What the test sets reaches
// SDL when the program polls the pad, as a real pad's state does.
class Pad {
public:
    // Plugged in holding `held`.
    void plug(std::initializer_list<SDL_GameControllerButton> held = {})
    {
        for (SDL_GameControllerButton b : held)
            buttons_[b] = 1;
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "PLAYDECK test pad";
        desc.userdata = this;
        desc.Update = [](void* self) { static_cast<Pad*>(self)->update(); };
        sdl.LockJoysticks();  // the program sees the pad with its id known
        id_ = sdl.JoystickGetDeviceInstanceID(sdl.JoystickAttachVirtualEx(&desc));
        sdl.UnlockJoysticks();
    }
    void unplug()
    {
        sdl.LockJoysticks();
        for (int i = 0; i < sdl.NumJoysticks(); ++i)
            if (sdl.JoystickGetDeviceInstanceID(i) == id_)
                sdl.JoystickDetachVirtual(i);
        sdl.UnlockJoysticks();
    }
    void button(SDL_GameControllerButton b, bool down) { buttons_[b] = down; }
    void stick(int y) { stickY_ = y; }

    // What the program's SDL has read from the pad so far; -1 while it has
    // not opened it.
    int seen(SDL_GameControllerButton b) const { return read([b](auto* c) { return int(sdl.GameControllerGetButton(c, b)); }); }
    int seenStick() const { return read([](auto* c) { return int(sdl.GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY)); }); }
    bool open() const { return read([](auto*) { return 1; }) == 1; }

private:
    void update()  // on the program's pad thread, while it polls
    {
        SDL_Joystick* j = sdl.JoystickFromInstanceID(id_);
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b)
            sdl.JoystickSetVirtualButton(j, b, Uint8(buttons_[b].load()));
        sdl.JoystickSetVirtualAxis(j, SDL_CONTROLLER_AXIS_LEFTY, Sint16(stickY_.load()));
    }
    template <typename F>
    int read(F f) const
    {
        sdl.LockJoysticks();
        SDL_GameController* c = sdl.GameControllerFromInstanceID(id_);
        const int value = c ? f(c) : -1;
        sdl.UnlockJoysticks();
        return value;
    }
    std::atomic<int> buttons_[SDL_CONTROLLER_BUTTON_MAX] = {};
    std::atomic<int> stickY_ = 0;
    SDL_JoystickID id_ = -1;
};

// The keys that reach a window, as "window:key", with * for a repeat.
class KeyLog : public QObject {
public:
    QStringList keys;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress || !o->isWindowType())
            return false;
        auto* k = static_cast<QKeyEvent*>(e);
        QString window;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->windowHandle() == o)
                window = w->objectName();
        keys << window + ':' + QKeySequence(k->key()).toString() + (k->isAutoRepeat() ? "*" : "");
        return false;
    }
    // The keys without repeats, which only come from a pad held long enough.
    QStringList pressed() const { return keys.filter(QRegularExpression("[^*]$")); }
    qsizetype repeats() const { return keys.size() - pressed().size(); }
};

// A recorder that can be told to fail, for the error report.
class Starter : public RecordingStarter {
public:
    bool fail = false;
    std::optional<std::string> start(const playdeck::LaunchCommand& c) override
    {
        return fail ? std::optional<std::string>("no emulator here") : RecordingStarter::start(c);
    }
};

QWidget* active() { return QApplication::activeWindow(); }
bool activeIs(const char* name) { return active() && active()->objectName() == name; }

struct Step {
    QString what;                 // for the failure message
    std::function<void()> act;    // what the pads or the player do
    QString keys;                 // the keys that must arrive, in order (repeats aside)
    std::function<bool()> until;  // and what must hold then
};

// Runs the steps from a timer, so they go on inside the modal windows they
// open; what went wrong, or nothing.
QString play(const std::vector<Step>& steps, KeyLog& log)
{
    QString failure;
    std::size_t next = 0;
    bool started = false, finished = false;
    QElapsedTimer clock;
    QTimer timer;
    auto finish = [&](const QString& why) {
        failure = why;
        finished = true;
        timer.stop();
        // Whatever is still open goes, so the test gets out of its modal loops.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->isModal())
                QMetaObject::invokeMethod(w, [w] { w->close(); }, Qt::QueuedConnection);
    };
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (next == steps.size())
            return finish({});
        const Step& s = steps[next];
        if (!std::exchange(started, true)) {
            log.keys.clear();
            clock.start();
            s.act();
        }
        const QStringList want = s.keys.split(' ', Qt::SkipEmptyParts), got = log.pressed();
        const bool keysIn = got.size() >= want.size();
        if (keysIn && got != want)
            finish(QString("%1: keys %2, wanted %3").arg(s.what, got.join(' '), want.join(' ')));
        else if (keysIn && (!s.until || s.until()))
            ++next, started = false;
        else if (clock.elapsed() > 10000)
            finish(QString("%1: waited 10 s for %2 (keys so far: %3)")
                       .arg(s.what, keysIn ? "its outcome" : "keys " + want.join(' '), log.keys.join(' ')));
    });
    timer.start(5);
    if (!QTest::qWaitFor([&] { return finished; }, 120000))
        return "waited 2 minutes for the play to end";
    return failure;
}

}  // namespace

class PadScenarioTest : public QObject {
    Q_OBJECT
    Starter starter;
    KeyLog log;
    Pad one, two;

private slots:
    void initTestCase()
    {
        if (!sdl.load())
            QSKIP("libSDL2-2.0.so.0 is not installed: no gamepads to test");
        setUpOnce(starter);
        QVERIFY(startMenu());
        forms::startGamepads(true);
        QVERIFY2(QTest::qWaitFor([] { return sdl.WasInit(SDL_INIT_GAMECONTROLLER) != 0; }, 10000),
                 "waited 10 s for the program to start SDL's game controllers");
        qApp->installEventFilter(&log);
    }
    void cleanupTestCase() { forms::stopGamepads(); }

    void everyWindowWithAPad()
    {
        using B = SDL_GameControllerButton;
        static const char* const names[] = {"south", "east", "west", "north", "back", "guide", "start", "left stick",
            "right stick", "left shoulder", "right shoulder", "up", "down", "left", "right"};
        std::vector<Step> steps;
        QElapsedTimer since;
        // A button held until its keys and what they lead to are there, and let
        // go until the program has seen it; a press is both.
        auto hold = [&](Pad& pad, B b, const QString& keys, std::function<bool()> until = {}) {
            steps.push_back({QString("%1 down").arg(names[b]), [&pad, b] { pad.button(b, true); }, keys,
                             [&pad, b, until] { return pad.seen(b) == 1 && (!until || until()); }});
        };
        auto release = [&](Pad& pad, B b) {
            steps.push_back({QString("%1 up").arg(names[b]), [&pad, b] { pad.button(b, false); }, {},
                             [&pad, b] { return pad.seen(b) == 0; }});
        };
        auto press = [&](Pad& pad, B b, const QString& keys, std::function<bool()> until = {}) {
            hold(pad, b, keys, until);
            release(pad, b);
        };
        auto stick = [&](Pad& pad, int y) {
            steps.push_back({QString("stick at %1").arg(y), [&pad, y] { pad.stick(y); }, {},
                             [&pad, y] { return pad.seenStick() == y; }});
        };
        auto step = [&](const QString& what, std::function<void()> act, std::function<bool()> until) {
            steps.push_back({what, act, {}, until});
        };
        auto cursorAt = [](int k) { return [k] { return cursorTop() == playdeck::entries()[k].stop; }; };
        auto focusOn = [](const char* name) { return [name] { return focusName() == name; }; };
        auto backOnMenu = [](const char* closed) {
            return [closed] { return !form(closed).isLoaded() && activeIs("Form1"); };
        };

        step("a pad is plugged in", [&] { one.plug(); }, [&] { return one.open(); });
        // Down twice, south: the gaiden dialog; down, south: its part 2.
        press(one, SDL_CONTROLLER_BUTTON_DPAD_DOWN, "Form1:Down", cursorAt(1));
        press(one, SDL_CONTROLLER_BUTTON_DPAD_DOWN, "Form1:Down", cursorAt(2));
        press(one, SDL_CONTROLLER_BUTTON_A, "Form1:Return", [] { return activeIs("gaiden"); });
        press(one, SDL_CONTROLLER_BUTTON_DPAD_DOWN, "gaiden:Tab", focusOn("Command2"));
        press(one, SDL_CONTROLLER_BUTTON_A, "gaiden:Space", backOnMenu("gaiden"));
        // East leaves a dialog; Start accepts like south.
        press(one, SDL_CONTROLLER_BUTTON_START, "Form1:Return", [] { return activeIs("gaiden"); });
        press(one, SDL_CONTROLLER_BUTTON_B, "gaiden:Esc", backOnMenu("gaiden"));
        // Right along the buttons to Help, south opens it, east closes it.
        press(one, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, "Form1:Backtab", focusOn("Command3"));
        press(one, SDL_CONTROLLER_BUTTON_A, "Form1:Space", [] { return activeIs("hlpfrm"); });
        press(one, SDL_CONTROLLER_BUTTON_B, "", backOnMenu("hlpfrm"));
        // On to About; inside it the D-pad walks the focus; east closes it.
        press(one, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, "Form1:Backtab", focusOn("Command2"));
        press(one, SDL_CONTROLLER_BUTTON_A, "Form1:Space", [] { return activeIs("About"); });
        press(one, SDL_CONTROLLER_BUTTON_DPAD_DOWN, "About:Tab", focusOn("Picture2"));
        press(one, SDL_CONTROLLER_BUTTON_B, "", backOnMenu("About"));
        // Right to Exit and round to the cursor; left walks back.
        press(one, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, "Form1:Backtab", focusOn("Command1"));
        press(one, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, "Form1:Backtab", focusOn("Cur"));
        press(one, SDL_CONTROLLER_BUTTON_DPAD_LEFT, "Form1:Tab", focusOn("Command1"));
        press(one, SDL_CONTROLLER_BUTTON_DPAD_LEFT, "Form1:Tab", focusOn("Command2"));
        press(one, SDL_CONTROLLER_BUTTON_DPAD_LEFT, "Form1:Tab", focusOn("Command3"));
        press(one, SDL_CONTROLLER_BUTTON_DPAD_LEFT, "Form1:Tab", focusOn("Cur"));
        // East on the menu, a drifting stick: nothing (the next keys show it).
        press(one, SDL_CONTROLLER_BUTTON_B, "");
        stick(one, 19000);
        stick(one, -19000);
        stick(one, 0);
        // The stick held down: one press, then repeats; let go, they stop.
        steps.push_back({"stick held down", [&] { one.stick(32767); }, "Form1:Down", [&] { return log.repeats() >= 2; }});
        stick(one, 0);
        // A second pad, plugged in holding south: nothing, not even on release.
        step("a pad is plugged in holding south", [&] { two.plug({SDL_CONTROLLER_BUTTON_A}); }, [&] { return two.open(); });
        release(two, SDL_CONTROLLER_BUTTON_A);
        // Both pads press up together: one press, held while either holds.
        steps.push_back({"both pads press up", [&] {
                             one.button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
                             two.button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
                         }, "Form1:Up", [&] {
                             return one.seen(SDL_CONTROLLER_BUTTON_DPAD_UP) == 1 && two.seen(SDL_CONTROLLER_BUTTON_DPAD_UP) == 1;
                         }});
        release(one, SDL_CONTROLLER_BUTTON_DPAD_UP);
        release(two, SDL_CONTROLLER_BUTTON_DPAD_UP);
        // Unplugged while holding down: the repeats stop. At most one already
        // on its way may still come; a repeat going on gives several a second.
        hold(two, SDL_CONTROLLER_BUTTON_DPAD_DOWN, "Form1:Down");
        step("second pad unplugged", [&] { two.unplug(); }, [&] { return !two.open(); });
        step("a second after the unplug", [&] { since.start(); },
             [&] { return since.elapsed() > 1000 && log.repeats() <= 1; });
        // The menu without the keyboard: a press then does nothing, not even
        // once the keyboard is back; losing it stops a repeat, and what is held
        // stays dead until let go. A second of holding shows any repeat.
        auto away = [&] {
            step("the menu loses the keyboard", [] { QApplication::setActiveWindow(nullptr); }, [] { return !active(); });
        };
        auto back = [&](int allowed) {
            step("the menu has the keyboard again", [] { QApplication::setActiveWindow(forms::window(form("Form1"))); },
                 [] { return activeIs("Form1"); });
            step("a second of holding", [&] { since.start(); },
                 [&, allowed] { return since.elapsed() > 1000 && log.repeats() <= allowed; });
        };
        away();
        hold(one, SDL_CONTROLLER_BUTTON_DPAD_UP, "");
        back(0);
        release(one, SDL_CONTROLLER_BUTTON_DPAD_UP);
        hold(one, SDL_CONTROLLER_BUTTON_DPAD_DOWN, "Form1:Down");
        away();
        back(1);
        release(one, SDL_CONTROLLER_BUTTON_DPAD_DOWN);
        // A failed start: east closes the error report.
        step("the cursor on the single-part title, the emulator missing", [&] {
            starter.fail = true;
            form("Form1").setTop("Cur", playdeck::entries()[4].stop);
        }, [] { return true; });
        press(one, SDL_CONTROLLER_BUTTON_A, "Form1:Return", [] { return activeIs("errorReport"); });
        press(one, SDL_CONTROLLER_BUTTON_B, "errorReport:Esc", [] { return activeIs("Form1"); });
        // And the pad still works.
        press(one, SDL_CONTROLLER_BUTTON_DPAD_UP, "Form1:Up", cursorAt(3));

        const QString failure = play(steps, log);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QCOMPARE(starter.tails, QStringList{QString::fromUtf8(playdeck::partsOf("gaiden")[1].tail.data())});
        one.unplug();
    }
};

QTEST_MAIN(PadScenarioTest)
#include "pad_scenario_test.moc"
