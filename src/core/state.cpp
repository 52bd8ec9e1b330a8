#include "core/state.h"

#include "core/input.h"
#include "core/letterbox.h"

#include "core/camera.h"

#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Sprite.hpp>

State::State(sf::RenderWindow* targetWindow, State** stateTable)
    : window(targetWindow), picture(targetWindow), states(stateTable)
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

bool State::isTyping() const { return false; }

void State::setTarget(sf::RenderTarget* target) { picture = target; }

int State::switchKeys(bool& switchLatch, int otherState)
{
    if (input::isKeyPressed(sf::Keyboard::Escape))
        return STATE_QUIT;
    return freshPress(sf::Keyboard::F12, switchLatch) ? otherState : -1;
}

sf::Vector2i State::mousePixel() const { return input::picturePixel(*window, picture != window); }

void State::copyPicture(sf::Texture& into) const
{
    if (picture == window) {
        if (into.create(window->getSize().x, window->getSize().y))
            into.update(*window);
    } else if (auto* offscreen = dynamic_cast<sf::RenderTexture*>(picture)) {
        offscreen->display();
        into = offscreen->getTexture();
    }
}

void State::showPicture(const sf::Texture& copy) const
{
    if (copy.getSize().x == 0 || copy.getSize().y == 0)
        return;
    picture->setView(Camera::pictureView());
    sf::Sprite shown(copy);
    shown.setScale(static_cast<float>(Letterbox::PICTURE.x) / copy.getSize().x,
                   static_cast<float>(Letterbox::PICTURE.y) / copy.getSize().y);
    picture->draw(shown, sf::BlendNone);
}
