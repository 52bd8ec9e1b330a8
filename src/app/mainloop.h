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
class Pack;

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

// The pack at path (a folder or a .zip, relative to the working folder) opened to be
// played; a refused one prints its one line and returns false.
bool openPack(const std::string& path, Pack& pack);
// The zone folders, the player's packs folder and the pack to play, from the resources'
// folder.
void chooseFolders(const Pack& pack);

// The whole program: returns the process exit status. An empty settingsPath reads and
// keeps no settings.
int runGame(const std::string& settingsPath, const Pack& pack);
