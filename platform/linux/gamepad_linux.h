// Gamepads on Linux, without a toolkit: whether a pad device exists (sysfs),
// waiting for one (inotify), SDL2's game-controller API loaded at run time
// once one does, and the thread that reads the pads and feeds the pad state
// machine. It hands over presses; delivering them to a window is the
// toolkit backend's part (platform/qt/gamepad_qt.cpp).
#pragma once

#include "gamepad.h"

#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace forms::linuxpad {

// The program's side of the pad thread; both are called on that thread.
struct Feed {
    std::function<bool()> keyboard;                        // one of our windows has the keyboard
    std::function<void(std::vector<pad::Press>)> presses;  // new presses, in order, never empty
};

// How the pad thread is started: as std::thread does, throwing
// std::system_error when it cannot.
using StartThread = std::thread (*)(std::function<void()> run);
inline std::thread startThread(std::function<void()> run) { return std::thread(std::move(run)); }

// The running watch; destroying it stops the thread and lets SDL go.
class Watch {
public:
    virtual ~Watch() = default;
};

// Starts watching for pads; `loadAtOnce` loads SDL and polls without waiting
// for a pad device (for virtual pads). Null, after a line on stderr, when
// the watch cannot run (no eventfd, no thread): then there are no gamepads,
// and the program goes on with the keyboard.
std::unique_ptr<Watch> start(Feed feed, bool loadAtOnce, StartThread startThread = linuxpad::startThread);

}  // namespace forms::linuxpad
