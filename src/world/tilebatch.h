#pragma once
// The ground of a zone in few draw calls: the tiles that can touch the view, each as the
// very two triangles its own sprite is drawn with, gathered into runs of one image. A tile
// only moves ahead of tiles it cannot overlap, so the picture is the plain one, pixel for
// pixel, at any scale and position.

#include <vector>

namespace sf { class RenderTarget; }
class Tile;

class TileBatch final {
public:
    // Columns as the zone holds them: x outer, y inner.
    static void draw(const std::vector<std::vector<Tile>>& tiles, sf::RenderTarget& target);
};
