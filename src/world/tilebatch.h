#pragma once
// A zone's tiles as few items: those that can touch the view, each as the very two
// triangles its own sprite is drawn with, gathered into runs of one image. A tile only
// moves ahead of tiles it cannot overlap, so the picture is the plain one, pixel for pixel,
// at any scale and position. The ground goes first; the wall blocks go among the entities
// by depth, a frame's batch handing out those due before each entity (at its sortDepth).

#include "core/grid.h"
#include "render/visibletiles.h"

#include <SFML/System/Vector2.hpp>
#include <vector>

namespace sf { class View; }
class FrameList;
class Tile;

class TileBatch final {
public:
    // Columns as the zone holds them: x outer, y inner.
    TileBatch(const std::vector<std::vector<Tile>>& tiles, const sf::View& view);

    // Every visible tile but the wall blocks and the tiles a tile in front hides whole.
    void submitGround(FrameList& frame) const;
    // The visible wall blocks not yet submitted whose depth is at most upTo, each held to
    // what the blocks in front of it leave showing.
    void submitWalls(FrameList& frame, float upTo);

    // The order of wall blocks among themselves: by depth, then the grid's.
    static bool wallBefore(const Tile* a, const Tile* b);
    // The depth at which whoever stands at feet goes among the wall blocks (a block goes
    // before at the same depth): the feet's own, or that of the deepest block they stand in
    // front of and their sprite can reach, as long as no block hides them at that depth or
    // above it.
    static float sortDepth(const std::vector<std::vector<Tile>>& tiles, const sf::Vector2f& feet);
    // How far across and deeper than its feet a character's sprite can meet a block: a
    // frame reaches about 128 pixels (64 world units) to either side of its feet.
    static constexpr float REACH = 2.0f * TILE_SIZE;

private:
    static float widest();
    static float tallest();

    const std::vector<std::vector<Tile>>& tiles;
    const VisibleTiles visible;
    std::vector<const Tile*> walls; // in wallBefore's order; those from next on are still due
    std::size_t next = 0;
};
