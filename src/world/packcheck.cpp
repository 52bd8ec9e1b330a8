#include "world/packcheck.h"

#include "world/kinds.h"
#include "world/zonefair.h"

#include <set>

namespace packcheck {
namespace {

std::string tileName(int column, int row) { return "tile " + std::to_string(column) + "," + std::to_string(row); }

std::string fileOf(int zoneId) { return std::to_string(zoneId) + ".zn"; }

int count(const zonefile::ZoneData& zone, int type)
{
    int n = 0;
    for (const zonefile::EntityRecord& e : zone.entities)
        n += e.type == type ? 1 : 0;
    return n;
}

} // namespace

std::vector<BadLink> badLinks(const zonefile::ZoneData& zone, const Lookup& others)
{
    std::vector<BadLink> bad;
    std::set<int> reported;
    for (int x = 0; x < zone.width; ++x)
        for (int y = 0; y < zone.height; ++y) {
            const zonefile::TileRecord& t = zone.tile(x, y);
            if (t.type != TILE_LINKOUT || reported.count(t.link))
                continue;
            const zonefile::ZoneData* target = others(t.link);
            bool back = false;
            if (target != nullptr)
                for (const zonefile::TileRecord& o : target->tiles)
                    back = back || (o.type == TILE_LINKIN && o.link == zone.id);
            if (!back) {
                bad.push_back(BadLink{x, y, t.link, target == nullptr});
                reported.insert(t.link);
            }
        }
    return bad;
}

std::vector<std::string> zone(const zonefile::ZoneData& zone, const PackInfo& info, const Lookup& others)
{
    std::vector<std::string> problems;
    for (const BadLink& link : badLinks(zone, others))
        problems.push_back(tileName(link.column, link.row) + ": links out to zone " + std::to_string(link.target)
                           + (link.missing ? ", which the pack lacks"
                                           : ", which has no link-in back to zone " + std::to_string(zone.id)));
    if (zone.id == info.start && count(zone, KindTypes::TYPE_PLAYER) == 0)
        problems.push_back("no player in the start zone " + std::to_string(zone.id));
    if (zone.id == info.ending && count(zone, KindTypes::TYPE_ROBBER) == 0)
        problems.push_back("no robbers in the ending zone " + std::to_string(zone.id)
                           + ": the game would end as the player arrives");
    const std::vector<std::string> unfair = zonefair::check(zone, info.ending);
    problems.insert(problems.end(), unfair.begin(), unfair.end());
    return problems;
}

std::vector<std::string> pack(const PackInfo& info, const Zones& zones)
{
    std::vector<std::string> problems;
    const auto lacks = [&zones](int id) { return !zones.read.count(id) && !zones.refused.count(id); };
    if (lacks(info.start))
        problems.push_back(std::string(PackInfo::FILE_NAME) + ": the start zone " + std::to_string(info.start)
                           + " is not in the pack");
    if (lacks(info.ending))
        problems.push_back(std::string(PackInfo::FILE_NAME) + ": the ending zone " + std::to_string(info.ending)
                           + " is not in the pack");
    for (const auto& refused : zones.refused)
        problems.push_back(fileOf(refused.first) + ": refused (" + refused.second + ")");
    // Links go by file: a file holding another zone would be found under the wrong number.
    const Lookup byFile = [&zones](int id) -> const zonefile::ZoneData* {
        const auto found = zones.read.find(id);
        return found == zones.read.end() || found->second.id != id ? nullptr : &found->second;
    };
    for (const auto& entry : zones.read) {
        const std::string file = fileOf(entry.first);
        if (entry.second.id != entry.first) {
            problems.push_back(file + ": holds zone " + std::to_string(entry.second.id) + ", not zone "
                               + std::to_string(entry.first));
            continue;
        }
        for (const std::string& p : zone(entry.second, info, byFile))
            problems.push_back(file + ": " + p);
    }
    return problems;
}

} // namespace packcheck
