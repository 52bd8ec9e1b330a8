#pragma once
// The world's picture kept between frames, for the software back end. Painted offscreen,
// the world part of a frame (its items up to the first drawn over the world) is copied into
// a texture when the view has not moved since the frame before; while later frames hold the
// same world items, in the same views, at the same depths, showing the same images, the
// picture is copied back (a blit: 0.1 ms at 800 x 600) instead of painted again (4 to 15),
// and only what stands over the world is painted on it. Held R in zone 0 copies in most of
// its frames; a frame whose view moves is neither compared nor kept.
//
// Nothing here knows the world: two lists are compared item by item, images by the number
// each texture was loaded with (VisiblePixels::stamp), never by address. A list holding
// text in the world, or an image without a number, is never kept.

#include "render/framelist.h"
#include "render/groundring.h"
#include "render/texturereader.h"

#include <SFML/Config.hpp>
#include <SFML/Graphics/Texture.hpp>

#include <cstdint>
#include <vector>

namespace sf { class RenderTexture; }

class KeptPicture final {
public:
    enum class Drawn { PAINTED, COPIED };

    KeptPicture();
    ~KeptPicture();
    KeptPicture(const KeptPicture&) = delete;
    KeptPicture& operator=(const KeptPicture&) = delete;

    // Paints frame on target, the world copied back when it is the one kept.
    Drawn paint(const FrameList& frame, sf::RenderTexture& target);
    // Makes room for target's picture now, so the first copy costs no more than the others,
    // and has the ring paint warm's ground (when given) the first time.
    void reserve(sf::RenderTexture& target, const FrameList* warm = nullptr);

    // The ground of the frames it paints, kept while the view moves.
    const GroundRing& ground() const { return ring; }

    // The benchmark weighs the picture kept against none: off, every frame is painted.
    static bool enabled;

    // The number of items of the frame's world: those before the first with no depth.
    static std::size_t worldEnd(const FrameList& frame);
    // True when the world items of a and b paint the same pixels on the same target: the
    // same kinds, views, depths, images, rectangles, transforms and colours, item by item.
    // False for any text, or an image without a number.
    static bool sameWorld(const FrameList& a, const FrameList& b);

private:
    // The kept texture at target's size, with target active again; false when it cannot be.
    bool fit(sf::RenderTexture& target);
    bool copyFrom(sf::RenderTexture& target);
    bool restoreTo(sf::RenderTexture& target);
    // The world's views this frame are those of the frame before.
    bool stillSince(const FrameList& frame) const;
    void noteViews(const FrameList& frame);
    // The numbers of the images the first end items show now, in order.
    static std::vector<std::uint64_t> stampsOf(const FrameList& frame, std::size_t end);

    GroundRing ring;
    FrameList kept;                    // the world items the picture holds
    std::vector<std::uint64_t> keptStamps; // and the numbers of their images then
    sf::IntRect keptHole;              // the cover it was painted around
    sf::Vector2u keptSize;
    sf::Color keptColour;
    bool holds = false;
    bool seen = false;                 // a frame was painted before
    std::vector<sf::View> lastViews;   // the last frame's world views, in order
    bool broken = false;               // the renderer refused; painting from now on
    sf::Texture picture;
    TextureReader reader;
};
