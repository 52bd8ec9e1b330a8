#include "zone.h"

#include "binaryio.h"
#include "entity.h"
#include "globals.h"
#include "resourcemanager.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
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
const char* MSG_ENTITY_COUNT = "%d entities to load\n";
const char* MSG_MISSING_IMAGES = "%d tiles of %s name tile images that are not loaded; image 0 stands in\n";

const std::size_t TILE_RECORD = 12;
const std::size_t ENTITY_COMMON = 20;
const std::size_t EVENT_MIN = 20;
const std::size_t LINE_MIN = 12;
// Far beyond any real level; a bigger file is not read into memory at all.
const std::streamoff MAX_FILE_BYTES = 256LL * 1024 * 1024;
// Loaded geometry must stay in a range the simulation can handle.
const float MAX_COORDINATE = 1.0e6f;
const float MAX_RADIUS = 4096.0f;

struct EntityRecord {
    int type;
    std::size_t offset; // of the type value
    std::size_t length; // whole record
};

struct ZoneFile {
    int id = 0;
    std::string name;
    int width = 0;
    int height = 0;
    std::size_t tilesOffset = 0;
    int missingImages = 0;
    std::vector<EntityRecord> entities;
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

// Walks the bytes, checking each count against what is left before believing it.
class Checker {
public:
    explicit Checker(const std::string& bytesIn) : bytes(bytesIn), in(bytesIn) {}

    std::size_t offset() { return static_cast<std::size_t>(in.tellg()); }
    std::size_t remaining() { return bytes.size() - offset(); }
    bool fits(long long count, std::size_t each)
    {
        return count >= 0 && static_cast<unsigned long long>(count) <= remaining() / each;
    }

    bool int32(int32_t& value, const char* what)
    {
        return readInt32(in, value) || fail(std::string("the file ends inside ") + what);
    }
    bool float32(float& value, const char* what)
    {
        return readFloat32(in, value) || fail(std::string("the file ends inside ") + what);
    }
    bool string(std::string& value, const char* what)
    {
        const std::size_t start = offset();
        if (readString(in, value, remaining() >= 4 ? remaining() - 4 : 0))
            return true;
        in.clear();
        in.seekg(static_cast<std::streamoff>(start));
        int32_t n = 0;
        if (!readInt32(in, n))
            return fail(std::string("the file ends inside ") + what);
        return fail(std::string(what) + " has length " + std::to_string(n) + ", more than the file holds");
    }
    bool fail(const std::string& reason)
    {
        if (why.empty())
            why = reason;
        return false;
    }

    const std::string& bytes;
    std::istringstream in;
    std::string why;
};

bool isFactoryType(int type)
{
    switch (type) {
    case Entity::TYPE_PLAYER:
    case Entity::TYPE_MALE_PEDESTRIAN:
    case Entity::TYPE_CLERK:
    case Entity::TYPE_ROBBER:
    case Entity::TYPE_DOODAD:
    case Entity::TYPE_TRIGGER:
        return true;
    default:
        return false;
    }
}

bool checkTrigger(Checker& c)
{
    char flag = 0;
    if (!c.in.get(flag))
        return c.fail("the file ends inside a trigger");
    if (flag != 0 && flag != 1)
        return c.fail("a trigger's fireOnEnter byte is " + std::to_string(static_cast<unsigned char>(flag)));
    int32_t uses = 0, team = 0, eventCount = 0;
    if (!c.int32(uses, "a trigger") || !c.int32(team, "a trigger") || !c.int32(eventCount, "a trigger"))
        return false;
    if (!c.fits(eventCount, EVENT_MIN))
        return c.fail("trigger event count " + std::to_string(eventCount) + " is more than the file holds");
    for (int32_t e = 0; e < eventCount; ++e) {
        int32_t eventType = 0, lineCount = 0;
        if (!c.int32(eventType, "an event") || !c.int32(lineCount, "an event"))
            return false;
        if (eventType != 0 && eventType != 1)
            return c.fail("unknown event type " + std::to_string(eventType));
        if (!c.fits(lineCount, LINE_MIN))
            return c.fail("dialog line count " + std::to_string(lineCount) + " is more than the file holds");
        for (int32_t l = 0; l < lineCount; ++l) {
            std::string text;
            int32_t portraitId = 0, portraitPos = 0;
            if (!c.string(text, "a dialog line") || !c.int32(portraitId, "a dialog line")
                || !c.int32(portraitPos, "a dialog line"))
                return false;
        }
        int32_t entityId = 0, destY = 0, destX = 0;
        if (!c.int32(entityId, "an event") || !c.int32(destY, "an event") || !c.int32(destX, "an event"))
            return false;
    }
    return true;
}

bool checkEntity(Checker& c, ZoneFile& parsed, std::set<int>& ids, int& players)
{
    EntityRecord record{0, c.offset(), 0};
    int32_t type = 0, storedID = 0;
    float x = 0, y = 0, r = 0;
    if (!c.int32(type, "an entity"))
        return false;
    if (!isFactoryType(type))
        return c.fail("unknown entity type " + std::to_string(type));
    if (!c.int32(storedID, "an entity") || !c.float32(x, "an entity") || !c.float32(y, "an entity")
        || !c.float32(r, "an entity"))
        return false;
    if (storedID < 0 || storedID >= EntityManager::MAX_ENTITIES)
        return c.fail("entity id " + std::to_string(storedID) + " is out of range");
    if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > MAX_COORDINATE || std::fabs(y) > MAX_COORDINATE
        || !std::isfinite(r) || r < 0 || r > MAX_RADIUS)
        return c.fail("entity " + std::to_string(storedID) + " has an impossible position or radius");
    // The player always ends up with id 0, whatever was stored.
    const int finalID = type == Entity::TYPE_PLAYER ? 0 : storedID;
    if (type == Entity::TYPE_PLAYER && ++players > 1)
        return c.fail("more than one player");
    if (!ids.insert(finalID).second)
        return c.fail("entity id " + std::to_string(finalID) + " is used twice");

    if (type == Entity::TYPE_DOODAD) {
        int32_t imageIndex = 0;
        if (!c.int32(imageIndex, "a prop"))
            return false;
        if (imageIndex < 0 || static_cast<std::size_t>(imageIndex) >= ResourceManager::doodadTextures.size())
            return c.fail("prop number " + std::to_string(imageIndex) + " is not loaded");
    } else if (type == Entity::TYPE_TRIGGER && !checkTrigger(c)) {
        return false;
    }
    record.type = type;
    record.length = c.offset() - record.offset;
    parsed.entities.push_back(record);
    return true;
}

// Structure only: nothing of the zone is touched, nothing is allocated from an unchecked count.
bool parseZoneFile(const std::string& bytes, ZoneFile& parsed, std::string& why)
{
    Checker c(bytes);
    int32_t w = 0, h = 0, count = 0;
    if (!c.int32(parsed.id, "the header") || !c.string(parsed.name, "the zone name")
        || !c.int32(w, "the header") || !c.int32(h, "the header")) {
        why = c.why;
        return false;
    }
    if (!Zone::validSize(w, h)) {
        why = "impossible size " + std::to_string(w) + " x " + std::to_string(h);
        return false;
    }
    parsed.width = w;
    parsed.height = h;
    if (!c.fits(static_cast<long long>(w) * h, TILE_RECORD)) {
        why = "the file ends inside its tiles";
        return false;
    }
    parsed.tilesOffset = c.offset();
    for (long long t = 0; t < static_cast<long long>(w) * h; ++t) {
        int32_t kind = 0, texture = 0, link = 0;
        c.int32(kind, "a tile");
        c.int32(texture, "a tile");
        c.int32(link, "a tile");
        if (texture < 0 || static_cast<std::size_t>(texture) >= ResourceManager::tileTextures.size())
            ++parsed.missingImages;
    }
    if (!c.int32(count, "the entity count")) {
        why = c.why;
        return false;
    }
    if (!c.fits(count, ENTITY_COMMON)) {
        why = "entity count " + std::to_string(count) + " is more than the file holds";
        return false;
    }
    std::set<int> ids;
    int players = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (!checkEntity(c, parsed, ids, players)) {
            why = c.why;
            return false;
        }
    }
    // Anything after the last record is ignored: older saves could leave stale bytes there.
    return true;
}

void buildTiles(const std::string& bytes, const ZoneFile& parsed, std::vector<std::vector<Tile>>& grid)
{
    const std::size_t tileCount = static_cast<std::size_t>(parsed.width) * static_cast<std::size_t>(parsed.height);
    std::istringstream in(bytes.substr(parsed.tilesOffset, tileCount * TILE_RECORD));
    grid.assign(static_cast<std::size_t>(parsed.width), std::vector<Tile>(static_cast<std::size_t>(parsed.height)));
    for (int x = 0; x < parsed.width; ++x) {
        for (int y = 0; y < parsed.height; ++y) {
            Tile& tile = grid[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)];
            tile.x = x;
            tile.y = y;
            tile.load(in);
        }
    }
}

bool makeEntities(const std::string& bytes, const ZoneFile& parsed, EntityManager* manager,
                  std::vector<Entity*>& made, std::string& why)
{
    std::set<int> ids;
    for (const EntityRecord& record : parsed.entities) {
        Entity* e = createEntity(record.type, manager);
        if (!e) {
            why = "entity type " + std::to_string(record.type) + " cannot be made";
            break;
        }
        made.push_back(e);
        // The type value is already consumed, as the classes expect.
        std::istringstream in(bytes.substr(record.offset + 4, record.length - 4));
        e->load(in);
        if (!ids.insert(e->getID()).second) {
            why = "entity id " + std::to_string(e->getID()) + " is used twice";
            break;
        }
    }
    if (why.empty())
        return true;
    for (Entity* e : made)
        delete e;
    made.clear();
    return false;
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

Player* Zone::load(int zoneId)
{
    const std::string file = fileName(zoneId);
    std::string bytes;
    std::string why;
    ZoneFile parsed;
    std::vector<Entity*> made;
    const bool accepted = readWholeFile(file, bytes, why) && parseZoneFile(bytes, parsed, why)
                       && makeEntities(bytes, parsed, this, made, why);
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
    std::printf(MSG_ENTITY_COUNT, static_cast<int>(made.size()));
    Entity* player = nullptr;
    for (Entity* e : made) {
        add(e);
        if (e->getType() == Entity::TYPE_PLAYER)
            player = e;
    }
    return asPlayer(player);
}

