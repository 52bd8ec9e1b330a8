#include "world/zonefair.h"

#include "core/grid.h"
#include "world/kinds.h"
#include "world/tilepath.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace zonefair {

namespace {

// The game's fixed step.
const float FRAMES_A_SECOND = 60.f;

struct Spot {
    int column;
    int row;
};

std::string tileName(int column, int row) { return "tile " + std::to_string(column) + "," + std::to_string(row); }
std::string tileName(const Spot& s) { return tileName(s.column, s.row); }

std::string figure(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(value));
    return text;
}

std::string seconds(float frames) { return figure(frames / FRAMES_A_SECOND); }

// The tiles of the way a robber's search finds from one tile to another (both ends
// included), and its length; false when there is none.
bool walk(const zonefile::ZoneData& zone, Spot from, Spot to, std::vector<Spot>* tiles, float& length)
{
    // As the game's tiles: every kind but a wall can be walked on.
    auto walkable = [&zone](int column, int row) { return zone.tile(column, row).type != TILE_WALL; };
    std::vector<PathNode> path;
    tilepath::find(zone.width, zone.height, walkable, from.row, from.column, to.row, to.column, path);
    const bool there = !path.empty() || (from.column == to.column && from.row == to.row);
    length = tilepath::tiles(path);
    if (there && tiles != nullptr) {
        tiles->assign(1, from);
        for (auto n = path.rbegin(); n != path.rend(); ++n)
            tiles->push_back(Spot{n->column, n->row});
    }
    return there;
}

std::vector<Spot> linkOuts(const zonefile::ZoneData& zone)
{
    std::vector<Spot> outs;
    for (int x = 0; x < zone.width; ++x)
        for (int y = 0; y < zone.height; ++y)
            if (zone.tile(x, y).type == TILE_LINKOUT)
                outs.push_back(Spot{x, y});
    return outs;
}

// The link-out nearest the tile along a path, and how far; false when none can be reached.
bool nearestWayOut(const zonefile::ZoneData& zone, const std::vector<Spot>& outs, Spot from, Spot& nearest,
                   float& tiles)
{
    bool found = false;
    for (const Spot& out : outs) {
        float length = 0.f;
        if (walk(zone, from, out, nullptr, length) && (!found || length < tiles)) {
            found = true;
            nearest = out;
            tiles = length;
        }
    }
    return found;
}

struct Approach {
    std::string robber; // its id and where it sets off from
    float frames;
    std::vector<Spot> way;
};

// Where a robber may set off from: where it stands, and where a scene walks it, since a
// scene holds the world still while it walks.
std::vector<std::pair<Spot, std::string>> startsOf(const zonefile::ZoneData& zone, const zonefile::EntityRecord& robber)
{
    const Spot placed{tileIndex(robber.x), tileIndex(robber.y)};
    const std::string name = "robber " + std::to_string(robber.id);
    std::vector<std::pair<Spot, std::string>> starts{{placed, name + " at " + tileName(placed)}};
    for (const zonefile::EntityRecord& e : zone.entities)
        for (const Event& event : e.events)
            if (e.type == KindTypes::TYPE_TRIGGER && event.type == Event::EVENT_MOVE && event.entityId == robber.id) {
                const Spot to{event.destX, event.destY};
                starts.push_back({to, name + " walked by a scene to " + tileName(to)});
            }
    return starts;
}

// The robbers that can walk to the arrival, each from its nearest start, soonest first
// (file order among equals).
std::vector<Approach> approaches(const zonefile::ZoneData& zone, Spot arrival)
{
    std::vector<Approach> found;
    for (const zonefile::EntityRecord& e : zone.entities) {
        if (e.type != KindTypes::TYPE_ROBBER)
            continue;
        bool any = false;
        Approach soonest{"", 0.f, {}};
        for (const auto& start : startsOf(zone, e)) {
            Approach a{start.second, 0.f, {}};
            float length = 0.f;
            if (!walk(zone, start.first, arrival, &a.way, length))
                continue;
            a.frames = length * TILE_SIZE / ROBBER_PACE;
            if (!any || a.frames < soonest.frames)
                soonest = a;
            any = true;
        }
        if (any)
            found.push_back(soonest);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Approach& a, const Approach& b) { return a.frames < b.frames; });
    return found;
}

void checkArrival(const zonefile::ZoneData& zone, const Arrival& arrival, const std::vector<Spot>& outs,
                  std::vector<std::string>& problems)
{
    const Spot at{arrival.column, arrival.row};
    Spot out{0, 0};
    float tiles = 0.f;
    if (nearestWayOut(zone, outs, at, out, tiles) && tiles < MIN_LINK_TILES)
        problems.push_back(tileName(at) + ": arrival " + figure(tiles) + " tiles of path from the link-out at "
                           + tileName(out) + ", under " + figure(MIN_LINK_TILES));

    const std::vector<Approach> coming = approaches(zone, at);
    for (const Approach& a : coming)
        if (a.frames < static_cast<float>(MIN_ROBBER_FRAMES))
            problems.push_back(a.robber + ": walks to the arrival at " + arrival.what + " in "
                               + seconds(a.frames) + " s, under " + seconds(MIN_ROBBER_FRAMES));
    if (coming.empty())
        return;

    // The first robber there meets the player somewhere along its way in.
    const Approach& first = coming.front();
    bool near = false;
    Spot worst{0, 0}, worstOut{0, 0};
    float worstTiles = 0.f;
    for (const Spot& ground : first.way)
        if (nearestWayOut(zone, outs, ground, out, tiles) && tiles < MIN_FIGHT_LINK_TILES
            && (!near || tiles < worstTiles)) {
            near = true;
            worst = ground;
            worstOut = out;
            worstTiles = tiles;
        }
    if (near)
        problems.push_back(tileName(worst) + ": on the way of " + first.robber + " to the arrival at "
                           + arrival.what + ", " + figure(worstTiles) + " tiles of path from the link-out at "
                           + tileName(worstOut) + ", under " + figure(MIN_FIGHT_LINK_TILES));

    if (zone.id != zonefile::ENDING_ZONE)
        return;
    for (std::size_t i = 1; i < coming.size(); ++i) {
        const float gap = coming[i].frames - coming[i - 1].frames;
        if (gap < static_cast<float>(MIN_ROBBER_SPACING_FRAMES))
            problems.push_back(coming[i - 1].robber + " and " + coming[i].robber
                               + ": walk to the arrival at " + arrival.what + " " + seconds(gap)
                               + " s apart, under " + seconds(MIN_ROBBER_SPACING_FRAMES)
                               + " (the last zone's robbers come one at a time)");
    }
}

} // namespace

std::vector<Arrival> arrivals(const zonefile::ZoneData& zone)
{
    std::vector<Arrival> found;
    // Column by column, as the game looks for a link-in.
    for (int x = 0; x < zone.width; ++x)
        for (int y = 0; y < zone.height; ++y)
            if (zone.tile(x, y).type == TILE_LINKIN)
                found.push_back(Arrival{x, y, tileName(x, y)});
    for (const zonefile::EntityRecord& e : zone.entities)
        if (e.type == KindTypes::TYPE_PLAYER)
            found.push_back(Arrival{tileIndex(e.x), tileIndex(e.y), "the player's start at "
                                                                         + tileName(tileIndex(e.x), tileIndex(e.y))});
    return found;
}

float walkFrames(const zonefile::ZoneData& zone, float x, float y, int column, int row)
{
    float length = 0.f;
    if (!walk(zone, Spot{tileIndex(x), tileIndex(y)}, Spot{column, row}, nullptr, length))
        return -1.f;
    return length * TILE_SIZE / ROBBER_PACE;
}

std::vector<std::string> check(const zonefile::ZoneData& zone)
{
    std::vector<std::string> problems;
    const std::vector<Arrival> points = arrivals(zone);
    if (points.empty()) {
        problems.push_back("no arrival: the zone has neither a link-in tile nor a player");
        return problems;
    }
    const std::vector<Spot> outs = linkOuts(zone);
    for (const Arrival& arrival : points)
        checkArrival(zone, arrival, outs, problems);
    return problems;
}

} // namespace zonefair
