#pragma once
// The replay file: its layout and every limit on what it may hold, in one place with its
// header (replayheader). Plain data without the game's objects, like the zone file.
//
//   MORVANE replay            a text header: this line, then key=value lines (format first),
//   format=1                  then an empty line
//   game=0.1.0
//   ...
//                             then blocks: the length of the bytes (4 bytes, little-endian),
//   [block] [block] ...       their hash (8 bytes), the bytes
//
// The blocks' bytes, one after another, are the records of the game frame by frame. A frame
// is what the game read that frame (only what changed since it last read it), the keys it
// was told of, the zone files it read, and a checkpoint every 60 frames; a frame marker ends
// it. The file is rewritten whole each time it grows, so it always ends with a whole block.

#include "play/replayheader.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace replayfile {

constexpr const char* EXTENSION = ".mvr";
// An hour of play at most: what a replay may take to fast-forward stays in minutes.
constexpr int MAX_FRAMES = 60 * 60 * 60;
// Far more than an hour of play takes (a person's play makes about 20 KB a minute).
constexpr long long MAX_FILE_BYTES = 4LL * 1024 * 1024;
// A checkpoint every second of play.
constexpr int CHECK_FRAMES = 60;

// The inputs the game polls, each a number in the records: keys, mouse buttons, and per pad
// whether it is plugged in, its buttons and its axes.
constexpr int KEY_COUNT = 128;
constexpr int BUTTON_COUNT = 8;
constexpr int PAD_COUNT = 8;
constexpr int PAD_BUTTON_COUNT = 32;
constexpr int AXIS_COUNT = 8;
constexpr int ITEM_COUNT = 256 + PAD_COUNT * 64;
int keyItem(int key);
int buttonItem(int button);
int padItem(int pad);
int padButtonItem(int pad, int button);
int axisItem(int pad, int axis);
// Items that are down or up (all but the axes).
bool isSwitch(int item);
bool isAxis(int item);

struct KeyEvent {
    int code = 0;
    bool alt = false;
    bool control = false;
    bool shift = false;
    bool system = false;
};

struct ZoneRead {
    int id = 0;
    bool found = false;
    std::uint64_t hash = 0;
};

// One frame's records, as they are applied before the frame is played.
struct Frame {
    std::vector<std::pair<int, bool>> switches;
    std::vector<std::pair<int, float>> axes;
    bool mouseMoved = false;
    int mouseX = 0;
    int mouseY = 0;
    std::vector<KeyEvent> events;
    std::vector<ZoneRead> zones;
    // The world's hash as the frame begins, after its key events: a checkpoint.
    bool checked = false;
    std::uint64_t check = 0;
};

// Builds a file as the game goes: records are added, frames ended, and seal() makes the
// whole file of everything so far.
class Encoder final {
public:
    explicit Encoder(const Header& header);

    void change(int item, bool down);
    void axis(int item, float value);
    void mouse(int x, int y);
    void keyEvent(const KeyEvent& event);
    void zoneRead(const ZoneRead& read);
    void check(std::uint64_t hash);
    void endFrame();
    // The world after the last frame; nothing may follow.
    void end(std::uint64_t hash);

    // The records so far closed into a block; the file's bytes, playable as they stand.
    const std::string& seal();
    int frames() const { return frameCount; }
    // The file's size once sealed.
    std::size_t size() const;

private:
    void record(unsigned char tag);
    void flushRun();

    std::string image;
    std::string open;
    int run = 0;
    int frameCount = 0;
    int lastX = 0;
    int lastY = 0;
    std::array<long long, PAD_COUNT * AXIS_COUNT> lastSteps{};
    bool ended = false;
};

struct Replay {
    Header header;
    std::string body; // the blocks' records, one after another
    int frames = 0;
    // Checkpoints in it, the world after its last frame included.
    int checks = 0;
    // It ends where the game left play; otherwise it was cut short (the game stopped).
    bool ended = false;
    std::vector<ZoneRead> zones;
};

// The whole file checked, every record of it, before anything is played. why says what is
// wrong in a few words.
bool decode(const std::string& bytes, Replay& replay, std::string& why);
// decode of the file at path, which must be a regular file of at most MAX_FILE_BYTES (a
// FIFO, a directory or a larger file is refused before a byte is read).
bool read(const std::string& path, Replay& replay, std::string& why);

// Walks the records of a decoded replay frame by frame.
class Reader final {
public:
    explicit Reader(const std::string& body);

    // The next frame's records; false past the last frame.
    bool next(Frame& frame);
    // Past the last frame: the world after it, when the file holds it.
    bool hasFinalCheck() const { return finalChecked; }
    std::uint64_t finalCheck() const { return finalHash; }
    // False, with why, at the first record that makes no sense (decode has ruled that out).
    bool ok() const { return why.empty(); }
    const std::string& problem() const { return why; }
    int framesRead() const { return frameCount; }
    bool sawEnd() const { return ended; }

private:
    bool varint(unsigned long long& value);
    bool signedVarint(long long& value);
    bool fixed(std::uint64_t& value, int bytes);
    bool readRecord(unsigned char tag, Frame& frame);
    bool countFrame();
    bool fail(const std::string& reason);

    const std::string& bytes;
    std::size_t at = 0;
    int pendingEmpty = 0;
    int frameCount = 0;
    int mouseX = 0;
    int mouseY = 0;
    std::array<long long, PAD_COUNT * AXIS_COUNT> lastSteps{};
    bool ended = false;
    bool finalChecked = false;
    std::uint64_t finalHash = 0;
    std::string why;
};

} // namespace replayfile
