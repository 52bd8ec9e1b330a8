#include "core/state.h"

#include "core/input.h"
#include "core/letterbox.h"

#include <SFML/Graphics/RenderWindow.hpp>

State::State(sf::RenderWindow* targetWindow, State** stateTable)
    : window(targetWindow), picture(targetWindow), states(stateTable)
{
}

void State::handleEvent(const sf::Event&) {}

bool State::isTyping() const { return false; }

void State::setTarget(sf::RenderTarget* target) { picture = target; }

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

sf::Vector2i State::mousePixel() const
{
    const sf::Vector2i pixel = input::mousePosition(*window);
    if (picture == window)
        return pixel;
    return Letterbox(window->getSize()).toPicture(pixel);
}
