// The launch command: formed from the application directory and the tail with
// nothing re-parsed, the program found whatever the tail's letter case, the
// reason of a failed start (on Windows the system's own, through
// CreateProcessW), and the Windows quoting of an argument.
#include "launch.h"

#include "doctest.h"

#include <filesystem>
#include <fstream>

#ifdef _WIN32
#include "process.h"
#include "win32/utf16.h"
#include <windows.h>
#include <shellapi.h>
#else
#include <unistd.h>
#endif

using namespace playdeck;

namespace {

struct FailingStarter : ProcessStarter {
    LaunchCommand seen;
    std::optional<std::string> start(const LaunchCommand& command) override
    {
        seen = command;
        return "no such emulator";
    }
};

}  // namespace

TEST_CASE("the command is the directory and the tail, taken as they are")
{
    const std::string dir = "/nowhere/My Games/$HOME;x \"q\" 100% & ^ é";
    const LaunchCommand c = buildCommand(dir, "\\data\\Runcart.exe data\\mado3.dat");
    CHECK(c.commandLine == dir + "\\data\\Runcart.exe data\\mado3.dat");
    CHECK((c.workingDirectory == dir && c.windowState == 3));
#ifdef _WIN32
    CHECK((c.program == dir + "\\data\\Runcart.exe" && c.arguments == std::vector<std::string>{"data\\mado3.dat"}));
#else
    CHECK((c.program == dir + "/data/Runcart.exe" && c.arguments == std::vector<std::string>{"data/mado3.dat"}));
    // Missing components keep the letter case the tail wrote.
    CHECK(buildCommand(dir, "\\Data\\Runcart.exe data\\kora1.dat").program == dir + "/Data/Runcart.exe");
#endif
}

#ifndef _WIN32
TEST_CASE("the emulator is found whatever the tail's letter case, an exact match first")
{
    namespace fs = std::filesystem;
    const fs::path app = fs::temp_directory_path() / ("playdeck case " + std::to_string(::getpid()));
    fs::remove_all(app);
    fs::create_directories(app / "data");
    std::ofstream(app / "data" / "Runcart.exe") << "x";
    const std::string dir = app.string();
    for (const char* tail : {"\\Data\\Runcart.exe data\\kora1.dat", "\\data\\runcart.exe data\\palu1.dat",
                             "\\DATA\\RUNCART.EXE data\\x.dat"}) {
        CAPTURE(tail);
        CHECK(buildCommand(dir, tail).program == dir + "/data/Runcart.exe");
    }
    fs::create_directories(app / "Data");
    std::ofstream(app / "Data" / "Runcart.exe") << "x";
    CHECK(buildCommand(dir, "\\Data\\Runcart.exe a").program == dir + "/Data/Runcart.exe");
    CHECK(buildCommand(dir, "\\data\\Runcart.exe a").program == dir + "/data/Runcart.exe");
    fs::remove_all(app);
}
#endif

TEST_CASE("a failed start names the program and gives the reason")
{
    FailingStarter starter;
    const LaunchResult r = launch("\\data\\Runcart.exe data\\bexo.dat", "/games", starter);
    CHECK_FALSE(r.started);
    CHECK(r.message == "Cannot start the emulator \"" + starter.seen.program + "\": no such emulator");
}

#ifdef _WIN32
TEST_CASE("a missing emulator is reported with its path and the system's reason")
{
    const auto folder = std::filesystem::temp_directory_path() / L"play deck 'q' & ^ % \u00e9 $(x); no emulator";
    std::filesystem::create_directories(folder / L"data");
    const std::string app = forms::win32::utf8(folder.wstring());
    forms::SystemProcessStarter starter;
    const LaunchResult r = launch("\\data\\Runcart.exe data\\mado3.dat", app, starter);
    std::filesystem::remove_all(folder);
    wchar_t reason[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_FILE_NOT_FOUND, 0, reason, 512, nullptr);
    std::string expected = forms::win32::utf8(reason);
    expected.erase(expected.find_last_not_of("\r\n") + 1);
    REQUIRE_FALSE(expected.empty());
    CHECK((!r.started && r.message == "Cannot start the emulator \"" + app + "\\data\\Runcart.exe\": " + expected));
}
#endif

TEST_CASE("Windows arguments are quoted the way the C runtime reads them back")
{
    struct Row { const char* argument; const char* quoted; };
    const Row rows[] = {
        {"data\\mado3.dat", "data\\mado3.dat"},
        {"", "\"\""},
        {"a b", "\"a b\""},
        {"tab\there", "\"tab\there\""},
        {"line\nfeed\vtab", "\"line\nfeed\vtab\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"\"", "\"\\\"\""},
        {"C:\\My Games\\", "\"C:\\My Games\\\\\""},
        {"C:\\trail\\\\", "C:\\trail\\\\"},
        {"a\\\\\"b", "\"a\\\\\\\\\\\"b\""},
        {"\\\\server\\share\\My Games\\x.dat", "\"\\\\server\\share\\My Games\\x.dat\""},
        {"\\\\server\\share\\", "\\\\server\\share\\"},
        {"jeu é 日本", "\"jeu é 日本\""},
        {"'&^%$(x);", "'&^%$(x);"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.argument);
        CHECK(quoteWindowsArgument(row.argument) == row.quoted);
#ifdef _WIN32
        // Read back by the system's own splitter, after a program name.
        const std::wstring line = L"prog.exe " + forms::win32::utf16(row.quoted) + L" next";
        int count = 0;
        wchar_t** argv = CommandLineToArgvW(line.c_str(), &count);
        REQUIRE(argv);
        REQUIRE(count == 3);
        CHECK(forms::win32::utf8(argv[1]) == row.argument);
        CHECK(forms::win32::utf8(argv[2]) == "next");
        LocalFree(argv);
#endif
    }
}
