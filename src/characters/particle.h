#pragma once
// Short-lived effects: invisible hit areas and drifting dust puffs.

#include "world/entity.h"

class Particle : public Entity {
public:
    int lifetime = 600;

    Particle(int typeValue, EntityManager* owner);
    void update(Zone& zone) override;
};

class Combat final : public Particle {
public:
    enum { COMBAT_MARKER = 0, COMBAT_HIT = 1, COMBAT_POWER_HIT = 2 };
    static constexpr float KNOCKBACK = 10.0f;

    int damage = 0;
    int kind;
    int ownerTeam;

    Combat(EntityManager* owner, int kindValue, int ownerTeamValue);

    void onCollide(Entity& other, const sf::Vector2f& push) override;
    void submit(FrameList& frame) const override;

    static const char* soundFor(int kindValue);
};

class Dust final : public Particle {
public:
    int kind;

    Dust(EntityManager* owner, int kindValue, const sf::Vector2f& at);

    void update(Zone& zone) override;
    void onCollide(Entity& other, const sf::Vector2f& push) override;
    void submit(FrameList& frame) const override;
};
