#pragma once
// A small software painter: shapes are signed distance functions, so every edge is
// anti-aliased, outlines are one more distance band and the shading can read the
// surface normal. Pure CPU float maths keeps the output byte-identical on every run.

#include <functional>
#include <string>
#include <vector>

namespace sf { class Image; }

namespace art {

struct Vec2 {
    float x = 0, y = 0;
};
inline Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
inline Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
inline Vec2 operator*(Vec2 a, float s) { return {a.x * s, a.y * s}; }
float len(Vec2 v);
Vec2 lerp(Vec2 a, Vec2 b, float t);

// Straight (not premultiplied) colour, channels 0..1.
struct Col {
    float r = 0, g = 0, b = 0, a = 1;
};
Col rgb(int r, int g, int b, float a = 1.0f);
Col mix(Col a, Col b, float t);
Col scaled(Col c, float f);
Col withAlpha(Col c, float a);

float clamp01(float v);
float smoothstep(float e0, float e1, float v);

struct Box {
    float x0, y0, x1, y1;
};

// A region of the plane: negative inside, distance to the edge in pixels.
struct Shape {
    std::function<float(Vec2)> sdf;
    Box bounds;
};

Shape circle(Vec2 c, float r);
Shape ellipse(Vec2 c, float rx, float ry);
Shape capsule(Vec2 a, Vec2 b, float ra, float rb);
Shape chain(const std::vector<Vec2>& points, const std::vector<float>& radii);
Shape polygon(const std::vector<Vec2>& points);
Shape rect(float x0, float y0, float x1, float y1);
Shape ring(Vec2 c, float r, float width);
Shape unite(const Shape& a, const Shape& b);
Shape intersect(const Shape& a, const Shape& b);
Shape subtract(const Shape& a, const Shape& b);
Shape grow(const Shape& s, float by);

// Colour of the surface at a point; d is the distance value there (negative inside).
using Paint = std::function<Col(Vec2 p, float d, const Shape& s)>;

Paint flat(Col c);

// Three-tone cel shading lit from the upper left; roundness is how far in (pixels)
// the surface keeps curving away.
struct Material {
    Col base;
    Col shade;
    Col light;
    float roundness = 10.0f;
};
Material material(Col base, float roundness = 10.0f);
Paint toon(const Material& m);

class Canvas {
public:
    Canvas(int width, int height);

    int width() const { return w; }
    int height() const { return h; }

    // Fills the shape; an outline band of outlineWidth pixels goes around it.
    void fill(const Shape& s, const Paint& paint, float outlineWidth = 0.0f, Col outline = Col());
    void fill(const Shape& s, Col c, float outlineWidth = 0.0f, Col outline = Col());
    // Soft-edged ellipse for ground shadows: alpha fades out over its outer half.
    void softEllipse(Vec2 c, float rx, float ry, Col color);
    // Blends one pixel (straight colour, coverage multiplies alpha).
    void blend(int x, int y, Col c, float coverage);
    // Copies another canvas over this one at an offset, optionally scaled down by an integer.
    void draw(const Canvas& src, int dx, int dy);
    Canvas downscaled(int factor) const;
    Col at(int x, int y) const;

    static Canvas fromImage(const sf::Image& image);
    sf::Image toImage() const;
    bool save(const std::string& path) const;

private:
    int w, h;
    std::vector<Col> px; // premultiplied
};

} // namespace art
