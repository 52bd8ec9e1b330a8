#pragma once
// Start-up shared by the fuzz targets: the committed resources loaded once, then a scratch
// working directory whose resources/lvl/ the targets may fill and empty as they like.

#include <string>

namespace sf { class RenderWindow; }
class Zone;

namespace fuzzsupport {

// Loads the repository's resources (textures need an X display: run under xvfb-run),
// silences the game's standard output and moves into a fresh scratch directory.
void setUp();

// A hidden game window, created on first use.
sf::RenderWindow& window();

// The shipped level files, read at set-up.
const std::string& shippedLevel(int zoneId);

// Empties the scratch resources/lvl/ and puts the shipped levels back.
void resetLevels();

void writeFile(const std::string& path, const std::string& bytes);

// Everything a load may change: id, name, size, every tile, every registered entity
// (map key, id, type, exact position and radius bits).
std::string fingerprint(Zone& zone);

// The bytes Zone::save would write, without touching the disk.
std::string serialize(Zone& zone);

// Stops the run so libFuzzer records the input; what broke goes to standard error.
[[noreturn]] void fail(const std::string& what);

} // namespace fuzzsupport
