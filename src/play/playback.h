#pragma once
// Plays a recorded game in the real play state, frame for frame: it stands in the input
// seam and answers every read from the recording alone (the window's events still come
// through, for whoever watches the replay), hands the play state the keys it was told of,
// and compares the world at every checkpoint.

#include "core/input.h"
#include "play/replayfile.h"
#include "render/framelist.h"

#include <string>
#include <vector>

class StateGame;

class Playback final : public input::Source {
public:
    enum class Outcome { PLAYING, ENDED, DIVERGED };

    // name is how the lines printed call the file.
    Playback(StateGame& game, const replayfile::Replay& replay, const std::string& name);
    // Gives the input seam back to what was there before begin.
    ~Playback() override;
    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    // Before the first frame: names every zone file that is not the one recorded, sets the
    // play state and the random sequence where the recording started, and enters the game
    // with first as its picture.
    void begin(FrameList& first);
    // Plays one frame drawn into the list.
    Outcome step(FrameList& into);
    // Plays one frame that is not shown: the play state animates it without a picture.
    Outcome stepUnseen();
    // Draws the world as it stands into the list, playing nothing (a divergence held).
    void show(FrameList& into);
    // Leaves the game (its zones go).
    void end();

    Outcome outcome() const { return result; }
    int played() const { return framesPlayed; }
    int frames() const { return replay.frames; }
    int checksMatched() const { return matched; }
    // The zones whose files are not the ones recorded, as begin found them.
    const std::vector<int>& changedZones() const { return changed; }

    bool isKeyPressed(sf::Keyboard::Key key) const override;
    bool isButtonPressed(sf::Mouse::Button button) const override;
    sf::Vector2i mousePosition(const sf::Window& window) const override;
    sf::Vector2i picturePixel(const sf::Window& window, bool letterboxed) const override;
    bool isPadConnected(unsigned pad) const override;
    float padAxis(unsigned pad, sf::Joystick::Axis axis) const override;
    bool isPadButtonPressed(unsigned pad, unsigned button) const override;
    bool pollEvent(sf::Window& window, sf::Event& event) const override;
    bool waitEvent(sf::Window& window, sf::Event& event) const override;

private:
    bool down(int item) const;
    void apply(const replayfile::Frame& frame);
    // One frame, drawn into the list given or, without one, only animated.
    Outcome play(FrameList* into);
    bool compare(std::uint64_t recorded);
    // Says where: the frame and the zone.
    void diverge();
    void finish();

    StateGame& game;
    const replayfile::Replay& replay;
    std::string name;
    const input::Source* before = nullptr;
    replayfile::Reader reader;
    std::vector<bool> switches;
    std::vector<float> axes;
    sf::Vector2i mouse;
    // The play state's picture while no frame is shown: never painted.
    FrameList unseen;
    bool begun = false;
    std::vector<int> changed;
    Outcome result = Outcome::PLAYING;
    int framesPlayed = 0;
    int matched = 0;
};
