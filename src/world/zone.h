#pragma once
// One level area: a grid of tiles, the entities on it (a zone is their manager), and its file.

#include "world/entitymanager.h"
#include "world/tile.h"

#include <SFML/System/Vector2.hpp>
#include <string>
#include <vector>

class Zone : public EntityManager {
public:
    static const std::string LEVEL_DIR;
    // Bounds on sizes from files and the editor: a tile with its sprite is about 300 bytes,
    // so a million of them is already a third of a gigabyte.
    static constexpr int MAX_SIDE = 4096;
    static constexpr int MAX_TILES = 1024 * 1024;

    int id;
    std::string name;
    int width;
    int height;

    // Sizes below 1 are clamped to 1; callers pass valid sizes.
    Zone(int zoneId, int widthIn, int heightIn, ScriptHandler* scriptHandlerIn);
    ~Zone() override;

    Tile* getTile(int x, int y);
    const Tile* getTile(int x, int y) const;
    int getWidth() const;
    int getHeight() const;
    static bool validSize(int w, int h);
    // False, and nothing changes, for sizes below 1 or above the bounds.
    bool resize(int w, int h);

    // The ground that can touch the view in one batch, then the entities.
    void draw(sf::RenderTarget& target, bool debug);
    // Every tile as its own sprite, then every entity: the reference for draw.
    void drawAll(sf::RenderTarget& target, bool debug);
    void drawInfo(sf::RenderTarget& target);
    sf::Vector2f findLinkIn(int fromId) const;

    static std::string fileName(int zoneId);
    // The zone file's bytes.
    std::string encode() const;
    using EntityManager::save;
    bool save();
    using EntityManager::load;
    // All or nothing: a refused file leaves the zone as it was and returns null. A file
    // without a player returns null too; loaded, when given, tells the two apart.
    Player* load(int zoneId, bool* loaded = nullptr);
    // The same from bytes in memory, silently: false with why, and the zone as it was.
    bool loadBytes(const std::string& bytes, std::string& why);

    // False when there is nothing to read; why is then empty for a missing file.
    static bool readFile(const std::string& file, std::string& bytes, std::string& why);
    // Writes beside the file and renames over it, so a failure never leaves half a file;
    // false with the system's reason.
    static bool writeFileAtomically(const std::string& file, const std::string& bytes, std::string& why);

private:
    std::vector<std::vector<Tile>> tiles;
    // Tiles of the last load naming images that are not loaded.
    int missingImages = 0;
};
