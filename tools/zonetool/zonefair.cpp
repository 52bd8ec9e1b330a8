#include "zonefair.h"

#include "core/grid.h"
#include "world/kinds.h"

#include <cmath>
#include <cstdio>

namespace zonefair {

namespace {

struct Spot {
    float x;
    float y;
    std::string what;
};

Spot tileSpot(int x, int y)
{
    return {(static_cast<float>(x) + 0.5f) * TILE_SIZE, (static_cast<float>(y) + 0.5f) * TILE_SIZE,
            "tile " + std::to_string(x) + "," + std::to_string(y)};
}

float tilesApart(const Spot& a, const Spot& b) { return std::hypot(a.x - b.x, a.y - b.y) / TILE_SIZE; }

std::string gap(float tiles)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(tiles));
    return text;
}

} // namespace

std::vector<std::string> check(const zonefile::ZoneData& zone)
{
    std::vector<Spot> linkIns;
    std::vector<Spot> linkOuts;
    for (int x = 0; x < zone.width; ++x)
        for (int y = 0; y < zone.height; ++y) {
            const int type = zone.tile(x, y).type;
            if (type == TILE_LINKIN)
                linkIns.push_back(tileSpot(x, y));
            else if (type == TILE_LINKOUT)
                linkOuts.push_back(tileSpot(x, y));
        }
    std::vector<std::string> problems;
    for (const Spot& in : linkIns)
        for (const Spot& out : linkOuts)
            if (tilesApart(in, out) < MIN_LINK_GAP)
                problems.push_back(in.what + ": link-in " + gap(tilesApart(in, out)) + " tiles from the link-out at "
                                   + out.what + ", under " + gap(MIN_LINK_GAP));

    std::vector<Spot> arrivals = linkIns;
    for (const zonefile::EntityRecord& e : zone.entities)
        if (e.type == KindTypes::TYPE_PLAYER)
            arrivals.push_back({e.x, e.y, "the player's start"});
    for (const zonefile::EntityRecord& e : zone.entities) {
        if (e.type != KindTypes::TYPE_ROBBER)
            continue;
        const Spot robber{e.x, e.y, ""};
        for (const Spot& arrival : arrivals)
            if (tilesApart(robber, arrival) < MIN_ROBBER_GAP) {
                problems.push_back("robber " + std::to_string(e.id) + ": " + gap(tilesApart(robber, arrival))
                                   + " tiles from the arrival at " + arrival.what + ", under " + gap(MIN_ROBBER_GAP));
                break;
            }
    }
    return problems;
}

} // namespace zonefair
