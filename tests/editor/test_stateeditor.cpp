#include "characters/doodad.h"
#include "editortesting.h"
#include "app/mainloop.h"
#include "world/resourcemanager.h"
#include "play/stategame.h"
#include "world/tile.h"
#include "world/zone.h"

#include <gtest/gtest.h>

#include <filesystem>

using editortesting::tileCentre;

namespace {

class EditorTest : public EditorFixture {};

TEST_F(EditorTest, EveryEntryGivesAFreshTenByTenZone)
{
    EXPECT_TRUE(editor->console.hidden);
    EXPECT_EQ(editor->console.log.front(), "Level editor, version 0.1!");
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(editor->currZone->id, -1);
        EXPECT_EQ(editor->currZone->getWidth(), 10);
        EXPECT_EQ(editor->currZone->getHeight(), 10);
        EXPECT_TRUE(editor->currZone->entities.empty());
        stamp(Entity::TYPE_ROBBER, tileCentre(2, 2));
        click();
        run("id 9");
        run("resize 3 3");
        selectTile(1, 1);
        editor->leave();
        EXPECT_EQ(editor->currZone, nullptr);
        EXPECT_EQ(editor->selectedTile, nullptr);
        EXPECT_EQ(editor->selectedEntity, nullptr);
        editor->enter();
    }
}

TEST_F(EditorTest, HeldKeysScrollAndChooseTheMode)
{
    const sf::Vector2f start = editor->camera.getView().getCenter();
    script.press(sf::Keyboard::D);
    script.press(sf::Keyboard::S);
    script.press(sf::Keyboard::Num3);
    frame();
    frame();
    EXPECT_EQ(editor->camera.getView().getCenter(), start + sf::Vector2f(10.0f, 10.0f));
    EXPECT_EQ(editor->mode, StateEditor::MODE_ENTITY);
    script.releaseAll();
    script.press(sf::Keyboard::Num1);
    script.press(sf::Keyboard::Num2);
    frame();
    EXPECT_EQ(editor->mode, StateEditor::MODE_TILE_PROPERTIES);
}

TEST_F(EditorTest, PaintPickAndCycleTileImages)
{
    const int images = static_cast<int>(ResourceManager::tileTextures.size());
    ASSERT_GE(images, 3);
    key(sf::Keyboard::E);
    key(sf::Keyboard::E);
    pointAt(tileCentre(4, 5));
    click();
    EXPECT_EQ(editor->currZone->getTile(4, 5)->texture, 2);
    EXPECT_EQ(editor->currZone->getTile(4, 4)->texture, 0);

    for (int n = 0; n < 3; ++n)
        key(sf::Keyboard::Q);
    EXPECT_EQ(editor->tileBrush, 0);
    for (int n = 0; n < images + 3; ++n)
        key(sf::Keyboard::E);
    EXPECT_EQ(editor->tileBrush, images - 1);

    script.press(sf::Mouse::Right);
    frame();
    EXPECT_EQ(editor->tileBrush, 2);

    // An image number from a file that names an image we lack is not picked up.
    editor->currZone->getTile(6, 6)->texture = 999;
    pointAt(tileCentre(6, 6));
    frame();
    script.release(sf::Mouse::Right);
    EXPECT_EQ(editor->tileBrush, 2);
    editor->tileBrush = -4;
    click();
    EXPECT_EQ(editor->currZone->getTile(6, 6)->texture, 999);
}

TEST_F(EditorTest, KindKeysActOnTheSelectedTileOnly)
{
    selectTile(3, 2);
    Tile* tile = editor->currZone->getTile(3, 2);
    ASSERT_EQ(editor->selectedTile, tile);
    const std::pair<sf::Keyboard::Key, TileType> kinds[] = {
        {sf::Keyboard::X, TILE_WALL}, {sf::Keyboard::C, TILE_LINKOUT},
        {sf::Keyboard::V, TILE_LINKIN}, {sf::Keyboard::Z, TILE_FLOOR}};
    for (const auto& kind : kinds) {
        key(kind.first);
        EXPECT_EQ(tile->type, kind.second);
    }
    pointAt(sf::Vector2f(-100.0f, 50.0f));
    click();
    EXPECT_EQ(editor->selectedTile, nullptr);
    key(sf::Keyboard::X);
    EXPECT_EQ(tile->type, TILE_FLOOR);
}

TEST_F(EditorTest, StampKeysCycleThroughUnitsAndProps)
{
    chooseMode(StateEditor::MODE_ENTITY);
    key(sf::Keyboard::Q);
    EXPECT_EQ(editor->stampType, Entity::TYPE_PLAYER);
    for (int n = 0; n < 3; ++n)
        key(sf::Keyboard::E);
    EXPECT_EQ(editor->stampType, Entity::TYPE_ROBBER);
    editor->doodadIndex = 2;
    key(sf::Keyboard::E);
    EXPECT_EQ(editor->stampType, Entity::TYPE_DOODAD);
    EXPECT_EQ(editor->doodadIndex, 2);
    const int props = static_cast<int>(ResourceManager::doodadTextures.size());
    for (int n = 0; n < props; ++n)
        key(sf::Keyboard::E);
    EXPECT_EQ(editor->doodadIndex, props - 1);
    for (int n = 0; n < props - 1; ++n)
        key(sf::Keyboard::Q);
    EXPECT_EQ(editor->stampType, Entity::TYPE_DOODAD);
    key(sf::Keyboard::Q);
    EXPECT_EQ(editor->stampType, Entity::TYPE_ROBBER);
}

TEST_F(EditorTest, SpaceStampsAtTheMouseOnePlayerAndOnlyRealProps)
{
    stamp(Entity::TYPE_PLAYER, tileCentre(1, 1));
    const sf::Vector2f where = editor->mouseWorld();
    stamp(Entity::TYPE_PLAYER, tileCentre(5, 5));
    stamp(Entity::TYPE_CLERK, tileCentre(3, 1));
    ASSERT_EQ(editor->currZone->entities.size(), 2u);
    ASSERT_NE(editor->currZone->entities.get(0), nullptr);
    EXPECT_EQ(editor->currZone->entities.get(0)->position, where);

    stamp(Entity::TYPE_DOODAD, tileCentre(6, 6));
    for (int prop : {7, 40, -1}) {
        editor->doodadIndex = prop;
        key(sf::Keyboard::Space);
    }
    std::vector<int> props;
    for (const auto& entry : editor->currZone->entities)
        if (entry.second->getType() == Entity::TYPE_DOODAD)
            props.push_back(static_cast<Doodad*>(entry.second.get())->imageIndex);
    EXPECT_EQ(props, (std::vector<int>{0, 7}));
}

TEST_F(EditorTest, DragMovesTheSelectedEntityByTheMouseWorldMovement)
{
    stamp(Entity::TYPE_ROBBER, tileCentre(2, 2));
    Entity* robber = editor->currZone->entities.begin()->second.get();
    const sf::Vector2f placed = robber->position;
    script.press(sf::Mouse::Left);
    frame();
    EXPECT_EQ(editor->selectedEntity, robber);
    const sf::Vector2f grabbed = editor->mouseWorld();
    pointAt(tileCentre(5, 3));
    frame();
    pointAt(tileCentre(6, 7));
    frame();
    const sf::Vector2f moved = editor->mouseWorld() - grabbed;
    script.release(sf::Mouse::Left);
    frame();
    EXPECT_NEAR(robber->position.x, placed.x + moved.x, 1e-3f);
    EXPECT_NEAR(robber->position.y, placed.y + moved.y, 1e-3f);

    // Empty ground clears the selection, and dragging from there moves nothing.
    pointAt(tileCentre(0, 9));
    script.press(sf::Mouse::Left);
    frame();
    EXPECT_EQ(editor->selectedEntity, nullptr);
    pointAt(tileCentre(9, 9));
    frame();
    EXPECT_NEAR(robber->position.x, placed.x + moved.x, 1e-3f);
}

TEST_F(EditorTest, RightButtonDeletesOneEntityPerFrame)
{
    for (int n = 0; n < 3; ++n)
        stamp(Entity::TYPE_MALE_PEDESTRIAN, tileCentre(3, 3));
    stamp(Entity::TYPE_ROBBER, tileCentre(8, 1));
    pointAt(tileCentre(3, 3));
    click();
    ASSERT_NE(editor->selectedEntity, nullptr);
    script.press(sf::Mouse::Right);
    frame();
    EXPECT_EQ(editor->currZone->entities.size(), 3u);
    EXPECT_EQ(editor->selectedEntity, nullptr);
    frame();
    EXPECT_EQ(editor->currZone->entities.size(), 2u);
    frame();
    frame();
    ASSERT_EQ(editor->currZone->entities.size(), 1u);
    EXPECT_EQ(editor->currZone->entities.begin()->second->getType(), Entity::TYPE_ROBBER);
}

TEST_F(EditorTest, EventAndLineKeysStayInsideTheScript)
{
    for (const char* line : {"trigger 30", "dialog", "dialog", "event"})
        run(line);
    chooseMode(StateEditor::MODE_ENTITY);
    const std::pair<sf::Keyboard::Key, int> steps[] = {{sf::Keyboard::Period, 1}, {sf::Keyboard::Period, 1},
                                                       {sf::Keyboard::Comma, 0}, {sf::Keyboard::Comma, 0}};
    for (const auto& step : steps) {
        key(step.first);
        EXPECT_EQ(editor->selectedEvent, step.second);
    }
    editor->selectedLine = 0;
    key(sf::Keyboard::L);
    key(sf::Keyboard::L);
    EXPECT_EQ(editor->selectedLine, 1);
    key(sf::Keyboard::K);
    key(sf::Keyboard::K);
    EXPECT_EQ(editor->selectedLine, 0);

    // An index left out of range is read nowhere: not by the keys, not by the panel.
    selectedTrigger()->events.clear();
    editor->selectedEvent = 3;
    key(sf::Keyboard::L);
    key(sf::Keyboard::Period);
    EXPECT_EQ(editor->selectedLine, 0);
    editor->draw();
}

TEST_F(EditorTest, OpenConsoleTakesTheKeysButNotTheMouse)
{
    key(sf::Keyboard::Tilde);
    EXPECT_FALSE(editor->console.hidden);
    const sf::Vector2f start = editor->camera.getView().getCenter();
    script.press(sf::Keyboard::W);
    script.press(sf::Keyboard::Num3);
    frame();
    script.releaseAll();
    EXPECT_EQ(editor->camera.getView().getCenter(), start);
    EXPECT_EQ(editor->mode, StateEditor::MODE_TILE_PAINT);

    editor->tileBrush = 1;
    pointAt(tileCentre(2, 3));
    click();
    EXPECT_EQ(editor->currZone->getTile(2, 3)->texture, 1);

    type("wasd");
    EXPECT_EQ(editor->console.input, "wasd");
    editor->console.input.clear();
    editor->console.cursor = editor->console.anchor = 0;
    type("id 12\n");
    EXPECT_EQ(editor->currZone->id, 12);
    EXPECT_EQ(editor->console.log.front(), "Zone id set to 12!");
    key(sf::Keyboard::Tilde);
    EXPECT_TRUE(editor->console.hidden);
}

// The whole round trip through the real frame loop: F12 into the editor, build a zone with
// the mouse, keys and typed commands, save it as zone 0, F12 back and play it.
class EditorRoundTrip : public RealStatesFixture {
protected:
    EditorRoundTrip() : RealStatesFixture(STATE_GAME) {}
    void SetUp() override
    {
        RealStatesFixture::SetUp();
        frame();
    }
    void press(sf::Keyboard::Key key)
    {
        script.queueEvent(editortesting::keyEvent(key));
        frame();
    }
    void typeLine(const std::string& line)
    {
        for (const sf::Event& event : editortesting::typing(line + "\n"))
            script.queueEvent(event);
        frame();
    }
    void clickAt(int x, int y)
    {
        script.setMouse(window->mapCoordsToPixel(worldToScreen(tileCentre(x, y)), states[current]->getFrame().getView()));
        script.press(sf::Mouse::Left);
        frame();
        script.release(sf::Mouse::Left);
        frame();
    }
};

TEST_F(EditorRoundTrip, ZoneBuiltInTheEditorIsPlayedAfterF12)
{
    testing::internal::CaptureStdout();
    script.release(sf::Keyboard::F12);
    frame();
    hold(sf::Keyboard::F12);
    ASSERT_EQ(current, STATE_EDITOR);
    auto* editor = static_cast<StateEditor*>(states[STATE_EDITOR]);

    press(sf::Keyboard::E); // brush: image 1
    clickAt(2, 1);
    hold(sf::Keyboard::Num2);
    clickAt(4, 4);
    press(sf::Keyboard::C);
    press(sf::Keyboard::Tilde);
    typeLine("link 3");
    press(sf::Keyboard::Tilde);

    hold(sf::Keyboard::Num3);
    script.setMouse(window->mapCoordsToPixel(worldToScreen(tileCentre(1, 1)), editor->getFrame().getView()));
    press(sf::Keyboard::Space); // the player
    for (int n = 0; n < 2; ++n)
        press(sf::Keyboard::E);
    script.setMouse(window->mapCoordsToPixel(worldToScreen(tileCentre(6, 6)), editor->getFrame().getView()));
    press(sf::Keyboard::Space); // a clerk
    clickAt(6, 6);
    ASSERT_NE(editor->selectedEntity, nullptr);
    const int clerkId = editor->selectedEntity->getID();

    script.setMouse(window->mapCoordsToPixel(worldToScreen(tileCentre(3, 3)), editor->getFrame().getView()));
    press(sf::Keyboard::Tilde);
    for (const std::string& line : {std::string("trigger 20"), std::string("dialog"),
                                    std::string("dialogtext \"welcome in\""), std::string("event"),
                                    std::string("selectevent 1"), std::string("eventtype"),
                                    "evententity " + std::to_string(clerkId), std::string("eventdest 7 8"),
                                    std::string("id 0"), std::string("save")})
        typeLine(line);
    EXPECT_EQ(editor->console.log.front(), "Saved!");

    hold(sf::Keyboard::F12);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(current, STATE_GAME);
    Zone* zone = static_cast<StateGame*>(states[STATE_GAME])->getZone();
    ASSERT_NE(zone, nullptr);
    EXPECT_EQ(zone->id, 0);
    EXPECT_EQ(zone->getTile(2, 1)->texture, 1);
    EXPECT_EQ(zone->getTile(4, 4)->type, TILE_LINKOUT);
    EXPECT_EQ(zone->getTile(4, 4)->link, 3);
    ASSERT_NE(zone->entities.get(0), nullptr);
    ASSERT_NE(zone->entities.get(clerkId), nullptr);
    EXPECT_EQ(zone->entities.get(clerkId)->getType(), Entity::TYPE_CLERK);
    Trigger* trigger = nullptr;
    for (const auto& entry : zone->entities)
        if (Trigger* t = editortesting::asTrigger(entry.second.get()))
            trigger = t;
    ASSERT_NE(trigger, nullptr);
    ASSERT_EQ(trigger->events.size(), 2u);
    EXPECT_EQ(trigger->events[0].dialogLines.at(0).text, "welcome in");
    EXPECT_EQ(trigger->events[1].type, Event::EVENT_MOVE);
    EXPECT_EQ(trigger->events[1].entityId, clerkId);
    EXPECT_EQ(trigger->events[1].destX, 7);
    EXPECT_EQ(trigger->events[1].destY, 8);
}

} // namespace
