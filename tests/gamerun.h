#pragma once
// The real game's states on a window, driven frame by frame as the game's own loop drives
// them (each frame drawn into its list, not painted), with scripted input and every game recorded as the game records it; and a replay
// played back unseen, as fast as it goes, in a fresh set of states. The replay tests and
// the program that makes tests/replays/ share them.

#include "core/input.h"
#include "play/playback.h"
#include "play/recorder.h"

#include <SFML/Window/Keyboard.hpp>
#include <memory>
#include <string>

namespace sf { class RenderWindow; }
class State;
class StateGame;
class StateTable;

class GameRun {
public:
    explicit GameRun(sf::RenderWindow& window);
    ~GameRun();
    GameRun(const GameRun&) = delete;
    GameRun& operator=(const GameRun&) = delete;

    // A fresh program's random sequence, and the game entered.
    void start();
    void frame();
    void frames(int count);
    // A key press the state is told of in the next frame.
    void tell(sf::Keyboard::Key code);
    // The key held for one frame (and told), then let go.
    void tap(sf::Keyboard::Key code);
    // Escape held for a frame, and the state left as the game's end leaves it; the window
    // is made again for what follows.
    void quit();

    StateGame& game() const;
    int current() const { return currentState; }
    input::ScriptedSource script;
    Recorder recorder;

private:
    sf::RenderWindow& window;
    std::unique_ptr<StateTable> table;
    State** states;
    int currentState;
};

struct Played {
    Playback::Outcome outcome;
    int frames;
    int matched;
};

// Plays replay from its start to its end or its divergence, every frame unseen, in states
// made as the game makes them from settings with assist on or off.
Played playUnseen(sf::RenderWindow& window, const replayfile::Replay& replay, const std::string& name,
                  bool assistSetting = false);

// A robber of the player's zone within reach of the player.
bool robberWithin(const StateGame& game, float reach);

// A replay's checkpoints as text, a line each ("after frame 60: 1f2e..."), kept beside the
// replays in tests/replays/ so that a review sees from which frame on a change tells.
std::string checkpointList(const replayfile::Replay& replay);
