#include "play/zonesnapshot.h"

#include "core/binaryio.h"
#include "characters/player.h"
#include "characters/unit.h"
#include "world/entity.h"
#include "world/zone.h"

#include <sstream>
#include <vector>

namespace {
// Kinds a zone file holds; anything else (blows, dust) only lives for a moment.
bool kept(const Entity& e, int playerId)
{
    const int type = e.getType();
    return e.getID() != playerId
        && (Entity::isUnitType(type) || type == Entity::TYPE_DOODAD || type == Entity::TYPE_TRIGGER);
}
} // namespace

void ZoneSnapshot::take(const Zone& zone, const Player& player)
{
    std::vector<const Entity*> chosen;
    for (const auto& entry : zone.entities)
        if (kept(*entry.second, player.getID()))
            chosen.push_back(entry.second);
    std::ostringstream out;
    writeInt32(out, static_cast<int32_t>(chosen.size()));
    hitPoints.clear();
    facings.clear();
    for (const Entity* e : chosen) {
        e->save(out);
        facings[e->getID()] = e->facing;
        if (Entity::isUnitType(e->getType()))
            hitPoints[e->getID()] = static_cast<const Unit*>(e)->hitPoints;
    }
    records = out.str();
    count = chosen.size();
    nextID = zone.nextID;
    playerPosition = player.position;
    playerFacing = player.facing;
    playerHitPoints = player.hitPoints;
    taken = true;
}

bool ZoneSnapshot::restore(Zone& zone, const Player& player) const
{
    std::vector<int> gone;
    for (const auto& entry : zone.entities)
        if (entry.first != player.getID())
            gone.push_back(entry.first);
    for (int id : gone)
        zone.remove(id, true);

    std::istringstream in(records);
    zone.load(in);
    if (zone.entities.size() != count + 1)
        return false;
    for (auto& entry : zone.entities) {
        Entity* e = entry.second;
        if (e == &player)
            continue;
        auto facing = facings.find(e->getID());
        if (facing != facings.end())
            e->facing = facing->second;
        auto hp = hitPoints.find(e->getID());
        if (hp != hitPoints.end())
            static_cast<Unit*>(e)->hitPoints = hp->second;
    }
    zone.nextID = nextID;
    return true;
}
