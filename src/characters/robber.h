#pragma once
// The hostile fighter: hunts the player along a path and punches or spins on contact.

#include "render/animation.h"
#include "characters/unit.h"

class Robber final : public Unit {
public:
    static constexpr float CHASE_SPEED = 1.0f;
    static constexpr float HIT_REACH = 24.0f;
    static constexpr float PUNCH_ODDS = 0.7f;

    Animation idle;
    Animation walk;
    Animation punch;
    Animation spin;
    Animation hurt;
    Animation death;
    int punchTimer = 0;
    int spinTimer = 0;
    int hurtTimer = 0;

    explicit Robber(EntityManager* owner);

    void update(Zone& zone) override;
    void onCollide(Entity& other, const sf::Vector2f& push) override;
    void animate() override;
    int damage(int amount) override;
    float walkSpeed() const override { return CHASE_SPEED; }

    bool isBusy() const;
    void startPunch();
    void startSpin();

private:
    void chase(Zone& zone);
    void makeHits(const Animation& shown);
};
