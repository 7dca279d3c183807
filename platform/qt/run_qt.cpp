// The program's start on Qt: the window system, the application object, plain
// lines instead of an abort when no display can be reached, the event loop,
// and gamepads once the menu is shown.
#include "qtforms.h"
#include "window_system.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace forms {

namespace {

// Whether the environment variable has a value.
bool set(const char* variable)
{
    const char* value = std::getenv(variable);
    return value && *value;
}

// Qt aborts when it cannot reach a display; say so plainly instead.
bool displayReachable() { return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM"); }

// While the application object is being made, messages are held back: a fatal
// one means no window system could be reached, and then plain lines and a
// failure exit say so; otherwise they go out as usual afterwards.
QtMessageHandler usualMessages = nullptr;
struct HeldMessage {
    QtMsgType type;
    QString text;
};
QList<HeldMessage> heldMessages;

void startupMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    heldMessages.append({type, message});
    if (type != QtFatalMsg)
        return;
    // Each window system Qt tried said why it failed, the last message only
    // that none was left: all of them, in order, one line each.
    std::fputs("playdeck: cannot show the menu:\n", stderr);
    for (const HeldMessage& m : std::as_const(heldMessages))
        for (const QString& line : m.text.split(u'\n', Qt::SkipEmptyParts))
            std::fprintf(stderr, "  %s\n", qPrintable(line.trimmed()));
    std::_Exit(1);
}

void releaseMessages()
{
    qInstallMessageHandler(usualMessages);
    for (const HeldMessage& m : std::as_const(heldMessages))
        usualMessages(m.type, QMessageLogContext(), m.text);
    heldMessages.clear();
}

}  // namespace

int run(int argc, char** argv, const Program& program)
{
    if (!displayReachable()) {
        std::fputs("playdeck: no display to show the menu on (neither DISPLAY nor WAYLAND_DISPLAY is set)\n", stderr);
        return 1;
    }
    usualMessages = qInstallMessageHandler(startupMessages);
    const bool chosen = preferX11OnWayland();
    QApplication app(argc, argv);
    if (chosen)
        qunsetenv("QT_QPA_PLATFORM");  // the emulator chooses its own
    releaseMessages();
    QGuiApplication::setDesktopFileName(qstr(program.appId));
    QCoreApplication::setApplicationName(qstr(program.name));
    setUpApplication(app, true);
    instance(program.startForm).show();
    // The window is mapped by now and painted only once the event loop runs.
    addDialogFont();
    // Gamepads only once the menu is up: the start-up does not wait for them.
    QTimer::singleShot(0, &app, [] { startGamepads(); });
    const int status = app.exec();
    stopGamepads();
    return status;
}

}  // namespace forms
