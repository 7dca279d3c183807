// The real start through CreateProcessW: the recorder, put in place of the
// emulator in an application folder whose name a shell would take apart, shows
// the command line, argv and working directory the emulator gets.
#include "launch.h"
#include "process.h"
#include "win32/utf16.h"

#include "doctest.h"

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace playdeck;

namespace {

// A fresh application folder with data\ in it, removed at the end.
struct AppFolder {
    fs::path path = fs::temp_directory_path() /
                    (L"play deck 'q' & ^ % \u00e9 $(x); " + std::to_wstring(GetCurrentProcessId()));
    AppFolder()
    {
        fs::remove_all(path);
        fs::create_directories(path / L"data");
    }
    ~AppFolder()
    {
        // The recorder may still be ending and hold its file for a moment.
        std::error_code ec;
        for (int i = 0; i < 40 && fs::remove_all(path, ec) == static_cast<std::uintmax_t>(-1); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::string utf8() const { return forms::win32::utf8(path.wstring()); }
};

// PLAYDECK_RECORD for the processes this test starts, unset again afterwards.
struct RecordTo {
    explicit RecordTo(const fs::path& file) { SetEnvironmentVariableW(L"PLAYDECK_RECORD", file.c_str()); }
    ~RecordTo() { SetEnvironmentVariableW(L"PLAYDECK_RECORD", nullptr); }
};

// The lines of the first finished record <base>.<pid>; empty after 10 s.
std::vector<std::string> waitForRecord(const fs::path& base)
{
    const std::wstring prefix = base.filename().wstring() + L".";
    for (int i = 0; i < 200; ++i) {
        std::error_code ec;
        for (const auto& item : fs::directory_iterator(base.parent_path(), ec)) {
            const std::wstring name = item.path().filename().wstring();
            if (name.rfind(prefix, 0) != 0 || name.find(L".part") != std::wstring::npos)
                continue;
            std::ifstream in(item.path(), std::ios::binary);
            std::vector<std::string> lines;
            for (std::string line; std::getline(in, line);)
                lines.push_back(line);
            return lines;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
}

}  // namespace

TEST_CASE("the emulator starts in the application folder with exactly its one argument")
{
    AppFolder app;
    const fs::path recorder = forms::win32::utf16(forms::applicationDirectory()) + L"\\" RECORDER_NAME;
    REQUIRE_MESSAGE(fs::exists(recorder), "no recorder at " << recorder.string());
    fs::copy_file(recorder, app.path / L"data" / L"Runcart.exe");
    RecordTo record(app.path / L"record");

    forms::SystemProcessStarter starter;
    const LaunchResult r = launch("\\data\\Runcart.exe data\\mado3.dat", app.utf8(), starter);
    REQUIRE_MESSAGE(r.started, r.message);
    CHECK(r.message.empty());

    const std::vector<std::string> lines = waitForRecord(app.path / L"record");
    REQUIRE_MESSAGE(lines.size() == 6, "waited 10 s for the recorder's record in " << app.utf8());
    const std::string program = app.utf8() + "\\data\\Runcart.exe";
    CHECK(lines[0] == "cmdline=\"" + program + "\" data\\mado3.dat");
    CHECK(lines[1] == "show=3");  // maximized
    CHECK(lines[2] == "argc=2");
    CHECK(lines[3] == program);
    CHECK(lines[4] == "data\\mado3.dat");
    CHECK(lines[5] == app.utf8());
}

TEST_CASE("a missing emulator is reported with its path and the system's reason")
{
    AppFolder app;
    forms::SystemProcessStarter starter;
    const LaunchResult r = launch("\\data\\Runcart.exe data\\mado3.dat", app.utf8(), starter);
    CHECK_FALSE(r.started);
    wchar_t reason[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_FILE_NOT_FOUND, 0,
                   reason, 512, nullptr);
    std::string expected = forms::win32::utf8(reason);
    while (!expected.empty() && (expected.back() == '\n' || expected.back() == '\r'))
        expected.pop_back();
    REQUIRE_FALSE(expected.empty());
    CHECK(r.message == "Cannot start the emulator \"" + app.utf8() + "\\data\\Runcart.exe\": " + expected);
}
