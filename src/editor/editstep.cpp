#include "editor/editstep.h"

#include "world/entity.h"
#include "world/entitymanager.h"
#include "world/tile.h"
#include "world/zone.h"
#include "world/zonefile.h"

#include <algorithm>
#include <cstdio>

namespace {

bool sameTile(const Tile& tile, int32_t type, int32_t texture, int32_t link)
{
    return tile.type == type && tile.texture == texture && tile.link == link;
}

} // namespace

EditStep::EditStep(const Zone& zone, const std::string& label, const std::string& many)
    : text(label), textForMany(many), id(zone.id), name(zone.name), nextID(zone.entities.nextID)
{
}

EditStep::~EditStep() = default;

EditStep::TileState EditStep::stateOf(const Tile& tile)
{
    return TileState{tile.x, tile.y, tile.type, tile.texture, tile.link};
}

void EditStep::put(Tile& tile, const TileState& state)
{
    // Straight to the field: a file may name an image that is not loaded, and it must come back.
    tile.texture = state.texture;
    tile.setType(static_cast<TileType>(state.type));
    tile.link = state.link;
}

void EditStep::noteTile(const Tile& tile) { tiles.push_back(stateOf(tile)); }

EditStep::EntityState EditStep::entityState(const Zone& zone, int entityId)
{
    EntityState state{entityId, false, std::string()};
    if (const Entity* e = zone.entities.get(entityId)) {
        std::vector<zonefile::EntityRecord> records(1);
        e->save(records[0]);
        state.present = true;
        state.record = zonefile::encodeEntities(records);
    }
    return state;
}

void EditStep::putEntity(Zone& zone, const EntityState& state)
{
    if (zone.entities.get(state.id))
        zone.entities.remove(state.id);
    std::vector<zonefile::EntityRecord> records;
    std::string why;
    if (!state.present || !zonefile::decodeEntities(state.record, records, why) || records.size() != 1)
        return;
    std::unique_ptr<Entity> e = createEntity(records[0].type, &zone.entities);
    if (!e)
        return;
    e->load(records[0]);
    zone.entities.add(std::move(e));
}

void EditStep::noteEntity(const Zone& zone, int entityId)
{
    for (const EntityState& noted : entities)
        if (noted.id == entityId)
            return;
    entities.push_back(entityState(zone, entityId));
}

void EditStep::cutOutside(const Zone& zone, int w, int h, std::vector<TileState>& into)
{
    into.clear();
    for (int x = 0; x < zone.getWidth(); ++x)
        for (int y = x < w ? h : 0; y < zone.getHeight(); ++y)
            into.push_back(stateOf(*zone.getTile(x, y)));
}

void EditStep::noteResize(const Zone& zone, int w, int h)
{
    if (grid.used)
        return;
    grid.used = true;
    grid.width = zone.getWidth();
    grid.height = zone.getHeight();
    cutOutside(zone, w, h, grid.outside);
}

void EditStep::replaceZone(std::unique_ptr<Zone>& zone, int& sourceNow, std::unique_ptr<Zone> replacement,
                           int replacementSource)
{
    otherZone = std::move(zone);
    zone = std::move(replacement);
    source = sourceNow;
    sourceNow = replacementSource;
}

bool EditStep::finish(const Zone& zone)
{
    // The first note of each tile holds its state before the step.
    std::stable_sort(tiles.begin(), tiles.end(),
                     [](const TileState& a, const TileState& b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
    tiles.erase(std::unique(tiles.begin(), tiles.end(),
                            [](const TileState& a, const TileState& b) { return a.x == b.x && a.y == b.y; }),
                tiles.end());
    tiles.erase(std::remove_if(tiles.begin(), tiles.end(),
                               [&](const TileState& t) {
                                   const Tile* now = zone.getTile(t.x, t.y);
                                   return !now || sameTile(*now, t.type, t.texture, t.link);
                               }),
                tiles.end());
    tiles.shrink_to_fit();
    entities.erase(std::remove_if(entities.begin(), entities.end(),
                                  [&](const EntityState& e) {
                                      const EntityState now = entityState(zone, e.id);
                                      return now.present == e.present && now.record == e.record;
                                  }),
                   entities.end());
    if (grid.used && grid.width == zone.getWidth() && grid.height == zone.getHeight())
        grid = GridState();

    const int changed = static_cast<int>(tiles.size() + entities.size());
    if (!textForMany.empty()) {
        char counted[128];
        std::snprintf(counted, sizeof counted, (changed == 1 ? text : textForMany).c_str(), changed);
        text = counted;
        textForMany.clear();
    }
    // The next id alone is no change: it only skips ids still taken.
    return changed > 0 || grid.used || otherZone || zone.id != id || zone.name != name;
}

void EditStep::swapGrid(Zone& zone)
{
    if (!grid.used)
        return;
    std::vector<TileState> cut;
    cutOutside(zone, grid.width, grid.height, cut);
    const int width = zone.getWidth();
    const int height = zone.getHeight();
    zone.resize(grid.width, grid.height);
    std::size_t next = 0;
    for (int x = 0; x < grid.width; ++x)
        for (int y = x < width ? height : 0; y < grid.height && next < grid.outside.size(); ++y)
            put(*zone.getTile(x, y), grid.outside[next++]);
    grid.width = width;
    grid.height = height;
    grid.outside.swap(cut);
}

void EditStep::swapHeader(Zone& zone)
{
    std::swap(zone.id, id);
    std::swap(zone.name, name);
    std::swap(zone.entities.nextID, nextID);
}

void EditStep::swap(std::unique_ptr<Zone>& zone, int& sourceNow)
{
    if (otherZone) {
        otherZone.swap(zone);
        std::swap(sourceNow, source);
        return;
    }
    swapGrid(*zone);
    for (TileState& t : tiles) {
        Tile* tile = zone->getTile(t.x, t.y);
        if (!tile)
            continue;
        const TileState now = stateOf(*tile);
        put(*tile, t);
        t = now;
    }
    // Every entity out before any comes back, so none meets an id still taken.
    std::vector<EntityState> now;
    now.reserve(entities.size());
    for (const EntityState& e : entities)
        now.push_back(entityState(*zone, e.id));
    for (const EntityState& e : entities)
        if (zone->entities.get(e.id))
            zone->entities.remove(e.id);
    for (const EntityState& e : entities)
        putEntity(*zone, e);
    entities.swap(now);
    swapHeader(*zone);
}

std::size_t EditStep::bytes() const
{
    std::size_t total = sizeof(*this) + text.capacity() + name.capacity();
    total += tiles.capacity() * sizeof(TileState) + grid.outside.capacity() * sizeof(TileState);
    for (const EntityState& e : entities)
        total += sizeof(EntityState) + e.record.capacity();
    if (otherZone) {
        const std::size_t area = static_cast<std::size_t>(otherZone->getWidth()) * otherZone->getHeight();
        total += area * sizeof(Tile) + otherZone->entities.size() * 512;
    }
    return total;
}
