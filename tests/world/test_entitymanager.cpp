#include "world/entitymanager.h"

#include "testsupport.h"
#include "render/framelist.h"
#include "worldprobe.h"
#include "world/zone.h"

#include <SFML/Graphics/RenderTexture.hpp>
#include <gtest/gtest.h>

#include <sstream>


namespace {

using Log = std::vector<std::string>;

class EntityManagerTest : public ::testing::Test {
protected:
    ResourcesLoaded resources;
    // Large enough that nothing here touches the border.
    Zone zone{0, 20, 20, nullptr};
    Log log;

    ProbeEntity* probe(sf::Vector2f at, float r = 5) { return addProbe(zone.entities, at, r, &log); }
};


TEST_F(EntityManagerTest, DeadEntityIsDroppedDestroyedAndItsIdReused)
{
    int destroyed = 0;
    EXPECT_EQ(zone.entities.allocateID(), 1);
    EXPECT_EQ(zone.entities.allocateID(), 1); // not reserved until added
    probe({100, 100});
    ProbeEntity* doomed = probe({200, 200});
    doomed->destroyed = &destroyed;
    doomed->dieOnUpdate = true;
    zone.update(false);
    // Still updated in the frame it died, then gone.
    EXPECT_EQ(log, (Log{"update 1", "update 2"}));
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(zone.entities.get(2), nullptr);
    EXPECT_EQ(zone.entities.allocateID(), 2);
}

TEST_F(EntityManagerTest, StepVisitsEveryOrderedPairInIdOrderBeforeLaterOnesMove)
{
    ProbeEntity* a = probe({100, 100});
    ProbeEntity* b = probe({109, 100});
    probe({300, 300});
    // b moves clear away in its own turn, but only after a has seen it.
    b->velocity = {10, 0};
    zone.update(false);
    EXPECT_EQ(log, (Log{"update 1", "collide 1-2", "update 2", "collide 2-1", "update 3"}));
    EXPECT_FLOAT_EQ(a->lastPush.x, -1.0f);
    EXPECT_FLOAT_EQ(b->lastPush.x, 1.0f);
    EXPECT_FLOAT_EQ(b->velocity.x, 8.0f);
    EXPECT_FLOAT_EQ(b->position.x, 117.0f);
}

TEST_F(EntityManagerTest, MotionIsDampedThenAppliedThenPushedOutOfWalls)
{
    zone.getTile(4, 3)->setType(TILE_WALL);
    ProbeEntity* e = probe({120, 112}, 10);
    e->tileCollision = true;
    e->velocity = {5, 0};
    zone.update(false);
    // 120 + 4 overlaps the wall at x = 128: it ends flush at 118.
    EXPECT_FLOAT_EQ(e->position.x, 118.0f);
    EXPECT_FLOAT_EQ(e->velocity.x, 4.0f);
}

TEST_F(EntityManagerTest, FrozenStepOnlyRemovesTheDead)
{
    int destroyed = 0;
    ProbeEntity* a = probe({100, 100});
    ProbeEntity* b = probe({104, 100});
    a->velocity = {5, 5};
    b->dead = true;
    b->destroyed = &destroyed;
    zone.update(true);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(a->position, sf::Vector2f(100, 100));
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(zone.entities.size(), 1u);
}

TEST_F(EntityManagerTest, RemoveHandsOverOrDestroys)
{
    int destroyed = 0;
    ProbeEntity* kept = probe({100, 100});
    kept->destroyed = &destroyed;
    ProbeEntity* gone = probe({200, 200});
    gone->destroyed = &destroyed;

    std::unique_ptr<Entity> handed = zone.entities.take(kept->getID());
    EXPECT_EQ(handed.get(), kept);
    EXPECT_EQ(zone.entities.get(1), nullptr);
    Zone other(1, 2, 2, nullptr);
    kept->manager = &other.entities;
    other.entities.add(std::move(handed));
    EXPECT_EQ(other.entities.get(1), kept);

    zone.entities.remove(gone->getID());
    EXPECT_EQ(destroyed, 1);
}

TEST_F(EntityManagerTest, DestroyingTheManagerDestroysWhatItHolds)
{
    int destroyed = 0;
    {
        Zone doomed(2, 2, 2, nullptr);
        ProbeEntity* parent = addProbe(doomed.entities, {10, 10}, 1);
        ProbeEntity* child = addProbe(doomed.entities, {0, 0}, 1);
        child->setParent(parent);
        parent->destroyed = &destroyed;
        child->destroyed = &destroyed;
    }
    EXPECT_EQ(destroyed, 2);
}


TEST_F(EntityManagerTest, AnimatesBackToFrontByDepthCountingTheParentAndSubmitsInThatOrder)
{
    probe({50, 50});                       // depth 100
    ProbeEntity* parent = probe({10, 10}); // depth 20
    ProbeEntity* child = probe({20, 20});  // depth 60 with its parent's offset
    probe({0, 5});                         // depth 5
    child->setParent(parent);
    zone.animate();
    // Moved after animating: the frame keeps the order animate found, and the depths.
    parent->position = {200, 200};
    FrameList frame;
    zone.submit(frame, true);
    EXPECT_EQ(log, (Log{"animate 4", "animate 2", "animate 3", "animate 1", "submit 4", "submit 2", "submit 3", "submit 1"}));
    std::vector<float> depths;
    for (const FrameList::Item& item : frame.items())
        depths.push_back(item.depth);
    // The ground first, then each entity's debug circle and id under it, at its depth.
    EXPECT_EQ(depths, (std::vector<float>{-INFINITY, 5, 5, 20, 20, 60, 60, 100, 100}));
}


TEST_F(EntityManagerTest, StreamLoadAddsAWholeListOrNothing)
{
    probe({100, 100});
    std::istringstream clash(Bytes().i32(2).entity(3, 5, 0, 0, 1).entity(4, 1, 0, 0, 1).data);
    testing::internal::CaptureStdout();
    EXPECT_EQ(zone.entities.load(clash), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Entities not loaded: entity id 1 is already registered\n");
    EXPECT_EQ(zone.entities.size(), 1u);

    std::istringstream fine(Bytes().i32(2).entity(3, 5, 0, 0, 1).entity(1, 9, 0, 0, 1).data);
    testing::internal::CaptureStdout();
    Entity* player = zone.entities.load(fine);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "2 entities to load\n");
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(zone.entities.get(0)->getType(), Entity::TYPE_PLAYER);
    EXPECT_EQ(zone.entities.get(5)->getType(), Entity::TYPE_CLERK);
    EXPECT_EQ(zone.entities.size(), 3u);
}

} // namespace
