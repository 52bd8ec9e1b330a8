#include "world/tilebatch.h"

#include "render/framelist.h"
#include "render/tilecover.h"
#include "world/resourcemanager.h"
#include "world/tile.h"

#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/VertexArray.hpp>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <queue>
#include <tuple>
#include <utility>

namespace {

using Tiles = std::vector<std::vector<Tile>>;

// Where a tile's sprite puts its image, summed as the media library sums a sprite's
// transform, so that these corners are the sprite's to the last bit.
sf::Vector2f imageCorner(const Tile& tile, const sf::Vector2u& size)
{
    const sf::Vector2f origin = Tile::imageOrigin(size);
    const sf::Vector2f p = tile.anchor();
    return sf::Vector2f(-origin.x + p.x, -origin.y + p.y);
}

// The rectangle a tile's image covers on the screen plane.
sf::FloatRect imageBox(const Tile& tile)
{
    const sf::Vector2u size = ResourceManager::tileTextures[static_cast<std::size_t>(tile.shownImage())].getSize();
    return sf::FloatRect(imageCorner(tile, size), sf::Vector2f(size));
}

// Rectangles that only share an edge share no pixel: the rasteriser gives a pixel centre
// on that edge to one side only.
bool overlap(const sf::FloatRect& a, const sf::FloatRect& b)
{
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height
        && b.top < a.top + a.height;
}

// The two triangles of a sprite's strip, in the order the strip hands them on.
void addQuad(sf::VertexArray& into, const sf::Vector2f& corner, const sf::Vector2f& size)
{
    const sf::Vertex v0(corner, sf::Vector2f(0.0f, 0.0f));
    const sf::Vertex v1(sf::Vector2f(corner.x, corner.y + size.y), sf::Vector2f(0.0f, size.y));
    const sf::Vertex v2(sf::Vector2f(corner.x + size.x, corner.y), sf::Vector2f(size.x, 0.0f));
    const sf::Vertex v3(corner + size, size);
    for (const sf::Vertex& v : {v0, v1, v2, v2, v1, v3})
        into.append(v);
}

const Tile& at(const Tiles& tiles, int x, int y) { return tiles[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)]; }

// A tile drawn in the ground: not a wall block, which goes among the entities, and not
// hidden whole by a tile straight in front of it, which is drawn later either way.
bool isGround(const Tiles& tiles, int x, int y)
{
    const Tile& tile = at(tiles, x, y);
    if (tile.isWallBlock())
        return false;
    const int width = static_cast<int>(tiles.size()), height = static_cast<int>(tiles[0].size());
    for (int s = 1; s <= TileCover::reach() && x + s < width && y + s < height; ++s)
        if (TileCover::hides(at(tiles, x + s, y + s).shownImage(), tile.shownImage(), s))
            return false;
    return true;
}

// The visible tiles, in an order that keeps every pair that overlaps as the grid has it,
// cut into runs of one image. A run takes every tile of its image that is free to go (all
// it overlaps from earlier in the grid already placed), and those that frees in turn. The
// next run is of the image of the furthest-back tile free to go (the rightmost of a
// diagonal), so the runs sweep the ground from back to front and a street, a lawn or a
// wall goes in a few long runs.
class Runs {
public:
    // The ground tiles among the visible ones (see isGround).
    Runs(const Tiles& tilesIn, const VisibleTiles& visible, float widest, float tallest)
        : tiles(tilesIn), images(ResourceManager::tileTextures), left(visible.firstColumn),
          columns(visible.lastColumn - visible.firstColumn + 1),
          // Images overlap only this many diagonals across and this many rows of diagonals up.
          across(static_cast<int>(std::ceil(widest / TILE_SCREEN_HEIGHT))),
          up(static_cast<int>(std::ceil(tallest / (TILE_SCREEN_HEIGHT * 0.5f))))
    {
        top = static_cast<int>(tiles[0].size());
        int bottom = -1;
        for (int x = visible.firstColumn; x <= visible.lastColumn; ++x) {
            top = std::min(top, visible.firstRows[static_cast<std::size_t>(x)]);
            bottom = std::max(bottom, visible.lastRows[static_cast<std::size_t>(x)]);
        }
        rows = bottom - top + 1;
        slots.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), -1);
        for (int x = visible.firstColumn; x <= visible.lastColumn; ++x)
            for (int y = visible.firstRows[static_cast<std::size_t>(x)]; y <= visible.lastRows[static_cast<std::size_t>(x)]; ++y) {
                if (!isGround(tiles, x, y))
                    continue;
                slots[slot(x, y)] = static_cast<int>(cells.size());
                cells.push_back({x, y, &at(x, y), imageBox(at(x, y))});
            }
        link();
        free.resize(images.size());
        for (std::size_t c = 0; c < cells.size(); ++c)
            if (waiting[c] == 0)
                release(static_cast<int>(c));
    }

    // The next run's image, and its tiles in drawing order; false when all are placed.
    bool next(int& image, std::vector<const Tile*>& run)
    {
        // Cells already placed by an earlier run are dropped from the front as they come.
        while (!fronts.empty() && waiting[static_cast<std::size_t>(std::get<2>(fronts.top()))] < 0)
            fronts.pop();
        if (fronts.empty())
            return false;
        image = cells[static_cast<std::size_t>(std::get<2>(fronts.top()))].tile->shownImage();
        run.clear();
        std::vector<int> going;
        going.swap(free[static_cast<std::size_t>(image)]);
        for (std::size_t k = 0; k < going.size(); ++k) {
            const std::size_t c = static_cast<std::size_t>(going[k]);
            waiting[c] = -1;
            run.push_back(cells[c].tile);
            for (std::size_t e = firstAfter[c]; e < firstAfter[c + 1]; ++e) {
                const std::size_t later = static_cast<std::size_t>(after[e]);
                if (--waiting[later] > 0)
                    continue;
                if (cells[later].tile->shownImage() == image)
                    going.push_back(after[e]);
                else
                    release(after[e]);
            }
        }
        return true;
    }

private:
    struct Cell {
        int x;
        int y;
        const Tile* tile;
        sf::FloatRect box;
    };

    const Tile& at(int x, int y) const { return tiles[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)]; }

    std::size_t slot(int x, int y) const
    {
        return static_cast<std::size_t>(x - left) * static_cast<std::size_t>(rows) + static_cast<std::size_t>(y - top);
    }

    // The visible tile at (x, y), or -1.
    int cellAt(int x, int y) const
    {
        if (x < left || x >= left + columns || y < top || y >= top + rows)
            return -1;
        return slots[slot(x, y)];
    }

    // Cell c is free to go.
    void release(int c)
    {
        const Cell& cell = cells[static_cast<std::size_t>(c)];
        free[static_cast<std::size_t>(cell.tile->shownImage())].push_back(c);
        fronts.emplace(cell.x + cell.y, cell.y, c);
    }

    // For every pair that overlaps, the later in the grid waits for the earlier.
    void link()
    {
        std::vector<std::pair<int, int>> pairs; // earlier, later
        waiting.assign(cells.size(), 0);
        const int reach = (across + up + 1) / 2;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const Cell& cell = cells[c];
            for (int dx = -reach; dx <= 0; ++dx)
                for (int dy = -reach; dy <= (dx < 0 ? reach : -1); ++dy) {
                    const int earlier = cellAt(cell.x + dx, cell.y + dy);
                    if (earlier >= 0 && std::abs(dx - dy) <= across && std::abs(dx + dy) <= up
                        && overlap(cell.box, cells[static_cast<std::size_t>(earlier)].box)) {
                        pairs.emplace_back(earlier, static_cast<int>(c));
                        ++waiting[c];
                    }
                }
        }
        firstAfter.assign(cells.size() + 1, 0);
        for (const auto& p : pairs)
            ++firstAfter[static_cast<std::size_t>(p.first) + 1];
        for (std::size_t c = 1; c < firstAfter.size(); ++c)
            firstAfter[c] += firstAfter[c - 1];
        after.resize(pairs.size());
        std::vector<std::size_t> fill(firstAfter.begin(), firstAfter.end() - 1);
        for (const auto& p : pairs)
            after[fill[static_cast<std::size_t>(p.first)]++] = p.second;
    }

    const Tiles& tiles;
    const std::vector<sf::Texture>& images;
    const int left;
    const int columns;
    const int across;
    const int up;
    int top = 0;
    int rows = 0;
    std::vector<int> slots;             // per tile of the visible window, its cell or -1
    std::vector<Cell> cells;            // the visible tiles in the grid's order
    std::vector<int> waiting;           // per cell, the earlier overlapping cells not yet placed; -1 once placed
    std::vector<std::size_t> firstAfter; // per cell, where its later overlapping cells start in after
    std::vector<int> after;
    std::vector<std::vector<int>> free; // per image, cells free to go
    // Cells free to go as (diagonal, row, cell): furthest back, then rightmost, on top.
    using Front = std::tuple<int, int, int>;
    std::priority_queue<Front, std::vector<Front>, std::greater<Front>> fronts;
};

// One item: tiles of one image, each the two triangles of its own sprite.
void submitRun(FrameList& frame, int image, const std::vector<const Tile*>& run)
{
    if (run.empty())
        return;
    const sf::Texture& texture = ResourceManager::tileTextures[static_cast<std::size_t>(image)];
    const sf::Vector2f size(texture.getSize());
    sf::VertexArray vertices(sf::Triangles);
    for (const Tile* tile : run)
        addQuad(vertices, imageCorner(*tile, texture.getSize()), size);
    frame.ground(texture, std::move(vertices));
}

// The image of the wall block at (x, y), or -1 where there is none.
int wallImageAt(const Tiles& tiles, int x, int y)
{
    if (x >= static_cast<int>(tiles.size()) || y >= static_cast<int>(tiles[0].size()))
        return -1;
    const Tile& tile = at(tiles, x, y);
    return tile.isWallBlock() ? tile.shownImage() : -1;
}

// A run of wall blocks of one image, in its order, each at its depth and held to what the
// blocks in front of it leave showing.
void submitWallRun(FrameList& frame, const Tiles& tiles, int image, const std::vector<const Tile*>& run)
{
    for (const Tile* wall : run) {
        const sf::IntRect shows = TileCover::showing(image, wallImageAt(tiles, wall->x + 1, wall->y),
                                                     wallImageAt(tiles, wall->x, wall->y + 1),
                                                     wallImageAt(tiles, wall->x + 1, wall->y + 1));
        sf::Sprite sprite = Tile::imageSprite(image);
        sprite.setPosition(wall->anchor());
        frame.setDepth(wall->depth());
        frame.wall(sprite, shows);
    }
}

} // namespace

TileBatch::TileBatch(const Tiles& tilesIn, const sf::View& view)
    : tiles(tilesIn), visible(view, static_cast<int>(tiles.size()), tiles.empty() ? 0 : static_cast<int>(tiles[0].size()),
                              (widest() + 1.0f) * 0.5f, tallest() - TILE_SCREEN_HEIGHT, TILE_SCREEN_HEIGHT)
{
    if (ResourceManager::tileTextures.empty())
        return;
    TileCover::refresh(ResourceManager::tileTextures);
    for (int x = visible.firstColumn; x <= visible.lastColumn; ++x)
        for (int y = visible.firstRows[static_cast<std::size_t>(x)]; y <= visible.lastRows[static_cast<std::size_t>(x)]; ++y)
            if (at(tiles, x, y).isWallBlock())
                walls.push_back(&at(tiles, x, y));
    std::sort(walls.begin(), walls.end(), wallBefore);
}

bool TileBatch::wallBefore(const Tile* a, const Tile* b)
{
    // Along one diagonal the grid's order: a column before the next.
    return a->depth() < b->depth() || (a->depth() == b->depth() && a->x < b->x);
}

float TileBatch::sortDepth(const Tiles& tiles, const sf::Vector2f& feet)
{
    // By depth alone a block would cover whoever stands before its front face's line but
    // off to its side, where the sprite reaches over its corner: before the next block of a
    // row. So the character waits for such blocks.
    const float depth = feet.x + feet.y, across = feet.x - feet.y;
    if (tiles.empty() || !std::isfinite(depth) || !std::isfinite(across))
        return depth;
    const int width = static_cast<int>(tiles.size()), height = static_cast<int>(tiles[0].size());
    const int near = static_cast<int>(std::ceil(REACH / TILE_SIZE)) + 2;
    const int column = tileIndex(feet.x), row = tileIndex(feet.y);
    // The blocks that can meet the sprite, deeper than the feet: their least depth that
    // hides them, and the depths they stand in front of.
    float hides = INFINITY;
    static std::vector<float> before;
    before.clear();
    for (int x = std::max(0, column - near); x <= std::min(width - 1, column + near); ++x)
        for (int y = std::max(0, row - near); y <= std::min(height - 1, row + near); ++y) {
            const Tile& tile = at(tiles, x, y);
            const float d = tile.depth(), centre = static_cast<float>(x - y) * TILE_SIZE;
            if (d <= depth || d > depth + REACH || std::fabs(centre - across) >= TILE_SIZE + REACH || !tile.isWallBlock())
                continue;
            if (tile.standsInFront(feet))
                before.push_back(d);
            else
                hides = std::min(hides, d);
        }
    float sorted = depth;
    for (float d : before)
        if (d < hides)
            sorted = std::max(sorted, d);
    return sorted;
}

float TileBatch::widest()
{
    float w = 0.0f;
    for (const sf::Texture& t : ResourceManager::tileTextures)
        w = std::max(w, static_cast<float>(t.getSize().x));
    return w;
}

float TileBatch::tallest()
{
    float h = 0.0f;
    for (const sf::Texture& t : ResourceManager::tileTextures)
        h = std::max(h, static_cast<float>(t.getSize().y));
    return h;
}

void TileBatch::submitGround(FrameList& frame) const
{
    const std::vector<sf::Texture>& images = ResourceManager::tileTextures;
    if (visible.empty() || images.empty())
        return;
    frame.setDepth(FrameList::GROUND_DEPTH);
    Runs runs(tiles, visible, widest(), tallest());
    static std::vector<const Tile*> run;
    int image = 0;
    while (runs.next(image, run))
        submitRun(frame, image, run);
}

void TileBatch::submitWalls(FrameList& frame, float upTo)
{
    // The walls due, in runs of one image: a wall goes ahead of earlier ones still waiting
    // only when it overlaps none of them, so every pair that meets keeps its order.
    std::size_t end = next;
    while (end < walls.size() && walls[end]->depth() <= upTo)
        ++end;
    static std::vector<const Tile*> run;
    static std::vector<sf::FloatRect> waiting;
    while (next < end) {
        const int image = walls[next]->shownImage();
        run.clear();
        waiting.clear();
        std::size_t kept = next;
        for (std::size_t k = next; k < end; ++k) {
            const Tile* wall = walls[k];
            const sf::FloatRect box = imageBox(*wall);
            const bool blocked = std::any_of(waiting.begin(), waiting.end(),
                                             [&](const sf::FloatRect& w) { return overlap(w, box); });
            if (wall->shownImage() == image && !blocked) {
                run.push_back(wall);
            } else {
                waiting.push_back(box);
                walls[kept++] = wall;
            }
        }
        submitWallRun(frame, tiles, image, run);
        // Those left wait for the next run, in their order.
        std::move_backward(walls.begin() + static_cast<std::ptrdiff_t>(next), walls.begin() + static_cast<std::ptrdiff_t>(kept),
                           walls.begin() + static_cast<std::ptrdiff_t>(end));
        next = end - (kept - next);
    }
}
