// What the windows share: the window kinds by name and the launch of a game.
#pragma once

#include <string_view>

namespace playdeck {
class ProcessStarter;
}

namespace ui {

// Registers every window kind of the program with the forms runtime.
void registerWindows();

// Starts the emulator on a launch tail. A failed start shows the error report
// (which program, and why) and the program goes on.
void launch(std::string_view tail);

// Where launches go; null restores the system's process start.
void setProcessStarter(playdeck::ProcessStarter* starter);

}  // namespace ui
