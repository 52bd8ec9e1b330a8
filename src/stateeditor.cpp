#include "stateeditor.h"

#include "resourcemanager.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Text.hpp>

StateEditor::StateEditor(sf::RenderWindow* targetWindow, State** stateTable)
    : State(targetWindow, stateTable), camera(targetWindow), switchLatch(true)
{
}

int StateEditor::update()
{
    const int next = switchKeys(switchLatch, STATE_GAME);
    return next >= 0 ? next : STATE_EDITOR;
}

void StateEditor::draw()
{
    camera.setScreenSpace(true);
    sf::Text title("Level editor", ResourceManager::debugFont, 10);
    title.setPosition(5.f, 5.f);
    window->draw(title);
    camera.setScreenSpace(false);
}

void StateEditor::enter() {}

void StateEditor::leave() {}

void StateEditor::handleEvent(const sf::Event&) {}
