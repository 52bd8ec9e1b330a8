#include "iso.h"

#include "palette.h"

#include <cmath>

namespace art {

void drawBox(Canvas& canvas, Vec2 o, float a0, float a1, float b0, float b1, float z0, float z1,
             const BoxPaint& paint, float outline)
{
    const Shape hull = polygon({iso(o, a0, b0, z1), iso(o, a1, b0, z1), iso(o, a1, b0, z0), iso(o, a1, b1, z0),
                                iso(o, a0, b1, z0), iso(o, a0, b1, z1)});
    const float eps = 0.75f;
    canvas.fill(
        hull,
        [&](Vec2 p, float, const Shape&) {
            float a, b;
            unIso(o, p, z1, a, b);
            if (a >= a0 - eps && a <= a1 + eps && b >= b0 - eps && b <= b1 + eps)
                return paint.top(a, b);
            // Which side face: the +a face is the one right of the near vertical edge.
            const Vec2 nearEdge = iso(o, a1, b1, z1);
            if (p.x >= nearEdge.x) {
                const float bb = a1 - (p.x - o.x);
                const float z = (a1 + bb) * 0.5f - (p.y - o.y);
                return paint.right(bb, z);
            }
            const float aa = (p.x - o.x) + b1;
            const float z = (aa + b1) * 0.5f - (p.y - o.y);
            return paint.left(aa, z);
        },
        outline, pal::OUTLINE);
    // Creases along the near edges, softer than the outline.
    const Col crease = withAlpha(pal::OUTLINE, 0.45f);
    const Vec2 c = iso(o, a1, b1, z1);
    canvas.fill(capsule(c, iso(o, a0, b1, z1), 0.45f, 0.45f), crease);
    canvas.fill(capsule(c, iso(o, a1, b0, z1), 0.45f, 0.45f), crease);
    canvas.fill(capsule(c, iso(o, a1, b1, z0), 0.45f, 0.45f), crease);
}

BoxPaint shadedBox(Col c)
{
    const Material m = material(c);
    BoxPaint p;
    p.top = [m](float, float) { return m.light; };
    p.left = [m](float, float) { return m.base; };
    p.right = [m](float, float) { return m.shade; };
    return p;
}

void drawCylinder(Canvas& canvas, Vec2 o, float a, float b, float r, float z0, float z1, Col c, float outline)
{
    const Vec2 top = iso(o, a, b, z1), bottom = iso(o, a, b, z0);
    // On screen the circle of radius r becomes an ellipse sqrt(2) r wide.
    const float rx = r * 1.4142f, ry = r * 0.7071f;
    const Shape body = unite(unite(ellipse(top, rx, ry), ellipse(bottom, rx, ry)),
                             rect(top.x - rx, top.y, top.x + rx, bottom.y));
    const Shape lid = ellipse(top, rx, ry);
    const Material m = material(c);
    canvas.fill(
        body,
        [&](Vec2 p, float, const Shape&) {
            if (lid.sdf(p) < 0)
                return mix(m.light, m.base, 0.25f);
            const float t = (p.x - top.x) / rx;
            if (t < -0.45f)
                return m.light;
            return t > 0.3f ? m.shade : m.base;
        },
        outline, pal::OUTLINE);
    canvas.fill(subtract(grow(lid, 0.6f), lid), withAlpha(pal::OUTLINE, 0.5f));
}

} // namespace art
