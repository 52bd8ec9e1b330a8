#include "world/zone.h"

#include "core/binaryio.h"
#include "world/entity.h"
#include "core/globals.h"
#include "world/resourcemanager.h"
#include "world/tilebatch.h"
#include "world/visibletiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

const std::string Zone::LEVEL_DIR = "resources/lvl/";

namespace {

const char* MSG_NO_ID = "Cannot save Zone until valid id is set! (id >= 0)";
const char* MSG_CANNOT_CREATE = "%s!\n\tCould not create file!: %s\n";
const char* MSG_CREATED = "Successfully created file: %s !\n";
const char* MSG_LOAD_ERROR = "Error loading level: %s!\n";
const char* MSG_REASON = "\t%s\n";
const char* MSG_MISSING_IMAGES = "%d tiles of %s name tile images that are not loaded; image 0 stands in\n";

const std::size_t TILE_RECORD = 12;
// Far beyond any real level; a bigger file is not read into memory at all.
const std::streamoff MAX_FILE_BYTES = 256LL * 1024 * 1024;

struct ZoneFile {
    int id = 0;
    std::string name;
    int width = 0;
    int height = 0;
    std::size_t tilesOffset = 0;
    int missingImages = 0;
};

// False when there is nothing to read; why is then empty for a missing file.
bool readWholeFile(const std::string& file, std::string& bytes, std::string& why)
{
    std::ifstream in(file, std::ios::binary);
    if (!in.is_open())
        return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || size > MAX_FILE_BYTES) {
        why = "the file is too large to be a zone";
        return false;
    }
    in.seekg(0, std::ios::beg);
    bytes.assign(static_cast<std::size_t>(size), '\0');
    if (size > 0 && !in.read(&bytes[0], size)) {
        why = "the file cannot be read";
        return false;
    }
    return true;
}

// Header and tiles; the checker is left at the entity list. Nothing of the zone is touched
// and nothing is allocated from an unchecked count.
bool parseZoneFile(ByteChecker& c, ZoneFile& parsed)
{
    int32_t w = 0, h = 0;
    if (!c.int32(parsed.id, "the header") || !c.string(parsed.name, "the zone name")
        || !c.int32(w, "the header") || !c.int32(h, "the header"))
        return false;
    if (!Zone::validSize(w, h))
        return c.fail("impossible size " + std::to_string(w) + " x " + std::to_string(h));
    parsed.width = w;
    parsed.height = h;
    const long long tileCount = static_cast<long long>(w) * h;
    if (!c.fits(tileCount, TILE_RECORD))
        return c.fail("the file ends inside its tiles");
    parsed.tilesOffset = c.offset();
    for (long long t = 0; t < tileCount; ++t) {
        int32_t kind = 0, texture = 0, link = 0;
        c.int32(kind, "a tile");
        c.int32(texture, "a tile");
        c.int32(link, "a tile");
        if (texture < 0 || static_cast<std::size_t>(texture) >= ResourceManager::tileTextures.size())
            ++parsed.missingImages;
    }
    return true;
}

void buildTiles(const std::string& bytes, const ZoneFile& parsed, std::vector<std::vector<Tile>>& grid)
{
    const std::size_t tileCount = static_cast<std::size_t>(parsed.width) * static_cast<std::size_t>(parsed.height);
    std::istringstream in(bytes.substr(parsed.tilesOffset, tileCount * TILE_RECORD));
    // Built in place: copying a prototype column would touch every tile's bytes twice.
    grid.clear();
    grid.resize(static_cast<std::size_t>(parsed.width));
    for (std::vector<Tile>& column : grid)
        column.resize(static_cast<std::size_t>(parsed.height));
    for (int x = 0; x < parsed.width; ++x) {
        for (int y = 0; y < parsed.height; ++y) {
            Tile& tile = grid[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)];
            tile.x = x;
            tile.y = y;
            tile.load(in);
        }
    }
}

} // namespace

Zone::Zone(int zoneId, int widthIn, int heightIn, ScriptHandler* scriptHandlerIn)
    : EntityManager(scriptHandlerIn), id(zoneId), name("unnamed"), width(0), height(0)
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
    ++Tile::layoutVersion;
    return true;
}

void Zone::draw(sf::RenderTarget& target, bool debug)
{
    TileBatch::draw(tiles, target);
    EntityManager::draw(target, debug);
}

void Zone::drawAll(sf::RenderTarget& target, bool debug)
{
    for (auto& column : tiles)
        for (auto& tile : column)
            tile.draw(target);
    EntityManager::drawAll(target, debug);
}

void Zone::drawInfo(sf::RenderTarget& target)
{
    // Only the tiles that can touch the view, in the grid's order: a big zone's every tile
    // held the editor to a few frames a second.
    const VisibleTiles visible(target, width, height, Tile::infoHalfWidth(), 0.0f, TILE_SCREEN_HEIGHT);
    for (int x = visible.firstColumn; x <= visible.lastColumn; ++x) {
        std::vector<Tile>& column = tiles[static_cast<std::size_t>(x)];
        for (int y = visible.firstRows[static_cast<std::size_t>(x)]; y <= visible.lastRows[static_cast<std::size_t>(x)]; ++y)
            column[static_cast<std::size_t>(y)].drawInfo(target);
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
    return LEVEL_DIR + std::to_string(zoneId) + ".zn";
}

bool Zone::save()
{
    if (id < 0) {
        std::printf("%s\n", MSG_NO_ID);
        return false;
    }
    const std::string file = fileName(id);
    std::ostringstream out;
    writeInt32(out, id);
    writeString(out, name);
    writeInt32(out, width);
    writeInt32(out, height);
    for (const auto& column : tiles)
        for (const auto& tile : column)
            tile.save(out);
    EntityManager::save(out);
    const std::string bytes = out.str();

    struct stat info;
    const bool existed = ::stat(file.c_str(), &info) == 0;
    // Write beside the old file and rename over it, so a failure never leaves half a level.
    const std::string temp = file + ".tmp";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) {
        std::printf(MSG_CANNOT_CREATE, std::strerror(errno), file.c_str());
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && std::fflush(f) == 0
                && ::fsync(fileno(f)) == 0;
    int error = errno;
    if (std::fclose(f) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && std::rename(temp.c_str(), file.c_str()) != 0) {
        written = false;
        error = errno;
    }
    if (!written) {
        std::remove(temp.c_str());
        std::printf(MSG_CANNOT_CREATE, std::strerror(error), file.c_str());
        return false;
    }
    if (!existed)
        std::printf(MSG_CREATED, file.c_str());
    return true;
}

Player* Zone::load(int zoneId, bool* loaded)
{
    const std::string file = fileName(zoneId);
    std::string bytes;
    std::string why;
    ZoneFile parsed;
    std::vector<Entity*> made;
    bool accepted = readWholeFile(file, bytes, why);
    if (accepted) {
        ByteChecker checker(bytes);
        accepted = parseZoneFile(checker, parsed) && makeEntities(checker, made);
        why = checker.why;
    }
    if (loaded != nullptr)
        *loaded = accepted;
    if (!accepted) {
        std::printf(MSG_LOAD_ERROR, file.c_str());
        if (!why.empty())
            std::printf(MSG_REASON, why.c_str());
        return nullptr;
    }
    std::vector<std::vector<Tile>> grid;
    buildTiles(bytes, parsed, grid);

    // Everything checked and built: only now does the zone change.
    if (parsed.missingImages > 0)
        std::printf(MSG_MISSING_IMAGES, parsed.missingImages, file.c_str());
    clear();
    id = parsed.id;
    name = parsed.name;
    tiles.swap(grid);
    width = parsed.width;
    height = parsed.height;
    ++Tile::layoutVersion;
    return registerMade(made);
}

