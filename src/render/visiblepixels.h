#pragma once
// Which pixels of an image are visible (alpha above 0). Character frames and props are
// mostly empty margin: the painter paints only the pixels around their visible part, which
// spares the software rasteriser from blending thousands of transparent pixels and paints
// the same picture. Each texture the game loads is remembered here with a number of its
// own, which says in a picture's description which image it shows.

#include <SFML/Graphics/Rect.hpp>

#include <cstdint>

namespace sf {
class Image;
class Texture;
} // namespace sf

class VisiblePixels final {
public:
    // Smallest rectangle inside region holding every pixel with alpha above 0; an empty
    // rectangle (width and height 0, at region's corner) when there is none.
    static sf::IntRect bounds(const sf::Image& image, const sf::IntRect& region);
    // The same for a texture. Textures loaded from an image that was remembered are
    // answered from that; others are read back from the graphics card, which is slow.
    static sf::IntRect bounds(const sf::Texture& texture, const sf::IntRect& region);
    // The visible pixels a sprite showing region may take: those of region and of the ring
    // of texels around it, which a pixel centre on region's very edge can take.
    static sf::IntRect sampled(const sf::Texture& texture, const sf::IntRect& region);

    // Keeps which pixels of texture are visible, from the image it was just loaded from.
    static void remember(const sf::Texture& texture, const sf::Image& image);
    // True when texture's visible pixels were remembered from the image it holds.
    static bool isRemembered(const sf::Texture& texture);
    // The number given to the image texture was last loaded with, never given again; 0 for
    // a texture not remembered (or none).
    static std::uint64_t stamp(const sf::Texture* texture);
    // Before textures are destroyed: a later texture at the same address is another image.
    static void forget(const sf::Texture& texture);
    static void forgetAll();
};
