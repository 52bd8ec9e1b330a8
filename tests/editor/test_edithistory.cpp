#include "editortesting.h"
#include "world/resourcemanager.h"
#include "world/tile.h"
#include "world/zone.h"

#include <gtest/gtest.h>

#include <random>

using editortesting::keyEvent;
using editortesting::tileCentre;

namespace {

class EditorHistoryTest : public EditorFixture {
protected:
    Zone& zone() { return *editor->currZone; }
    int pick(int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); }
    // Tiles near the grid's top corner: on screen, clear of the strip.
    sf::Vector2f someTile() { return tileCentre(pick(std::min(zone().getWidth(), 4)), pick(std::min(zone().getHeight(), 3))); }

    void drag(int mode, std::vector<sf::Vector2f> points, sf::Mouse::Button button = sf::Mouse::Left)
    {
        chooseMode(mode);
        pointAt(points.front());
        script.press(button);
        for (const sf::Vector2f& p : points) {
            pointAt(p);
            frame();
        }
        script.release(button);
        frame();
    }

    sf::Vector2f someEntity()
    {
        if (zone().entities.empty())
            return someTile();
        auto it = zone().entities.begin();
        std::advance(it, pick(static_cast<int>(zone().entities.size())));
        return it->second->position;
    }

    void answerIfAsked()
    {
        if (editor->question != StateEditor::Question::NONE)
            key(sf::Keyboard::N);
    }

    // One editing action, chosen at random, given as a user gives it.
    void randomAction()
    {
        const sf::Keyboard::Key kinds[] = {sf::Keyboard::Z, sf::Keyboard::X, sf::Keyboard::C, sf::Keyboard::V};
        switch (pick(12)) {
        case 0:
            editor->tileBrush = pick(static_cast<int>(ResourceManager::tileTextures.size()));
            drag(StateEditor::MODE_TILE_PAINT, {someTile(), someTile(), someTile()});
            break;
        case 1:
            editor->tileBrush = pick(static_cast<int>(ResourceManager::tileTextures.size()));
            script.press(sf::Keyboard::LShift);
            drag(StateEditor::MODE_TILE_PAINT, {someTile()});
            script.release(sf::Keyboard::LShift);
            break;
        case 2:
            drag(StateEditor::MODE_TILE_PROPERTIES, {someTile(), someTile()});
            key(kinds[pick(4)]);
            break;
        case 3: stamp(1 + pick(4), someTile()); break;
        case 4: drag(StateEditor::MODE_ENTITY, {someEntity(), someTile()}); break;
        case 5: drag(StateEditor::MODE_ENTITY, {someEntity()}, sf::Mouse::Right); break;
        case 6: run(pick(2) ? "id " + std::to_string(pick(900)) : "note n" + std::to_string(pick(9))); break;
        case 7: run("resize " + std::to_string(1 + pick(8)) + " " + std::to_string(1 + pick(8))); break;
        case 8:
            drag(StateEditor::MODE_TILE_PROPERTIES, {someTile()});
            run("link " + std::to_string(pick(5)));
            break;
        case 9: {
            pointAt(someTile());
            const char* lines[] = {"trigger 20", "event", "dialog", "dialogtext \"a b\"", "portraitid 2",
                                    "portraitpos 1", "eventtype", "evententity 3", "eventdest 2 1"};
            run(lines[pick(9)]);
            break;
        }
        case 10: run("new " + std::to_string(1 + pick(6)) + " " + std::to_string(1 + pick(6))); break;
        default: run("load 770"); break;
        }
        answerIfAsked();
    }

    std::mt19937 random;
};

// Every state after a step is checked on the way back and on the way forward again.
TEST_F(EditorHistoryTest, FiveHundredRandomEditsUndoToTheFirstBytesAndRedoToTheLast)
{
    testing::internal::CaptureStdout();
    ASSERT_EQ(run("id 770").size(), 1u);
    stamp(Entity::TYPE_ROBBER, tileCentre(1, 1));
    run("save");
    editor->leave();
    editor->enter();
    std::vector<std::string> states{zone().encode()};
    for (int action = 0; action < 500; ++action) {
        const std::size_t before = editor->history.undoCount();
        randomAction();
        const std::size_t steps = editor->history.undoCount() - before;
        ASSERT_LE(steps, 1u) << "action " << action;
        if (steps == 1)
            states.push_back(zone().encode());
    }
    testing::internal::GetCapturedStdout();
    std::remove("resources/lvl/770.zn");
    ASSERT_GT(states.size(), 300u);

    for (std::size_t k = states.size() - 1; k > 0; --k) {
        ASSERT_EQ(run("undo").front().rfind("Undid: ", 0), 0u);
        ASSERT_EQ(zone().encode(), states[k - 1]) << "after undoing step " << k;
    }
    EXPECT_EQ(run("undo"), std::vector<std::string>{"Nothing to undo."});
    EXPECT_EQ(zone().entities.nextID, 1);
    EXPECT_FALSE(editor->isUnsaved());
    sf::Event redo = keyEvent(sf::Keyboard::Y);
    redo.key.control = true;
    for (std::size_t k = 1; k < states.size(); ++k) {
        editor->handleEvent(redo);
        ASSERT_EQ(zone().encode(), states[k]) << "after redoing step " << k;
    }
    EXPECT_EQ(run("redo"), std::vector<std::string>{"Nothing to redo."});
}

TEST_F(EditorHistoryTest, StepsAreStrokesAndControlZIsNeverTheFloorKey)
{
    editor->tileBrush = 1;
    drag(StateEditor::MODE_TILE_PAINT, {tileCentre(0, 0), tileCentre(1, 0), tileCentre(1, 0), tileCentre(2, 0)});
    drag(StateEditor::MODE_TILE_PROPERTIES, {tileCentre(0, 0), tileCentre(2, 2)});
    EXPECT_EQ(editor->selectedTiles().size(), 9u);
    key(sf::Keyboard::C);
    key(sf::Keyboard::X);
    EXPECT_EQ(zone().getTile(2, 2)->type, TILE_WALL);

    sf::Event undo = keyEvent(sf::Keyboard::Z);
    undo.key.control = true;
    editor->handleEvent(undo);
    EXPECT_EQ(editor->console.log.front(), "Undid: set 9 tiles to wall");
    EXPECT_EQ(zone().getTile(2, 2)->type, TILE_LINKOUT); // the Z key would have made it floor
    run("undo");
    editor->handleEvent(undo);
    EXPECT_EQ(editor->console.log.front(), "Undid: paint 3 tiles");
    EXPECT_EQ(zone().getTile(1, 0)->texture, 0);
    undo.key.shift = true;
    editor->handleEvent(undo);
    EXPECT_EQ(editor->console.log.front(), "Redid: paint 3 tiles");

    // With the console open, Control+Z is typed like any key.
    key(sf::Keyboard::Tilde);
    undo.key.shift = false;
    editor->handleEvent(undo);
    EXPECT_EQ(editor->console.input, "z");
    EXPECT_EQ(zone().getTile(1, 0)->texture, 1);
}

TEST_F(EditorHistoryTest, FloodFillPaintsTheConnectedImageAsOneStep)
{
    run("resize 4 4");
    editor->tileBrush = 2;
    drag(StateEditor::MODE_TILE_PAINT, {tileCentre(0, 2), tileCentre(1, 2), tileCentre(2, 2), tileCentre(3, 2)});
    editor->tileBrush = 1;
    script.press(sf::Keyboard::LShift);
    drag(StateEditor::MODE_TILE_PAINT, {tileCentre(0, 0), tileCentre(3, 3)});
    script.release(sf::Keyboard::LShift);
    int ones = 0;
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 4; ++y)
            ones += zone().getTile(x, y)->texture == 1;
    EXPECT_EQ(ones, 8); // the rows above the painted line; the rest of the fill's press paints nothing
    EXPECT_EQ(run("undo"), std::vector<std::string>{"Undid: fill 8 tiles"});
    EXPECT_EQ(zone().getTile(0, 0)->texture, 0);
}

TEST_F(EditorHistoryTest, UndoneResizeBringsBackCutTilesAndKeepsEntityIds)
{
    editor->tileBrush = 3;
    drag(StateEditor::MODE_TILE_PAINT, {tileCentre(2, 0)});
    stamp(Entity::TYPE_CLERK, tileCentre(0, 1));
    const std::string before = zone().encode();
    run("resize 2 12");
    run("resize 4 4");
    run("undo");
    run("undo");
    EXPECT_EQ(zone().encode(), before);
    stamp(Entity::TYPE_ROBBER, tileCentre(1, 1));
    EXPECT_NE(zone().entities.get(2), nullptr);
}

TEST_F(EditorHistoryTest, StripClicksChooseAndTheWheelZoomsAboutTheCursor)
{
    const sf::Vector2u size = window->getSize();
    script.setMouse(sf::Vector2i(3 + 56 * 2 + 20, static_cast<int>(size.y) - 20));
    script.press(sf::Mouse::Left);
    frame();
    script.release(sf::Mouse::Left);
    frame();
    EXPECT_EQ(editor->tileBrush, 2);
    EXPECT_FALSE(editor->isUnsaved());

    pointAt(tileCentre(3, 2));
    const sf::Vector2f under = editor->mouseWorld();
    sf::Event wheel{};
    wheel.type = sf::Event::MouseWheelScrolled;
    wheel.mouseWheelScroll.wheel = sf::Mouse::VerticalWheel;
    for (float delta : {4.0f, 9.0f, -3.0f}) {
        wheel.mouseWheelScroll.delta = delta;
        editor->handleEvent(wheel);
        EXPECT_NEAR(editor->mouseWorld().x, under.x, 0.05f);
        EXPECT_NEAR(editor->mouseWorld().y, under.y, 0.05f);
    }
    EXPECT_NEAR(editor->zoom, StateEditor::MAX_ZOOM / 1.6818f, 1e-3f);
    script.press(sf::Mouse::Left);
    frame();
    EXPECT_EQ(zone().getTile(3, 2)->texture, 2);
}

} // namespace
