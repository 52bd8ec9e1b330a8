#include "play/zonesnapshot.h"

#include "characters/player.h"
#include "characters/unit.h"
#include "world/entity.h"
#include "world/kinds.h"
#include "world/zone.h"

#include <string>

ZoneSnapshot::Places ZoneSnapshot::robberPlaces(const Zone& zone)
{
    Places places;
    for (const auto& entry : zone.entities)
        if (entry.second->getType() == Entity::TYPE_ROBBER)
            places[entry.first] = entry.second->position;
    return places;
}

void ZoneSnapshot::take(const Zone& zone, const Player& player, const Places& placed)
{
    records.clear();
    hitPoints.clear();
    facings.clear();
    for (const auto& entry : zone.entities) {
        const Entity& e = *entry.second;
        // Blows and dust live for a moment and no file holds them.
        if (&e == &player || !kinds::inFiles(e.getType()))
            continue;
        records.emplace_back();
        e.save(records.back());
        const auto place = e.getType() == Entity::TYPE_ROBBER ? placed.find(e.getID()) : placed.end();
        if (place != placed.end()) {
            records.back().x = place->second.x;
            records.back().y = place->second.y;
        } else {
            facings[e.getID()] = e.facing;
        }
        if (Entity::isUnitType(e.getType()))
            hitPoints[e.getID()] = static_cast<const Unit&>(e).hitPoints;
    }
    nextID = zone.entities.nextID;
    playerPosition = player.position;
    playerFacing = player.facing;
}

bool ZoneSnapshot::restore(Zone& zone, const Player& player) const
{
    std::vector<int> gone;
    for (const auto& entry : zone.entities)
        if (entry.second.get() != &player)
            gone.push_back(entry.first);
    for (int id : gone)
        zone.entities.remove(id);

    std::string why;
    if (!zone.entities.canBuild(records, why))
        return false;
    zone.entities.build(records);
    for (const auto& entry : zone.entities) {
        Entity* e = entry.second.get();
        if (e == &player)
            continue;
        auto facing = facings.find(e->getID());
        if (facing != facings.end())
            e->facing = facing->second;
        auto hp = hitPoints.find(e->getID());
        if (hp != hitPoints.end())
            static_cast<Unit*>(e)->hitPoints = hp->second;
    }
    zone.entities.nextID = nextID;
    return true;
}
