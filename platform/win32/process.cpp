// Starting the emulator and finding our own directory, on plain Win32. Nothing
// goes through a shell: CreateProcessW gets the program's path as it is and a
// command line quoted the way the started program's C runtime splits it.
#include "process.h"

#include "utf16.h"

#include <windows.h>

namespace forms {

namespace {

// The system's own text for an error code, in UTF-8, without the line break
// FormatMessageW ends it with.
std::string systemMessage(DWORD code)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text ? text : L"", length);
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n'))
        message.pop_back();
    if (message.empty())
        return "error " + std::to_string(code);
    return win32::utf8(message);
}

}  // namespace

std::optional<std::string> SystemProcessStarter::start(const playdeck::LaunchCommand& command)
{
    // A Windows path holds no quote, so the program needs no escapes; the C
    // runtime reads the first word of a command line up to its closing quote.
    std::string line = "\"";
    line += command.program;
    line += '"';
    for (const std::string& argument : command.arguments) {
        line += ' ';
        line += playdeck::quoteWindowsArgument(argument);
    }

    const std::wstring program = win32::utf16(command.program);
    std::wstring commandLine = win32::utf16(line);  // CreateProcessW may write into it
    const std::wstring directory = win32::utf16(command.workingDirectory);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(command.windowState);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &started))
        return systemMessage(GetLastError());
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return std::nullopt;
}

std::string applicationDirectory()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);  // cut short: a long path
    }
    const std::size_t separator = path.find_last_of(L"\\/");
    path.resize(separator == std::wstring::npos ? 0 : separator);
    return win32::utf8(path);
}

}  // namespace forms
