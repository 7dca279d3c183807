// The pad state machine with made-up timestamps: each case is a script of pad
// events and the presses it must give, with the time each one comes out when
// the machine is polled every 10 ms.
#include "gamepad.h"

#include <QTest>

#include <sstream>
#include <string>
#include <vector>

using namespace forms::pad;

namespace {

struct Event {
    Millis t;
    enum Kind { Plug, Unplug, Down, Up, Stick, Active, Inactive } kind;
    int pad = 1;
    Source source = Source::South;
    int value = 0;
    std::vector<Source> held = {};
};

Event plug(Millis t, int pad, std::vector<Source> held = {}) { return {t, Event::Plug, pad, {}, 0, held}; }
Event unplug(Millis t, int pad) { return {t, Event::Unplug, pad}; }
Event down(Millis t, Source s, int pad = 1) { return {t, Event::Down, pad, s}; }
Event up(Millis t, Source s, int pad = 1) { return {t, Event::Up, pad, s}; }
Event stick(Millis t, int value, int pad = 1) { return {t, Event::Stick, pad, {}, value}; }
Event active(Millis t) { return {t, Event::Active}; }
Event inactive(Millis t) { return {t, Event::Inactive}; }

struct Case {
    const char* name;
    std::vector<Event> script;
    std::string presses;  // "time action" with * for a repeat, comma-separated
};

const char* const kActionNames[] = {"Up", "Down", "Left", "Right", "Accept", "Back"};

std::string run(const std::vector<Event>& script)
{
    Navigator nav;
    std::ostringstream out;
    const Millis end = script.back().t + 1000;
    auto next = script.begin();
    for (Millis t = 0; t <= end; t += 10) {
        for (; next != script.end() && next->t <= t; ++next) {
            const Event& e = *next;
            switch (e.kind) {
            case Event::Plug: nav.padAdded(e.pad, e.held, t); break;
            case Event::Unplug: nav.padRemoved(e.pad, t); break;
            case Event::Down: nav.button(e.pad, e.source, true, t); break;
            case Event::Up: nav.button(e.pad, e.source, false, t); break;
            case Event::Stick: nav.stickY(e.pad, e.value, t); break;
            case Event::Active: nav.setActive(true, t); break;
            case Event::Inactive: nav.setActive(false, t); break;
            }
        }
        for (const Press& p : nav.take(t))
            out << (out.tellp() ? ", " : "") << t << ' ' << kActionNames[int(p.action)] << (p.autoRepeat ? "*" : "");
    }
    return out.str();
}

using S = Source;

const Case kCases[] = {
    {"a held direction repeats at 500, 650, 800 ms and stops when let go",
     {plug(0, 1), active(0), down(0, S::DpadDown), up(900, S::DpadDown)},
     "0 Down, 500 Down*, 650 Down*, 800 Down*"},
    {"accept, start and back never repeat",
     {plug(0, 1), active(0), down(0, S::South), up(100, S::South), down(200, S::Start), down(300, S::East)},
     "0 Accept, 200 Accept, 300 Back"},
    {"south and start held together are one accept",
     {plug(0, 1), active(0), down(0, S::South), down(50, S::Start), up(100, S::South), down(150, S::South)},
     "0 Accept"},
    {"every D-pad direction",
     {plug(0, 1), active(0), down(0, S::DpadUp), up(10, S::DpadUp), down(20, S::DpadLeft), up(30, S::DpadLeft),
      down(40, S::DpadRight), up(50, S::DpadRight)},
     "0 Up, 20 Left, 40 Right"},
    {"a drifting stick below the threshold does nothing",
     {plug(0, 1), active(0), stick(0, 19999), stick(100, -19999), stick(200, 15000), stick(300, 0)},
     ""},
    {"the stick presses beyond 20000 and lets go only below 12000",
     {plug(0, 1), active(0), stick(0, 20001), stick(100, 12001), stick(200, 25000), stick(300, 11999),
      stick(400, 21000), stick(450, -21000), stick(470, -12001), stick(480, -25000), stick(490, -11999)},
     "0 Down, 400 Down, 450 Up"},
    {"a held stick repeats like the D-pad",
     {plug(0, 1), active(0), stick(0, -32768), stick(700, 0)},
     "0 Up, 500 Up*, 650 Up*"},
    {"D-pad and stick on one pad are one press",
     {plug(0, 1), active(0), down(0, S::DpadDown), stick(100, 30000), up(200, S::DpadDown), stick(300, 0),
      down(400, S::DpadDown), up(450, S::DpadDown)},
     "0 Down, 400 Down"},
    {"two pads pressing together give one press, and it repeats while either holds",
     {plug(0, 1), plug(0, 2), active(0), down(0, S::DpadDown, 1), down(0, S::DpadDown, 2), up(100, S::DpadDown, 1),
      up(560, S::DpadDown, 2)},
     "0 Down, 500 Down*"},
    {"what a pad holds when plugged in is ignored until released",
     {active(0), plug(0, 1, {S::South, S::DpadDown}), up(700, S::South), down(800, S::South),
      up(900, S::DpadDown), down(1000, S::DpadDown), up(1100, S::DpadDown)},
     "800 Accept, 1000 Down"},
    {"unplugging while a direction is held stops the repeat",
     {plug(0, 1), active(0), down(0, S::DpadDown), unplug(300, 1), plug(400, 1), down(1500, S::DpadUp), up(1600, S::DpadUp)},
     "0 Down, 1500 Up"},
    {"events of an unknown pad are dropped",
     {plug(0, 1), active(0), down(0, S::South, 7), stick(10, 30000, 7)},
     ""},
    {"inactive: nothing; what is held when activation returns waits for its release",
     {plug(0, 1), down(0, S::DpadDown), down(100, S::South), active(200), up(300, S::DpadDown),
      down(400, S::DpadDown), up(450, S::DpadDown)},
     "400 Down"},
    {"losing activation stops the repeat, and the held direction stays dead afterwards",
     {plug(0, 1), active(0), down(0, S::DpadDown), inactive(300), active(400), up(1000, S::DpadDown),
      down(1100, S::East)},
     "0 Down, 1100 Back"},
    {"the latest direction repeats, an earlier one does not come back",
     {plug(0, 1), active(0), down(0, S::DpadDown), down(300, S::DpadUp), up(900, S::DpadUp),
      up(1500, S::DpadDown)},
     "0 Down, 300 Up, 800 Up*"},
};

}  // namespace

Q_DECLARE_METATYPE(const Case*)

class NavigatorTest : public QObject {
    Q_OBJECT
private slots:
    void padEventsBecomePresses_data()
    {
        QTest::addColumn<const Case*>("c");
        for (const Case& c : kCases)
            QTest::newRow(c.name) << &c;
    }
    void padEventsBecomePresses()
    {
        QFETCH(const Case*, c);
        QCOMPARE(QString::fromStdString(run(c->script)), QString::fromLatin1(c->presses.c_str()));
    }

    void padDevicesByTheirButtons_data()
    {
        QTest::addColumn<QString>("capabilities");
        QTest::addColumn<bool>("pad");
        QTest::newRow("Xbox-style pad") << "7cdb000000000000 0 0 0 0" << true;
        QTest::newRow("USB joystick with trigger buttons") << "fff00000000 0 0 0 0" << true;
        QTest::newRow("mouse") << "1f0000 0 0 0 0" << false;
        QTest::newRow("keyboard") << "120013 1000000000007 ff9f207ac14057ff febeffdfffefffff fffffffffffffffe" << false;
        QTest::newRow("touchpad") << "6420 e000 0 0 0 0" << false;
        QTest::newRow("power button") << "10000000000000 0" << false;
        QTest::newRow("nothing") << "0" << false;
    }
    void padDevicesByTheirButtons()
    {
        QFETCH(QString, capabilities);
        QFETCH(bool, pad);
        QCOMPARE(hasPadButtons(capabilities.toStdString()), pad);
    }
};

QTEST_APPLESS_MAIN(NavigatorTest)
#include "navigator_test.moc"
