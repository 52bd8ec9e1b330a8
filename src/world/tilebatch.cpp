#include "world/tilebatch.h"

#include "world/resourcemanager.h"
#include "world/tile.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderTarget.hpp>
#include <algorithm>
#include <cmath>

sf::Texture TileBatch::atlas;
std::vector<sf::Vector2f> TileBatch::places;
std::vector<std::vector<sf::Vector2f>> TileBatch::outlines;
std::vector<unsigned> TileBatch::builtFrom;
bool TileBatch::atlasUsable = false;
std::vector<sf::Vertex> TileBatch::vertices;

namespace {

// Wider shelves would only waste the tail of each row.
const unsigned ATLAS_WIDTH = 2048;
// Each image gets a one pixel border copied from its edge, as clamping to the edge would.
const unsigned BORDER = 1;

std::vector<unsigned> currentHandles()
{
    std::vector<unsigned> handles;
    handles.reserve(ResourceManager::tileTextures.size());
    for (const sf::Texture& t : ResourceManager::tileTextures)
        handles.push_back(t.getNativeHandle());
    return handles;
}

void copyWithBorder(sf::Image& into, const sf::Image& image, unsigned left, unsigned top)
{
    const sf::Vector2u size = image.getSize();
    for (unsigned y = 0; y < size.y + 2 * BORDER; ++y) {
        const unsigned sy = std::min(size.y - 1, y < BORDER ? 0u : y - BORDER);
        for (unsigned x = 0; x < size.x + 2 * BORDER; ++x) {
            const unsigned sx = std::min(size.x - 1, x < BORDER ? 0u : x - BORDER);
            into.setPixel(left + x - BORDER, top + y - BORDER, image.getPixel(sx, sy));
        }
    }
}

long long cross(const sf::Vector2i& o, const sf::Vector2i& a, const sf::Vector2i& b)
{
    return static_cast<long long>(a.x - o.x) * (b.y - o.y) - static_cast<long long>(a.y - o.y) * (b.x - o.x);
}

// Keeps the part of a convex polygon on the inner side of one edge of the image.
std::vector<sf::Vector2f> clipSide(const std::vector<sf::Vector2f>& polygon, int axis, float limit, bool below)
{
    auto inside = [&](const sf::Vector2f& p) { return below ? (axis == 0 ? p.x : p.y) <= limit
                                                            : (axis == 0 ? p.x : p.y) >= limit; };
    std::vector<sf::Vector2f> kept;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const sf::Vector2f& a = polygon[i];
        const sf::Vector2f& b = polygon[(i + 1) % polygon.size()];
        if (inside(a))
            kept.push_back(a);
        if (inside(a) != inside(b)) {
            const float ca = axis == 0 ? a.x : a.y;
            const float cb = axis == 0 ? b.x : b.y;
            const float t = (limit - ca) / (cb - ca);
            sf::Vector2f cut = a + (b - a) * t;
            (axis == 0 ? cut.x : cut.y) = limit;
            kept.push_back(cut);
        }
    }
    return kept;
}

// A convex polygon, in image pixels, around every pixel with alpha above 0. It is grown by
// a pixel so no sample of a visible pixel can fall on its edge, then kept inside the image,
// as the image's own rectangle would be.
std::vector<sf::Vector2f> visibleOutline(const sf::Image& image)
{
    const sf::Vector2u size = image.getSize();
    std::vector<sf::Vector2i> points;
    for (unsigned y = 0; y < size.y; ++y) {
        int first = -1, last = -1;
        for (unsigned x = 0; x < size.x; ++x)
            if (image.getPixel(x, y).a != 0) {
                if (first < 0)
                    first = static_cast<int>(x);
                last = static_cast<int>(x);
            }
        if (first < 0)
            continue;
        const int row = static_cast<int>(y);
        points.emplace_back(first - 1, row - 1);
        points.emplace_back(last + 2, row - 1);
        points.emplace_back(first - 1, row + 2);
        points.emplace_back(last + 2, row + 2);
    }
    if (points.empty())
        return {};
    std::sort(points.begin(), points.end(),
              [](const sf::Vector2i& a, const sf::Vector2i& b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
    // Monotone chain; collinear points are dropped.
    std::vector<sf::Vector2i> hull(points.size() * 2);
    std::size_t k = 0;
    for (const sf::Vector2i& p : points) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], p) <= 0)
            --k;
        hull[k++] = p;
    }
    for (std::size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && cross(hull[k - 2], hull[k - 1], points[i]) <= 0)
            --k;
        hull[k++] = points[i];
    }
    hull.resize(k - 1);
    std::vector<sf::Vector2f> polygon;
    for (const sf::Vector2i& p : hull)
        polygon.emplace_back(static_cast<float>(p.x), static_cast<float>(p.y));
    polygon = clipSide(polygon, 0, 0.0f, false);
    polygon = clipSide(polygon, 0, static_cast<float>(size.x), true);
    polygon = clipSide(polygon, 1, 0.0f, false);
    polygon = clipSide(polygon, 1, static_cast<float>(size.y), true);
    return polygon.size() >= 3 ? polygon : std::vector<sf::Vector2f>();
}

// Lowest and highest row of column x that may reach into the box; rows outside cannot.
void visibleRows(const sf::FloatRect& box, int x, int height, float widest, float tallest, int& first, int& last)
{
    // Anchor of (x, y): (64 (x - y), 32 (x + y)); an image spans widest/2 each side of it
    // and rises tallest - 64 above it, the diamond ending 64 below.
    const double right = box.left + box.width;
    const double bottom = box.top + box.height;
    double low = std::max((box.top - 65.0) / 32.0 - x, x - (right + widest * 0.5 + 1.0) / 64.0);
    double high = std::min((bottom + tallest - 63.0) / 32.0 - x, x - (box.left - widest - 1.0) / 64.0);
    low = std::max(std::ceil(low), 0.0);
    high = std::min(std::floor(high), static_cast<double>(height - 1));
    first = low > height ? height : static_cast<int>(low);
    last = high < -1.0 ? -1 : static_cast<int>(high);
}

sf::FloatRect viewBox(const sf::RenderTarget& target)
{
    const sf::Transform& inverse = target.getView().getInverseTransform();
    const sf::Vector2f corners[4] = {inverse.transformPoint(-1.0f, -1.0f), inverse.transformPoint(1.0f, -1.0f),
                                     inverse.transformPoint(-1.0f, 1.0f), inverse.transformPoint(1.0f, 1.0f)};
    float left = corners[0].x, top = corners[0].y, right = left, bottom = top;
    for (const sf::Vector2f& c : corners) {
        left = std::min(left, c.x);
        top = std::min(top, c.y);
        right = std::max(right, c.x);
        bottom = std::max(bottom, c.y);
    }
    return sf::FloatRect(left, top, right - left, bottom - top);
}

} // namespace

bool TileBatch::ensureAtlas()
{
    std::vector<unsigned> handles = currentHandles();
    if (handles == builtFrom)
        return atlasUsable;
    builtFrom = handles;
    atlasUsable = false;
    places.clear();
    outlines.clear();
    const std::vector<sf::Texture>& images = ResourceManager::tileTextures;
    if (images.empty())
        return false;
    // Mixed sampling settings cannot share one texture.
    for (const sf::Texture& t : images)
        if (t.isSmooth() != images[0].isSmooth() || t.isRepeated() || t.getSize().x == 0 || t.getSize().y == 0)
            return false;

    const unsigned limit = std::min(sf::Texture::getMaximumSize(), 8192u);
    const unsigned width = std::min(ATLAS_WIDTH, limit);
    unsigned x = 0, y = 0, shelf = 0;
    std::vector<sf::Vector2u> spots;
    for (const sf::Texture& t : images) {
        const sf::Vector2u cell(t.getSize().x + 2 * BORDER, t.getSize().y + 2 * BORDER);
        if (cell.x > width)
            return false;
        if (x + cell.x > width) {
            x = 0;
            y += shelf;
            shelf = 0;
        }
        spots.emplace_back(x + BORDER, y + BORDER);
        x += cell.x;
        shelf = std::max(shelf, cell.y);
    }
    const unsigned height = y + shelf;
    if (height > limit)
        return false;

    sf::Image sheet;
    sheet.create(width, height, sf::Color::Transparent);
    for (std::size_t i = 0; i < images.size(); ++i) {
        const sf::Image image = images[i].copyToImage();
        copyWithBorder(sheet, image, spots[i].x, spots[i].y);
        places.emplace_back(static_cast<float>(spots[i].x), static_cast<float>(spots[i].y));
        outlines.push_back(visibleOutline(image));
    }
    if (!atlas.loadFromImage(sheet))
        return false;
    atlas.setSmooth(images[0].isSmooth());
    atlasUsable = true;
    return true;
}

void TileBatch::addQuad(const sf::Vector2f& corner, const sf::Vector2f& size, const sf::Vector2f& texel)
{
    // The two triangles of a sprite's strip, in the strip's own vertex order.
    const sf::Vertex v0(corner, texel);
    const sf::Vertex v1(sf::Vector2f(corner.x, corner.y + size.y), sf::Vector2f(texel.x, texel.y + size.y));
    const sf::Vertex v2(sf::Vector2f(corner.x + size.x, corner.y), sf::Vector2f(texel.x + size.x, texel.y));
    const sf::Vertex v3(corner + size, texel + size);
    vertices.push_back(v0);
    vertices.push_back(v1);
    vertices.push_back(v2);
    vertices.push_back(v2);
    vertices.push_back(v1);
    vertices.push_back(v3);
}

void TileBatch::addOutline(const sf::Vector2f& corner, const std::vector<sf::Vector2f>& outline,
                           const sf::Vector2f& texel)
{
    // A fan: the outline is convex.
    for (std::size_t i = 1; i + 1 < outline.size(); ++i) {
        vertices.emplace_back(corner + outline[0], texel + outline[0]);
        vertices.emplace_back(corner + outline[i], texel + outline[i]);
        vertices.emplace_back(corner + outline[i + 1], texel + outline[i + 1]);
    }
}

namespace {

// Where a tile's sprite puts the image's top-left corner: the anchor less the origin.
sf::Vector2f imageCorner(const Tile& tile, const sf::Vector2u& size)
{
    const sf::Vector2f origin(static_cast<float>(size.x / 2), static_cast<float>(size.y) - TILE_SCREEN_HEIGHT);
    const sf::Vector2f p = tile.anchor();
    return sf::Vector2f(-origin.x + p.x, -origin.y + p.y);
}

} // namespace

void TileBatch::draw(std::vector<std::vector<Tile>>& tiles, sf::RenderTarget& target)
{
    if (tiles.empty() || tiles[0].empty())
        return;
    const std::vector<sf::Texture>& images = ResourceManager::tileTextures;
    float widest = 0.0f, tallest = 0.0f;
    for (const sf::Texture& t : images) {
        widest = std::max(widest, static_cast<float>(t.getSize().x));
        tallest = std::max(tallest, static_cast<float>(t.getSize().y));
    }
    const sf::FloatRect box = viewBox(target);
    const int width = static_cast<int>(tiles.size());
    const int height = static_cast<int>(tiles[0].size());
    std::vector<int> firstRows(static_cast<std::size_t>(width)), lastRows(static_cast<std::size_t>(width));
    int firstColumn = width, lastColumn = -1;
    for (int x = 0; x < width; ++x) {
        visibleRows(box, x, height, widest, tallest, firstRows[static_cast<std::size_t>(x)],
                    lastRows[static_cast<std::size_t>(x)]);
        if (firstRows[static_cast<std::size_t>(x)] <= lastRows[static_cast<std::size_t>(x)]) {
            firstColumn = std::min(firstColumn, x);
            lastColumn = x;
        }
    }
    if (lastColumn < 0)
        return;
    if (!ensureAtlas()) {
        drawRuns(tiles, target, firstColumn, lastColumn, firstRows, lastRows);
        return;
    }
    vertices.clear();
    for (int x = firstColumn; x <= lastColumn; ++x) {
        const std::vector<Tile>& column = tiles[static_cast<std::size_t>(x)];
        for (int y = firstRows[static_cast<std::size_t>(x)]; y <= lastRows[static_cast<std::size_t>(x)]; ++y) {
            const Tile& tile = column[static_cast<std::size_t>(y)];
            const std::size_t image = static_cast<std::size_t>(tile.shownImage());
            const sf::Vector2u size = images[image].getSize();
            addOutline(imageCorner(tile, size), outlines[image], places[image]);
        }
    }
    target.draw(vertices.data(), vertices.size(), sf::Triangles, sf::RenderStates(&atlas));
}

void TileBatch::drawRuns(std::vector<std::vector<Tile>>& tiles, sf::RenderTarget& target, int firstColumn,
                         int lastColumn, const std::vector<int>& firstRows, const std::vector<int>& lastRows)
{
    // Neighbours with the same image share a draw call; order is kept exactly.
    const std::vector<sf::Texture>& images = ResourceManager::tileTextures;
    int runImage = -1;
    vertices.clear();
    auto flush = [&]() {
        if (!vertices.empty())
            target.draw(vertices.data(), vertices.size(), sf::Triangles,
                        sf::RenderStates(&images[static_cast<std::size_t>(runImage)]));
        vertices.clear();
    };
    for (int x = firstColumn; x <= lastColumn; ++x) {
        const std::vector<Tile>& column = tiles[static_cast<std::size_t>(x)];
        for (int y = firstRows[static_cast<std::size_t>(x)]; y <= lastRows[static_cast<std::size_t>(x)]; ++y) {
            const Tile& tile = column[static_cast<std::size_t>(y)];
            const int image = tile.shownImage();
            if (image != runImage) {
                flush();
                runImage = image;
            }
            const sf::Vector2u size = images[static_cast<std::size_t>(image)].getSize();
            addQuad(imageCorner(tile, size), sf::Vector2f(size), sf::Vector2f(0.0f, 0.0f));
        }
    }
    flush();
}
