#pragma once
// Base of every character: team, hit points, steering and A* paths over the zone's tiles.

#include "world/entity.h"
#include "world/tilepath.h"

#include <SFML/Graphics/Color.hpp>
#include <SFML/System/Vector2.hpp>
#include <vector>

class Animation;

class Unit : public Entity {
public:
    // Closer than this to a waypoint's centre and it counts as reached.
    static constexpr float WAYPOINT_REACHED = 32.0f / 6.0f;
    // A blow that lands shows: the sprite drawn warm for this many frames, the hit's own
    // first. Drawing only, so it counts down in animate and no replay checkpoint holds it.
    static constexpr int HIT_FLASH_FRAMES = 7;
    static const sf::Color HIT_FLASH;

    int team;
    int hitPoints = 1;
    sf::Vector2f moveDirection;
    // Next waypoint last, destination first.
    std::vector<PathNode> path;

    Unit(int typeValue, EntityManager* owner, int teamValue);

    void update(Zone& zone) override;
    void onCollide(Entity& other, const sf::Vector2f& push) override;
    // The animation its animate last showed.
    void submit(FrameList& frame) const override;
    // Whether the picture point lies on the body its animate last showed.
    bool showsAt(const sf::Vector2f& picturePoint) const;
    // Whether the frame its animate last showed is drawn with the hit flash.
    bool flashing() const { return flashShown; }
    virtual int damage(int amount);
    virtual void steer(float speed);
    // The speed it steers with when it walks, also when a script walks it.
    virtual float walkSpeed() const { return 1.0f; }

    bool hasPath() const;
    void clearPath();
    void findPath(Zone& zone, int row, int column);
    // findPath, but answered from this unit's last search while its tile, the destination
    // and the zone's ground are all unchanged: the search depends on nothing else.
    void findPathReusing(Zone& zone, int row, int column);
    // Off, findPathReusing searches afresh every time (the reference for tests and benchmarks).
    static bool reusePaths;

    // Walking: an explicit direction, or none and a path to follow.
    bool isMoving() const;

protected:
    // Sheet and mirroring for the current facing, shared by every character's animation.
    bool facesUp() const;
    bool facesLeft() const;
    // Positions and mirrors one animation, optionally advances it, and makes it the one
    // shown; the hit flash counts down with it.
    void showAnimation(Animation& animation, bool advance);

private:
    struct LastSearch {
        const Zone* zone = nullptr;
        unsigned long layoutVersion = 0;
        int startRow = 0;
        int startColumn = 0;
        int row = 0;
        int column = 0;
        bool valid = false;
        std::vector<PathNode> result;
    };
    LastSearch lastSearch;
    const Animation* showing = nullptr;
    int flashLeft = 0;
    bool flashShown = false;
};
