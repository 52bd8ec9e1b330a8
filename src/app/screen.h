#pragma once
// Shows the game's 800 x 600 picture in a window of any size. At exactly 800 x 600 the
// picture is drawn straight into the window, as it always was; at any other size it is
// drawn into an 800 x 600 offscreen texture and presented scaled, centred, between black
// bars (see Letterbox): read back once and put on the window by the processor where the
// X server allows (WindowImage), else scaled by the renderer. It also keeps the frame rate.

#include "app/windowimage.h"

#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/System/Clock.hpp>
#include <SFML/Window/VideoMode.hpp>
#include <cstdint>
#include <vector>

namespace sf { class RenderWindow; }

class Screen final {
public:
    enum Scaling { BY_PROCESSOR_WHERE_POSSIBLE, BY_RENDERER };

    explicit Screen(sf::RenderWindow& targetWindow, Scaling scaling = BY_PROCESSOR_WHERE_POSSIBLE);
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    // The target for this frame's picture, cleared to black. A new target takes over the
    // view of the old one, so the mouse maps the same way across the change.
    sf::RenderTarget& beginFrame();
    // The target the next frame's picture goes to, before it is begun.
    sf::RenderTarget& target() { return choose(); }
    // Puts the picture on the window: scaled between bars, or already there.
    void compose();
    // compose, then display the window where the renderer drew into it, then wait out the
    // rest of the frame when frames are limited.
    void present();
    // Waits until the picture put on the window is there (the X server copies it while the
    // next frame is made).
    void finish();
    // Readies what the window's size needs (the offscreen picture, the window's image), so
    // that the first frame at a new size costs no more than the others.
    void prepare();
    // Frames shown per second at most; 0 for as fast as they come.
    void limitFrames(unsigned perSecond);
    // Makes the window anew in another mode (fullscreen and back), keeping the view the
    // picture is drawn with and readying the new window's renderer.
    void recreateWindow(const sf::VideoMode& mode, sf::Uint32 style);

    // Keeps the picture last shown, for showHeld.
    void hold();
    // Shows the held picture again, fitted to the window's size now, without drawing anew:
    // drawing the world advances its animations.
    void showHeld();

    bool isScaled() const { return picture == &offscreen; }
    // The last picture went on the window without the renderer: the window's own buffer
    // does not hold it.
    bool wasPutDirectly() const { return putDirectly; }

private:
    sf::RenderTarget& choose();
    // Puts a picture on the whole window by the renderer, scaled between bars.
    void fit(const sf::Texture& shown);
    // Reads the offscreen picture into `pixels`.
    void readBack();
    // The processor's way is on for the window as it is now.
    bool direct();

    sf::RenderWindow& window;
    sf::RenderTexture offscreen;
    bool offscreenReady;
    bool offscreenFailed;
    sf::RenderTarget* picture;
    // The held picture as a texture, for the renderer's way.
    sf::Texture heldCopy;
    const sf::Texture* held;
    // The processor's way: the last picture read back, RGBA bytes, bottom row first.
    Scaling scaling;
    WindowImage windowImage;
    sf::WindowHandle followed;
    std::vector<std::uint32_t> pixels;
    bool pixelsHeld;
    bool putDirectly;
    sf::Time frameTime;
    sf::Clock frameClock;
};
