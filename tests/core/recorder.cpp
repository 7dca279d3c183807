// Records its own start, for tests that put it in place of the emulator, into
// <PLAYDECK_RECORD>.<process id>: written whole under another name first and
// then renamed into place, so that a reader never sees half of it. UTF-8, one
// item a line:
//   on Windows: cmdline=<the command line, as GetCommandLineW gives it> and
//   show=<the window state asked for in STARTUPINFO (3 maximized), or none>
//   argc=<n>, argv[0] ... argv[n-1] (on Windows as CommandLineToArgvW splits
//   the line), the working directory
//   on Linux: fds=<the number of descriptors it was given>
// Exit status 0 when recorded, 2 without PLAYDECK_RECORD, 3 when the record
// could not be written.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
std::string utf8(const wchar_t* text)
{
    std::string out(std::size_t(WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), int(out.size()), nullptr, nullptr);
    return out.substr(0, out.size() - 1);
}
const std::string kPid = std::to_string(GetCurrentProcessId());
#else
#include <unistd.h>
std::string utf8(const char* text) { return text; }
const std::string kPid = std::to_string(getpid());
#endif

namespace fs = std::filesystem;

int main(int argc, [[maybe_unused]] char** argv)
{
#ifdef _WIN32
    const wchar_t* target = _wgetenv(L"PLAYDECK_RECORD");
    STARTUPINFOW startup{};
    GetStartupInfoW(&startup);
    const wchar_t* line = GetCommandLineW();
    std::string record = "cmdline=" + utf8(line) + "\nshow=" +
                         (startup.dwFlags & STARTF_USESHOWWINDOW ? std::to_string(startup.wShowWindow) : "none") + "\n";
    wchar_t** args = CommandLineToArgvW(line, &argc);
#else
    const char* target = std::getenv("PLAYDECK_RECORD");
    std::string record;
    char** args = argv;
#endif
    if (!target)
        return 2;
    record += "argc=" + std::to_string(argc) + "\n";
    for (int i = 0; i < argc; ++i)
        record += utf8(args[i]) + "\n";
    record += utf8(fs::current_path().c_str()) + "\n";
#ifndef _WIN32
    int fds = -1;  // the directory read
    for ([[maybe_unused]] const auto& fd : fs::directory_iterator("/proc/self/fd"))
        ++fds;
    record += "fds=" + std::to_string(fds) + "\n";
#endif
    const fs::path part = fs::path(target) += ".part" + kPid, done = fs::path(target) += "." + kPid;
    if (!(std::ofstream(part, std::ios::binary) << record))
        return 3;
    std::error_code error;
    fs::rename(part, done, error);
    return error ? 3 : 0;
}
