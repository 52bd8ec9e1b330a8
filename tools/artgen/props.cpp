// Props. Every image is the same 256 x 384 canvas, so a sprite that keeps the texture
// rectangle of the first prop it was given still shows any other prop whole; each
// prop stands with its ground contact point on the origin the game places it by.

#include "iso.h"
#include "jobs.h"
#include "noise.h"
#include "palette.h"

#include <cmath>

namespace art {
namespace {

const int PROP_W = 256;
const int PROP_H = 384;

struct PropCanvas {
    Canvas canvas{PROP_W, PROP_H};
    Vec2 origin;
};

PropCanvas start(float ox, float oy, float shadowW, float shadowH, Vec2 shadowOffset = {0, 0})
{
    PropCanvas p;
    p.origin = {ox, oy};
    p.canvas.softEllipse(p.origin + shadowOffset, shadowW, shadowH, pal::SHADOW);
    return p;
}

BoxPaint faces(Col c, std::function<Col(Col, float, float)> right = nullptr, std::function<Col(Col, float, float)> left = nullptr)
{
    const Material m = material(c);
    BoxPaint p;
    p.top = [m](float, float) { return m.light; };
    p.left = [m, left](float u, float z) { return left ? left(m.base, u, z) : m.base; };
    p.right = [m, right](float u, float z) { return right ? right(m.shade, u, z) : m.shade; };
    return p;
}

void glow(Canvas& c, Vec2 at, float r)
{
    c.softEllipse(at, r, r, withAlpha(pal::LAMP_LIGHT, 0.35f));
    c.softEllipse(at, r * 0.5f, r * 0.5f, withAlpha(pal::LAMP_LIGHT, 0.4f));
}

Canvas streetLamp(bool downRight)
{
    PropCanvas p = start(119, 356, 26, 11);
    const Vec2 o = p.origin;
    drawCylinder(p.canvas, o, 0, 0, 9, 0, 8, pal::METAL_DARK);
    drawCylinder(p.canvas, o, 0, 0, 6, 8, 22, pal::METAL_DARK);
    drawCylinder(p.canvas, o, 0, 0, 3.2f, 22, 262, pal::METAL_DARK);
    drawCylinder(p.canvas, o, 0, 0, 4.5f, 120, 126, pal::METAL);
    // The arm reaches the way the lamp faces.
    const float da = downRight ? 1.0f : 0.0f, db = downRight ? 0.0f : -1.0f;
    const Vec2 root = iso(o, 0, 0, 258), bend = iso(o, 14 * da, 14 * db, 270), end = iso(o, 46 * da, 46 * db, 272);
    p.canvas.fill(chain({root, bend, end}, {2.6f, 2.6f, 2.6f}), pal::METAL_DARK, 1.5f, pal::OUTLINE);
    p.canvas.fill(chain({root + Vec2{0, -1}, bend + Vec2{0, -1}, end + Vec2{0, -1}}, {0.8f, 0.8f, 0.8f}), material(pal::METAL_DARK).light);
    // Lamp head: a shallow hood with the light underneath.
    const float a = 50 * da, b = 50 * db;
    const Vec2 top = iso(o, a, b, 276);
    const Shape hood = polygon({top + Vec2{-5, -3}, top + Vec2{5, -3}, top + Vec2{16, 9}, top + Vec2{-16, 9}});
    glow(p.canvas, top + Vec2{0, 14}, 30);
    p.canvas.fill(ellipse(top + Vec2{0, 10}, 13, 4.5f), pal::LAMP_LIGHT, 1.5f, pal::OUTLINE);
    p.canvas.fill(hood, toon(material(pal::METAL_DARK, 6)), 1.5f, pal::OUTLINE);
    p.canvas.fill(ellipse(top + Vec2{0, 10.5f}, 10, 2.6f), pal::WHITE);
    return p.canvas;
}

Canvas trashcan()
{
    PropCanvas p = start(128, 172, 28, 12);
    const Vec2 o = p.origin;
    const Col bin = rgb(86, 112, 100);
    drawCylinder(p.canvas, o, 0, 0, 15, 0, 46, bin);
    // Vertical ribs pressed into the sheet metal.
    for (int k = -2; k <= 2; ++k) {
        const float x = o.x + k * 7.0f;
        p.canvas.fill(capsule({x, o.y - 44 + std::abs(k) * 1.5f}, {x, o.y - 4 + std::abs(k) * 1.5f}, 0.8f, 0.8f), withAlpha(pal::OUTLINE, 0.35f));
    }
    drawCylinder(p.canvas, o, 0, 0, 17, 46, 51, scaled(bin, 1.1f));
    const Vec2 h = iso(o, 0, 0, 51);
    p.canvas.fill(capsule(h + Vec2{-6, -3}, h + Vec2{6, -3}, 2.2f, 2.2f), material(pal::METAL).base, 1.3f, pal::OUTLINE);
    // A crumpled paper peeking out under the lid.
    p.canvas.fill(circle(iso(o, 8, 12, 47), 3.5f), toon(material(pal::WHITE, 3)), 1.2f, pal::OUTLINE);
    return p.canvas;
}

void wheel(Canvas& c, Vec2 at)
{
    c.fill(ellipse(at, 8.5f, 10.5f), toon(material(rgb(40, 40, 48), 6)), 1.5f, pal::OUTLINE);
    c.fill(ellipse(at + Vec2{0.5f, 0}, 4.5f, 5.5f), toon(material(pal::METAL, 4)), 1.0f, pal::OUTLINE);
}

Canvas car(bool downRight)
{
    // Long axis along a (down-right) or b (up-right); the body is drawn as boxes.
    PropCanvas p = start(downRight ? 90.0f : 166.0f, 170, 96, 40, downRight ? Vec2{30, 15} : Vec2{-30, 15});
    const Vec2 o = p.origin;
    const Col body = pal::CAR_BLUE;
    const float l0 = -50, l1 = 110, w = 30;
    auto box = [&](float u0, float u1, float v0, float v1, float z0, float z1, const BoxPaint& paint) {
        if (downRight)
            drawBox(p.canvas, o, u0, u1, v0, v1, z0, z1, paint);
        else
            drawBox(p.canvas, o, -v1, -v0, -u1 + 60, -u0 + 60, z0, z1, paint);
    };
    auto at = [&](float u, float v, float z) { return downRight ? iso(o, u, v, z) : iso(o, -v, -u + 60, z); };
    // Far wheels peek out below the body.
    const float nearSide = downRight ? w : -w;
    wheel(p.canvas, at(-22, -nearSide * 0.87f, 10));
    wheel(p.canvas, at(82, -nearSide * 0.87f, 10));
    const Material glass = material(pal::GLASS);
    // Side: a window band; nose: lights and grille; tail: red lights.
    auto side = [&](Col c, float u, float z) {
        if (z > 22 && z < 24)
            return scaled(c, 0.8f);
        (void)u;
        return c;
    };
    auto nose = [&](Col c, float u, float z) {
        const float across = downRight ? u : 64.0f - u; // 0..60 across the car
        (void)across;
        if (z > 16 && z < 24) {
            const float x = std::fabs(u - (downRight ? 30.0f : 34.0f));
            if (x > 18 && x < 26)
                return downRight ? pal::LAMP_LIGHT : rgb(220, 60, 50);
            if (x < 12)
                return scaled(pal::METAL_DARK, 1.0f);
        }
        if (z < 11)
            return material(pal::METAL).base;
        return c;
    };
    BoxPaint lower = faces(body);
    if (downRight) {
        lower.right = [&, m = material(body)](float u, float z) { return nose(m.shade, u, z); };
        lower.left = [&, m = material(body)](float u, float z) { return side(m.base, u, z); };
    } else {
        lower.left = [&, m = material(body)](float u, float z) { return nose(m.base, u + 30, z); };
        lower.right = [&, m = material(body)](float u, float z) { return side(m.shade, u, z); };
    }
    box(l0, l1, -w, w, 8, 32, lower);
    // Cabin with windows all round.
    BoxPaint cabin;
    const Material roof = material(body);
    cabin.top = [roof](float, float) { return roof.light; };
    auto window = [glass](Col frame, float u, float z, float len) {
        if (z > 4 && z < 20 && u > 4 && u < len - 4 && std::fabs(u - len * 0.55f) > 2) {
            const Col g = mix(scaled(glass.base, 0.7f), glass.light, clamp01((z - 4) / 18));
            return std::fabs(u - z * 0.8f - len * 0.2f) < 3 ? mix(g, pal::WHITE, 0.5f) : g;
        }
        return frame;
    };
    const float c0 = -22, c1 = 62;
    if (downRight) {
        cabin.left = [&, m = material(body)](float u, float z) { return window(m.base, u - c0, z - 32, c1 - c0); };
        cabin.right = [&, m = material(body)](float u, float z) { return window(m.shade, u + w - 4, z - 32, 2 * w - 8); };
    } else {
        cabin.left = [&, m = material(body)](float u, float z) { return window(m.base, u + w - 4, z - 32, 2 * w - 8); };
        cabin.right = [&, m = material(body)](float u, float z) { return window(m.shade, u - (-c1 + 60), z - 32, c1 - c0); };
    }
    box(c0, c1, -w + 4, w - 4, 32, 56, cabin);
    // Near wheels over the body's lower edge.
    wheel(p.canvas, at(-22, nearSide, 10));
    wheel(p.canvas, at(82, nearSide, 10));
    return p.canvas;
}

Canvas chair(bool downRight)
{
    PropCanvas p = start(119, 207, 26, 12);
    const Vec2 o = p.origin;
    const BoxPaint seat = faces(pal::CHAIR_RED);
    const BoxPaint metal = faces(pal::METAL);
    auto leg = [&](float a, float b) { drawBox(p.canvas, o, a - 1.5f, a + 1.5f, b - 1.5f, b + 1.5f, 0, 22, metal, 1.2f); };
    auto back = [&] {
        if (downRight) {
            drawBox(p.canvas, o, -14, -11, -13, -10, 24, 40, metal, 1.2f);
            drawBox(p.canvas, o, -14, -11, 10, 13, 24, 40, metal, 1.2f);
            drawBox(p.canvas, o, -16, -11, -15, 15, 38, 58, seat);
        } else {
            drawBox(p.canvas, o, -13, -10, 11, 14, 24, 40, metal, 1.2f);
            drawBox(p.canvas, o, 10, 13, 11, 14, 24, 40, metal, 1.2f);
            drawBox(p.canvas, o, -15, 15, 11, 16, 38, 58, seat);
        }
    };
    if (downRight)
        back();
    leg(-11, -11);
    leg(11, -11);
    leg(-11, 11);
    leg(11, 11);
    drawBox(p.canvas, o, -15, 15, -15, 15, 22, 28, seat);
    if (!downRight)
        back();
    return p.canvas;
}

Canvas counter()
{
    PropCanvas p = start(64, 128, 46, 20);
    const Vec2 o = p.origin;
    auto panel = [](Col c, float u, float z) {
        const float x = std::fmod(u + 200.0f, 20.0f);
        if (x < 1.2f || z < 5)
            return scaled(c, 0.75f);
        if (z > 30 && z < 34)
            return mix(c, pal::LANE, 0.7f); // a stripe in the shop's colours
        return c;
    };
    drawBox(p.canvas, o, -26, 26, -26, 26, 0, 46, faces(pal::UNIFORM_RED, panel, panel));
    drawBox(p.canvas, o, -29, 29, -29, 29, 46, 51, faces(pal::COUNTER_TOP));
    // Till on top, facing the customers on the down-right side.
    auto till = [](Col c, float u, float z) {
        if (z > 58 && z < 66 && u > 4 && u < 18)
            return pal::SCREEN;
        return c;
    };
    drawBox(p.canvas, o, -14, 4, -22, -2, 51, 60, faces(pal::METAL_DARK));
    drawBox(p.canvas, o, -12, -4, -18, -4, 60, 70, faces(pal::METAL_DARK, till));
    drawBox(p.canvas, o, 8, 22, 6, 20, 51, 53, faces(pal::WHITE));
    return p.canvas;
}

Canvas fridge(bool downRight)
{
    PropCanvas p = start(112, 196, 40, 18);
    const Vec2 o = p.origin;
    const float H = 112;
    auto door = [H](Col c, float u, float z) {
        if (z > H - 16)
            return z > H - 14 && z < H - 3 && u > 4 && u < 32 ? pal::LAMP_LIGHT : scaled(pal::UNIFORM_RED, 0.9f);
        if (u < 3 || u > 33 || z < 8 || z > H - 19)
            return c;
        if (std::fabs(u - 30) < 1.2f && z > 40 && z < 70)
            return pal::METAL_DARK; // handle
        // Shelves of bottles behind the glass.
        const float shelf = std::fmod(z - 8, 22.0f);
        if (shelf < 2)
            return scaled(pal::METAL, 0.9f);
        const int slot = static_cast<int>((u - 3) / 5);
        const int row = static_cast<int>((z - 8) / 22);
        const Col bottles[] = {rgb(200, 60, 60), rgb(80, 160, 90), rgb(230, 180, 60), rgb(90, 120, 200), rgb(230, 120, 50)};
        const float x = std::fmod(u - 3, 5.0f);
        if (x > 1 && x < 4 && shelf < 15 + (x > 2 && x < 3 ? 4.0f : 0.0f))
            return bottles[hash3(slot, row, 7) % 5];
        return mix(scaled(pal::GLASS, 0.6f), pal::GLASS, clamp01(shelf / 22));
    };
    auto side = [](Col c, float, float z) { return z < 6 ? scaled(c, 0.6f) : c; };
    auto back = [side](Col c, float u, float z) {
        if (z > 14 && z < 70 && u > 6 && u < 30 && std::fmod(z, 5.0f) < 1.5f)
            return scaled(c, 0.7f);
        return side(c, u, z);
    };
    if (downRight)
        drawBox(p.canvas, o, -18, 18, -20, 20, 0, H, faces(pal::FRIDGE, [&](Col c, float u, float z) { return door(c, u - 2, z); }, side));
    else
        drawBox(p.canvas, o, -20, 20, -18, 18, 0, H, faces(pal::FRIDGE, side, back));
    return p.canvas;
}

Canvas monitor(bool downRight)
{
    PropCanvas p = start(123, 210, 44, 20);
    const Vec2 o = p.origin;
    auto legs = [](Col c, float u, float z) { return (z < 34 && u > 4 && u < 48) ? scaled(c, 0.45f) : c; };
    drawBox(p.canvas, o, -26, 26, -26, 26, 0, 40, faces(pal::DESK, legs, legs));
    auto screen = [](Col, float u, float z) {
        if (u < 3 || u > 33 || z < 3 || z > 25)
            return pal::METAL_DARK;
        Col s = mix(scaled(pal::SCREEN, 0.7f), pal::SCREEN, z / 25);
        if (std::fmod(z, 4.0f) < 1.2f && u < 8 + hash3(static_cast<int>(z / 4), 0, 3) % 20)
            s = mix(s, pal::WHITE, 0.6f); // lines of text
        return s;
    };
    if (downRight) {
        drawBox(p.canvas, o, -12, -4, -8, 8, 40, 42, faces(pal::METAL_DARK));
        drawBox(p.canvas, o, -10, -7, -2, 2, 42, 50, faces(pal::METAL_DARK));
        drawBox(p.canvas, o, -9, -5, -18, 18, 48, 76, faces(pal::METAL_DARK, [&](Col c, float u, float z) { return screen(c, u, z - 48); }));
        drawBox(p.canvas, o, 4, 14, -14, 12, 40, 42, faces(rgb(210, 206, 196)));
        drawBox(p.canvas, o, 8, 14, 15, 20, 40, 42, faces(rgb(210, 206, 196)));
    } else {
        drawBox(p.canvas, o, -8, 8, 4, 12, 40, 42, faces(pal::METAL_DARK));
        drawBox(p.canvas, o, -2, 2, 7, 10, 42, 50, faces(pal::METAL_DARK));
        drawBox(p.canvas, o, -18, 18, 5, 9, 48, 76, faces(pal::METAL_DARK));
        drawBox(p.canvas, o, -12, 14, -14, -4, 40, 42, faces(rgb(210, 206, 196)));
    }
    return p.canvas;
}

Job job(const std::string& name, std::function<Canvas()> make) { return {"resources/gfx/doodads/" + name + ".png", make}; }

} // namespace

std::vector<Job> propJobs()
{
    return {
        job("street_lamp_downright", [] { return streetLamp(true); }),
        job("street_lamp_upright", [] { return streetLamp(false); }),
        job("trashcan", trashcan),
        job("car_downright", [] { return car(true); }),
        job("car_upright", [] { return car(false); }),
        job("chair_downright", [] { return chair(true); }),
        job("chair_upright", [] { return chair(false); }),
        job("counter", counter),
        job("fridge_downright", [] { return fridge(true); }),
        job("fridge_upright", [] { return fridge(false); }),
        job("monitor_downright", [] { return monitor(true); }),
        job("monitor_upright", [] { return monitor(false); }),
    };
}

} // namespace art
