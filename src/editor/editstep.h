#pragma once
// One undoable change to the editor's zone. It keeps the other version of everything the
// change touched, so applying it swaps that version with the zone's: undo and redo are the
// same act. Only what changed is kept, so a stroke on a huge zone costs its own tiles.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Tile;
class Zone;

class EditStep final {
public:
    // A counted step's label is one or many, with %d the number of tiles and entities it
    // changed; other labels are taken as they are.
    EditStep(const Zone& zone, const std::string& label, const std::string& many = std::string());
    ~EditStep();
    EditStep(const EditStep&) = delete;
    EditStep& operator=(const EditStep&) = delete;

    // Before the change. Noting a thing again keeps its first state.
    void noteTile(const Tile& tile);
    void noteEntity(const Zone& zone, int id);
    // Before zone.resize(w, h): keeps the tiles the resize cuts away.
    void noteResize(const Zone& zone, int w, int h);
    // Replaces the zone object and the file it came from; the step keeps the old ones.
    void replaceZone(std::unique_ptr<Zone>& zone, int& source, std::unique_ptr<Zone> replacement, int replacementSource);

    // After the change: drops what did not change; false when nothing did.
    bool finish(const Zone& zone);
    // Swaps the zone's state with the step's; a replaced zone comes back with its source.
    void swap(std::unique_ptr<Zone>& zone, int& source);

    const std::string& label() const { return text; }
    // Roughly what the step holds in memory.
    std::size_t bytes() const;

private:
    struct TileState {
        int32_t x, y;
        int32_t type, texture, link;
    };
    struct EntityState {
        int id;
        bool present;
        std::string record; // as a zone file's entity list of one holds it
    };
    struct GridState {
        bool used = false;
        int width = 0, height = 0;
        std::vector<TileState> outside; // tiles beyond the other size, column by column
    };

    static TileState stateOf(const Tile& tile);
    static void put(Tile& tile, const TileState& state);
    static EntityState entityState(const Zone& zone, int id);
    static void putEntity(Zone& zone, const EntityState& state);
    static void cutOutside(const Zone& zone, int w, int h, std::vector<TileState>& into);
    void swapGrid(Zone& zone);
    void swapHeader(Zone& zone);

    std::string text;
    std::string textForMany;
    int id;
    std::string name;
    int nextID;
    int source = -1; // of the replaced zone
    std::vector<TileState> tiles; // until finish, in the order noted, repeats included
    std::vector<EntityState> entities;
    GridState grid;
    std::unique_ptr<Zone> otherZone;
};
