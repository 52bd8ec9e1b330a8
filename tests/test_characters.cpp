#include "charscene.h"
#include "clerk.h"
#include "doodad.h"
#include "globals.h"
#include "malepedestrian.h"
#include "particle.h"
#include "player.h"
#include "resourcemanager.h"
#include "robber.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>
#include <sstream>

using namespace charscene;

namespace {

struct Blow {
    int draw;     // which draw of the frames run, from 1
    int id;
    int kind;
    int team;
    sf::Vector2f position;
    sf::Vector2f facing;
    int parentID;
};

// Runs frames and notes every hit effect as it first appears.
class BlowLog {
public:
    explicit BlowLog(Zone& z) : zone(z) { noteExisting(); }

    void run(int count, const std::function<void()>& beforeFrame = nullptr)
    {
        for (int i = 0; i < count; ++i) {
            if (beforeFrame)
                beforeFrame();
            frame(zone);
            ++draws;
            collect();
        }
    }

    std::vector<Blow> blows;
    int draws = 0;

private:
    void noteExisting()
    {
        for (const auto& entry : zone.entities)
            seen.insert(entry.first);
    }

    void collect()
    {
        for (const auto& entry : zone.entities) {
            if (!seen.insert(entry.first).second || entry.second->getType() != Entity::TYPE_COMBAT)
                continue;
            const Combat* c = static_cast<const Combat*>(entry.second);
            blows.push_back({draws, c->getID(), c->kind, c->ownerTeam, c->position, c->facing,
                             c->parentID});
        }
    }

    Zone& zone;
    std::set<int> seen;
};

void expectVector(sf::Vector2f actual, sf::Vector2f expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4f);
    EXPECT_NEAR(actual.y, expected.y, 1e-4f);
}

class CharacterTest : public ::testing::Test {
protected:
    Loaded loaded;
    Zone zone{0, 10, 10, nullptr};
};

} // namespace

// ---- Player ----

TEST_F(CharacterTest, PlayerStartsWithIdZeroAndKeepsItThroughALoad)
{
    Player* player = place(zone, new Player(&zone), tileCentre(3, 3));
    EXPECT_EQ(player->getID(), 0);
    EXPECT_EQ(player->hitPoints, 100);
    EXPECT_EQ(player->radius, 16.0f);
    EXPECT_EQ(player->team, 1);
    std::stringstream bytes;
    Zone other(0, 4, 4, nullptr);
    player->id = 7;
    player->save(bytes);
    int32_t type = 0;
    bytes.read(reinterpret_cast<char*>(&type), 4);
    Player copy(&other);
    copy.load(bytes);
    EXPECT_EQ(copy.getID(), 0);
    EXPECT_EQ(copy.position, tileCentre(3, 3));
    player->id = 0;
}

TEST_F(CharacterTest, PlayerPunchHitsOnThe25thAnd40thDrawToEitherSide)
{
    for (sf::Vector2f facing : {sf::Vector2f(1.0f, 0.0f), sf::Vector2f(0.0f, 1.0f)}) {
        Zone room(0, 10, 10, nullptr);
        Player* player = place(room, new Player(&room), tileCentre(5, 5));
        const bool mirrored = facing.x - facing.y <= 0.0f;
        player->facing = facing;
        player->punch();
        EXPECT_EQ(player->actionTimer, 48);
        BlowLog log(room);
        log.run(48);
        ASSERT_EQ(log.blows.size(), 2u);
        EXPECT_EQ(log.blows[0].draw, 25);
        EXPECT_EQ(log.blows[1].draw, 40);
        for (const Blow& b : log.blows) {
            EXPECT_EQ(b.kind, Combat::COMBAT_HIT);
            EXPECT_EQ(b.team, 1);
            EXPECT_EQ(b.parentID, Entity::NO_PARENT + 0);
            expectVector(b.position, tileCentre(5, 5) + facing * 24.0f);
        }
        expectVector(log.blows[0].facing, rotate(facing, mirrored ? 60.0f : -60.0f));
        expectVector(log.blows[1].facing, rotate(facing, mirrored ? -60.0f : 60.0f));
        EXPECT_EQ(player->actionTimer, 0);
        log.run(1);
        EXPECT_EQ(player->currentAnimation, &player->idle);
        EXPECT_FALSE(player->attacking);
    }
}

TEST_F(CharacterTest, PlayerCannotStartAnythingWhileBusy)
{
    Player* player = place(zone, new Player(&zone), tileCentre(5, 5));
    player->punch();
    BlowLog log(zone);
    log.run(10);
    player->facing = {-1.0f, 0.0f};
    player->punch();
    player->spinKick();
    EXPECT_EQ(player->actionTimer, 38);
    EXPECT_EQ(player->currentAnimation, &player->punchAnimation);
    // The new facing shows at once: up the screen, mirrored.
    log.run(1);
    EXPECT_TRUE(player->punchAnimation.mirrored);
}

TEST_F(CharacterTest, HeldSpinKickRestartsOnTheFirstFreeTickAndHurtsNobody)
{
    Player* player = place(zone, new Player(&zone), tileCentre(5, 5));
    Robber* robber = place(zone, new Robber(&zone), tileCentre(5, 5) + sf::Vector2f(20.0f, 0.0f));
    robber->hitPoints = 1000;
    BlowLog log(zone);
    std::vector<int> starts;
    log.run(80, [&] {
        player->spinKick();
        if (player->actionTimer == 36)
            starts.push_back(log.draws + 1);
        robber->punchTimer = robber->spinTimer = 0;
        robber->hurtTimer = 1000; // keeps the robber from fighting back
    });
    EXPECT_EQ(starts, (std::vector<int>{1, 37, 73}));
    for (const Blow& b : log.blows)
        EXPECT_NE(b.team, 1);
    EXPECT_EQ(robber->hitPoints, 1000);
}

TEST_F(CharacterTest, PlayerHurtLastsFortyTicksAndCutsAPunchShort)
{
    Player* player = place(zone, new Player(&zone), tileCentre(5, 5));
    player->punch();
    BlowLog log(zone);
    log.run(24); // the first hit would come on the next draw
    EXPECT_EQ(player->damage(5), 5);
    EXPECT_EQ(player->hitPoints, 95);
    EXPECT_EQ(player->currentAnimation, &player->hurt);
    EXPECT_EQ(player->actionTimer, 40);
    player->moveDirection = {1.0f, 0.0f};
    log.run(40);
    EXPECT_TRUE(log.blows.empty());
    EXPECT_EQ(player->actionTimer, 0);
    EXPECT_EQ(player->velocity, sf::Vector2f()); // no walking while hurt
    log.run(2);
    EXPECT_EQ(player->currentAnimation, &player->walk);
    EXPECT_GT(player->velocity.x, 0.0f);
}

TEST_F(CharacterTest, AFallenPlayerLiesStillAndStaysInTheZone)
{
    Player* player = place(zone, new Player(&zone), tileCentre(5, 5));
    EXPECT_EQ(player->damage(100), 100);
    EXPECT_TRUE(player->defeated);
    EXPECT_EQ(player->currentAnimation, &player->death);
    EXPECT_EQ(player->actionTimer, 0);
    EXPECT_EQ(player->damage(30), 0);
    EXPECT_EQ(player->hitPoints, 0);
    player->moveDirection = {1.0f, 0.0f};
    frames(zone, 200);
    EXPECT_EQ(zone.get(0), player);
    EXPECT_EQ(player->death.currentFrame, 7);
    EXPECT_EQ(player->position, tileCentre(5, 5));
}

TEST_F(CharacterTest, PlayerThrowAndMarkerOperationsWork)
{
    Player* player = place(zone, new Player(&zone), tileCentre(5, 5));
    player->facing = {0.0f, 1.0f};
    player->throwGrabbed();
    EXPECT_EQ(player->currentAnimation, &player->throwAnimation);
    EXPECT_EQ(player->actionTimer, 48);
    EXPECT_EQ(player->grabbed, nullptr);

    Doodad* box = place(zone, new Doodad(&zone, 2), tileCentre(5, 5) + sf::Vector2f(10.0f, 0.0f));
    box->interactable = true;
    zone.update(zone, false);
    EXPECT_EQ(player->grabCandidate, box);
    zone.draw(canvas(), false);
    player->throwGrabbed();
    EXPECT_EQ(player->grabbed, box);
    EXPECT_EQ(player->actionTimer, 47); // no restart while busy
    zone.remove(box->getID(), true);
    zone.update(zone, false);
    EXPECT_EQ(player->grabCandidate, nullptr);

    Robber* robber = place(zone, new Robber(&zone), tileCentre(5, 5) + sf::Vector2f(0.0f, 20.0f));
    robber->hurtTimer = 100000; // too hurt to fight back
    player->markAndDust();
    const Entity* marker = nullptr;
    for (const auto& entry : zone.entities)
        if (entry.second->getType() == Entity::TYPE_COMBAT)
            marker = entry.second;
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(static_cast<const Combat*>(marker)->kind, Combat::COMBAT_MARKER);
    EXPECT_EQ(marker->getParent(), player);
    expectVector(marker->position, {0.0f, 16.0f});
    EXPECT_EQ(count(zone, Entity::TYPE_DUST), 1);
    frames(zone, 59);
    EXPECT_EQ(robber->hitPoints, 50);
    EXPECT_EQ(count(zone, Entity::TYPE_DUST), 1);
    EXPECT_EQ(count(zone, Entity::TYPE_COMBAT), 1);
    frame(zone);
    EXPECT_EQ(count(zone, Entity::TYPE_DUST), 0);
    EXPECT_EQ(count(zone, Entity::TYPE_COMBAT), 0);
}
