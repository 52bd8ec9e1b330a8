#pragma once
// The pieces of the frame loop, kept out of main so tests can drive the game frame by frame.

#include "app/statetable.h"

#include <SFML/Config.hpp>
#include <memory>
#include <string>

namespace sf { class RenderWindow; }
class Desktop;
class FrameList;
class State;
class Pack;
namespace replayfile { struct Replay; }

// One of each kind of thing the game paints (a sprite sheet, the ground, both fonts, a
// plain shape), painted on every target before play so a software renderer compiles its
// programs then rather than in the first frames. Once resources are loaded.
FrameList warmUpFrame();

// The three-slot state table: play state, editor, nothing.
std::unique_ptr<StateTable> createStates(sf::RenderWindow* window);

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

struct GameOptions {
    // Empty: no settings are read or kept.
    std::string settingsPath;
    // Also write the first game to this file (every game is recorded in memory anyway).
    std::string recordPath;
    // Play this instead of a game (nothing is recorded, no settings or zones written).
    const replayfile::Replay* replay = nullptr;
    std::string replayName;
    // The zones to play: the built-in ones when none is given.
    const Pack* pack = nullptr;
};

// The whole program: returns the process exit status.
int runGame(const GameOptions& options);
