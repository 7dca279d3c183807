// A failed start through CreateProcessW names the program and gives the
// system's own reason. (The real start of the emulator, in a folder whose name
// a shell would take apart, is walked end to end by tests/win32.)
#include "launch.h"
#include "process.h"
#include "win32/utf16.h"

#include "doctest.h"

#include <windows.h>

#include <filesystem>

using namespace playdeck;

TEST_CASE("a missing emulator is reported with its path and the system's reason")
{
    const auto folder = std::filesystem::temp_directory_path() / L"play deck 'q' & ^ % \u00e9 $(x); no emulator";
    std::filesystem::create_directories(folder / L"data");
    const std::string app = forms::win32::utf8(folder.wstring());
    forms::SystemProcessStarter starter;
    const LaunchResult r = launch("\\data\\Runcart.exe data\\mado3.dat", app, starter);
    std::filesystem::remove_all(folder);
    CHECK_FALSE(r.started);
    wchar_t reason[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_FILE_NOT_FOUND, 0,
                   reason, 512, nullptr);
    std::string expected = forms::win32::utf8(reason);
    while (!expected.empty() && (expected.back() == '\n' || expected.back() == '\r'))
        expected.pop_back();
    REQUIRE_FALSE(expected.empty());
    CHECK(r.message == "Cannot start the emulator \"" + app + "\\data\\Runcart.exe\": " + expected);
}
