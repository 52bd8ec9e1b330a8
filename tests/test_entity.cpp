#include "entity.h"

#include "globals.h"
#include "worldprobe.h"
#include "zone.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class EntityTest : public ::testing::Test {
protected:
    ResourcesLoaded resources;
    // A 4 x 4 floor zone; walls are set per test.
    Zone zone{0, 4, 4, nullptr};

    ProbeEntity* solid(sf::Vector2f at, float r)
    {
        ProbeEntity* e = addProbe(zone, at, r);
        e->tileCollision = true;
        return e;
    }
};



TEST_F(EntityTest, PushOutSeparatesOverlapsOnly)
{
    ProbeEntity* a = addProbe(zone, {0, 0}, 5);
    ProbeEntity* b = addProbe(zone, {6, 0}, 5);
    const sf::Vector2f p = a->pushOut(*b);
    EXPECT_FLOAT_EQ(p.x, -4.0f);
    EXPECT_FLOAT_EQ(p.y, 0.0f);

    b->position = {10, 0}; // touching exactly
    EXPECT_EQ(a->pushOut(*b), ZERO_VECTOR);
    b->position = {10.5f, 0};
    EXPECT_EQ(a->pushOut(*b), ZERO_VECTOR);
    b->position = {0, 0}; // same point: no direction to push in
    EXPECT_EQ(a->pushOut(*b), ZERO_VECTOR);
}

TEST_F(EntityTest, PushOutAddsOwnParentOffsetButNotTheOthers)
{
    ProbeEntity* parent = addProbe(zone, {100, 0}, 1);
    ProbeEntity* child = addProbe(zone, {0, 0}, 5);
    ProbeEntity* other = addProbe(zone, {106, 0}, 5);
    child->setParent(parent);
    EXPECT_FLOAT_EQ(child->pushOut(*other).x, -4.0f);
    // The other side sees the child at its stored offset, far away.
    EXPECT_EQ(other->pushOut(*child), ZERO_VECTOR);
}

TEST_F(EntityTest, ParentLinksAreListedOnceAndUndoneOnDestruction)
{
    ProbeEntity* first = addProbe(zone, {}, 1);
    ProbeEntity* second = addProbe(zone, {}, 1);
    ProbeEntity* child = addProbe(zone, {}, 1);
    child->setParent(first);
    child->setParent(first);
    EXPECT_EQ(first->children, std::vector<int>{child->getID()});
    child->setParent(second);
    EXPECT_TRUE(first->children.empty());
    EXPECT_EQ(child->getParent(), second);

    zone.remove(second->getID(), true);
    EXPECT_EQ(child->parentID, Entity::NO_PARENT);
    child->setParent(first);
    zone.remove(child->getID(), true);
    EXPECT_TRUE(first->children.empty());
}


TEST_F(EntityTest, WallPlacesEntityFlushAgainstTheNearSide)
{
    zone.getTile(2, 1)->setType(TILE_WALL);
    ProbeEntity* left = solid({60, 48}, 10);
    left->collideTiles(zone);
    EXPECT_FLOAT_EQ(left->position.x, 54.0f);
    EXPECT_FLOAT_EQ(left->position.y, 48.0f);

    ProbeEntity* below = solid({80, 70}, 10);
    below->collideTiles(zone);
    EXPECT_FLOAT_EQ(below->position.y, 74.0f);
    EXPECT_FLOAT_EQ(below->position.x, 80.0f);
}

TEST_F(EntityTest, CentreInsideAWallIsLeftAlone)
{
    zone.getTile(2, 1)->setType(TILE_WALL);
    ProbeEntity* e = solid({80, 48}, 10);
    e->collideTiles(zone);
    EXPECT_EQ(e->position, sf::Vector2f(80, 48));
    ProbeEntity* onEdge = solid({64, 48}, 10);
    onEdge->collideTiles(zone);
    EXPECT_EQ(onEdge->position, sf::Vector2f(64, 48));
}

TEST_F(EntityTest, WallCornerPushesAlongTheDiagonalOnlyWhenReached)
{
    zone.getTile(2, 2)->setType(TILE_WALL);
    ProbeEntity* near = solid({61, 61}, 10); // 3 * sqrt(2) from corner (64, 64)
    near->collideTiles(zone);
    const float off = 64.0f - 10.0f / std::sqrt(2.0f);
    EXPECT_NEAR(near->position.x, off, 1e-4);
    EXPECT_NEAR(near->position.y, off, 1e-4);

    ProbeEntity* far = solid({56, 56}, 10); // 8 * sqrt(2) > 10
    far->collideTiles(zone);
    EXPECT_EQ(far->position, sf::Vector2f(56, 56));
}

TEST_F(EntityTest, OutsideOfTheGridBlocksIncludingColumnMinusOne)
{
    ProbeEntity* e = solid({5, 48}, 10);
    e->collideTiles(zone);
    EXPECT_FLOAT_EQ(e->position.x, 10.0f);
    EXPECT_FLOAT_EQ(e->position.y, 48.0f);

    ProbeEntity* top = solid({48, 3}, 10);
    top->collideTiles(zone);
    EXPECT_FLOAT_EQ(top->position.y, 10.0f);

    ProbeEntity* farSide = solid({125, 48}, 10);
    farSide->collideTiles(zone);
    EXPECT_FLOAT_EQ(farSide->position.x, 118.0f);
}

TEST_F(EntityTest, OnlyTileCollidersAndOnlyWallsBlock)
{
    ProbeEntity* ghost = addProbe(zone, {5, 48}, 10);
    ghost->collideTiles(zone);
    EXPECT_EQ(ghost->position, sf::Vector2f(5, 48));

    zone.getTile(1, 1)->setType(TILE_LINKOUT);
    ProbeEntity* walker = solid({60, 48}, 10);
    walker->collideTiles(zone);
    EXPECT_EQ(walker->position, sf::Vector2f(60, 48));
}



} // namespace
