// The editor in a zone pack: which one it works in, a new one, a folder copy of a .zip,
// saves that go into the pack's folder alone, and the held zone checked against its pack.

#include "editortesting.h"
#include "packtesting.h"
#include "world/levelfolder.h"
#include "world/pack.h"
#include "world/tile.h"
#include "world/zone.h"

#include <gtest/gtest.h>

#include <set>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using testsupport::readFile;

class EditorPackTest : public EditorFixture {
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        LevelFolder::choosePacks(packs);
    }
    void TearDown() override
    {
        LevelFolder::usePack(Pack::builtIn());
        LevelFolder::choosePacks("");
        EditorFixture::TearDown();
    }
    testsupport::Scratch scratch;
    const std::string packs = scratch.at("packs/");
};

// Lines typed in order, what the console said to each, and the files each made in the packs
// folder: after every line those and no others are there.
struct Typed {
    std::string line;
    Lines said; // empty: whatever it says
    std::vector<std::string> made;
};

TEST_F(EditorPackTest, NewPackTakesTheSavesAndAZipIsReadOnlyUntilCopied)
{
    const auto shipped = testsupport::snapshot("resources/lvl");
    std::set<std::string> files;
    auto type = [&](const std::vector<Typed>& lines) {
        for (const Typed& t : lines) {
            const Lines said = run(t.line);
            EXPECT_TRUE(t.said.empty() || said == t.said) << t.line << ": " << (said.empty() ? "" : said[0]);
            files.insert(t.made.begin(), t.made.end());
            std::set<std::string> there;
            std::error_code ignoreMissing;
            for (const auto& entry : fs::recursive_directory_iterator(packs, fs::directory_options(), ignoreMissing))
                if (entry.is_regular_file())
                    there.insert(entry.path().string().substr(packs.size()));
            EXPECT_EQ(there, files) << t.line;
        }
    };
    const std::string folder = packs + "Two Streets/";
    const std::string badStart = "Not a pack name: a name may not start with a dot nor hold a slash.";
    const std::string badSpace = "Not a pack name: a name may not be empty nor start or end with a space.";
    type({
        {"pack", {"Pack \"The errand\" (built in): resources/lvl/"}, {}},
        {"pack new \".hidden\"", {badStart}, {}},
        {"pack new \"a/b\"", {badStart}, {}},
        {"pack new \" x\"", {badSpace}, {}},
        {"pack new \"\"", {badSpace}, {}},
        {"pack old x", {"pack, pack new <name> or pack copy <name>"}, {}},
        {"pack new \"Two Streets\"", {"Made the pack \"Two Streets\" in " + folder + ": zones save there now."},
         {"Two Streets/pack.ini"}},
        {"pack", {"Pack \"Two Streets\" (folder): " + folder}, {}},
        {"pack new \"Two Streets\"", {"No pack made in " + packs + "Two Streets: something is there already."}, {}},
        {"new 12 6", {}, {}},
        {"id 3", {}, {}},
        {"save", {"Saved!"}, {"Two Streets/3.zn"}},
        // The shipped zone 2 is not this pack's.
        {"load 2", {"Failed to load zone 2! (" + folder + "2.zn: No such file or directory)"}, {}},
        {"load 3", {"Loaded zone 3 (unnamed), 12 x 6 tiles."}, {}},
    });
    EXPECT_EQ(readFile(folder + "pack.ini"),
              "[pack]\nname=Two Streets\nauthor=\nversion=1\ndescription=\nstart=0\nending=0\n");
    const std::string saved = readFile(folder + "3.zn");

    // The same pack as a .zip: loads, but never saves until copied into a folder.
    std::string why;
    Pack::Files zipped;
    ASSERT_TRUE(LevelFolder::pack().files(zipped, why)) << why;
    testsupport::writeFile(scratch.at("two.zip"), packtesting::archive(zipped));
    Pack zip;
    ASSERT_TRUE(zip.open(scratch.at("two.zip"), why, false)) << why;
    LevelFolder::usePack(zip);
    type({
        {"pack", {"Pack \"Two Streets\" (.zip, read only): " + scratch.at("two.zip")}, {}},
        {"load 3", {"Loaded zone 3 (unnamed), 12 x 6 tiles."}, {}},
        {"note Changed", {}, {}},
        {"save", {"Not saved: the pack \"Two Streets\" is a .zip and read only. pack copy <name> unpacks it into a "
                  "folder pack to save in."}, {}},
        {"pack copy Mine", {"Copied \"Two Streets\" into the folder pack \"Mine\" in " + packs
                            + "Mine/: zones save there now."}, {"Mine/pack.ini", "Mine/3.zn"}},
    });
    EXPECT_EQ(readFile(packs + "Mine/3.zn"), saved);
    EXPECT_NE(readFile(packs + "Mine/pack.ini").find("name=Mine\n"), std::string::npos);
    // Without a place for packs nothing is made, and the editor stays in its pack.
    const std::string nowhere = "There is no folder for packs: neither XDG_DATA_HOME nor HOME is set.";
    type({{"save", {"Saved!"}, {}}});
    LevelFolder::choosePacks("");
    type({
        {"pack new Other", {nowhere}, {}},
        {"pack copy Other", {nowhere}, {}},
        {"pack", {"Pack \"Mine\" (folder): " + packs + "Mine/"}, {}},
    });
    EXPECT_NE(readFile(packs + "Mine/3.zn"), saved);
    EXPECT_EQ(readFile(folder + "3.zn"), saved) << "the first pack is left as it was";
    EXPECT_EQ(testsupport::snapshot("resources/lvl"), shipped) << "nothing written among the shipped zones";
}

// check: the held zone, unsaved, against the rest of its pack.
TEST_F(EditorPackTest, CheckNamesEachProblemOfTheHeldZoneWithItsTile)
{
    packtesting::playFolder(packs + "Checked", packtesting::twoStreets("Checked", 0, 1));
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
