#pragma once
// The ground of a zone in one draw call: the tiles that can touch the view, in the grid's
// painting order, as triangles over one atlas of every tile image.

#include <SFML/Graphics/Texture.hpp>
#include <SFML/Graphics/Vertex.hpp>
#include <vector>

namespace sf { class RenderTarget; }
class Tile;

class TileBatch final {
public:
    // Columns as the zone holds them: x outer, y inner.
    static void draw(std::vector<std::vector<Tile>>& tiles, sf::RenderTarget& target);
    // Builds the atlas now, at loading time, rather than in the first frame drawn.
    static void prepare() { ensureAtlas(); }

private:
    // Builds the atlas from the loaded tile images when they differ from last time. False
    // when the images do not fit one texture; the ground is then drawn in runs per image.
    static bool ensureAtlas();
    static void addQuad(const sf::Vector2f& corner, const sf::Vector2f& size, const sf::Vector2f& texel);
    static void addOutline(const sf::Vector2f& corner, const std::vector<sf::Vector2f>& outline,
                           const sf::Vector2f& texel);
    static void drawRuns(std::vector<std::vector<Tile>>& tiles, sf::RenderTarget& target, int firstColumn,
                         int lastColumn, const std::vector<int>& firstRows, const std::vector<int>& lastRows);

    static sf::Texture atlas;
    static std::vector<sf::Vector2f> places;     // top-left of each image in the atlas
    // Per image, a convex polygon around its visible pixels: a ground tile is a diamond in
    // a rectangle, and painting only the diamond spares the rasteriser its empty corners.
    static std::vector<std::vector<sf::Vector2f>> outlines;
    static std::vector<unsigned> builtFrom;      // the images' texture handles, to notice reloads
    static bool atlasUsable;
    static std::vector<sf::Vertex> vertices;
};
