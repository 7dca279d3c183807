// Which window system our Qt programs (the menu, the stand-in's window) ask
// Qt for. On a Wayland desktop with X11 beside it (XWayland), X11 first:
// there the desktop draws the title bar the windows define (close box, no
// minimize or maximize button) and puts each window where it asks to be,
// while Qt's own Wayland title bar has all three buttons and Wayland places
// windows itself. Native Wayland when X cannot be reached. A platform the
// player names in QT_QPA_PLATFORM is left alone.
#pragma once

#include <QtGlobal>

#include <cstdlib>

namespace forms {

// Asks for X11 first where both are there; true when it chose. Once the
// application object is made, the caller takes the choice back
// (qunsetenv("QT_QPA_PLATFORM")), so that the programs it starts choose their own.
inline bool preferX11OnWayland()
{
    const auto set = [](const char* variable) {
        const char* value = std::getenv(variable);
        return value && *value;
    };
    if (set("QT_QPA_PLATFORM") || !set("DISPLAY") || !set("WAYLAND_DISPLAY"))
        return false;
    qputenv("QT_QPA_PLATFORM", "xcb;wayland");
    return true;
}

}  // namespace forms
