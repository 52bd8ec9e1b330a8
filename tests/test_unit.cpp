#include "charscene.h"
#include "doodad.h"
#include "globals.h"
#include "unit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <deque>
#include <random>

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
    void draw(sf::RenderTarget&) override {}
    float speed;
};

struct Cell {
    int row;
    int column;
};

bool walkableAt(Zone& zone, int column, int row)
{
    const Tile* t = zone.getTile(column, row);
    return t != nullptr && t->walkable;
}

bool openOrAbsent(Zone& zone, int column, int row)
{
    const Tile* t = zone.getTile(column, row);
    return t == nullptr || t->walkable;
}

// The moves the search may make: into a walkable neighbour, never across a wall corner.
bool legalStep(Zone& zone, Cell from, Cell to)
{
    const int dr = to.row - from.row;
    const int dc = to.column - from.column;
    if ((dr == 0 && dc == 0) || std::abs(dr) > 1 || std::abs(dc) > 1)
        return false;
    if (!walkableAt(zone, to.column, to.row))
        return false;
    if (dr != 0 && dc != 0)
        return openOrAbsent(zone, to.column, from.row) && openOrAbsent(zone, from.column, to.row);
    return true;
}

bool reachable(Zone& zone, Cell start, Cell goal)
{
    if (start.row == goal.row && start.column == goal.column)
        return true;
    const int w = zone.getWidth();
    const int h = zone.getHeight();
    std::vector<char> seen(static_cast<std::size_t>(w * h), 0);
    std::deque<Cell> queue{start};
    while (!queue.empty()) {
        const Cell c = queue.front();
        queue.pop_front();
        for (int dr = -1; dr <= 1; ++dr)
            for (int dc = -1; dc <= 1; ++dc) {
                const Cell n{c.row + dr, c.column + dc};
                if (!legalStep(zone, c, n) || seen[static_cast<std::size_t>(n.row * w + n.column)])
                    continue;
                if (n.row == goal.row && n.column == goal.column)
                    return true;
                seen[static_cast<std::size_t>(n.row * w + n.column)] = 1;
                queue.push_back(n);
            }
    }
    return false;
}

std::vector<Cell> cells(const Unit& u)
{
    std::vector<Cell> out;
    for (const PathNode& n : u.path)
        out.push_back({n.row, n.column});
    return out;
}

} // namespace

class UnitPath : public ::testing::Test {
protected:
    Loaded loaded;
    Zone zone{0, 6, 6, nullptr};
    Probe* unit = place(zone, new Probe(&zone), tileCentre(1, 1));
};

TEST_F(UnitPath, StandingOnTheGoalGivesNoPath)
{
    unit->path.push_back({3, 3, 0, 0, 0, nullptr});
    unit->findPath(zone, 1, 1);
    EXPECT_FALSE(unit->hasPath());
}

TEST_F(UnitPath, GoalOnAWallOrOffTheGridGivesNoPath)
{
    paint(zone, {"......", "......", "....#."});
    unit->findPath(zone, 2, 4);
    EXPECT_FALSE(unit->hasPath());
    unit->findPath(zone, 1, 6);
    EXPECT_FALSE(unit->hasPath());
    unit->findPath(zone, -1, 0);
    EXPECT_FALSE(unit->hasPath());
}

TEST_F(UnitPath, RunsFromDestinationBackToTheFirstStep)
{
    unit->findPath(zone, 1, 4);
    const std::vector<Cell> path = cells(*unit);
    ASSERT_EQ(path.size(), 3u);
    EXPECT_EQ(path.front().column, 4);
    EXPECT_EQ(path.back().column, 2);
    EXPECT_EQ(unit->path.back().parent, nullptr);
}

TEST_F(UnitPath, AWallCornerForbidsTheDiagonal)
{
    paint(zone, {"......", "..#...", "......"});
    // From (1,1) to (2,2) diagonally would brush the wall at column 2, row 1.
    unit->findPath(zone, 2, 2);
    const std::vector<Cell> path = cells(*unit);
    ASSERT_EQ(path.size(), 2u);
    EXPECT_EQ(path[1].row, 2);
    EXPECT_EQ(path[1].column, 1);
    EXPECT_EQ(path[0].row, 2);
    EXPECT_EQ(path[0].column, 2);
}

TEST_F(UnitPath, AnOpenDiagonalIsOneStep)
{
    unit->findPath(zone, 2, 2);
    ASSERT_EQ(unit->path.size(), 1u);
    EXPECT_FLOAT_EQ(unit->path[0].g, 1.4142135f);
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
        Probe* unit = place(zone, new Probe(&zone), tileCentre(start.column, start.row));
        unit->findPath(zone, goal.row, goal.column);

        const std::vector<Cell> path = cells(*unit);
        const bool same = start.row == goal.row && start.column == goal.column;
        const bool canReach = !same && goal.row < h && goal.column < w && reachable(zone, start, goal);
        ASSERT_EQ(!path.empty(), canReach) << "round " << round;
        if (path.empty()) {
            ++missed;
            continue;
        }
        ++found;
        EXPECT_EQ(path.front().row, goal.row);
        EXPECT_EQ(path.front().column, goal.column);
        Cell at = start;
        for (auto it = path.rbegin(); it != path.rend(); ++it) {
            ASSERT_TRUE(legalStep(zone, at, *it)) << "round " << round;
            at = *it;
        }
    }
    // Both outcomes must actually have been exercised.
    EXPECT_GT(found, 100);
    EXPECT_GT(missed, 50);
}

TEST(UnitPathLarge, AnUnreachableGoalInABigZoneEndsPromptly)
{
    testsupport::loadTestResources();
    Zone zone(0, 256, 256, nullptr);
    // Wall off the far corner.
    zone.getTile(254, 255)->setType(TILE_WALL);
    zone.getTile(255, 254)->setType(TILE_WALL);
    zone.getTile(254, 254)->setType(TILE_WALL);
    Probe* unit = place(zone, new Probe(&zone), tileCentre(0, 0));
    for (int i = 0; i < 3; ++i) {
        unit->findPath(zone, 255, 255);
        EXPECT_FALSE(unit->hasPath());
    }
    unit->findPath(zone, 200, 190);
    EXPECT_TRUE(unit->hasPath());
}

class UnitSteering : public ::testing::Test {
protected:
    Loaded loaded;
    Zone zone{0, 40, 1, nullptr};
};

TEST_F(UnitSteering, FollowingAPathHoldsSpeedNearTheGivenOne)
{
    for (float speed : {1.0f, 3.0f}) {
        Probe* unit = place(zone, new Probe(&zone, speed), tileCentre(0, 0));
        unit->radius = 15.0f;
        unit->findPath(zone, 0, 39);
        float previous = unit->position.x;
        for (int f = 0; f < 60; ++f) {
            frame(zone);
            const float step = unit->position.x - previous;
            previous = unit->position.x;
            EXPECT_FLOAT_EQ(unit->position.y, 16.0f);
            if (f >= 10) {
                EXPECT_GE(step, 0.8f * speed - 1e-4f) << "frame " << f;
                EXPECT_LT(step, 1.12f * speed + 1e-4f) << "frame " << f;
            }
        }
        zone.remove(unit->getID(), true);
    }
}

TEST_F(UnitSteering, DirectSteeringAcceleratesGentlyAndFacesTheWay)
{
    Probe* unit = place(zone, new Probe(&zone, 3.0f), tileCentre(0, 0));
    unit->moveDirection = {10.0f, 0.0f};
    unit->findPath(zone, 0, 5);
    const std::size_t waypoints = unit->path.size();
    frames(zone, 40);
    // 0.1 * speed per frame against damping 0.8 settles at 0.4 * speed.
    EXPECT_NEAR(unit->velocity.x, 1.2f, 0.01f);
    EXPECT_EQ(unit->moveDirection, sf::Vector2f(1.0f, 0.0f));
    EXPECT_EQ(unit->facing, sf::Vector2f(1.0f, 0.0f));
    EXPECT_EQ(unit->path.size(), waypoints); // ignored, not lost
}

TEST_F(UnitSteering, AReachedWaypointIsDroppedButStillPulledTowardThatFrame)
{
    Probe* unit = place(zone, new Probe(&zone), tileCentre(2, 0) + sf::Vector2f(-5.0f, 0.0f));
    unit->path = {{0, 3, 0, 0, 0, nullptr}, {0, 2, 0, 0, 0, nullptr}};
    unit->steer(2.0f);
    ASSERT_EQ(unit->path.size(), 1u);
    EXPECT_EQ(unit->path[0].column, 3);
    EXPECT_FLOAT_EQ(unit->velocity.x, 0.8f);

    // Without a path or a direction nothing happens, facing included.
    unit->path.clear();
    unit->velocity = {};
    unit->facing = {0.0f, 1.0f};
    unit->steer(2.0f);
    EXPECT_EQ(unit->velocity, sf::Vector2f());
    EXPECT_EQ(unit->facing, sf::Vector2f(0.0f, 1.0f));
}

TEST_F(UnitSteering, OverkillLeavesNegativeHitPointsAndTheNextUpdateRemovesIt)
{
    Probe* unit = place(zone, new Probe(&zone), tileCentre(0, 0));
    unit->hitPoints = 3;
    EXPECT_EQ(unit->damage(10), 10);
    EXPECT_EQ(unit->hitPoints, -7);
    EXPECT_EQ(zone.get(unit->getID()), unit);
    frame(zone);
    EXPECT_EQ(zone.countType(Entity::TYPE_UNIT), 0);
}

TEST_F(UnitSteering, OverlappingUnitsPushApartButPropsDoNot)
{
    Zone open(0, 6, 6, nullptr);
    Probe* a = place(open, new Probe(&open), {90.0f, 90.0f});
    Probe* b = place(open, new Probe(&open), {96.0f, 90.0f});
    a->radius = b->radius = 15.0f;
    Doodad* lamp = place(open, new Doodad(&open, 0), {80.0f, 90.0f});
    frame(open);
    EXPECT_LT(a->position.x, 90.0f);
    EXPECT_GT(b->position.x, 96.0f);
    EXPECT_EQ(lamp->position, sf::Vector2f(80.0f, 90.0f));
}
