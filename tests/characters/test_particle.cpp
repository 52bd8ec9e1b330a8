#include "charscene.h"
#include "characters/clerk.h"
#include "characters/doodad.h"
#include "core/globals.h"
#include "characters/malepedestrian.h"
#include "characters/particle.h"
#include "world/resourcemanager.h"
#include "characters/robber.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace charscene;

namespace {

class CombatTest : public ::testing::Test {
protected:
    void SetUp() override { ResourceManager::sounds.clear(); }

    Loaded loaded;

    Combat* blow(int kind, int team, sf::Vector2f at, sf::Vector2f facing = {1.0f, 0.0f})
    {
        Combat* c = place(zone, std::make_unique<Combat>(&zone.entities, kind, team), at);
        c->facing = facing;
        return c;
    }

    // No player in this zone, so robbers stand and clerks have nowhere to go.
    Zone zone{0, 8, 8, nullptr};
};

} // namespace

TEST_F(CombatTest, OneHitOverlappingTwoEnemiesHurtsBothWithTwoSoundsAndGoesOnce)
{
    Robber* left = place(zone, std::make_unique<Robber>(&zone.entities), {100.0f, 120.0f});
    Robber* right = place(zone, std::make_unique<Robber>(&zone.entities), {140.0f, 120.0f});
    blow(Combat::COMBAT_HIT, 1, {120.0f, 120.0f}, {0.0f, 1.0f});
    frame(zone);
    EXPECT_EQ(left->hitPoints, 45);
    EXPECT_EQ(right->hitPoints, 45);
    EXPECT_EQ(left->hurtTimer, 48);
    EXPECT_EQ(ResourceManager::sounds.size(), 2u);
    EXPECT_EQ(count(zone, Entity::TYPE_COMBAT), 0);
}

TEST_F(CombatTest, BlowsSpareTheirOwnTeamAndEverythingThatIsNotAUnit)
{
    Robber* robber = place(zone, std::make_unique<Robber>(&zone.entities), {100.0f, 100.0f});
    MalePedestrian* walker = place(zone, std::make_unique<MalePedestrian>(&zone.entities), {40.0f, 200.0f});
    Doodad* lamp = place(zone, std::make_unique<Doodad>(&zone.entities, 0), {200.0f, 100.0f});
    Dust* puff = place(zone, std::make_unique<Dust>(&zone.entities, 0, sf::Vector2f(200.0f, 200.0f)), {200.0f, 200.0f});
    puff->velocity = {};
    for (int kind : {Combat::COMBAT_HIT, Combat::COMBAT_POWER_HIT}) {
        blow(kind, 2, robber->position + sf::Vector2f(4.0f, 0.0f));
        blow(kind, 2, walker->position + sf::Vector2f(4.0f, 0.0f));
        blow(kind, 1, lamp->position + sf::Vector2f(4.0f, 0.0f));
        blow(kind, 1, puff->position + sf::Vector2f(4.0f, 0.0f));
    }
    frame(zone);
    EXPECT_EQ(robber->hitPoints, 50);
    EXPECT_EQ(walker->hitPoints, 20);
    EXPECT_EQ(count(zone, Entity::TYPE_COMBAT), 8);
    EXPECT_TRUE(ResourceManager::sounds.empty());
}

TEST_F(CombatTest, TheClerkIsHurtByEitherSideAndOneBlowRemovesIt)
{
    for (int team : {1, 2}) {
        Clerk* clerk = place(zone, std::make_unique<Clerk>(&zone.entities), {100.0f, 100.0f});
        const int id = clerk->getID();
        blow(Combat::COMBAT_HIT, team, {110.0f, 100.0f}, {0.0f, 1.0f});
        frame(zone);
        ASSERT_EQ(zone.entities.get(id), clerk);
        EXPECT_EQ(clerk->hitPoints, -4);
        // Knock-back lands after the clerk's own damping this pass.
        EXPECT_EQ(clerk->velocity, sf::Vector2f(0.0f, 10.0f));
        frame(zone);
        EXPECT_EQ(zone.entities.get(id), nullptr) << "team " << team;
    }
}

TEST_F(CombatTest, AMarkerNeverHurtsAndOutlastsAHitThatTouchedNobody)
{
    Robber* robber = place(zone, std::make_unique<Robber>(&zone.entities), {100.0f, 100.0f});
    blow(Combat::COMBAT_MARKER, 1, {105.0f, 100.0f});
    blow(Combat::COMBAT_HIT, 1, {200.0f, 200.0f});
    frames(zone, 15);
    EXPECT_EQ(count(zone, Entity::TYPE_COMBAT), 2);
    frame(zone);
    EXPECT_EQ(count(zone, Entity::TYPE_COMBAT), 1);
    frames(zone, 43);
    EXPECT_EQ(count(zone, Entity::TYPE_COMBAT), 1);
    frame(zone);
    EXPECT_EQ(count(zone, Entity::TYPE_COMBAT), 0);
    EXPECT_EQ(robber->hitPoints, 50);
}

TEST_F(CombatTest, DustDriftsTwicePerPassAndFadesAfterSixty)
{
    std::srand(7);
    const float first = randomUnit() - 0.5f;
    const float second = randomUnit() - 0.5f;
    std::srand(7);
    Dust* puff = zone.entities.add(std::make_unique<Dust>(&zone.entities, 0, sf::Vector2f(100.0f, 100.0f)));
    // The second draw is x, the first y.
    const sf::Vector2f drift = normalize({second, first});
    EXPECT_NEAR(puff->velocity.x, drift.x, 1e-6f);
    EXPECT_NEAR(puff->velocity.y, drift.y, 1e-6f);
    EXPECT_EQ(puff->radius, 16.0f);
    frame(zone);
    EXPECT_NEAR(puff->position.x, 100.0f + 1.8f * drift.x, 1e-4f);
    EXPECT_NEAR(puff->position.y, 100.0f + 1.8f * drift.y, 1e-4f);
    frames(zone, 58);
    EXPECT_EQ(count(zone, Entity::TYPE_DUST), 1);
    frame(zone);
    EXPECT_EQ(count(zone, Entity::TYPE_DUST), 0);
}
