#pragma once
// Shows the game's 800 x 600 picture in a window of any size. At exactly 800 x 600 the
// picture is drawn straight into the window, as it always was; at any other size it is
// drawn into an 800 x 600 offscreen texture and presented scaled, centred, between black
// bars (see Letterbox).

#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Window/VideoMode.hpp>

namespace sf { class RenderWindow; }

class Screen final {
public:
    explicit Screen(sf::RenderWindow& targetWindow);
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    // The target for this frame's picture, cleared to black. A new target takes over the
    // view of the old one, so the mouse maps the same way across the change.
    sf::RenderTarget& beginFrame();
    // Puts the picture on the window: scaled between bars, or already there.
    void compose();
    // compose, then display the window.
    void present();
    // Makes the window anew in another mode (fullscreen and back), keeping the view the
    // picture is drawn with and readying the new window's renderer.
    void recreateWindow(const sf::VideoMode& mode, sf::Uint32 style);

    // Keeps the picture last shown, for showHeld. Drawn offscreen it is simply not cleared;
    // drawn into the window it is read back from the window's last frame.
    void hold();
    // Shows the held picture again, fitted to the window's size now, without drawing anew:
    // drawing the world advances its animations.
    void showHeld();

    bool isScaled() const { return picture == &offscreen; }

private:
    sf::RenderTarget& choose();
    // Puts a picture on the whole window, scaled between bars.
    void fit(const sf::Texture& shown);

    sf::RenderWindow& window;
    sf::RenderTexture offscreen;
    bool offscreenReady;
    bool offscreenFailed;
    sf::RenderTarget* picture;
    sf::Texture heldCopy;
    const sf::Texture* held;
};
