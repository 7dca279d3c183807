#include "process.h"

#include <QCoreApplication>
#include <QDir>

#include <system_error>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace forms {

std::string applicationDirectory()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString();
}

#ifdef _WIN32

namespace {

std::wstring wide(const std::string& utf8)
{
    return QString::fromStdString(utf8).toStdWString();
}

// Quotes one argument the way the C runtime of the started program splits it.
std::wstring quoted(const std::wstring& arg)
{
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos)
        return arg;
    std::wstring out = L"\"";
    std::size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, L'\\');
    return out + L"\"";
}

}  // namespace

std::optional<std::string> SystemProcessStarter::start(const playdeck::LaunchCommand& command)
{
    const std::wstring program = wide(command.program);
    std::wstring line = quoted(program);
    for (const std::string& arg : command.arguments)
        line += L" " + quoted(wide(arg));
    const std::wstring dir = wide(command.workingDirectory);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(command.windowState);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.c_str(), &startup, &info))
        return std::system_category().message(static_cast<int>(GetLastError()));
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return std::nullopt;
}

#else

std::optional<std::string> SystemProcessStarter::start(const playdeck::LaunchCommand& command)
{
    std::vector<std::string> args;
    args.push_back(command.program);
    args.insert(args.end(), command.arguments.begin(), command.arguments.end());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, command.workingDirectory.c_str());
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);

    pid_t pid = 0;
    const int err = posix_spawn(&pid, command.program.c_str(), &actions, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (err != 0)
        return std::generic_category().message(err);
    // The emulator runs in a session of its own; a thread of its own waits for
    // its end, so it never stays behind as a zombie and the menu never waits.
    try {
        std::thread([pid] {
            while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // No thread to spare: the started emulator is reaped by init once we end.
    }
    return std::nullopt;
}

#endif

}  // namespace forms
