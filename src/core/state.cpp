#include "core/state.h"

#include "core/input.h"

State::State(sf::RenderWindow* targetWindow, State** stateTable)
    : window(targetWindow), states(stateTable)
{
}

void State::handleEvent(const sf::Event&) {}

bool State::mayClose() { return true; }

bool State::freshPress(sf::Keyboard::Key key, bool& latch)
{
    const bool held = input::isKeyPressed(key);
    const bool fresh = held && !latch;
    latch = held;
    return fresh;
}

int State::switchKeys(bool& switchLatch, int otherState)
{
    if (input::isKeyPressed(sf::Keyboard::Escape))
        return STATE_QUIT;
    return freshPress(sf::Keyboard::F12, switchLatch) ? otherState : -1;
}
