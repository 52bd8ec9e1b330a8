#include "render/state.h"

#include "core/input.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/View.hpp>

State::State(sf::RenderWindow* targetWindow, State** stateTable) : window(targetWindow), frame(&own), states(stateTable) {}

void State::handleEvent(const sf::Event&) {}

bool State::mayClose() { return true; }

bool State::freshPress(sf::Keyboard::Key key, bool& latch)
{
    const bool held = input::isKeyPressed(key);
    const bool fresh = held && !latch;
    latch = held;
    return fresh;
}

bool State::isTyping() const { return false; }

void State::setFrame(FrameList* list) { frame = list != nullptr ? list : &own; }

int State::switchKeys(bool& switchLatch, int otherState)
{
    if (input::isKeyPressed(sf::Keyboard::Escape))
        return STATE_QUIT;
    return freshPress(sf::Keyboard::F12, switchLatch) ? otherState : -1;
}

sf::Vector2f State::mouseIn(const sf::View& view) const
{
    const bool painted = frame == &own;
    const sf::Vector2i pixel = input::picturePixel(*window, !painted);
    return painted ? window->mapPixelToCoords(pixel, view) : frame->mapPixelToCoords(pixel, view);
}
