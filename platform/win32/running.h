// PLAYDECK's programs say that they run, so that its setup and uninstaller
// leave their files alone until they have ended (running.cpp).
#pragma once

namespace forms::win32 {

// Opens the named mutex the installer looks for and keeps it until the
// process ends. Any number of PLAYDECK programs may hold it at once.
void holdRunningMark();

}  // namespace forms::win32
