#pragma once
// Shared scaffolding for the tests: generated resource trees, working directories,
// a window for tests that draw, and captured media-library errors.

#include <atomic>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace sf { class RenderTarget; class RenderWindow; }
class FrameList;
class State;

namespace testsupport {

struct TreeOptions {
    int tileCount = 4;             // tile images 0.png .. tileCount-1.png
    std::set<std::string> omit;    // resource paths (as the game names them) to leave out
    std::set<std::string> extra;   // further files to write as tiny PNG images
};

// Writes a small, complete resource tree (tiny images, short sounds, copies of system
// fonts) under dir, as the game expects to find it in its working directory.
void writeResourceTree(const std::string& dir, const TreeOptions& options = TreeOptions());

// A fresh empty directory under the system temp dir.
std::string makeTempDir();

// A fresh scratch folder for one test, removed with all in it when the test is done.
struct Scratch {
    Scratch() = default;
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    ~Scratch();
    std::string at(const std::string& name) const { return dir + "/" + name; }
    const std::string dir = makeTempDir();
};

// A file's bytes (empty when it cannot be read), and bytes written as a file's whole.
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

// Every file and folder under root with the files' bytes (a folder's are empty), to see that
// nothing there changed; skip, what lies under it and the folders leading to it left out.
std::map<std::string, std::string> snapshot(const std::string& root, const std::string& skip = "");

// Environment variables set for its lifetime (a null value unsets one), then put back.
class ScopedEnv {
public:
    ScopedEnv(std::initializer_list<std::pair<const char*, const char*>> values);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::vector<std::pair<std::string, std::pair<bool, std::string>>> kept;
};

// Changes the working directory for its lifetime.
class ScopedCwd {
public:
    explicit ScopedCwd(const std::string& dir);
    ~ScopedCwd();
    ScopedCwd(const ScopedCwd&) = delete;
    ScopedCwd& operator=(const ScopedCwd&) = delete;

private:
    std::string previous;
};

// Once per process: a generated tree in a temp dir becomes the working directory and is
// loaded into the ResourceManager. Zone files written by tests land in its resources/lvl/.
void loadTestResources();

// Once per process: the committed resources of the repository, loaded from the repo root
// (which becomes the working directory).
void loadRepoResources();

// A hidden 800 x 600 game window, created once per process.
sf::RenderWindow& window();

// Paints a frame list over what target holds (not cleared first), the plain way (every
// sprite whole) when asked.
void paint(const FrameList& frame, sf::RenderTarget& target, bool plain = false);
// The state's last frame painted on the window, cleared first (tests without a desktop).
void showFrame(const State& state, sf::RenderWindow& window);
// One frame as the game's loop runs it without a desktop: events, the step, and the frame
// of the state that drew painted on the window (not yet displayed).
void frame(State** states, int* current, sf::RenderWindow& window);

// Everything SFML printed to sf::err() so far (the test main captures it).
std::string sfErrors();
void clearSfErrors();

std::string repoDir();

// What may stand where the game expects a file, and the reason the game gives for each.
enum class Hostile { FIFO, DIRECTORY, OVERSIZED, LINK_LOOP, DANGLING_LINK, DEVICE };
struct HostileCase {
    Hostile kind;
    const char* reason;
};
// All of them; OVERSIZED is a sparse file one byte over the largest zone file.
const HostileCase HOSTILE_CASES[] = {
    {Hostile::FIFO, "a FIFO, not a file"},
    {Hostile::DIRECTORY, "a directory, not a file"},
    {Hostile::OVERSIZED, "268435457 bytes, more than the 268435456 it may hold"},
    {Hostile::LINK_LOOP, "Too many levels of symbolic links"},
    {Hostile::DANGLING_LINK, "a link to a missing file"},
    {Hostile::DEVICE, "a device, not a file"},
};
// Puts one at path in place of whatever was there.
void placeHostile(const std::string& path, Hostile kind);

// Opens a FIFO for writing after a while, so a reader stuck on it is let go and the test
// fails where it would otherwise hang.
class FifoRescue {
public:
    FifoRescue(const std::string& fifo, double seconds);
    ~FifoRescue();
    bool rescued() const { return used; }

private:
    std::atomic<bool> stop{false};
    std::atomic<bool> used{false};
    std::thread thread;
};

} // namespace testsupport
