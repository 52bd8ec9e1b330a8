#pragma once
// Base of everything that lives in a zone besides its tiles.

#include <SFML/System/Vector2.hpp>
#include <iosfwd>
#include <string>
#include <vector>

namespace sf { class RenderTarget; }
class EntityManager;
class Zone;

class Entity {
public:
    enum {
        TYPE_UNIT = 0,
        TYPE_PLAYER = 1,
        TYPE_MALE_PEDESTRIAN = 2,
        TYPE_CLERK = 3,
        TYPE_ROBBER = 4,
        TYPE_UNIT_END = 5,
        TYPE_COMBAT = 7,
        TYPE_DUST = 8,
        TYPE_DOODAD = 10,
        TYPE_TRASHCAN = 11,
        TYPE_TRIGGER = 13,
        TYPE_TEST_ENTITY = 14
    };
    static constexpr int NO_PARENT = 0xFFFFFF;

    sf::Vector2f position;
    sf::Vector2f velocity;
    float radius;
    bool dead;
    sf::Vector2f facing;
    EntityManager* manager;
    int id;
    bool tileCollision;
    bool interactable;
    int type;
    int parentID;
    std::vector<int> children;

    Entity(int typeIn, EntityManager* managerIn);
    virtual ~Entity();
    Entity(const Entity&) = delete;
    Entity& operator=(const Entity&) = delete;

    virtual void update(Zone& zone) = 0;
    virtual void onCollide(Entity& other, const sf::Vector2f& push) = 0;
    virtual void draw(sf::RenderTarget& target) = 0;
    virtual void save(std::ostream& out) const;
    virtual void load(std::istream& in);

    int getID() const;
    int getType() const;
    static std::string getTypeName(int typeValue);
    static bool isUnitType(int typeValue);

    Entity* getParent() const;
    void setParent(Entity* parent);

    bool containsPoint(const sf::Vector2f& point) const;
    sf::Vector2f pushOut(const Entity& other) const;
    void collideTiles(Zone& zone);
    void drawDebug(sf::RenderTarget& target, bool highlighted);
};
