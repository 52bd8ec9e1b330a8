#pragma once
// One cell of a zone's grid: a ground image, a kind and a zone link.

#include "core/grid.h"
#include "world/zonefile.h"

#include <SFML/System/Vector2.hpp>

namespace sf { class Sprite; }
class FrameList;


class Tile {
public:
    int x;
    int y;
    int texture;
    int link;
    TileType type;
    bool walkable;

    // Bumped whenever any tile's kind changes or a grid is rebuilt, so remembered path
    // searches know when the ground under them may have changed.
    static unsigned long layoutVersion;

    Tile();

    void setTexture(int i);
    void setType(TileType typeIn);

    // Its image, as its own sprite.
    void submit(FrameList& frame) const;
    // A white outline of its diamond (the editor's selection).
    void submitOutline(FrameList& frame) const;
    // Its kind as a coloured diamond, with its link (the editor's overlay).
    void submitInfo(FrameList& frame) const;
    // How far to either side of its anchor submitInfo can paint; it paints nothing above the
    // anchor and nothing more than a diamond's height below it.
    static float infoHalfWidth();

    // The tile's part of a zone file.
    zonefile::TileRecord record() const;
    void load(const zonefile::TileRecord& record);

    // Screen position of the diamond's top corner.
    sf::Vector2f anchor() const;
    // True when texture names a loaded tile image (else image 0 is shown).
    bool hasOwnImage() const;
    // The tile image actually shown.
    int shownImage() const { return hasOwnImage() ? texture : 0; }
    // A wall whose image rises above its diamond: drawn among the entities by depth, so it
    // hides what stands behind it. A flat wall is ground: a prop may stand on it.
    bool isWallBlock() const;
    // Where a wall block sorts among the entities: the depth of its tile's centre, which its
    // left and right corners share. Feet behind one of its back faces are always shallower;
    // feet in front of a front face are as deep or deeper.
    float depth() const;
    // Whether feet there stand in front of the block: on the near side of one of its front
    // faces' lines, where it can hide nothing of them, however far to the side.
    bool standsInFront(const sf::Vector2f& feet) const;
    // The sprite that shows image i on a tile, before it is placed: the whole image, its
    // bottom 64 rows the diamond. Made when needed rather than kept in every tile, where
    // it would be nine tenths of a big zone's memory.
    static sf::Sprite imageSprite(int i);
    // Where on an image of this size the anchor lies: the diamond's top corner, centred in
    // its bottom 64 rows.
    static sf::Vector2f imageOrigin(const sf::Vector2u& size);
};
