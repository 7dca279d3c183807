// Start-up and idle memory of whole programs on an X server.
//
//   bench_startup RUNS -- LABEL PROGRAM ARGS... [-- LABEL PROGRAM ARGS...]...
//
// For each run, each program in turn (interleaved, so that drift of the machine
// hits all alike): the time from just before posix_spawn until the X server
// reports the first top-level window of the run mapped (MapNotify on the root
// window), then the program is ended. Afterwards each program is started three
// more times and left idle for a second before its peak and current resident
// size are read from /proc. Prints, per program:
//   startup LABEL MEDIAN_MS P10_MS P90_MS RUNS
//   rss LABEL PEAK_KB CURRENT_KB   (medians of the three)
#include <X11/Xlib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Subject {
    std::string label;
    std::vector<std::string> argv;
    std::vector<double> startMs;
    std::vector<long> peakKb, currentKb;
};

// Waits for a MapNotify of a top-level window; false after `seconds`.
bool waitForMap(Display* dpy, double seconds)
{
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        while (XPending(dpy)) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type == MapNotify && !ev.xmap.override_redirect)
                return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd p{ConnectionNumber(dpy), POLLIN, 0};
        poll(&p, 1, int(left));
    }
}

pid_t spawn(const Subject& s)
{
    std::vector<char*> argv;
    for (const std::string& a : s.argv)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    return pid;
}

void stop(pid_t pid)
{
    kill(pid, SIGKILL);
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

long statusField(pid_t pid, const std::string& field)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field + ":", 0) == 0)
            return std::atol(line.c_str() + field.size() + 1);
    return -1;
}

template <typename T>
T percentile(std::vector<T> v, double q)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? T{} : v[std::min(v.size() - 1, std::size_t(q * double(v.size())))];
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s RUNS -- LABEL PROGRAM ARGS... [-- LABEL PROGRAM ARGS...]...\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    std::vector<Subject> subjects;
    for (int i = 2; i < argc; ++i) {
        if (std::string(argv[i]) == "--") {
            subjects.push_back({});
            continue;
        }
        if (subjects.empty())
            return 2;
        Subject& s = subjects.back();
        if (s.label.empty())
            s.label = argv[i];
        else
            s.argv.push_back(argv[i]);
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "bench_startup: cannot open the display\n");
        return 1;
    }
    XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
    XSync(dpy, False);

    // Two unmeasured rounds first: file caches and font caches warm for all.
    for (int run = -2; run < runs; ++run) {
        for (Subject& s : subjects) {
            XSync(dpy, True);  // drop events of earlier runs
            const auto t0 = Clock::now();
            const pid_t pid = spawn(s);
            if (pid < 0) {
                std::fprintf(stderr, "bench_startup: cannot start %s\n", s.argv[0].c_str());
                return 1;
            }
            const bool mapped = waitForMap(dpy, 30);
            const auto t1 = Clock::now();
            stop(pid);
            if (!mapped) {
                std::fprintf(stderr, "bench_startup: %s never mapped a window\n", s.label.c_str());
                return 1;
            }
            if (run >= 0)
                s.startMs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        }
    }
    for (int run = 0; run < 3; ++run) {
        for (Subject& s : subjects) {
            XSync(dpy, True);
            const pid_t pid = spawn(s);
            const bool mapped = waitForMap(dpy, 30);
            std::this_thread::sleep_for(std::chrono::seconds(1));
            if (mapped) {
                s.peakKb.push_back(statusField(pid, "VmHWM"));
                s.currentKb.push_back(statusField(pid, "VmRSS"));
            }
            stop(pid);
        }
    }
    for (const Subject& s : subjects) {
        std::printf("startup %s %.1f %.1f %.1f %zu\n", s.label.c_str(), percentile(s.startMs, 0.5),
                    percentile(s.startMs, 0.1), percentile(s.startMs, 0.9), s.startMs.size());
        std::printf("rss %s %ld %ld\n", s.label.c_str(), percentile(s.peakKb, 0.5), percentile(s.currentKb, 0.5));
    }
    XCloseDisplay(dpy);
    return 0;
}
