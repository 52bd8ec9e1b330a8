// The editor in a zone pack: which one it works in, a new one, a folder copy of a .zip,
// saves that go into the pack's folder alone, and the held zone checked against its pack.

#include "editortesting.h"
#include "packtesting.h"
#include "world/levelfolder.h"
#include "world/pack.h"
#include "world/tile.h"
#include "world/zone.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using testsupport::readFile;

// Every file under a folder with its bytes, to see that nothing there changed.
std::vector<std::pair<std::string, std::string>> snapshot(const std::string& folder)
{
    std::vector<std::pair<std::string, std::string>> all;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        all.emplace_back(entry.path().string(), entry.is_regular_file() ? readFile(entry.path().string()) : "");
    std::sort(all.begin(), all.end());
    return all;
}

class EditorPackTest : public EditorFixture {
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        packs = dir + "/packs/";
        LevelFolder::choosePacks(packs);
    }
    void TearDown() override
    {
        LevelFolder::usePack(Pack::builtIn());
        LevelFolder::choosePacks("");
        EditorFixture::TearDown();
        fs::remove_all(dir);
    }
    std::string dir = testsupport::makeTempDir();
    std::string packs;
};

TEST_F(EditorPackTest, NewPackTakesTheSavesAndAZipIsReadOnlyUntilCopied)
{
    const auto shipped = snapshot("resources/lvl");
    EXPECT_EQ(run("pack"), Lines{"Pack \"The errand\" (built in): resources/lvl/"});
    const struct {
        const char* line;
        const char* said;
    } refused[] = {
        {"pack new \".hidden\"", "Not a pack name: a name may not start with a dot nor hold a slash."},
        {"pack new \"a/b\"", "Not a pack name: a name may not start with a dot nor hold a slash."},
        {"pack new \" x\"", "Not a pack name: a name may not be empty nor start or end with a space."},
        {"pack new \"\"", "Not a pack name: a name may not be empty nor start or end with a space."},
        {"pack old x", "pack, pack new <name> or pack copy <name>"},
    };
    for (const auto& r : refused)
        EXPECT_EQ(run(r.line), Lines{r.said}) << r.line;
    EXPECT_FALSE(fs::exists(packs + "a")) << "nothing made for a refused name";

    const std::string folder = packs + "Two Streets/";
    EXPECT_EQ(run("pack new \"Two Streets\""), Lines{"Made the pack \"Two Streets\" in " + folder + ": zones save there now."});
    EXPECT_EQ(readFile(folder + "pack.ini"),
              "[pack]\nname=Two Streets\nauthor=\nversion=1\ndescription=\nstart=0\nending=0\n");
    EXPECT_EQ(run("pack"), Lines{"Pack \"Two Streets\" (folder): " + folder});
    EXPECT_EQ(run("pack new \"Two Streets\""),
              Lines{"No pack made in " + packs + "Two Streets: something is there already."});

    for (const char* line : {"new 12 6", "id 3"})
        run(line);
    EXPECT_EQ(run("save"), Lines{"Saved!"});
    ASSERT_TRUE(fs::exists(folder + "3.zn"));
    const std::string saved = readFile(folder + "3.zn");
    EXPECT_EQ(run("load 2"), Lines{"Failed to load zone 2! (" + folder + "2.zn: No such file or directory)"})
        << "the shipped zone 2 is not this pack's";
    EXPECT_EQ(run("load 3"), Lines{"Loaded zone 3 (unnamed), 12 x 6 tiles."});

    // The same pack as a .zip: loads, but never saves.
    std::string zip, why;
    Pack::Files files;
    ASSERT_TRUE(LevelFolder::pack().files(files, why)) << why;
    testsupport::writeFile(dir + "/two.zip", packtesting::archive(files));
    Pack zipped;
    ASSERT_TRUE(zipped.open(dir + "/two.zip", why, false)) << why;
    LevelFolder::usePack(zipped);
    EXPECT_EQ(run("pack"), Lines{"Pack \"Two Streets\" (.zip, read only): " + dir + "/two.zip"});
    EXPECT_EQ(run("load 3"), Lines{"Loaded zone 3 (unnamed), 12 x 6 tiles."});
    run("note Changed");
    EXPECT_EQ(run("save"), Lines{"Not saved: the pack \"Two Streets\" is a .zip and read only. pack copy <name> "
                                 "unpacks it into a folder pack to save in."});
    EXPECT_EQ(run("pack copy Mine"), Lines{"Copied \"Two Streets\" into the folder pack \"Mine\" in " + packs
                                           + "Mine/: zones save there now."});
    EXPECT_EQ(readFile(packs + "Mine/3.zn"), saved);
    EXPECT_NE(readFile(packs + "Mine/pack.ini").find("name=Mine\n"), std::string::npos);
    EXPECT_EQ(run("save"), Lines{"Saved!"});
    EXPECT_NE(readFile(packs + "Mine/3.zn"), saved);
    EXPECT_EQ(readFile(folder + "3.zn"), saved) << "the first pack is left as it was";
    EXPECT_EQ(snapshot("resources/lvl"), shipped) << "nothing written among the shipped zones";
}

TEST_F(EditorPackTest, WithoutAPlaceForPacksNothingIsMade)
{
    LevelFolder::choosePacks("");
    EXPECT_EQ(run("pack new Mine"), Lines{"There is no folder for packs: neither XDG_DATA_HOME nor HOME is set."});
    EXPECT_EQ(run("pack copy Mine"), Lines{"There is no folder for packs: neither XDG_DATA_HOME nor HOME is set."});
    EXPECT_EQ(LevelFolder::pack().kind(), Pack::Kind::BUILT_IN);
}

// check: the held zone, unsaved, against the rest of its pack.
TEST_F(EditorPackTest, CheckNamesEachProblemOfTheHeldZoneWithItsTile)
{
    packtesting::writeFolder(packs + "Checked", packtesting::twoStreets("Checked", 0, 1));
    Pack pack;
    std::string why;
    ASSERT_TRUE(pack.open(packs + "Checked", why)) << why;
    LevelFolder::usePack(pack);
    run("load 1");
    EXPECT_EQ(run("check"), Lines{"Zone 1: no problems in the pack \"Checked\"."});
    selectTile(5, 0);
    run("link 7");
    editor->currZone->getTile(5, 0)->type = TILE_LINKOUT;
    for (const auto& entry : editor->currZone->entities)
        if (entry.second->getType() == Entity::TYPE_ROBBER) {
            editor->currZone->entities.remove(entry.first);
            break;
        }
    EXPECT_EQ(run("check"), (Lines{"Zone 1: 2 problems in the pack \"Checked\".",
                                   "tile 5,0: links out to zone 7, which the pack lacks",
                                   "no robbers in the ending zone 1: the game would end as the player arrives"}));
    run("id 0");
    EXPECT_EQ(run("check"), (Lines{"Zone 0: 2 problems in the pack \"Checked\".",
                                   "tile 5,0: links out to zone 7, which the pack lacks",
                                   "no player in the start zone 0"}));
}

} // namespace
