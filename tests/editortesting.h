#pragma once
// A fresh editor on the generated resources, driven by scripted input, for the editor tests.

#include "app/mainloop.h"
#include "world/entity.h"
#include "core/globals.h"
#include "world/resourcemanager.h"
#include "core/input.h"
#include "editor/stateeditor.h"
#include "testsupport.h"
#include "play/trigger.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace editortesting {

inline sf::Vector2f tileCentre(int x, int y) { return sf::Vector2f(32.0f * x + 16.0f, 32.0f * y + 16.0f); }

inline sf::Event keyEvent(sf::Keyboard::Key code, bool shift = false)
{
    sf::Event event{};
    event.type = sf::Event::KeyPressed;
    event.key.code = code;
    event.key.shift = shift;
    return event;
}

// Key presses that type text on the console: letters, digits, space, quotes, Return.
inline std::vector<sf::Event> typing(const std::string& text)
{
    std::vector<sf::Event> events;
    for (char c : text) {
        if (c >= 'a' && c <= 'z')
            events.push_back(keyEvent(static_cast<sf::Keyboard::Key>(sf::Keyboard::A + (c - 'a'))));
        else if (c >= '0' && c <= '9')
            events.push_back(keyEvent(static_cast<sf::Keyboard::Key>(sf::Keyboard::Num0 + (c - '0'))));
        else if (c == ' ')
            events.push_back(keyEvent(sf::Keyboard::Space));
        else if (c == '"')
            events.push_back(keyEvent(sf::Keyboard::Quote, true));
        else if (c == '\n')
            events.push_back(keyEvent(sf::Keyboard::Return));
        else
            ADD_FAILURE() << "no key for " << c;
    }
    return events;
}

inline Trigger* asTrigger(Entity* e)
{
    return e && e->getType() == Entity::TYPE_TRIGGER ? static_cast<Trigger*>(e) : nullptr;
}

} // namespace editortesting

class EditorFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::loadTestResources();
        input::setSource(&script);
        window = &testsupport::window();
        window->setView(window->getDefaultView());
        editor = std::make_unique<StateEditor>(window, nullptr);
        editor->enter();
    }

    void TearDown() override
    {
        editor->leave();
        editor.reset();
        input::setSource(nullptr);
    }

    // Runs a typed line; the console lines it printed, oldest first.
    std::vector<std::string> run(const std::string& line)
    {
        editor->console.log.clear();
        editor->runCommand(line);
        return std::vector<std::string>(editor->console.log.rbegin(), editor->console.log.rend());
    }

    // Puts the mouse on the pixel that shows a world point.
    void pointAt(const sf::Vector2f& world)
    {
        script.setMouse(window->mapCoordsToPixel(worldToScreen(world), editor->getFrame().getView()));
    }

    void key(sf::Keyboard::Key code) { editor->handleEvent(editortesting::keyEvent(code)); }
    // Answers the editor's question with a key; the console lines that printed, oldest first.
    std::vector<std::string> answer(sf::Keyboard::Key code)
    {
        editor->console.log.clear();
        key(code);
        return std::vector<std::string>(editor->console.log.rbegin(), editor->console.log.rend());
    }
    void type(const std::string& text)
    {
        for (const sf::Event& event : editortesting::typing(text))
            editor->handleEvent(event);
    }

    void frame() { editor->update(); }

    void chooseMode(int mode)
    {
        const sf::Keyboard::Key keys[] = {sf::Keyboard::Num1, sf::Keyboard::Num2, sf::Keyboard::Num3};
        script.press(keys[mode]);
        frame();
        script.release(keys[mode]);
    }

    // Left button down for one frame, then up for one.
    void click()
    {
        script.press(sf::Mouse::Left);
        frame();
        script.release(sf::Mouse::Left);
        frame();
    }

    void selectTile(int x, int y)
    {
        chooseMode(StateEditor::MODE_TILE_PROPERTIES);
        pointAt(editortesting::tileCentre(x, y));
        click();
    }

    // Space in entity mode with a stamp type (props: prop 0) at a world point.
    void stamp(int stampType, const sf::Vector2f& world)
    {
        chooseMode(StateEditor::MODE_ENTITY);
        editor->stampType = stampType;
        editor->doodadIndex = 0;
        pointAt(world);
        key(sf::Keyboard::Space);
    }

    Trigger* selectedTrigger() { return editortesting::asTrigger(editor->selectedEntity); }

    input::ScriptedSource script;
    sf::RenderWindow* window = nullptr;
    std::unique_ptr<StateEditor> editor;
};

// The real state table and frame loop, in a scratch working directory with an empty level
// folder; first is entered at the start.
class RealStatesFixture : public ::testing::Test {
protected:
    explicit RealStatesFixture(int first) : current(first) {}

    void SetUp() override
    {
        testsupport::loadTestResources();
        dir = testsupport::makeTempDir();
        std::filesystem::create_directories(dir + "/resources/lvl");
        cwd = std::make_unique<testsupport::ScopedCwd>(dir);
        input::setSource(&script);
        window = &testsupport::window();
        table = createStates(window);
        states = table->get();
        states[current]->enter();
    }
    void TearDown() override
    {
        states[current]->leave();
        table.reset();
        input::setSource(nullptr);
        ResourceManager::music().stop();
        cwd.reset();
        std::filesystem::remove_all(dir);
    }
    void frame()
    {
        pumpEvents(states, &current, window);
        window->clear();
        stepState(states, &current, window);
    }
    // A key held for one frame, then released for one.
    void hold(sf::Keyboard::Key key)
    {
        script.press(key);
        frame();
        script.release(key);
        frame();
    }

    std::string dir;
    std::unique_ptr<testsupport::ScopedCwd> cwd;
    input::ScriptedSource script;
    sf::RenderWindow* window = nullptr;
    std::unique_ptr<StateTable> table;
    State** states = nullptr;
    int current;
};
