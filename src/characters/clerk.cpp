#include "characters/clerk.h"

#include "world/resourcemanager.h"

Clerk::Clerk(EntityManager* owner)
    : Unit(TYPE_CLERK, owner, 0),
      walk(ResourceManager::getTexture("resources/gfx/clerk/clerk_walk_upright.png"),
           ResourceManager::getTexture("resources/gfx/clerk/clerk_walk_downright.png"), 8, 4, 6,
           sf::Vector2f(130.0f, 200.0f), false)
{
    radius = 15.0f;
}

void Clerk::update(Zone& zone)
{
    steer(walkSpeed());
    Unit::update(zone);
}

void Clerk::draw(sf::RenderTarget& target)
{
    if (isMoving()) {
        showAnimation(walk, target, true);
        return;
    }
    walk.currentFrame = 2;
    showAnimation(walk, target, false);
}
