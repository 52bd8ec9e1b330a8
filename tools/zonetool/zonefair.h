#pragma once
// The distance rules that keep a shipped zone fair to a player who has just arrived: no
// arrival next to a way out (one blow would knock them back through it), no robber waiting
// at an arrival.

#include "world/zonefile.h"

#include <string>
#include <vector>

namespace zonefair {

// In tiles, between tile centres (and entity positions).
constexpr float MIN_LINK_GAP = 3.f;
constexpr float MIN_ROBBER_GAP = 6.f;

// One problem per link-in too near a link-out and per robber too near an arrival point
// (a link-in tile or the zone's own player record).
std::vector<std::string> check(const zonefile::ZoneData& zone);

} // namespace zonefair
