#include "app/screen.h"

#include "app/mainloop.h"
#include "core/letterbox.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/OpenGL.hpp>
#include <SFML/System/Sleep.hpp>
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
const char* MSG_NO_OFFSCREEN = "Cannot scale the picture here: it is drawn at 800 x 600 in the window's corner\n";
} // namespace

Screen::Screen(sf::RenderWindow& targetWindow, Scaling how)
    : window(targetWindow), offscreenReady(false), offscreenFailed(false), picture(&targetWindow), held(nullptr),
      scaling(how), followed(0), pixels(static_cast<std::size_t>(Letterbox::PICTURE.x) * Letterbox::PICTURE.y),
      pixelsHeld(false), putDirectly(false)
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

bool Screen::direct()
{
    if (scaling != BY_PROCESSOR_WHERE_POSSIBLE || !window.isOpen())
        return false;
    // A window made anew (fullscreen and back) is another X window.
    const sf::WindowHandle handle = window.getSystemHandle();
    if (handle != followed) {
        followed = handle;
        windowImage.follow(handle);
    }
    return windowImage.isOn();
}

void Screen::readBack()
{
    if (!offscreen.setActive(true))
        return;
    // In the picture's own order of channels: the renderer copies the rows as they are
    // instead of reordering every pixel's bytes.
    glReadPixels(0, 0, static_cast<GLsizei>(Letterbox::PICTURE.x), static_cast<GLsizei>(Letterbox::PICTURE.y), GL_RGBA,
                 GL_UNSIGNED_BYTE, pixels.data());
}

void Screen::present()
{
    if (!window.isOpen())
        return;
    compose();
    if (!putDirectly)
        window.display();
    if (frameTime != sf::Time::Zero) {
        sf::sleep(frameTime - frameClock.getElapsedTime());
        frameClock.restart();
    }
}

void Screen::prepare()
{
    if (!window.isOpen() || &choose() == &window)
        return;
    if (direct())
        windowImage.prepare(window.getSize());
}

void Screen::finish()
{
    if (putDirectly)
        windowImage.finish();
}

void Screen::limitFrames(unsigned perSecond)
{
    frameTime = perSecond == 0 ? sf::Time::Zero : sf::seconds(1.f / static_cast<float>(perSecond));
}

void Screen::compose()
{
    putDirectly = false;
    if (!window.isOpen() || !isScaled())
        return;
    offscreen.display();
    if (direct()) {
        readBack();
        putDirectly = windowImage.show(pixels.data(), window.getSize());
        if (putDirectly)
            return;
    }
    fit(offscreen.getTexture());
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
    held = nullptr;
    pixelsHeld = false;
    if (isScaled()) {
        // Drawn offscreen, the last picture is still there, and was read back to be shown.
        held = &offscreen.getTexture();
        pixelsHeld = direct();
        return;
    }
    if (!heldCopy.create(window.getSize().x, window.getSize().y))
        return;
    // Copied from the window's last frame (reading the window's pixels straight back
    // crashes the software renderer when the window has just been resized).
    heldCopy.update(window);
    held = &heldCopy;
    if (!direct() || heldCopy.getSize() != Letterbox::PICTURE)
        return;
    // The copy comes top row first; the processor's scaling takes the bottom row first.
    const sf::Image copy = heldCopy.copyToImage();
    const std::size_t rowBytes = Letterbox::PICTURE.x * 4;
    for (std::size_t y = 0; y < Letterbox::PICTURE.y; ++y)
        std::memcpy(&pixels[(Letterbox::PICTURE.y - 1 - y) * Letterbox::PICTURE.x], copy.getPixelsPtr() + y * rowBytes,
                    rowBytes);
    pixelsHeld = true;
}

void Screen::showHeld()
{
    if (!window.isOpen())
        return;
    // On the window before the game goes back to waiting.
    if (pixelsHeld && direct() && windowImage.show(pixels.data(), window.getSize())) {
        windowImage.finish();
        return;
    }
    if (held == nullptr)
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
