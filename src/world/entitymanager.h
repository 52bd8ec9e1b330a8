#pragma once
// The registry of one zone's entities, which owns them: ids, the simulation step,
// depth-sorted drawing and the entity list of a zone file.

#include "world/contactgrid.h"
#include "world/entity.h"
#include "world/zonefile.h"

#include <SFML/System/Vector2.hpp>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <vector>

class EventQueue;
class FrameList;
class Zone;

class EntityManager {
public:
    static constexpr int MAX_ENTITIES = zonefile::MAX_ENTITIES;
    static constexpr float DAMPING = 0.8f;
    using Registry = std::map<int, std::unique_ptr<Entity>>;

    // Where triggers send their events; none in the editor's zones.
    EventQueue* events;
    int nextID;
    // Set while the world stands still (a script, a fade) but is still drawn: drawing is
    // where blows are made, and frozen blows would all land at once when the world runs.
    bool holdBlows = false;

    explicit EntityManager(EventQueue* eventsIn);
    // Destroys every entity still registered.
    ~EntityManager();
    EntityManager(const EntityManager&) = delete;
    EntityManager& operator=(const EntityManager&) = delete;

    // The registered entities in id order, as (id, entity) pairs.
    Registry::const_iterator begin() const { return registry.begin(); }
    Registry::const_iterator end() const { return registry.end(); }
    std::size_t size() const { return registry.size(); }
    bool empty() const { return registry.empty(); }

    int allocateID();
    // Registers e, made with this manager, which owns it from now on; e for the caller to
    // go on with.
    template <class T>
    T* add(std::unique_ptr<T> e)
    {
        T* kept = e.get();
        adopt(std::move(e));
        return kept;
    }
    // Unregisters and destroys.
    void remove(int id);
    // Unregisters and hands over, intact (moving the player between zones).
    std::unique_ptr<Entity> take(int id);
    Entity* get(int id) const;
    int countType(int typeValue) const;
    Entity* entityAt(const sf::Vector2f& point) const;

    // Dead entities are dropped and destroyed at the end, frozen or not. Contacts are found
    // through a grid: an entity's update and contact handlers may move only itself.
    void update(Zone& zone, bool frozen);
    // The same step testing every ordered pair; the grid is checked against it.
    void updateAllPairs(Zone& zone, bool frozen);
    // Every entity's animate, back to front by depth (the order drawing has always run
    // them in), whether it shows or not. The order is kept for submit.
    void animate();
    // What is drawn among the entities by depth: called with an entity's depth before its
    // items, and with infinity at the end.
    using DrawUpTo = std::function<void(float depth)>;
    // Where an entity standing at feet sorts among what upTo draws; its depth when none.
    using SortDepth = std::function<float(const sf::Vector2f& feet)>;
    // The items of the entities animate put in order, each at its depth (sortDepth's, when
    // given: those it moves deeper go later), its debug marks under it. Those that cannot
    // touch the frame's view are left out, and upTo is called only before the others; with
    // every, none is left out.
    void submit(FrameList& frame, bool debug, const DrawUpTo& upTo = nullptr, bool every = false,
                const SortDepth& sortDepth = nullptr) const;
    // Every entity's record, in id order.
    void save(std::vector<zonefile::EntityRecord>& records) const;
    // The motion part of a step for one entity: damping, moving, the push out of walls.
    static void move(Entity& e, Zone& zone);
    // Destroys every registered entity; nextID is kept.
    void clear();

    // The entity list of a zone file (the count, then the records), all or nothing: a bad
    // record or an id already registered here adds nothing, prints why and answers null.
    // Answers the player's entity, or null when the records hold none.
    Entity* load(std::istream& in);
    // False with why when records hold what the game refuses or a kind nobody can make.
    bool canBuild(const std::vector<zonefile::EntityRecord>& records, std::string& why) const;
    // Makes and adds the entities of records that canBuild accepted, silently, and hands
    // back the player's entity (or null).
    Entity* build(const std::vector<zonefile::EntityRecord>& records);
    // The line a load from a file prints before building.
    static void sayEntityCount(std::size_t count);

private:
    void adopt(std::unique_ptr<Entity> e);
    void step(Zone& zone, bool frozen, bool useGrid);
    void collideFrom(Entity* e, Registry::iterator from);
    void collideNearby(Zone& zone, Entity* e, int id);

    // Entities and where their feet stand, back to front, as animate met them.
    std::vector<std::pair<sf::Vector2f, int>> drawOrder;
    Registry registry;
    // Bumped by every add and remove, so a pass knows when its grid is stale.
    unsigned long registryVersion = 0;
    unsigned long gridVersion = 0;
    bool gridValid = false;
    ContactGrid contactGrid;
    std::vector<int> nearby;
    std::vector<std::pair<float, Entity*>> depthQueue;
};

// How to make one entity of a kind. Each kind's own source registers its maker with a
// KindMaker at start-up, so the manager includes none of them.
using EntityMaker = std::unique_ptr<Entity> (*)(EntityManager* manager);
struct KindMaker {
    KindMaker(int type, EntityMaker make);
};
bool canMake(int type);
// The level factory: null for a type value no kind registered.
std::unique_ptr<Entity> createEntity(int type, EntityManager* manager);
