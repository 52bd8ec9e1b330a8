#include "world/resourcemanager.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <SFML/Audio/Sound.hpp>
#include <SFML/Audio/SoundBuffer.hpp>

#include <vector>

namespace {

using testsupport::ScopedCwd;
using testsupport::TreeOptions;

// Builds a tree, loads it and hands back what stdout said; unloads afterwards.
struct LoadResult {
    bool ok;
    std::string out;
};

LoadResult loadTree(const TreeOptions& options)
{
    testsupport::window();
    const std::string dir = testsupport::makeTempDir();
    testsupport::writeResourceTree(dir, options);
    ScopedCwd cwd(dir);
    testing::internal::CaptureStdout();
    const bool ok = ResourceManager::loadResources();
    return {ok, testing::internal::GetCapturedStdout()};
}

class ResourceManagerTest : public ::testing::Test {
protected:
    void TearDown() override { ResourceManager::unloadResources(); }
};

TEST_F(ResourceManagerTest, TileListEndsAtFirstGapWithOneNote)
{
    TreeOptions options;
    options.tileCount = 6;
    options.extra = {"resources/gfx/tiles/7.png"};
    const LoadResult result = loadTree(options);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(ResourceManager::tileTextures.size(), 6u);
    EXPECT_EQ(result.out, "^ Dont worry about this error message ;)\n");
    EXPECT_NE(testsupport::sfErrors().find("resources/gfx/tiles/6.png"), std::string::npos);
    EXPECT_EQ(testsupport::sfErrors().find("tiles/7.png"), std::string::npos);
}

TEST_F(ResourceManagerTest, LoadsEveryKeyPropAndSound)
{
    const LoadResult result = loadTree(TreeOptions());
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(ResourceManager::textures.size(), 41u);
    for (const std::string& path : ResourceManager::texturePaths())
        EXPECT_EQ(ResourceManager::getTexture(path).getSize().x > 0, true) << path;
    ASSERT_EQ(ResourceManager::doodadTextures.size(), 12u);
    EXPECT_EQ(ResourceManager::getDoodadTexture(0).path, "resources/gfx/doodads/street_lamp_downright.png");
    EXPECT_EQ(ResourceManager::getDoodadTexture(0).originX, 119);
    EXPECT_EQ(ResourceManager::getDoodadTexture(0).originY, 356);
    EXPECT_EQ(ResourceManager::getDoodadTexture(4).originX, 166);
    EXPECT_EQ(ResourceManager::getDoodadTexture(7).path, "resources/gfx/doodads/counter.png");
    EXPECT_EQ(ResourceManager::getDoodadTexture(11).originY, 210);
    EXPECT_EQ(ResourceManager::soundBuffers.size(), 4u);
}

TEST_F(ResourceManagerTest, PortraitTableFallsBackToDefault)
{
    ASSERT_TRUE(loadTree(TreeOptions()).ok);
    auto key = [](int n) {
        const sf::Texture* t = &ResourceManager::getPortrait(n);
        for (const auto& entry : ResourceManager::textures)
            if (entry.second == t)
                return entry.first;
        return std::string("?");
    };
    const std::string base = "resources/gfx/portraits/";
    EXPECT_EQ(key(0), base + "otaku.png");
    EXPECT_EQ(key(1), base + "clerk_portrait.png");
    EXPECT_EQ(key(2), base + "robber_portrait.png");
    EXPECT_EQ(key(3), base + "pell_garrow.png");
    EXPECT_EQ(key(5), base + "default_portrait2.png");
    for (int n : {4, 6, -1, 1000})
        EXPECT_EQ(key(n), base + "default_portrait.png") << n;
}

TEST_F(ResourceManagerTest, MissingSoundOrSheetIsReportedAndStartupGoesOn)
{
    TreeOptions options;
    options.omit = {"resources/sfx/death.wav", "resources/gfx/robber/gangster_walk_upright.png"};
    const LoadResult result = loadTree(options);
    ASSERT_TRUE(result.ok);
    EXPECT_NE(result.out.find("Error loading: resources/sfx/death.wav!\n"), std::string::npos);
    EXPECT_EQ(ResourceManager::soundBuffers.count("resources/sfx/death.wav"), 0u);
    ResourceManager::playSound("resources/sfx/death.wav"); // plays nothing, fails nothing
    EXPECT_TRUE(ResourceManager::sounds.empty());
    EXPECT_EQ(ResourceManager::getTexture("resources/gfx/robber/gangster_walk_upright.png").getSize().x, 0u);
}

TEST_F(ResourceManagerTest, TileListHasNoCapBeforeItsFirstGap)
{
    TreeOptions options;
    options.tileCount = 1100;
    const LoadResult result = loadTree(options);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(ResourceManager::tileTextures.size(), 1100u);
    EXPECT_EQ(result.out, "^ Dont worry about this error message ;)\n");
    EXPECT_NE(testsupport::sfErrors().find("resources/gfx/tiles/1100.png"), std::string::npos);
}

// Music and fonts are reported by the media library alone; the rest with a line of ours.
TEST_F(ResourceManagerTest, FatalFilesStopStartupWithOneReport)
{
    for (const std::string missing : {"resources/sfx/untitled9.ogg", "resources/font/ArcadeClassic.ttf",
                                      "resources/font/Blockstepped.ttf", "resources/font/ADDLG.ttf",
                                      "resources/gfx/doodads/fridge_upright.png", "resources/gfx/tiles/0.png"}) {
        const bool ours = missing.find("gfx/") != std::string::npos;
        testsupport::clearSfErrors();
        TreeOptions options;
        options.omit = {missing};
        const LoadResult result = loadTree(options);
        EXPECT_FALSE(result.ok) << missing;
        if (ours) {
            const std::string line = "Cannot start: " + missing.substr(0, missing.find("0.png"));
            EXPECT_NE(result.out.find(line), std::string::npos) << result.out;
        } else {
            EXPECT_EQ(result.out, "") << missing;
        }
        EXPECT_NE(testsupport::sfErrors().find(missing), std::string::npos) << missing;
        ResourceManager::unloadResources();
    }
}

TEST_F(ResourceManagerTest, StoppedVoicesArePrunedAndVoicesPlayUntilTheDeviceHasNoMoreSources)
{
    ASSERT_TRUE(loadTree(TreeOptions()).ok);
    for (int i = 0; i < 3; ++i)
        ResourceManager::playSound("resources/sfx/hit.wav");
    EXPECT_EQ(ResourceManager::sounds.size(), 3u);
    for (sf::Sound& voice : ResourceManager::sounds)
        voice.stop();
    ResourceManager::playSound("resources/sfx/hit.wav");
    EXPECT_EQ(ResourceManager::sounds.size(), 1u);

    // Long enough that none ends during the test. The silent driver gives 256 sources.
    std::vector<sf::Int16> samples(22050 * 20, 1000);
    sf::SoundBuffer longHit;
    ASSERT_TRUE(longHit.loadFromSamples(samples.data(), samples.size(), 1, 22050));
    sf::SoundBuffer* saved = ResourceManager::soundBuffers["resources/sfx/hit.wav"];
    ResourceManager::soundBuffers["resources/sfx/hit.wav"] = &longHit;
    for (int i = 0; i < 400; ++i)
        ResourceManager::playSound("resources/sfx/hit.wav");
    const std::size_t voices = ResourceManager::sounds.size();
    EXPECT_GT(voices, 240u);
    EXPECT_LT(voices, 257u);
    for (sf::Sound& voice : ResourceManager::sounds)
        EXPECT_EQ(voice.getStatus(), sf::Sound::Playing);
    ResourceManager::sounds.clear();
    ResourceManager::soundBuffers["resources/sfx/hit.wav"] = saved;
}

TEST(ResourceManagerDeathTest, UnknownOrDoubleKeysAreProgrammingErrors)
{
    EXPECT_DEATH(ResourceManager::getTexture("nope.png"), "textures.find\\(path\\) != textures.end\\(\\)");
    EXPECT_DEATH({
        ResourceManager::loadTexture("twice.png");
        ResourceManager::loadTexture("twice.png");
    }, "textures.find\\(path\\) == textures.end\\(\\)");
}

} // namespace
