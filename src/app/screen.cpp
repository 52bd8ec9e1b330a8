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
    : window(targetWindow), offscreenReady(false), offscreenFailed(false), picture(&targetWindow)
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
    if (isScaled()) {
        offscreen.display();
        const sf::Vector2u size = window.getSize();
        window.setView(sf::View(sf::FloatRect(0.f, 0.f, static_cast<float>(size.x), static_cast<float>(size.y))));
        window.clear(sf::Color(0, 0, 0, 255));
        const sf::IntRect area = Letterbox(size).area();
        sf::Sprite shown(offscreen.getTexture());
        shown.setPosition(static_cast<float>(area.left), static_cast<float>(area.top));
        shown.setScale(static_cast<float>(area.width) / Letterbox::PICTURE.x,
                       static_cast<float>(area.height) / Letterbox::PICTURE.y);
        // The picture is opaque: copied, not blended.
        window.draw(shown, sf::BlendNone);
    }
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
