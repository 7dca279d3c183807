// Asks an X window to close the way a window manager's close box does: a
// WM_DELETE_WINDOW client message (the window stays for its owner to close).
//   close_window <window id>
#include <X11/Xlib.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    Display* display = argc == 2 ? XOpenDisplay(nullptr) : nullptr;
    if (!display)
        return 2;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = Window(std::strtoul(argv[1], nullptr, 0));
    e.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, e.xclient.window, False, NoEventMask, &e);
    XCloseDisplay(display);
    return sent ? 0 : 1;
}
