#include "render/processorpresenter.h"

#include "core/letterbox.h"
#include "render/framelist.h"
#include "render/painter.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/OpenGL.hpp>

#include <cstring>

ProcessorPresenter::ProcessorPresenter(sf::RenderWindow& windowIn, bool shareMemory)
    : Presenter(windowIn), windowImage(shareMemory),
      pixels(static_cast<std::size_t>(Letterbox::PICTURE.x) * Letterbox::PICTURE.y)
{
}

std::string ProcessorPresenter::name() const
{
    return putDirectly ? "the processor, shared memory" : lastScaled ? "the processor, one scaled quad" : "the processor, in the window";
}

sf::RenderTarget& ProcessorPresenter::target()
{
    if (Letterbox(window.getSize()).isExact() || offscreenFailed)
        return window;
    if (!offscreenReady) {
        offscreenReady = makePicture(offscreen);
        offscreenFailed = !offscreenReady;
    }
    return offscreenReady ? static_cast<sf::RenderTarget&>(offscreen) : window;
}

bool ProcessorPresenter::direct()
{
    if (!window.isOpen())
        return false;
    // A window made anew (fullscreen and back) is another X window.
    const sf::WindowHandle handle = window.getSystemHandle();
    if (handle != followed) {
        followed = handle;
        windowImage.follow(handle);
    }
    return windowImage.isOn();
}

void ProcessorPresenter::readBack()
{
    if (!offscreen.setActive(true))
        return;
    // In the picture's own order of channels: the renderer copies the rows as they are
    // instead of reordering every pixel's bytes.
    glReadPixels(0, 0, static_cast<GLsizei>(Letterbox::PICTURE.x), static_cast<GLsizei>(Letterbox::PICTURE.y), GL_RGBA,
                 GL_UNSIGNED_BYTE, pixels.data());
}

void ProcessorPresenter::show(const FrameList& frame)
{
    putDirectly = false;
    sf::RenderTarget& into = target();
    lastScaled = &into == &offscreen;
    if (!lastScaled) {
        // The window's pixels are BGRX, a kept picture's RGBA: the renderer would convert
        // both ways pixel by pixel, which costs more than painting.
        Painter::paint(frame, window);
        drawn = KeptPicture::Drawn::PAINTED;
        window.display();
        return;
    }
    drawn = kept.paint(frame, offscreen);
    offscreen.display();
    if (direct()) {
        readBack();
        putDirectly = windowImage.show(pixels.data(), window.getSize());
        if (putDirectly)
            return;
    }
    showScaled(offscreen.getTexture());
}

void ProcessorPresenter::prepare()
{
    if (!window.isOpen() || &target() == &window)
        return;
    kept.reserve(offscreen, warmUpList());
    if (direct())
        windowImage.prepare(window.getSize());
}

void ProcessorPresenter::finish()
{
    if (putDirectly)
        windowImage.finish();
}

void ProcessorPresenter::hold()
{
    held = nullptr;
    pixelsHeld = false;
    if (lastScaled) {
        // Painted offscreen, the last picture is still there, and was read back to be shown.
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

void ProcessorPresenter::showHeld()
{
    if (!window.isOpen())
        return;
    // On the window before the game goes back to waiting.
    if (pixelsHeld && direct() && windowImage.show(pixels.data(), window.getSize())) {
        windowImage.finish();
        return;
    }
    if (held != nullptr)
        showScaled(*held);
}
