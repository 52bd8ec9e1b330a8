#pragma once
// What is wrong with a pack as a whole, beyond each zone's own bytes: links that lead out
// of it or have no way back, a start zone without a player, an ending zone without
// robbers, and every zone's fairness to an arriving player (zonefair). One line a problem,
// naming its tile where it has one. The editor checks the zone it holds against the rest
// of its pack, the zone tool a whole pack before packing it.

#include "world/packinfo.h"
#include "world/zonefile.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace packcheck {

// A link-out whose target zone is not there (missing) or has no link-in back.
struct BadLink {
    int column;
    int row;
    int target;
    bool missing;
};
// The pack's zones by id; null for a zone it lacks.
using Lookup = std::function<const zonefile::ZoneData*(int zoneId)>;
// Each target once, at the first link-out tile to it (column by column).
std::vector<BadLink> badLinks(const zonefile::ZoneData& zone, const Lookup& others);

// The problems of one zone within its pack.
std::vector<std::string> zone(const zonefile::ZoneData& zone, const PackInfo& info, const Lookup& others);

// Every zone of a pack, read by file name ("3.zn" holds zone 3); refused files come as
// problems. Each line starts with the file it is about.
struct Zones {
    std::map<int, zonefile::ZoneData> read;
    std::map<int, std::string> refused; // why, by the file's number
};
std::vector<std::string> pack(const PackInfo& info, const Zones& zones);

} // namespace packcheck
