#include "world/zone.h"
#include "world/entitymanager.h"
#include "world/kinds.h"

#include "characters/malepedestrian.h"
#include "characters/particle.h"
#include "charscene.h"
#include "world/resourcemanager.h"
#include "world/tile.h"
#include "render/framelist.h"
#include "render/keptpicture.h"
#include "render/painter.h"
#include "render/tilecover.h"
#include "worldprobe.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <sstream>

namespace {

class ZoneGridTest : public ::testing::Test {
protected:
    ResourcesLoaded resources;
    Zone zone{4, 3, 2, nullptr};

    // Marks a tile so it can be recognised after the grid moves around.
    void mark(int x, int y, int linkValue)
    {
        Tile* tile = zone.getTile(x, y);
        tile->setType(TILE_WALL);
        tile->setTexture(1);
        tile->link = linkValue;
    }
};

TEST_F(ZoneGridTest, OnlyALoadedWallIsNotWalkable)
{
    for (int kind : {0, 1, 2, 3}) {
        Tile tile;
        tile.load(zonefile::TileRecord{kind, 1, 5});
        EXPECT_EQ(tile.walkable, kind != TILE_WALL) << kind;
        EXPECT_EQ(tile.texture, 1);
        EXPECT_EQ(tile.link, 5);
    }
}

TEST_F(ZoneGridTest, NewZoneHoldsFloorTilesThatKnowTheirPlace)
{
    EXPECT_EQ(zone.getWidth(), 3);
    EXPECT_EQ(zone.getHeight(), 2);
    EXPECT_EQ(zone.name, "unnamed");
    for (int x = 0; x < 3; ++x) {
        for (int y = 0; y < 2; ++y) {
            const Tile* tile = zone.getTile(x, y);
            ASSERT_NE(tile, nullptr);
            EXPECT_EQ(tile->x, x);
            EXPECT_EQ(tile->y, y);
            EXPECT_EQ(tile->type, TILE_FLOOR);
            EXPECT_EQ(tile->link, -1);
        }
    }
    EXPECT_EQ(zone.getTile(3, 0), nullptr);
    EXPECT_EQ(zone.getTile(-1, 0), nullptr);
    EXPECT_EQ(zone.getTile(0, 2), nullptr);
    EXPECT_EQ(zone.getTile(0, -1), nullptr);
}

TEST_F(ZoneGridTest, ResizeKeepsTheOverlapAndAddsFloorOnTheFarSides)
{
    mark(0, 0, 10);
    mark(1, 1, 11);
    mark(2, 0, 12);
    ASSERT_TRUE(zone.resize(2, 4));
    EXPECT_EQ(zone.getWidth(), 2);
    EXPECT_EQ(zone.getHeight(), 4);
    EXPECT_EQ(zone.getTile(0, 0)->link, 10);
    EXPECT_EQ(zone.getTile(1, 1)->link, 11);
    EXPECT_EQ(zone.getTile(1, 1)->texture, 1);
    EXPECT_FALSE(zone.getTile(1, 1)->walkable);
    EXPECT_EQ(zone.getTile(2, 0), nullptr);
    const Tile* added = zone.getTile(1, 3);
    EXPECT_EQ(added->type, TILE_FLOOR);
    EXPECT_EQ(added->x, 1);
    EXPECT_EQ(added->y, 3);
}

TEST_F(ZoneGridTest, ImpossibleSizesAreRefusedWithoutChange)
{
    mark(1, 1, 11);
    const std::pair<int, int> sizes[] = {{0, 2}, {2, 0}, {-3, 2}, {2, -1}, {Zone::MAX_SIDE + 1, 1}, {4096, 4096}};
    for (auto size : sizes)
        EXPECT_FALSE(zone.resize(size.first, size.second)) << size.first << " x " << size.second;
    EXPECT_EQ(zone.getWidth(), 3);
    EXPECT_EQ(zone.getHeight(), 2);
    EXPECT_EQ(zone.getTile(1, 1)->link, 11);

    Zone clamped(0, -5, 0, nullptr);
    EXPECT_EQ(clamped.getWidth(), 1);
    EXPECT_EQ(clamped.getHeight(), 1);
}

TEST_F(ZoneGridTest, FindLinkInTakesSmallestColumnThenRow)
{
    ASSERT_TRUE(zone.resize(6, 8));
    auto link = [&](int x, int y, TileType kind, int to) {
        zone.getTile(x, y)->setType(kind);
        zone.getTile(x, y)->link = to;
    };
    link(4, 1, TILE_LINKIN, 5);
    link(2, 7, TILE_LINKIN, 5);
    link(2, 6, TILE_LINKOUT, 5); // wrong kind
    link(1, 0, TILE_LINKIN, 6);  // wrong zone
    EXPECT_EQ(zone.findLinkIn(5), sf::Vector2f(80, 240));
    link(2, 2, TILE_LINKIN, 5);
    EXPECT_EQ(zone.findLinkIn(5), sf::Vector2f(80, 80));
    EXPECT_EQ(zone.findLinkIn(9), sf::Vector2f(-1, -1));
}

// The game's own paving around a wall block of the image given at (2, 2) (and at more
// tiles given), with a character of the type given standing where given (or nobody), drawn
// the fast way or the plain one. A robber stands there just struck, its sprite in the hit
// flash.
sf::Image wallScene(const sf::Vector2f* standing, bool plain, int type = Entity::TYPE_MALE_PEDESTRIAN, int image = 8,
                    std::vector<sf::Vector2i> more = {})
{
    static sf::RenderTexture target;
    if (target.getSize().x == 0)
        target.create(400, 400);
    Zone zone(0, 5, 5, nullptr);
    for (int x = 0; x < 5; ++x)
        for (int y = 0; y < 5; ++y)
            zone.getTile(x, y)->setTexture(3);
    more.push_back(sf::Vector2i(2, 2));
    for (const sf::Vector2i& at : more) {
        zone.getTile(at.x, at.y)->setType(TILE_WALL);
        zone.getTile(at.x, at.y)->setTexture(image);
    }
    if (standing != nullptr) {
        Entity* placed = charscene::place(zone, createEntity(type, &zone.entities), *standing);
        if (type == Entity::TYPE_ROBBER)
            static_cast<Unit*>(placed)->damage(1);
    }
    target.setView(sf::View(sf::Vector2f(0, 128), sf::Vector2f(400, 400)));
    target.clear();
    charscene::drawZone(zone, target, false, plain);
    target.display();
    return target.getTexture().copyToImage();
}

std::vector<sf::Vector2u> differing(const sf::Image& a, const sf::Image& b)
{
    std::vector<sf::Vector2u> at;
    for (unsigned y = 0; y < a.getSize().y; ++y)
        for (unsigned x = 0; x < a.getSize().x; ++x)
            if (a.getPixel(x, y) != b.getPixel(x, y))
                at.emplace_back(x, y);
    return at;
}

TEST(ZoneDrawingTest, AWallBlockShowsWhoStandsBehindItAsASilhouetteOfTheirColourAndHidesNoOneInFront)
{
    testsupport::loadRepoResources();
    // The tall brick block and the low hedge (an image of another height), each with a
    // place close behind it.
    const std::pair<int, sf::Vector2f> walls[] = {{8, charscene::tileCentre(1, 1)}, {9, charscene::tileCentre(1, 1)}, {10, charscene::tileCentre(1, 1)},
                                                  {11, charscene::tileCentre(1, 2) + sf::Vector2f(8, 0)}};
    const sf::Vector2f inFront = charscene::tileCentre(3, 3), open = charscene::tileCentre(4, 0);
    for (const auto& [image, behind] : walls) {
        const sf::Image wall = ResourceManager::tileTextures[static_cast<std::size_t>(image)].copyToImage();
        // The block's anchor is at (200, 200) in the picture; the image's foot 32 below it.
        const sf::Vector2u size = wall.getSize(), corner(200 - size.x / 2, 200 + 64 - size.y);
        // Where the wall's image has at least the alpha given.
        auto onWall = [&](const sf::Vector2u& p, sf::Uint8 alpha) {
            return p.x >= corner.x && p.y >= corner.y && p.x < corner.x + size.x && p.y < corner.y + size.y
                && wall.getPixel(p.x - corner.x, p.y - corner.y).a >= alpha;
        };
        const sf::Image empty = wallScene(nullptr, false, 0, image);
        for (int type : {Entity::TYPE_PLAYER, Entity::TYPE_ROBBER, Entity::TYPE_MALE_PEDESTRIAN, Entity::TYPE_CLERK}) {
            const long rgb = kinds::find(type)->silhouette;
            ASSERT_GE(rgb, 0) << type;
            const sf::Color colour(static_cast<sf::Uint8>(rgb >> 16), static_cast<sf::Uint8>(rgb >> 8),
                                   static_cast<sf::Uint8>(rgb));
            for (bool plain : {false, true}) {
                SCOPED_TRACE(std::string(kinds::name(type)) + (plain ? ", plain, image " : ", fast, image ")
                             + std::to_string(image));
                Painter::silhouettes = false;
                const sf::Image hidden = wallScene(&behind, plain, type, image),
                                frontOff = wallScene(&inFront, plain, type, image),
                                openOff = wallScene(&open, plain, type, image);
                Painter::silhouettes = true;
                const sf::Image shown = wallScene(&behind, plain, type, image);
                // Without silhouettes no opaque pixel of the wall changes: it hides part of him.
                int wallChanged = 0;
                for (const sf::Vector2u& p : differing(hidden, empty))
                    wallChanged += onWall(p, 255);
                // With them, what changes is only the wall where it is solid, to his colour.
                const std::vector<sf::Vector2u> silhouette = differing(shown, hidden);
                int offWall = 0, otherColour = 0;
                for (const sf::Vector2u& p : silhouette) {
                    offWall += !onWall(p, 128);
                    otherColour += shown.getPixel(p.x, p.y) != colour;
                }
                EXPECT_EQ(wallChanged, 0);
                EXPECT_GT(silhouette.size(), image == 8 ? 600u : 100u);
                EXPECT_EQ(offWall, 0);
                EXPECT_EQ(otherColour, 0);
                // In front of the wall and in the open nothing has a silhouette.
                EXPECT_TRUE(differing(wallScene(&inFront, plain, type, image), frontOff).empty());
                EXPECT_TRUE(differing(wallScene(&open, plain, type, image), openOff).empty());
                EXPECT_GT(differing(frontOff, empty).size(), 1000u);
                EXPECT_EQ(0, std::memcmp(wallScene(&behind, !plain, type, image).getPixelsPtr(), shown.getPixelsPtr(),
                                         400 * 400 * 4));
            }
        }
    }
    Painter::silhouettes = true;
    // The game's brick block hides the paving straight behind it, so that is never painted.
    for (int block : {8, 9, 10})
        EXPECT_TRUE(TileCover::hides(block, 3, 1)) << block;
}

TEST(ZoneDrawingTest, ACharacterInFrontOfABlocksFrontFaceLineIsDrawnOverItAndOneBehindItInSilhouette)
{
    testsupport::loadRepoResources();
    // The block at (2, 2) covers x and y from 64 to 96; its centre's depth, shared by its
    // left and right corners, is 160. Feet are placed where no push out of walls moves them.
    struct Case {
        const char* where;
        sf::Vector2f feet;
        bool inFront;
        std::vector<sf::Vector2i> more;
    };
    const Case cases[] = {
        {"before the left face, its left half (under the near corner's depth)", {72, 100}, true, {}},
        {"before the left face's line, beside the left corner (under the centre's depth)", {56, 100}, true, {}},
        {"on the left face's line", {60, 96}, true, {}},
        {"one behind the left face's line", {60, 95}, false, {}},
        {"on the depth line, beside the left corner", {58, 102}, true, {}},
        {"before the right face's line, beside the right corner", {100, 56}, true, {}},
        {"on the right face's line", {96, 60}, true, {}},
        {"one behind the right face's line", {95, 60}, false, {}},
        {"straight behind", {56, 56}, false, {}},
        {"before a row, beside the next block's corner", {56, 100}, true, {{1, 2}, {3, 2}}},
        // Before the line of the block at (2, 2), but behind the one at (1, 3), of the same
        // depth: he waits for neither, so the one that hides him does.
        {"before one block's line, behind another of its depth", {28, 100}, false, {{1, 3}}},
    };
    const sf::Color colour = [] {
        const long rgb = kinds::find(Entity::TYPE_PLAYER)->silhouette;
        return sf::Color(static_cast<sf::Uint8>(rgb >> 16), static_cast<sf::Uint8>(rgb >> 8), static_cast<sf::Uint8>(rgb));
    }();
    for (const Case& c : cases) {
        for (bool plain : {false, true}) {
            SCOPED_TRACE(std::string(c.where) + (plain ? ", plain" : ", fast"));
            const sf::Image empty = wallScene(nullptr, plain, 0, 8, c.more);
            Painter::silhouettes = false;
            const sf::Image off = wallScene(&c.feet, plain, Entity::TYPE_PLAYER, 8, c.more);
            Painter::silhouettes = true;
            const sf::Image on = wallScene(&c.feet, plain, Entity::TYPE_PLAYER, 8, c.more);
            // He meets the blocks on the screen, or the case would prove nothing.
            ASSERT_GT(differing(off, empty).size(), 1000u);
            const std::vector<sf::Vector2u> silhouette = differing(on, off);
            int otherColour = 0;
            for (const sf::Vector2u& p : silhouette)
                otherColour += on.getPixel(p.x, p.y) != colour;
            if (c.inFront)
                EXPECT_TRUE(silhouette.empty()) << silhouette.size();
            else
                EXPECT_GT(silhouette.size(), 100u);
            EXPECT_EQ(otherColour, 0);
            EXPECT_EQ(0, std::memcmp(wallScene(&c.feet, !plain, Entity::TYPE_PLAYER, 8, c.more).getPixelsPtr(),
                                     on.getPixelsPtr(), 400 * 400 * 4));
        }
    }
}

// A building three blocks deep of the game's bricks, windows and doors, with a hedge and
// a pedestrian in front, on paving.
void buildStreet(Zone& zone)
{
    for (int x = 0; x < zone.width; ++x)
        for (int y = 0; y < zone.height; ++y) {
            zone.getTile(x, y)->setTexture(3);
            if (x >= 1 && x <= 6 && y >= 1 && y <= 3) {
                zone.getTile(x, y)->setType(TILE_WALL);
                zone.getTile(x, y)->setTexture(8 + (x * 5 + y * 3) % 3);
            }
        }
    zone.getTile(3, 5)->setType(TILE_WALL);
    zone.getTile(3, 5)->setTexture(11);
    charscene::place(zone, std::make_unique<MalePedestrian>(&zone.entities), charscene::tileCentre(4, 4));
}

// The same street twice, one drawn the plain way and one the fast way.
struct Streets {
    Streets()
    {
        buildStreet(plain);
        buildStreet(fast);
    }
    // Zones take their tiles' images from the resources: loaded before either is made.
    bool loaded = (testsupport::loadRepoResources(), true);
    Zone plain{0, 8, 7, nullptr};
    Zone fast{0, 8, 7, nullptr};
};

TEST(ZoneDrawingTest, ABuildingPaintsOnlyWhatItsFrontBlocksLeaveShowingAndTheSamePicture)
{
    Streets streets;
    Zone &plain = streets.plain, &fast = streets.fast;
    sf::RenderTexture a, b;
    ASSERT_TRUE(a.create(500, 400) && b.create(500, 400));
    for (const sf::Vector2f& centre : {sf::Vector2f(0, 200), sf::Vector2f(-20.75f, 230.25f), sf::Vector2f(40.6f, 150.6f)})
        for (float scale : {1.0f, 2.0f, 1.25f, 0.75f, 1.0f / 3}) {
            SCOPED_TRACE(std::to_string(centre.x) + " scale " + std::to_string(scale));
            for (sf::RenderTexture* t : {&a, &b}) {
                t->setView(sf::View(centre, sf::Vector2f(500 / scale, 400 / scale)));
                t->clear(sf::Color(10, 20, 30));
            }
            charscene::drawZone(plain, a, false, true);
            charscene::drawZone(fast, b, false);
            a.display();
            b.display();
            ASSERT_EQ(0, std::memcmp(a.getTexture().copyToImage().getPixelsPtr(),
                                     b.getTexture().copyToImage().getPixelsPtr(), 500 * 400 * 4));
        }
    // Behind a row of blocks only a block's top shows, with a texel's ring: about a third
    // of its image. A block with nothing in front is painted whole.
    for (int block : {8, 9, 10}) {
        const sf::IntRect shows = TileCover::showing(block, 9, 10, 8);
        EXPECT_EQ(shows.width, 128) << block;
        EXPECT_LE(shows.height, 66) << block;
        EXPECT_EQ(TileCover::showing(block, -1, -1, -1), sf::IntRect(0, 0, 128, 160));
    }
    // A hedge in front hides only the block's foot.
    const sf::IntRect overHedge = TileCover::showing(8, -1, -1, 11);
    EXPECT_TRUE(overHedge.top == 0 && overHedge.height > 120 && overHedge.height < 160) << overHedge.height;
}

TEST(ZoneDrawingTest, AHiddenAreaIsLeftUnpaintedAndOnceCoveredThePictureIsTheSame)
{
    testsupport::loadRepoResources();
    Zone zone(0, 8, 7, nullptr);
    buildStreet(zone);
    for (int i = 0; i < 6; ++i)
        charscene::place(zone, std::make_unique<MalePedestrian>(&zone.entities), charscene::tileCentre(1 + i, 4) + sf::Vector2f(7.f * i, 0));
    sf::RenderTexture target;
    ASSERT_TRUE(target.create(500, 400));
    // The area cuts across blocks, the hedge and the pedestrians, at the game's scale and others.
    const sf::IntRect area(70, 40, 330, 150), all(0, 0, 500, 400);
    auto draw = [&](float scale, const sf::IntRect& hidden, bool cover) {
        target.setView(sf::View(sf::Vector2f(-10.5f, 230.25f), sf::Vector2f(500 / scale, 400 / scale)));
        target.clear(sf::Color(10, 20, 30));
        FrameList frame(target.getSize());
        frame.setView(target.getView());
        zone.animate();
        zone.submit(frame, false);
        frame.cover(hidden);
        testsupport::paint(frame, target);
        if (cover) {
            sf::RectangleShape box(sf::Vector2f(static_cast<float>(area.width), static_cast<float>(area.height)));
            box.setPosition(static_cast<float>(area.left), static_cast<float>(area.top));
            box.setFillColor(sf::Color(35, 35, 35));
            target.setView(target.getDefaultView());
            target.draw(box);
        }
        target.display();
        return target.getTexture().copyToImage();
    };
    for (float scale : {1.0f, 2.0f, 0.75f}) {
        SCOPED_TRACE(scale);
        ASSERT_EQ(0, std::memcmp(draw(scale, sf::IntRect(), true).getPixelsPtr(), draw(scale, area, true).getPixelsPtr(),
                                 500 * 400 * 4));
        // Uncovered: inside the area only the ground (all that is painted when the whole
        // target is hidden), outside it the whole picture.
        const sf::Image whole = draw(scale, sf::IntRect(), false), open = draw(scale, area, false),
                        ground = draw(scale, all, false);
        int inside = 0, outside = 0, hiddenThere = 0;
        for (unsigned y = 0; y < 400; ++y)
            for (unsigned x = 0; x < 500; ++x) {
                if (area.contains(static_cast<int>(x), static_cast<int>(y))) {
                    inside += open.getPixel(x, y) != ground.getPixel(x, y);
                    hiddenThere += whole.getPixel(x, y) != ground.getPixel(x, y);
                } else {
                    outside += open.getPixel(x, y) != whole.getPixel(x, y);
                }
            }
        EXPECT_EQ(inside, 0);
        EXPECT_EQ(outside, 0);
        EXPECT_GT(hiddenThere, 5000);
    }
}

// Two zones alike, one painted whole the plain way on a, the other as the software back end
// paints it on b (the kept picture and the ground ring), a frame at a time.
struct PlainAndKept {
    PlainAndKept(Zone& plainIn, Zone& fastIn) : plain(plainIn), fast(fastIn) {}
    Zone& plain;
    Zone& fast;
    sf::RenderTexture a, b;
    KeptPicture kept;

    // One frame of both in view over clear, with over added to both lists after the world:
    // how the kept picture took it, and whether the two pictures are the same bytes.
    std::pair<KeptPicture::Drawn, bool> frame(const sf::View& view, const sf::Color& clear, bool debug = false,
                                              const std::function<void(FrameList&)>& over = nullptr)
    {
        FrameList plainList(a.getSize()), fastList(b.getSize());
        for (FrameList* list : {&plainList, &fastList}) {
            list->clear(clear);
            list->setView(view);
        }
        plain.animate();
        plain.submitAll(plainList, debug);
        fast.animate();
        fast.submit(fastList, debug);
        if (over) {
            over(plainList);
            over(fastList);
        }
        Painter::Options whole;
        whole.trim = false;
        Painter::paint(plainList, a, whole);
        const KeptPicture::Drawn drawn = kept.paint(fastList, b);
        a.display();
        b.display();
        const sf::Vector2u size = a.getSize();
        return {drawn, std::memcmp(a.getTexture().copyToImage().getPixelsPtr(), b.getTexture().copyToImage().getPixelsPtr(),
                                   size.x * size.y * 4) == 0};
    }
};

TEST(ZoneDrawingTest, AStillSceneIsCopiedBackAndAnyChangeToItIsPaintedAnew)
{
    Streets streets;
    Zone &plain = streets.plain, &fast = streets.fast;
    PlainAndKept both(plain, fast);
    sf::RenderTexture &a = both.a, &b = both.b;
    sf::View view(sf::Vector2f(0, 200), sf::Vector2f(500, 400));
    bool debug = false;
    sf::IntRect box; // the opaque box painted over both pictures, which the fast one leaves out
    // Each step changes something, then three frames are drawn; what each frame's world
    // took, and every frame the plain picture. A view that moved is kept only once it stays.
    using D = KeptPicture::Drawn;
    const D P = D::PAINTED, C = D::COPIED;
    struct Step {
        const char* what;
        std::function<void()> change;
        std::vector<D> drawn;
    };
    auto bothTiles = [&](int x, int y, const std::function<void(Tile&)>& f) {
        f(*plain.getTile(x, y));
        f(*fast.getTile(x, y));
    };
    auto everyone = [&](const std::function<void(Entity&)>& f) {
        for (Zone* zone : {&plain, &fast})
            for (auto& entry : zone->entities)
                f(*entry.second);
    };
    const std::vector<Step> steps = {
        // A first view is kept at once, as is any view that stays.
        {"first frames", [&] { ASSERT_TRUE(a.create(500, 400) && b.create(500, 400)); }, {P, C, C}},
        {"someone walks", [&] { everyone([](Entity& e) { e.position += sf::Vector2f(9, 3); }); }, {P, C, C}},
        {"someone steps aside", [&] { everyone([](Entity& e) { e.position += sf::Vector2f(5, -5); }); }, {P, C, C}},
        // Right behind a block of the building: in silhouette over it, and the picture kept so.
        {"someone walks behind the building",
         [&] { everyone([](Entity& e) { e.position = charscene::tileCentre(3, 0) + sf::Vector2f(4, 6); }); }, {P, C, C}},
        {"dust rises", [&] {
             for (Zone* zone : {&plain, &fast})
                 zone->entities.add(std::make_unique<Dust>(&zone->entities, 0, charscene::tileCentre(2, 4)));
         }, {P, C, C}},
        // A picture painted whole serves under any box; one painted around a box only under
        // a box that covers at least as much.
        {"a box opens", [&] { box = sf::IntRect(60, 50, 300, 120); }, {C, C, C}},
        {"dust under the box", [&] { everyone([](Entity& e) { e.position += sf::Vector2f(1, 0); }); }, {P, C, C}},
        {"the box grows", [&] { box = sf::IntRect(40, 40, 340, 150); }, {C, C, C}},
        // Back to the box the picture was kept around: still held; a pixel less, not.
        {"the box shrinks back", [&] { box = sf::IntRect(60, 50, 300, 120); }, {C, C, C}},
        {"and a pixel more", [&] { box = sf::IntRect(61, 50, 299, 120); }, {P, C, C}},
        {"the box closes", [&] { box = sf::IntRect(); }, {P, C, C}},
        // Text in the world is never kept; the picture kept before it still serves after.
        {"debug marks", [&] { debug = true; }, {P, P, P}},
        {"no debug marks", [&] { debug = false; }, {C, C, C}},
        {"a floor painted", [&] { bothTiles(5, 5, [](Tile& t) { t.setTexture(0); }); }, {P, C, C}},
        {"a wall raised", [&] { bothTiles(2, 5, [](Tile& t) { t.setType(TILE_WALL); t.setTexture(8); }); }, {P, C, C}},
        {"a wall behind others taken down", [&] { bothTiles(3, 2, [](Tile& t) { t.setType(TILE_FLOOR); }); }, {P, C, C}},
        {"the view a quarter pixel along", [&] { view.move(0.25f, 0); }, {P, P, C}},
        {"zoomed in", [&] { view.zoom(0.5f); }, {P, P, C}},
        {"another target size", [&] { ASSERT_TRUE(a.create(300, 500) && b.create(300, 500)); }, {P, C, C}},
    };
    auto boxed = [&](FrameList& frame) {
        if (box.width == 0)
            return;
        frame.cover(box);
        sf::RectangleShape shape(sf::Vector2f(static_cast<float>(box.width), static_cast<float>(box.height)));
        shape.setPosition(static_cast<float>(box.left), static_cast<float>(box.top));
        shape.setFillColor(sf::Color(35, 35, 35));
        frame.setView(frame.getDefaultView());
        frame.draw(shape);
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        for (std::size_t frame = 0; frame < step.drawn.size(); ++frame) {
            const auto [drawn, same] = both.frame(view, sf::Color(10, 20, 30), debug, boxed);
            EXPECT_EQ(drawn, step.drawn[frame]) << frame;
            ASSERT_TRUE(same) << frame;
        }
    }
}

// A view walking over a zone of mixed ground, with every fraction of a pixel near the edges
// where the renderer's rounding decides, steps of all sizes, tiles repainted under it and
// the clear colour changed: every frame is the plain picture, byte for byte, the ground
// taken from the ring wherever pixel centres keep clear of pixel edges.
TEST(ZoneDrawingTest, AWalkingViewTakesItsGroundFromTheRingAndPaintsThePlainPicture)
{
    testsupport::loadRepoResources();
    std::vector<int> flat;
    for (std::size_t i = 0; i < ResourceManager::tileTextures.size(); ++i)
        if (ResourceManager::tileTextures[i].getSize().y <= 64)
            flat.push_back(static_cast<int>(i));
    ASSERT_GE(flat.size(), 2u);
    Zone plain(0, 40, 40, nullptr), fast(0, 40, 40, nullptr);
    auto paintTile = [&](int x, int y, int image) {
        plain.getTile(x, y)->setTexture(image);
        fast.getTile(x, y)->setTexture(image);
    };
    for (int x = 0; x < 40; ++x)
        for (int y = 0; y < 40; ++y)
            paintTile(x, y, flat[static_cast<std::size_t>(x * 7 + y * 3) % flat.size()]);
    for (Zone* zone : {&plain, &fast})
        charscene::place(*zone, std::make_unique<MalePedestrian>(&zone->entities), charscene::tileCentre(10, 9));
    PlainAndKept both(plain, fast);
    ASSERT_TRUE(both.a.create(500, 400) && both.b.create(500, 400));
    sf::Color clear(10, 20, 30);
    const std::size_t tile = ResourceManager::tileTextures[static_cast<std::size_t>(flat[0])].getSize().x
                           * ResourceManager::tileTextures[static_cast<std::size_t>(flat[0])].getSize().y;
    // Each step moves the view's top-left pixel centre to world (x, y) + 0.5 after a change;
    // ring: whether the ground comes from it; painted: how many pixels went into the ring,
    // at least and below.
    struct Step {
        float x, y;
        bool ring;
        std::size_t least, below;
        std::function<void()> change;
    };
    const std::size_t ALL = 500 * 400, STRIPS = 500 * 12;
    std::vector<Step> steps;
    float x = -300, y = 400;
    // Just past a pixel edge the renderer rounds the pixel centre back across it; just
    // before the next edge it does not.
    for (const auto& [fraction, ring] : std::vector<std::pair<float, bool>>{
             {0.0f, false}, {1e-4f, false}, {1.0f / 512, false}, {1.0f / 256, true}, {0.25f, true}, {0.5f, true},
             {1 - 1.0f / 512, true}, {1 - 1.0f / 1024, true}, {1 - 1e-4f, false}}) {
        x += 3;
        steps.push_back({x + fraction, y + 0.5f, ring, 0, ALL + 1, nullptr});
        y += 2;
        steps.push_back({x + 0.5f, y + fraction, ring, 0, ALL + 1, nullptr});
    }
    // A walk of steps of every size: a few rows and columns each; a repainted tile, its
    // rectangle besides; a new colour or a view that leaves all behind, the whole.
    for (int i = 0; i < 30; ++i) {
        x += static_cast<float>(i % 3 - 1 + i % 5) + (i == 20 ? 700.f : 0.f);
        y += static_cast<float>(2 - i % 4);
        Step step{x + 0.3f, y + 0.6f, true, 0, i == 0 ? ALL + 1 : STRIPS, nullptr};
        if (i == 10)
            step = {step.x, step.y, true, tile, STRIPS + tile,
                    [&] { paintTile(10, 8, plain.getTile(10, 8)->texture == flat[0] ? flat[1] : flat[0]); }};
        if (i == 15)
            step = {step.x, step.y, true, ALL, ALL + 1, [&] { clear = sf::Color(40, 10, 10); }};
        if (i == 20)
            step = {step.x, step.y, true, ALL, ALL + 1, nullptr};
        steps.push_back(step);
    }
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& step = steps[i];
        if (step.change)
            step.change();
        SCOPED_TRACE(std::to_string(i) + ": " + std::to_string(step.x) + ", " + std::to_string(step.y));
        ASSERT_TRUE(both.frame(sf::View(sf::Vector2f(step.x + 249.5f, step.y + 199.5f), sf::Vector2f(500, 400)), clear).second);
        EXPECT_EQ(both.kept.ground().served(), step.ring);
        const std::size_t painted = both.kept.ground().lastPainted();
        EXPECT_TRUE(painted >= step.least && painted < step.below) << painted;
    }
}
} // namespace

