// The player: its actions, blows, hurt and fall.

#include "charscene.h"
#include "characters/doodad.h"
#include "characters/player.h"
#include "characters/robber.h"
#include "characters/malepedestrian.h"
#include "core/globals.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

using namespace charscene;

// Every blow of every action, on its draw, with its place and knock-back direction.
TEST_F(CharacterTest, EachActionStrikesOnItsOwnDrawsAndNowhereElse)
{
    struct Case {
        const char* name;
        std::function<Unit*(Zone&)> start;
        sf::Vector2f facing;
        int length;
        std::vector<int> draws;
        std::vector<float> angles;
        int kind;
        bool attached;
    };
    const sf::Vector2f down(0.0f, 1.0f); // mirrored
    const sf::Vector2f right(1.0f, 0.0f);
    const std::vector<Case> cases = {
        {"player punch", [](Zone& z) { Player* p = z.entities.add(std::make_unique<Player>(&z.entities)); p->punch(); return p; },
         down, 48, {25, 40}, {60.0f, -60.0f}, Combat::COMBAT_HIT, false},
        {"player punch", [](Zone& z) { Player* p = z.entities.add(std::make_unique<Player>(&z.entities)); p->punch(); return p; },
         right, 48, {25, 40}, {-60.0f, 60.0f}, Combat::COMBAT_HIT, false},
        {"player kick", [](Zone& z) { Player* p = z.entities.add(std::make_unique<Player>(&z.entities)); p->spinKick(); return p; },
         right, 36, {}, {}, 0, false},
        {"robber punch", [](Zone& z) { Robber* r = z.entities.add(std::make_unique<Robber>(&z.entities)); r->startPunch(); return r; },
         down, 72, {34, 55}, {60.0f, -60.0f}, Combat::COMBAT_HIT, false},
        {"robber spin", [](Zone& z) { Robber* r = z.entities.add(std::make_unique<Robber>(&z.entities)); r->startSpin(); return r; },
         right, 66, {62}, {-60.0f}, Combat::COMBAT_POWER_HIT, true},
        {"pedestrian spin", [](Zone& z) { auto* m = z.entities.add(std::make_unique<MalePedestrian>(&z.entities)); m->startSpin(); return m; },
         down, 72, {62}, {60.0f}, Combat::COMBAT_POWER_HIT, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Zone room(0, 10, 10, nullptr);
        Unit* fighter = c.start(room);
        fighter->position = centre;
        fighter->facing = c.facing;
        const std::vector<BlowCopy> blows = runFrames(room, c.length);
        ASSERT_EQ(blows.size(), c.draws.size());
        for (std::size_t i = 0; i < blows.size(); ++i) {
            EXPECT_EQ(blows[i].draw, c.draws[i]);
            EXPECT_EQ(blows[i].kind, c.kind);
            EXPECT_EQ(blows[i].team, fighter->team);
            expectNear(blows[i].facing, rotate(c.facing, c.angles[i]));
            if (c.attached) {
                EXPECT_EQ(blows[i].parentID, fighter->getID());
                expectNear(blows[i].position, c.facing * 24.0f);
            } else {
                EXPECT_EQ(blows[i].parentID, Entity::NO_PARENT + 0);
                expectNear(blows[i].position, centre + c.facing * 24.0f);
            }
        }
        EXPECT_EQ(fighter->position, centre); // nobody steers during an action
    }
}

TEST_F(CharacterTest, PlayerStartsNothingWhileBusyButTurns)
{
    Player* player = place(zone, std::make_unique<Player>(&zone.entities), centre);
    player->punch();
    runFrames(zone, 10);
    player->facing = {-1.0f, 0.0f};
    player->punch();
    player->spinKick();
    EXPECT_EQ(player->actionTimer, 38);
    EXPECT_EQ(player->currentAnimation, &player->punchAnimation);
    frame(zone);
    EXPECT_TRUE(player->punchAnimation.mirrored);
    runFrames(zone, 38);
    EXPECT_EQ(player->currentAnimation, &player->idle);
    EXPECT_FALSE(player->attacking);
}

TEST_F(CharacterTest, HeldSpinKickRestartsOnTheFirstFreeTick)
{
    Player* player = place(zone, std::make_unique<Player>(&zone.entities), centre);
    std::vector<int> starts;
    runFrames(zone, 80, [&](int f) {
        player->spinKick();
        if (player->actionTimer == 36)
            starts.push_back(f);
    });
    EXPECT_EQ(starts, (std::vector<int>{1, 37, 73}));
}

TEST_F(CharacterTest, PlayerHurtLastsFortyTicksAndCutsAPunchShort)
{
    Player* player = place(zone, std::make_unique<Player>(&zone.entities), centre);
    player->punch();
    runFrames(zone, 24); // the first hit would come on the next draw
    EXPECT_EQ(player->damage(5), 5);
    EXPECT_EQ(player->hitPoints, 95);
    EXPECT_EQ(player->currentAnimation, &player->hurt);
    player->moveDirection = {1.0f, 0.0f};
    EXPECT_TRUE(runFrames(zone, 40).empty());
    EXPECT_EQ(player->position, centre); // no walking while hurt
    runFrames(zone, 2);
    EXPECT_EQ(player->currentAnimation, &player->walk);
    EXPECT_GT(player->position.x, centre.x);
}

TEST_F(CharacterTest, AFallenPlayerLiesStillAndStaysInTheZone)
{
    Player* player = place(zone, std::make_unique<Player>(&zone.entities), centre);
    EXPECT_EQ(player->damage(100), 100);
    EXPECT_TRUE(player->defeated);
    EXPECT_EQ(player->currentAnimation, &player->death);
    EXPECT_EQ(player->damage(30), 0);
    EXPECT_EQ(player->hitPoints, 0);
    player->moveDirection = {1.0f, 0.0f};
    runFrames(zone, 200);
    EXPECT_EQ(zone.entities.get(0), player);
    EXPECT_EQ(player->death.currentFrame, 7);
    EXPECT_EQ(player->position, centre);
}

TEST_F(CharacterTest, PlayerThrowAndMarkerOperationsWork)
{
    Player* player = place(zone, std::make_unique<Player>(&zone.entities), centre);
    Doodad* box = place(zone, std::make_unique<Doodad>(&zone.entities, 2), centre + sf::Vector2f(10.0f, 0.0f));
    box->interactable = true;
    player->throwGrabbed();
    EXPECT_EQ(player->currentAnimation, &player->throwAnimation);
    EXPECT_EQ(player->actionTimer, 48);
    EXPECT_EQ(player->grabbed, nullptr);
    frame(zone);
    EXPECT_EQ(player->grabCandidate, box);
    player->throwGrabbed();
    EXPECT_EQ(player->grabbed, box);
    EXPECT_EQ(player->actionTimer, 47); // no restart while busy
    zone.entities.remove(box->getID());
    frame(zone);
    EXPECT_EQ(player->grabCandidate, nullptr);

    Robber* robber = place(zone, std::make_unique<Robber>(&zone.entities), centre + sf::Vector2f(0.0f, 20.0f));
    robber->hurtTimer = 100000; // too hurt to fight back
    player->facing = {0.0f, 1.0f};
    player->markAndDust();
    const std::vector<const Combat*> marker = freshBlows(zone);
    ASSERT_EQ(marker.size(), 1u);
    EXPECT_EQ(marker[0]->kind, Combat::COMBAT_MARKER);
    EXPECT_EQ(marker[0]->getParent(), player);
    expectNear(marker[0]->position, {0.0f, 16.0f});
    runFrames(zone, 59);
    EXPECT_EQ(robber->hitPoints, 50);
    EXPECT_EQ(count(zone, Entity::TYPE_DUST) + count(zone, Entity::TYPE_COMBAT), 2);
    frame(zone);
    EXPECT_EQ(count(zone, Entity::TYPE_DUST) + count(zone, Entity::TYPE_COMBAT), 0);
}

