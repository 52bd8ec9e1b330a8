#pragma once
// The part of an image region that holds any visible pixel. Character frames and props
// are mostly empty margin; drawing only their visible part spares the software
// rasteriser from blending thousands of transparent pixels, and paints the same picture.

#include <SFML/Graphics/Rect.hpp>

namespace sf {
class Image;
class RenderTarget;
class Sprite;
class Texture;
} // namespace sf

class SpriteTrim final {
public:
    // Smallest rectangle inside region holding every pixel with alpha above 0; an empty
    // rectangle (width and height 0, at region's corner) when there is none.
    static sf::IntRect visibleBounds(const sf::Image& image, const sf::IntRect& region);
    // The same for a texture. Textures loaded from an image that was remembered are
    // answered from that; others are read back from the graphics card, which is slow.
    static sf::IntRect visibleBounds(const sf::Texture& texture, const sf::IntRect& region);

    // Keeps which pixels of texture are visible, from the image it was just loaded from.
    static void remember(const sf::Texture& texture, const sf::Image& image);
    // True when texture's visible pixels were remembered from the image it holds.
    static bool isRemembered(const sf::Texture& texture);
    // Before textures are destroyed: a later texture at the same address is another image.
    static void forget(const sf::Texture& texture);
    static void forgetAll();

    // Draws sprite as it stands, but only over visible, a part of its texture rectangle.
    // Takes the sprite by value: callers hand over a placed copy, which is cut in place.
    static void draw(sf::RenderTarget& target, sf::Sprite sprite, const sf::IntRect& visible);
};
