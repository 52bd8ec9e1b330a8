#pragma once
// The part of an image region that holds any visible pixel. Character frames and props
// are mostly empty margin; painting only the pixels around their visible part spares the
// software rasteriser from blending thousands of transparent pixels, and paints the same
// picture.

#include <SFML/Graphics/Rect.hpp>

namespace sf {
class Transform;
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
    // The visible pixels a sprite showing region may take: those of region and of the ring
    // of texels around it, which a pixel centre on region's very edge can take.
    static sf::IntRect sampledBounds(const sf::Texture& texture, const sf::IntRect& region);

    // Keeps which pixels of texture are visible, from the image it was just loaded from.
    static void remember(const sf::Texture& texture, const sf::Image& image);
    // True when texture's visible pixels were remembered from the image it holds.
    static bool isRemembered(const sf::Texture& texture);
    // Before textures are destroyed: a later texture at the same address is another image.
    static void forget(const sf::Texture& texture);
    static void forgetAll();

    // While false, draw paints every sprite whole: the plain method the trimmed one is held to.
    static bool trimming;

    // Draws sprite as it stands, painting only the screen pixels around visible (from
    // sampledBounds, or the visible bounds of a whole texture). The sprite keeps its own
    // triangles, so every pixel painted takes the very texel the whole sprite gives it, at
    // any scale and position; the rasteriser is just held to a box of the target. Pixels
    // of a hidden area are left out too. Into a DrawList, the draw is only kept.
    static void draw(sf::RenderTarget& target, const sf::Sprite& sprite, const sf::IntRect& visible);

    // The target's pixels (top row first) that local, placed by transform, can cover in
    // the target's view: a pixel more each way than the exact sum. Empty when none.
    static sf::IntRect pixelsUnder(const sf::RenderTarget& target, const sf::Transform& transform, const sf::FloatRect& local);

    // While one lives, everything drawn on target, the media library's draws and copies
    // included, lands only within area (its pixels, top row first): the renderer's scissor
    // box stays on, and draw cuts its own boxes to the area.
    class Clip final {
    public:
        Clip(sf::RenderTarget& target, const sf::IntRect& area);
        ~Clip();
        Clip(const Clip&) = delete;
        Clip& operator=(const Clip&) = delete;
    };

    // While one lives, draw leaves out the pixels of target within area (its pixels, top
    // row first): something opaque is painted over them before the picture is shown.
    class Hidden final {
    public:
        Hidden(const sf::RenderTarget& target, const sf::IntRect& area);
        ~Hidden();
        Hidden(const Hidden&) = delete;
        Hidden& operator=(const Hidden&) = delete;
        // True while an area of target is hidden.
        static bool on(const sf::RenderTarget& target);
        // The area of target hidden now; empty when none is.
        static sf::IntRect area(const sf::RenderTarget& target);
    };
};
