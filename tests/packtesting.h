#pragma once
// Zones, pack folders and archives for the pack tests, made here byte by byte; and a way to
// bend an archive's headers the way a hostile one would.

#include "testsupport.h"
#include "world/kinds.h"
#include "world/levelfolder.h"
#include "world/pack.h"
#include "world/packarchive.h"
#include "world/zonefile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace packtesting {

using testsupport::readFile;
using testsupport::writeFile;

inline zonefile::EntityRecord record(int32_t type, int32_t id, int column, int row)
{
    zonefile::EntityRecord e;
    e.type = type;
    e.id = id;
    e.x = 32.f * static_cast<float>(column) + 16.f;
    e.y = 32.f * static_cast<float>(row) + 16.f;
    e.radius = 16.f;
    return e;
}

// A street of floor, 12 x 6, running from column 0 to 11 along row 3.
inline zonefile::ZoneData street(int id, const std::string& name = "A street")
{
    zonefile::ZoneData z;
    z.id = id;
    z.name = name;
    z.width = 12;
    z.height = 6;
    z.tiles.resize(static_cast<std::size_t>(z.width * z.height));
    return z;
}

inline void setTile(zonefile::ZoneData& z, int column, int row, int type, int link)
{
    z.tile(column, row).type = type;
    z.tile(column, row).link = link;
}

// The start of a two-zone campaign: the player at column 2, the way on at column 11.
inline zonefile::ZoneData startStreet(int id, int next)
{
    zonefile::ZoneData z = street(id, "Home");
    z.entities.push_back(record(KindTypes::TYPE_PLAYER, 0, 2, 3));
    setTile(z, 11, 3, TILE_LINKOUT, next);
    return z;
}

// Its end: arriving at column 1 from the start, one robber waiting at the far end.
inline zonefile::ZoneData endingStreet(int id, int from)
{
    zonefile::ZoneData z = street(id, "The end of the road");
    setTile(z, 1, 3, TILE_LINKIN, from);
    z.entities.push_back(record(KindTypes::TYPE_ROBBER, 1, 11, 3));
    return z;
}

inline std::string packIni(const std::string& name, int start, int ending)
{
    return "[pack]\nname=" + name + "\nauthor=Tester\nversion=1\ndescription=Two streets.\nstart="
         + std::to_string(start) + "\nending=" + std::to_string(ending) + "\n";
}

// The two-zone campaign's files: pack.ini, then start.zn and ending.zn.
inline std::vector<std::pair<std::string, std::string>> twoStreets(const std::string& name, int start, int ending)
{
    return {{"pack.ini", packIni(name, start, ending)},
            {std::to_string(start) + ".zn", zonefile::encode(startStreet(start, ending))},
            {std::to_string(ending) + ".zn", zonefile::encode(endingStreet(ending, start))}};
}

inline void writeFolder(const std::string& folder, const std::vector<std::pair<std::string, std::string>>& files)
{
    std::filesystem::create_directories(folder);
    for (const auto& file : files)
        writeFile(folder + "/" + file.first, file.second);
}

// The files as a folder pack, opened and played from now on (the caller puts the built-in
// pack back).
inline Pack playFolder(const std::string& folder, const std::vector<std::pair<std::string, std::string>>& files)
{
    writeFolder(folder, files);
    Pack pack;
    std::string why;
    EXPECT_TRUE(pack.open(folder, why)) << why;
    LevelFolder::usePack(pack);
    return pack;
}

inline std::string archive(const std::vector<std::pair<std::string, std::string>>& files)
{
    std::string bytes, why;
    EXPECT_TRUE(PackArchive::make(files, bytes, why)) << why;
    return bytes;
}

// Little-endian fields of an archive's headers.
inline uint32_t get(const std::string& b, std::size_t at, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

inline void put(std::string& b, std::size_t at, int bytes, uint32_t v)
{
    for (int i = 0; i < bytes; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xff);
}

// The header fields a hostile archive lies in, found in the local header and the central
// directory alike, so the two still agree.
struct Header {
    std::string& bytes;
    std::size_t at;
    bool central;
    std::string name() const { return bytes.substr(at + (central ? 46 : 30), get(bytes, at + (central ? 28 : 26), 2)); }
    void setName(const std::string& to) const { bytes.replace(at + (central ? 46 : 30), to.size(), to); }
    void setFlags(uint16_t v) const { put(bytes, at + (central ? 8 : 6), 2, v | get(bytes, at + (central ? 8 : 6), 2)); }
    void setSize(uint32_t v) const { put(bytes, at + (central ? 24 : 22), 4, v); }
    // The central directory only: the file type and permissions made on a Unix system.
    void setUnixMode(uint32_t mode) const
    {
        if (central) {
            bytes[at + 5] = 3;
            put(bytes, at + 38, 4, mode << 16);
        }
    }
};

// Calls bend on both headers of the entry named entry (same length names only).
inline void bend(std::string& zip, const std::string& entry, const std::function<void(const Header&)>& change)
{
    int found = 0;
    for (std::size_t at = 0; at + 46 < zip.size(); ++at) {
        const uint32_t signature = get(zip, at, 4);
        if (signature != 0x04034b50 && signature != 0x02014b50)
            continue;
        const Header h{zip, at, signature == 0x02014b50};
        if (h.name() == entry) {
            change(h);
            ++found;
        }
    }
    EXPECT_EQ(found, 2) << "both headers of " << entry;
}

} // namespace packtesting
