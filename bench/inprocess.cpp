// The menu in-process, driven through its window like real key presses.
//
//   bench_inprocess reaction N   key press to cursor moved and repainted
//   bench_inprocess launch N     Enter on the single-part title to the emulator
//                                started, against posix_spawn of the same program
//   bench_inprocess memory N     resident size idle and after N rounds of
//                                opening and closing every window
//   bench_inprocess idle N MODE  CPU share and resident size over N seconds idle
//                                on the main menu; MODE "off": no gamepad code,
//                                "watch": gamepads as the program starts them,
//                                "pad": one virtual SDL pad attached and polled
// Prints one line of figures per mode (see the printf calls).
#include "app.h"
#include "catalogue.h"
#include "qtforms.h"
#include "launch.h"
#include "process.h"

#include <QApplication>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <dlfcn.h>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double micros(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::micro>(b - a).count();
}

double percentile(std::vector<double> v, double q)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, std::size_t(q * double(v.size())))];
}

long selfStatus(const char* field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(in, line))
        if (line.rfind(prefix, 0) == 0)
            return std::atol(line.c_str() + prefix.size());
    return -1;
}

forms::Form& menu() { return forms::instance("Form1"); }
float cursorTop() { return menu().top("Cur"); }
QWindow* menuWindow() { return forms::window(menu())->windowHandle(); }

// Notes that a widget painted.
class PaintSpy : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

// Closes whatever modal window comes up, from inside its modal loop: Escape
// for the borderless part dialogs, the close box for the others.
class ModalCloser : public QObject {
public:
    int closed = 0;
    QStringList names;
    ModalCloser()
    {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || !modal->isActiveWindow())
                return;
            ++closed;
            names << modal->objectName();
            if (modal->windowFlags() & Qt::FramelessWindowHint)
                QTest::keyClick(modal->windowHandle(), Qt::Key_Escape);
            else
                modal->close();
        });
        timer->start(1);
    }
};

void settle(int ms)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTest::qWait(ms);
}

int reaction(int count)
{
    QWidget* cur = forms::control(menu(), "Cur");
    PaintSpy spy;
    cur->installEventFilter(&spy);
    std::vector<double> times;
    int missed = 0;
    for (int i = -200; i < count; ++i) {  // the first 200 warm up
        spy.painted = false;
        const float before = cursorTop();
        const auto t0 = Clock::now();
        QTest::keyClick(menuWindow(), Qt::Key_Down);
        const auto deadline = t0 + std::chrono::seconds(1);
        while (!spy.painted && Clock::now() < deadline)
            QCoreApplication::processEvents();
        const auto t1 = Clock::now();
        if (!spy.painted || cursorTop() == before)
            ++missed;
        else if (i >= 0)
            times.push_back(micros(t0, t1));
    }
    std::printf("reaction_us %.1f %.1f %.1f %zu %d\n", percentile(times, 0.5), percentile(times, 0.99),
                percentile(times, 1.0), times.size(), missed);
    return missed == 0 ? 0 : 1;
}

int launchBench(int count)
{
    const std::string appDir = forms::applicationDirectory();
    const std::string program = appDir + "/data/Runcart.exe";
    if (!QFile::exists(QString::fromStdString(program))) {
        std::fprintf(stderr, "bench_inprocess: %s is missing\n", program.c_str());
        return 1;
    }
    ui::setProcessStarter(nullptr);  // the system's process start
    const std::string tail(playdeck::singlePartTail());
    while (cursorTop() != playdeck::entries()[4].stop)
        QTest::keyClick(menuWindow(), Qt::Key_Down);
    ModalCloser closer;  // an error report would show up here

    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    forms::SystemProcessStarter starter;
    std::vector<double> menuTimes, starterTimes, buildTimes, bareTimes;
    for (int i = -20; i < count; ++i) {
        auto t0 = Clock::now();
        QTest::keyClick(menuWindow(), Qt::Key_Return);
        auto t1 = Clock::now();
        if (i >= 0)
            menuTimes.push_back(micros(t0, t1));

        t0 = Clock::now();
        const playdeck::LaunchCommand command = playdeck::buildCommand(appDir, tail);
        t1 = Clock::now();
        starter.start(command);
        const auto t2 = Clock::now();
        if (i >= 0) {
            buildTimes.push_back(micros(t0, t1));
            starterTimes.push_back(micros(t1, t2));
        }

        pid_t pid;
        t0 = Clock::now();
        const int rc = posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ);
        t1 = Clock::now();
        if (rc == 0)
            waitpid(pid, nullptr, 0);
        if (i >= 0)
            bareTimes.push_back(micros(t0, t1));
    }
    std::printf("launch_us %.1f %.1f %.1f %.1f %zu %d\n", percentile(menuTimes, 0.5), percentile(bareTimes, 0.5),
                percentile(starterTimes, 0.5), percentile(buildTimes, 0.5), menuTimes.size(), closer.closed);
    return closer.closed == 0 ? 0 : 1;
}

int memory(int rounds)
{
    ModalCloser closer;
    settle(500);
    std::printf("memory_kb %ld", selfStatus("VmRSS"));
    for (int r = 0; r < rounds; ++r) {
        for (const playdeck::Entry& e : playdeck::entries()) {
            if (e.dialog.empty())
                continue;
            while (cursorTop() != e.stop)
                QTest::keyClick(menuWindow(), Qt::Key_Down);
            QTest::keyClick(menuWindow(), Qt::Key_Return);
        }
        // Access keys work in the active window only: wait for the menu to
        // have the keyboard back after each window (asynchronous on X11).
        for (Qt::Key k : {Qt::Key_A, Qt::Key_H}) {
            if (!QTest::qWaitForWindowActive(forms::window(menu())))
                break;
            QTest::keyClick(menuWindow(), k, Qt::AltModifier);
        }
        settle(200);
        std::printf(" %ld", selfStatus("VmRSS"));
    }
    std::printf(" peak %ld windows %d\n", selfStatus("VmHWM"), int(closer.closed));
    return closer.closed == rounds * 7 ? 0 : 1;
}

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Plugs one virtual pad into the SDL the program loads; false without SDL.
bool plugVirtualPad()
{
    void* lib = dlopen("libSDL2-2.0.so.0", RTLD_NOW);
    auto wasInit = lib ? reinterpret_cast<decltype(&SDL_WasInit)>(dlsym(lib, "SDL_WasInit")) : nullptr;
    auto attach = lib ? reinterpret_cast<decltype(&SDL_JoystickAttachVirtualEx)>(dlsym(lib, "SDL_JoystickAttachVirtualEx"))
                      : nullptr;
    if (!wasInit || !attach)
        return false;
    for (int i = 0; i < 500 && !wasInit(SDL_INIT_GAMECONTROLLER); ++i)
        runFor(10);
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    return wasInit(SDL_INIT_GAMECONTROLLER) && attach(&desc) >= 0;
}

int idle(int seconds, const std::string& mode)
{
    if (mode == "watch" || mode == "pad")
        forms::startGamepads(mode == "pad");
    if (mode == "pad" && !plugVirtualPad()) {
        std::fprintf(stderr, "bench_inprocess: no SDL2 for a virtual pad\n");
        return 1;
    }
    runFor(1000);  // settled
    const double cpu0 = cpuSeconds();
    const auto t0 = Clock::now();
    runFor(seconds * 1000);
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    std::printf("idle_%s %.3f %ld\n", mode.c_str(), 100 * (cpuSeconds() - cpu0) / wall, selfStatus("VmRSS"));
    forms::stopGamepads();
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("PLAYDECK"));
    forms::setUpApplication(app);
    ui::registerWindows();
    menu().show();
    if (!QTest::qWaitForWindowActive(forms::window(menu()))) {
        std::fprintf(stderr, "bench_inprocess: the menu never became active\n");
        return 1;
    }
    const std::string mode = argc > 1 ? argv[1] : "";
    const int count = argc > 2 ? std::atoi(argv[2]) : 1000;
    if (mode == "reaction")
        return reaction(count);
    if (mode == "launch")
        return launchBench(count);
    if (mode == "memory")
        return memory(count);
    if (mode == "idle")
        return idle(count, argc > 3 ? argv[3] : "off");
    std::fprintf(stderr, "usage: %s reaction|launch|memory COUNT | idle SECONDS off|watch|pad\n", argv[0]);
    return 2;
}
