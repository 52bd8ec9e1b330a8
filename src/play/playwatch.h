#pragma once
// Told by the play state what a recording of it needs: when a game is entered and left,
// each frame's start, the window events it acted on and the zone files it read.

#include <SFML/Window/Event.hpp>

class StateGame;

class PlayWatch {
public:
    virtual ~PlayWatch() = default;
    // Before the state enters a game (or a play-test: the watch asks), while what the game
    // starts from is still as it was left.
    virtual void entering(const StateGame& game) = 0;
    // Before the state lets go of its zones.
    virtual void left(const StateGame& game) = 0;
    // Before anything else in an update: the previous frame is over.
    virtual void frame(const StateGame& game) = 0;
    virtual void event(const StateGame& game, const sf::Event& event) = 0;
    // Zone file id was just read (whether or not it could be loaded).
    virtual void zoneRead(int id) = 0;
};
