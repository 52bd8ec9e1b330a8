#pragma once
// The pieces of the frame loop, kept out of main so tests can drive the game frame by frame.

#include <string>

namespace sf {
class RenderTarget;
class RenderWindow;
} // namespace sf
class State;

extern const std::string WINDOW_TITLE;

// Opens the game window: 800 x 600 x 32, default style, 60 frames per second.
void createWindow(sf::RenderWindow& window);

// Readies a target for play once resources are loaded: compiles the renderer's programs
// up front and has it skip fully transparent pixels. The picture is the same either way.
void prepareRenderer(sf::RenderTarget& target);

// Allocates the three-slot state table (and prepares the window's renderer): play state, editor, nothing.
State** createStates(sf::RenderWindow* window);
// Frees a table made by createStates (the game itself keeps its table until exit).
void destroyStates(State** states);

// Drains the window's events; while the window has no focus it waits here for events.
void pumpEvents(State** states, int* current, sf::RenderWindow* window);

// One update and one draw of the current state, then the switch it asked for.
void stepState(State** states, int* current, sf::RenderWindow* window);

// The whole program: returns the process exit status.
int runGame();
