#pragma once
// Which tile images hide which: a tile whose every visible pixel a tile in front paints
// over with opaque texels need not be drawn at all. Worked out per pair of images (and how
// far in front), once for each set of tile images, from the images' own pixels.

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
    static void forget();
};
