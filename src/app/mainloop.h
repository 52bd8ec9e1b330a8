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

// The whole program: returns the process exit status. An empty settingsPath reads and
// keeps no settings.
int runGame(const std::string& settingsPath, const Pack& pack);
