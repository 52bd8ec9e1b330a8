#pragma once
// Isometric helpers in tile pixels: a tile's ground is a, b in [0, 64], one step in a
// moves (1, 0.5) on screen, one in b moves (-1, 0.5), and z rises straight up.

#include "raster.h"

#include <vector>

namespace art {

inline Vec2 iso(Vec2 origin, float a, float b, float z = 0.0f)
{
    return {origin.x + (a - b), origin.y + (a + b) * 0.5f - z};
}

// Screen point back to ground coordinates on the plane at height z.
inline void unIso(Vec2 origin, Vec2 p, float z, float& a, float& b)
{
    const float sx = p.x - origin.x, sy = p.y - origin.y + z;
    a = sy + sx * 0.5f;
    b = sy - sx * 0.5f;
}

// Paints for the three visible faces of a box; each gets the face's own coordinates
// (u along the face, v up it, or a, b on the top).
struct BoxPaint {
    std::function<Col(float a, float b)> top;
    std::function<Col(float a, float z)> left;  // the +b face, facing the lower left
    std::function<Col(float b, float z)> right; // the +a face, facing the lower right
};

// Draws an axis-aligned box standing on the ground, with a dark outline round its
// silhouette and thin creases along its edges.
void drawBox(Canvas& canvas, Vec2 origin, float a0, float a1, float b0, float b1, float z0, float z1,
             const BoxPaint& paint, float outline = 1.6f);
BoxPaint shadedBox(Col c); // plain box, faces lit from the upper left

// An upright cylinder: ground centre (a, b), radius in tile pixels.
void drawCylinder(Canvas& canvas, Vec2 origin, float a, float b, float r, float z0, float z1, Col c,
                  float outline = 1.6f);

} // namespace art
