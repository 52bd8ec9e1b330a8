#pragma once
// A zone as the player found it on arrival, kept in memory so a knocked-out player can try
// the zone again: its entities (triggers with their uses left) and where the player stood.

#include <SFML/System/Vector2.hpp>
#include <map>
#include <string>

class Player;
class Zone;

class ZoneSnapshot {
public:
    // Everything in the zone but the player and passing effects (blows, dust).
    void take(const Zone& zone, const Player& player);
    // The zone's entities become those taken; the player stays registered and is not moved.
    // False, and the zone left without them, should the records not read back.
    bool restore(Zone& zone, const Player& player) const;

    bool isTaken() const { return taken; }
    sf::Vector2f getPlayerPosition() const { return playerPosition; }
    sf::Vector2f getPlayerFacing() const { return playerFacing; }
    int getPlayerHitPoints() const { return playerHitPoints; }

private:
    bool taken = false;
    std::string records; // an entity list as a zone file holds it
    std::size_t count = 0;
    std::map<int, int> hitPoints;
    std::map<int, sf::Vector2f> facings;
    int nextID = 1;
    sf::Vector2f playerPosition;
    sf::Vector2f playerFacing;
    int playerHitPoints = 0;
};
