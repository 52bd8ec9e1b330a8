#pragma once
// The readable text form of zone files and the checks zonetool runs. The bytes are the
// game's own codec (world/zonefile), so a file can be dumped, edited as text and built back.

#include "world/zonefile.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zonetext {

using TileRec = zonefile::TileRecord;
using EntityRec = zonefile::EntityRecord;
using ZoneData = zonefile::ZoneData;

// Bytes to data: false with why (naming the byte offset) when the layout cannot be read.
bool decode(const std::string& bytes, ZoneData& zone, std::string& why);
using zonefile::encode;

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
