#pragma once
// Base of everything that lives in a zone besides its tiles.

#include "world/kinds.h"

#include <SFML/System/Vector2.hpp>
#include <string>
#include <vector>

class FrameList;
namespace zonefile { struct EntityRecord; }
class EntityManager;
class Zone;

class Entity : public KindTypes {
public:
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
    // Once a frame, back to front by depth, whether or not it shows: moves its animation on
    // and throws its blows.
    virtual void animate() {}
    // What it shows now, added to the frame; changes nothing.
    virtual void submit(FrameList& frame) const = 0;
    // The entity's record in a zone file, and back. Only kinds a file holds use them.
    virtual void save(zonefile::EntityRecord& record) const;
    virtual void load(const zonefile::EntityRecord& record);

    int getID() const;
    int getType() const;
    static std::string getTypeName(int typeValue);
    static bool isUnitType(int typeValue);

    Entity* getParent() const;
    void setParent(Entity* parent);

    bool containsPoint(const sf::Vector2f& point) const;
    sf::Vector2f pushOut(const Entity& other) const;
    void collideTiles(Zone& zone);
    // Its circle and id, for the debug overlay and the editor's selection.
    void submitDebug(FrameList& frame, bool highlighted) const;
};
