#include "characters/particle.h"

#include "characters/unit.h"
#include "core/globals.h"
#include "render/framelist.h"
#include "world/resourcemanager.h"

#include <SFML/Graphics/CircleShape.hpp>

namespace {
const char* HIT_SOUND = "resources/sfx/hit.wav";
const char* POWER_HIT_SOUND = "resources/sfx/power_hit.wav";
} // namespace

Particle::Particle(int typeValue, EntityManager* owner) : Entity(typeValue, owner) {}

void Particle::update(Zone&)
{
    lifetime -= 1;
    if (lifetime < 1)
        dead = true;
}

Combat::Combat(EntityManager* owner, int kindValue, int ownerTeamValue)
    : Particle(TYPE_COMBAT, owner), kind(kindValue), ownerTeam(ownerTeamValue)
{
    switch (kind) {
    case COMBAT_MARKER:
        lifetime = 60;
        radius = 10.0f;
        break;
    case COMBAT_HIT:
        lifetime = 16;
        radius = 16.0f;
        damage = 5;
        break;
    case COMBAT_POWER_HIT:
        lifetime = 16;
        radius = 16.0f;
        damage = 10;
        break;
    default:
        break;
    }
}

const char* Combat::soundFor(int kindValue)
{
    return kindValue == COMBAT_POWER_HIT ? POWER_HIT_SOUND : HIT_SOUND;
}

void Combat::onCollide(Entity& other, const sf::Vector2f&)
{
    if (kind != COMBAT_HIT && kind != COMBAT_POWER_HIT)
        return;
    if (!isUnitType(other.getType()))
        return;
    Unit* victim = dynamic_cast<Unit*>(&other);
    if (victim == nullptr || victim->team == ownerTeam)
        return;
    ResourceManager::playSound(soundFor(kind));
    victim->damage(damage);
    victim->velocity += facing * KNOCKBACK;
    // Not checked on entry: every enemy overlapped in this same pass is hit too.
    dead = true;
}

void Combat::submit(FrameList&) const {}

Dust::Dust(EntityManager* owner, int kindValue, const sf::Vector2f& at)
    : Particle(TYPE_DUST, owner), kind(kindValue)
{
    radius = 16.0f;
    position = at;
    if (kind == 0) {
        lifetime = 60;
        const float y = randomUnit() - 0.5f;
        const float x = randomUnit() - 0.5f;
        const sf::Vector2f drift(x, y);
        velocity = drift == ZERO_VECTOR ? sf::Vector2f(1.0f, 0.0f) : normalize(drift);
    }
}

void Dust::update(Zone& zone)
{
    position += velocity;
    Particle::update(zone);
}

void Dust::onCollide(Entity&, const sf::Vector2f&) {}

void Dust::submit(FrameList& frame) const
{
    const float r = worldToScreen(sf::Vector2f(radius, 0.0f)).x;
    sf::CircleShape disc(r, 30);
    disc.setOrigin(r, 2.0f * r);
    disc.setFillColor(sf::Color(25, 25, 25, 50));
    sf::Vector2f at = position;
    if (const Entity* parent = getParent())
        at += parent->position;
    disc.setPosition(worldToScreen(at));
    frame.draw(disc);
}
