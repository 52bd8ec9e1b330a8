#include "charscene.h"
#include "core/globals.h"
#include "characters/doodad.h"
#include "characters/unit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <random>
#include <utility>

using namespace charscene;

namespace {

// The plainest unit: steers at a set speed and otherwise only lives and dies.
class Probe final : public Unit {
public:
    explicit Probe(EntityManager* owner, float speedValue = 0.0f)
        : Unit(TYPE_UNIT, owner, 5), speed(speedValue) {}
    void update(Zone& zone) override
    {
        steer(speed);
        Unit::update(zone);
    }
    float speed;
};

using Cell = std::pair<int, int>; // row, column

bool walkableOrAbsent(Zone& zone, int row, int column)
{
    const Tile* t = zone.getTile(column, row);
    return t == nullptr || t->walkable;
}

// Into a walkable neighbour, never across a wall corner.
bool legalStep(Zone& zone, Cell from, Cell to)
{
    const int dr = to.first - from.first;
    const int dc = to.second - from.second;
    const Tile* target = zone.getTile(to.second, to.first);
    if ((dr == 0 && dc == 0) || std::abs(dr) > 1 || std::abs(dc) > 1 || !target || !target->walkable)
        return false;
    return dr == 0 || dc == 0 ||
           (walkableOrAbsent(zone, from.first, to.second) && walkableOrAbsent(zone, to.first, from.second));
}

bool reachable(Zone& zone, Cell start, Cell goal)
{
    std::vector<Cell> seen{start};
    std::deque<Cell> queue{start};
    while (!queue.empty()) {
        const Cell c = queue.front();
        queue.pop_front();
        for (int dr = -1; dr <= 1; ++dr)
            for (int dc = -1; dc <= 1; ++dc) {
                const Cell n{c.first + dr, c.second + dc};
                if (!legalStep(zone, c, n) || std::find(seen.begin(), seen.end(), n) != seen.end())
                    continue;
                if (n == goal)
                    return true;
                seen.push_back(n);
                queue.push_back(n);
            }
    }
    return false;
}

std::vector<Cell> cells(const Unit& u)
{
    std::vector<Cell> out;
    for (const PathNode& n : u.path)
        out.emplace_back(n.row, n.column);
    return out;
}

class UnitTest : public ::testing::Test {
protected:
    Loaded loaded;
    Zone zone{0, 6, 6, nullptr};
    Probe* unit = place(zone, std::make_unique<Probe>(&zone.entities), tileCentre(1, 1));
};

} // namespace

TEST_F(UnitTest, NoPathToItsOwnTileAWallOrOffTheGrid)
{
    paint(zone, {"......", "......", "....#."});
    unit->path.push_back({3, 3, 0, 0, 0, nullptr});
    for (Cell goal : {Cell{1, 1}, Cell{2, 4}, Cell{1, 6}, Cell{-1, 0}}) {
        unit->findPath(zone, goal.first, goal.second);
        EXPECT_FALSE(unit->hasPath()) << goal.first << "," << goal.second;
    }
}

TEST_F(UnitTest, PathRunsFromDestinationToFirstStepAndRoundsWallCorners)
{
    unit->findPath(zone, 1, 4);
    EXPECT_EQ(cells(*unit), (std::vector<Cell>{{1, 4}, {1, 3}, {1, 2}}));
    EXPECT_EQ(unit->path.back().parent, nullptr);
    unit->findPath(zone, 2, 2);
    EXPECT_EQ(cells(*unit), (std::vector<Cell>{{2, 2}}));
    EXPECT_FLOAT_EQ(unit->path[0].g, 1.4142135f);
    // The same diagonal would brush the wall at row 1, column 2.
    paint(zone, {"......", "..#..."});
    unit->findPath(zone, 2, 2);
    EXPECT_EQ(cells(*unit), (std::vector<Cell>{{2, 2}, {2, 1}}));
}

TEST(UnitPathRandom, PathsAreLegalAndFoundExactlyWhenTheGoalIsReachable)
{
    testsupport::loadTestResources();
    std::mt19937 rng(12345);
    int found = 0;
    int missed = 0;
    for (int round = 0; round < 400; ++round) {
        const int w = 2 + static_cast<int>(rng() % 9);
        const int h = 2 + static_cast<int>(rng() % 9);
        Zone zone(0, w, h, nullptr);
        for (int x = 0; x < w; ++x)
            for (int y = 0; y < h; ++y)
                zone.getTile(x, y)->setType(rng() % 100 < 30 ? TILE_WALL : TILE_FLOOR);
        // The start may be on a wall; the goal may be anywhere, sometimes off the grid.
        const Cell start{static_cast<int>(rng() % h), static_cast<int>(rng() % w)};
        const Cell goal{static_cast<int>(rng() % (h + 1)), static_cast<int>(rng() % (w + 1))};
        Probe* unit = place(zone, std::make_unique<Probe>(&zone.entities), tileCentre(start.second, start.first));
        unit->findPath(zone, goal.first, goal.second);

        const std::vector<Cell> path = cells(*unit);
        ASSERT_EQ(!path.empty(), start != goal && reachable(zone, start, goal)) << "round " << round;
        (path.empty() ? missed : found) += 1;
        if (path.empty())
            continue;
        EXPECT_EQ(path.front(), goal);
        Cell at = start;
        for (auto it = path.rbegin(); it != path.rend(); at = *it++)
            ASSERT_TRUE(legalStep(zone, at, *it)) << "round " << round;
    }
    EXPECT_GT(found, 100);
    EXPECT_GT(missed, 50);
}

TEST(UnitPathLarge, AnUnreachableGoalInABigZoneEndsPromptly)
{
    testsupport::loadTestResources();
    Zone zone(0, 256, 256, nullptr);
    for (Cell wall : {Cell{255, 254}, Cell{254, 255}, Cell{254, 254}})
        zone.getTile(wall.second, wall.first)->setType(TILE_WALL);
    Probe* unit = place(zone, std::make_unique<Probe>(&zone.entities), tileCentre(0, 0));
    for (int i = 0; i < 3; ++i) {
        unit->findPath(zone, 255, 255);
        EXPECT_FALSE(unit->hasPath());
    }
    unit->findPath(zone, 200, 190);
    EXPECT_TRUE(unit->hasPath());
}

TEST_F(UnitTest, FollowingAPathHoldsSpeedNearTheGivenOne)
{
    Zone corridor(0, 40, 1, nullptr);
    for (float speed : {1.0f, 3.0f}) {
        Probe* walker = place(corridor, std::make_unique<Probe>(&corridor.entities, speed), tileCentre(0, 0));
        walker->radius = 15.0f;
        walker->findPath(corridor, 0, 39);
        for (int f = 0; f < 60; ++f) {
            const float before = walker->position.x;
            frame(corridor);
            const float step = walker->position.x - before;
            EXPECT_EQ(walker->position.y, 16.0f);
            // Damping 0.8 against a push of 0.4 * speed while below speed.
            if (f >= 10) {
                EXPECT_GE(step, 0.8f * speed - 1e-4f) << "frame " << f;
                EXPECT_LT(step, 1.12f * speed + 1e-4f) << "frame " << f;
            }
        }
        corridor.entities.remove(walker->getID());
    }
}

TEST_F(UnitTest, DirectSteeringIgnoresThePathWithoutLosingIt)
{
    unit->speed = 3.0f;
    unit->moveDirection = {0.0f, 10.0f};
    unit->findPath(zone, 1, 5);
    const std::vector<Cell> path = cells(*unit);
    frames(zone, 3);
    EXPECT_EQ(unit->moveDirection, sf::Vector2f(0.0f, 1.0f));
    EXPECT_EQ(unit->facing, sf::Vector2f(0.0f, 1.0f));
    EXPECT_EQ(unit->position.x, tileCentre(1, 1).x);
    EXPECT_EQ(cells(*unit), path);
}

TEST_F(UnitTest, AReachedWaypointIsDroppedButStillPulledTowardThatFrame)
{
    unit->position = tileCentre(2, 1) + sf::Vector2f(-5.0f, 0.0f);
    unit->path = {{1, 3, 0, 0, 0, nullptr}, {1, 2, 0, 0, 0, nullptr}};
    unit->steer(2.0f);
    EXPECT_EQ(cells(*unit), (std::vector<Cell>{{1, 3}}));
    EXPECT_FLOAT_EQ(unit->velocity.x, 0.8f);
    // Without a path or a direction nothing happens, facing included.
    unit->path.clear();
    unit->velocity = {};
    unit->facing = {0.0f, 1.0f};
    unit->steer(2.0f);
    EXPECT_EQ(unit->velocity, sf::Vector2f());
    EXPECT_EQ(unit->facing, sf::Vector2f(0.0f, 1.0f));
}

TEST_F(UnitTest, OverkillLeavesNegativeHitPointsAndTheNextUpdateRemovesIt)
{
    EXPECT_EQ(unit->damage(10), 10);
    EXPECT_EQ(unit->hitPoints, -9);
    EXPECT_EQ(zone.entities.get(unit->getID()), unit);
    frame(zone);
    EXPECT_EQ(zone.entities.countType(Entity::TYPE_UNIT), 0);
}

TEST_F(UnitTest, OverlappingUnitsPushApartButPropsDoNot)
{
    Probe* other = place(zone, std::make_unique<Probe>(&zone.entities), unit->position + sf::Vector2f(6.0f, 0.0f));
    unit->radius = other->radius = 15.0f;
    Doodad* lamp = place(zone, std::make_unique<Doodad>(&zone.entities, 0), unit->position - sf::Vector2f(10.0f, 0.0f));
    const sf::Vector2f lampAt = lamp->position;
    const float left = unit->position.x;
    frame(zone);
    EXPECT_LT(unit->position.x, left);
    EXPECT_GT(other->position.x, left + 6.0f);
    EXPECT_EQ(lamp->position, lampAt);
}
