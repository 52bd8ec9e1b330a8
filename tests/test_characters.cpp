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
#include <cstdint>
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
    explicit BlowLog(Zone& z) : zone(z) {}

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
    // Ids come back once freed, so a new effect is told by its untouched lifetime:
    // effects are made while drawing and first updated in the next frame.
    void collect()
    {
        for (const auto& entry : zone.entities) {
            if (entry.second->getType() != Entity::TYPE_COMBAT)
                continue;
            const Combat* c = static_cast<const Combat*>(entry.second);
            if (c->lifetime != (c->kind == Combat::COMBAT_MARKER ? 60 : 16))
                continue;
            blows.push_back({draws, c->getID(), c->kind, c->ownerTeam, c->position, c->facing,
                             c->parentID});
        }
    }

    Zone& zone;
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

// ---- Robber ----

TEST_F(CharacterTest, RobberPunchHitsOnThe34thAnd55thDrawAndStaysPut)
{
    Robber* robber = place(zone, new Robber(&zone), tileCentre(5, 5));
    robber->facing = {0.0f, 1.0f}; // mirrored
    robber->startPunch();
    EXPECT_EQ(robber->punchTimer, 72);
    BlowLog log(zone);
    log.run(72);
    ASSERT_EQ(log.blows.size(), 2u);
    EXPECT_EQ(log.blows[0].draw, 34);
    EXPECT_EQ(log.blows[1].draw, 55);
    for (const Blow& b : log.blows) {
        EXPECT_EQ(b.kind, Combat::COMBAT_HIT);
        EXPECT_EQ(b.team, 2);
        EXPECT_EQ(b.parentID, Entity::NO_PARENT + 0);
        expectVector(b.position, tileCentre(5, 5) + sf::Vector2f(0.0f, 24.0f));
    }
    expectVector(log.blows[0].facing, rotate({0.0f, 1.0f}, 60.0f));
    expectVector(log.blows[1].facing, rotate({0.0f, 1.0f}, -60.0f));
    EXPECT_FALSE(robber->isBusy());
}

TEST_F(CharacterTest, RobberSpinPowerHitComesOnThe62ndDrawAndTravelsWithIt)
{
    Robber* robber = place(zone, new Robber(&zone), tileCentre(5, 5));
    robber->startSpin();
    EXPECT_EQ(robber->spinTimer, 66);
    robber->startPunch(); // busy: ignored
    EXPECT_EQ(robber->punchTimer, 0);
    BlowLog log(zone);
    log.run(66);
    ASSERT_EQ(log.blows.size(), 1u);
    const Blow& b = log.blows[0];
    EXPECT_EQ(b.draw, 62);
    EXPECT_EQ(b.kind, Combat::COMBAT_POWER_HIT);
    EXPECT_EQ(b.parentID, robber->getID());
    expectVector(b.position, {24.0f, 0.0f});
    expectVector(b.facing, rotate({1.0f, 0.0f}, -60.0f));
}

TEST_F(CharacterTest, RobberHurtCancelsTheRestOfItsPunch)
{
    Robber* robber = place(zone, new Robber(&zone), tileCentre(5, 5));
    robber->startPunch();
    BlowLog log(zone);
    log.run(40);
    ASSERT_EQ(log.blows.size(), 1u);
    EXPECT_EQ(robber->damage(5), 5);
    EXPECT_EQ(robber->punchTimer, 0);
    EXPECT_EQ(robber->hurtTimer, 48);
    log.run(100);
    EXPECT_EQ(log.blows.size(), 1u);
    EXPECT_FALSE(robber->isBusy());
}

TEST_F(CharacterTest, DyingRobberShowsItsLastFrameForTheFullDelayThenGoes)
{
    Robber* robber = place(zone, new Robber(&zone), tileCentre(5, 5));
    const int id = robber->getID();
    EXPECT_EQ(robber->damage(50), 50);
    EXPECT_EQ(robber->damage(5), 0); // already dying
    EXPECT_EQ(robber->hitPoints, 0);
    robber->startPunch(); // still starts, but only the death is shown
    BlowLog log(zone);
    log.run(55);
    ASSERT_EQ(zone.get(id), robber);
    EXPECT_EQ(robber->death.currentFrame, 7);
    EXPECT_EQ(robber->death.timer, 0);
    log.run(1);
    EXPECT_EQ(zone.get(id), nullptr);
    EXPECT_TRUE(log.blows.empty());
}

TEST_F(CharacterTest, RobberPicksPunchOrSpinSeventyThirty)
{
    Player* player = place(zone, new Player(&zone), tileCentre(5, 5));
    Robber* robber = place(zone, new Robber(&zone), tileCentre(5, 5) + sf::Vector2f(20.0f, 0.0f));
    int punches = 0;
    for (int i = 0; i < 2000; ++i) {
        robber->punchTimer = robber->spinTimer = 0;
        robber->onCollide(*player, {1.0f, 0.0f});
        punches += robber->punchTimer > 0 ? 1 : 0;
        ASSERT_TRUE(robber->isBusy());
    }
    EXPECT_NEAR(punches / 2000.0, 0.7, 0.04);
    expectVector(robber->facing, {-1.0f, 0.0f});
}

TEST_F(CharacterTest, RobberInContactAttacksAgainOnTheTickItsActionEnds)
{
    Player* player = place(zone, new Player(&zone), tileCentre(5, 5));
    Robber* robber = place(zone, new Robber(&zone), tileCentre(5, 5) + sf::Vector2f(25.0f, 0.0f));
    player->hitPoints = 1000000;
    int actions = 0;
    int idleFrames = 0;
    for (int i = 0; i < 1500; ++i) {
        // Pinned in place, so the knock-back never breaks contact.
        player->position = tileCentre(5, 5);
        player->velocity = {};
        robber->position = tileCentre(5, 5) + sf::Vector2f(25.0f, 0.0f);
        robber->velocity = {};
        frame(zone);
        if (robber->punchTimer == 72 || robber->spinTimer == 66)
            ++actions;
        if (i > 0 && !robber->isBusy())
            ++idleFrames;
    }
    EXPECT_EQ(idleFrames, 0);
    EXPECT_GT(actions, 1500 / 72);
    EXPECT_LT(player->hitPoints, 1000000);
}

TEST_F(CharacterTest, RobberWithoutAPlayerStands)
{
    Robber* robber = place(zone, new Robber(&zone), tileCentre(5, 5));
    frames(zone, 30);
    EXPECT_EQ(robber->position, tileCentre(5, 5));
    EXPECT_FALSE(robber->hasPath());
    // Something else under id 0 is no player either.
    Zone other(0, 10, 10, nullptr);
    Doodad* prop = new Doodad(&other, 0);
    prop->id = 0;
    place(other, prop, tileCentre(1, 1));
    Robber* loner = place(other, new Robber(&other), tileCentre(5, 5));
    frames(other, 30);
    EXPECT_EQ(loner->position, tileCentre(5, 5));
}

// ---- Male pedestrian ----

TEST_F(CharacterTest, PedestrianSpinPowerHitComesOnThe62ndDraw)
{
    zone.getTile(5, 5)->setType(TILE_FLOOR);
    MalePedestrian* walker = place(zone, new MalePedestrian(&zone), tileCentre(5, 5));
    walker->facing = {-1.0f, 0.0f}; // mirrored
    walker->startSpin();
    EXPECT_EQ(walker->spinTimer, 72);
    BlowLog log(zone);
    log.run(72);
    ASSERT_EQ(log.blows.size(), 1u);
    EXPECT_EQ(log.blows[0].draw, 62);
    EXPECT_EQ(log.blows[0].kind, Combat::COMBAT_POWER_HIT);
    EXPECT_EQ(log.blows[0].team, 2);
    EXPECT_EQ(log.blows[0].parentID, walker->getID());
    expectVector(log.blows[0].position, {-24.0f, 0.0f});
    expectVector(log.blows[0].facing, rotate({-1.0f, 0.0f}, 60.0f));
    EXPECT_EQ(walker->position, tileCentre(5, 5)); // no steering while spinning
}

TEST_F(CharacterTest, PedestrianFallsToFourHitsOrTwoPowerHits)
{
    for (int kind : {Combat::COMBAT_HIT, Combat::COMBAT_POWER_HIT}) {
        MalePedestrian* walker = place(zone, new MalePedestrian(&zone), tileCentre(5, 5));
        EXPECT_EQ(walker->hitPoints, 20);
        const int id = walker->getID();
        const int needed = kind == Combat::COMBAT_HIT ? 4 : 2;
        for (int i = 0; i < needed; ++i) {
            ASSERT_EQ(zone.get(id), walker);
            Combat* c = place(zone, new Combat(&zone, kind, 1), walker->position + sf::Vector2f(3, 0));
            c->facing = {0.0f, 0.0f};
            frame(zone);
        }
        EXPECT_EQ(walker->hitPoints, 0);
        ASSERT_EQ(zone.get(id), walker);
        frame(zone);
        EXPECT_EQ(zone.get(id), nullptr);
    }
}

TEST_F(CharacterTest, PedestrianGivesUpADestinationAfterStandingOnOneTileTooLong)
{
    Zone yard(0, 5, 5, nullptr);
    paint(yard, {".#...", "##...", "....."});
    MalePedestrian* walker = place(yard, new MalePedestrian(&yard), tileCentre(0, 0));
    // A path straight into the wall: it presses on and never leaves its tile.
    walker->path = {{0, 3, 0, 0, 0, nullptr}};
    frames(yard, 120);
    EXPECT_EQ(walker->stuckTicks, 120);
    ASSERT_EQ(walker->path.size(), 1u);
    EXPECT_EQ(walker->path[0].column, 3);
    frame(yard);
    // Every new destination is either its own tile or out of reach.
    EXPECT_FALSE(walker->hasPath());
    EXPECT_EQ(walker->stuckTicks, 0);
}

TEST_F(CharacterTest, PedestrianWithNoGroundToWalkOnKeepsTryingWithoutHanging)
{
    Zone pit(0, 3, 3, nullptr);
    paint(pit, {"###", "###", "###"});
    MalePedestrian* walker = place(pit, new MalePedestrian(&pit), tileCentre(1, 1));
    frames(pit, 10);
    EXPECT_FALSE(walker->hasPath());
    paint(pit, {"...", "###", "###"});
    frames(pit, 3);
    EXPECT_TRUE(walker->hasPath());
}

TEST_F(CharacterTest, PedestrianWandersBetweenWalkableTiles)
{
    paint(zone, {"..........", "..#####...", ".........."});
    MalePedestrian* walker = place(zone, new MalePedestrian(&zone), tileCentre(0, 0));
    std::set<std::pair<int, int>> visited;
    for (int i = 0; i < 3000; ++i) {
        frame(zone);
        const int column = static_cast<int>(walker->position.x / 32.0f);
        const int row = static_cast<int>(walker->position.y / 32.0f);
        ASSERT_TRUE(zone.getTile(column, row)->walkable) << "frame " << i;
        visited.insert({column, row});
        if (walker->hasPath()) {
            EXPECT_TRUE(zone.getTile(walker->path[0].column, walker->path[0].row)->walkable);
        }
    }
    EXPECT_GT(visited.size(), 15u);
}

TEST_F(CharacterTest, OnlyThePlayerMakesAPedestrianSpin)
{
    MalePedestrian* walker = place(zone, new MalePedestrian(&zone), tileCentre(5, 5));
    Robber* robber = place(zone, new Robber(&zone), tileCentre(5, 5) + sf::Vector2f(10.0f, 0.0f));
    walker->onCollide(*robber, {-1.0f, 0.0f});
    EXPECT_EQ(walker->spinTimer, 0);
    Player* player = place(zone, new Player(&zone), tileCentre(5, 5) + sf::Vector2f(0.0f, 10.0f));
    walker->onCollide(*player, {0.0f, -1.0f});
    EXPECT_EQ(walker->spinTimer, 72);
    expectVector(walker->facing, {0.0f, 1.0f});
}

// ---- Clerk ----

TEST_F(CharacterTest, ClerkStandsUntilGivenAPathThenWalksItAndStops)
{
    Clerk* clerk = place(zone, new Clerk(&zone), tileCentre(2, 2));
    EXPECT_EQ(clerk->team, 0);
    EXPECT_EQ(clerk->hitPoints, 1);
    frames(zone, 50);
    EXPECT_EQ(clerk->position, tileCentre(2, 2));
    EXPECT_EQ(clerk->walk.currentFrame, 2);

    clerk->findPath(zone, 2, 6);
    ASSERT_TRUE(clerk->hasPath());
    int walked = 0;
    while (clerk->hasPath() && walked < 1000) {
        frame(zone);
        ++walked;
    }
    // About 128 units at half a unit per frame.
    EXPECT_GT(walked, 180);
    EXPECT_LT(walked, 400);
    frames(zone, 60);
    EXPECT_NEAR(clerk->position.x, tileCentre(6, 2).x, 6.0f);
    EXPECT_NEAR(clerk->position.y, tileCentre(6, 2).y, 1.0f);
    EXPECT_EQ(clerk->walk.currentFrame, 2);
    EXPECT_GT(clerk->facing.x, 0.9f); // still facing the way it walked
}

// ---- Doodads ----

TEST_F(CharacterTest, DoodadLoadsItsPropWithThatImagesOriginAndSize)
{
    Doodad lamp(&zone, 0);
    EXPECT_EQ(lamp.radius, 16.0f);
    EXPECT_TRUE(lamp.tileCollision);
    Doodad counter(&zone, 7);
    counter.position = {40.0f, 50.0f};
    std::stringstream bytes;
    counter.save(bytes);
    int32_t type = 0;
    bytes.read(reinterpret_cast<char*>(&type), 4);
    EXPECT_EQ(type, Entity::TYPE_DOODAD);
    lamp.load(bytes);
    EXPECT_EQ(lamp.imageIndex, 7);
    EXPECT_EQ(lamp.sprite.getOrigin(), sf::Vector2f(64.0f, 128.0f));
    const sf::Vector2u size = ResourceManager::getDoodadTexture(7).texture.getSize();
    EXPECT_EQ(lamp.sprite.getTextureRect(), sf::IntRect(0, 0, static_cast<int>(size.x), static_cast<int>(size.y)));
    EXPECT_EQ(lamp.sprite.getTexture(), &ResourceManager::getDoodadTexture(7).texture);
    EXPECT_EQ(Doodad::getImagePath(7), "resources/gfx/doodads/counter.png");
}

TEST_F(CharacterTest, DoodadRefusesPropNumbersOffTheList)
{
    EXPECT_TRUE(Doodad::isValidProp(0));
    EXPECT_TRUE(Doodad::isValidProp(11));
    EXPECT_FALSE(Doodad::isValidProp(12));
    EXPECT_FALSE(Doodad::isValidProp(-1));
    Doodad odd(&zone, 99);
    EXPECT_EQ(odd.imageIndex, 0);
    Doodad car(&zone, 3);
    std::stringstream bytes;
    car.save(bytes);
    std::string raw = bytes.str();
    raw[raw.size() - 4] = 99; // little-endian prop number
    std::stringstream bad(raw.substr(4));
    odd.load(bad);
    EXPECT_EQ(odd.imageIndex, 0);
    EXPECT_EQ(Doodad::getImagePath(-3), "");
}

TEST_F(CharacterTest, DoodadIsKeptOutOfWallsButDrawnAtItsOwnPosition)
{
    paint(zone, {"...", "..#"});
    Doodad* bin = place(zone, new Doodad(&zone, 2), {60.0f, 48.0f});
    frame(zone);
    EXPECT_FLOAT_EQ(bin->position.x, 64.0f - 16.0f);
    EXPECT_FLOAT_EQ(bin->position.y, 48.0f);

    Robber* robber = place(zone, new Robber(&zone), tileCentre(6, 6));
    robber->hurtTimer = 1000;
    Doodad* hat = place(zone, new Doodad(&zone, 5), {10.0f, 10.0f});
    hat->setParent(robber);
    zone.draw(canvas(), false);
    EXPECT_EQ(hat->sprite.getPosition(), worldToScreen({10.0f, 10.0f}));
}

TEST_F(CharacterTest, TestEntityDrawsAMarkerAndIgnoresEverything)
{
    TestEntity* probe = place(zone, new TestEntity(&zone), tileCentre(3, 3));
    EXPECT_EQ(probe->getType(), Entity::TYPE_TEST_ENTITY);
    frames(zone, 3);
    EXPECT_EQ(probe->position, tileCentre(3, 3));
}

// ---- A whole fight ----

namespace {

struct FightRecord {
    std::vector<int> playerHitOffsets;   // draws into the punch, counting its first as 1
    std::vector<int> robberPunchOffsets;
    std::vector<int> robberSpinOffsets;
    bool reachedPlayer = false;
    bool robberInWall = false;
    int frames = 0;
};

} // namespace

TEST_F(CharacterTest, RobberWalksAroundTheWallToThePlayerAndTheyFightUntilOneFalls)
{
    Zone street(0, 10, 7, nullptr);
    paint(street, {"..........", "..........", "..........", "#########.", "..........",
                   "..........", ".........."});
    Player* player = place(street, new Player(&street), tileCentre(1, 5));
    Robber* robber = place(street, new Robber(&street), tileCentre(1, 1));
    const int robberID = robber->getID();

    FightRecord record;
    int playerPunchStart = 0;
    int robberPunchStart = 0;
    int robberSpinStart = 0;
    int lastPunchTry = -1000;

    for (int f = 1; f <= 20000; ++f) {
        Robber* alive = static_cast<Robber*>(street.get(robberID));
        if (player->defeated || alive == nullptr)
            break;
        record.frames = f;
        // A slow user: punch toward a robber within reach, now and then.
        const sf::Vector2f toRobber = alive->position - player->position;
        if (length(toRobber) < 40.0f && length(toRobber) > 0.0f) {
            record.reachedPlayer = true;
            if (f - lastPunchTry >= 150) {
                lastPunchTry = f;
                player->facing = normalize(toRobber);
                player->punch();
            }
        }
        if (player->actionTimer == 48 && player->attacking)
            playerPunchStart = f;
        frame(street);
        if (street.get(robberID) != nullptr) {
            if (alive->punchTimer == 72)
                robberPunchStart = f;
            if (alive->spinTimer == 66)
                robberSpinStart = f;
            const Tile* under = street.getTile(static_cast<int>(alive->position.x / 32.0f),
                                               static_cast<int>(alive->position.y / 32.0f));
            record.robberInWall = record.robberInWall || under == nullptr || !under->walkable;
        }
        for (const auto& entry : street.entities) {
            if (entry.second->getType() != Entity::TYPE_COMBAT)
                continue;
            const Combat* c = static_cast<const Combat*>(entry.second);
            if (c->lifetime != 16)
                continue; // made before this frame's draw
            if (c->ownerTeam == 1)
                record.playerHitOffsets.push_back(f - playerPunchStart + 1);
            else if (c->kind == Combat::COMBAT_HIT)
                record.robberPunchOffsets.push_back(f - robberPunchStart + 1);
            else
                record.robberSpinOffsets.push_back(f - robberSpinStart + 1);
        }
    }

    EXPECT_TRUE(record.reachedPlayer);
    EXPECT_FALSE(record.robberInWall);
    // Someone fell, well before the time ran out.
    EXPECT_TRUE(player->defeated || street.get(robberID) == nullptr);
    EXPECT_LT(record.frames, 20000);
    EXPECT_FALSE(record.playerHitOffsets.empty());
    EXPECT_FALSE(record.robberPunchOffsets.empty() && record.robberSpinOffsets.empty());
    for (int offset : record.playerHitOffsets)
        EXPECT_TRUE(offset == 25 || offset == 40) << offset;
    for (int offset : record.robberPunchOffsets)
        EXPECT_TRUE(offset == 34 || offset == 55) << offset;
    for (int offset : record.robberSpinOffsets)
        EXPECT_EQ(offset, 62);
    if (player->defeated) {
        EXPECT_LE(player->hitPoints, 0);
        EXPECT_EQ(player->currentAnimation, &player->death);
        EXPECT_EQ(street.get(0), player);
    }
}
