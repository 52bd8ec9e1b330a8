#pragma once
// The ground kept between frames while the view moves, for the software back end. The
// ground is most of a walking frame's pixels, and the renderer here fills them on the
// processor: painting it again every frame cost about 60% of the frame. A texture the
// target's size holds the ground of the world pixels in view, each world pixel (x, y) at
// texel (x mod width, y mod height), so a moving view reuses what it still shows: only the
// strips it brings into view are painted, and the whole is copied onto the target in up to
// four blits.
//
// Exact, not close: with the view at 1:1, a target pixel shows the texel of the world pixel
// its centre falls in, and a tile's image lies on whole world pixels, so painting the world
// at whole-pixel offsets and copying is the same as painting at the view's own offset. A
// view whose offset puts pixel centres within a hair of a pixel edge is painted directly,
// as the renderer's own rounding decides those.
//
// What the ring holds is known by content, never by address: each tile's image number
// (VisiblePixels::stamp), rectangle and texture origin, in painting order. Where the tiles
// over the part still in view differ from those it was painted with, it is painted anew.

#include "render/framelist.h"
#include "render/texturereader.h"

#include <SFML/Config.hpp>
#include <SFML/Graphics/Rect.hpp>
#include <SFML/Graphics/RenderTexture.hpp>

#include <cstddef>
#include <cstdint>
#include <vector>

class GroundRing final {
public:
    GroundRing();
    ~GroundRing();
    GroundRing(const GroundRing&) = delete;
    GroundRing& operator=(const GroundRing&) = delete;

    // When frame starts with ground, in one view the ring can serve: paints it on target
    // over the frame's clear colour (the clear included) and returns how many items that
    // was. Otherwise 0, and target is untouched.
    std::size_t paint(const FrameList& frame, sf::RenderTexture& target);

    // Makes the ring for target now, and the first time paints the ground of warm through
    // it (in two views, then cleared away): the renderer readies its ways of painting,
    // clearing and copying here rather than in the first frame of play.
    void reserve(sf::RenderTexture& target, const FrameList* warm);

    // The world pixels the last paint painted into the ring (0 when it only copied).
    std::size_t lastPainted() const { return painted; }
    // True when the last frame's ground came from the ring.
    bool served() const { return serving; }

    // The benchmark weighs the ring against none: off, the ground is painted every frame.
    static bool enabled;

private:
    struct Quad {
        std::uint64_t stamp;
        sf::IntRect rect;      // world pixels
        sf::Vector2i texture;  // the texel at its top left
        std::uint32_t item;    // which ground item, and its first vertex
        std::uint32_t vertex;
    };

    // The world pixel under the target's top-left pixel; false when the view is not 1:1 or
    // its pixel centres lie too near pixel edges.
    static bool origin(const sf::View& view, sf::Vector2u size, sf::Vector2i& at);
    // The ground items' tiles, in order; false for anything but whole, unscaled images at
    // whole pixels.
    static bool collect(const FrameList& frame, std::size_t end, std::vector<Quad>& into);
    bool make(sf::Vector2u size);
    // The parts of area that the tiles now would paint otherwise than those the ring was
    // painted with; false when there are too many to be worth it.
    bool changes(const sf::IntRect& area, std::vector<sf::IntRect>& stale) const;
    // Paints the world pixels of area (one piece of the ring, unwrapped) from the quads.
    void paintArea(const FrameList& frame, const sf::IntRect& area);
    void paintWorld(const FrameList& frame, const sf::IntRect& area);
    bool copyTo(sf::RenderTexture& target, sf::Vector2i at);

    sf::RenderTexture ring;
    sf::Vector2u size;
    bool broken = false;
    bool holds = false;
    sf::IntRect region;        // the world pixels the ring holds
    sf::Color colour;          // under them
    std::vector<Quad> quads;   // what they were painted with
    std::vector<Quad> current;
    std::vector<sf::Vertex> scratch;
    std::size_t painted = 0;
    bool serving = false;
    bool warmed = false;
    TextureReader reader;
};
