#include "characters/player.h"

#include "world/entitymanager.h"
#include "core/globals.h"
#include "characters/particle.h"
#include "world/resourcemanager.h"

#include <string>

namespace {
const KindMaker MAKER(Entity::TYPE_PLAYER, [](EntityManager* manager) -> std::unique_ptr<Entity> { return std::make_unique<Player>(manager); });
} // namespace

namespace {
std::string sheet(const std::string& name) { return kinds::sheet(Entity::TYPE_PLAYER, name); }

Animation sheetPair(const char* name, int frames, int delay, float originX, float originY)
{
    return Animation(ResourceManager::getTexture(sheet(std::string(name) + "_upright")),
                     ResourceManager::getTexture(sheet(std::string(name) + "_downright")), frames, 4,
                     delay, sf::Vector2f(originX, originY), false);
}

Animation deathAnimation()
{
    Animation a = sheetPair("death", 8, 6, 125, 195);
    a.loop = false;
    return a;
}
} // namespace

Player::Player(EntityManager* owner)
    : Unit(TYPE_PLAYER, owner, 1),
      currentAnimation(&idle),
      idle(sheetPair("idle", 8, 6, 125, 194)),
      punchAnimation(sheetPair("punch", 12, 4, 123, 197)),
      spinKickAnimation(sheetPair("spinkick", 12, 3, 123, 197)),
      walk(sheetPair("walk", 8, 6, 125, 200)),
      throwAnimation(sheetPair("throw", 8, 6, 125, 195)),
      hurt(sheetPair("hurt", 8, 5, 125, 195)),
      death(deathAnimation())
{
    radius = TILE_SIZE * 0.5f;
    hitPoints = 100;
    // There is only ever one player in a zone, and everyone finds it at id 0.
    id = 0;
}

float Player::walkSpeed() const { return actionTimer > 0 || defeated ? 0.0f : WALK_SPEED; }

void Player::update(Zone& zone)
{
    steer(walkSpeed());
    Unit::update(zone);
    grabCandidate = nullptr;
    // A fallen player stays in the zone; the play state stops its input instead.
    dead = false;
}

void Player::onCollide(Entity& other, const sf::Vector2f& push)
{
    if (other.interactable)
        grabCandidate = &other;
    Unit::onCollide(other, push);
}

void Player::load(const zonefile::EntityRecord& record)
{
    Unit::load(record);
    id = 0;
}

int Player::damage(int amount)
{
    if (defeated)
        return 0;
    if (assisted) {
        const int owed = amount + halfPointOwed;
        amount = owed / 2;
        halfPointOwed = owed % 2;
    }
    Unit::damage(amount);
    if (hitPoints > 0) {
        startAction(hurt);
        return amount;
    }
    defeated = true;
    death.restart();
    currentAnimation = &death;
    return amount;
}

void Player::startAction(Animation& animation)
{
    animation.restart();
    currentAnimation = &animation;
    actionTimer = animation.runLength();
}

void Player::punch()
{
    if (actionTimer != 0)
        return;
    attacking = true;
    startAction(punchAnimation);
}

void Player::spinKick()
{
    if (actionTimer != 0)
        return;
    startAction(spinKickAnimation);
}

void Player::throwGrabbed()
{
    if (actionTimer == 0)
        startAction(throwAnimation);
    if (grabCandidate != nullptr)
        grabbed = grabCandidate;
}

void Player::markAndDust()
{
    Combat* marker = manager->add(std::make_unique<Combat>(manager, Combat::COMBAT_MARKER, team));
    marker->position = facing * MARKER_REACH;
    marker->setParent(this);
    manager->add(std::make_unique<Dust>(manager, 0, position));
}

void Player::makePunchHits()
{
    // Only while the punch is what is shown: a hurt cuts it off mid-swing.
    if (currentAnimation != &punchAnimation || punchAnimation.timer != 0 || manager->holdBlows)
        return;
    const int frame = punchAnimation.currentFrame;
    if (frame != 4 && frame != 7)
        return;
    const bool mirrored = facesLeft();
    const float angle = (frame == 4) == mirrored ? 60.0f : -60.0f;
    Combat* hit = manager->add(std::make_unique<Combat>(manager, Combat::COMBAT_HIT, team));
    hit->position = position + facing * HIT_REACH;
    hit->facing = rotate(facing, angle);
}

void Player::animate()
{
    if (!defeated) {
        if (actionTimer == 0) {
            currentAnimation = isMoving() ? &walk : &idle;
            attacking = false;
        } else {
            actionTimer -= 1;
            if (attacking)
                makePunchHits();
        }
    }
    showAnimation(*currentAnimation, true);
}
