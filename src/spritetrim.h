#pragma once
// The part of an image region that holds any visible pixel. Character frames and props
// are mostly empty margin; drawing only their visible part spares the software
// rasteriser from blending thousands of transparent pixels, and paints the same picture.

#include <SFML/Graphics/Rect.hpp>

namespace sf {
class Image;
class RenderTarget;
class Sprite;
} // namespace sf

class SpriteTrim final {
public:
    // Smallest rectangle inside region holding every pixel with alpha above 0; an empty
    // rectangle (width and height 0, at region's corner) when there is none.
    static sf::IntRect visibleBounds(const sf::Image& image, const sf::IntRect& region);

    // Draws sprite as it stands, but only over visible, a part of its texture rectangle.
    static void draw(sf::RenderTarget& target, const sf::Sprite& sprite, const sf::IntRect& visible);
};
