// Process start on Linux and other POSIX systems.
#include "process.h"

#include <QCoreApplication>
#include <QDir>

#include <system_error>
#include <thread>
#include <vector>

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;

namespace forms {

std::string applicationDirectory()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString();
}

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
    // The emulator gets standard input, output and error, and no descriptor
    // the menu was handed by whatever started it.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
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

}  // namespace forms
