// Starting the emulator: the command formed from the application directory and
// a launch tail, and the one side effect, behind ProcessStarter.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace playdeck {

struct LaunchCommand {
    // The application directory immediately followed by the tail, as one text.
    std::string commandLine;
    // What is actually started: the program's full path (the tail's part before
    // its blank, below the application directory) and its argument (the part
    // after the blank). Neither is ever split again or read by a shell.
    std::string program;
    std::vector<std::string> arguments;
    // The emulator resolves its relative data-file argument against this.
    std::string workingDirectory;
    // Window state asked for the new process: maximized with the focus.
    int windowState = 3;
};

// Forms the command for `tail` below `appDir` (UTF-8, no trailing separator).
// On Windows the tail keeps its backslashes. Elsewhere backslashes become '/'
// and each component of the program path below appDir that does not exist as
// written is matched without regard to letter case ("Data" finds "data").
LaunchCommand buildCommand(std::string_view appDir, std::string_view tail);

// Follows `relative` ('/'-separated) below `base`, taking each component as
// written when it exists and otherwise the one directory entry that matches it
// without regard to case (the first in name order if several do). Components
// with no match at all are kept as written, so the result still names the path
// that was asked for.
std::string resolveIgnoringCase(std::string_view base, std::string_view relative);

class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // Starts the command as an independent process and returns at once.
    // Returns the system's reason when the process could not be started.
    virtual std::optional<std::string> start(const LaunchCommand& command) = 0;
};

struct LaunchResult {
    bool started = false;
    std::string message;  // why not, naming the program; empty when started
};

LaunchResult launch(std::string_view tail, std::string_view appDir, ProcessStarter& starter);

// One argument of a Windows command line, quoted so that the C runtime of the
// started program (and CommandLineToArgvW) reads it back unchanged: as it is
// when non-empty and free of blanks, tabs, line feeds, vertical tabs and
// quotes; otherwise in quotes, with every quote escaped and the backslashes
// before a quote or the closing quote doubled. UTF-8 in, UTF-8 out.
std::string quoteWindowsArgument(std::string_view argument);

}  // namespace playdeck
