#include "app/windowstate.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {
// Asked of a window that is gone (closed from outside): X's default is to end the program.
int ignoreErrors(Display*, XErrorEvent*) { return 0; }
} // namespace

WindowState::WindowState()
    : display(XOpenDisplay(nullptr)), watched(0), fullscreen(false), maximised(false), stale(true), moved(false)
{
    if (display == nullptr)
        return;
    stateAtom = XInternAtom(display, "_NET_WM_STATE", False);
    fullscreenAtom = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
    wideAtom = XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_HORZ", False);
    tallAtom = XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_VERT", False);
}

WindowState::~WindowState()
{
    if (display != nullptr)
        XCloseDisplay(display);
}

void WindowState::follow(sf::WindowHandle window)
{
    watched = window;
    fullscreen = maximised = false;
    stale = true;
    moved = false;
    if (display == nullptr || window == 0)
        return;
    // Told of every change of the window's properties and of every move (a window manager
    // tells of a move of its frame with a ConfigureNotify of its own); the game's own input
    // is untouched.
    XSelectInput(display, window, PropertyChangeMask | StructureNotifyMask);
    refresh();
}

bool WindowState::isFullscreen()
{
    refresh();
    return fullscreen;
}

bool WindowState::isMaximised()
{
    refresh();
    return maximised;
}

bool WindowState::takeMoved()
{
    refresh();
    const bool was = moved;
    moved = false;
    return was;
}

void WindowState::refresh()
{
    if (display == nullptr || watched == 0)
        return;
    // Nothing to read while nothing changed: no round trip to the server.
    bool changed = false;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.xany.window != watched) // the window before it was made anew
            continue;
        changed = changed || (event.type == PropertyNotify && event.xproperty.atom == stateAtom);
        moved = moved || event.type == ConfigureNotify;
    }
    if (!changed && !stale)
        return;
    stale = false;
    fullscreen = maximised = false;
    XErrorHandler previous = XSetErrorHandler(ignoreErrors);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, watched, stateAtom, 0, 64, False, XA_ATOM, &type, &format, &count, &after, &data)
            == Success
        && data != nullptr && format == 32) {
        const Atom* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count; ++i) {
            fullscreen = fullscreen || atoms[i] == fullscreenAtom;
            maximised = maximised || atoms[i] == wideAtom || atoms[i] == tallAtom;
        }
    }
    if (data != nullptr)
        XFree(data);
    XSync(display, False);
    XSetErrorHandler(previous);
}
