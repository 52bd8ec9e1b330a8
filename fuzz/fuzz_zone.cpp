// Any bytes as a zone file: the loader must load them whole or refuse them and leave the
// zone exactly as it was. Two different zones load the same file: if either changed, both
// must now hold the same content (nothing of the old zone may survive a load), and that
// content must save and load back unchanged.

#include "fuzzsupport.h"

#include "characters/doodad.h"
#include "world/entity.h"
#include "characters/player.h"
#include "characters/robber.h"
#include "world/tile.h"
#include "play/trigger.h"
#include "world/zone.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace {

const int FILE_ID = 5;
const int ROUND_TRIP_ID = 6;

// Zones whose content no shipped or crafted file reproduces by chance.
std::unique_ptr<Zone> sentinel(int variant)
{
    auto zone = std::make_unique<Zone>(9000 + variant, 3 + variant, 2, nullptr);
    zone->name = variant ? "second sentinel" : "first sentinel";
    zone->getTile(1, 1)->setType(TILE_WALL);
    zone->getTile(0, 1)->link = 40 + variant;
    Entity* robber = zone->entities.add(std::make_unique<Robber>(&zone->entities));
    robber->id = 3 + variant;
    robber->position = sf::Vector2f(40.0f, 20.0f + variant);
    auto* trigger = zone->entities.add(std::make_unique<Trigger>(&zone->entities, 24.0f, 1, true, 2));
    trigger->id = 7;
    trigger->position = sf::Vector2f(16.0f, 48.0f);
    trigger->addEvent();
    if (variant) {
        Entity* player = zone->entities.add(std::make_unique<Player>(&zone->entities));
    }
    return zone;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    using fuzzsupport::fail;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzzsupport::writeFile(Zone::fileName(FILE_ID), bytes);

    auto a = sentinel(0);
    auto b = sentinel(1);
    const std::string beforeA = fuzzsupport::fingerprint(*a);
    const std::string beforeB = fuzzsupport::fingerprint(*b);
    Entity* playerA = a->load(FILE_ID);
    Entity* playerB = b->load(FILE_ID);
    const std::string afterA = fuzzsupport::fingerprint(*a);
    const std::string afterB = fuzzsupport::fingerprint(*b);

    const bool refused = afterA == beforeA && afterB == beforeB;
    if (refused) {
        if (playerA || playerB)
            fail("a refused load returned a player");
        return 0;
    }
    if (afterA != afterB)
        fail("a load kept part of the zone it replaced");
    if ((playerA != nullptr) != (playerB != nullptr))
        fail("the same file gave a player once and not once");
    if (playerA && (a->entities.get(0) != playerA || playerA->getType() != Entity::TYPE_PLAYER))
        fail("the returned player is not the zone's entity 0");
    if (a->getWidth() < 1 || a->getHeight() < 1)
        fail("a zone loaded with an empty grid");

    fuzzsupport::writeFile(Zone::fileName(ROUND_TRIP_ID), fuzzsupport::serialize(*a));
    auto c = sentinel(0);
    c->load(ROUND_TRIP_ID);
    if (fuzzsupport::fingerprint(*c) != afterA)
        fail("a loaded zone does not save and load back as it was");
    return 0;
}
