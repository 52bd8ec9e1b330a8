// The grid contact step, remembered path searches and the batched ground (with the walls
// among the entities and hidden floors left out) must give exactly what the plain methods give.
#include "charscene.h"
#include "characters/doodad.h"
#include "core/globals.h"
#include "characters/malepedestrian.h"
#include "characters/particle.h"
#include "characters/player.h"
#include "render/framelist.h"
#include "render/painter.h"
#include "world/resourcemanager.h"
#include "characters/robber.h"
#include "play/trigger.h"
#include "render/tilecover.h"
#include "characters/unit.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>

namespace {

struct State {
    int id;
    float values[5];
    int hitPoints;
};

std::vector<State> snapshot(Zone& zone)
{
    std::vector<State> states;
    for (const auto& entry : zone.entities) {
        const Entity* e = entry.second.get();
        const Unit* u = Entity::isUnitType(e->getType()) ? static_cast<const Unit*>(e) : nullptr;
        states.push_back({entry.first, {e->position.x, e->position.y, e->velocity.x, e->velocity.y, e->radius},
                          u != nullptr ? u->hitPoints : 0});
    }
    return states;
}

bool sameBits(const std::vector<State>& a, const std::vector<State>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(State)) == 0;
}

// A crowded random zone: walls, every kind of character, effects riding on parents,
// triggers small and huge. Built from its own generator, so both runs get the same.
std::unique_ptr<Zone> randomScene(unsigned seed)
{
    std::mt19937 gen(seed);
    auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(gen); };
    const int side = 12 + static_cast<int>(gen() % 12);
    auto zone = std::make_unique<Zone>(0, side, side, nullptr);
    for (int x = 0; x < side; ++x)
        for (int y = 0; y < side; ++y)
            if (gen() % 8 == 0)
                zone->getTile(x, y)->setType(TILE_WALL);
    const float extent = side * 32.0f;
    auto somewhere = [&]() { return sf::Vector2f(uniform(-20, extent + 20), uniform(-20, extent + 20)); };
    Player* player = charscene::place(*zone, std::make_unique<Player>(&zone->entities), somewhere());
    player->moveDirection = {uniform(-1, 1), uniform(-1, 1)};
    std::vector<Entity*> hosts{player};
    const int count = 20 + static_cast<int>(gen() % 60);
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<Entity> made;
        EntityManager* m = &zone->entities;
        switch (gen() % 7) {
        case 0: made = std::make_unique<Robber>(m); break;
        case 1: made = std::make_unique<MalePedestrian>(m); break;
        case 2: made = std::make_unique<Doodad>(m, 0); break;
        case 3: made = std::make_unique<Trigger>(m, gen() % 4 == 0 ? uniform(20, 300) : 1.0f, 2, gen() % 2 == 0, 3); break;
        case 4: made = std::make_unique<Dust>(m, 0, somewhere()); break;
        default: made = std::make_unique<Combat>(m, Combat::COMBAT_POWER_HIT, gen() % 2 == 0 ? 1 : 3); break;
        }
        made->position = somewhere();
        made->velocity = {uniform(-3, 3), uniform(-3, 3)};
        Entity* e = zone->entities.add(std::move(made));
        if (e->getType() == Entity::TYPE_COMBAT || (e->getType() == Entity::TYPE_DUST && gen() % 2 == 0)) {
            e->position = {uniform(-20, 20), uniform(-20, 20)};
            e->setParent(hosts[gen() % hosts.size()]);
        } else if (Entity::isUnitType(e->getType())) {
            hosts.push_back(e);
        }
    }
    return zone;
}

struct Recording {
    bool fast;
    std::vector<std::vector<State>> frames;
};

void play(Zone& zone, Recording& run, int count)
{
    std::srand(1);
    for (int i = 0; i < count; ++i) {
        if (run.fast)
            zone.update(false);
        else
            zone.entities.updateAllPairs(zone, false);
        zone.animate();
        run.frames.push_back(snapshot(zone));
    }
}

class FastMethodsTest : public ::testing::Test {
protected:
    charscene::Loaded loaded;
    void TearDown() override { Unit::reusePaths = true; }
};

TEST_F(FastMethodsTest, GridStepMatchesAllPairsBitForBitOverAThousandFrames)
{
    int contacts = 0;
    for (unsigned seed = 1; seed <= 10; ++seed) {
        Recording plain{false, {}}, fast{true, {}};
        auto a = randomScene(seed);
        play(*a, plain, 100);
        auto b = randomScene(seed);
        play(*b, fast, 100);
        for (std::size_t f = 0; f < plain.frames.size(); ++f)
            ASSERT_TRUE(sameBits(plain.frames[f], fast.frames[f])) << "scene " << seed << ", frame " << f;
        contacts += static_cast<int>(a->entities.size());
    }
    EXPECT_GT(contacts, 0);
}

TEST_F(FastMethodsTest, GridStepFindsPairsAcrossCellsEdgesAndOutsideTheZone)
{
    // Pairs straddling cell borders, beyond the grid, at one shared point and with a child
    // whose own position is far from where it touches.
    for (int variant = 0; variant < 2; ++variant) {
        Zone zone(0, 4, 4, nullptr);
        auto add = [&](sf::Vector2f p, float r) {
            Entity* e = zone.entities.add(std::make_unique<Dust>(&zone.entities, 1, p));
            e->radius = r;
            return e;
        };
        add({31.9f, 10}, 8);
        add({32.1f + 15.9f, 10}, 8);
        add({-500, -500}, 3);
        add({-497, -500}, 3);
        add({200, 200}, 5);
        add({200, 200}, 5);
        Entity* host = add({100, 30}, 2);
        Entity* child = add({-90, 0}, 4);
        child->setParent(host);
        add({12, 30}, 4);
        for (int i = 0; i < 5; ++i)
            variant == 0 ? zone.entities.updateAllPairs(zone, false) : zone.update(false);
        static std::vector<State> first;
        if (variant == 0)
            first = snapshot(zone);
        else
            EXPECT_TRUE(sameBits(first, snapshot(zone)));
    }
}

TEST_F(FastMethodsTest, RememberedSearchGivesTheFreshPathOnRandomGrids)
{
    std::mt19937 gen(7);
    Zone zone(0, 30, 30, nullptr);
    Robber fresh(&zone.entities), remembering(&zone.entities);
    for (int round = 0; round < 200; ++round) {
        if (round % 20 == 0)
            for (int x = 0; x < 30; ++x)
                for (int y = 0; y < 30; ++y)
                    zone.getTile(x, y)->setType(gen() % 4 == 0 ? TILE_WALL : TILE_FLOOR);
        const sf::Vector2f at(static_cast<float>(gen() % 960), static_cast<float>(gen() % 960));
        const int row = static_cast<int>(gen() % 32) - 1, column = static_cast<int>(gen() % 32) - 1;
        for (int ask = 0; ask < 3; ++ask) {
            // Sometimes only the ground changes under a remembered search: wall off its way.
            if (ask == 2 && round % 2 == 0 && fresh.path.size() > 1) {
                const PathNode& middle = fresh.path[fresh.path.size() / 2];
                zone.getTile(middle.column, middle.row)->setType(TILE_WALL);
            }
            fresh.position = remembering.position = at;
            fresh.findPath(zone, row, column);
            // Steering may have eaten waypoints since the last search.
            if (!remembering.path.empty())
                remembering.path.pop_back();
            remembering.findPathReusing(zone, row, column);
            ASSERT_EQ(fresh.path.size(), remembering.path.size()) << "round " << round;
            // Field by field: the parent pointers name each search's own nodes, and memcmp
            // may not be given the null data() of empty paths.
            for (std::size_t k = 0; k < fresh.path.size(); ++k) {
                const PathNode& a = fresh.path[k];
                const PathNode& b = remembering.path[k];
                ASSERT_TRUE(a.row == b.row && a.column == b.column && std::memcmp(&a.f, &b.f, sizeof a.f) == 0
                            && std::memcmp(&a.g, &b.g, sizeof a.g) == 0 && std::memcmp(&a.h, &b.h, sizeof a.h) == 0)
                    << "round " << round << " step " << k;
            }
        }
    }
}

std::unique_ptr<Zone> chaseScene()
{
    auto zone = std::make_unique<Zone>(0, 40, 40, nullptr);
    for (int x = 4; x < 36; x += 6)
        for (int y = 2; y < 38; ++y)
            if (y % 12 != (x / 6) % 12)
                zone->getTile(x, y)->setType(TILE_WALL);
    Player* player = charscene::place(*zone, std::make_unique<Player>(&zone->entities), charscene::tileCentre(20, 20));
    player->moveDirection = {1.0f, 0.3f};
    for (int i = 0; i < 12; ++i)
        charscene::place(*zone, std::make_unique<Robber>(&zone->entities), charscene::tileCentre(1 + 3 * (i % 2), 3 * i + 1));
    return zone;
}

TEST_F(FastMethodsTest, ChaseRunsTheSameWithRememberedPathsAndTheGrid)
{
    Recording plain{false, {}}, fast{true, {}};
    for (Recording* run : {&plain, &fast}) {
        Unit::reusePaths = run->fast;
        auto zone = chaseScene();
        std::srand(1);
        for (int i = 0; i < 600; ++i) {
            // The player wanders, so the robbers' goal keeps changing.
            if (Entity* p = zone->entities.get(0))
                static_cast<Player*>(p)->moveDirection = rotate({1.0f, 0.3f}, static_cast<float>((i / 90) * 97));
            if (run->fast)
                zone->update(false);
            else
                zone->entities.updateAllPairs(*zone, false);
            zone->animate();
            run->frames.push_back(snapshot(*zone));
        }
    }
    for (std::size_t f = 0; f < plain.frames.size(); ++f)
        ASSERT_TRUE(sameBits(plain.frames[f], fast.frames[f])) << "frame " << f;
}

// An opaque block as the game's walls are: a top diamond, sides straight down, a bottom
// diamond; it hides the whole floor straight behind it.
bool inBlock(unsigned x, unsigned y)
{
    const float across = std::abs(x - 63.5f) / 64;
    return across + std::abs(y - 31.5f) / 32 <= 1.0f || (y >= 32 && y < 128) || across + std::abs(y - 127.5f) / 32 <= 1.0f;
}

// Patterned tile images of the game's three heights, shaped as the game's are (a diamond,
// walls rising from it, empty corners), so a texel off anywhere shows; image 4 is a block.
std::vector<sf::Texture> patternedTiles()
{
    std::vector<sf::Texture> images(6);
    const unsigned heights[6] = {64, 160, 104, 64, 160, 64};
    for (unsigned i = 0; i < images.size(); ++i) {
        sf::Image image;
        image.create(128, heights[i]);
        const float middle = static_cast<float>(heights[i]) - 32.5f;
        for (unsigned y = 0; y < heights[i]; ++y)
            for (unsigned x = 0; x < 128; ++x) {
                const bool shown = y + 64 < heights[i] ? x >= 8 && x < 120
                                                       : std::abs(x - 63.5f) / 64 + std::abs(y - middle) / 32 <= 1.0f;
                const sf::Uint8 alpha = i == 4 ? (inBlock(x, y) ? 255 : 0) : !shown ? 0 : (x + y) % 5 == 0 ? 120 : 255;
                image.setPixel(x, y, sf::Color(static_cast<sf::Uint8>(x * 7 + i * 40), static_cast<sf::Uint8>(y * 13),
                                               static_cast<sf::Uint8>((x ^ y) * 5), alpha));
            }
        images[i].loadFromImage(image);
    }
    return images;
}

// Walls one tile in three, whatever their image: flat walls, tall floors and blocks.
std::unique_ptr<Zone> paintedZone()
{
    std::mt19937 gen(3);
    auto zone = std::make_unique<Zone>(0, 48, 40, nullptr);
    for (int x = 0; x < 48; ++x)
        for (int y = 0; y < 40; ++y) {
            zone->getTile(x, y)->setTexture(static_cast<int>(gen() % 6));
            if (gen() % 3 == 0)
                zone->getTile(x, y)->setType(TILE_WALL);
        }
    for (int i = 0; i < 150; ++i) {
        const sf::Vector2f at(static_cast<float>(gen() % 1536), static_cast<float>(gen() % 1280));
        if (i % 3 == 0)
            charscene::place(*zone, std::make_unique<Doodad>(&zone->entities, 0), at);
        else
            charscene::place(*zone, std::make_unique<MalePedestrian>(&zone->entities), at);
    }
    return zone;
}

TEST_F(FastMethodsTest, BatchedGroundAndCulledEntitiesPaintTheSamePixels)
{
    std::vector<sf::Texture> ours = patternedTiles();
    ResourceManager::tileTextures.swap(ours);
    {
        auto plainZone = paintedZone();
        auto fastZone = paintedZone();
        sf::RenderTexture plainTarget, fastTarget, bareTarget;
        ASSERT_TRUE(plainTarget.create(800, 600));
        ASSERT_TRUE(fastTarget.create(800, 600));
        ASSERT_TRUE(bareTarget.create(800, 600));
        int silhouetted = 0; // pictures in which characters behind blocks show
        // Whole, fractional and far-off centres, and centres that put every pixel centre on
        // texel edges at 1:1 (x.5), 2x (x.75) and 1.25x (x.6); at the game's scale, scaled as
        // a resized window scales it, and zoomed out; the debug overlay now and then.
        const sf::Vector2f centres[] = {{0, 600},           {0.5f, 600.5f},       {-700.75f, 900.25f},
                                        {333.6f, 111.6f},   {1200.3f, 1400.7f},   {-3000, 5000}};
        int shot = 0;
        for (const sf::Vector2f& c : centres) {
            for (float scale : {1.0f, 1.25f, 2.0f, 0.75f, 1.0f / 3}) {
                SCOPED_TRACE("centre " + std::to_string(c.x) + ", " + std::to_string(c.y) + " scale " +
                             std::to_string(scale));
                sf::View view(c, sf::Vector2f(800 / scale, 600 / scale));
                for (sf::RenderTexture* t : {&plainTarget, &fastTarget}) {
                    t->setView(view);
                    t->clear(sf::Color(10, 20, 30));
                }
                charscene::drawZone(*plainZone, plainTarget, shot % 3 == 0, true);
                charscene::drawZone(*fastZone, fastTarget, shot % 3 == 0);
                plainTarget.display();
                fastTarget.display();
                const sf::Image a = plainTarget.getTexture().copyToImage();
                const sf::Image b = fastTarget.getTexture().copyToImage();
                ASSERT_EQ(0, std::memcmp(a.getPixelsPtr(), b.getPixelsPtr(), 800 * 600 * 4));
                // The same frame again without silhouettes (not animated again).
                FrameList bare(bareTarget.getSize());
                bare.setView(view);
                fastZone->submit(bare, shot % 3 == 0);
                bareTarget.clear(sf::Color(10, 20, 30));
                Painter::silhouettes = false;
                testsupport::paint(bare, bareTarget);
                Painter::silhouettes = true;
                bareTarget.display();
                silhouetted += std::memcmp(a.getPixelsPtr(), bareTarget.getTexture().copyToImage().getPixelsPtr(),
                                           800 * 600 * 4) != 0;
                ++shot;
            }
        }
        // The far-off centres and the widest views show nobody hidden.
        EXPECT_GE(silhouetted, 10);
        EXPECT_TRUE(sameBits(snapshot(*plainZone), snapshot(*fastZone)));
        EXPECT_EQ(plainZone->entities.size(), fastZone->entities.size());
        // The block hid the floors behind it from the fast path; the tall frame hides nothing.
        EXPECT_TRUE(TileCover::hides(4, 0, 1) && TileCover::hides(4, 3, 1) && TileCover::hides(4, 5, 1));
        EXPECT_FALSE(TileCover::hides(4, 2, 1) || TileCover::hides(1, 0, 1) || TileCover::hides(4, 0, 2));
    }
    ResourceManager::tileTextures.swap(ours);
}

TEST_F(FastMethodsTest, TileOverlayDrawsOnlyWhatCanTouchTheViewAsTheWholeOverlayWould)
{
    // Every kind, links with the longest labels, on a zone far bigger than the view.
    std::mt19937 gen(5);
    Zone zone(0, 150, 120, nullptr);
    for (int x = 0; x < 150; ++x)
        for (int y = 0; y < 120; ++y) {
            Tile* tile = zone.getTile(x, y);
            tile->setType(static_cast<TileType>(gen() % 4));
            tile->link = gen() % 3 == 0 ? -2147483647 - 1 : static_cast<int>(gen() % 100);
        }
    auto everyTile = [&](FrameList& frame) {
        for (int x = 0; x < 150; ++x)
            for (int y = 0; y < 120; ++y)
                zone.getTile(x, y)->submitInfo(frame);
    };
    sf::RenderTexture plainTarget, fastTarget;
    ASSERT_TRUE(plainTarget.create(800, 600));
    ASSERT_TRUE(fastTarget.create(800, 600));
    const std::pair<sf::Vector2f, float> views[] = {{{0, 300}, 1.0f},          {{-300.5f, 2000.5f}, 1.25f},
                                                    {{1500.75f, 4000.25f}, 2.0f}, {{-9000, 4200}, 0.75f},
                                                    {{400, 5000}, 1.0f / 3},    {{8000.2f, 8000}, 1.0f}};
    for (const auto& v : views) {
        SCOPED_TRACE("centre " + std::to_string(v.first.x) + ", " + std::to_string(v.first.y));
        const sf::View view(v.first, sf::Vector2f(800 / v.second, 600 / v.second));
        FrameList plainList, fastList;
        for (FrameList* list : {&plainList, &fastList}) {
            list->setView(view);
            list->clear(sf::Color(10, 20, 30));
        }
        everyTile(plainList);
        zone.submitInfo(fastList);
        Painter::paint(plainList, plainTarget);
        Painter::paint(fastList, fastTarget);
        plainTarget.display();
        fastTarget.display();
        const sf::Image a = plainTarget.getTexture().copyToImage();
        const sf::Image b = fastTarget.getTexture().copyToImage();
        ASSERT_EQ(0, std::memcmp(a.getPixelsPtr(), b.getPixelsPtr(), 800 * 600 * 4));
        EXPECT_LT(fastList.items().size() * 10, plainList.items().size());
    }
}

} // namespace
