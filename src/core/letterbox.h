#pragma once
// Where the game's fixed 800 x 600 picture sits in a window of any size: scaled by the
// largest factor that fits, centred, with black bars. Window pixels map back to the
// picture pixel shown under them.

#include <SFML/Graphics/Rect.hpp>
#include <SFML/System/Vector2.hpp>

class Letterbox final {
public:
    static const sf::Vector2u PICTURE;

    explicit Letterbox(sf::Vector2u windowSize);

    // The window pixels the picture covers: whole pixels, so its edges never blur.
    const sf::IntRect& area() const { return shown; }
    bool isExact() const;

    // The picture pixel shown at a window pixel, sampled at the pixel's centre as the
    // scaled picture is; pixels on a bar give the nearest edge of the picture.
    sf::Vector2i toPicture(sf::Vector2i windowPixel) const;

private:
    sf::IntRect shown;
};
