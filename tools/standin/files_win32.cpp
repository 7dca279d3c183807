// The stand-in's file access on Windows.
#include "standin.h"

#include "utf16.h"

#include <windows.h>

namespace standin {

using forms::win32::utf16;
using forms::win32::utf8;

// The system's reason for an error code, as the end of a sentence: "the
// process cannot access the file because ..." (no capital, no full stop).
std::string reasonFor(unsigned long code)
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

namespace {

class Win32Files : public Files {
public:
    std::optional<std::vector<Entry>> list(const std::string &folder) const override
    {
        const std::string pattern = folder.empty() || folder.back() == '\\' ? folder + "*" : folder + "\\*";
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(utf16(pattern).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return GetLastError() == ERROR_FILE_NOT_FOUND ? std::optional(std::vector<Entry>()) : std::nullopt;
        std::vector<Entry> entries;
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..")
                entries.push_back({utf8(name), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return entries;
    }

    Head head(const std::string &path, std::size_t count) const override
    {
        Head head;
        const DWORD attributes = GetFileAttributesW(utf16(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return head;
        head.exists = true;
        head.folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (head.folder)
            return head;
        HANDLE file = CreateFileW(utf16(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            head.error = reasonFor(GetLastError());
            return head;
        }
        LARGE_INTEGER size{};
        DWORD got = 0;
        head.bytes.resize(count);
        if (!GetFileSizeEx(file, &size) || !ReadFile(file, head.bytes.data(), DWORD(count), &got, nullptr))
            head.error = reasonFor(GetLastError());
        head.size = std::uint64_t(size.QuadPart);
        head.bytes.resize(got);
        CloseHandle(file);
        return head;
    }

    std::string identity(const std::string &path) const override
    {
        HANDLE file = CreateFileW(utf16(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (path.empty() || file == INVALID_HANDLE_VALUE)
            return {};
        BY_HANDLE_FILE_INFORMATION info{};
        const bool known = GetFileInformationByHandle(file, &info);
        CloseHandle(file);
        if (!known)
            return {};
        return std::to_string(info.dwVolumeSerialNumber) + ":"
            + std::to_string((std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow);
    }

    void makeFolders(const std::string &path) const override
    {
        for (std::size_t separator = path.find('\\', 3);; separator = path.find('\\', separator + 1)) {
            CreateDirectoryW(utf16(path.substr(0, separator)).c_str(), nullptr);
            if (separator == std::string::npos)
                return;
        }
    }
};

} // namespace

const Files &systemFiles()
{
    static const Win32Files files;
    return files;
}

} // namespace standin
