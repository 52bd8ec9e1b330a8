#include "world/entity.h"

#include "core/globals.h"
#include "worldprobe.h"
#include "world/zone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

namespace {

class EntityTest : public ::testing::Test {
protected:
    ResourcesLoaded resources;
    Zone zone{0, 4, 4, nullptr};
};

TEST_F(EntityTest, PushOutSeparatesOverlapsOnly)
{
    ProbeEntity* a = addProbe(zone.entities, {0, 0}, 5);
    ProbeEntity* b = addProbe(zone.entities, {6, 0}, 5);
    const sf::Vector2f p = a->pushOut(*b);
    EXPECT_FLOAT_EQ(p.x, -4.0f);
    EXPECT_FLOAT_EQ(p.y, 0.0f);

    b->position = {10, 0}; // touching exactly
    EXPECT_EQ(a->pushOut(*b), ZERO_VECTOR);
    b->position = {10.5f, 0};
    EXPECT_EQ(a->pushOut(*b), ZERO_VECTOR);
    b->position = {0, 0}; // same point: no direction to push in
    EXPECT_EQ(a->pushOut(*b), ZERO_VECTOR);
    b->position = {1e-24f, 0}; // distinct, but their distance is zero in floats
    EXPECT_EQ(a->pushOut(*b), ZERO_VECTOR);
}

TEST_F(EntityTest, PushOutAddsOwnParentOffsetButNotTheOthers)
{
    ProbeEntity* parent = addProbe(zone.entities, {100, 0}, 1);
    ProbeEntity* child = addProbe(zone.entities, {0, 0}, 5);
    ProbeEntity* other = addProbe(zone.entities, {106, 0}, 5);
    child->setParent(parent);
    EXPECT_FLOAT_EQ(child->pushOut(*other).x, -4.0f);
    // The other side sees the child at its stored offset, far away.
    EXPECT_EQ(other->pushOut(*child), ZERO_VECTOR);
}

TEST_F(EntityTest, ParentLinksAreListedOnceAndUndoneOnDestruction)
{
    ProbeEntity* first = addProbe(zone.entities, {}, 1);
    ProbeEntity* second = addProbe(zone.entities, {}, 1);
    ProbeEntity* child = addProbe(zone.entities, {}, 1);
    child->setParent(first);
    child->setParent(first);
    EXPECT_EQ(first->children, std::vector<int>{child->getID()});
    child->setParent(second);
    EXPECT_TRUE(first->children.empty());
    EXPECT_EQ(child->getParent(), second);

    zone.entities.remove(second->getID());
    EXPECT_EQ(child->parentID, Entity::NO_PARENT);
    child->setParent(first);
    zone.entities.remove(child->getID());
    EXPECT_TRUE(first->children.empty());
}


// Each case: walls (or another kind of tile) in an open 4 x 4 zone, a body of radius 10
// where it stands, and where the tile step leaves it.
TEST_F(EntityTest, TileStepPushesBodiesOutOfWallsAndTheGridEdge)
{
    struct Case {
        const char* name;
        std::vector<std::pair<int, int>> walls;
        sf::Vector2f at;
        sf::Vector2f expected;
        bool collides = true;
        TileType kind = TILE_WALL;
    };
    const float corner = 64.0f - 10.0f / std::sqrt(2.0f);
    const Case cases[] = {
        {"flush left of a wall", {{2, 1}}, {60, 48}, {54, 48}},
        {"flush below a wall", {{2, 1}}, {80, 70}, {80, 74}},
        {"centre inside a wall", {{2, 1}}, {80, 48}, {80, 48}},
        {"centre on a wall's edge", {{2, 1}}, {64, 48}, {64, 48}},
        {"wall corner reached", {{2, 2}}, {61, 61}, {corner, corner}}, // 3 * sqrt(2) from (64, 64)
        {"wall corner out of reach", {{2, 2}}, {56, 56}, {56, 56}},    // 8 * sqrt(2) > 10
        {"column -1 blocks", {}, {5, 48}, {10, 48}},
        {"row -1 blocks", {}, {48, 3}, {48, 10}},
        {"far edge blocks", {}, {125, 48}, {118, 48}},
        {"no tile collision", {}, {5, 48}, {5, 48}, false},
        {"a link tile is no wall", {{1, 1}}, {60, 48}, {60, 48}, true, TILE_LINKOUT},
        {"a hair from the grid's corner", {}, {1e-24f, 1e-24f}, {10, 10}}, // zero distance in floats
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Zone room(0, 4, 4, nullptr);
        for (const auto& wall : c.walls)
            room.getTile(wall.first, wall.second)->setType(c.kind);
        ProbeEntity* e = addProbe(room.entities, c.at, 10);
        e->tileCollision = c.collides;
        e->collideTiles(room);
        EXPECT_NEAR(e->position.x, c.expected.x, 1e-4f);
        EXPECT_NEAR(e->position.y, c.expected.y, 1e-4f);
    }
}

} // namespace
