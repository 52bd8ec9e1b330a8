#pragma once
// Which tile images hide which: a tile whose every visible pixel a tile in front paints
// over with opaque texels need not be drawn at all. Worked out per pair of images (and how
// far in front), once for each set of tile images, from the images' own pixels. The same
// for the wall blocks of a building: of each block only what the blocks in front leave
// showing need be painted, mostly its top.

#include <SFML/Graphics/Rect.hpp>
#include <vector>

namespace sf { class Texture; }

class TileCover final {
public:
    // Reads the tile images again when they are not those last seen.
    static void refresh(const std::vector<sf::Texture>& images);
    // True when image front, on the tile steps tiles in front along both axes (so straight
    // below on the screen, drawn later), paints every pixel that image back could change
    // with an opaque texel, whichever of two texels a pixel centre on a texel edge takes.
    static bool hides(int front, int back, int steps);
    // The most steps at which any image can hide another.
    static int reach();
    // The texels of wall image back that can still show once the wall blocks in front of
    // it are drawn over it: right on the next tile along x, left on the next along y,
    // below on the next along both (-1 where there is none). A pixel outside them takes,
    // whichever texel the rasteriser picks, a transparent one of back or an opaque one of
    // a block in front. Empty when nothing shows; the whole image when nothing is hidden.
    static sf::IntRect showing(int back, int right, int left, int below);
    static void forget();
};
