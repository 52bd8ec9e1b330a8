#pragma once
// What the window manager has made of the game's window. A window manager may make it
// fullscreen or maximised on its own (its keys, a taskbar, wmctrl), which the media library
// never reports: a second connection to the X server reads the window's _NET_WM_STATE, so
// that such a size is not taken for the size the player chose. Without a server, or
// without a window manager, the window is never held.

#include <SFML/Window/WindowHandle.hpp>

struct _XDisplay;

class WindowState final {
public:
    WindowState();
    ~WindowState();
    WindowState(const WindowState&) = delete;
    WindowState& operator=(const WindowState&) = delete;

    // Reads this window from now on (a window made anew for fullscreen is another one).
    void follow(sf::WindowHandle window);
    // The window manager holds the window fullscreen, or maximised (either way), now.
    bool isFullscreen();
    bool isMaximised();
    // The window was moved or resized since the last call (by anyone).
    bool takeMoved();

private:
    // Reads the state again when the window manager has changed it since.
    void refresh();

    _XDisplay* display;
    sf::WindowHandle watched;
    bool fullscreen;
    bool maximised;
    bool stale; // not read since the window was followed
    bool moved;
    unsigned long stateAtom = 0, fullscreenAtom = 0, wideAtom = 0, tallAtom = 0;
};
