#include "characters/malepedestrian.h"

#include "world/entitymanager.h"
#include "core/globals.h"
#include "characters/particle.h"
#include "world/resourcemanager.h"
#include "world/tile.h"
#include "world/zone.h"

#include <string>

namespace {
const KindMaker MAKER(Entity::TYPE_MALE_PEDESTRIAN, [](EntityManager* manager) -> std::unique_ptr<Entity> { return std::make_unique<MalePedestrian>(manager); });
} // namespace

namespace {
std::string sheet(const std::string& name) { return kinds::sheet(Entity::TYPE_MALE_PEDESTRIAN, name); }

Animation sheetPair(const char* name, int frames, float originX, float originY)
{
    return Animation(ResourceManager::getTexture(sheet(std::string(name) + "_upright")),
                     ResourceManager::getTexture(sheet(std::string(name) + "_downright")), frames, 4, 6,
                     sf::Vector2f(originX, originY), false);
}
} // namespace

MalePedestrian::MalePedestrian(EntityManager* owner)
    : Unit(TYPE_MALE_PEDESTRIAN, owner, 2),
      spin(sheetPair("spin", 12, 150, 180)),
      throwAnimation(sheetPair("throw", 8, 128, 160)),
      walking(sheetPair("walking", 8, 154, 177))
{
    radius = 15.0f;
    hitPoints = 20;
}

void MalePedestrian::startSpin()
{
    if (spinTimer > 0)
        return;
    spin.restart();
    spinTimer = spin.runLength();
}

void MalePedestrian::chooseDestination(Zone& zone)
{
    for (int tries = 0; tries < MAX_DESTINATION_DRAWS; ++tries) {
        const int row = static_cast<int>(randomUnit() * static_cast<float>(zone.getHeight()));
        const int column = static_cast<int>(randomUnit() * static_cast<float>(zone.getWidth()));
        const Tile* tile = zone.getTile(column, row);
        if (tile != nullptr && tile->walkable) {
            findPath(zone, row, column);
            return;
        }
    }
    // Nothing walkable found this time; an empty path makes the next update draw again.
    clearPath();
}

void MalePedestrian::update(Zone& zone)
{
    const Tile* here = zone.tileAt(position);
    if (here == lastTile) {
        stuckTicks += 1;
    } else {
        lastTile = here;
        stuckTicks = 1;
    }
    if (spinTimer > 0) {
        spinTimer -= 1;
    } else {
        if (path.empty() || stuckTicks > STUCK_LIMIT) {
            stuckTicks = 0;
            chooseDestination(zone);
        }
        steer(walkSpeed());
    }
    Unit::update(zone);
}

void MalePedestrian::onCollide(Entity& other, const sf::Vector2f& push)
{
    if (other.getType() == TYPE_PLAYER) {
        startSpin();
        const sf::Vector2f toPlayer = other.position - position;
        if (toPlayer != ZERO_VECTOR)
            facing = normalize(toPlayer);
    }
    Unit::onCollide(other, push);
}

void MalePedestrian::animate()
{
    if (spinTimer <= 0 && isMoving()) {
        showAnimation(walking, true);
    } else if (spinTimer > 0) {
        showAnimation(spin, true);
        if (spin.currentFrame == 8 && spin.timer == 0 && !manager->holdBlows) {
            // Attached, so the blow moves with the pedestrian.
            Combat* hit = manager->add(std::make_unique<Combat>(manager, Combat::COMBAT_POWER_HIT, team));
            hit->position = facing * HIT_REACH;
            hit->facing = rotate(facing, facesLeft() ? 60.0f : -60.0f);
            hit->setParent(this);
        }
    } else {
        // Standing pose: frame 2 of the walk, held still.
        walking.currentFrame = 2;
        showAnimation(walking, false);
    }
}
