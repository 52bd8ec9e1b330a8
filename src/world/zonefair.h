#pragma once
// What keeps a zone fair to a player who has just arrived, measured along paths as the
// robbers' own search walks them: no robber on the player within a few seconds, no way out
// so near an arrival or its first fight that one blow knocks the player through it, and in
// the last zone the robbers one after another. Plain data, no media library: the zone tool
// checks with it, and so can anything that has a zone's records.

#include "world/zonefile.h"

#include <string>
#include <vector>

namespace zonefair {

// In tiles of path.
constexpr float MIN_LINK_TILES = 5.f;       // from an arrival to any link-out
constexpr float MIN_FIGHT_LINK_TILES = 6.f; // from the ground of an arrival's first fight
// In frames of a robber's walking (60 a second).
constexpr int MIN_ROBBER_FRAMES = 4 * 60;
// In the zone whose clearing ends the game, between one robber's arrival and the next's.
constexpr int MIN_ROBBER_SPACING_FRAMES = 3 * 60;
// How far a walking robber gets in a frame along its path, on average, in world units: it
// steers at speed 1 and the world damps every body by a fifth a frame, which settles into a
// swing that averages this.
constexpr float ROBBER_PACE = 0.96f;

// A tile a player can arrive on: a link-in, or where a start zone's player record stands.
struct Arrival {
    int column;
    int row;
    std::string what;
};
std::vector<Arrival> arrivals(const zonefile::ZoneData& zone);

// The frames a robber standing at world x, y walks along its own path to the tile; -1 when
// it has no way there.
float walkFrames(const zonefile::ZoneData& zone, float x, float y, int column, int row);

// One line per problem, each naming its tile or its robber.
std::vector<std::string> check(const zonefile::ZoneData& zone);

} // namespace zonefair
