// What a test can see of this process's children and open files.
#pragma once

#include <QDir>
#include <QTest>

#include <cerrno>
#include <sys/wait.h>

namespace processes {

inline int openDescriptors()
{
    return int(QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).size());
}

// True once this process has no children left, running or as zombies, within
// `ms`. Looks without reaping anything itself, so a child the program failed
// to reap stays visible as one.
inline bool noChildrenLeft(int ms = 10000)
{
    return QTest::qWaitFor(
        [] {
            siginfo_t info{};
            errno = 0;
            return waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) < 0 && errno == ECHILD;
        },
        ms);
}

}  // namespace processes
