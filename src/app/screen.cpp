#include "app/screen.h"

#include "app/mainloop.h"
#include "core/letterbox.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <cstdio>

namespace {
const char* MSG_NO_OFFSCREEN = "Cannot scale the picture here: it is drawn at 800 x 600 in the window's corner\n";
} // namespace

Screen::Screen(sf::RenderWindow& targetWindow)
    : window(targetWindow), offscreenReady(false), offscreenFailed(false), picture(&targetWindow), held(nullptr)
{
}

sf::RenderTarget& Screen::choose()
{
    if (Letterbox(window.getSize()).isExact() || offscreenFailed)
        return window;
    if (!offscreenReady) {
        if (!offscreen.create(Letterbox::PICTURE.x, Letterbox::PICTURE.y)) {
            offscreenFailed = true;
            std::printf("%s", MSG_NO_OFFSCREEN);
            std::fflush(stdout);
            return window;
        }
        prepareRenderer(offscreen);
        offscreenReady = true;
    }
    return offscreen;
}

sf::RenderTarget& Screen::beginFrame()
{
    sf::RenderTarget& next = choose();
    if (&next != picture) {
        next.setView(picture->getView());
        picture = &next;
    }
    picture->clear(sf::Color(0, 0, 0, 255));
    return *picture;
}

void Screen::present()
{
    if (!window.isOpen())
        return;
    compose();
    window.display();
}

void Screen::compose()
{
    if (window.isOpen() && isScaled()) {
        offscreen.display();
        fit(offscreen.getTexture());
    }
}

void Screen::fit(const sf::Texture& shown)
{
    const sf::Vector2u size = window.getSize();
    window.setView(sf::View(sf::FloatRect(0.f, 0.f, static_cast<float>(size.x), static_cast<float>(size.y))));
    window.clear(sf::Color(0, 0, 0, 255));
    const sf::IntRect area = Letterbox(size).area();
    sf::Sprite sprite(shown);
    sprite.setPosition(static_cast<float>(area.left), static_cast<float>(area.top));
    sprite.setScale(static_cast<float>(area.width) / shown.getSize().x,
                    static_cast<float>(area.height) / shown.getSize().y);
    // The picture is opaque: copied, not blended.
    window.draw(sprite, sf::BlendNone);
}

void Screen::hold()
{
    if (isScaled()) {
        held = &offscreen.getTexture();
    } else if (heldCopy.create(window.getSize().x, window.getSize().y)) {
        heldCopy.update(window);
        held = &heldCopy;
    }
}

void Screen::showHeld()
{
    if (!window.isOpen() || held == nullptr)
        return;
    fit(*held);
    window.display();
}

void Screen::recreateWindow(const sf::VideoMode& mode, sf::Uint32 style)
{
    const sf::View kept = picture->getView();
    createWindow(window, mode, style);
    prepareRenderer(window);
    if (picture == &window)
        window.setView(kept);
}
