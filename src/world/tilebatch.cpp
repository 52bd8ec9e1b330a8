#include "world/tilebatch.h"

#include "world/resourcemanager.h"
#include "world/tile.h"
#include "world/visibletiles.h"

#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/Vertex.hpp>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

using Tiles = std::vector<std::vector<Tile>>;

// Images further apart along the screen's rows than three half diamonds never meet; while
// no image is wider, the ground may be placed diagonal by diagonal (further back first),
// which gathers longer runs than the grid's own order.
const float DIAGONAL_ORDER_WIDTH = 3.0f * TILE_SCREEN_HEIGHT;

// Where a tile's sprite puts its image, summed as the media library sums a sprite's
// transform, so that these corners are the sprite's to the last bit.
sf::Vector2f imageCorner(const Tile& tile, const sf::Vector2u& size)
{
    const sf::Vector2f origin = Tile::imageOrigin(size);
    const sf::Vector2f p = tile.anchor();
    return sf::Vector2f(-origin.x + p.x, -origin.y + p.y);
}

// Rectangles that only share an edge share no pixel: the rasteriser gives a pixel centre
// on that edge to one side only.
bool overlap(const sf::FloatRect& a, const sf::FloatRect& b)
{
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height
        && b.top < a.top + a.height;
}

// Which run each visible tile goes into. Runs are drawn in order. A tile joins the latest
// run of its image, unless a tile placed before it that it overlaps is in a later run;
// then it opens a new run at the end.
class Runs {
public:
    Runs(const Tiles& tilesIn, const VisibleTiles& visible, int topIn, int bottom, float widest, float tallest)
        : tiles(tilesIn), images(ResourceManager::tileTextures), left(visible.firstColumn),
          columns(visible.lastColumn - visible.firstColumn + 1), top(topIn), rows(bottom - topIn + 1),
          // Images overlap only this many diagonals across and this many rows of diagonals up.
          across(static_cast<int>(std::ceil(widest / TILE_SCREEN_HEIGHT))),
          up(static_cast<int>(std::ceil(tallest / (TILE_SCREEN_HEIGHT * 0.5f)))),
          runAt(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), -1),
          lastRunOf(images.size(), -1)
    {
    }

    void place(int x, int y)
    {
        const Tile& tile = at(x, y);
        const sf::FloatRect box = imageBox(tile);
        int after = -1;
        const int reach = (across + up + 1) / 2;
        for (int dx = -reach; dx <= reach; ++dx)
            for (int dy = -reach; dy <= reach; ++dy) {
                if (std::abs(dx - dy) > across || std::abs(dx + dy) > up)
                    continue;
                const int run = runOf(x + dx, y + dy);
                if (run > after && overlap(box, imageBox(at(x + dx, y + dy))))
                    after = run;
            }
        int& run = lastRunOf[static_cast<std::size_t>(tile.shownImage())];
        if (run < 0 || run < after) {
            run = static_cast<int>(runImages.size());
            runImages.push_back(tile.shownImage());
        }
        runAt[index(x, y)] = run;
        placed.emplace_back(&tile, run);
    }

    std::vector<int> runImages;
    std::vector<std::pair<const Tile*, int>> placed; // in the order placed, with their runs

private:
    const Tile& at(int x, int y) const { return tiles[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)]; }

    sf::FloatRect imageBox(const Tile& tile) const
    {
        const sf::Vector2u size = images[static_cast<std::size_t>(tile.shownImage())].getSize();
        return sf::FloatRect(imageCorner(tile, size), sf::Vector2f(size));
    }

    std::size_t index(int x, int y) const
    {
        return static_cast<std::size_t>(x - left) * static_cast<std::size_t>(rows) + static_cast<std::size_t>(y - top);
    }

    // The run of a tile placed already; -1 for one not placed or not visible.
    int runOf(int x, int y) const
    {
        if (x < left || x >= left + columns || y < top || y >= top + rows)
            return -1;
        return runAt[index(x, y)];
    }

    const Tiles& tiles;
    const std::vector<sf::Texture>& images;
    const int left;
    const int columns;
    const int top;
    const int rows;
    const int across;
    const int up;
    std::vector<int> runAt;     // per tile of the visible window
    std::vector<int> lastRunOf; // per image
};

// The two triangles of a sprite's strip, in the order the strip hands them on.
void putQuad(sf::Vertex* into, const sf::Vector2f& corner, const sf::Vector2f& size)
{
    const sf::Vertex v0(corner, sf::Vector2f(0.0f, 0.0f));
    const sf::Vertex v1(sf::Vector2f(corner.x, corner.y + size.y), sf::Vector2f(0.0f, size.y));
    const sf::Vertex v2(sf::Vector2f(corner.x + size.x, corner.y), sf::Vector2f(size.x, 0.0f));
    const sf::Vertex v3(corner + size, size);
    into[0] = v0;
    into[1] = v1;
    into[2] = v2;
    into[3] = v2;
    into[4] = v1;
    into[5] = v3;
}

} // namespace

void TileBatch::draw(const Tiles& tiles, sf::RenderTarget& target)
{
    const std::vector<sf::Texture>& images = ResourceManager::tileTextures;
    if (tiles.empty() || tiles[0].empty() || images.empty())
        return;
    float widest = 0.0f, tallest = 0.0f;
    for (const sf::Texture& t : images) {
        widest = std::max(widest, static_cast<float>(t.getSize().x));
        tallest = std::max(tallest, static_cast<float>(t.getSize().y));
    }
    const VisibleTiles visible(target, static_cast<int>(tiles.size()), static_cast<int>(tiles[0].size()),
                               (widest + 1.0f) * 0.5f, tallest - TILE_SCREEN_HEIGHT, TILE_SCREEN_HEIGHT);
    if (visible.empty())
        return;
    const auto firstRow = [&](int x) { return visible.firstRows[static_cast<std::size_t>(x)]; };
    const auto lastRow = [&](int x) { return visible.lastRows[static_cast<std::size_t>(x)]; };
    int top = firstRow(visible.firstColumn), bottom = lastRow(visible.firstColumn);
    for (int x = visible.firstColumn; x <= visible.lastColumn; ++x) {
        top = std::min(top, firstRow(x));
        bottom = std::max(bottom, lastRow(x));
    }

    Runs runs(tiles, visible, top, bottom, widest, tallest);
    if (widest <= DIAGONAL_ORDER_WIDTH) {
        for (int s = visible.firstColumn + top; s <= visible.lastColumn + bottom; ++s)
            for (int x = std::max(visible.firstColumn, s - bottom); x <= std::min(visible.lastColumn, s - top); ++x)
                if (s - x >= firstRow(x) && s - x <= lastRow(x))
                    runs.place(x, s - x);
    } else {
        for (int x = visible.firstColumn; x <= visible.lastColumn; ++x)
            for (int y = firstRow(x); y <= lastRow(x); ++y)
                runs.place(x, y);
    }

    // The quads of each run together, runs in order, tiles within a run in the order placed.
    std::vector<std::size_t> ends(runs.runImages.size(), 0);
    for (const auto& p : runs.placed)
        ends[static_cast<std::size_t>(p.second)] += 6;
    for (std::size_t r = 1; r < ends.size(); ++r)
        ends[r] += ends[r - 1];
    static std::vector<sf::Vertex> vertices;
    vertices.resize(ends.back());
    std::vector<std::size_t> next(ends.size(), 0);
    for (std::size_t r = 1; r < ends.size(); ++r)
        next[r] = ends[r - 1];
    for (const auto& p : runs.placed) {
        const sf::Vector2u size = images[static_cast<std::size_t>(p.first->shownImage())].getSize();
        std::size_t& at = next[static_cast<std::size_t>(p.second)];
        putQuad(&vertices[at], imageCorner(*p.first, size), sf::Vector2f(size));
        at += 6;
    }
    for (std::size_t r = 0, from = 0; r < ends.size(); from = ends[r++])
        target.draw(&vertices[from], ends[r] - from, sf::Triangles,
                    sf::RenderStates(&images[static_cast<std::size_t>(runs.runImages[r])]));
}
