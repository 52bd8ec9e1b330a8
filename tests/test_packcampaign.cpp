// A campaign of a designer's own, from the editor to another player's game: pack new, two
// zones made and saved into it, zonetool pack, then the .zip played as --pack plays it from
// its start zone through its own ending; and nothing written but into the packs folder.

#include "app/mainloop.h"
#include "app/statetable.h"
#include "characters/player.h"
#include "core/globals.h"
#include "core/input.h"
#include "editor/stateeditor.h"
#include "editortesting.h"
#include "packtesting.h"
#include "play/stategame.h"
#include "testsupport.h"
#include "world/levelfolder.h"
#include "world/pack.h"
#include "world/resourcemanager.h"
#include "world/tile.h"
#include "world/zone.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;
using editortesting::keyEvent;
using editortesting::tileCentre;

// The real states in a scratch folder (see RealStatesFixture), with HOME and the XDG folders
// in a scratch home of their own.
class PackCampaign : public RealStatesFixture {
protected:
    PackCampaign() : RealStatesFixture(STATE_GAME) {}
    void SetUp() override
    {
        chooseFolders(Pack::builtIn());
        RealStatesFixture::SetUp();
        frame();
    }
    void TearDown() override
    {
        RealStatesFixture::TearDown();
        LevelFolder::usePack(Pack::builtIn());
        LevelFolder::choosePacks("");
        LevelFolder::choose(true, "");
    }

    // A key the states take as an event, as the window gives it.
    void tap(sf::Keyboard::Key key)
    {
        script.queueEvent(keyEvent(key));
        hold(key);
    }
    void pointAt(int column, int row)
    {
        script.setMouse(window->mapCoordsToPixel(worldToScreen(tileCentre(column, row)), currentView()));
    }
    void click()
    {
        script.press(sf::Mouse::Left);
        frame();
        script.release(sf::Mouse::Left);
        frame();
    }
    // The view the state in front draws the world in, which maps the mouse.
    const sf::View& currentView() { return states[current]->getFrame().getView(); }
    StateEditor& editor() { return *static_cast<StateEditor*>(states[STATE_EDITOR]); }
    StateGame& game() { return *static_cast<StateGame*>(states[STATE_GAME]); }
    std::string said(const std::string& line)
    {
        testing::internal::CaptureStdout();
        editor().runCommand(line);
        testing::internal::GetCapturedStdout();
        return editor().console.log.front();
    }
    // A tile's kind and link set as a designer does: selected with the mouse, a key, link.
    void makeLink(int column, int row, sf::Keyboard::Key kind, int target)
    {
        hold(sf::Keyboard::Num2);
        pointAt(column, row);
        click();
        tap(kind);
        said("link " + std::to_string(target));
    }
    void stamp(int type, int column, int row)
    {
        hold(sf::Keyboard::Num3);
        editor().stampType = type;
        pointAt(column, row);
        tap(sf::Keyboard::Space);
    }

    testsupport::Scratch scratch;
    const std::string home = scratch.dir;
    testsupport::ScopedEnv env{{"HOME", home.c_str()},
                               {"XDG_DATA_HOME", (home + "/data").c_str()},
                               {"XDG_CONFIG_HOME", (home + "/config").c_str()}};
};

TEST_F(PackCampaign, MadeInTheEditorPackedAndPlayedThroughItsOwnEnding)
{
    const std::string packs = home + "/data/morvane/packs/";
    const std::string here = fs::current_path().string();
    const std::string onlyPacks = packs.substr(0, packs.size() - 1);
    const auto homeBefore = testsupport::snapshot(home, onlyPacks);
    const auto hereBefore = testsupport::snapshot(here, onlyPacks);

    hold(sf::Keyboard::F12);
    ASSERT_EQ(current, STATE_EDITOR);
    EXPECT_EQ(said("pack new Errand"), "Made the pack \"Errand\" in " + packs + "Errand/: zones save there now.");
    for (const char* line : {"new 12 6", "note Home", "id 0"})
        said(line);
    makeLink(11, 3, sf::Keyboard::C, 1);
    stamp(Entity::TYPE_PLAYER, 2, 3);
    EXPECT_EQ(said("save"), "Saved!");
    for (const char* line : {"new 12 6", "note \"The shop\"", "id 1"})
        said(line);
    makeLink(1, 3, sf::Keyboard::V, 0);
    stamp(Entity::TYPE_ROBBER, 10, 3);
    EXPECT_EQ(said("save"), "Saved!");
    // The designer says in pack.ini which zone ends the pack.
    const std::string ini = testsupport::readFile(packs + "Errand/pack.ini");
    testsupport::writeFile(packs + "Errand/pack.ini", ini.substr(0, ini.find("ending=0")) + "ending=1\n");
    EXPECT_EQ(said("check"), "Zone 1: no problems in the pack \"Errand\".");

    const std::string tool = std::string("'" MORVANE_ZONETOOL "' pack --tiles '") + testsupport::repoDir()
                           + "/resources/gfx/tiles' '" + packs + "Errand' -o '" + packs + "Errand.zip' >/dev/null 2>&1";
    ASSERT_EQ(std::system(tool.c_str()), 0);

    // Played from the .zip as morvane --pack FILE.zip plays it, from F12's new game.
    Pack pack;
    testing::internal::CaptureStdout();
    const bool opened = openPack(packs + "Errand.zip", pack);
    ASSERT_TRUE(opened) << testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStdout();
    chooseFolders(pack);
    std::srand(1);
    hold(sf::Keyboard::F12);
    ASSERT_EQ(current, STATE_GAME);
    EXPECT_EQ(LevelFolder::pack().kind(), Pack::Kind::ARCHIVE);
    EXPECT_EQ(game().getZone()->id, 0);
    EXPECT_EQ(game().getPlayer()->position, tileCentre(2, 3));
    int played = 0;
    script.press(sf::Mouse::Left);
    for (; played < 600 && game().getZone()->id == 0; ++played) {
        pointAt(11, 3);
        frame();
    }
    script.release(sf::Mouse::Left);
    ASSERT_EQ(game().getZone()->id, 1);
    for (; played < 4000 && game().getZone()->entities.countType(Entity::TYPE_ROBBER) > 0; ++played) {
        const Entity* robber = nullptr;
        for (const auto& entry : game().getZone()->entities)
            robber = entry.second->getType() == Entity::TYPE_ROBBER ? entry.second.get() : robber;
        script.setMouse(window->mapCoordsToPixel(worldToScreen(robber->position), currentView()));
        if (distance(robber->position, game().getPlayer()->position) < 40.f && played % 2 == 0)
            script.press(sf::Mouse::Right);
        else
            script.release(sf::Mouse::Right);
        frame();
    }
    script.release(sf::Mouse::Right);
    for (; played < 6000 && !game().showsEndCard(); ++played) {
        if (played % 10 == 0)
            script.press(sf::Keyboard::Return);
        else
            script.release(sf::Keyboard::Return);
        frame();
    }
    ASSERT_TRUE(game().showsEndCard());
    EXPECT_EQ(played, 1894);
    EXPECT_EQ(game().getFinished(), std::set<std::string>{"Errand"});

    EXPECT_EQ(testsupport::snapshot(home, onlyPacks), homeBefore) << "nothing written in the home folder but the packs";
    EXPECT_EQ(testsupport::snapshot(here, onlyPacks), hereBefore) << "nothing written among the game's resources";
    EXPECT_TRUE(fs::exists(packs + "Errand/0.zn") && fs::exists(packs + "Errand/1.zn"));
}

} // namespace
