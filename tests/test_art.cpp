// The committed art against what the game expects of it: every file there, sheets that
// cut into whole frames, feet on the sprite origins, nothing clipped at a frame edge,
// floors that tile without gaps, opaque portraits, and a generator that repeats itself.

#include "characters/clerk.h"
#include "characters/malepedestrian.h"
#include "characters/player.h"
#include "world/resourcemanager.h"
#include "characters/robber.h"
#include "testsupport.h"
#include "world/zone.h"

#include <SFML/Graphics/Image.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const sf::Uint8 SOLID = 200; // the soft ground shadows stay well below this

struct NamedAnimation {
    std::string name;
    const Animation* animation;
    bool lying; // a death ends on the ground, away from the origin
};

// Builds the four characters on the committed resources and hands out their animations.
class Cast {
public:
    Cast() : zone(0, 4, 4, nullptr), player(&zone.entities), robber(&zone.entities), pedestrian(&zone.entities), clerk(&zone.entities) {}

    std::vector<NamedAnimation> animations() const
    {
        return {{"player idle", &player.idle, false},
                {"player punch", &player.punchAnimation, false},
                {"player spin kick", &player.spinKickAnimation, false},
                {"player walk", &player.walk, false},
                {"player throw", &player.throwAnimation, false},
                {"player hurt", &player.hurt, false},
                {"player death", &player.death, true},
                {"robber idle", &robber.idle, false},
                {"robber walk", &robber.walk, false},
                {"robber punch", &robber.punch, false},
                {"robber spin", &robber.spin, false},
                {"robber hurt", &robber.hurt, false},
                {"robber death", &robber.death, true},
                {"pedestrian spin", &pedestrian.spin, false},
                {"pedestrian throw", &pedestrian.throwAnimation, false},
                {"pedestrian walking", &pedestrian.walking, false},
                {"clerk walk", &clerk.walk, false}};
    }

private:
    Zone zone;
    Player player;
    Robber robber;
    MalePedestrian pedestrian;
    Clerk clerk;
};

class ArtTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::loadRepoResources(); }
};

// Bottom-most row holding a solid pixel inside a rectangle of the image, or -1.
int lowestSolidRow(const sf::Image& image, const sf::IntRect& r)
{
    for (int y = r.top + r.height - 1; y >= r.top; --y)
        for (int x = r.left; x < r.left + r.width; ++x)
            if (image.getPixel(x, y).a >= SOLID)
                return y - r.top;
    return -1;
}

// Whether anything visible touches the rectangle's edge (art cut off by its frame).
bool touchesEdge(const sf::Image& image, const sf::IntRect& r)
{
    for (int x = r.left; x < r.left + r.width; ++x)
        if (image.getPixel(x, r.top).a > 0 || image.getPixel(x, r.top + r.height - 1).a > 0)
            return true;
    for (int y = r.top; y < r.top + r.height; ++y)
        if (image.getPixel(r.left, y).a > 0 || image.getPixel(r.left + r.width - 1, y).a > 0)
            return true;
    return false;
}

using testsupport::readFile;

} // namespace

TEST_F(ArtTest, EveryImageTheGameLoadsIsCommitted)
{
    const fs::path root = testsupport::repoDir();
    for (const std::string& path : ResourceManager::texturePaths()) {
        EXPECT_TRUE(fs::is_regular_file(root / path)) << path;
        EXPECT_GT(ResourceManager::getTexture(path).getSize().x, 0u) << path;
    }
    ASSERT_EQ(ResourceManager::doodadTextures.size(), 12u);
    for (const DoodadTexture& prop : ResourceManager::doodadTextures)
        EXPECT_TRUE(fs::is_regular_file(root / prop.path)) << prop.path;
    // Grass, roads, paving, shop floors, walls and a hedge at the least.
    EXPECT_GE(ResourceManager::tileTextures.size(), 12u);
}

TEST_F(ArtTest, SheetsCutIntoWholeFramesWithMatchingViewsAndOriginsInside)
{
    Cast cast;
    for (const NamedAnimation& named : cast.animations()) {
        SCOPED_TRACE(named.name);
        const Animation& a = *named.animation;
        const sf::Vector2u up = a.upFrames[0].getTexture()->getSize();
        const sf::Vector2u down = a.downFrames[0].getTexture()->getSize();
        EXPECT_EQ(up, down);
        const unsigned rows = static_cast<unsigned>((a.frameCount + 3) / 4);
        EXPECT_EQ(up.x % 4, 0u);
        EXPECT_EQ(up.y % rows, 0u);
        const sf::IntRect last = a.upFrames.back().getTextureRect();
        EXPECT_EQ(static_cast<unsigned>(last.top + last.height), up.y) << "the last row must end the sheet";
        const sf::Vector2f origin = a.upFrames[0].getOrigin();
        EXPECT_GT(origin.x, 0.0f);
        EXPECT_LT(origin.x, static_cast<float>(last.width));
        EXPECT_GT(origin.y, 0.0f);
        EXPECT_LT(origin.y, static_cast<float>(last.height));
    }
}

TEST_F(ArtTest, CharactersStandOnTheirOriginsAndNoFrameIsCutOff)
{
    Cast cast;
    for (const NamedAnimation& named : cast.animations()) {
        const Animation& a = *named.animation;
        for (const std::vector<sf::Sprite>* frames : {&a.upFrames, &a.downFrames}) {
            const sf::Image sheet = (*frames)[0].getTexture()->copyToImage();
            for (int i = 0; i < a.frameCount; ++i) {
                SCOPED_TRACE(named.name + (frames == &a.upFrames ? " up" : " down") + " frame " + std::to_string(i));
                const sf::Sprite& frame = (*frames)[static_cast<std::size_t>(i)];
                const sf::IntRect r = frame.getTextureRect();
                EXPECT_FALSE(touchesEdge(sheet, r));
                const int feet = lowestSolidRow(sheet, r);
                ASSERT_GE(feet, 0) << "empty frame";
                if (!named.lying) {
                    // The shoes reach down to the origin, give or take a wide stance or a lifted foot.
                    EXPECT_NEAR(feet, frame.getOrigin().y, 24.0f);
                    const sf::IntRect soles(r.left + static_cast<int>(frame.getOrigin().x) - 40, r.top + feet - 1, 80, 2);
                    EXPECT_GE(lowestSolidRow(sheet, soles), 0) << "feet far from the origin's column";
                }
            }
        }
    }
}

TEST_F(ArtTest, EveryViewFrameAndTileIsDrawnForItself)
{
    // Catches a copied job or a pose that ignores its frame: views differ, frames
    // move, tiles are all different.
    auto bytes = [](const sf::Image& image) {
        return std::string(reinterpret_cast<const char*>(image.getPixelsPtr()), image.getSize().x * image.getSize().y * 4);
    };
    Cast cast;
    for (const NamedAnimation& named : cast.animations()) {
        const Animation& a = *named.animation;
        const sf::Image up = a.upFrames[0].getTexture()->copyToImage();
        EXPECT_NE(bytes(up), bytes(a.downFrames[0].getTexture()->copyToImage())) << named.name;
        std::set<std::string> frames;
        for (const sf::Sprite& frame : a.upFrames) {
            const sf::IntRect r = frame.getTextureRect();
            sf::Image cut;
            cut.create(static_cast<unsigned>(r.width), static_cast<unsigned>(r.height));
            cut.copy(up, 0, 0, r);
            frames.insert(bytes(cut));
        }
        // Idles only breathe, so a few neighbouring frames may match; nothing stands still.
        EXPECT_GE(frames.size(), static_cast<std::size_t>(a.frameCount) / 2) << named.name;
    }
    std::set<std::string> tiles;
    for (const sf::Texture& tile : ResourceManager::tileTextures)
        tiles.insert(bytes(tile.copyToImage()));
    EXPECT_EQ(tiles.size(), ResourceManager::tileTextures.size());
    std::set<std::string> props;
    for (const DoodadTexture& prop : ResourceManager::doodadTextures)
        props.insert(bytes(prop.texture.copyToImage()));
    EXPECT_EQ(props.size(), ResourceManager::doodadTextures.size());
}

TEST_F(ArtTest, PropsStandOnTheirOriginsInsideTheirImages)
{
    for (const DoodadTexture& prop : ResourceManager::doodadTextures) {
        SCOPED_TRACE(prop.path);
        const sf::Image image = prop.texture.copyToImage();
        const sf::Vector2u size = image.getSize();
        ASSERT_LT(static_cast<unsigned>(prop.originX), size.x);
        ASSERT_LT(static_cast<unsigned>(prop.originY), size.y);
        EXPECT_FALSE(touchesEdge(image, sf::IntRect(0, 0, static_cast<int>(size.x), static_cast<int>(size.y))));
        // Something solid stands just above the contact point.
        const sf::IntRect foot(prop.originX - 24, prop.originY - 24, 48, 40);
        const int row = lowestSolidRow(image, foot);
        EXPECT_GE(row, 0);
        // All props share one size, so a sprite keeping the first prop's rectangle shows any.
        EXPECT_EQ(size, ResourceManager::doodadTextures[0].texture.getSize());
    }
}

TEST_F(ArtTest, FloorsFillTheirDiamondExactlyAndWallsStandOnIt)
{
    for (std::size_t n = 0; n < ResourceManager::tileTextures.size(); ++n) {
        SCOPED_TRACE("tile " + std::to_string(n));
        const sf::Image image = ResourceManager::tileTextures[n].copyToImage();
        const sf::Vector2u size = image.getSize();
        ASSERT_EQ(size.x, 128u);
        ASSERT_GE(size.y, 64u);
        const unsigned top = size.y - 64; // the diamond's rows
        EXPECT_EQ(image.getPixel(64, top + 32).a, 255);
        EXPECT_EQ(image.getPixel(64, size.y - 1).a, 255);
        EXPECT_EQ(image.getPixel(0, size.y - 1).a, 0);
        EXPECT_EQ(image.getPixel(127, size.y - 1).a, 0);
        if (size.y > 64)
            continue;
        // Every pixel whose centre lies in the diamond is solid and every other one clear,
        // so neighbouring floors meet with neither gaps nor overlaps.
        int wrong = 0;
        for (unsigned y = 0; y < 64; ++y)
            for (unsigned x = 0; x < 128; ++x) {
                const float dx = std::fabs(x + 0.5f - 64.0f) / 64.0f, dy = std::fabs(y + 0.5f - 32.0f) / 32.0f;
                const bool inside = dx + dy <= 1.0f;
                wrong += (image.getPixel(x, y).a == (inside ? 255 : 0)) ? 0 : 1;
            }
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(ArtTest, PortraitsAreSixDifferentOpaqueSquaresForTheDialogBox)
{
    std::set<std::string> faces; // not one face copied six times
    for (int number = 0; number <= 5; ++number) {
        SCOPED_TRACE("portrait " + std::to_string(number));
        const sf::Image image = ResourceManager::getPortrait(number).copyToImage();
        ASSERT_EQ(image.getSize(), sf::Vector2u(100, 100));
        int seeThrough = 0;
        for (unsigned y = 0; y < 100; ++y)
            for (unsigned x = 0; x < 100; ++x)
                seeThrough += image.getPixel(x, y).a < 255 ? 1 : 0;
        EXPECT_EQ(seeThrough, 0) << "the magenta backing would show";
        faces.insert(std::string(reinterpret_cast<const char*>(image.getPixelsPtr()), 100 * 100 * 4));
    }
    EXPECT_EQ(faces.size(), 6u);
}

#ifdef MORVANE_ARTGEN
TEST(ArtGenerator, PaintsTheSameBytesOnEveryRun)
{
    const std::string a = testsupport::makeTempDir(), b = testsupport::makeTempDir();
    const std::string subset = " tiles/2.png doodads/car_upright portraits/otaku clerk_walk_upright";
    for (const std::string& dir : {a, b}) {
        const std::string command = std::string(MORVANE_ARTGEN) + " " + dir + subset + " > /dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(a)) {
        if (!entry.is_regular_file())
            continue;
        ++files;
        const fs::path twin = fs::path(b) / fs::relative(entry.path(), a);
        EXPECT_EQ(readFile(entry.path()), readFile(twin)) << twin;
    }
    EXPECT_EQ(files, 4);
    fs::remove_all(a);
    fs::remove_all(b);
}
#endif

#ifdef MORVANE_ARTGEN
// The generator's own drawing code: the places where a slip would spoil every image.

#include "core/globals.h"
#include "iso.h"
#include "noise.h"
#include "raster.h"
#include "skeleton.h"

TEST(ArtPainter, ShapesMeasureSignedDistancesInPixels)
{
    const art::Shape c = art::circle({10, 10}, 5);
    EXPECT_FLOAT_EQ(c.sdf({10, 10}), -5.0f);
    EXPECT_FLOAT_EQ(c.sdf({18, 10}), 3.0f);
    const art::Shape square = art::rect(0, 0, 10, 10);
    EXPECT_FLOAT_EQ(square.sdf({5, 5}), -5.0f);
    EXPECT_FLOAT_EQ(square.sdf({13, 14}), 5.0f);
    const art::Shape pill = art::capsule({0, 0}, {10, 0}, 2, 2);
    EXPECT_FLOAT_EQ(pill.sdf({5, 3}), 1.0f);
    EXPECT_FLOAT_EQ(pill.sdf({-4, 0}), 2.0f);
    const art::Shape bitten = art::subtract(square, art::circle({10, 10}, 4));
    EXPECT_GT(bitten.sdf({9, 9}), 0.0f);
    EXPECT_LT(art::unite(square, c).sdf({14, 10}), 0.0f);
    // An ellipse keeps a distance, not a ratio, so its edge band stays a pixel wide.
    EXPECT_NEAR(art::ellipse({0, 0}, 20, 5).sdf({22, 0}), 2.0f, 0.05f);
    EXPECT_NEAR(art::ellipse({0, 0}, 20, 5).sdf({0, 7}), 2.0f, 0.05f);
}

TEST(ArtPainter, FillSmoothsEdgesAndRingsShapesWithTheOutline)
{
    art::Canvas canvas(40, 20);
    const art::Col red = art::rgb(255, 0, 0), ink = art::rgb(0, 0, 0);
    canvas.fill(art::rect(10, 5.5f, 30, 15), red, 2.0f, ink);
    const sf::Image image = canvas.toImage();
    EXPECT_EQ(image.getPixel(20, 10), sf::Color(255, 0, 0, 255));  // inside
    EXPECT_EQ(image.getPixel(8, 10), sf::Color(0, 0, 0, 255));     // in the outline band
    EXPECT_EQ(image.getPixel(2, 10).a, 0);                         // clear of both
    const sf::Color edge = image.getPixel(20, 5);                  // half on the fill's edge
    EXPECT_GT(edge.r, 100);
    EXPECT_LT(edge.r, 160);
    EXPECT_EQ(edge.a, 255);
}

TEST(ArtPainter, TranslucentPaintKeepsItsColourThroughCompositingAndSaving)
{
    art::Canvas canvas(4, 4);
    canvas.blend(1, 1, art::rgb(200, 100, 50, 0.5f), 1.0f);
    canvas.blend(2, 2, art::rgb(200, 100, 50, 0.5f), 1.0f);
    canvas.blend(2, 2, art::rgb(200, 100, 50, 0.5f), 1.0f);
    const sf::Image image = canvas.toImage();
    EXPECT_EQ(image.getPixel(1, 1), sf::Color(200, 100, 50, 128));
    EXPECT_EQ(image.getPixel(2, 2), sf::Color(200, 100, 50, 191));
    const art::Canvas back = art::Canvas::fromImage(image);
    EXPECT_NEAR(back.at(1, 1).r, 200 / 255.0f, 0.01f);
    const art::Canvas half = back.downscaled(2);
    EXPECT_NEAR(half.at(0, 0).a, 0.125f, 0.01f);
    EXPECT_NEAR(half.at(0, 0).g, 100 / 255.0f, 0.01f);
}

TEST(ArtPainter, CelShadingIsLitFromTheUpperLeft)
{
    art::Canvas canvas(40, 40);
    canvas.fill(art::circle({20, 20}, 16), art::toon(art::material(art::rgb(120, 120, 200), 16)));
    const art::Col lit = canvas.at(10, 10), base = canvas.at(20, 20), dark = canvas.at(31, 31);
    EXPECT_GT(lit.r + lit.g + lit.b, base.r + base.g + base.b);
    EXPECT_GT(base.r + base.g + base.b, dark.r + dark.g + dark.b);
    EXPECT_GT(dark.b, dark.r); // shadows lean cool
}

TEST(ArtPainter, BoxesAreLitOnTopAndDarkestOnTheRight)
{
    art::Canvas canvas(80, 80);
    const art::Vec2 ground{40, 60};
    art::drawBox(canvas, ground, -16, 16, -16, 16, 0, 30, art::shadedBox(art::rgb(150, 120, 90)));
    auto brightness = [&](art::Vec2 p) {
        const art::Col c = canvas.at(static_cast<int>(p.x), static_cast<int>(p.y));
        return c.r + c.g + c.b;
    };
    const float top = brightness(art::iso(ground, 0, 0, 30));
    const float left = brightness(art::iso(ground, 0, 16, 15));
    const float right = brightness(art::iso(ground, 16, 0, 15));
    EXPECT_GT(top, left);
    EXPECT_GT(left, right);
    EXPECT_EQ(canvas.at(40, 5).a, 0.0f); // clear above the lid
}

TEST(ArtPainter, PeriodicNoiseRepeatsSoNeighbouringTilesMeet)
{
    for (float x = 0.0f; x < 8.0f; x += 0.37f)
        for (float y = 0.0f; y < 8.0f; y += 0.53f) {
            EXPECT_NEAR(art::noise(x, y, 8, 11), art::noise(x + 8, y, 8, 11), 1e-5f);
            EXPECT_NEAR(art::noise(x, y, 8, 11), art::noise(x, y - 16, 8, 11), 1e-5f);
        }
    EXPECT_NE(art::noise(0.5f, 0.5f, 8, 11), art::noise(0.5f, 0.5f, 8, 12));
}

TEST(ArtSkeleton, LimbsKeepTheirLengthsInAnyPose)
{
    const art::Build build;
    art::Rng rng(7);
    auto dist = [](art::V3 a, art::V3 b) { return std::sqrt(art::dot(a - b, a - b)); };
    for (int i = 0; i < 50; ++i) {
        art::Pose p;
        p.turn = rng.range(-400, 400);
        p.lean = rng.range(-90, 30);
        p.twist = rng.range(-40, 40);
        p.bend = rng.range(-10, 30);
        for (art::Limb* l : {&p.armL, &p.armR, &p.legL, &p.legR})
            *l = {rng.range(-60, 170), rng.range(0, 90), rng.range(0, 130), rng.range(-40, 40)};
        const art::Joints j = art::solve(build, p, rng.range(-180, 180));
        for (int s = 0; s < 2; ++s) {
            EXPECT_NEAR(dist(j.hip[s], j.knee[s]), build.thigh, 1e-3f);
            EXPECT_NEAR(dist(j.knee[s], j.ankle[s]), build.shin, 1e-3f);
            EXPECT_NEAR(dist(j.shoulder[s], j.elbow[s]), build.upperArm, 1e-3f);
            EXPECT_NEAR(dist(j.elbow[s], j.hand[s]), build.foreArm, 1e-3f);
        }
    }
}

TEST(ArtSkeleton, FacingsAndCameraAgreeWithTheGamesProjection)
{
    // Facing -90 walks toward world +x, 180 toward world -y; on screen both must run
    // along the game's own isometric axes.
    const art::Build build;
    for (float facing : {-90.0f, 180.0f}) {
        art::Pose p;
        const art::Joints j = art::solve(build, p, facing);
        const art::V3 ahead = j.body * art::V3{0, 1, 0};
        const art::Vec2 s = art::project(ahead, {0, 0});
        const sf::Vector2f g = worldToScreen(sf::Vector2f(ahead.x, ahead.y));
        EXPECT_NEAR(s.x * g.y - s.y * g.x, 0.0f, 1e-4f) << facing;
        EXPECT_GT(s.x * g.x + s.y * g.y, 0.0f) << facing;
    }
    // Heights rise straight up the screen.
    EXPECT_LT(art::project({0, 0, 10}, {0, 0}).y, 0.0f);
    EXPECT_FLOAT_EQ(art::project({0, 0, 10}, {0, 0}).x, 0.0f);
}
#endif

#ifdef MORVANE_ARTGEN
// The poses behind the frames the game acts on.

#include "characters.h"

namespace {

const art::Animation& animationFor(const std::string& pathPart)
{
    for (const art::Animation& a : art::animations())
        if (a.downPath.find(pathPart) != std::string::npos)
            return a;
    ADD_FAILURE() << "no animation " << pathPart;
    return art::animations().front();
}

art::Joints jointsOf(const art::Animation& a, int frame)
{
    return art::solve(a.style.build, a.pose(frame), art::DOWN_RIGHT);
}

float reach(const art::Joints& j, int side)
{
    const art::V3 d = j.hand[side] - j.shoulder[side];
    return std::sqrt(art::dot(d, d));
}

float ahead(const art::Joints& j, art::V3 p)
{
    const art::V3 forward = art::rotZ(art::DOWN_RIGHT) * art::V3{0, 1, 0};
    return art::dot(p - j.pelvis, forward);
}

} // namespace

TEST(ArtPoses, PunchesLandWithTheFistFullyOutOnFramesFourAndSeven)
{
    for (const char* who : {"otaku_punch", "gangster_punch"}) {
        SCOPED_TRACE(who);
        const art::Animation& a = animationFor(who);
        const float arm = a.style.build.upperArm + a.style.build.foreArm;
        const int hitFrame[2] = {7, 4}; // left fist, right fist
        for (int side = 0; side < 2; ++side) {
            const art::Joints hit = jointsOf(a, hitFrame[side]);
            EXPECT_NEAR(reach(hit, side), arm, 0.5f);
            for (int f = 0; f < a.frames; ++f) {
                if (f == hitFrame[side])
                    continue;
                const art::Joints other = jointsOf(a, f);
                EXPECT_LT(ahead(other, other.hand[side]), ahead(hit, hit.hand[side])) << "frame " << f;
            }
        }
    }
}

TEST(ArtPoses, SpinAttacksComeRoundToTheFacingOnFrameEight)
{
    for (const char* who : {"gangster_spin", "male_pedestrian/spin"}) {
        SCOPED_TRACE(who);
        const art::Animation& a = animationFor(who);
        const art::Joints j = jointsOf(a, 8);
        const float arm = a.style.build.upperArm + a.style.build.foreArm;
        // The leading fist points along the facing, arm out straight.
        EXPECT_GT(ahead(j, j.hand[1]) - ahead(j, j.shoulder[1]), 0.9f * arm);
        EXPECT_EQ(a.frames, std::string(who) == "gangster_spin" ? 11 : 12);
    }
}

TEST(ArtPoses, DeathsEndLyingAndWalksStandOnFrameTwo)
{
    for (const char* who : {"otaku_death", "gangster_death"}) {
        const art::Animation& a = animationFor(who);
        const art::Joints last = jointsOf(a, a.frames - 1);
        EXPECT_LT(last.head.z, 30.0f) << who;
        EXPECT_LT(last.chestTop.z, 30.0f) << who;
    }
    for (const char* who : {"clerk_walk", "male_pedestrian/walking"}) {
        const art::Joints j = jointsOf(animationFor(who), 2);
        // The standing frame: both feet down, close together under the hips.
        EXPECT_NEAR(j.ankle[0].z, j.ankle[1].z, 3.0f) << who;
        EXPECT_LT(std::fabs(ahead(j, j.ankle[0]) - ahead(j, j.ankle[1])), 8.0f) << who;
    }
}
#endif
