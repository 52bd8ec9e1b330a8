// The pedestrian: wandering, spinning and falling.

#include "charscene.h"
#include "characters/malepedestrian.h"
#include "characters/player.h"
#include "characters/robber.h"
#include "core/globals.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

using namespace charscene;

TEST_F(CharacterTest, PedestrianFallsToFourHitsOrTwoPowerHits)
{
    for (int kind : {Combat::COMBAT_HIT, Combat::COMBAT_POWER_HIT}) {
        MalePedestrian* walker = place(zone, std::make_unique<MalePedestrian>(&zone.entities), centre);
        const int id = walker->getID();
        for (int i = 0; i < (kind == Combat::COMBAT_HIT ? 4 : 2); ++i) {
            ASSERT_EQ(zone.entities.get(id), walker);
            place(zone, std::make_unique<Combat>(&zone.entities, kind, 1), walker->position + sf::Vector2f(3, 0))->facing = {};
            frame(zone);
        }
        EXPECT_EQ(walker->hitPoints, 0);
        frame(zone);
        EXPECT_EQ(zone.entities.get(id), nullptr);
    }
}

TEST_F(CharacterTest, PedestrianGivesUpADestinationAfterStandingOnOneTileTooLong)
{
    paint(zone, {".#...", "##..."});
    MalePedestrian* walker = place(zone, std::make_unique<MalePedestrian>(&zone.entities), tileCentre(0, 0));
    // A path straight into the wall: it presses on and never leaves its tile.
    walker->path = {{0, 3, 0, 0, 0, nullptr}};
    runFrames(zone, 120);
    ASSERT_EQ(walker->path.size(), 1u);
    frame(zone);
    // Every new destination is its own tile or out of reach.
    EXPECT_FALSE(walker->hasPath());
    EXPECT_EQ(walker->stuckTicks, 0);
}

TEST_F(CharacterTest, PedestrianWithNoGroundToWalkOnKeepsTryingWithoutHanging)
{
    Zone pit(0, 3, 3, nullptr);
    paint(pit, {"###", "###", "###"});
    MalePedestrian* walker = place(pit, std::make_unique<MalePedestrian>(&pit.entities), tileCentre(1, 1));
    runFrames(pit, 10);
    EXPECT_FALSE(walker->hasPath());
    paint(pit, {"..."});
    runFrames(pit, 3);
    EXPECT_TRUE(walker->hasPath());
}

TEST_F(CharacterTest, PedestrianWandersOverWalkableGround)
{
    paint(zone, {"..........", "..#####..."});
    MalePedestrian* walker = place(zone, std::make_unique<MalePedestrian>(&zone.entities), tileCentre(0, 0));
    std::set<std::pair<int, int>> visited;
    runFrames(zone, 3000, [&](int) {
        const int column = static_cast<int>(walker->position.x / 32.0f);
        const int row = static_cast<int>(walker->position.y / 32.0f);
        EXPECT_TRUE(zone.getTile(column, row)->walkable);
        visited.insert({column, row});
    });
    EXPECT_GT(visited.size(), 15u);
}

TEST_F(CharacterTest, OnlyThePlayerMakesAPedestrianSpin)
{
    MalePedestrian* walker = place(zone, std::make_unique<MalePedestrian>(&zone.entities), centre);
    Robber* robber = place(zone, std::make_unique<Robber>(&zone.entities), centre + sf::Vector2f(10.0f, 0.0f));
    walker->onCollide(*robber, {-1.0f, 0.0f});
    EXPECT_EQ(walker->spinTimer, 0);
    Player* player = place(zone, std::make_unique<Player>(&zone.entities), centre + sf::Vector2f(0.0f, 10.0f));
    walker->onCollide(*player, {0.0f, -1.0f});
    EXPECT_EQ(walker->spinTimer, 72);
    expectNear(walker->facing, {0.0f, 1.0f});
}

