// The stand-in for data/Runcart.exe on Linux: the emulator is the application
// the desktop opens NES images with (through GIO, which reads the player's and
// the system's mimeapps.list and desktop entries, as a file manager's "Open"
// does), else Debian's `nes` alternative, else nestopia, fceux or mednafen.
// GIO comes before Qt: Qt's `signals` keyword would clash with its headers.
#include <gio/gio.h>

#include "standin.h"
#include "window_qt.h"
#include "window_system.h"

#include <QApplication>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace standin;

constexpr char kNesMimeType[] = "application/x-nes-rom";
// How long a started application has to confirm that it took the game (a
// D-Bus activated one answers once it runs).
constexpr int kConfirmSeconds = 10;

std::string environment(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

bool isProgram(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string fileNameOf(const std::string &path) { return path.substr(path.find_last_of('/') + 1); }

// Starts the desktop application on `file` and waits, on a main context of its
// own, until GIO says the application was started or has answered its D-Bus
// activation. The reason when it was not, else empty.
std::string launch(GAppInfo *app, const std::string &file, const std::string &marker)
{
    struct Outcome {
        GMainLoop *loop;
        bool done = false;
        std::string error;
    };
    GMainContext *context = g_main_context_new();
    g_main_context_push_thread_default(context);
    // Left behind when the application never answers: nothing runs this context again.
    auto *outcome = new Outcome{g_main_loop_new(context, FALSE), false, {}};
    GAppLaunchContext *launchContext = g_app_launch_context_new();
    g_app_launch_context_setenv(launchContext, kHandOffMarker, marker.c_str());
    gchar *uri = g_filename_to_uri(file.c_str(), nullptr, nullptr);
    GList uris{uri, nullptr, nullptr};
    g_app_info_launch_uris_async(
        app, &uris, launchContext, nullptr,
        [](GObject *source, GAsyncResult *result, gpointer data) {
            auto *outcome = static_cast<Outcome *>(data);
            GError *error = nullptr;
            if (!g_app_info_launch_uris_finish(G_APP_INFO(source), result, &error))
                outcome->error = error ? error->message : "unknown error";
            g_clear_error(&error);
            outcome->done = true;
            g_main_loop_quit(outcome->loop);
        },
        outcome);
    GSource *timeout = g_timeout_source_new_seconds(kConfirmSeconds);
    g_source_set_callback(
        timeout, [](gpointer loop) { g_main_loop_quit(static_cast<GMainLoop *>(loop)); return G_SOURCE_REMOVE; },
        outcome->loop, nullptr);
    g_source_attach(timeout, context);
    g_main_loop_run(outcome->loop);
    g_source_destroy(timeout);
    g_source_unref(timeout);
    g_main_context_pop_thread_default(context);
    g_free(uri);
    g_object_unref(launchContext);
    if (!outcome->done)
        return "it did not confirm within " + std::to_string(kConfirmSeconds) + " seconds that it received the game";
    const std::string error = outcome->error;
    g_main_loop_unref(outcome->loop);
    delete outcome;
    return error;
}

class Linux : public Platform {
public:
    Linux(int &argc, char **argv) : m_argc(argc), m_argv(argv) {}
    ~Linux() override
    {
        if (m_app)
            g_object_unref(m_app);
    }

    // The first choice that is not this program; else the first that is, or none.
    Emulator emulator(const Places &places) override
    {
        Emulator ourselves;
        const auto mine = [&](Emulator e) {
            if (ourselves.choice == Choice::None)
                ourselves = e;
            ourselves.ourselves = true;
        };
        if (GAppInfo *app = g_app_info_get_default_for_type(kNesMimeType, FALSE)) {
            const char *id = g_app_info_get_id(app);
            const Emulator chosen{Choice::DesktopDefault, g_app_info_get_name(app),
                                  id ? id : g_app_info_get_executable(app)};
            gchar *program = g_find_program_in_path(g_app_info_get_executable(app));
            const bool isUs = program && isOurselves(program, places, systemFiles());
            g_free(program);
            if (!isUs) {
                m_app = app;
                return chosen;
            }
            g_object_unref(app);
            mine(chosen);
        }
        // Programs: on PATH, then in the games folders that root's PATH lacks.
        std::vector<std::string> folders;
        const std::string path = environment("PATH");
        for (std::size_t start = 0; start <= path.size();) {
            const std::size_t end = std::min(path.find(':', start), path.size());
            if (end > start)
                folders.push_back(path.substr(start, end - start));
            start = end + 1;
        }
        for (const char *games : {"/usr/games", "/usr/local/games"})
            if (std::find(folders.begin(), folders.end(), games) == folders.end())
                folders.push_back(games);
        for (const char *name : {"nes", "nestopia", "fceux", "mednafen"}) {
            for (const std::string &folder : folders) {
                const std::string program = folder + "/" + name;
                if (!isProgram(program))
                    continue;
                // The alternative is named after the emulator it leads to.
                const bool alternative = std::strcmp(name, "nes") == 0;
                char real[PATH_MAX];
                const std::string emulator = alternative && realpath(program.c_str(), real) ? fileNameOf(real) : name;
                const Emulator found{alternative ? Choice::Alternative : Choice::Usual, emulator, program};
                if (!isOurselves(program, places, systemFiles()))
                    return found;
                mine(found);
            }
        }
        return ourselves;
    }

    std::string handOff(const Emulator &emulator, const std::string &file, const std::string &marker) override
    {
        if (emulator.choice == Choice::DesktopDefault)
            return launch(m_app, file, marker);
        setenv(kHandOffMarker, marker.c_str(), 1);
        char *const argv[] = {const_cast<char *>(emulator.program.c_str()), const_cast<char *>(file.c_str()), nullptr};
        execv(argv[0], argv);
        std::string reason = std::strerror(errno);
        reason[0] = char(std::tolower(static_cast<unsigned char>(reason[0])));
        return reason;
    }

    void show(const std::vector<Line> &lines) override
    {
        const bool chosen = forms::preferX11OnWayland();
        QApplication app(m_argc, m_argv);
        if (chosen)
            qunsetenv("QT_QPA_PLATFORM");
        Window window(lines);
        window.show();
        app.exec();
    }

private:
    int &m_argc;
    char **m_argv;
    GAppInfo *m_app = nullptr; // the desktop's application, once chosen
};

} // namespace

int main(int argc, char *argv[])
{
    std::optional<std::string> argument;
    if (argc > 1)
        argument = argv[1];
    char here[PATH_MAX], own[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", own, sizeof own - 1);
    own[std::max<ssize_t>(length, 0)] = '\0';
    const Places places = placesFor(System::Linux, environment, getcwd(here, sizeof here) ? here : ".", own);
    Linux platform(argc, argv);
    return run(argument, places, environment, systemFiles(), platform);
}
