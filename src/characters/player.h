#pragma once
// The brawler the user steers: walks, punches, spin-kicks, gets hurt and falls.

#include "render/animation.h"
#include "characters/unit.h"

class Player final : public Unit {
public:
    static constexpr float WALK_SPEED = 3.0f;
    static constexpr float HIT_REACH = 24.0f;
    static constexpr float MARKER_REACH = 16.0f;

    Entity* grabCandidate = nullptr;
    Entity* grabbed = nullptr;
    int actionTimer = 0;
    bool attacking = false;
    bool defeated = false;
    // The player's own choice: every blow takes half its hit points, a half point carried
    // to the next blow so that two blows of 5 take 5 between them.
    bool assisted = false;
    int halfPointOwed = 0;
    Animation* currentAnimation;

    Animation idle;
    Animation punchAnimation;
    Animation spinKickAnimation;
    Animation walk;
    Animation throwAnimation;
    Animation hurt;
    Animation death;

    explicit Player(EntityManager* owner);

    void update(Zone& zone) override;
    void onCollide(Entity& other, const sf::Vector2f& push) override;
    void animate() override;
    void load(const zonefile::EntityRecord& record) override;
    int damage(int amount) override;
    float walkSpeed() const override;

    // Driven by the play state's input step; the caller sets facing before a punch.
    void punch();
    void spinKick();
    // Kept for later: no control calls these yet.
    void throwGrabbed();
    void markAndDust();
    // Taking a blow: the hurt shown, the knock-back's slide (over within it) still going.
    bool reeling() const { return currentAnimation == &hurt && actionTimer > 0; }

private:
    void startAction(Animation& animation);
    void makePunchHits();
};
