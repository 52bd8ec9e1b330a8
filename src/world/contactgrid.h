#pragma once
// A uniform grid over a zone's entities, so a contact pass tests only the pairs that can
// touch. Entities are held by slot: their rank in id order when the grid was built.

#include <SFML/System/Vector2.hpp>
#include <map>
#include <memory>
#include <vector>

class Entity;

class ContactGrid final {
public:
    // One tile per cell; entities wider than half a cell are checked by everyone.
    static constexpr float CELL_SIZE = 32.0f;
    static constexpr float MAX_BINNED_RADIUS = CELL_SIZE * 0.5f;
    // A querier reaching further than this simply tests everyone.
    static constexpr float MAX_QUERY_RADIUS = 2048.0f;

    // Bins every registered entity; cells cover a zone of the given size in tiles, and
    // anything outside lands in the nearest edge cell.
    void build(const std::map<int, std::unique_ptr<Entity>>& entities, int zoneWidth, int zoneHeight);

    std::size_t size() const { return slots.size(); }
    Entity* at(int slot) const { return slots[static_cast<std::size_t>(slot)]; }
    // The slot of a registered id, or -1.
    int slotOf(int id) const;

    // Puts a slot back where its current position and radius say.
    void moved(int slot);

    // Slots, ascending, of every entity whose position lies within radius plus the largest
    // binned radius of the point. False when the querier must test everyone instead.
    bool gather(const sf::Vector2f& point, float radius, std::vector<int>& out) const;

private:
    static constexpr int ALWAYS = -1;

    int cellFor(const Entity& e) const;
    int clampedColumn(double x) const;
    int clampedRow(double y) const;
    void insert(int slot, int cell);
    void erase(int slot, int cell);
    static void appendSorted(const std::vector<int>& list, std::vector<int>& out);

    int columns = 0;
    int rows = 0;
    float largestRadius = 0.0f;
    std::vector<Entity*> slots;
    std::vector<int> ids;
    std::vector<int> cellOf;
    std::vector<std::vector<int>> cells; // each ascending
    std::vector<int> always;             // ascending too
};
