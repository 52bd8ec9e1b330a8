#pragma once
// What a replay checks the game against: the world at a checkpoint (every entity's id,
// kind, place, speed, hit points and timers, the zone, the script running, the fades and
// how far the random sequence has gone), and the zone files it read.

#include "play/replayfile.h"

#include <cstdint>
#include <string>

class StateGame;

namespace replaycheck {

std::uint64_t world(const StateGame& game);
// The zone file the game reads for id, as it is now.
replayfile::ZoneRead zoneFile(int id);
std::string zonePath(int id);

} // namespace replaycheck
