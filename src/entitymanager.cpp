#include "entitymanager.h"

#include "binaryio.h"
#include "clerk.h"
#include "doodad.h"
#include "entity.h"
#include "globals.h"
#include "malepedestrian.h"
#include "player.h"
#include "robber.h"
#include "trigger.h"
#include "zone.h"

#include <algorithm>
#include <ostream>
#include <utility>

namespace {

const char* SOURCE = "src/entitymanager";

// Depth of the absolute position: the parent's offset counts, one level only.
float depthOf(const Entity* e)
{
    sf::Vector2f p = e->position;
    if (const Entity* parent = e->getParent())
        p += parent->position;
    return p.x + p.y;
}

// Heap order with the smallest depth on top.
bool fartherFront(const Entity* a, const Entity* b)
{
    return depthOf(a) > depthOf(b);
}

} // namespace

Entity* createEntity(int type, EntityManager* manager)
{
    switch (type) {
    case Entity::TYPE_PLAYER: return new Player(manager);
    case Entity::TYPE_MALE_PEDESTRIAN: return new MalePedestrian(manager);
    case Entity::TYPE_CLERK: return new Clerk(manager);
    case Entity::TYPE_ROBBER: return new Robber(manager);
    case Entity::TYPE_DOODAD: return new Doodad(manager, 0);
    case Entity::TYPE_TRIGGER: return new Trigger(manager, 1.0f, 1, true, 1);
    default: return nullptr;
    }
}

Player* asPlayer(Entity* e)
{
    return e != nullptr && e->getType() == Entity::TYPE_PLAYER ? static_cast<Player*>(e) : nullptr;
}

EntityManager::EntityManager(ScriptHandler* scriptHandlerIn)
    : scriptHandler(scriptHandlerIn), nextID(1)
{
}

EntityManager::~EntityManager()
{
    clear();
}

int EntityManager::allocateID()
{
    if (entities.size() >= static_cast<std::size_t>(MAX_ENTITIES))
        return -1;
    while (entities.find(nextID) != entities.end())
        ++nextID;
    return nextID;
}

void EntityManager::add(Entity* e)
{
    MORVANE_ASSERT(entities.size() < MAX_ENTITIES, SOURCE);
    MORVANE_ASSERT(entities.find(e->getID()) == entities.end(), SOURCE);
    entities[e->getID()] = e;
}

void EntityManager::remove(int id, bool destroy)
{
    auto it = entities.find(id);
    MORVANE_ASSERT(it != entities.end(), SOURCE);
    Entity* e = it->second;
    // Unregister first so the destructor sees the registry without it.
    entities.erase(it);
    if (destroy)
        delete e;
}

Entity* EntityManager::get(int id) const
{
    auto it = entities.find(id);
    return it == entities.end() ? nullptr : it->second;
}

int EntityManager::countType(int typeValue) const
{
    int count = 0;
    for (const auto& entry : entities)
        if (entry.second->getType() == typeValue)
            ++count;
    return count;
}

Entity* EntityManager::entityAt(const sf::Vector2f& point) const
{
    for (const auto& entry : entities)
        if (entry.second->containsPoint(point))
            return entry.second;
    return nullptr;
}

void EntityManager::update(Zone& zone, bool frozen)
{
    std::vector<std::pair<int, Entity*>> deadOnes;
    // Stepping by key rather than by iterator lets handlers add or drop entities mid-pass.
    for (auto it = entities.begin(); it != entities.end();) {
        const int currentID = it->first;
        Entity* e = it->second;
        if (!frozen) {
            e->update(zone);
            if (get(currentID) != e) {
                it = entities.upper_bound(currentID);
                continue;
            }
            for (auto o = entities.begin(); o != entities.end();) {
                const int otherID = o->first;
                Entity* other = o->second;
                if (other != e) {
                    const sf::Vector2f push = e->pushOut(*other);
                    if (push != ZERO_VECTOR)
                        e->onCollide(*other, push);
                }
                o = entities.upper_bound(otherID);
            }
            e->velocity *= DAMPING;
            e->position += e->velocity;
            e->collideTiles(zone);
        }
        if (e->dead)
            deadOnes.emplace_back(currentID, e);
        it = entities.upper_bound(currentID);
    }
    for (const auto& entry : deadOnes) {
        auto found = entities.find(entry.first);
        if (found == entities.end() || found->second != entry.second)
            continue;
        entities.erase(found);
        delete entry.second;
    }
}

void EntityManager::draw(sf::RenderTarget& target, bool debug)
{
    for (const auto& entry : entities) {
        drawQueue.push_back(entry.second);
        std::push_heap(drawQueue.begin(), drawQueue.end(), fartherFront);
    }
    while (!drawQueue.empty()) {
        Entity* e = drawQueue.front();
        if (debug)
            e->drawDebug(target, false);
        e->draw(target);
        std::pop_heap(drawQueue.begin(), drawQueue.end(), fartherFront);
        drawQueue.pop_back();
    }
}

void EntityManager::save(std::ostream& out) const
{
    writeInt32(out, static_cast<int32_t>(entities.size()));
    for (const auto& entry : entities)
        entry.second->save(out);
}

void EntityManager::clear()
{
    // Take the map out first: destructors then see an empty registry.
    std::map<int, Entity*> dropped;
    dropped.swap(entities);
    for (auto& entry : dropped)
        delete entry.second;
}
