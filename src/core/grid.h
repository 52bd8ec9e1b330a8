#pragma once
// The world's grid: the side of a tile in world units, and the tile a coordinate falls in.
// Plain arithmetic, shared with the zone tool.

#include <cmath>

inline constexpr float TILE_SIZE = 32.0f;
// Height in pixels of a tile's diamond on screen; it is twice as wide.
inline constexpr float TILE_SCREEN_HEIGHT = 64.0f;

// The tile index of a world coordinate, truncated toward zero. Coordinates no grid could
// reach (and NaN) come out as a value far off every grid, so the conversion never overflows.
inline int tileIndex(float world)
{
    const float limit = 16777216.0f;
    const float q = world / TILE_SIZE;
    if (!(std::fabs(q) < limit))
        return q < 0 ? -16777216 : 16777216;
    return static_cast<int>(q);
}
