#include "play/stategame.h"

#include "characters/doodad.h"
#include "core/globals.h"
#include "core/input.h"
#include "characters/malepedestrian.h"
#include "app/mainloop.h"
#include "render/presenter.h"
#include "characters/particle.h"
#include "characters/player.h"
#include "world/resourcemanager.h"
#include "characters/robber.h"
#include "testsupport.h"
#include "play/hud.h"
#include "play/trigger.h"
#include "play/zonesnapshot.h"
#include "packtesting.h"
#include "render/framelist.h"
#include "world/levelfolder.h"
#include "world/pack.h"
#include "world/zone.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>

namespace {

sf::Vector2f centreOf(int column, int row)
{
    return sf::Vector2f(column * TILE_SIZE + TILE_SIZE / 2, row * TILE_SIZE + TILE_SIZE / 2);
}

// A one-line scene that plays once when someone steps on tile 3,3.
void addGreeting(Zone& z)
{
    Trigger* t = z.entities.add(std::make_unique<Trigger>(&z.entities, 10.f, 1, true, 1));
    t->position = centreOf(3, 3);
    Event talk;
    talk.dialogLines.push_back(DialogLine{"Hi", 0, 0});
    t->events = {talk};
}

void setTile(Zone& z, int column, int row, TileType type, int link = -1)
{
    Tile* tile = z.getTile(column, row);
    tile->setType(type);
    tile->link = link;
}

template <typename T> T* place(Zone& z, int column, int row)
{
    T* e = z.entities.add(std::make_unique<T>(&z.entities));
    e->position = centreOf(column, row);
    return e;
}

// Writes resources/lvl/<id>.zn of an 8 x 8 floor zone that fill may change.
void writeZone(int id, const std::function<void(Zone&)>& fill)
{
    Zone z(id, 8, 8, nullptr);
    fill(z);
    testing::internal::CaptureStdout();
    const bool saved = z.save();
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(saved);
}

// Zone 0: the player on tile (1, 1), a way out to zone 3 on (5, 1), the way back in on (1, 6).
void writeStartZone(const std::function<void(Zone&)>& more = [](Zone&) {})
{
    writeZone(0, [&](Zone& z) {
        place<Player>(z, 1, 1);
        setTile(z, 5, 1, TILE_LINKOUT, 3);
        setTile(z, 1, 6, TILE_LINKIN, 3);
        more(z);
    });
}

// Zone 3: arrivals from zone 0 on (1, 1), the way back on (6, 1).
void writeZoneThree(const std::function<void(Zone&)>& more)
{
    writeZone(3, [&](Zone& z) {
        setTile(z, 1, 1, TILE_LINKIN, 0);
        setTile(z, 6, 1, TILE_LINKOUT, 0);
        more(z);
    });
}

class StateGameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::loadTestResources();
        clearLevels();
        ResourceManager::music().stop();
        input::setSource(&script);
        window = &testsupport::window();
    }
    void TearDown() override
    {
        input::setSource(nullptr);
        table.reset();
        ResourceManager::music().stop();
        if (!window->isOpen())
            Presenter::createWindow(*window);
        clearLevels(); // later tests start from no levels at all
        LevelFolder::usePack(Pack::builtIn());
        LevelFolder::choosePacks("");
    }

    static void clearLevels()
    {
        for (const auto& entry : std::filesystem::directory_iterator("resources/lvl"))
            std::filesystem::remove(entry.path());
    }

    void start()
    {
        table = createStates(window);
        states = table->get();
        current = STATE_GAME;
        testing::internal::CaptureStdout();
        states[current]->enter();
        startOutput = testing::internal::GetCapturedStdout();
        game = static_cast<StateGame*>(states[STATE_GAME]);
        frame(); // the camera's view is in place from here on
    }
    void frame()
    {
        testsupport::frame(states, &current, *window);
    }
    void frames(int n)
    {
        for (int i = 0; i < n; ++i)
            frame();
    }
    // A key as the window gives it: an event, and held for a frame.
    void tap(sf::Keyboard::Key key)
    {
        sf::Event event{};
        event.type = sf::Event::KeyPressed;
        event.key.code = key;
        script.queueEvent(event);
        script.press(key);
        frame();
        script.release(key);
        frame();
    }
    void aimAt(sf::Vector2f world)
    {
        script.setMouse(window->mapCoordsToPixel(worldToScreen(world), game->getFrame().getView()));
    }
    Player* player() const { return game->getPlayer(); }
    Zone* zone() const { return game->getZone(); }
    Robber* lastRobber() const
    {
        Robber* robber = nullptr;
        for (const auto& entry : zone()->entities)
            if (entry.second->getType() == Entity::TYPE_ROBBER)
                robber = static_cast<Robber*>(entry.second.get());
        return robber;
    }
    // Zone 0 with one robber on the tile given, played from its first frame.
    Robber* startWithRobber(int column, int row)
    {
        writeStartZone([&](Zone& z) { place<Robber>(z, column, row); });
        start();
        return lastRobber();
    }
    // The drawables of type T in the last frame's list that keep takes.
    template <class T, class Keep> std::vector<const T*> drawn(Keep keep) const
    {
        std::vector<const T*> found;
        const FrameList& list = game->getFrame();
        for (const FrameList::Item& item : list.items())
            if (const T* d = std::get_if<T>(&list.drawn(item)); d != nullptr && keep(*d))
                found.push_back(d);
        return found;
    }
    void pressF12()
    {
        script.press(sf::Keyboard::F12);
        frame();
        script.release(sf::Keyboard::F12);
        frame();
    }
    sf::Image screenshot()
    {
        sf::Texture shot;
        shot.create(window->getSize().x, window->getSize().y);
        shot.update(*window);
        return shot.copyToImage();
    }
    sf::Color centrePixel() { return screenshot().getPixel(window->getSize().x / 2, window->getSize().y / 2 + 20); }
    // The middle of the health bar's heart, which the test tree paints plain red.
    sf::Color heartPixel() { return screenshot().getPixel(26, 26); }
    // Pixels of the overlay's own text colour, which nothing else paints.
    int textPixels(const sf::FloatRect& area)
    {
        const sf::Image shot = screenshot();
        int found = 0;
        for (int y = static_cast<int>(area.top); y < static_cast<int>(area.top + area.height); ++y)
            for (int x = static_cast<int>(area.left); x < static_cast<int>(area.left + area.width); ++x)
                found += shot.getPixel(static_cast<unsigned>(x), static_cast<unsigned>(y)) == Hud::TEXT_COLOUR ? 1 : 0;
        return found;
    }
    int litPixels(const sf::FloatRect& area)
    {
        const sf::Image shot = screenshot();
        int lit = 0;
        for (int y = static_cast<int>(area.top); y < static_cast<int>(area.top + area.height); ++y)
            for (int x = static_cast<int>(area.left); x < static_cast<int>(area.left + area.width); ++x)
                lit += shot.getPixel(static_cast<unsigned>(x), static_cast<unsigned>(y)).r > 128 ? 1 : 0;
        return lit;
    }
    // Stands the player on a link-out tile and runs the whole change of zones.
    void crossLink(int column, int row)
    {
        player()->position = centreOf(column, row);
        frames(1 + 2 * StateGame::FADE_FRAMES);
        ASSERT_EQ(game->getFadeInTimer(), 0);
    }

    input::ScriptedSource script;
    sf::RenderWindow* window = nullptr;
    std::unique_ptr<StateTable> table;
    State** states = nullptr;
    int current = STATE_GAME;
    StateGame* game = nullptr;
    std::string startOutput;
};

TEST_F(StateGameTest, OneFrameClickDoesNotWalkButAHeldButtonDoes)
{
    writeStartZone();
    start();
    const sf::Vector2f from = player()->position;
    aimAt(centreOf(4, 4));
    script.press(sf::Mouse::Left);
    frame();
    script.release(sf::Mouse::Left);
    frames(10);
    EXPECT_EQ(player()->position, from);

    script.press(sf::Mouse::Left);
    frame();
    EXPECT_EQ(player()->position, from);
    frame();
    EXPECT_NE(player()->position, from);
    EXPECT_GT(player()->facing.x, 0.f);
    EXPECT_GT(player()->facing.y, 0.f);
}

TEST_F(StateGameTest, HeldRightButtonPunchesOnceEachNewPressAgainAndAPressOnThePlayerKeepsItsFacing)
{
    writeStartZone();
    start();
    aimAt(centreOf(1, 4)); // straight down the world's y axis
    script.press(sf::Mouse::Right);
    frame();
    EXPECT_EQ(player()->actionTimer, 47);
    EXPECT_NEAR(player()->facing.x, 0.f, 0.01f);
    EXPECT_NEAR(player()->facing.y, 1.f, 0.01f);
    frames(120);
    EXPECT_EQ(player()->actionTimer, 0);
    script.release(sf::Mouse::Right);
    frame();
    script.press(sf::Mouse::Right);
    frame();
    EXPECT_EQ(player()->actionTimer, 47);

    // A press on the player itself punches with the old facing.
    frames(60);
    script.release(sf::Mouse::Right);
    frame();
    player()->facing = sf::Vector2f(0.f, -1.f);
    aimAt(player()->position);
    script.press(sf::Mouse::Right);
    frame();
    EXPECT_EQ(player()->actionTimer, 47);
    EXPECT_NEAR(player()->facing.y, -1.f, 0.01f);
}

TEST_F(StateGameTest, APunchAimedAtABodyGoesTowardItsFeetAndAtBareGroundTowardTheGround)
{
    writeStartZone([](Zone& z) { place<Robber>(z, 1, 4); }); // straight down the world's y axis
    start();
    Unit* robber = lastRobber();
    ASSERT_NE(robber, nullptr);
    const sf::Vector2f feet = centreOf(1, 4);
    // A point of the body far from the feet (wherever this tree's sheets put the body), and
    // the ground under that point.
    sf::Vector2f body;
    for (float dy = -300.f; dy <= 0.f && body == sf::Vector2f(); dy += 4.f)
        for (float dx = -200.f; dx <= 200.f && body == sf::Vector2f(); dx += 4.f)
            if (std::abs(dx) + std::abs(dy) > 60.f && robber->showsAt(worldToScreen(feet) + sf::Vector2f(dx, dy)))
                body = worldToScreen(feet) + sf::Vector2f(dx, dy);
    ASSERT_NE(body, sf::Vector2f());
    const sf::Vector2f ground = normalize(screenToWorld(body) - player()->position);
    ASSERT_GT(std::abs(ground.x), 0.1f); // else the cases below could not tell the two apart
    const struct {
        sf::Vector2f standing;
        int hitPoints;
        sf::Vector2f facing;
    } cases[] = {
        {feet, 40, {0.f, 1.f}},        // alive and under the pointer: at the feet
        {centreOf(6, 6), 40, ground},  // elsewhere: the ground
        {feet, 0, ground},             // knocked down (last: it is gone after): the ground
    };
    for (const auto& c : cases) {
        robber->position = c.standing;
        robber->hitPoints = c.hitPoints;
        frame(); // shown where it now stands
        script.setMouse(window->mapCoordsToPixel(body, game->getFrame().getView()));
        script.press(sf::Mouse::Right);
        frame();
        script.release(sf::Mouse::Right);
        EXPECT_NEAR(player()->facing.x, c.facing.x, 0.02f) << c.hitPoints;
        EXPECT_NEAR(player()->facing.y, c.facing.y, 0.02f) << c.hitPoints;
        frames(60);
    }
}

// A blow that lands shows on whom it hits: its sprite drawn in the hit flash on the frame
// of the hit and the frames after, HIT_FLASH_FRAMES in all, then plain; a miss shows nothing.
TEST_F(StateGameTest, APunchThatLandsFlashesTheRobberForItsFramesAndAMissNobody)
{
    Robber* robber = startWithRobber(1, 5);
    ASSERT_NE(robber, nullptr);
    auto flashed = [this] { return drawn<sf::Sprite>([](const sf::Sprite& s) { return s.getColor() == Unit::HIT_FLASH; }).size(); };
    auto punchAt = [this](sf::Vector2f target) {
        aimAt(target);
        script.press(sf::Mouse::Right);
        frame();
        script.release(sf::Mouse::Right);
    };

    // Away from the robber, still far off: the punch plays out and nobody flashes.
    punchAt(centreOf(4, 1));
    for (int i = 0; i < 60; ++i) {
        EXPECT_EQ(flashed(), 0u) << i;
        frame();
    }
    ASSERT_EQ(robber->hitPoints, 50);

    robber->position = player()->position + sf::Vector2f(0.f, 40.f);
    punchAt(robber->position);
    int hitFrame = 0;
    for (; hitFrame < 60 && robber->hitPoints == 50; ++hitFrame) {
        EXPECT_EQ(flashed(), 0u) << hitFrame;
        frame();
    }
    ASSERT_EQ(robber->hitPoints, 45);
    EXPECT_TRUE(robber->flashing());
    EXPECT_EQ(flashed(), 1u);
    for (int i = 1; i < Unit::HIT_FLASH_FRAMES; ++i)
        frame();
    EXPECT_EQ(flashed(), 1u) << "the last frame of the flash";
    frame();
    EXPECT_EQ(flashed(), 0u) << "one past it";
    EXPECT_FALSE(robber->flashing());
    EXPECT_EQ(robber->hitPoints, 45) << "no second blow within the flash";
    EXPECT_FALSE(player()->flashing());
}

// Where the pointers stand at every window size is the overlay's layout test; here, who gets one.
TEST_F(StateGameTest, ARobberOutOfSightHasAPointerAtTheEdgeTowardItUntilInSightOrDown)
{
    Robber* robber = startWithRobber(7, 0);
    ASSERT_NE(robber, nullptr);
    auto pointers = [this] {
        return drawn<sf::ConvexShape>([](const sf::ConvexShape& c) { return c.getFillColor() == Hud::POINTER_COLOUR; });
    };
    // Off to the right, beyond the view: one, at the right edge.
    frame();
    ASSERT_EQ(pointers().size(), 1u);
    EXPECT_GT(pointers()[0]->getPoint(0).x, 760.f);
    robber->position = player()->position + sf::Vector2f(40.f, 0.f);
    frame();
    EXPECT_TRUE(pointers().empty()) << "in sight";
    robber->position = centreOf(7, 0);
    robber->hitPoints = 0;
    frame();
    EXPECT_TRUE(pointers().empty()) << "down";
}

TEST_F(StateGameTest, LinkFadesSixtyFramesSwitchesAndFadesFiftyNineMore)
{
    writeStartZone();
    writeZoneThree([](Zone& z) { place<Robber>(z, 6, 6); });
    start();
    player()->position = centreOf(5, 1);
    frame();
    EXPECT_EQ(game->getFadeOutTimer(), 60);
    EXPECT_EQ(game->getFadeInTimer(), 60);
    const sf::Vector2f standing = player()->position;
    frames(60);
    EXPECT_EQ(zone()->id, 0);
    EXPECT_EQ(game->getFadeOutTimer(), 0);
    EXPECT_EQ(player()->position, standing);
    EXPECT_NE(ResourceManager::music().getStatus(), sf::Music::Playing);

    frame();
    ASSERT_EQ(zone()->id, 3);
    EXPECT_EQ(game->getZones().count(3), 1u);
    EXPECT_EQ(zone()->entities.get(0), player());
    EXPECT_EQ(player()->manager, &zone()->entities);
    EXPECT_EQ(player()->position, centreOf(1, 1));
    EXPECT_EQ(game->getFadeInTimer(), 59);
    EXPECT_EQ(ResourceManager::music().getStatus(), sf::Music::Playing);

    const sf::Vector2f robberAt = zone()->entities.get(1)->position;
    frames(59);
    EXPECT_EQ(game->getFadeInTimer(), 0);
    EXPECT_EQ(zone()->entities.get(1)->position, robberAt); // frozen through the fade
    frame();
    EXPECT_NE(zone()->entities.get(1)->position, robberAt);
}

// A blow's knock-back stops at the edge of a way out for as long as the player reels; the
// same slide once the blow is over (a crowd's push) takes the way out as a walk does.
TEST_F(StateGameTest, ABlowNeverCarriesThePlayerThroughAWayOut)
{
    writeStartZone();
    writeZoneThree([](Zone&) {});
    start();
    const float wayOutEdge = 5 * TILE_SIZE;
    player()->position = centreOf(4, 1);
    player()->damage(1);
    player()->velocity = sf::Vector2f(Combat::KNOCKBACK, 0.f);
    int reeled = 0;
    for (; player()->reeling() && reeled < 120; ++reeled) {
        frame();
        ASSERT_EQ(game->getFadeOutTimer(), 0) << "frame " << reeled;
    }
    EXPECT_EQ(reeled, player()->hurt.runLength());
    EXPECT_LT(player()->position.x, wayOutEdge);
    frame();
    EXPECT_EQ(game->getFadeOutTimer(), 0);
    player()->position = sf::Vector2f(wayOutEdge - 4.f, player()->position.y);
    player()->velocity = sf::Vector2f(Combat::KNOCKBACK, 0.f);
    frames(2); // onto it, then seen there
    EXPECT_GT(game->getFadeOutTimer(), 0);
}

TEST_F(StateGameTest, RevisitedZoneIsAsItWasLeftAndOnlyLeavingZoneZeroStartsTheMusic)
{
    int walkerId = 0;
    writeStartZone();
    writeZoneThree([&](Zone& z) {
        place<Robber>(z, 6, 6);
        walkerId = place<MalePedestrian>(z, 3, 5)->getID();
    });
    start();
    crossLink(5, 1);
    Zone* three = zone();
    frames(90);
    ResourceManager::music().stop();
    player()->position = centreOf(6, 1);
    frame(); // the crossing starts; this frame still runs the zone
    const sf::Vector2f walkerAt = three->entities.get(walkerId)->position;
    const int robbers = three->entities.countType(Entity::TYPE_ROBBER);
    frames(2 * StateGame::FADE_FRAMES);
    EXPECT_EQ(zone()->id, 0);
    EXPECT_EQ(player()->position, centreOf(1, 6));
    EXPECT_EQ(ResourceManager::music().getStatus(), sf::Music::Stopped);

    frames(30);
    crossLink(5, 1);
    EXPECT_EQ(zone(), three);
    EXPECT_EQ(three->entities.get(walkerId)->position, walkerAt);
    EXPECT_EQ(three->entities.countType(Entity::TYPE_ROBBER), robbers);
    EXPECT_EQ(ResourceManager::music().getStatus(), sf::Music::Playing);
}

// The fade remembers its link: a knock-back off the tile in the fade's first frame, or a
// trip to the editor and back mid-fade (a new player on its start tile), still ends in zone 3.
TEST_F(StateGameTest, ZoneChangeGoesWhereItsFadeStartedWhereverThePlayerStandsAtTheSwitch)
{
    writeStartZone();
    writeZoneThree([](Zone&) {});
    start();
    player()->position = centreOf(5, 1);
    player()->velocity = sf::Vector2f(0.f, 60.f);
    frame();
    ASSERT_EQ(game->getFadeOutTimer(), StateGame::FADE_FRAMES);
    ASSERT_GT(player()->position.y, 64.f); // off the link tile already
    frames(2 * StateGame::FADE_FRAMES);
    EXPECT_EQ(zone()->id, 3);
    EXPECT_EQ(player()->position, centreOf(1, 1));

    pressF12();
    pressF12();
    player()->position = centreOf(5, 1);
    frames(10);
    ASSERT_GT(game->getFadeOutTimer(), 0);
    pressF12();
    pressF12();
    ASSERT_EQ(current, STATE_GAME);
    ASSERT_EQ(player()->position, centreOf(1, 1));
    frames(2 * StateGame::FADE_FRAMES);
    EXPECT_EQ(game->getFadeInTimer(), 0);
    EXPECT_EQ(zone()->id, 3);
    EXPECT_EQ(player()->position, centreOf(1, 1));
}

// Zone 2 has no way in from zone 0; zone 5 has no file and zone 6 a refused one.
TEST_F(StateGameTest, LinksToAZoneWithoutItsLinkInOrThatCannotLoadStrandNobody)
{
    writeStartZone([](Zone& z) {
        setTile(z, 5, 3, TILE_LINKOUT, 2);
        setTile(z, 2, 6, TILE_LINKIN, 2);
        setTile(z, 5, 5, TILE_LINKOUT, 5);
        setTile(z, 5, 7, TILE_LINKOUT, 6);
    });
    writeZone(2, [](Zone& z) {
        for (int row = 0; row < 8; ++row)
            setTile(z, 0, row, TILE_WALL);
        setTile(z, 1, 0, TILE_LINKOUT, 0);
    });
    { std::ofstream("resources/lvl/6.zn", std::ios::binary) << "not a zone"; }
    start();
    testing::internal::CaptureStdout();
    crossLink(5, 3);
    std::string out = testing::internal::GetCapturedStdout();
    ASSERT_EQ(zone()->id, 2);
    EXPECT_EQ(player()->position, centreOf(1, 1)); // the first walkable tile that leads nowhere
    EXPECT_NE(out.find("Zone 2 has no link-in from zone 0"), std::string::npos) << out;
    crossLink(1, 0);
    ASSERT_EQ(zone()->id, 0);
    ASSERT_EQ(player()->position, centreOf(2, 6));

    for (int row : {5, 7}) {
        const int target = row == 5 ? 5 : 6;
        SCOPED_TRACE(target);
        const sf::Vector2f before = player()->position;
        testing::internal::CaptureStdout();
        crossLink(5, row);
        out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(zone()->id, 0);
        EXPECT_EQ(game->getZones().count(target), 0u);
        EXPECT_EQ(player()->position, before); // back where it stood before the link tile
        EXPECT_NE(out.find("Zone " + std::to_string(target) + " cannot be loaded"), std::string::npos) << out;
        frames(5);
        EXPECT_EQ(game->getFadeInTimer(), 0); // no new fade
    }
}

TEST_F(StateGameTest, ZoneWithAPlayerOfItsOwnMakesWayForTheArrivingOne)
{
    writeStartZone();
    writeZoneThree([](Zone& z) {
        place<Robber>(z, 6, 6);
        place<Player>(z, 3, 3);
    });
    start();
    testing::internal::CaptureStdout();
    crossLink(5, 1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(zone()->entities.countType(Entity::TYPE_PLAYER), 1);
    EXPECT_EQ(zone()->entities.get(0), player());
    EXPECT_NE(out.find("player"), std::string::npos) << out;
}

TEST_F(StateGameTest, StartWithoutAPlayerStandsANewOneOnTheFirstWalkableTile)
{
    start(); // no zone file at all
    ASSERT_NE(player(), nullptr);
    EXPECT_EQ(player()->position, centreOf(0, 0));
    EXPECT_EQ(zone()->entities.get(0), player());
    EXPECT_NE(startOutput.find("player"), std::string::npos) << startOutput;
    states[current]->leave();

    writeZone(0, [](Zone& z) {
        for (int row = 0; row < 8; ++row)
            setTile(z, 0, row, TILE_WALL);
        setTile(z, 1, 0, TILE_WALL);
        setTile(z, 1, 1, TILE_WALL);
    });
    states[current]->enter();
    EXPECT_EQ(player()->position, centreOf(1, 2));
    frames(5);
}

TEST_F(StateGameTest, LastRobberDyingOutsideZoneThreeDoesNotEndTheGame)
{
    writeStartZone([](Zone& z) { place<Robber>(z, 6, 6); });
    start();
    static_cast<Robber*>(zone()->entities.get(1))->damage(1000);
    for (int i = 0; i < 300 && zone()->entities.countType(Entity::TYPE_ROBBER) > 0; ++i)
        frame();
    ASSERT_EQ(zone()->entities.countType(Entity::TYPE_ROBBER), 0);
    frames(5);
    EXPECT_FALSE(game->isEnding());
    EXPECT_FALSE(game->getScriptHandler().isRunning());
}

TEST_F(StateGameTest, ScriptedWalkMovesThePlayerAndDialogsFreezeIt)
{
    writeStartZone([](Zone& z) {
        Trigger* t = z.entities.add(std::make_unique<Trigger>(&z.entities, 10.f, 1, true, 1));
        t->position = centreOf(1, 1) + sf::Vector2f(2.f, 0.f);
        Event walk;
        walk.type = Event::EVENT_MOVE;
        walk.entityId = 0;
        walk.destX = 4;
        walk.destY = 1;
        Event talk;
        talk.dialogLines.push_back(DialogLine{"Hi", 0, 0});
        t->events = {walk, talk};
    });
    start();
    ASSERT_TRUE(game->getScriptHandler().isWalking());
    frame();
    EXPECT_EQ(ResourceManager::music().getVolume(), 50.f);
    int n = 0;
    for (; n < 300 && game->getScriptHandler().isWalking(); ++n)
        frame();
    ASSERT_FALSE(game->getScriptHandler().isWalking());
    EXPECT_EQ(static_cast<int>(player()->position.x / TILE_SIZE), 4);
    EXPECT_TRUE(game->getScriptHandler().isBoxVisible());

    const sf::Vector2f stopped = player()->position;
    script.press(sf::Keyboard::Return);
    for (n = 0; n < 400 && game->getScriptHandler().isRunning(); ++n) {
        frame();
        ASSERT_EQ(player()->position, stopped);
    }
    EXPECT_FALSE(game->getScriptHandler().isRunning());
    frame();
    EXPECT_EQ(ResourceManager::music().getVolume(), 100.f);
}

// A robber in the middle of an attack is walked away: it alone moves, it arrives, and the
// frozen player beside it is not hurt, then or afterwards.
TEST_F(StateGameTest, ScriptedRobberWalkEndsAndHurtsNobody)
{
    int robberId = 0;
    int walkerId = 0;
    writeStartZone([&](Zone& z) {
        Robber* robber = place<Robber>(z, 1, 1);
        robber->position.x += 20.f; // touching the player
        robberId = robber->getID();
        walkerId = place<MalePedestrian>(z, 6, 3)->getID();
        Trigger* t = z.entities.add(std::make_unique<Trigger>(&z.entities, 10.f, 1, true, 1));
        t->position = centreOf(1, 1);
        Event walk;
        walk.type = Event::EVENT_MOVE;
        walk.entityId = robberId;
        walk.destX = 6;
        walk.destY = 6;
        t->events = {walk};
    });
    start();
    ASSERT_TRUE(game->getScriptHandler().isWalking());
    const sf::Vector2f playerAt = player()->position;
    const sf::Vector2f walkerAt = zone()->entities.get(walkerId)->position;
    for (int n = 0; n < 1300 && game->getScriptHandler().isWalking(); ++n) {
        frame();
        ASSERT_EQ(player()->hitPoints, 100) << n;
        ASSERT_EQ(player()->position, playerAt) << n;
        ASSERT_EQ(zone()->entities.get(walkerId)->position, walkerAt) << n;
    }
    ASSERT_FALSE(game->getScriptHandler().isRunning());
    const Entity* robber = zone()->entities.get(robberId);
    EXPECT_EQ(static_cast<int>(robber->position.x / TILE_SIZE), 6);
    EXPECT_EQ(static_cast<int>(robber->position.y / TILE_SIZE), 6);
    EXPECT_EQ(zone()->entities.countType(Entity::TYPE_COMBAT), 0); // no blows wait to land
}

TEST_F(StateGameTest, ReturningFromTheEditorFindsNoScriptRunning)
{
    writeStartZone(addGreeting);
    start();
    player()->position = centreOf(3, 3) + sf::Vector2f(2.f, 0.f);
    frame();
    ASSERT_TRUE(game->getScriptHandler().isBoxVisible());
    pressF12();
    pressF12();
    ASSERT_EQ(current, STATE_GAME);
    EXPECT_FALSE(game->getScriptHandler().isRunning());
    EXPECT_FALSE(game->getScriptHandler().isBoxVisible());
}

TEST_F(StateGameTest, LeavingWithAParentedPlayerTouchesNoDestroyedZone)
{
    writeStartZone([](Zone& z) {
        Doodad* prop = z.entities.add(std::make_unique<Doodad>(&z.entities, 0));
        prop->position = centreOf(3, 3);
    });
    start();
    Entity* prop = zone()->entities.get(1);
    ASSERT_NE(prop, nullptr);
    prop->setParent(player());
    // Run under the sanitizers, a destroyed zone used here shows up at once.
    pressF12();
    EXPECT_EQ(current, STATE_EDITOR);
    pressF12();
    EXPECT_EQ(current, STATE_GAME);
    EXPECT_EQ(zone()->entities.get(0), player());
}

TEST_F(StateGameTest, DKeyTogglesTheDebugOverlayWhichNamesHowThePictureIsShown)
{
    writeStartZone();
    start();
    FrameList& shown = game->getFrame();
    shown.shownBy = "the test's way";
    auto saysHow = [&] {
        for (const FrameList::Item& item : shown.items())
            if (const auto* text = std::get_if<sf::Text>(&shown.drawn(item)))
                if (text->getString() == "shown by the test's way" && std::isnan(item.depth))
                    return true;
        return false;
    };
    sf::Event press{};
    press.type = sf::Event::KeyPressed;
    press.key.code = sf::Keyboard::D;
    script.queueEvent(press);
    frame();
    EXPECT_TRUE(game->isDebugDraw());
    EXPECT_TRUE(saysHow());
    script.queueEvent(press);
    frame();
    EXPECT_FALSE(game->isDebugDraw());
    EXPECT_FALSE(saysHow());
}

// The whole game from a fresh start: through the link, beat the robber, the closing scene,
// the end card; Return plays again from zone 0.
TEST_F(StateGameTest, BeatingTheLastRobberOfZoneThreeEndsWithTheEndCardAndReturnPlaysAgain)
{
    writeStartZone();
    writeZoneThree([](Zone& z) { place<Robber>(z, 5, 5); });
    start();

    script.press(sf::Mouse::Left);
    for (int i = 0; i < 300 && game->getFadeOutTimer() <= 0; ++i) {
        aimAt(centreOf(5, 1));
        frame();
    }
    script.release(sf::Mouse::Left);
    frames(2 * StateGame::FADE_FRAMES);
    ASSERT_EQ(zone()->id, 3);
    ASSERT_EQ(game->getFadeInTimer(), 0);

    // Face the robber and punch whenever it is close, one fresh press at a time.
    for (int i = 0; i < 3000 && zone()->entities.countType(Entity::TYPE_ROBBER) > 0; ++i) {
        Entity* robber = nullptr;
        for (auto& entry : zone()->entities)
            if (entry.second->getType() == Entity::TYPE_ROBBER)
                robber = entry.second.get();
        aimAt(robber->position);
        if (distance(robber->position, player()->position) < 40.f && i % 2 == 0)
            script.press(sf::Mouse::Right);
        else
            script.release(sf::Mouse::Right);
        frame();
    }
    script.release(sf::Mouse::Right);
    ASSERT_EQ(zone()->entities.countType(Entity::TYPE_ROBBER), 0);
    EXPECT_FALSE(player()->defeated);
    EXPECT_EQ(heartPixel(), sf::Color::Red);

    frame();
    ASSERT_TRUE(game->isEnding());
    EXPECT_NE(heartPixel(), sf::Color::Red) << "the overlay stays hidden from the closing lines on";
    const ScriptHandler& script_ = game->getScriptHandler();
    ASSERT_EQ(script_.getQueue().size(), 1u);
    const std::vector<DialogLine>& lines = script_.getQueue().front().dialogLines;
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "Wow.");
    EXPECT_EQ(lines[0].portraitId, 1);
    EXPECT_EQ(lines[0].portraitPos, 3);
    EXPECT_EQ(lines[1].text, "I'll take three boxes of the good stuff.");
    EXPECT_EQ(lines[1].portraitId, 0);
    EXPECT_EQ(lines[1].portraitPos, 2);

    std::set<std::string> seen;
    script.press(sf::Keyboard::Return);
    for (int i = 0; i < 600 && script_.isRunning(); ++i) {
        if (script_.isBoxVisible() && !script_.isFading())
            seen.insert(script_.getQueue().front().dialogLines[static_cast<std::size_t>(script_.getLineIndex())].text);
        frame();
    }
    ASSERT_FALSE(script_.isRunning());
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(game->getFadeOutTimer(), StateGame::ENDING_FRAMES);

    EXPECT_NE(centrePixel(), sf::Color::Black);
    frames(159);
    EXPECT_FALSE(game->showsEndCard());
    frame();
    EXPECT_TRUE(game->showsEndCard());
    EXPECT_EQ(screenshot().getPixel(4, 596), sf::Color::Black);
    EXPECT_GT(litPixels(Hud::messageLayout(sf::Vector2f(800.f, 600.f), {Hud::THE_END, Hud::END_PROMPT}, true)[0].bounds), 0);

    // Return held since the closing lines does not count; nor does a trip to the editor.
    frames(5);
    EXPECT_TRUE(game->showsEndCard());
    script.release(sf::Keyboard::Return);
    pressF12();
    pressF12();
    ASSERT_EQ(current, STATE_GAME);
    EXPECT_TRUE(game->showsEndCard());
    // "F2: other zone packs", and back to the card.
    tap(sf::Keyboard::F2);
    EXPECT_TRUE(game->getPackMenu().isOpen());
    tap(sf::Keyboard::Escape);
    EXPECT_FALSE(game->getPackMenu().isOpen());
    ASSERT_EQ(current, STATE_GAME);
    EXPECT_TRUE(game->showsEndCard());
    const sf::Vector2f newcomer = player()->position;
    script.press(sf::Mouse::Left);
    aimAt(centreOf(4, 4));
    frames(10);
    EXPECT_EQ(player()->position, newcomer);

    script.press(sf::Keyboard::Return);
    frame();
    script.release(sf::Keyboard::Return);
    EXPECT_FALSE(game->isEnding());
    EXPECT_FALSE(game->showsEndCard());
    EXPECT_EQ(zone()->id, 0);
    EXPECT_EQ(player()->position, centreOf(1, 1));
    EXPECT_EQ(game->getZones().size(), 1u);
    frames(3);
    EXPECT_NE(player()->position, centreOf(1, 1)) << "a new game plays";
}

// F2 pauses over the list of packs: the built-in one, the installed ones by file name with
// the finished marked and the refused said why. A refused choice stays in the pack played;
// Return on another starts it at its start zone; Escape only closes the list.
TEST_F(StateGameTest, F2ListsThePacksAndReturnPlaysTheChosenOneFromItsStart)
{
    const std::string packs = testsupport::makeTempDir() + "/";
    packtesting::writeFolder(packs + "a streets", packtesting::twoStreets("Two Streets", 4, 5));
    testsupport::writeFile(packs + "b broken.zip", "not a zip");
    LevelFolder::choosePacks(packs);
    writeStartZone();
    start();
    game->setFinished({"Two Streets"});
    script.press(sf::Mouse::Left);
    aimAt(centreOf(5, 5));
    tap(sf::Keyboard::F2);
    const PackMenu& menu = game->getPackMenu();
    ASSERT_TRUE(menu.isOpen());
    EXPECT_TRUE(game->isPaused());
    const sf::Vector2f still = player()->position;
    frames(10);
    EXPECT_EQ(player()->position, still) << "the game stands still under the list";
    ASSERT_EQ(menu.getLines().size(), 3u);
    EXPECT_EQ(menu.getLines()[0].pack.name(), "The errand");
    EXPECT_TRUE(menu.getLines()[0].current);
    EXPECT_EQ(menu.getLines()[1].pack.name(), "Two Streets");
    EXPECT_TRUE(menu.getLines()[1].finished);
    EXPECT_FALSE(menu.getLines()[0].finished);
    EXPECT_EQ(menu.getLines()[2].refusal, "not a readable .zip (Not a zip archive)");
    EXPECT_EQ(menu.getSelected(), 0);

    tap(sf::Keyboard::Escape);
    EXPECT_FALSE(menu.isOpen());
    EXPECT_EQ(current, STATE_GAME) << "the Escape that closed the list does not quit";
    EXPECT_FALSE(game->isPaused());
    script.release(sf::Mouse::Left);

    tap(sf::Keyboard::F2);
    for (sf::Keyboard::Key key : {sf::Keyboard::Up, sf::Keyboard::Down, sf::Keyboard::Down, sf::Keyboard::Down})
        tap(key);
    EXPECT_EQ(menu.getSelected(), 2) << "held at both ends";
    testing::internal::CaptureStdout();
    tap(sf::Keyboard::Return);
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(said, "Zone pack " + packs + "b broken.zip refused: not a readable .zip (Not a zip archive)\n");
    EXPECT_EQ(menu.getStatus() + "\n", said);
    EXPECT_TRUE(menu.isOpen());
    EXPECT_EQ(LevelFolder::pack().kind(), Pack::Kind::BUILT_IN) << "the game stays in its pack";
    EXPECT_EQ(zone()->id, 0);

    tap(sf::Keyboard::Up);
    testing::internal::CaptureStdout();
    tap(sf::Keyboard::Return);
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(menu.isOpen());
    EXPECT_FALSE(game->isPaused());
    EXPECT_EQ(LevelFolder::pack().name(), "Two Streets");
    EXPECT_EQ(zone()->id, 4);
    EXPECT_EQ(player()->position, centreOf(2, 3));
    EXPECT_FALSE(game->isKnockedOut());
    tap(sf::Keyboard::F2);
    EXPECT_TRUE(menu.getLines()[1].current);
    EXPECT_EQ(menu.getSelected(), 1);
    tap(sf::Keyboard::F2);
    EXPECT_FALSE(menu.isOpen()) << "F2 closes it too";
    std::filesystem::remove_all(packs);
}

// Knocked out in zone 3, whose file has gone meanwhile: the zone comes back from memory as
// it was on the last arrival (a robber hurt on an earlier visit stays hurt), but with its
// robbers where the file put them and the player at full health, whatever it came with.
TEST_F(StateGameTest, KnockOutOffersTryAgainAndReturnPutsTheZoneBackWithItsRobbersPlaced)
{
    writeStartZone();
    writeZoneThree([](Zone& z) {
        place<Robber>(z, 6, 6);
        place<MalePedestrian>(z, 3, 6);
        addGreeting(z);
    });
    start();
    crossLink(5, 1);
    ASSERT_EQ(zone()->id, 3);
    Robber* robber = static_cast<Robber*>(zone()->entities.get(1));
    const sf::Vector2f placedAt = robber->position;
    // A first visit: the robber comes on and takes a blow, then the player leaves.
    frames(60);
    robber->damage(20);
    frames(60);
    ASSERT_GT(distance(robber->position, placedAt), TILE_SIZE);
    crossLink(6, 1);
    ASSERT_EQ(zone()->id, 0);
    player()->hitPoints = 20;
    crossLink(5, 1);
    ASSERT_EQ(zone()->id, 3);
    std::map<int, int> arrivedKinds;
    for (const auto& entry : zone()->entities)
        arrivedKinds[entry.first] = entry.second->getType();
    const sf::Vector2f pedestrianAt = zone()->entities.get(2)->position;

    // Change what can change: the trigger spent, the robber hurt again, a pedestrian more.
    player()->position = centreOf(3, 3) + sf::Vector2f(2.f, 0.f);
    script.press(sf::Keyboard::Return);
    for (int i = 0; i < 600 && (i < 2 || game->getScriptHandler().isRunning()); ++i)
        frame();
    script.release(sf::Keyboard::Return);
    ASSERT_EQ(static_cast<Trigger*>(zone()->entities.get(3))->uses, 0);
    robber->damage(10);
    script.press(sf::Keyboard::R);
    frame();
    script.release(sf::Keyboard::R);
    std::filesystem::remove("resources/lvl/3.zn");

    player()->damage(1000);
    frame();
    EXPECT_FALSE(game->isKnockedOut()) << "the fall plays out first";
    script.press(sf::Keyboard::Return);
    for (int i = 0; i < 120 && !game->isKnockedOut(); ++i)
        frame();
    ASSERT_TRUE(game->isKnockedOut());
    EXPECT_GT(litPixels(Hud::messageLayout(sf::Vector2f(800.f, 600.f), Hud::knockedOutLines(false), false)[1].bounds),
              0);
    // A body on a way out goes nowhere, and a Return held from before is no answer.
    player()->position = centreOf(6, 1);
    frames(5);
    EXPECT_EQ(game->getFadeOutTimer(), -1);
    EXPECT_TRUE(game->isKnockedOut());
    script.release(sf::Keyboard::Return);
    frame();
    script.press(sf::Keyboard::Return);
    frame();
    script.release(sf::Keyboard::Return);

    EXPECT_FALSE(game->isKnockedOut());
    EXPECT_FALSE(player()->defeated);
    EXPECT_EQ(player()->hitPoints, StateGame::FULL_HIT_POINTS);
    EXPECT_EQ(player()->position, centreOf(1, 1));
    EXPECT_TRUE(game->getHud().showsName());
    std::map<int, int> nowKinds;
    for (const auto& entry : zone()->entities)
        nowKinds[entry.first] = entry.second->getType();
    EXPECT_EQ(nowKinds, arrivedKinds);
    const Robber* again = static_cast<const Robber*>(zone()->entities.get(1));
    EXPECT_EQ(again->position, placedAt);
    EXPECT_EQ(again->facing, sf::Vector2f(1.f, 0.f)) << "as fresh from the file";
    EXPECT_EQ(again->hitPoints, 30) << "as hurt as on arrival";
    EXPECT_EQ(zone()->entities.get(2)->position, pedestrianAt) << "the others stand as they did on arrival";
    EXPECT_EQ(static_cast<Trigger*>(zone()->entities.get(3))->uses, 1);
    EXPECT_EQ(zone()->entities.get(0), player());
}

// Zones a player may make by hand: robbers on the arrival, no link-in at all, a way out
// beside the arrival. Each still plays, and a retry stands the player up at full health
// where it arrived, with the robbers back where the file put them.
TEST_F(StateGameTest, BadlyMadeZonesStillPlayAndARetryStillWorks)
{
    struct Case {
        const char* what;
        std::function<void(Zone&)> fill;
        sf::Vector2f arrival;
    };
    const Case cases[] = {
        {"robbers on the arrival",
         [](Zone& z) {
             setTile(z, 1, 1, TILE_LINKIN, 0);
             setTile(z, 6, 1, TILE_LINKOUT, 0);
             place<Robber>(z, 1, 1);
             place<Robber>(z, 1, 1);
         },
         centreOf(1, 1)},
        {"no link-in",
         [](Zone& z) {
             setTile(z, 6, 1, TILE_LINKOUT, 0);
             place<Robber>(z, 6, 6);
         },
         centreOf(0, 0)},
        {"a way out beside the arrival",
         [](Zone& z) {
             setTile(z, 1, 1, TILE_LINKIN, 0);
             setTile(z, 2, 1, TILE_LINKOUT, 0);
             place<Robber>(z, 6, 6);
         },
         centreOf(1, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeStartZone();
        writeZone(3, c.fill);
        start();
        crossLink(5, 1);
        ASSERT_EQ(zone()->id, 3);
        EXPECT_EQ(player()->position, c.arrival);
        const ZoneSnapshot::Places placed = ZoneSnapshot::robberPlaces(*zone());
        frames(30);
        player()->damage(1000);
        for (int i = 0; i < 120 && !game->isKnockedOut(); ++i)
            frame();
        ASSERT_TRUE(game->isKnockedOut());
        script.press(sf::Keyboard::Return);
        frame();
        script.release(sf::Keyboard::Return);
        EXPECT_FALSE(player()->defeated);
        EXPECT_EQ(player()->hitPoints, StateGame::FULL_HIT_POINTS);
        EXPECT_EQ(player()->position, c.arrival);
        EXPECT_EQ(ZoneSnapshot::robberPlaces(*zone()), placed);
        frames(60);
        EXPECT_EQ(zone()->id, 3) << "it plays on";
        table.reset();
        states = nullptr;
        clearLevels();
    }
}

// The assist is offered, never imposed: after a second knock-out in one zone (counted per
// zone), A tries again with it; it then takes half of every blow, a half point carried over,
// and the overlay says it is on.
TEST_F(StateGameTest, SecondKnockOutInAZoneOffersAssistThatHalvesEveryBlow)
{
    writeStartZone();
    writeZoneThree([](Zone& z) { place<Robber>(z, 6, 6); }); // a robber left: no ending
    start();
    auto knockOut = [&] {
        player()->damage(1000);
        for (int i = 0; i < 120 && !game->isKnockedOut(); ++i)
            frame();
        ASSERT_TRUE(game->isKnockedOut());
    };
    auto press = [&](sf::Keyboard::Key key) {
        script.press(key);
        frame();
        script.release(key);
        frame();
    };
    const sf::FloatRect offer =
        Hud::messageLayout(sf::Vector2f(800.f, 600.f), Hud::knockedOutLines(true), false)[2].bounds;
    knockOut();
    press(sf::Keyboard::A);
    EXPECT_TRUE(game->isKnockedOut()) << "A does nothing before it is offered";
    press(sf::Keyboard::Return);
    crossLink(5, 1);
    knockOut();
    EXPECT_FALSE(game->offersAssist()) << "one knock-out here, one in zone 0";
    EXPECT_EQ(textPixels(offer), 0);
    press(sf::Keyboard::Return);
    knockOut();
    EXPECT_TRUE(game->offersAssist());
    EXPECT_GT(textPixels(offer), 0);
    EXPECT_FALSE(game->hasAssist());

    press(sf::Keyboard::A);
    ASSERT_FALSE(game->isKnockedOut());
    EXPECT_TRUE(game->hasAssist());
    EXPECT_EQ(player()->hitPoints, StateGame::FULL_HIT_POINTS);
    const int blows[][2] = {{5, 98}, {5, 95}, {10, 90}, {1, 90}, {1, 89}}; // a blow, the hit points left
    for (const auto& blow : blows) {
        player()->damage(blow[0]);
        EXPECT_EQ(player()->hitPoints, blow[1]) << "after a blow of " << blow[0];
    }
    frame();
    Hud::Status status;
    status.hitPoints = player()->hitPoints;
    status.assist = true;
    bool shown = false;
    for (const Hud::Piece& piece : game->getHud().layout(sf::Vector2f(800.f, 600.f), status))
        if (piece.what == "assist")
            shown = textPixels(piece.bounds) > 0;
    EXPECT_TRUE(shown);

    knockOut();
    EXPECT_FALSE(game->offersAssist()) << "it is on already";
}

// Knocked out in the first frame of a fade: no zone change, the prompt once it is over.
// Knocked out while a scene plays: the prompt once the scene is over, and the scene again.
TEST_F(StateGameTest, KnockOutInAFadeOrAScriptEndsInAPlayableZone)
{
    writeStartZone(addGreeting);
    writeZoneThree([](Zone&) {});
    start();
    player()->position = centreOf(5, 1);
    frame();
    ASSERT_EQ(game->getFadeOutTimer(), StateGame::FADE_FRAMES);
    player()->damage(1000);
    frames(2 * StateGame::FADE_FRAMES);
    EXPECT_EQ(zone()->id, 0);
    EXPECT_EQ(game->getZones().count(3), 0u);
    EXPECT_EQ(player()->position, centreOf(1, 1)); // where it stood before the link
    for (int i = 0; i < 120 && !game->isKnockedOut(); ++i)
        frame();
    ASSERT_TRUE(game->isKnockedOut());
    script.press(sf::Keyboard::Return);
    frame();
    script.release(sf::Keyboard::Return);
    ASSERT_FALSE(player()->defeated);

    player()->position = centreOf(3, 3) + sf::Vector2f(2.f, 0.f);
    frame();
    ASSERT_TRUE(game->getScriptHandler().isBoxVisible());
    player()->damage(1000);
    frames(120);
    EXPECT_FALSE(game->isKnockedOut()) << "the scene holds the world, and the prompt waits";
    script.press(sf::Keyboard::Space);
    for (int i = 0; i < 600 && game->getScriptHandler().isRunning(); ++i)
        frame();
    script.release(sf::Keyboard::Space);
    for (int i = 0; i < 120 && !game->isKnockedOut(); ++i)
        frame();
    ASSERT_TRUE(game->isKnockedOut());
    script.press(sf::Keyboard::Return);
    frame();
    EXPECT_FALSE(player()->defeated);
    EXPECT_EQ(player()->position, centreOf(1, 1));
    frame();
    player()->position = centreOf(3, 3) + sf::Vector2f(2.f, 0.f);
    frame();
    EXPECT_TRUE(game->getScriptHandler().isBoxVisible()) << "the trigger has its use back";
}

// The overlay: the zone's name for two seconds after each arrival (not counting the fade),
// the health bar until F1 hides it.
TEST_F(StateGameTest, OverlayNamesEachZoneOnArrivalForTwoSecondsAndF1HidesIt)
{
    writeStartZone();
    writeZoneThree([](Zone& z) {
        z.name = "Three";
        place<Robber>(z, 6, 6);
    });
    start();
    EXPECT_TRUE(game->getHud().showsName());
    EXPECT_EQ(heartPixel(), sf::Color::Red);
    frames(Hud::NAME_FRAMES - 2);
    EXPECT_TRUE(game->getHud().showsName());
    frame();
    EXPECT_FALSE(game->getHud().showsName());

    crossLink(5, 1);
    EXPECT_TRUE(game->getHud().showsName());
    frames(Hud::NAME_FRAMES - 2);
    EXPECT_TRUE(game->getHud().showsName()) << "the fade-in does not count";

    sf::Event f1{};
    f1.type = sf::Event::KeyPressed;
    f1.key.code = sf::Keyboard::F1;
    script.queueEvent(f1);
    frame();
    EXPECT_FALSE(game->getHud().isShown());
    EXPECT_NE(heartPixel(), sf::Color::Red);
    script.queueEvent(f1);
    frame();
    EXPECT_TRUE(game->getHud().isShown());
    EXPECT_EQ(heartPixel(), sf::Color::Red);
}

// Whatever the window, the long name or the count, nothing is placed outside the view,
// nor under a dialog box.
TEST(Hud, EveryPieceStaysInsideTheViewAtAnySize)
{
    testsupport::loadTestResources();
    Hud hud;
    hud.arrive(std::string(200, 'W'));
    Hud::Status status;
    status.hitPoints = 35;
    status.robbersLeft = 123456;
    status.assist = true;
    const sf::Vector2f sizes[] = {{800.f, 600.f}, {1920.f, 1080.f}, {320.f, 240.f}, {60.f, 45.f}, {1000.f, 90.f}};
    for (const sf::Vector2f& size : sizes) {
        SCOPED_TRACE(std::to_string(size.x) + " x " + std::to_string(size.y));
        // Robbers out of sight all round, far and just past an edge.
        const std::vector<sf::Vector2f> away = {{-5000.f, -5000.f}, {size.x * 0.5f, size.y + 900.f}, {size.x + 1.f, size.y * 0.5f},
                                                {-1.f, 0.f}, {size.x * 3.f, size.y * 0.2f}};
        status.robbersAway = away;
        std::vector<Hud::Piece> pieces = hud.layout(size, status);
        EXPECT_EQ(pieces.size(), 1u + Hud::PIPS + 3u + away.size());
        // The bar and the count stay above where a scene's dialog box begins; the pointers
        // below the bar, each on the robber's side of the view's middle.
        const float barBottom = pieces[0].bounds.top + pieces[0].bounds.height;
        std::size_t pointer = 0;
        for (const Hud::Piece& piece : pieces) {
            const sf::Vector2f middle(piece.bounds.left + piece.bounds.width * 0.5f, piece.bounds.top + piece.bounds.height * 0.5f);
            if (piece.what == "pointer") {
                const sf::Vector2f toRobber = away[pointer++] - size * 0.5f, toPointer = middle - size * 0.5f;
                EXPECT_GE(piece.bounds.top, barBottom);
                EXPECT_GT(toRobber.x * toPointer.x + toRobber.y * toPointer.y, 0.f) << pointer;
            } else if (piece.what != "name") {
                EXPECT_LE(piece.bounds.top + piece.bounds.height, size.y * 0.1f) << piece.what;
            }
        }
        EXPECT_EQ(pointer, away.size());
        for (const Hud::Piece& piece : Hud::messageLayout(size, Hud::knockedOutLines(true), false))
            pieces.push_back(piece);
        for (const Hud::Piece& piece : Hud::messageLayout(size, {Hud::THE_END, Hud::END_PROMPT}, true))
            pieces.push_back(piece);
        for (const Hud::Piece& piece : pieces) {
            const sf::FloatRect& r = piece.bounds;
            EXPECT_TRUE(r.left >= 0.f && r.top >= 0.f && r.left + r.width <= size.x + 0.01f
                        && r.top + r.height <= size.y + 0.01f)
                << piece.what << " at " << r.left << ", " << r.top << " size " << r.width << " x " << r.height;
        }
    }
}

} // namespace
