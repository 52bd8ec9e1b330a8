#pragma once
// What one frame paints, in order (the render list): the one way anything reaches the
// picture. States, zones, entities and overlays add to it what they would have drawn on a
// target, each in the view set when it was added; a presentation back end paints it
// (Painter) and shows it. Besides plain sprites, text, shapes and vertices, the world adds
// what the painter treats its own way: the ground in runs of one image, wall blocks held to
// the part that shows, sprites held to their visible pixels, and the area an opaque box
// painted later will cover, which the world's sprites and walls leave out.
//
// World items carry their depth (x + y of where they stand; the ground sorts before all),
// overlay items none: a pass over the list can tell what stands in front of what.

#include "core/letterbox.h"

#include <SFML/Graphics/BlendMode.hpp>
#include <SFML/Graphics/CircleShape.hpp>
#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/ConvexShape.hpp>
#include <SFML/Graphics/Rect.hpp>
#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/Graphics/VertexArray.hpp>
#include <SFML/Graphics/View.hpp>

#include <cmath>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

class FrameList final {
public:
    enum class Kind : std::uint8_t {
        DRAWN,   // a sprite, text, shape or vertices, drawn as it stands
        TRIMMED, // a sprite painted only around its visible texels (part)
        GROUND,  // tiles of one image: vertices, each tile the two triangles of its sprite
        WALL,    // a wall block's sprite painted only where part of its image shows
        COVER,   // part: pixels an opaque box painted later covers (top row first)
    };
    using Drawn = std::variant<sf::Sprite, sf::Text, sf::RectangleShape, sf::CircleShape, sf::ConvexShape, sf::VertexArray>;
    struct Item {
        Kind kind;
        std::uint32_t view;  // into views()
        std::uint32_t index; // into drawn()
        float depth;         // NAN outside the world
        sf::IntRect part;
        sf::BlendMode blend;
        const sf::Texture* texture; // for vertices
        // A character's: the flat colour it shows where a later wall block paints over it;
        // transparent for none.
        sf::Color silhouette;
    };
    static constexpr float GROUND_DEPTH = -INFINITY;

    explicit FrameList(sf::Vector2u size = Letterbox::PICTURE);

    // Empties the list for a frame that starts with the picture cleared to colour. The view
    // stays, so the mouse maps the same way across frames.
    void clear(const sf::Color& colour = sf::Color::Black);
    const sf::Color& clearColour() const { return background; }

    // As a render target of this size has them.
    sf::Vector2u getSize() const { return size; }
    void setView(const sf::View& view);
    const sf::View& getView() const { return views.back(); }
    sf::View getDefaultView() const;
    sf::IntRect getViewport(const sf::View& view) const;
    sf::Vector2f mapPixelToCoords(const sf::Vector2i& pixel, const sf::View& view) const;
    sf::Vector2f mapPixelToCoords(const sf::Vector2i& pixel) const { return mapPixelToCoords(pixel, getView()); }
    sf::Vector2i mapCoordsToPixel(const sf::Vector2f& point, const sf::View& view) const;
    sf::Vector2i mapCoordsToPixel(const sf::Vector2f& point) const { return mapCoordsToPixel(point, getView()); }

    // Where in the world what follows stands (x + y); NAN for what is drawn over the world.
    void setDepth(float depth) { currentDepth = depth; }
    float getDepth() const { return currentDepth; }

    // Each kept as it stands now; handed over with std::move, without a copy.
    void draw(const sf::Sprite& sprite, const sf::BlendMode& blend = sf::BlendAlpha);
    void draw(sf::Text text);
    void draw(sf::RectangleShape shape);
    void draw(sf::CircleShape shape);
    void draw(sf::ConvexShape shape);
    void draw(sf::VertexArray vertices, const sf::Texture* texture = nullptr);
    // A sprite of which only the texels within visible can show (a frame's margin is empty):
    // painted only around them, its triangles unchanged. Empty visible paints nothing.
    void trimmed(const sf::Sprite& sprite, const sf::IntRect& visible);
    // A character's sprite, trimmed so, that wall blocks added after it show in silhouette
    // where they hide it (alpha 0: none).
    void trimmed(const sf::Sprite& sprite, const sf::IntRect& visible, const sf::Color& silhouette);
    // Tiles of one image, as triangles (Triangles, texture coordinates in pixels).
    void ground(const sf::Texture& image, sf::VertexArray&& triangles);
    // A wall block's sprite, of whose image only showing can show.
    void wall(const sf::Sprite& sprite, const sf::IntRect& showing);
    // Pixels that something opaque painted later covers: the world leaves them out.
    void cover(const sf::IntRect& pixels);
    // The items [from, to) of other, in their order, views and depths (a picture shown
    // again, a part kept).
    void append(const FrameList& other, std::size_t from = 0, std::size_t to = static_cast<std::size_t>(-1));

    const std::vector<Item>& items() const { return list; }
    const Drawn& drawn(const Item& item) const { return drawables[item.index]; }
    const sf::View& view(const Item& item) const { return views[item.view]; }
    // The area the last cover item names; empty when there is none.
    sf::IntRect covered() const;

    // Says, for the debug overlay, how the picture is shown (the back end in use).
    std::string shownBy;

private:
    void add(Kind kind, Drawn&& drawable, const sf::IntRect& part = sf::IntRect(), const sf::BlendMode& blend = sf::BlendAlpha,
             const sf::Texture* texture = nullptr, const sf::Color& silhouette = sf::Color::Transparent);

    sf::Vector2u size;
    sf::Color background = sf::Color::Black;
    std::vector<sf::View> views;
    std::vector<Drawn> drawables;
    std::vector<Item> list;
    float currentDepth = NAN;
};
