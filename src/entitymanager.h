#pragma once
// The registry of one zone's entities: ids, the simulation step, depth-sorted drawing
// and the entity list of a zone file.

#include <SFML/System/Vector2.hpp>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace sf { class RenderTarget; }
class ByteChecker;
class Entity;
class Player;
class ScriptHandler;
class Zone;

class EntityManager {
public:
    static constexpr int MAX_ENTITIES = 16777215;
    static constexpr float DAMPING = 0.8f;

    ScriptHandler* scriptHandler;
    std::map<int, Entity*> entities;
    int nextID;

    explicit EntityManager(ScriptHandler* scriptHandlerIn);
    // Destroys every entity still registered.
    virtual ~EntityManager();
    EntityManager(const EntityManager&) = delete;
    EntityManager& operator=(const EntityManager&) = delete;

    int allocateID();
    void add(Entity* e);
    // destroy = false hands the entity over intact (moving the player between zones).
    void remove(int id, bool destroy);
    Entity* get(int id) const;
    int countType(int typeValue) const;
    Entity* entityAt(const sf::Vector2f& point) const;

    // Dead entities are dropped and destroyed at the end, frozen or not.
    void update(Zone& zone, bool frozen);
    void draw(sf::RenderTarget& target, bool debug);
    void save(std::ostream& out) const;
    // Destroys every registered entity; nextID is kept.
    void clear();

    // The entity list of a zone file (the count, then the records), all or nothing: a bad
    // record or an id already registered here adds nothing, prints why and answers null.
    Player* load(std::istream& in);
    // Checks an entity list and makes its entities for this manager without registering
    // them. On refusal nothing stays made and checker.why says what is wrong.
    bool makeEntities(ByteChecker& checker, std::vector<Entity*>& made);

private:
    std::vector<Entity*> drawQueue;
};

// The level factory: null for a type value no zone file may hold.
Entity* createEntity(int type, EntityManager* manager);
// The factory's player as a Player (null when e is not one).
Player* asPlayer(Entity* e);
