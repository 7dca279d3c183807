// The program's start on Qt: the application object, a plain line instead of
// an abort when no display can be reached, the event loop, and gamepads
// once the menu is shown.
#include "qtforms.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace forms {

namespace {

// Qt aborts when it cannot reach a display; say so plainly instead.
bool displayReachable()
{
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

// While the application object is being made, messages are held back: a fatal
// one means the window system could not be reached, and then one plain line
// and a failure exit say so; otherwise they go out as usual afterwards.
QtMessageHandler usualMessages = nullptr;
struct HeldMessage {
    QtMsgType type;
    QString text;
};
QList<HeldMessage> heldMessages;

void startupMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg) {
        // The first thing Qt complained about names the cause best.
        const QString cause = heldMessages.isEmpty() ? message : heldMessages.constFirst().text;
        std::fprintf(stderr, "playdeck: cannot show the menu: %s\n", qPrintable(cause.simplified()));
        std::_Exit(1);
    }
    heldMessages.append({type, message});
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
    QApplication app(argc, argv);
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
