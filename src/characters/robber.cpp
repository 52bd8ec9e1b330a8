#include "characters/robber.h"

#include "world/entitymanager.h"
#include "core/globals.h"
#include "characters/particle.h"
#include "world/resourcemanager.h"

#include <string>

namespace {
const KindMaker MAKER(Entity::TYPE_ROBBER, [](EntityManager* manager) -> std::unique_ptr<Entity> { return std::make_unique<Robber>(manager); });
} // namespace

namespace {
std::string sheet(const char* name) { return kinds::sheet(Entity::TYPE_ROBBER, name); }

// The up sheet's name comes first: the two walk sheets are named differently.
Animation sheetPair(const char* up, const char* down, int frames, float originX, float originY,
                    bool loops = true)
{
    Animation a(ResourceManager::getTexture(sheet(up)), ResourceManager::getTexture(sheet(down)), frames, 4, 6,
                sf::Vector2f(originX, originY), false);
    a.loop = loops;
    return a;
}
} // namespace

Robber::Robber(EntityManager* owner)
    : Unit(TYPE_ROBBER, owner, 2),
      idle(sheetPair("idle_upright", "idle_downright", 8, 125, 192)),
      walk(sheetPair("walk_upright", "walking_downright", 8, 128, 186)),
      punch(sheetPair("punch_upright", "punch_downright", 12, 135, 194)),
      spin(sheetPair("spin_upright", "spin_downright", 11, 121, 193)),
      hurt(sheetPair("hurt_upright", "hurt_downright", 8, 121, 193)),
      death(sheetPair("death_upright", "death_downright", 8, 134, 198, false))
{
    radius = 15.0f;
    hitPoints = 50;
}

bool Robber::isBusy() const { return spinTimer > 0 || punchTimer > 0 || hurtTimer > 0; }

void Robber::startPunch()
{
    if (isBusy())
        return;
    punch.restart();
    punchTimer = punch.runLength();
}

void Robber::startSpin()
{
    if (isBusy())
        return;
    spin.restart();
    spinTimer = spin.runLength();
}

void Robber::chase(Zone& zone)
{
    // Without a player in the zone there is nobody to hunt: stand.
    const Entity* target = manager->get(0);
    if (target == nullptr || !isUnitType(target->getType()))
        return;
    findPathReusing(zone, tileIndex(target->position.y), tileIndex(target->position.x));
    steer(walkSpeed());
}

void Robber::update(Zone& zone)
{
    for (int* timer : {&spinTimer, &punchTimer, &hurtTimer})
        if (*timer > 0)
            *timer -= 1;
    // Replanned every tick, the player keeps moving; an unchanged search is remembered.
    if (!isBusy())
        chase(zone);
    Unit::update(zone);
    if (hitPoints <= 0) {
        const int last = death.frameCount - 1;
        // Stay until the last death frame has been up for its full delay.
        if (death.currentFrame < last || death.timer > 0)
            dead = false;
    }
}

void Robber::onCollide(Entity& other, const sf::Vector2f& push)
{
    if (other.getType() == TYPE_PLAYER) {
        const sf::Vector2f toPlayer = other.position - position;
        if (toPlayer != ZERO_VECTOR)
            facing = normalize(toPlayer);
        if (randomUnit() <= PUNCH_ODDS)
            startPunch();
        else
            startSpin();
    }
    Unit::onCollide(other, push);
}

int Robber::damage(int amount)
{
    if (hitPoints <= 0)
        return 0;
    Unit::damage(amount);
    if (hitPoints > 0) {
        hurt.restart();
        punchTimer = 0;
        spinTimer = 0;
        hurtTimer = hurt.runLength();
    } else {
        death.restart();
    }
    return amount;
}

void Robber::makeHits(const Animation& shown)
{
    if (manager->holdBlows)
        return;
    const bool mirrored = facesLeft();
    if (&shown == &punch && punch.timer == 0 &&
        (punch.currentFrame == 4 || punch.currentFrame == 7)) {
        const float angle = (punch.currentFrame == 4) == mirrored ? 60.0f : -60.0f;
        Combat* hit = manager->add(std::make_unique<Combat>(manager, Combat::COMBAT_HIT, team));
        hit->position = position + facing * HIT_REACH;
        hit->facing = rotate(facing, angle);
    } else if (&shown == &spin && spin.timer == 0 && spin.currentFrame == 8) {
        // Attached, so the blow travels with the spinning robber.
        Combat* hit = manager->add(std::make_unique<Combat>(manager, Combat::COMBAT_POWER_HIT, team));
        hit->position = facing * HIT_REACH;
        hit->facing = rotate(facing, mirrored ? 60.0f : -60.0f);
        hit->setParent(this);
    }
}

void Robber::animate()
{
    Animation* shown = &idle;
    if (isMoving() && !isBusy())
        shown = hitPoints <= 0 ? &death : &walk;
    else if (hitPoints <= 0)
        shown = &death;
    else if (spinTimer > 0)
        shown = &spin;
    else if (punchTimer > 0)
        shown = &punch;
    else if (hurtTimer > 0)
        shown = &hurt;
    showAnimation(*shown, true);
    makeHits(*shown);
}
