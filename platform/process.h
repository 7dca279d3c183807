// Starting programs and finding our own directory.
#pragma once

#include "launch.h"

#include <string>

namespace forms {

// Starts a command as an independent process: no shell, arguments passed as
// they are, working directory set, never waited for by the caller and never
// left as a zombie.
class SystemProcessStarter : public playdeck::ProcessStarter {
public:
    std::optional<std::string> start(const playdeck::LaunchCommand& command) override;
};

// The real directory of the running executable (links followed), UTF-8, no
// trailing separator.
std::string applicationDirectory();

}  // namespace forms
