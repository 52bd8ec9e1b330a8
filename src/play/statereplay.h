#pragma once
// The screen that plays a replay (morvane --replay FILE): the recorded game in the real play
// state, its input from the file alone. The live keys drive only the playback: Space pauses,
// Right steps one frame while paused, 1, 2, 4 and 8 set the speed, Escape quits. Faster than
// 1x, the frames of each screen's worth but the last are played without a picture. A game
// longer than ten minutes is fast-forwarded, unseen, to its last ten.

#include "play/noticeline.h"
#include "play/playback.h"
#include "render/framelist.h"
#include "render/state.h"

#include <string>

class StateReplay final : public State {
public:
    // What is watched at play speed: the end of a long game, as F9 kept it.
    static constexpr int WATCHED_FRAMES = 10 * 60 * 60;
    // A screen's worth of fast-forward plays frames this long, then shows how far it got.
    static constexpr int FAST_FORWARD_MILLISECONDS = 12;
    static constexpr int STATUS_DIVERGED = 3;

    StateReplay(sf::RenderWindow* targetWindow, State** stateTable, StateGame& game,
                const replayfile::Replay& replay, const std::string& name);

    int update() override;
    void draw() override;
    void enter() override;
    void leave() override;
    void handleEvent(const sf::Event& event) override;

    // The exit status: 3 once diverged, else 0 (also when stopped before the end).
    int status() const;
    const Playback& getPlayback() const { return playback; }
    int getSpeed() const { return speed; }
    bool isPaused() const { return paused; }

private:
    bool fastForwarding() const;
    // Plays this screen's frames: the unseen ones, then one drawn into the picture.
    void play();
    void fastForward();
    // The picture drawn last is kept, to show while nothing moves.
    void hold();
    void showHeld();
    std::string statusText() const;

    Playback playback;
    int speed = 1;
    bool paused = false;
    bool pauseAsked = false;
    bool stepAsked = false;
    bool quitAsked = false;
    bool holding = false;
    FrameList held;
    NoticeLine statusLine;
};
