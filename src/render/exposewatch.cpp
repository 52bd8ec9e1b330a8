#include "render/exposewatch.h"

#include <X11/Xlib.h>
#include <poll.h>

ExposeWatch::ExposeWatch() : display(XOpenDisplay(nullptr)), watched(0) {}

ExposeWatch::~ExposeWatch()
{
    if (display != nullptr)
        XCloseDisplay(display);
}

void ExposeWatch::follow(sf::WindowHandle window)
{
    watched = window;
    if (display == nullptr || window == 0)
        return;
    // Any number of clients may ask for a window's exposures; the game's own input is
    // untouched.
    XSelectInput(display, window, ExposureMask);
    XFlush(display);
}

bool ExposeWatch::wait(int milliseconds)
{
    if (!isOn())
        return false;
    if (XPending(display) == 0) {
        pollfd server{ConnectionNumber(display), POLLIN, 0};
        poll(&server, 1, milliseconds);
    }
    bool exposed = false;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        exposed = exposed || (event.type == Expose && event.xexpose.window == watched);
    }
    return exposed;
}
