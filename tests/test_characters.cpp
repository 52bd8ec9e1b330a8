#include "charscene.h"
#include "characters/clerk.h"
#include "characters/doodad.h"
#include "core/globals.h"
#include "characters/malepedestrian.h"
#include "characters/particle.h"
#include "characters/player.h"
#include "world/resourcemanager.h"
#include "characters/robber.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <set>
#include <sstream>

using namespace charscene;

namespace {

// Hit effects are made while drawing and first updated in the next frame, so a fresh one
// still has its whole lifetime (ids are reused, so they cannot tell).
std::vector<const Combat*> freshBlows(Zone& zone)
{
    std::vector<const Combat*> out;
    for (const auto& entry : zone.entities)
        if (entry.second->getType() == Entity::TYPE_COMBAT) {
            const Combat* c = static_cast<const Combat*>(entry.second);
            if (c->lifetime == (c->kind == Combat::COMBAT_MARKER ? 60 : 16))
                out.push_back(c);
        }
    return out;
}

// Copies, since effects may be gone by the time the caller looks.
struct BlowCopy {
    int draw;
    int kind;
    int team;
    sf::Vector2f position;
    sf::Vector2f facing;
    int parentID;
};

std::vector<BlowCopy> runFrames(Zone& zone, int count, const std::function<void(int)>& before = {})
{
    std::vector<BlowCopy> blows;
    for (int f = 1; f <= count; ++f) {
        if (before)
            before(f);
        frame(zone);
        for (const Combat* c : freshBlows(zone))
            blows.push_back({f, c->kind, c->ownerTeam, c->position, c->facing, c->parentID});
    }
    return blows;
}

void expectNear(sf::Vector2f actual, sf::Vector2f expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4f);
    EXPECT_NEAR(actual.y, expected.y, 1e-4f);
}

class CharacterTest : public ::testing::Test {
protected:
    Loaded loaded;
    Zone zone{0, 10, 10, nullptr};
    const sf::Vector2f centre = tileCentre(5, 5);
};

} // namespace

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
        {"player punch", [](Zone& z) { Player* p = new Player(&z); z.add(p); p->punch(); return p; },
         down, 48, {25, 40}, {60.0f, -60.0f}, Combat::COMBAT_HIT, false},
        {"player punch", [](Zone& z) { Player* p = new Player(&z); z.add(p); p->punch(); return p; },
         right, 48, {25, 40}, {-60.0f, 60.0f}, Combat::COMBAT_HIT, false},
        {"player kick", [](Zone& z) { Player* p = new Player(&z); z.add(p); p->spinKick(); return p; },
         right, 36, {}, {}, 0, false},
        {"robber punch", [](Zone& z) { Robber* r = new Robber(&z); z.add(r); r->startPunch(); return r; },
         down, 72, {34, 55}, {60.0f, -60.0f}, Combat::COMBAT_HIT, false},
        {"robber spin", [](Zone& z) { Robber* r = new Robber(&z); z.add(r); r->startSpin(); return r; },
         right, 66, {62}, {-60.0f}, Combat::COMBAT_POWER_HIT, true},
        {"pedestrian spin", [](Zone& z) { auto* m = new MalePedestrian(&z); z.add(m); m->startSpin(); return m; },
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

// ---- Player ----

TEST_F(CharacterTest, PlayerStartsNothingWhileBusyButTurns)
{
    Player* player = place(zone, new Player(&zone), centre);
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
    Player* player = place(zone, new Player(&zone), centre);
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
    Player* player = place(zone, new Player(&zone), centre);
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
    Player* player = place(zone, new Player(&zone), centre);
    EXPECT_EQ(player->damage(100), 100);
    EXPECT_TRUE(player->defeated);
    EXPECT_EQ(player->currentAnimation, &player->death);
    EXPECT_EQ(player->damage(30), 0);
    EXPECT_EQ(player->hitPoints, 0);
    player->moveDirection = {1.0f, 0.0f};
    runFrames(zone, 200);
    EXPECT_EQ(zone.get(0), player);
    EXPECT_EQ(player->death.currentFrame, 7);
    EXPECT_EQ(player->position, centre);
}

TEST_F(CharacterTest, PlayerThrowAndMarkerOperationsWork)
{
    Player* player = place(zone, new Player(&zone), centre);
    Doodad* box = place(zone, new Doodad(&zone, 2), centre + sf::Vector2f(10.0f, 0.0f));
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
    zone.remove(box->getID(), true);
    frame(zone);
    EXPECT_EQ(player->grabCandidate, nullptr);

    Robber* robber = place(zone, new Robber(&zone), centre + sf::Vector2f(0.0f, 20.0f));
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

// ---- Robber ----

TEST_F(CharacterTest, RobberHurtCancelsTheRestOfItsPunch)
{
    Robber* robber = place(zone, new Robber(&zone), centre);
    robber->startPunch();
    EXPECT_EQ(runFrames(zone, 40).size(), 1u);
    EXPECT_EQ(robber->damage(5), 5);
    EXPECT_EQ(robber->punchTimer, 0);
    EXPECT_EQ(robber->hurtTimer, 48);
    EXPECT_TRUE(runFrames(zone, 100).empty());
}

TEST_F(CharacterTest, DyingRobberShowsItsLastFrameForTheFullDelayThenGoes)
{
    Robber* robber = place(zone, new Robber(&zone), centre);
    const int id = robber->getID();
    EXPECT_EQ(robber->damage(50), 50);
    EXPECT_EQ(robber->damage(5), 0); // already dying
    robber->startPunch();             // still starts, but only the death is shown
    EXPECT_TRUE(runFrames(zone, 55).empty());
    ASSERT_EQ(zone.get(id), robber);
    EXPECT_EQ(robber->death.currentFrame, 7);
    frame(zone);
    EXPECT_EQ(zone.get(id), nullptr);
}

TEST_F(CharacterTest, RobberPicksPunchOrSpinSeventyThirty)
{
    Player* player = place(zone, new Player(&zone), centre);
    Robber* robber = place(zone, new Robber(&zone), centre + sf::Vector2f(20.0f, 0.0f));
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
    Player* player = place(zone, new Player(&zone), centre);
    Robber* robber = place(zone, new Robber(&zone), centre);
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
    Doodad* prop = new Doodad(&zone, 0);
    prop->id = 0; // something at id 0 that is no player
    place(zone, prop, tileCentre(1, 1));
    Robber* robber = place(zone, new Robber(&zone), centre);
    runFrames(zone, 30);
    EXPECT_EQ(robber->position, centre);
    EXPECT_FALSE(robber->hasPath());
}

// ---- Male pedestrian ----

TEST_F(CharacterTest, PedestrianFallsToFourHitsOrTwoPowerHits)
{
    for (int kind : {Combat::COMBAT_HIT, Combat::COMBAT_POWER_HIT}) {
        MalePedestrian* walker = place(zone, new MalePedestrian(&zone), centre);
        const int id = walker->getID();
        for (int i = 0; i < (kind == Combat::COMBAT_HIT ? 4 : 2); ++i) {
            ASSERT_EQ(zone.get(id), walker);
            place(zone, new Combat(&zone, kind, 1), walker->position + sf::Vector2f(3, 0))->facing = {};
            frame(zone);
        }
        EXPECT_EQ(walker->hitPoints, 0);
        frame(zone);
        EXPECT_EQ(zone.get(id), nullptr);
    }
}

TEST_F(CharacterTest, PedestrianGivesUpADestinationAfterStandingOnOneTileTooLong)
{
    paint(zone, {".#...", "##..."});
    MalePedestrian* walker = place(zone, new MalePedestrian(&zone), tileCentre(0, 0));
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
    MalePedestrian* walker = place(pit, new MalePedestrian(&pit), tileCentre(1, 1));
    runFrames(pit, 10);
    EXPECT_FALSE(walker->hasPath());
    paint(pit, {"..."});
    runFrames(pit, 3);
    EXPECT_TRUE(walker->hasPath());
}

TEST_F(CharacterTest, PedestrianWandersOverWalkableGround)
{
    paint(zone, {"..........", "..#####..."});
    MalePedestrian* walker = place(zone, new MalePedestrian(&zone), tileCentre(0, 0));
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
    MalePedestrian* walker = place(zone, new MalePedestrian(&zone), centre);
    Robber* robber = place(zone, new Robber(&zone), centre + sf::Vector2f(10.0f, 0.0f));
    walker->onCollide(*robber, {-1.0f, 0.0f});
    EXPECT_EQ(walker->spinTimer, 0);
    Player* player = place(zone, new Player(&zone), centre + sf::Vector2f(0.0f, 10.0f));
    walker->onCollide(*player, {0.0f, -1.0f});
    EXPECT_EQ(walker->spinTimer, 72);
    expectNear(walker->facing, {0.0f, 1.0f});
}

// ---- Clerk ----

TEST_F(CharacterTest, ClerkStandsUntilGivenAPathThenWalksItAndStops)
{
    Clerk* clerk = place(zone, new Clerk(&zone), tileCentre(2, 2));
    runFrames(zone, 50);
    EXPECT_EQ(clerk->position, tileCentre(2, 2));
    clerk->findPath(zone, 2, 6);
    int walked = 0;
    while (clerk->hasPath() && walked < 1000) {
        frame(zone);
        ++walked;
    }
    EXPECT_GT(walked, 180); // 128 units at about half a unit per frame
    EXPECT_LT(walked, 400);
    runFrames(zone, 60);
    EXPECT_NEAR(clerk->position.x, tileCentre(6, 2).x, 6.0f);
    EXPECT_EQ(clerk->walk.currentFrame, 2); // the standing pose
    EXPECT_GT(clerk->facing.x, 0.9f);       // still facing the way it walked
}

// ---- Doodads ----

TEST_F(CharacterTest, DoodadLoadsItsPropAndRefusesUnknownOnes)
{
    Doodad lamp(&zone, 0);
    Doodad counter(&zone, 7);
    zonefile::EntityRecord record;
    counter.save(record);
    EXPECT_EQ(record.image, 7);
    lamp.load(record);
    EXPECT_EQ(lamp.imageIndex, 7);
    EXPECT_EQ(lamp.sprite.getOrigin(), sf::Vector2f(64.0f, 128.0f));
    const sf::Vector2u size = ResourceManager::getDoodadTexture(7).texture.getSize();
    EXPECT_EQ(lamp.sprite.getTextureRect(), sf::IntRect(0, 0, int(size.x), int(size.y)));
    EXPECT_EQ(lamp.sprite.getTexture(), &ResourceManager::getDoodadTexture(7).texture);

    record.image = 99; // a prop number off the list
    lamp.load(record);
    EXPECT_EQ(lamp.imageIndex, 7);
    EXPECT_EQ(Doodad(&zone, 12).imageIndex, 0);
    EXPECT_FALSE(Doodad::isValidProp(-1));
    EXPECT_EQ(Doodad::getImagePath(12), "");
}

TEST_F(CharacterTest, DoodadIsKeptOutOfWallsButDrawnAtItsOwnPosition)
{
    paint(zone, {"...", "..#"});
    Doodad* bin = place(zone, new Doodad(&zone, 2), {60.0f, 48.0f});
    frame(zone);
    EXPECT_EQ(bin->position, sf::Vector2f(48.0f, 48.0f));
    Robber* robber = place(zone, new Robber(&zone), centre);
    Doodad* hat = place(zone, new Doodad(&zone, 5), {40.0f, 40.0f});
    hat->setParent(robber);
    zone.draw(canvas(), false);
    EXPECT_EQ(hat->sprite.getPosition(), worldToScreen({40.0f, 40.0f}));
}

// ---- A whole fight ----

TEST_F(CharacterTest, RobberWalksAroundTheWallToThePlayerAndTheyFightUntilOneFalls)
{
    Zone street(0, 10, 7, nullptr);
    paint(street, {"..........", "..........", "..........", "#########."});
    Player* player = place(street, new Player(&street), tileCentre(1, 5));
    Robber* robber = place(street, new Robber(&street), tileCentre(1, 1));
    const int robberID = robber->getID();

    int playerStart = 0, punchStart = 0, spinStart = 0, lastTry = -1000, f = 0;
    bool met = false;
    std::vector<int> playerOffsets, punchOffsets, spinOffsets;
    while (++f < 20000 && !player->defeated && street.get(robberID) != nullptr) {
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
        if (street.get(robberID) == nullptr)
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
    EXPECT_TRUE(player->defeated || street.get(robberID) == nullptr);
    EXPECT_FALSE(playerOffsets.empty());
    EXPECT_FALSE(punchOffsets.empty() && spinOffsets.empty());
    for (int offset : playerOffsets)
        EXPECT_TRUE(offset == 25 || offset == 40) << offset;
    for (int offset : punchOffsets)
        EXPECT_TRUE(offset == 34 || offset == 55) << offset;
    for (int offset : spinOffsets)
        EXPECT_EQ(offset, 62);
    if (player->defeated) {
        EXPECT_EQ(street.get(0), player);
    }
}
