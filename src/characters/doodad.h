#pragma once
// Static scenery props, and two entity kinds nothing creates.

#include "world/entity.h"

#include <SFML/Graphics/Sprite.hpp>
#include <string>

class Doodad final : public Entity {
public:
    static const int PROP_COUNT = ::PROP_COUNT;

    int imageIndex;
    sf::Sprite sprite;

    // An unknown prop number falls back to prop 0.
    Doodad(EntityManager* owner, int prop);

    void update(Zone& zone) override;
    void onCollide(Entity& other, const sf::Vector2f& push) override;
    void animate() override;
    void submit(FrameList& frame) const override;
    void save(zonefile::EntityRecord& record) const override;
    // A prop number outside the list keeps the current image.
    void load(const zonefile::EntityRecord& record) override;

    void applyImage();
    static bool isValidProp(int prop);
    static std::string getImagePath(int prop);
};

class TrashCan : public Entity {
public:
    explicit TrashCan(EntityManager* owner);
};

class TestEntity final : public Entity {
public:
    explicit TestEntity(EntityManager* owner);

    void update(Zone& zone) override;
    void onCollide(Entity& other, const sf::Vector2f& push) override;
    void submit(FrameList& frame) const override;
};
