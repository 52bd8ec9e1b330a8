#pragma once
// A zone's tiles in few draw calls: those that can touch the view, each as the very two
// triangles its own sprite is drawn with, gathered into runs of one image. A tile only
// moves ahead of tiles it cannot overlap, so the picture is the plain one, pixel for pixel,
// at any scale and position. The ground goes first; the wall blocks are drawn among the
// entities by depth, a frame's batch handing out those due before each entity.

#include "world/picturecache.h"
#include "world/visibletiles.h"

#include <vector>

namespace sf { class RenderTarget; }
class Tile;

class TileBatch final {
public:
    // Columns as the zone holds them: x outer, y inner.
    TileBatch(const std::vector<std::vector<Tile>>& tiles, const sf::RenderTarget& target);

    // Every visible tile but the wall blocks and the tiles a tile in front hides whole.
    void drawGround(sf::RenderTarget& target);
    // Adds to key all that drawGround's picture depends on besides the target and its view:
    // the tile images, and each tile that can touch the view or hide one that does.
    void describeGround(PictureCache::Key& key) const;
    // The visible wall blocks not yet drawn whose depth is at most upTo.
    void drawWalls(sf::RenderTarget& target, float upTo);

    // The order of wall blocks among themselves: by depth, then the grid's.
    static bool wallBefore(const Tile* a, const Tile* b);

private:
    static float widest();
    static float tallest();

    const std::vector<std::vector<Tile>>& tiles;
    const VisibleTiles visible;
    std::vector<const Tile*> walls; // in wallBefore's order; those from next on are still due
    std::size_t next = 0;
};
