// Records its own start, for tests that put it in place of the emulator. The
// record goes to <PLAYDECK_RECORD>.<process id>, written whole under another
// name first and then renamed into place, so a reader never sees half of it.
// It is UTF-8 text, one item a line ending in LF:
//   cmdline=<the command line, as GetCommandLineW gives it>
//   show=<the window state asked for in STARTUPINFO (3 maximized), or none>
//   argc=<n>
//   <argv[0]> ... <argv[n-1]>, one a line, as CommandLineToArgvW splits it
//   <the working directory, as GetCurrentDirectoryW gives it>
// Exit status 0 when recorded, 2 without PLAYDECK_RECORD, 3 when the record
// could not be written.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

std::string utf8(const wchar_t* text)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(length > 0 ? length : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), length, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

}  // namespace

int wmain()
{
    wchar_t target[32768];
    if (!GetEnvironmentVariableW(L"PLAYDECK_RECORD", target, 32768))
        return 2;

    const wchar_t* commandLine = GetCommandLineW();
    std::string record = "cmdline=" + utf8(commandLine) + "\n";
    STARTUPINFOW startup{};
    GetStartupInfoW(&startup);
    record += "show=";
    record += (startup.dwFlags & STARTF_USESHOWWINDOW) ? std::to_string(startup.wShowWindow) : "none";
    record += "\n";
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(commandLine, &argc);
    record += "argc=" + std::to_string(argc) + "\n";
    for (int i = 0; argv && i < argc; ++i)
        record += utf8(argv[i]) + "\n";
    LocalFree(argv);
    wchar_t directory[32768];
    GetCurrentDirectoryW(32768, directory);
    record += utf8(directory) + "\n";

    const std::wstring pid = std::to_wstring(GetCurrentProcessId());
    const std::wstring part = std::wstring(target) + L".part" + pid;
    const std::wstring done = std::wstring(target) + L"." + pid;
    FILE* out = _wfopen(part.c_str(), L"wb");
    if (!out)
        return 3;
    const bool written = std::fwrite(record.data(), 1, record.size(), out) == record.size();
    if (std::fclose(out) != 0 || !written || !MoveFileExW(part.c_str(), done.c_str(), MOVEFILE_REPLACE_EXISTING))
        return 3;
    return 0;
}
