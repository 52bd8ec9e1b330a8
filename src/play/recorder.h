#pragma once
// Records every game as it is played, from its entry until F12 or the end: it stands in the
// input seam and keeps, frame by frame, what the game read there (only what changed), the
// keys the play state was told of, the zone files it read, and a checkpoint of the world
// every second. All of it stays in memory (an hour at most), so F9 can write the game so
// far to the replays folder; --record also writes it to a file, once a second.

#include "core/backgroundwriter.h"
#include "core/input.h"
#include "play/playwatch.h"
#include "play/replayfile.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

class Recorder final : public input::Source, public PlayWatch {
public:
    static const char* const REPLAY_FOLDER;
    // Said on screen when F12 to the editor ends a recording.
    static const char* const F12_NOTICE;
    // How long a notice stays on screen.
    static constexpr int NOTICE_FRAMES = 2 * 60;

    // Reads the input through inner: the live state, or a test's script.
    explicit Recorder(const input::Source& inner);
    ~Recorder() override;
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // The next game is also written to path, from its start until F12 or the end.
    void recordTo(const std::string& path);
    // F9: the game so far goes to the replays folder (written on another thread).
    void keep();
    // Where F9 writes: "<date>-<time>.mvr" in the replays folder, "-2" and on added when
    // that is taken (or about to be).
    std::string keepPath(const std::string& dataDir);
    // A line for the screen about a recording that ended or a replay kept, once; empty when
    // there is none. Also takes in the writes finished since.
    std::string takeNotice();
    // Waits for every write, the last one of a recording to a file included, and says how
    // they went.
    void finish();

    bool isRecording() const { return active; }
    // The recording in memory (the running one or the last) as a file would hold it now;
    // empty before the first game.
    std::string recording();

    // The input seam. While a game is recorded, the first read of an input in a frame is
    // what it is for the whole frame, and it is recorded when it changed.
    bool isKeyPressed(sf::Keyboard::Key key) const override;
    bool isButtonPressed(sf::Mouse::Button button) const override;
    sf::Vector2i mousePosition(const sf::Window& window) const override;
    sf::Vector2i picturePixel(const sf::Window& window, bool letterboxed) const override;
    bool isPadConnected(unsigned pad) const override;
    float padAxis(unsigned pad, sf::Joystick::Axis axis) const override;
    bool isPadButtonPressed(unsigned pad, unsigned button) const override;
    bool pollEvent(sf::Window& window, sf::Event& event) const override;
    bool waitEvent(sf::Window& window, sf::Event& event) const override;

    // What the play state tells.
    void entering(const StateGame& game) override;
    void left(const StateGame& game) override;
    void frame(const StateGame& game) override;
    void event(const StateGame& game, const sf::Event& event) override;
    void zoneRead(int id) override;

private:
    template <typename Read> bool readSwitch(int item, Read live) const;
    // The frame running is over (known at the next one, at F9 or when play is left).
    void closeFrame();
    // The recording stops here: the world as it is now closes it.
    void close(const StateGame& game);
    void writeFile();
    // One line on standard output, and on screen (the home folder as ~).
    void say(const std::string& text);
    // Says how the writes finished since last asked went.
    void collect();

    const input::Source& inner;
    std::unique_ptr<replayfile::Encoder> encoder;
    bool active = false;
    // Ended frames, and the number of the frame running (what a read was last asked in).
    int ended = 0;
    int frameTag = 0;
    bool frameOpen = false;
    mutable std::vector<int> asked;
    mutable std::vector<bool> down;
    mutable std::vector<float> axes;
    mutable int mouseAsked = 0;
    mutable sf::Vector2i mouse;
    std::vector<replayfile::KeyEvent> pendingEvents;

    std::string filePath;
    bool fileOn = false;
    bool fileUsed = false;
    bool fileFailed = false;
    BackgroundWriter writer;
    std::vector<std::string> notices;
    std::set<std::string> kept;
};
