#pragma once
// Zone files as plain data, their readable text form, and the checks zonetool runs.
// Decoding and encoding follow the game's zone file byte for byte, so a file can be
// dumped, edited as text and built back.

#include "world/event.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zonetext {

// Prop numbers the game loads (lamp, trash can, car, chair, counter, fridge, monitor).
constexpr int PROP_COUNT = 12;

struct TileRec {
    int32_t type = 2;
    int32_t texture = 0;
    int32_t link = -1;
};

struct EntityRec {
    int32_t type = 0;
    int32_t id = 0;
    float x = 0, y = 0, radius = 0;
    int32_t image = 0;           // props
    bool fireOnEnter = true;     // triggers
    int32_t uses = 1;
    int32_t team = 1;
    std::vector<Event> events;   // the game's own event records
};

struct ZoneData {
    int32_t id = 0;
    std::string name;
    int32_t width = 1;
    int32_t height = 1;
    std::vector<TileRec> tiles; // column-major, as in the file
    std::vector<EntityRec> entities; // in file order
    std::string trailing;       // bytes after the last record, kept so dumps stay exact

    TileRec& tile(int x, int y) { return tiles[static_cast<std::size_t>(x) * height + y]; }
    const TileRec& tile(int x, int y) const { return tiles[static_cast<std::size_t>(x) * height + y]; }
};

// Bytes to data: false with why (naming the byte offset) when the layout cannot be read.
bool decode(const std::string& bytes, ZoneData& zone, std::string& why);
std::string encode(const ZoneData& zone);

std::string toText(const ZoneData& zone);
// Text to data: false with why as "LINE: reason".
bool fromText(const std::string& text, ZoneData& zone, std::string& why);

// What the game's loader would refuse or get wrong, one problem per entry.
// tileImages is the number of tile images the game has.
std::vector<std::string> checkZone(const ZoneData& zone, int tileImages);

struct NamedZone {
    std::string file;
    ZoneData zone;
};
// Links across a set of zones: each link-out must lead to a zone of the set that has a
// link-in back from this one. Problems are prefixed with the file.
std::vector<std::string> checkLinks(const std::vector<NamedZone>& zones);

// Number of consecutive tile images 0.png, 1.png, ... in dir.
int countTileImages(const std::string& dir);

std::string propName(int image);

} // namespace zonetext
