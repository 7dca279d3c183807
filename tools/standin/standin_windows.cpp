#include "standin_windows.h"

#include "utf16.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

namespace standin::windows {

namespace {

using forms::win32::utf16;
using forms::win32::utf8;

// The system's reason for an error code, as the end of a sentence: "the
// process cannot access the file because ..." (no capital, no full stop).
std::string reason(DWORD code)
{
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    std::wstring message(text ? text : L"", length);
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L'.'))
        message.pop_back();
    if (message.empty())
        return "error " + std::to_string(code);
    message[0] = static_cast<wchar_t>(towlower(message[0]));
    return utf8(message);
}

std::string fullPath(const std::string &path)
{
    const std::wstring wide = utf16(path);
    std::wstring full(32768, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), DWORD(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size())
        return path;
    full.resize(length);
    return utf8(full);
}

std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The file's name as it is on disk, in whatever case it was asked for.
std::string asOnDisk(const std::string &path)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(utf16(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return path;
    FindClose(search);
    return folderOf(path) + "\\" + utf8(found.cFileName);
}

std::string sameCase(const std::string &path)
{
    std::wstring wide = utf16(path);
    CharLowerBuffW(wide.data(), DWORD(wide.size()));
    return utf8(wide);
}

// What the file is, from its first bytes; why it cannot be read, if it cannot.
FileKind kindOfFile(const std::string &path, std::string &why)
{
    HANDLE file = CreateFileW(utf16(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        why = reason(GetLastError());
        return FileKind::Unreadable;
    }
    char bytes[8];
    DWORD read = 0;
    const BOOL ok = ReadFile(file, bytes, sizeof bytes, &read, nullptr);
    if (!ok)
        why = reason(GetLastError());
    CloseHandle(file);
    return ok ? kindOfBytes(std::string_view(bytes, read)) : FileKind::Unreadable;
}

std::wstring environment(const wchar_t *name)
{
    std::wstring value(32768, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), DWORD(value.size()));
    value.resize(length < value.size() ? length : 0);
    return value;
}

} // namespace

Places placesOfThisProcess()
{
    std::wstring local = environment(L"LOCALAPPDATA");
    if (local.empty()) {
        wchar_t folder[MAX_PATH];
        if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
            local = folder;
    }
    std::wstring here(32768, L'\0');
    here.resize(GetCurrentDirectoryW(DWORD(here.size()), here.data()));
    std::wstring own(32768, L'\0');
    own.resize(GetModuleFileNameW(nullptr, own.data(), DWORD(own.size())));
    return {local.empty() ? std::string() : utf8(local) + "\\PLAYDECK", utf8(here), utf8(own)};
}

std::optional<Emulator> nesAssociation(const std::string &ownProgram)
{
    // Only the program itself, never "Open with" standing in for an unknown type.
    auto query = [](ASSOCSTR what) {
        std::wstring text(32768, L'\0');
        DWORD length = DWORD(text.size());
        if (FAILED(AssocQueryStringW(ASSOCF_INIT_IGNOREUNKNOWN | ASSOCF_NOTRUNCATE, what, L".nes", nullptr,
                                     text.data(), &length)))
            return std::string();
        text.resize(wcslen(text.c_str()));
        return utf8(text);
    };
    const std::string program = query(ASSOCSTR_EXECUTABLE);
    // The stand-in chosen for .nes files would only start itself again.
    if (program.empty() || sameCase(fullPath(program)) == sameCase(fullPath(ownProgram)))
        return std::nullopt;
    std::string name = query(ASSOCSTR_FRIENDLYAPPNAME);
    if (name.empty())
        name = program.substr(program.find_last_of('\\') + 1);
    return Emulator{program, name};
}

Facts probe(const std::optional<std::string> &argument, const Places &places, const std::optional<Emulator> &emulator)
{
    Facts facts;
    facts.argument = argument;
    if (emulator) {
        facts.emulator = emulator->name;
        facts.emulatorBecause = chosenBecause(Choice::Association, emulator->name, emulator->program);
    }
    if (!argument)
        return facts;
    std::string relative = *argument;
    for (char &c : relative)
        c = c == '/' ? '\\' : c;
    facts.game = gameOfFile(relative);
    const bool absolute = relative.starts_with('\\') || (relative.size() > 1 && relative[1] == ':');
    facts.onlyAsGiven = absolute || ("\\" + relative + "\\").find("\\..\\") != std::string::npos;
    std::vector<std::string> bases{places.workingDir};
    if (absolute)
        bases = {""};
    else if (!facts.onlyAsGiven && !places.gamesFolder.empty())
        bases.insert(bases.begin(), places.gamesFolder);
    if (!facts.onlyAsGiven && !places.gamesFolder.empty())
        facts.playerFolder = fullPath(places.gamesFolder + "\\" + folderOf(relative));

    std::optional<Facts> unreadable;
    for (const std::string &base : bases) {
        const std::string path = fullPath(base.empty() ? relative : base + "\\" + relative);
        facts.lookedIn.push_back(facts.onlyAsGiven ? folderOf(path) : base);
        const DWORD attributes = GetFileAttributesW(utf16(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        facts.path = asOnDisk(path);
        facts.kind = kindOfFile(path, facts.unreadableBecause);
        facts.playersOwnCopy = !facts.playerFolder.empty()
            && sameCase(path).starts_with(sameCase(facts.playerFolder + "\\"));
        // A copy that cannot be read does not hide a readable one further on.
        if (facts.kind != FileKind::Unreadable)
            return facts;
        if (!unreadable)
            unreadable = facts;
    }
    if (unreadable) {
        unreadable->lookedIn = facts.lookedIn;
        return *unreadable;
    }
    facts.path = fullPath(absolute ? relative : places.workingDir + "\\" + relative);
    facts.kind = FileKind::Missing;
    facts.playersOwnCopy = false;
    return facts;
}

std::string readyToPlay(const Facts &facts)
{
    return facts.argument && facts.kind == FileKind::Ines && !facts.emulator.empty() ? facts.path : std::string();
}

void makePlayerFolder(const Facts &facts)
{
    if (facts.kind == FileKind::Missing && !facts.playerFolder.empty())
        SHCreateDirectoryExW(nullptr, utf16(facts.playerFolder).c_str(), nullptr);
}

std::optional<std::string> handOff(const Emulator &emulator, const std::string &file)
{
    // Neither path can hold a quote, so each goes whole between two.
    std::wstring commandLine = utf16("\"" + emulator.program + "\" \"" + file + "\"");
    const std::wstring folder = utf16(folderOf(fullPath(emulator.program)));
    STARTUPINFOW ours{};
    GetStartupInfoW(&ours);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = (ours.dwFlags & STARTF_USESHOWWINDOW) ? ours.wShowWindow : WORD(SW_SHOWNORMAL);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(utf16(emulator.program).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &started))
        return reason(GetLastError());
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return std::nullopt;
}

} // namespace standin::windows
