#pragma once
// The passer-by: wanders from one random walkable tile to the next, spins when bumped.

#include "render/animation.h"
#include "characters/unit.h"

class Tile;

class MalePedestrian final : public Unit {
public:
    static constexpr float WALK_SPEED = 0.5f;
    static constexpr float HIT_REACH = 24.0f;
    static const int STUCK_LIMIT = 120;
    // A zone without walkable ground must not hang the game: give up and draw again later.
    static const int MAX_DESTINATION_DRAWS = 100;

    Animation spin;
    Animation throwAnimation;
    Animation walking;
    const Tile* lastTile = nullptr; // compared only, never followed
    int stuckTicks = 0;
    int spinTimer = 0;

    explicit MalePedestrian(EntityManager* owner);

    void update(Zone& zone) override;
    void onCollide(Entity& other, const sf::Vector2f& push) override;
    void animate() override;
    float walkSpeed() const override { return WALK_SPEED; }

    void startSpin();

private:
    void chooseDestination(Zone& zone);
};
