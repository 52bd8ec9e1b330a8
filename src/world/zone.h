#pragma once
// One level area: a grid of tiles, the entities on it (a zone is their manager), and its file.

#include "core/drawlist.h"
#include "world/entitymanager.h"
#include "world/picturecache.h"
#include "world/tile.h"

#include <SFML/System/Vector2.hpp>
#include <string>
#include <vector>

class Zone : public EntityManager {
public:
    static const std::string LEVEL_DIR;
    static const std::string FILE_EXTENSION;
    static constexpr int MAX_SIDE = zonefile::MAX_SIDE;
    static constexpr int MAX_TILES = zonefile::MAX_TILES;

    int id;
    std::string name;
    int width;
    int height;

    // Sizes below 1 are clamped to 1; callers pass valid sizes.
    Zone(int zoneId, int widthIn, int heightIn, ScriptHandler* scriptHandlerIn);
    ~Zone() override;

    Tile* getTile(int x, int y);
    const Tile* getTile(int x, int y) const;
    // The tile under a world position; null off the grid.
    Tile* tileAt(const sf::Vector2f& world);
    int getWidth() const;
    int getHeight() const;
    static bool validSize(int w, int h);
    // False, and nothing changes, for sizes below 1 or above the bounds.
    bool resize(int w, int h);

    // One simulation step of the zone's own entities over its own grid.
    void update(bool frozen) { EntityManager::update(*this, frozen); }
    using EntityManager::update;

    // The ground that can touch the view in runs of one image, then the entities.
    void draw(sf::RenderTarget& target, bool debug);
    // What drawCleared copied back instead of painting: all but the pixels around the
    // sprites that changed, for MOST.
    enum class Kept { NOTHING, GROUND, MOST, ALL };
    // The same over the whole target cleared to colour first. While the view and the ground
    // stay as they were, the ground's picture is copied back from the frame before; while
    // the entities, the walls and the hidden area do too, the whole picture is. When only
    // some sprites changed, only the pixels around them are painted.
    Kept drawCleared(sf::RenderTarget& target, const sf::Color& colour, bool debug);
    // Benchmarks switch the kept pictures off one at a time, to weigh what each saves.
    static bool keepGround;
    static bool keepPicture;
    static bool repaintAround;
    // Before the first frame on target with its view as it will be: paints and keeps the
    // ground that frame would paint and makes room for the whole picture, so the frame
    // copies the ground; the walls are painted once, so the frame paints them at their
    // usual cost. The target is left painted; the entities are not drawn.
    void prepare(sf::RenderTarget& target, const sf::Color& colour);
    // Every tile as its own sprite, then every entity whole: the reference for draw.
    void drawAll(sf::RenderTarget& target, bool debug);
    // The kinds and links of the tiles that can touch the view (the editor's overlay).
    void drawInfo(sf::RenderTarget& target);
    sf::Vector2f findLinkIn(int fromId) const;

    // The zone's file beside the resources; LevelFolder chooses what is really read and saved.
    static std::string fileName(int zoneId);
    // What a save writes.
    zonefile::ZoneData data() const;
    // The zone file's bytes.
    std::string encode() const;
    using EntityManager::save;
    bool save();
    using EntityManager::load;
    // All or nothing: a refused file leaves the zone as it was and returns null. A file
    // without a player returns null too; loaded, when given, tells the two apart, and
    // refusal gets the file and why it was refused. Only regular files are opened.
    Player* load(int zoneId, bool* loaded = nullptr, std::string* refusal = nullptr);
    // The same from bytes in memory, silently: false with why, and the zone as it was.
    bool loadBytes(const std::string& bytes, std::string& why);
    // False when there is nothing to read; why is then empty for a missing file.
    static bool readFile(const std::string& file, std::string& bytes, std::string& why);

private:
    // Takes over checked data; canBuild has accepted its entities.
    Player* adopt(const zonefile::ZoneData& data);

    std::vector<std::vector<Tile>> tiles;
    PictureCache groundPicture;
    PictureCache wholePicture;
    // What the whole picture kept was painted from, step by step, to tell which of its
    // pixels a later frame changes.
    DrawList::Outline keptOutline;
    PictureCache::Key seenGround;
};
