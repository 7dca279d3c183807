// Gamepads on Linux (see gamepad_linux.h): SDL2's game-controller API,
// loaded at run time on a thread of its own, and only once an input device
// with gamepad buttons exists; until then one inotify watch on /dev/input
// waits for one. While a pad is open the thread polls SDL every 16 ms and
// feeds the pad state machine; its presses go to the Feed. Without libSDL2
// nothing happens at all. Not here: which window a press goes to.
#include "gamepad_linux.h"

#include <SDL2/SDL.h>

#include <chrono>
#include <cstdio>
#include <dirent.h>
#include <dlfcn.h>
#include <fstream>
#include <map>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <system_error>
#include <unistd.h>

namespace forms::linuxpad {

namespace {

using pad::Millis;
using pad::Source;

Millis clockMillis()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// --- Is there a pad? -------------------------------------------------------

bool padDevicePresent()
{
    DIR* dir = opendir("/sys/class/input");
    if (!dir)
        return false;
    bool found = false;
    while (dirent* e = readdir(dir)) {
        if (std::string_view(e->d_name).substr(0, 5) != "input")
            continue;
        std::ifstream in(std::string("/sys/class/input/") + e->d_name + "/capabilities/key");
        std::string line;
        if (std::getline(in, line) && pad::hasPadButtons(line)) {
            found = true;
            break;
        }
    }
    closedir(dir);
    return found;
}

// --- SDL, loaded at run time -----------------------------------------------

struct Sdl {
#define PLAYDECK_SDL_FUNCTIONS(X)                                                                  \
    X(SetHintWithPriority) X(InitSubSystem) X(QuitSubSystem) X(PollEvent) X(GameControllerOpen)   \
    X(GameControllerClose) X(GameControllerGetJoystick)                                            \
    X(GameControllerGetButton) X(GameControllerGetAxis) X(JoystickInstanceID)                     \
    X(JoystickGetDeviceInstanceID) X(GetError)
#define PLAYDECK_SDL_MEMBER(name) decltype(&::SDL_##name) name = nullptr;
    PLAYDECK_SDL_FUNCTIONS(PLAYDECK_SDL_MEMBER)

    // Loads the library once; false when it or one of its functions is missing.
    bool load()
    {
        if (loaded)
            return true;
        void* lib = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!lib)
            return false;
        bool complete = true;
#define PLAYDECK_SDL_LOOKUP(name)                                                     \
    name = reinterpret_cast<decltype(name)>(dlsym(lib, "SDL_" #name));                \
    complete = complete && name;
        PLAYDECK_SDL_FUNCTIONS(PLAYDECK_SDL_LOOKUP)
        if (!complete) {
            dlclose(lib);
            return false;
        }
        // Ctrl+C keeps ending the program; no HIDAPI driver takes a pad away
        // from the emulator; events come while another program is in front
        // (activation is ours to judge); face buttons by position.
        for (auto [hint, value] : {std::pair{SDL_HINT_NO_SIGNAL_HANDLERS, "1"}, {SDL_HINT_JOYSTICK_HIDAPI, "0"},
                                   {SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1"},
                                   {SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0"}})
            SetHintWithPriority(hint, value, SDL_HINT_OVERRIDE);
        loaded = true;
        return true;
    }
    bool loaded = false;
};

// SDL's buttons and the sources they are.
constexpr std::pair<SDL_GameControllerButton, Source> kButtons[] = {
    {SDL_CONTROLLER_BUTTON_DPAD_UP, Source::DpadUp},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, Source::DpadDown},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, Source::DpadLeft},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, Source::DpadRight},
    {SDL_CONTROLLER_BUTTON_A, Source::South},
    {SDL_CONTROLLER_BUTTON_B, Source::East},
    {SDL_CONTROLLER_BUTTON_START, Source::Start},
};

const Source* sourceOf(Uint8 button)
{
    for (const auto& [b, s] : kButtons)
        if (b == button)
            return &s;
    return nullptr;
}

// --- The pad thread ----------------------------------------------------------

constexpr int kPollMillis = 16;
// With no pad open, SDL is let go after this and the watch takes over again.
constexpr Millis kNoPadGrace = 3000;

class PadThread : public Watch {
public:
    // `wake` is an eventfd: a count on it ends the thread.
    PadThread(Feed feed, bool atOnce, int wake) : feed_(std::move(feed)), atOnce_(atOnce), wake_(wake) {}
    ~PadThread() override
    {
        if (thread_.joinable()) {
            const std::uint64_t one = 1;
            if (write(wake_, &one, sizeof one) < 0)
                std::perror("playdeck: gamepad thread");
            thread_.join();
        }
        close(wake_);
    }

    std::thread thread_;

    void run()
    {
        const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        watchInputFolder(watch);
        bool padNow = atOnce_ || padDevicePresent();
        for (;;) {
            if (padNow) {
                if (!sdl_.load())
                    break;  // no SDL: the keyboard stays the only way, as always
                if (!pollPads(watch))
                    break;
            }
            pollfd fds[] = {{wake_, POLLIN, 0}, {watch, POLLIN, 0}};
            if (poll(fds, watch < 0 ? 1 : 2, -1) < 0 || fds[0].revents)
                break;
            padNow = inputChanged(watch) && padDevicePresent();
        }
        if (watch >= 0)
            close(watch);
    }

private:
    // One watch: on /dev/input, or on /dev until that appears.
    void watchInputFolder(int watch)
    {
        if (watch < 0)
            return;
        if (watched_ >= 0)
            inotify_rm_watch(watch, watched_);
        watched_ = inotify_add_watch(watch, "/dev/input", IN_CREATE | IN_ATTRIB | IN_ONLYDIR);
        watchingDev_ = watched_ < 0;
        if (watchingDev_)
            watched_ = inotify_add_watch(watch, "/dev", IN_CREATE | IN_ONLYDIR);
    }

    // Reads what the watch saw; true when an input device may have come.
    bool inputChanged(int watch)
    {
        alignas(inotify_event) char buffer[4096];
        bool changed = false;
        ssize_t n;
        while ((n = read(watch, buffer, sizeof buffer)) > 0) {
            for (char* p = buffer; p < buffer + n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(p);
                const std::string_view name = e->len ? e->name : "";
                if (watchingDev_ && name == "input")
                    watchInputFolder(watch), changed = true;
                else if (!watchingDev_ && name.substr(0, 5) == "event")
                    changed = true;
                p += sizeof(inotify_event) + e->len;
            }
        }
        return changed;
    }

    // Polls SDL while pads are open. False when the thread is to end.
    bool pollPads(int watch)
    {
        if (sdl_.InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
            std::fprintf(stderr, "playdeck: no gamepads: %s\n", sdl_.GetError());
            return true;
        }
        Millis lastPad = clockMillis();
        bool ending = false;
        while (!ending) {
            const Millis now = clockMillis();
            nav_.setActive(feed_.keyboard(), now);
            SDL_Event e;
            while (sdl_.PollEvent(&e))
                handle(e, now);
            if (std::vector<pad::Press> presses = nav_.take(now); !presses.empty())
                feed_.presses(std::move(presses));
            if (!pads_.empty() || atOnce_)
                lastPad = now;
            else if (now - lastPad > kNoPadGrace)
                break;
            inputChanged(watch);  // SDL watches the devices itself meanwhile
            pollfd wake{wake_, POLLIN, 0};
            ending = poll(&wake, 1, kPollMillis) != 0;
        }
        for (auto& [id, controller] : pads_) {
            sdl_.GameControllerClose(controller);
            nav_.padRemoved(id, clockMillis());
        }
        pads_.clear();
        sdl_.QuitSubSystem(SDL_INIT_GAMECONTROLLER);
        return !ending;
    }

    // Added events name a device index, the others an instance id.
    void handle(const SDL_Event& e, Millis now)
    {
        switch (e.type) {
        case SDL_CONTROLLERDEVICEADDED: {
            const int index = e.cdevice.which;
            if (pads_.count(sdl_.JoystickGetDeviceInstanceID(index)))
                break;
            SDL_GameController* controller = sdl_.GameControllerOpen(index);
            if (!controller)
                break;
            const SDL_JoystickID id = sdl_.JoystickInstanceID(sdl_.GameControllerGetJoystick(controller));
            pads_[id] = controller;
            // What the pad holds as it arrives: SDL reads it while opening
            // and reports no press for it; the state machine is told too.
            std::vector<Source> buttons;
            for (const auto& [button, source] : kButtons)
                if (sdl_.GameControllerGetButton(controller, button))
                    buttons.push_back(source);
            nav_.padAdded(id, buttons, sdl_.GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY), now);
            break;
        }
        case SDL_CONTROLLERDEVICEREMOVED: {
            auto it = pads_.find(e.cdevice.which);
            if (it == pads_.end())
                break;
            sdl_.GameControllerClose(it->second);
            pads_.erase(it);
            nav_.padRemoved(e.cdevice.which, now);
            break;
        }
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            if (const Source* s = sourceOf(e.cbutton.button))
                nav_.button(e.cbutton.which, *s, e.type == SDL_CONTROLLERBUTTONDOWN, now);
            break;
        case SDL_CONTROLLERAXISMOTION:
            if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY)
                nav_.stickY(e.caxis.which, e.caxis.value, now);
            break;
        default:
            break;
        }
    }

    Feed feed_;
    const bool atOnce_;
    const int wake_;
    int watched_ = -1;
    bool watchingDev_ = false;
    Sdl sdl_;
    pad::Navigator nav_;
    std::map<SDL_JoystickID, SDL_GameController*> pads_;
};

}  // namespace

std::unique_ptr<Watch> start(Feed feed, bool loadAtOnce, StartThread startThread)
{
    // Both failures mean no gamepads, nothing worse: without the eventfd the
    // thread could not be told to end, and the program would wait for it at
    // exit.
    const int wake = eventfd(0, EFD_CLOEXEC);
    if (wake < 0) {
        std::perror("playdeck: no gamepads");
        return nullptr;
    }
    auto watch = std::make_unique<PadThread>(std::move(feed), loadAtOnce, wake);
    try {
        watch->thread_ = startThread([w = watch.get()] { w->run(); });
    } catch (const std::system_error& e) {
        std::fprintf(stderr, "playdeck: no gamepads: %s\n", e.what());
        return nullptr;
    }
    return watch;
}

}  // namespace forms::linuxpad
