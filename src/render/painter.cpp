#include "render/painter.h"

#include "render/framelist.h"

#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/Shader.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/Graphics/Transform.hpp>
#include <SFML/OpenGL.hpp>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <memory>
#include <vector>

namespace {

// A box of target pixels as the renderer counts them: x, y from the bottom, width, height.
using Box = GLint[4];

// A character painted so far that a wall block painted after it may hide.
struct Hideable {
    const FrameList::Item* item;
    sf::IntRect pixels; // top row first
};

struct Paint {
    const FrameList& list;
    sf::RenderTarget& target;
    const Painter::Options& options;
    GLint height;
    sf::IntRect cover;
    std::vector<sf::Vertex> run;
    const sf::Texture* runImage = nullptr;
    std::vector<Hideable> hideable;
};

// The parts of box outside hidden (top row first) on a target height rows tall: the rows
// above and below it whole, and either side of it on the rows between.
int outside(const Box box, const sf::IntRect& hidden, GLint height, GLint parts[4][4])
{
    const GLint x0 = box[0], x1 = box[0] + box[2];
    const GLint y0 = height - box[1] - box[3], y1 = height - box[1]; // top row first
    const GLint hx0 = hidden.left, hx1 = hidden.left + hidden.width;
    const GLint hy0 = hidden.top, hy1 = hidden.top + hidden.height;
    int count = 0;
    auto add = [&](GLint left, GLint top, GLint right, GLint bottom) {
        if (left < right && top < bottom) {
            GLint* part = parts[count++];
            part[0] = left;
            part[1] = height - bottom;
            part[2] = right - left;
            part[3] = bottom - top;
        }
    };
    if (hidden.width <= 0 || hidden.height <= 0 || hx1 <= x0 || x1 <= hx0 || hy1 <= y0 || y1 <= hy0) {
        add(x0, y0, x1, y1);
        return count;
    }
    add(x0, y0, x1, std::min(y1, hy0));
    add(x0, std::max(y0, hy1), x1, y1);
    const GLint middleTop = std::max(y0, hy0), middleBottom = std::min(y1, hy1);
    add(x0, middleTop, std::min(x1, hx0), middleBottom);
    add(std::max(x0, hx1), middleTop, x1, middleBottom);
    return count;
}

// The target's pixels (top row first) that local, placed by toClip (the view's projection
// times the sprite's transform), can cover: a pixel more each way than the exact sum.
// Empty when none.
sf::IntRect pixelsUnder(const sf::Transform& toClip, const sf::IntRect& viewport, const sf::Vector2u& size,
                        const sf::FloatRect& local)
{
    const sf::FloatRect port(viewport);
    const float right = local.left + local.width, bottom = local.top + local.height;
    float minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (const sf::Vector2f& corner : {sf::Vector2f(local.left, local.top), sf::Vector2f(right, local.top),
                                       sf::Vector2f(local.left, bottom), sf::Vector2f(right, bottom)}) {
        const sf::Vector2f clip = toClip.transformPoint(corner);
        const float x = port.left + (clip.x + 1.0f) * 0.5f * port.width;
        const float y = port.top + (1.0f - clip.y) * 0.5f * port.height;
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
    // A pixel more each way: the renderer does this sum its own way and may round apart.
    const sf::Vector2f whole(size);
    const float x0 = std::max(0.0f, std::floor(minX) - 1.0f), x1 = std::min(whole.x, std::ceil(maxX) + 1.0f);
    const float y0 = std::max(0.0f, std::floor(minY) - 1.0f), y1 = std::min(whole.y, std::ceil(maxY) + 1.0f);
    if (!(x0 < x1 && y0 < y1))
        return sf::IntRect();
    return sf::IntRect(static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0), static_cast<int>(y1 - y0));
}

// The target's pixels that the part of sprite around visible can cover; false when none.
bool paintedBox(const sf::RenderTarget& target, const sf::Sprite& sprite, const sf::IntRect& visible, Box box)
{
    if (visible.width <= 0 || visible.height <= 0)
        return false;
    // visible in the sprite's own coordinates, a texel wider all round: a pixel whose
    // centre lies within a hair of a texel edge may take either texel.
    const sf::IntRect rect = sprite.getTextureRect();
    const sf::FloatRect local(static_cast<float>(visible.left - rect.left) - 1.0f,
                              static_cast<float>(visible.top - rect.top) - 1.0f,
                              static_cast<float>(visible.width) + 2.0f, static_cast<float>(visible.height) + 2.0f);
    const sf::View& view = target.getView();
    const sf::IntRect pixels =
        pixelsUnder(view.getTransform() * sprite.getTransform(), target.getViewport(view), target.getSize(), local);
    if (pixels.width <= 0 || pixels.height <= 0)
        return false;
    box[0] = pixels.left;
    box[1] = static_cast<GLint>(target.getSize().y) - pixels.top - pixels.height;
    box[2] = pixels.width;
    box[3] = pixels.height;
    return true;
}

// The target's pixels (top row first) that the part of sprite around visible can cover.
sf::IntRect paintedPixels(const sf::RenderTarget& target, const sf::Sprite& sprite, const sf::IntRect& visible)
{
    Box box;
    if (!paintedBox(target, sprite, visible, box))
        return sf::IntRect();
    return sf::IntRect(box[0], static_cast<int>(target.getSize().y) - box[1] - box[3], box[2], box[3]);
}

// A hidden character's flat shape: the pixels where both its sprite and the wall block's
// image are at least half opaque. The wall's texel is found from the pixel, so the one
// draw needs no second set of coordinates.
const char* const SILHOUETTE_SHADER = R"(
uniform sampler2D character;
uniform sampler2D wall;
uniform vec3 wallU;
uniform vec3 wallV;
uniform vec4 colour;
void main()
{
    vec3 at = vec3(gl_FragCoord.xy, 1.0);
    vec2 w = vec2(dot(wallU, at), dot(wallV, at));
    if (w.x < 0.0 || w.x >= 1.0 || w.y < 0.0 || w.y >= 1.0
        || texture2D(character, gl_TexCoord[0].xy).a < 0.5 || texture2D(wall, w).a < 0.5)
        discard;
    gl_FragColor = colour;
}
)";

// Made once, with the first silhouette; null where the driver runs no shaders, and then
// characters behind walls are simply hidden.
sf::Shader* silhouetteShader()
{
    static std::unique_ptr<sf::Shader> shader;
    static bool tried = false;
    if (!tried) {
        tried = true;
        shader = std::make_unique<sf::Shader>();
        if (!sf::Shader::isAvailable() || !shader->loadFromMemory(SILHOUETTE_SHADER, sf::Shader::Fragment)) {
            std::cout << "Silhouettes are off: the graphics driver runs no shaders." << std::endl;
            shader.reset();
        }
    }
    return shader.get();
}

// From a fragment's window position (bottom row first, as the renderer counts) to the
// texture coordinates of wall's image there.
sf::Transform windowToImage(const sf::RenderTarget& target, const sf::Sprite& wall)
{
    const sf::View& view = target.getView();
    const sf::FloatRect port(target.getViewport(view));
    const float height = static_cast<float>(target.getSize().y);
    const sf::Transform topFirst(1.0f, 0.0f, 0.0f, 0.0f, -1.0f, height, 0.0f, 0.0f, 1.0f);
    const sf::Transform toClip(2.0f / port.width, 0.0f, -1.0f - 2.0f * port.left / port.width, 0.0f,
                               -2.0f / port.height, 1.0f + 2.0f * port.top / port.height, 0.0f, 0.0f, 1.0f);
    const sf::IntRect rect = wall.getTextureRect();
    const sf::Vector2f size(wall.getTexture()->getSize());
    sf::Transform toImage;
    toImage.scale(1.0f / size.x, 1.0f / size.y).translate(static_cast<float>(rect.left), static_cast<float>(rect.top));
    return toImage * wall.getInverseTransform() * view.getInverseTransform() * toClip * topFirst;
}

// A sprite painted only around visible, less the cover.
void paintTrimmed(Paint& paint, const sf::Sprite& sprite, const sf::IntRect& visible)
{
    sf::RenderTarget& target = paint.target;
    if (!paint.options.trim || !target.setActive(true)) {
        target.draw(sprite);
        return;
    }
    Box box;
    if (!paintedBox(target, sprite, visible, box))
        return;
    GLint parts[4][4];
    const int count = outside(box, paint.cover, paint.height, parts);
    if (count == 0)
        return;
    glEnable(GL_SCISSOR_TEST);
    for (int i = 0; i < count; ++i) {
        glScissor(parts[i][0], parts[i][1], parts[i][2], parts[i][3]);
        target.draw(sprite);
    }
    glDisable(GL_SCISSOR_TEST);
}

// Wall blocks that show whole go together: one draw call for a run of one image.
void flushRun(Paint& paint)
{
    if (paint.run.empty())
        return;
    paint.target.draw(paint.run.data(), paint.run.size(), sf::Triangles, sf::RenderStates(paint.runImage));
    paint.run.clear();
}

// The two triangles of a sprite's strip, in the order the strip hands them on.
void addQuad(std::vector<sf::Vertex>& into, const sf::Vector2f& corner, const sf::Vector2f& size)
{
    const sf::Vertex v0(corner, sf::Vector2f(0.0f, 0.0f));
    const sf::Vertex v1(sf::Vector2f(corner.x, corner.y + size.y), sf::Vector2f(0.0f, size.y));
    const sf::Vertex v2(sf::Vector2f(corner.x + size.x, corner.y), sf::Vector2f(size.x, 0.0f));
    const sf::Vertex v3(corner + size, size);
    into.insert(into.end(), {v0, v1, v2, v2, v1, v3});
}

// Every character painted before the wall block and under it, as a flat shape where the
// block hides it; painted right after the block, so that whatever stands in front of the
// block still covers it.
void paintSilhouettes(Paint& paint, const FrameList::Item& wallItem, const sf::Sprite& wall)
{
    if (!Painter::silhouettes || paint.hideable.empty())
        return;
    sf::RenderTarget& target = paint.target;
    const sf::Vector2i size(wall.getTexture()->getSize());
    const sf::IntRect wallPixels =
        paintedPixels(target, wall, paint.options.trim ? wallItem.part : sf::IntRect(0, 0, size.x, size.y));
    sf::Shader* shader = nullptr;
    for (const Hideable& hidden : paint.hideable) {
        sf::IntRect both;
        if (hidden.item->view != wallItem.view || !wallPixels.intersects(hidden.pixels, both))
            continue;
        if (shader == nullptr) {
            shader = silhouetteShader();
            if (shader == nullptr || !target.setActive(true))
                return;
            flushRun(paint);
            const sf::Transform toImage = windowToImage(target, wall);
            const float* m = toImage.getMatrix();
            shader->setUniform("wall", *wall.getTexture());
            shader->setUniform("wallU", sf::Glsl::Vec3(m[0], m[4], m[12]));
            shader->setUniform("wallV", sf::Glsl::Vec3(m[1], m[5], m[13]));
            shader->setUniform("character", sf::Shader::CurrentTexture);
        }
        shader->setUniform("colour", sf::Glsl::Vec4(hidden.item->silhouette));
        const Box box = {both.left, paint.height - both.top - both.height, both.width, both.height};
        GLint parts[4][4];
        // The plain picture paints under the cover too; the box painted later hides it.
        const int count = outside(box, paint.options.trim ? paint.cover : sf::IntRect(), paint.height, parts);
        glEnable(GL_SCISSOR_TEST);
        for (int i = 0; i < count; ++i) {
            glScissor(parts[i][0], parts[i][1], parts[i][2], parts[i][3]);
            target.draw(std::get<sf::Sprite>(paint.list.drawn(*hidden.item)), sf::RenderStates(shader));
        }
        glDisable(GL_SCISSOR_TEST);
    }
}

void paintWall(Paint& paint, const sf::Sprite& sprite, const sf::IntRect& showing)
{
    const sf::Texture* image = sprite.getTexture();
    const sf::Vector2i size(image->getSize());
    const bool whole = showing == sf::IntRect(0, 0, size.x, size.y);
    // Under a cover every block goes alone, so that only its part outside is painted.
    if (whole && paint.options.trim && paint.cover.width <= 0) {
        if (image != paint.runImage)
            flushRun(paint);
        paint.runImage = image;
        // Where the sprite puts its image, summed as the media library sums its transform.
        const sf::Vector2f origin = sprite.getOrigin(), at = sprite.getPosition();
        addQuad(paint.run, sf::Vector2f(-origin.x + at.x, -origin.y + at.y), sf::Vector2f(image->getSize()));
        return;
    }
    flushRun(paint);
    paintTrimmed(paint, sprite, showing);
}

void paintDrawn(sf::RenderTarget& target, const FrameList::Drawn& drawn, const FrameList::Item& item)
{
    sf::RenderStates states(item.blend);
    states.texture = item.texture;
    std::visit([&](const auto& d) { target.draw(d, states); }, drawn);
}

} // namespace

bool Painter::silhouettes = true;

void Painter::paint(const FrameList& list, sf::RenderTarget& target, const Options& options)
{
    Paint paint{list, target, options, static_cast<GLint>(target.getSize().y), list.covered(), {}, nullptr, {}};
    if (options.clear)
        target.clear(list.clearColour());
    const std::vector<FrameList::Item>& items = list.items();
    const std::size_t to = std::min(options.to, items.size());
    std::uint32_t view = static_cast<std::uint32_t>(-1);
    for (std::size_t i = options.from; i < to; ++i) {
        const FrameList::Item& item = items[i];
        if (item.kind != FrameList::Kind::WALL)
            flushRun(paint);
        if (item.view != view) {
            flushRun(paint);
            target.setView(list.view(item));
            view = item.view;
        }
        switch (item.kind) {
        case FrameList::Kind::DRAWN:
            paintDrawn(target, list.drawn(item), item);
            break;
        case FrameList::Kind::GROUND:
            paintDrawn(target, list.drawn(item), item);
            break;
        case FrameList::Kind::TRIMMED: {
            const sf::Sprite& sprite = std::get<sf::Sprite>(list.drawn(item));
            paintTrimmed(paint, sprite, item.part);
            if (item.silhouette.a > 0 && !std::isnan(item.depth))
                paint.hideable.push_back(
                    {&item, paintedPixels(target, sprite, options.trim ? item.part : sprite.getTextureRect())});
            break;
        }
        case FrameList::Kind::WALL: {
            const sf::Sprite& sprite = std::get<sf::Sprite>(list.drawn(item));
            paintWall(paint, sprite, item.part);
            paintSilhouettes(paint, item, sprite);
            break;
        }
        case FrameList::Kind::COVER:
            break;
        }
    }
    flushRun(paint);
}
