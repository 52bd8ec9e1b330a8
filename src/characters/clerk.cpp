#include "characters/clerk.h"

#include "world/entitymanager.h"
#include "world/resourcemanager.h"

namespace {
const KindMaker MAKER(Entity::TYPE_CLERK, [](EntityManager* manager) -> std::unique_ptr<Entity> { return std::make_unique<Clerk>(manager); });
} // namespace

Clerk::Clerk(EntityManager* owner)
    : Unit(TYPE_CLERK, owner, 0),
      walk(ResourceManager::getTexture(kinds::sheet(TYPE_CLERK, "walk_upright")),
           ResourceManager::getTexture(kinds::sheet(TYPE_CLERK, "walk_downright")), 8, 4, 6,
           sf::Vector2f(130.0f, 200.0f), false)
{
    radius = 15.0f;
}

void Clerk::update(Zone& zone)
{
    steer(walkSpeed());
    Unit::update(zone);
}

void Clerk::animate()
{
    if (isMoving()) {
        showAnimation(walk, true);
        return;
    }
    walk.currentFrame = 2;
    showAnimation(walk, false);
}
