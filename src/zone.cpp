#include "zone.h"

#include "entity.h"
#include "globals.h"

#include <algorithm>
#include <string>

const std::string Zone::LEVEL_DIR = "resources/lvl/";

Zone::Zone(int zoneId, int widthIn, int heightIn, ScriptHandler* scriptHandlerIn)
    : EntityManager(scriptHandlerIn), id(zoneId), name("unnamed"), width(0), height(0)
{
    const int w = std::min(std::max(widthIn, 1), MAX_SIDE);
    const int h = std::min(std::max(heightIn, 1), MAX_TILES / w);
    resize(w, h);
}

Zone::~Zone() = default;

Tile* Zone::getTile(int x, int y)
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return nullptr;
    return &tiles[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)];
}

int Zone::getWidth() const { return width; }

int Zone::getHeight() const { return height; }

bool Zone::validSize(int w, int h)
{
    return w >= 1 && h >= 1 && w <= MAX_SIDE && h <= MAX_SIDE
        && static_cast<long long>(w) * h <= MAX_TILES;
}

bool Zone::resize(int w, int h)
{
    if (!validSize(w, h))
        return false;
    std::vector<std::vector<Tile>> grown(static_cast<std::size_t>(w),
                                         std::vector<Tile>(static_cast<std::size_t>(h)));
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y) {
            Tile& tile = grown[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)];
            if (x < width && y < height)
                tile = tiles[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)];
            tile.x = x;
            tile.y = y;
        }
    }
    tiles.swap(grown);
    width = w;
    height = h;
    return true;
}

void Zone::draw(sf::RenderTarget& target, bool debug)
{
    for (auto& column : tiles)
        for (auto& tile : column)
            tile.draw(target);
    EntityManager::draw(target, debug);
}

void Zone::drawInfo(sf::RenderTarget& target)
{
    for (auto& column : tiles)
        for (auto& tile : column)
            tile.drawInfo(target);
}

sf::Vector2f Zone::findLinkIn(int fromId) const
{
    for (const auto& column : tiles)
        for (const auto& tile : column)
            if (tile.type == TILE_LINKIN && tile.link == fromId)
                return sf::Vector2f(tile.x * TILE_SIZE + TILE_SIZE * 0.5f, tile.y * TILE_SIZE + TILE_SIZE * 0.5f);
    return sf::Vector2f(-1.0f, -1.0f);
}

std::string Zone::fileName(int zoneId)
{
    return LEVEL_DIR + std::to_string(zoneId) + ".zn";
}

bool Zone::save()
{
    return false;
}

Player* Zone::load(int zoneId)
{
    (void)zoneId;
    return nullptr;
}
