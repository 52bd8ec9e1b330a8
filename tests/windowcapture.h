#pragma once
// A window's pixels as the X server shows them, whichever way they got there (the
// renderer's buffer swap, or a picture put straight on the window). Kept apart from the
// tests because the X headers' names clash with the game's.

#include <SFML/Graphics/Image.hpp>
#include <SFML/Window/WindowHandle.hpp>

namespace testsupport {

// The window must be shown and lie wholly on the screen, and keepPixels must have been
// asked for it. Empty (0 x 0) when the server gave nothing.
sf::Image captureWindow(sf::WindowHandle window, sf::Vector2u size);

// Has the server keep the window's pixels where other windows cover it: tests run side by
// side on one screen, and their windows overlap.
void keepPixels(sf::WindowHandle window);

// Waits (up to two seconds) until the server has the window at this size: a size asked for
// on the game's connection may not have been made yet when a picture arrives on another.
bool waitForWindowSize(sf::WindowHandle window, sf::Vector2u size);

} // namespace testsupport
