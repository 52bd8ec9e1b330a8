#include "raster.h"

#include <SFML/Graphics/Image.hpp>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace art {

float len(Vec2 v) { return std::sqrt(v.x * v.x + v.y * v.y); }
Vec2 lerp(Vec2 a, Vec2 b, float t) { return a + (b - a) * t; }

Col rgb(int r, int g, int b, float a) { return {r / 255.0f, g / 255.0f, b / 255.0f, a}; }

Col mix(Col a, Col b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Col scaled(Col c, float f) { return {clamp01(c.r * f), clamp01(c.g * f), clamp01(c.b * f), c.a}; }
Col withAlpha(Col c, float a) { return {c.r, c.g, c.b, a}; }

float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

float smoothstep(float e0, float e1, float v)
{
    const float t = clamp01((v - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

namespace {

Box around(Vec2 c, float rx, float ry) { return {c.x - rx, c.y - ry, c.x + rx, c.y + ry}; }

Box merge(Box a, Box b)
{
    return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

float segmentDistance(Vec2 p, Vec2 a, Vec2 b, float& t)
{
    const Vec2 pa = p - a, ba = b - a;
    const float bb = ba.x * ba.x + ba.y * ba.y;
    t = bb > 0 ? clamp01((pa.x * ba.x + pa.y * ba.y) / bb) : 0.0f;
    return len(pa - ba * t);
}

} // namespace

Shape circle(Vec2 c, float r)
{
    return {[c, r](Vec2 p) { return len(p - c) - r; }, around(c, r, r)};
}

Shape ellipse(Vec2 c, float rx, float ry)
{
    // Scaled distance: exact enough for the small ellipses drawn here.
    const float m = std::min(rx, ry);
    return {[c, rx, ry, m](Vec2 p) {
                const Vec2 q{(p.x - c.x) / rx, (p.y - c.y) / ry};
                const float k = len(q);
                if (k < 1e-6f)
                    return -m;
                // Divide by the gradient length so the edge band stays about a pixel wide.
                const Vec2 g{q.x / (k * rx), q.y / (k * ry)};
                return (k - 1.0f) / len(g);
            },
            around(c, rx, ry)};
}

Shape capsule(Vec2 a, Vec2 b, float ra, float rb)
{
    const float r = std::max(ra, rb);
    return {[a, b, ra, rb](Vec2 p) {
                float t;
                const float d = segmentDistance(p, a, b, t);
                return d - (ra + (rb - ra) * t);
            },
            merge(around(a, r, r), around(b, r, r))};
}

Shape chain(const std::vector<Vec2>& points, const std::vector<float>& radii)
{
    Box box = around(points[0], radii[0], radii[0]);
    for (std::size_t i = 1; i < points.size(); ++i)
        box = merge(box, around(points[i], radii[i], radii[i]));
    return {[points, radii](Vec2 p) {
                float best = 1e9f;
                for (std::size_t i = 0; i + 1 < points.size(); ++i) {
                    float t;
                    const float d = segmentDistance(p, points[i], points[i + 1], t);
                    best = std::min(best, d - (radii[i] + (radii[i + 1] - radii[i]) * t));
                }
                if (points.size() == 1)
                    best = len(p - points[0]) - radii[0];
                return best;
            },
            box};
}

Shape polygon(const std::vector<Vec2>& v)
{
    Box box{v[0].x, v[0].y, v[0].x, v[0].y};
    for (const Vec2& q : v)
        box = merge(box, Box{q.x, q.y, q.x, q.y});
    return {[v](Vec2 p) {
                const std::size_t n = v.size();
                float d = 1e18f;
                float s = 1.0f;
                for (std::size_t i = 0, j = n - 1; i < n; j = i, ++i) {
                    const Vec2 e = v[j] - v[i];
                    const Vec2 w = p - v[i];
                    const float ee = e.x * e.x + e.y * e.y;
                    const float t = ee > 0 ? clamp01((w.x * e.x + w.y * e.y) / ee) : 0.0f;
                    const Vec2 b = w - e * t;
                    d = std::min(d, b.x * b.x + b.y * b.y);
                    const bool c1 = p.y >= v[i].y, c2 = p.y < v[j].y, c3 = e.x * w.y > e.y * w.x;
                    if ((c1 && c2 && c3) || (!c1 && !c2 && !c3))
                        s = -s;
                }
                return s * std::sqrt(d);
            },
            box};
}

Shape rect(float x0, float y0, float x1, float y1)
{
    return polygon({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
}

Shape ring(Vec2 c, float r, float width)
{
    return {[c, r, width](Vec2 p) { return std::fabs(len(p - c) - r) - width * 0.5f; },
            around(c, r + width, r + width)};
}

Shape unite(const Shape& a, const Shape& b)
{
    return {[a, b](Vec2 p) { return std::min(a.sdf(p), b.sdf(p)); }, merge(a.bounds, b.bounds)};
}

Shape intersect(const Shape& a, const Shape& b)
{
    const Box box{std::max(a.bounds.x0, b.bounds.x0), std::max(a.bounds.y0, b.bounds.y0),
                  std::min(a.bounds.x1, b.bounds.x1), std::min(a.bounds.y1, b.bounds.y1)};
    return {[a, b](Vec2 p) { return std::max(a.sdf(p), b.sdf(p)); }, box};
}

Shape subtract(const Shape& a, const Shape& b)
{
    return {[a, b](Vec2 p) { return std::max(a.sdf(p), -b.sdf(p)); }, a.bounds};
}

Shape grow(const Shape& s, float by)
{
    const Box b = s.bounds;
    return {[s, by](Vec2 p) { return s.sdf(p) - by; }, {b.x0 - by, b.y0 - by, b.x1 + by, b.y1 + by}};
}

Paint flat(Col c)
{
    return [c](Vec2, float, const Shape&) { return c; };
}

Material material(Col base, float roundness)
{
    Material m;
    m.base = base;
    // Shadows lean cool and lights warm, so every surface shares one light.
    m.shade = {base.r * 0.62f + 0.02f, base.g * 0.6f + 0.02f, base.b * 0.7f + 0.06f, base.a};
    m.light = {base.r + (1 - base.r) * 0.32f, base.g + (1 - base.g) * 0.28f, base.b + (1 - base.b) * 0.2f, base.a};
    m.roundness = roundness;
    return m;
}

Paint toon(const Material& m)
{
    return [m](Vec2 p, float d, const Shape& s) {
        const float e = 0.75f;
        Vec2 g{s.sdf({p.x + e, p.y}) - s.sdf({p.x - e, p.y}), s.sdf({p.x, p.y + e}) - s.sdf({p.x, p.y - e})};
        const float gl = len(g);
        g = gl > 1e-6f ? g * (1.0f / gl) : Vec2{0, 0};
        const float depth = clamp01(-d / m.roundness);
        const float side = 1.0f - depth;
        const float nz = std::sqrt(std::max(0.0f, 1.0f - side * side));
        // Light from the upper left and a little in front.
        const float lx = -0.5f, ly = -0.68f, lz = 0.54f;
        const float lambert = g.x * side * lx + g.y * side * ly + nz * lz;
        Col c = mix(m.shade, m.base, smoothstep(0.12f, 0.2f, lambert));
        return mix(c, m.light, smoothstep(0.78f, 0.86f, lambert));
    };
}

Canvas::Canvas(int width, int height) : w(width), h(height), px(static_cast<std::size_t>(width * height), Col{0, 0, 0, 0})
{
}

void Canvas::blend(int x, int y, Col c, float coverage)
{
    if (x < 0 || y < 0 || x >= w || y >= h)
        return;
    const float a = clamp01(c.a * coverage);
    if (a <= 0)
        return;
    Col& d = px[static_cast<std::size_t>(y * w + x)];
    d.r = c.r * a + d.r * (1 - a);
    d.g = c.g * a + d.g * (1 - a);
    d.b = c.b * a + d.b * (1 - a);
    d.a = a + d.a * (1 - a);
}

void Canvas::fill(const Shape& s, const Paint& paint, float outlineWidth, Col outline)
{
    const float pad = outlineWidth + 1.5f;
    const int x0 = std::max(0, static_cast<int>(std::floor(s.bounds.x0 - pad)));
    const int y0 = std::max(0, static_cast<int>(std::floor(s.bounds.y0 - pad)));
    const int x1 = std::min(w - 1, static_cast<int>(std::ceil(s.bounds.x1 + pad)));
    const int y1 = std::min(h - 1, static_cast<int>(std::ceil(s.bounds.y1 + pad)));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const Vec2 p{x + 0.5f, y + 0.5f};
            const float d = s.sdf(p);
            const float total = clamp01(0.5f - (d - outlineWidth));
            if (total <= 0)
                continue;
            const float inner = outlineWidth > 0 ? clamp01(0.5f - d) : 1.0f;
            Col c = inner > 0 ? paint(p, d, s) : outline;
            if (inner < 1)
                c = mix(outline, c, inner);
            blend(x, y, c, total);
        }
}

void Canvas::fill(const Shape& s, Col c, float outlineWidth, Col outline)
{
    fill(s, flat(c), outlineWidth, outline);
}

void Canvas::softEllipse(Vec2 c, float rx, float ry, Col color)
{
    for (int y = static_cast<int>(c.y - ry - 1); y <= static_cast<int>(c.y + ry + 1); ++y)
        for (int x = static_cast<int>(c.x - rx - 1); x <= static_cast<int>(c.x + rx + 1); ++x) {
            const float dx = (x + 0.5f - c.x) / rx, dy = (y + 0.5f - c.y) / ry;
            const float k = std::sqrt(dx * dx + dy * dy);
            blend(x, y, color, 1.0f - smoothstep(0.45f, 1.0f, k));
        }
}

void Canvas::draw(const Canvas& src, int dx, int dy)
{
    for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < src.w; ++x) {
            const int tx = x + dx, ty = y + dy;
            if (tx < 0 || ty < 0 || tx >= w || ty >= h)
                continue;
            const Col s = src.px[static_cast<std::size_t>(y * src.w + x)];
            Col& d = px[static_cast<std::size_t>(ty * w + tx)];
            d.r = s.r + d.r * (1 - s.a);
            d.g = s.g + d.g * (1 - s.a);
            d.b = s.b + d.b * (1 - s.a);
            d.a = s.a + d.a * (1 - s.a);
        }
}

Canvas Canvas::downscaled(int f) const
{
    Canvas out(w / f, h / f);
    const float n = static_cast<float>(f * f);
    for (int y = 0; y < out.h; ++y)
        for (int x = 0; x < out.w; ++x) {
            Col sum{0, 0, 0, 0};
            for (int j = 0; j < f; ++j)
                for (int i = 0; i < f; ++i) {
                    const Col s = px[static_cast<std::size_t>((y * f + j) * w + x * f + i)];
                    sum.r += s.r;
                    sum.g += s.g;
                    sum.b += s.b;
                    sum.a += s.a;
                }
            out.px[static_cast<std::size_t>(y * out.w + x)] = {sum.r / n, sum.g / n, sum.b / n, sum.a / n};
        }
    return out;
}

Col Canvas::at(int x, int y) const
{
    const Col p = px[static_cast<std::size_t>(y * w + x)];
    if (p.a <= 0)
        return {0, 0, 0, 0};
    return {p.r / p.a, p.g / p.a, p.b / p.a, p.a};
}

Canvas Canvas::fromImage(const sf::Image& image)
{
    Canvas c(static_cast<int>(image.getSize().x), static_cast<int>(image.getSize().y));
    for (int y = 0; y < c.h; ++y)
        for (int x = 0; x < c.w; ++x) {
            const sf::Color p = image.getPixel(static_cast<unsigned>(x), static_cast<unsigned>(y));
            const float a = p.a / 255.0f;
            c.px[static_cast<std::size_t>(y * c.w + x)] = {p.r / 255.0f * a, p.g / 255.0f * a, p.b / 255.0f * a, a};
        }
    return c;
}

sf::Image Canvas::toImage() const
{
    sf::Image image;
    image.create(static_cast<unsigned>(w), static_cast<unsigned>(h), sf::Color::Transparent);
    auto byte = [](float v) { return static_cast<sf::Uint8>(std::lround(clamp01(v) * 255.0f)); };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Col c = at(x, y);
            const sf::Uint8 a = byte(c.a);
            if (a == 0)
                continue;
            image.setPixel(static_cast<unsigned>(x), static_cast<unsigned>(y), sf::Color(byte(c.r), byte(c.g), byte(c.b), a));
        }
    return image;
}

bool Canvas::save(const std::string& path) const
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    return toImage().saveToFile(path);
}

} // namespace art
