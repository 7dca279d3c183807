// The built data\Runcart.exe and the program chosen for .nes files (in
// HKEY_CLASSES_ROOT: Wine's does not show HKCU\Software\Classes), in folders
// whose names a shell would take apart: the association's whole command
// reaches the emulator, an association that leads back to the stand-in by
// another spelling starts nothing, and a chosen program that is gone is named.
#include "win32/utf16.h"

#include "doctest.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;
using forms::win32::utf8;

namespace {

const fs::path kRoot = fs::temp_directory_path() / L"standin \u00e9";

// A player's folder with the stand-in and palu2.dat; started as PLAYDECK
// starts it (maximized, data\palu2.dat) with .nes files opening with a
// command, in a job with whatever it starts.
struct Standin {
    fs::path app = kRoot / L"my games 'n' & ^up %PATH% \u00e9", exe = app / L"data" / L"Runcart.exe";
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    PROCESS_INFORMATION process{};

    Standin()
    {
        fs::remove_all(kRoot);
        fs::create_directories(app / L"data");
        std::ofstream(app / L"data" / L"Palu2.dat", std::ios::binary) << std::string("NES\x1A\x01\x01", 6) << std::string(24586, '\0');
        fs::copy_file(STANDIN_EXE, exe);
        SetEnvironmentVariableW(L"LOCALAPPDATA", (kRoot / L"Local").c_str());
    }
    ~Standin()
    {
        TerminateJobObject(job, 1);
        for (HANDLE h : {job, process.hThread, process.hProcess})
            CloseHandle(h);
        for (const wchar_t *key : {L"PlaydeckTest.nes", L".nes"})
            RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
        // A recorder may still be running for a moment after its record.
        std::error_code busy;
        for (int tries = 0; tries < 100 && fs::remove_all(kRoot, busy) == std::uintmax_t(-1); ++tries)
            Sleep(50);
    }
    void start(const std::wstring &command)
    {
        RegSetKeyValueW(HKEY_CLASSES_ROOT, L".nes", nullptr, REG_SZ, L"PlaydeckTest.nes", sizeof L"PlaydeckTest.nes");
        RegSetKeyValueW(HKEY_CLASSES_ROOT, L"PlaydeckTest.nes\\shell\\open\\command", nullptr, REG_SZ, command.c_str(),
                        DWORD((command.size() + 1) * sizeof(wchar_t)));
        std::wstring line = L"\"" + exe.wstring() + L"\" data\\palu2.dat";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_MAXIMIZE;
        REQUIRE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, app.c_str(),
                               &startup, &process));
        AssignProcessToJobObject(job, process.hProcess);
        ResumeThread(process.hThread);
    }
    // Its exit status, or nothing when it still runs after `seconds`.
    std::optional<DWORD> ended(DWORD seconds)
    {
        DWORD status = 0;
        if (WaitForSingleObject(process.hProcess, seconds * 1000) || !GetExitCodeProcess(process.hProcess, &status))
            return std::nullopt;
        return status;
    }
    // Its own window and its lines; fails at once when it ends instead.
    std::pair<HWND, std::wstring> window()
    {
        for (int tries = 0; tries < 400; ++tries, Sleep(50)) {
            for (HWND w = FindWindowW(L"PlaydeckStandin", nullptr); w; w = FindWindowExW(nullptr, w, L"PlaydeckStandin", nullptr)) {
                DWORD pid = 0;
                GetWindowThreadProcessId(w, &pid);
                std::wstring said;
                wchar_t text[4096];
                for (HWND line = GetWindow(w, GW_CHILD); line; line = GetWindow(line, GW_HWNDNEXT))
                    said.append(text, GetWindowTextW(line, text, 4096)).append(L"\n");
                if (pid == process.dwProcessId && IsWindowVisible(w))
                    return {w, said};
            }
            if (const auto status = ended(0))
                FAIL("the stand-in ended with status ", *status, " instead of showing its window");
        }
        FAIL("waited 20 s for the stand-in's window");
        return {};
    }
};

}  // namespace

TEST_CASE("the association's whole command starts the emulator in its own folder, as PLAYDECK asked")
{
    Standin standin;
    // No %NAME% here: the shell reads those in a command as the environment's.
    const fs::path emulator = kRoot / L"emu 'x' & ^" / L"rec \u00e9.exe";
    fs::create_directories(emulator.parent_path());
    fs::copy_file(LAUNCH_RECORDER, emulator);
    SetEnvironmentVariableW(L"PLAYDECK_RECORD", (kRoot / L"record").c_str());
    standin.start(L"\"" + emulator.wstring() + L"\" --fullscreen -core \"x y\" \"%1\" --last");
    REQUIRE_MESSAGE(standin.ended(20) == DWORD(0), "the stand-in did not hand off within 20 s");

    // The recorder's record: command line, show state, argc, argv, its folder.
    fs::path record;
    for (int tries = 0; tries < 400 && record.empty(); ++tries, Sleep(50))
        for (const auto &entry : fs::directory_iterator(kRoot))
            if (entry.path().filename().wstring().starts_with(L"record.") && entry.path().wstring().find(L".part") == std::wstring::npos)
                record = entry.path();
    REQUIRE_MESSAGE(!record.empty(), "waited 20 s for the recorder's record");
    std::ifstream in(record);
    const std::string recorded{std::istreambuf_iterator<char>(in), {}};
    const std::string program = utf8(emulator.wstring()), game = utf8((standin.app / L"data" / L"Palu2.dat").wstring());
    CHECK(recorded == "cmdline=\"" + program + "\" --fullscreen -core \"x y\" \"" + game + "\" --last\nshow=3\nargc=6\n"
                          + program + "\n--fullscreen\n-core\nx y\n" + game + "\n--last\n"
                          + utf8(emulator.parent_path().wstring()) + "\n");
}

TEST_CASE("an association naming the stand-in by its short path starts no stand-in, and says so in its window")
{
    Standin standin;
    wchar_t shortPath[MAX_PATH];
    REQUIRE(GetShortPathNameW(standin.exe.c_str(), shortPath, MAX_PATH));
    REQUIRE(std::wstring(shortPath).find(L"my games") == std::wstring::npos);
    standin.start(L"\"" + std::wstring(shortPath) + L"\" \"%1\"");
    const auto [window, said] = standin.window();
    CHECK_MESSAGE(said.find(L"is PLAYDECK's own stand-in (this program) or starts it") != std::wstring::npos, utf8(said));

    // Its window (found by its title by the installer test): sized to its lines, though asked to be maximized.
    CHECK_FALSE(IsZoomed(window));
    RECT area, last;
    GetClientRect(window, &area);
    GetWindowRect(GetWindow(GetWindow(window, GW_CHILD), GW_HWNDLAST), &last);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT *>(&last), 2);
    CHECK((last.bottom <= area.bottom && area.bottom - last.bottom < 40 && area.right < GetSystemMetrics(SM_CXSCREEN)));
    PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    CHECK(standin.ended(20) == DWORD(1));
}

TEST_CASE("a chosen program that is gone is named")
{
    Standin standin;
    const std::wstring gone = (kRoot / L"Gone" / L"gone.exe").wstring();
    standin.start(L"\"" + gone + L"\" \"%1\"");
    const std::wstring said = standin.window().second;
    CHECK_MESSAGE(said.find(L"The program chosen for .nes files, " + gone + L", is missing.") != std::wstring::npos, utf8(said));
}
