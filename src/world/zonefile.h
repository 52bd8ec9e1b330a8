#pragma once
// The zone file: its byte layout and every limit on what it may hold, in one place. Plain
// data without the game's objects: the game builds its zone from a ZoneData and saves one,
// the zone tool dumps, builds and checks them, the fuzzers feed them.
//
// Layout (little-endian): id, name, width, height; width x height tiles column by column
// (kind, image, link); the entity count and the records, each type, id, x, y, radius and
// what its kind's RecordLayout adds. Bytes after the last record are kept as trailing.

#include "world/event.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A fixed underlying type: files may hold any int here and it must survive a round trip.
enum TileType : int { TILE_LINKOUT = 0, TILE_LINKIN = 1, TILE_FLOOR = 2, TILE_WALL = 3 };

namespace zonefile {

// The layout above by name, as morvane --version gives it: a changed layout is a new name.
constexpr const char* FORMAT_NAME = "MORVANE zone file 1 (.zn)";

// Bounds on sizes from files and the editor: a million tiles is already a big level.
constexpr int MAX_SIDE = 4096;
constexpr int MAX_TILES = 1024 * 1024;
// Ids run from 0 to MAX_ENTITIES - 1.
constexpr int MAX_ENTITIES = 16777215;
// The zone whose clearing of robbers ends the game.
constexpr int ENDING_ZONE = 3;
// Longest dialog line, in bytes.
constexpr std::size_t MAX_TEXT = 65536;
// Longest zone name, in bytes: real names are a few words, and the editor shows it every frame.
constexpr std::size_t MAX_NAME = 256;
// Loaded geometry must stay in a range the simulation can handle.
constexpr float MAX_COORDINATE = 1.0e6f;
constexpr float MAX_RADIUS = 4096.0f;
// The largest zone file accepted, far beyond any real level (the largest grid alone is
// 12 MB); a bigger file is refused before any of it is read.
constexpr long long MAX_FILE_BYTES = 256LL * 1024 * 1024;

struct TileRecord {
    int32_t type = TILE_FLOOR;
    int32_t texture = 0;
    int32_t link = -1;
};

struct EntityRecord {
    int32_t type = 0;
    int32_t id = 0;
    float x = 0, y = 0, radius = 0;
    int32_t image = 0;       // props
    bool fireOnEnter = true; // triggers
    int32_t uses = 1;
    int32_t team = 1;
    std::vector<Event> events;
};

struct ZoneData {
    int32_t id = 0;
    std::string name;
    int32_t width = 1;
    int32_t height = 1;
    std::vector<TileRecord> tiles;     // column by column, as in the file
    std::vector<EntityRecord> entities; // in file order
    std::string trailing;              // bytes after the last record

    TileRecord& tile(int x, int y) { return tiles[static_cast<std::size_t>(x) * height + y]; }
    const TileRecord& tile(int x, int y) const { return tiles[static_cast<std::size_t>(x) * height + y]; }
};

// Bytes to data. On refusal: false, why says what is wrong and at (when given) the byte
// offset of the failure, or of the start of the entity record that failed.
bool decode(const std::string& bytes, ZoneData& zone, std::string& why, std::size_t* at = nullptr);
// An entity list alone (the count, then the records), as decode reads it.
bool decodeEntities(const std::string& bytes, std::vector<EntityRecord>& entities, std::string& why);
std::string encode(const ZoneData& zone);
// An entity list alone, as decodeEntities reads it.
std::string encodeEntities(const std::vector<EntityRecord>& entities);

// What the game refuses beyond the layout, the first problem in record order: ids out of
// range or used twice, more than one player, impossible geometry, a prop number outside
// the propsLoaded images.
bool check(const std::vector<EntityRecord>& entities, int propsLoaded, std::string& why);

// The single checks behind decode and check, for the tool's reports.
bool validSize(long long width, long long height);
bool validId(long long id);
bool validPlace(const EntityRecord& e);
// False with a reason for a dialog line longer than MAX_TEXT.
bool checkDialogText(const std::string& text, std::string& why);
// False with a reason for a zone name longer than MAX_NAME.
bool checkName(const std::string& name, std::string& why);
// The id an entity gets in the game: the player's is always 0.
int32_t finalId(const EntityRecord& e);

} // namespace zonefile
