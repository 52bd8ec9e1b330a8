#pragma once
// One level area: a grid of tiles, the entities on it (in its manager), and its file.

#include "world/entitymanager.h"
#include "world/tile.h"

#include <SFML/System/Vector2.hpp>
#include <string>
#include <vector>

class EventQueue;

class Zone {
public:
    static const std::string LEVEL_DIR;
    static const std::string FILE_EXTENSION;
    static constexpr int MAX_SIDE = zonefile::MAX_SIDE;
    static constexpr int MAX_TILES = zonefile::MAX_TILES;

    int id;
    std::string name;
    int width;
    int height;
    // The zone's entities; a zone is what they are given as their zone.
    EntityManager entities;

    // Sizes below 1 are clamped to 1; callers pass valid sizes.
    Zone(int zoneId, int widthIn, int heightIn, EventQueue* events);
    ~Zone();
    Zone(const Zone&) = delete;
    Zone& operator=(const Zone&) = delete;

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
    void update(bool frozen) { entities.update(*this, frozen); }

    // Once a frame, drawn or not: the entities' animations move on and their blows are
    // thrown, back to front by depth.
    void animate() { entities.animate(); }
    // The ground that can touch the frame's view in runs of one image, then the entities
    // that can, back to front, with the wall blocks among them by depth. What comes after
    // stands over the world.
    void submit(FrameList& frame, bool debug) const;
    // Every tile as its own sprite, then every entity, each sprite whole: the reference for
    // submit (paint it untrimmed).
    void submitAll(FrameList& frame, bool debug) const;
    // Where whoever stands at given feet goes among the wall blocks drawn by depth.
    EntityManager::SortDepth sortDepth() const;
    // The kinds and links of the tiles that can touch the view (the editor's overlay).
    void submitInfo(FrameList& frame) const;
    sf::Vector2f findLinkIn(int fromId) const;

    // The zone's file beside the resources; LevelFolder chooses what is really read and saved.
    static std::string fileName(int zoneId);
    // What a save writes.
    zonefile::ZoneData data() const;
    // The zone file's bytes.
    std::string encode() const;
    bool save();
    // All or nothing: a refused file leaves the zone as it was and returns null. Else the
    // player's entity, or null for a file without one; loaded, when given, tells the two
    // apart, and refusal gets the file and why it was refused. Only regular files are opened.
    Entity* load(int zoneId, bool* loaded = nullptr, std::string* refusal = nullptr);
    // The same from bytes in memory, silently: false with why, and the zone as it was.
    bool loadBytes(const std::string& bytes, std::string& why);
    // False when there is nothing to read; why is then empty for a missing file.
    static bool readFile(const std::string& file, std::string& bytes, std::string& why);

private:
    // Takes over checked data; canBuild has accepted its entities.
    Entity* adopt(const zonefile::ZoneData& data);

    std::vector<std::vector<Tile>> tiles;
};
