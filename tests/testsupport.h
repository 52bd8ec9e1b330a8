#pragma once
// Shared scaffolding for the tests: generated resource trees, working directories,
// a window for tests that draw, and captured media-library errors.

#include <set>
#include <string>

namespace sf { class RenderWindow; }

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

// Everything SFML printed to sf::err() so far (the test main captures it).
std::string sfErrors();
void clearSfErrors();

std::string repoDir();

} // namespace testsupport
