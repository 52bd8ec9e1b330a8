#pragma once
// The shopkeeper: stands still until a script gives it a path, then walks it slowly.

#include "render/animation.h"
#include "characters/unit.h"

class Clerk final : public Unit {
public:
    static constexpr float WALK_SPEED = 0.5f;

    Animation walk;

    explicit Clerk(EntityManager* owner);

    void update(Zone& zone) override;
    void animate() override;
    float walkSpeed() const override { return WALK_SPEED; }
};
