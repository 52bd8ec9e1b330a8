// The robber: its chase, attacks, hurt and death.

#include "charscene.h"
#include "characters/doodad.h"
#include "characters/player.h"
#include "characters/robber.h"
#include "core/globals.h"
#include "world/tilepath.h"
#include "world/zonefair.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

using namespace charscene;

TEST_F(CharacterTest, DyingRobberShowsItsLastFrameForTheFullDelayThenGoes)
{
    Robber* robber = place(zone, std::make_unique<Robber>(&zone.entities), centre);
    const int id = robber->getID();
    EXPECT_EQ(robber->damage(50), 50);
    EXPECT_EQ(robber->damage(5), 0); // already dying
    robber->startPunch();             // still starts, but only the death is shown
    EXPECT_TRUE(runFrames(zone, 55).empty());
    ASSERT_EQ(zone.entities.get(id), robber);
    EXPECT_EQ(robber->death.currentFrame, 7);
    frame(zone);
    EXPECT_EQ(zone.entities.get(id), nullptr);
}

TEST_F(CharacterTest, RobberHurtCancelsTheRestOfItsPunch)
{
    Robber* robber = place(zone, std::make_unique<Robber>(&zone.entities), centre);
    robber->startPunch();
    EXPECT_EQ(runFrames(zone, 40).size(), 1u);
    EXPECT_EQ(robber->damage(5), 5);
    EXPECT_EQ(robber->punchTimer, 0);
    EXPECT_EQ(robber->hurtTimer, 48);
    EXPECT_TRUE(runFrames(zone, 100).empty());
}

TEST_F(CharacterTest, RobberPicksPunchOrSpinSeventyThirty)
{
    Player* player = place(zone, std::make_unique<Player>(&zone.entities), centre);
    Robber* robber = place(zone, std::make_unique<Robber>(&zone.entities), centre + sf::Vector2f(20.0f, 0.0f));
    int punches = 0;
    for (int i = 0; i < 2000; ++i) {
        robber->punchTimer = robber->spinTimer = 0;
        robber->onCollide(*player, {1.0f, 0.0f});
        punches += robber->punchTimer > 0 ? 1 : 0;
    }
    EXPECT_NEAR(punches / 2000.0, 0.7, 0.04);
    expectNear(robber->facing, {-1.0f, 0.0f});
}

TEST_F(CharacterTest, RobberInContactAttacksAgainOnTheTickItsActionEnds)
{
    Player* player = place(zone, std::make_unique<Player>(&zone.entities), centre);
    Robber* robber = place(zone, std::make_unique<Robber>(&zone.entities), centre);
    player->hitPoints = 1000000;
    int idleFrames = 0;
    runFrames(zone, 1500, [&](int f) {
        // Pinned in place, so the knock-back never breaks contact.
        player->position = centre;
        robber->position = centre + sf::Vector2f(25.0f, 0.0f);
        player->velocity = robber->velocity = {};
        idleFrames += f > 2 && !robber->isBusy() ? 1 : 0;
    });
    EXPECT_EQ(idleFrames, 0);
    EXPECT_LT(player->hitPoints, 1000000 - 100);
}

TEST_F(CharacterTest, RobberWithoutAPlayerStands)
{
    auto prop = std::make_unique<Doodad>(&zone.entities, 0);
    prop->id = 0; // something at id 0 that is no player
    place(zone, std::move(prop), tileCentre(1, 1));
    Robber* robber = place(zone, std::make_unique<Robber>(&zone.entities), centre);
    runFrames(zone, 30);
    EXPECT_EQ(robber->position, centre);
    EXPECT_FALSE(robber->hasPath());
}

TEST_F(CharacterTest, RobberWalksAroundTheWallToThePlayerAndTheyFightUntilOneFalls)
{
    Zone street(0, 10, 7, nullptr);
    paint(street, {"..........", "..........", "..........", "#########."});
    Player* player = place(street, std::make_unique<Player>(&street.entities), tileCentre(1, 5));
    Robber* robber = place(street, std::make_unique<Robber>(&street.entities), tileCentre(1, 1));
    const int robberID = robber->getID();

    int playerStart = 0, punchStart = 0, spinStart = 0, lastTry = -1000, f = 0;
    bool met = false;
    std::vector<int> playerOffsets, punchOffsets, spinOffsets;
    while (++f < 20000 && !player->defeated && street.entities.get(robberID) != nullptr) {
        // A slow user: now and then a punch toward a robber within reach.
        const sf::Vector2f toRobber = robber->position - player->position;
        if (length(toRobber) < 40.0f && f - lastTry >= 150) {
            met = true;
            lastTry = f;
            player->facing = normalize(toRobber);
            player->punch();
        }
        if (player->actionTimer == 48 && player->attacking)
            playerStart = f;
        frame(street);
        if (street.entities.get(robberID) == nullptr)
            break;
        punchStart = robber->punchTimer == 72 ? f : punchStart;
        spinStart = robber->spinTimer == 66 ? f : spinStart;
        const Tile* under = street.getTile(int(robber->position.x / 32), int(robber->position.y / 32));
        ASSERT_TRUE(under != nullptr && under->walkable) << "frame " << f;
        for (const Combat* c : freshBlows(street)) {
            if (c->ownerTeam == 1)
                playerOffsets.push_back(f - playerStart + 1);
            else
                (c->kind == Combat::COMBAT_HIT ? punchOffsets : spinOffsets).push_back(
                    f - (c->kind == Combat::COMBAT_HIT ? punchStart : spinStart) + 1);
        }
    }
    EXPECT_TRUE(met);
    EXPECT_LT(f, 20000);
    EXPECT_TRUE(player->defeated || street.entities.get(robberID) == nullptr);
    EXPECT_FALSE(playerOffsets.empty());
    EXPECT_FALSE(punchOffsets.empty() && spinOffsets.empty());
    for (int offset : playerOffsets)
        EXPECT_TRUE(offset == 25 || offset == 40) << offset;
    for (int offset : punchOffsets)
        EXPECT_TRUE(offset == 34 || offset == 55) << offset;
    for (int offset : spinOffsets)
        EXPECT_EQ(offset, 62);
    if (player->defeated) {
        EXPECT_EQ(street.entities.get(0), player);
    }
}

// The zone checks count a robber's walk as its path's length over zonefair::ROBBER_PACE: a
// real robber is never faster than that, straight or diagonally, nor much slower.
TEST_F(CharacterTest, RobberWalksItsPathAtThePaceTheZoneChecksCountOn)
{
    const sf::Vector2i walks[][2] = {{{1, 1}, {21, 1}}, {{1, 1}, {15, 15}}};
    for (const auto& walk : walks) {
        Zone ground(0, 24, 18, nullptr);
        Player* player = place(ground, std::make_unique<Player>(&ground.entities), tileCentre(walk[1].x, walk[1].y));
        Robber* robber = place(ground, std::make_unique<Robber>(&ground.entities), tileCentre(walk[0].x, walk[0].y));
        robber->findPath(ground, walk[1].y, walk[1].x);
        // Up to a tile short of the player, where their bodies are about to touch.
        const float way = (tilepath::tiles(robber->path) - 1.f) * TILE_SIZE;
        int frames = 0;
        while (frames < 2000 && distance(robber->position, player->position) > TILE_SIZE) {
            frame(ground);
            ++frames;
        }
        const float counted = way / zonefair::ROBBER_PACE;
        EXPECT_GE(static_cast<float>(frames), counted) << walk[1].x << "," << walk[1].y;
        EXPECT_LE(static_cast<float>(frames), counted * 1.01f) << walk[1].x << "," << walk[1].y;
    }
}
