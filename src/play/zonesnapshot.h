#pragma once
// A zone as the player found it on arrival, kept in memory so a knocked-out player can try
// the zone again: its entities (triggers with their uses left) and where the player stood,
// but its robbers where the zone's file put them: met again at the arrival point, where a
// fight had brought them, they would be on the player at once.

#include "world/zonefile.h"

#include <SFML/System/Vector2.hpp>
#include <map>
#include <vector>

class Player;
class Zone;

class ZoneSnapshot {
public:
    // Robber ids and where they stand.
    using Places = std::map<int, sf::Vector2f>;
    static Places robberPlaces(const Zone& zone);

    // Everything in the zone a zone file could hold, but the player; a robber found in
    // placed stands there, facing as a robber fresh from the file does.
    void take(const Zone& zone, const Player& player, const Places& placed);
    // The zone's entities become those taken; the player stays registered and is not moved.
    // False, and the zone left without them, should the records not be buildable.
    bool restore(Zone& zone, const Player& player) const;

    sf::Vector2f getPlayerPosition() const { return playerPosition; }
    sf::Vector2f getPlayerFacing() const { return playerFacing; }

private:
    std::vector<zonefile::EntityRecord> records;
    // What a record leaves out: how hurt each unit was and where each entity faced.
    std::map<int, int> hitPoints;
    std::map<int, sf::Vector2f> facings;
    int nextID = 1;
    sf::Vector2f playerPosition;
    sf::Vector2f playerFacing;
};
