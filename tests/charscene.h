#pragma once
// Small helpers for tests that run characters through a real zone, frame by frame.

#include "render/framelist.h"
#include "world/entity.h"
#include "testsupport.h"
#include "world/tile.h"
#include "world/zone.h"

#include <SFML/Graphics/RenderTexture.hpp>

#include "characters/particle.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace charscene {

// The zone drawn on target in its view as a frame draws it: animated once, its items
// submitted the fast way (or the plain way, every tile and sprite whole) and painted over
// what target holds.
inline void drawZone(Zone& zone, sf::RenderTarget& target, bool debug, bool plain = false)
{
    FrameList list(target.getSize());
    list.setView(target.getView());
    zone.animate();
    if (plain)
        zone.submitAll(list, debug);
    else
        zone.submit(list, debug);
    testsupport::paint(list, target, plain);
}

// One game frame as the play state runs it: the simulation step, then the animations
// (where characters throw their blows).
inline void frame(Zone& zone)
{
    zone.update(false);
    zone.animate();
}

inline void frames(Zone& zone, int count)
{
    for (int i = 0; i < count; ++i)
        frame(zone);
}

// Rows of '.' (floor) and '#' (wall), top row first.
inline void paint(Zone& zone, const std::vector<std::string>& rows)
{
    for (std::size_t y = 0; y < rows.size(); ++y)
        for (std::size_t x = 0; x < rows[y].size(); ++x)
            zone.getTile(static_cast<int>(x), static_cast<int>(y))
                ->setType(rows[y][x] == '#' ? TILE_WALL : TILE_FLOOR);
}

inline sf::Vector2f tileCentre(int column, int row)
{
    return {32.0f * column + 16.0f, 32.0f * row + 16.0f};
}

// Adds e at p and hands it back typed; the zone owns it.
template <class T>
T* place(Zone& zone, std::unique_ptr<T> e, sf::Vector2f p)
{
    e->position = p;
    return zone.entities.add(std::move(e));
}

// Declared before any zone in a fixture: tiles need the tile images loaded.
struct Loaded {
    Loaded() { testsupport::loadTestResources(); }
};

inline int count(Zone& zone, int type) { return zone.entities.countType(type); }

// ---- shared by the character tests ----
// Hit effects are made while drawing and first updated in the next frame, so a fresh one
// still has its whole lifetime (ids are reused, so they cannot tell).
inline std::vector<const Combat*> freshBlows(Zone& zone)
{
    std::vector<const Combat*> out;
    for (const auto& entry : zone.entities)
        if (entry.second->getType() == Entity::TYPE_COMBAT) {
            const Combat* c = static_cast<const Combat*>(entry.second.get());
            if (c->lifetime == (c->kind == Combat::COMBAT_MARKER ? 60 : 16))
                out.push_back(c);
        }
    return out;
}

// Copies, since effects may be gone by the time the caller looks.
struct BlowCopy {
    int draw;
    int kind;
    int team;
    sf::Vector2f position;
    sf::Vector2f facing;
    int parentID;
};

inline std::vector<BlowCopy> runFrames(Zone& zone, int count, const std::function<void(int)>& before = {})
{
    std::vector<BlowCopy> blows;
    for (int f = 1; f <= count; ++f) {
        if (before)
            before(f);
        frame(zone);
        for (const Combat* c : freshBlows(zone))
            blows.push_back({f, c->kind, c->ownerTeam, c->position, c->facing, c->parentID});
    }
    return blows;
}

inline void expectNear(sf::Vector2f actual, sf::Vector2f expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4f);
    EXPECT_NEAR(actual.y, expected.y, 1e-4f);
}

class CharacterTest : public ::testing::Test {
protected:
    Loaded loaded;
    Zone zone{0, 10, 10, nullptr};
    const sf::Vector2f centre = tileCentre(5, 5);
};

} // namespace charscene
