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
