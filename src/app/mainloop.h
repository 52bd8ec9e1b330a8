#pragma once
// The pieces of the frame loop, kept out of main so tests can drive the game frame by frame.

#include <SFML/Config.hpp>
#include <string>

namespace sf {
class RenderTarget;
class RenderWindow;
class VideoMode;
} // namespace sf
class Desktop;
class State;
namespace replayfile { struct Replay; }

extern const std::string WINDOW_TITLE;

// Opens the game window: 800 x 600 x 32, default style (Screen keeps the frame rate).
void createWindow(sf::RenderWindow& window);
// The same in another mode and style (fullscreen, a remembered size).
void createWindow(sf::RenderWindow& window, const sf::VideoMode& mode, sf::Uint32 style);

// Readies a target for play once resources are loaded: compiles the renderer's programs
// up front and has it skip fully transparent pixels. The picture is the same either way.
void prepareRenderer(sf::RenderTarget& target);

// Allocates the three-slot state table (and prepares the window's renderer): play state, editor, nothing.
State** createStates(sf::RenderWindow* window);
// Frees a table made by createStates (the game itself keeps its table until exit).
void destroyStates(State** states);

// Drains the window's events; while the window has no focus it waits here for events.
// A desktop, when given, takes its window keys first and repaints a window resized while
// the game waits.
void pumpEvents(State** states, int* current, sf::RenderWindow* window, Desktop* desktop = nullptr);

// One update and one draw of the current state, then the switch it asked for.
void stepState(State** states, int* current, sf::RenderWindow* window);

struct GameOptions {
    // Empty: no settings are read or kept.
    std::string settingsPath;
    // Also write the first game to this file (every game is recorded in memory anyway).
    std::string recordPath;
    // Play this instead of a game (nothing is recorded, no settings or zones written).
    const replayfile::Replay* replay = nullptr;
    std::string replayName;
};

// The whole program: returns the process exit status.
int runGame(const GameOptions& options);
