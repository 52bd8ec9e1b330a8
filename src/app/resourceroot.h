#pragma once
// Finds the folder holding the game's resources/ and makes it the working directory, so
// every path the game names ("resources/gfx/...") reads from it. Tried in order: the
// working directory (a checkout, `make run`), the program's own folder, and the share/
// folder of the installation the program sits in (<prefix>/games/morvane reads
// <prefix>/share/games/morvane, where Debian puts a game's data).

#include <string>
#include <vector>

namespace resourceroot {

// The folders tried, in order, for a program in programDir.
std::vector<std::string> candidates(const std::string& workingDir, const std::string& programDir);
// A folder holds the resources when its resources/ has the art, sound, font and zone folders.
bool holdsResources(const std::string& dir);
// The first candidate that holds them; empty when none does.
std::string find(const std::vector<std::string>& folders);
// Where the running program's file is; empty when the system does not say.
std::string programDir();
// Moves into the first folder that holds the resources; false, with one line on standard
// output, when none does.
bool enter();

} // namespace resourceroot
