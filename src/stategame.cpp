#include "stategame.h"

#include "resourcemanager.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Text.hpp>

StateGame::StateGame(sf::RenderWindow* targetWindow, State** stateTable)
    : State(targetWindow, stateTable), camera(targetWindow), switchLatch(true)
{
}

int StateGame::update()
{
    const int next = switchKeys(switchLatch, STATE_EDITOR);
    return next >= 0 ? next : STATE_GAME;
}

void StateGame::draw()
{
    camera.setScreenSpace(true);
    sf::Text title("MORVANE", ResourceManager::dialogFont, 30);
    title.setPosition(320.f, 280.f);
    window->draw(title);
    camera.setScreenSpace(false);
}

void StateGame::enter() {}

void StateGame::leave() {}

void StateGame::handleEvent(const sf::Event&) {}
