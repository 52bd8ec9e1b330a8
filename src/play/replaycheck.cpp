#include "play/replaycheck.h"

#include "characters/clerk.h"
#include "characters/malepedestrian.h"
#include "characters/particle.h"
#include "characters/player.h"
#include "characters/robber.h"
#include "render/animation.h"
#include "core/digest.h"
#include "core/globals.h"
#include "core/safefile.h"
#include "play/stategame.h"
#include "play/trigger.h"
#include "world/levelfolder.h"
#include "world/zone.h"
#include "world/zonefile.h"

#include <initializer_list>

namespace replaycheck {
namespace {

void add(Digest& digest, const sf::Vector2f& v) { digest.real(v.x).real(v.y); }

// Drawing moves these on: a frame skipped or drawn twice shows here first.
void add(Digest& digest, std::initializer_list<const Animation*> animations)
{
    for (const Animation* animation : animations)
        digest.integer(animation->currentFrame).integer(animation->timer).integer(animation->forward);
}

void addKind(Digest& digest, const Entity& entity)
{
    if (const auto* player = dynamic_cast<const Player*>(&entity)) {
        digest.integer(player->actionTimer).integer(player->attacking).integer(player->defeated);
        digest.integer(player->assisted).integer(player->halfPointOwed);
        const Animation* const animations[] = {&player->idle, &player->punchAnimation, &player->spinKickAnimation,
                                               &player->walk, &player->throwAnimation, &player->hurt, &player->death};
        for (const Animation* animation : animations) {
            add(digest, {animation});
            digest.integer(animation == player->currentAnimation);
        }
    } else if (const auto* robber = dynamic_cast<const Robber*>(&entity)) {
        digest.integer(robber->punchTimer).integer(robber->spinTimer).integer(robber->hurtTimer);
        add(digest, {&robber->idle, &robber->walk, &robber->punch, &robber->spin, &robber->hurt, &robber->death});
    } else if (const auto* walker = dynamic_cast<const MalePedestrian*>(&entity)) {
        digest.integer(walker->stuckTicks).integer(walker->spinTimer);
        add(digest, {&walker->spin, &walker->throwAnimation, &walker->walking});
    } else if (const auto* clerk = dynamic_cast<const Clerk*>(&entity)) {
        add(digest, {&clerk->walk});
    } else if (const auto* particle = dynamic_cast<const Particle*>(&entity)) {
        digest.integer(particle->lifetime);
    } else if (const auto* trigger = dynamic_cast<const Trigger*>(&entity)) {
        digest.integer(trigger->uses).integer(static_cast<long long>(trigger->inside.size()));
        for (int inside : trigger->inside)
            digest.integer(inside);
    }
}

void addEntity(Digest& digest, const Entity& entity)
{
    digest.integer(entity.getID()).integer(entity.getType()).integer(entity.dead).integer(entity.parentID);
    add(digest, entity.position);
    add(digest, entity.velocity);
    add(digest, entity.facing);
    digest.real(entity.radius);
    if (const auto* unit = dynamic_cast<const Unit*>(&entity)) {
        digest.integer(unit->hitPoints).integer(static_cast<long long>(unit->path.size()));
        add(digest, unit->moveDirection);
    }
    addKind(digest, entity);
}

} // namespace

std::uint64_t world(const StateGame& game)
{
    Digest digest;
    digest.integer(static_cast<long long>(randomDraws()));
    digest.integer(game.getFadeOutTimer()).integer(game.getFadeInTimer()).integer(game.isEnding());
    digest.integer(game.isKnockedOut()).integer(game.isPaused());
    const ScriptHandler& script = game.getScriptHandler();
    digest.integer(script.isRunning()).integer(script.isBoxVisible()).integer(script.isWalking());
    digest.integer(script.getLineIndex()).integer(script.getCharsShown()).real(script.getOpenness());
    digest.integer(static_cast<long long>(script.getQueue().size()));
    const Zone* zone = game.getZone();
    if (zone == nullptr)
        return digest.value();
    digest.integer(zone->id).integer(static_cast<long long>(zone->entities.size()));
    for (const auto& entry : zone->entities)
        addEntity(digest, *entry.second);
    return digest.value();
}

std::string zonePath(int id) { return LevelFolder::readPath(id); }

replayfile::ZoneRead zoneFile(int id)
{
    replayfile::ZoneRead read;
    read.id = id;
    std::string bytes;
    std::string why;
    // Through the pack played, which may be a .zip.
    read.found = LevelFolder::read(id, bytes, why) == safefile::Found::FILE;
    read.hash = read.found ? Digest::of(bytes) : 0;
    return read;
}

} // namespace replaycheck
