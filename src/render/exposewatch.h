#pragma once
// Tells when the game's window has been uncovered. The media library reports no such
// event, so while the game waits for focus a second connection to the X server listens
// for it; without a server to talk to, the watch is simply off.

#include <SFML/Window/WindowHandle.hpp>

struct _XDisplay;

class ExposeWatch final {
public:
    ExposeWatch();
    ~ExposeWatch();
    ExposeWatch(const ExposeWatch&) = delete;
    ExposeWatch& operator=(const ExposeWatch&) = delete;

    // Listens to this window from now on (a window made anew for fullscreen is another one).
    void follow(sf::WindowHandle window);
    bool isOn() const { return display != nullptr && watched != 0; }
    // Waits up to the given time for the window to be uncovered; true if it was.
    bool wait(int milliseconds);

private:
    _XDisplay* display;
    sf::WindowHandle watched;
};
