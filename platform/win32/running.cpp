// The mark of a running PLAYDECK: a named mutex, never owned, only open. Its
// name has no prefix, so it lives in the namespace of the player's session.
// The setup and the uninstaller (OpenMutexW on the same name, which
// packaging/CMakeLists.txt reads from here) see it exactly while playdeck.exe
// or the stand-in runs; the system closes the handle however the process ends.
#include "running.h"

#include <windows.h>

namespace forms::win32 {

constexpr const wchar_t* kRunningMutex = L"PLAYDECK.running";

void holdRunningMark()
{
    CreateMutexW(nullptr, FALSE, kRunningMutex);
}

}  // namespace forms::win32
