#pragma once
// A bot that plays the real game through the input seam, deciding each frame from the
// play state: walk to the next zone's link, punch robbers in reach, hold Return through
// dialogs. The playthrough test and the screenshot program both drive it.

#include "core/input.h"

#include <SFML/Graphics/View.hpp>
#include <SFML/System/Vector2.hpp>
#include <functional>
#include <vector>

namespace sf { class RenderWindow; }
class StateGame;
class Unit;
class Zone;

namespace playbot {

struct Step {
    int x, y;
};

int tileOf(float coordinate);
sf::Vector2f centreOf(int x, int y);

// Dijkstra over walkable tiles, eight ways without cutting wall corners; link-out tiles
// other than the goal are avoided so a bot never leaves by the wrong door.
bool planPath(Zone& zone, const sf::Vector2f& from, const std::function<bool(int, int)>& isGoal,
              std::vector<Step>& path);

// The tiles of the way out to the next zone, the one the story goes on to.
bool isWayOn(Zone& zone, int x, int y);

class Bot {
public:
    Bot(input::ScriptedSource& scriptIn, sf::RenderWindow& windowIn);

    // Sets this frame's input from what the play state shows.
    void decide(const StateGame& game);

    // Robbers farther than this (world units) are left alone outside the last zone.
    float fightRange = 160.0f;

private:
    Unit* pickTarget(Zone& zone, const sf::Vector2f& from, bool lastZone) const;
    void pointAt(const sf::Vector2f& world);
    void walkTo(const sf::Vector2f& world);
    void punchAt(const sf::Vector2f& world);

    input::ScriptedSource& script;
    sf::RenderWindow& window;
    sf::View view;
    int frame = 0;
};

} // namespace playbot
