#pragma once
// A window's pixels as the X server shows them, whichever way they got there (the
// renderer's buffer swap, or a picture put straight on the window). Kept apart from the
// tests because the X headers' names clash with the game's.

#include <SFML/Graphics/Image.hpp>
#include <SFML/Window/WindowHandle.hpp>

namespace testsupport {

// The window must lie wholly on the screen: the server keeps no pixels for parts off it.
// Empty (0 x 0) when the server gave nothing.
sf::Image captureWindow(sf::WindowHandle window, sf::Vector2u size);

// Waits (up to two seconds) until the server has the window at this size: a size asked for
// on the game's connection may not have been made yet when a picture arrives on another.
bool waitForWindowSize(sf::WindowHandle window, sf::Vector2u size);

} // namespace testsupport
