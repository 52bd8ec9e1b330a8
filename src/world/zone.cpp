#include "world/zone.h"

#include "core/globals.h"
#include "core/printable.h"
#include "core/safefile.h"
#include "render/framelist.h"
#include "render/visibletiles.h"
#include "world/entity.h"
#include "world/levelfolder.h"
#include "world/pack.h"
#include "world/resourcemanager.h"
#include "world/tilebatch.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <sys/stat.h>

const std::string Zone::LEVEL_DIR = "resources/lvl/";
const std::string Zone::FILE_EXTENSION = ".zn";

namespace {

const char* MSG_NO_ID = "Cannot save Zone until valid id is set! (id >= 0)";
const char* MSG_CANNOT_CREATE = "%s!\n\tCould not create file!: %s\n";
const char* MSG_CREATED = "Successfully created file: %s !\n";
const char* MSG_READ_ONLY = "Cannot save zone %d: the pack %s is read only\n";
const char* MSG_LOAD_ERROR = "Error loading level: %s!\n";
const char* MSG_LOAD_REFUSED = "Error loading level: %s! (%s)\n";
const char* MSG_MISSING_IMAGES = "%d tiles of %s name tile images that are not loaded; image 0 stands in\n";

void buildTiles(const zonefile::ZoneData& data, std::vector<std::vector<Tile>>& grid)
{
    // Built in place: copying a prototype column would touch every tile's bytes twice.
    grid.clear();
    grid.resize(static_cast<std::size_t>(data.width));
    for (std::vector<Tile>& column : grid)
        column.resize(static_cast<std::size_t>(data.height));
    for (int x = 0; x < data.width; ++x) {
        for (int y = 0; y < data.height; ++y) {
            Tile& tile = grid[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)];
            tile.x = x;
            tile.y = y;
            tile.load(data.tile(x, y));
        }
    }
}

int countMissingImages(const zonefile::ZoneData& data)
{
    int missing = 0;
    for (const zonefile::TileRecord& t : data.tiles)
        if (t.texture < 0 || static_cast<std::size_t>(t.texture) >= ResourceManager::tileTextures.size())
            ++missing;
    return missing;
}

} // namespace

Zone::Zone(int zoneId, int widthIn, int heightIn, EventQueue* events)
    : id(zoneId), name("unnamed"), width(0), height(0), entities(events)
{
    const int w = std::min(std::max(widthIn, 1), MAX_SIDE);
    const int h = std::min(std::max(heightIn, 1), std::min(MAX_SIDE, MAX_TILES / w));
    resize(w, h);
}

Zone::~Zone() = default;

Tile* Zone::getTile(int x, int y)
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return nullptr;
    return &tiles[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)];
}

const Tile* Zone::getTile(int x, int y) const { return const_cast<Zone*>(this)->getTile(x, y); }

Tile* Zone::tileAt(const sf::Vector2f& world)
{
    return getTile(tileIndex(world.x), tileIndex(world.y));
}

int Zone::getWidth() const { return width; }

int Zone::getHeight() const { return height; }

bool Zone::validSize(int w, int h) { return zonefile::validSize(w, h); }

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
    ++Tile::layoutVersion;
    return true;
}

void Zone::submit(FrameList& frame, bool debug) const
{
    TileBatch batch(tiles, frame.getView());
    batch.submitGround(frame);
    entities.submit(frame, debug, [&](float depth) { batch.submitWalls(frame, depth); }, false, sortDepth());
    frame.setDepth(NAN);
}

void Zone::submitAll(FrameList& frame, bool debug) const
{
    frame.setDepth(FrameList::GROUND_DEPTH);
    std::vector<const Tile*> walls;
    for (const auto& column : tiles)
        for (const auto& tile : column) {
            if (tile.isWallBlock())
                walls.push_back(&tile);
            else
                tile.submit(frame);
        }
    std::sort(walls.begin(), walls.end(), TileBatch::wallBefore);
    std::size_t next = 0;
    entities.submit(frame, debug, [&](float depth) {
        for (; next < walls.size() && walls[next]->depth() <= depth; ++next) {
            frame.setDepth(walls[next]->depth());
            walls[next]->submit(frame);
        }
    }, true, sortDepth());
    frame.setDepth(NAN);
}

EntityManager::SortDepth Zone::sortDepth() const
{
    return [this](const sf::Vector2f& feet) { return TileBatch::sortDepth(tiles, feet); };
}

void Zone::submitInfo(FrameList& frame) const
{
    // Only the tiles that can touch the view, in the grid's order: a big zone's every tile
    // held the editor to a few frames a second.
    const VisibleTiles visible(frame.getView(), width, height, Tile::infoHalfWidth(), 0.0f, TILE_SCREEN_HEIGHT);
    for (int x = visible.firstColumn; x <= visible.lastColumn; ++x) {
        const std::vector<Tile>& column = tiles[static_cast<std::size_t>(x)];
        for (int y = visible.firstRows[static_cast<std::size_t>(x)]; y <= visible.lastRows[static_cast<std::size_t>(x)]; ++y)
            column[static_cast<std::size_t>(y)].submitInfo(frame);
    }
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
    return LEVEL_DIR + std::to_string(zoneId) + FILE_EXTENSION;
}

bool Zone::save()
{
    if (id < 0) {
        std::printf("%s\n", MSG_NO_ID);
        return false;
    }
    const std::string file = LevelFolder::writePath(id);
    if (file.empty()) {
        std::printf(MSG_READ_ONLY, id, printable(LevelFolder::pack().path()).c_str());
        return false;
    }
    const std::string bytes = zonefile::encode(data());

    struct stat info;
    const bool existed = ::stat(file.c_str(), &info) == 0;
    std::string why;
    // A pack's zone that is a link could lead the save out of the pack's folder.
    const safefile::Over over = LevelFolder::builtIn() ? safefile::Over::ANYTHING : safefile::Over::NO_LINK;
    if (!safefile::write(file, bytes, why, over)) {
        std::printf(MSG_CANNOT_CREATE, why.c_str(), file.c_str());
        return false;
    }
    if (!existed)
        std::printf(MSG_CREATED, file.c_str());
    return true;
}

std::string Zone::encode() const { return zonefile::encode(data()); }

zonefile::ZoneData Zone::data() const
{
    zonefile::ZoneData d;
    d.id = id;
    d.name = name;
    d.width = width;
    d.height = height;
    d.tiles.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (const auto& column : tiles)
        for (const auto& tile : column)
            d.tiles.push_back(tile.record());
    entities.save(d.entities);
    return d;
}

Entity* Zone::load(int zoneId, bool* loaded, std::string* refusal)
{
    const std::string file = LevelFolder::readPath(zoneId);
    std::string bytes;
    std::string why;
    zonefile::ZoneData data;
    const safefile::Found found = LevelFolder::read(zoneId, bytes, why);
    const bool accepted = found == safefile::Found::FILE && zonefile::decode(bytes, data, why)
                       && entities.canBuild(data.entities, why);
    if (loaded != nullptr)
        *loaded = accepted;
    if (!accepted) {
        // Nothing there at all needs no reason; anything else says what it is or why not.
        if (found == safefile::Found::MISSING)
            std::printf(MSG_LOAD_ERROR, printable(file).c_str());
        else
            std::printf(MSG_LOAD_REFUSED, printable(file).c_str(), printable(why).c_str());
        if (refusal != nullptr)
            *refusal = file + ": " + why;
        return nullptr;
    }
    const int missingImages = countMissingImages(data);
    if (missingImages > 0)
        std::printf(MSG_MISSING_IMAGES, missingImages, file.c_str());
    EntityManager::sayEntityCount(data.entities.size());
    return adopt(data);
}

bool Zone::loadBytes(const std::string& bytes, std::string& why)
{
    zonefile::ZoneData data;
    if (!zonefile::decode(bytes, data, why) || !entities.canBuild(data.entities, why))
        return false;
    adopt(data);
    return true;
}

bool Zone::readFile(const std::string& file, std::string& bytes, std::string& why)
{
    const safefile::Found found = safefile::read(file, bytes, why, zonefile::MAX_FILE_BYTES);
    if (found == safefile::Found::MISSING)
        why.clear();
    return found == safefile::Found::FILE;
}

Entity* Zone::adopt(const zonefile::ZoneData& data)
{
    std::vector<std::vector<Tile>> grid;
    buildTiles(data, grid);

    // Everything checked and built: only now does the zone change.
    entities.clear();
    id = data.id;
    name = data.name;
    tiles.swap(grid);
    width = data.width;
    height = data.height;
    ++Tile::layoutVersion;
    return entities.build(data.entities);
}
