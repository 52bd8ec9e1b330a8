#include "core/state.h"

#include "core/input.h"

State::State(sf::RenderWindow* targetWindow, State** stateTable)
    : window(targetWindow), states(stateTable)
{
}

void State::handleEvent(const sf::Event&) {}

int State::switchKeys(bool& switchLatch, int otherState)
{
    if (input::isKeyPressed(sf::Keyboard::Escape))
        return STATE_QUIT;
    const bool f12 = input::isKeyPressed(sf::Keyboard::F12);
    if (f12 && !switchLatch) {
        switchLatch = true;
        return otherState;
    }
    switchLatch = f12;
    return -1;
}
