#include "world/entitymanager.h"

#include "core/binaryio.h"
#include "characters/clerk.h"
#include "characters/doodad.h"
#include "world/entity.h"
#include "core/globals.h"
#include "characters/malepedestrian.h"
#include "core/nulltarget.h"
#include "characters/player.h"
#include "world/resourcemanager.h"
#include "core/spritetrim.h"
#include "characters/robber.h"
#include "play/trigger.h"
#include "world/visibletiles.h"
#include "world/zone.h"

#include <SFML/Graphics/RenderTarget.hpp>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <ostream>
#include <set>
#include <sstream>
#include <utility>

namespace {

const char* SOURCE = "src/entitymanager";
const char* MSG_ENTITY_COUNT = "%d entities to load\n";
const char* MSG_REFUSED = "Entities not loaded: %s\n";

// Smallest sizes of the records, for checking counts against the bytes left.
const std::size_t ENTITY_COMMON = 20;
const std::size_t EVENT_MIN = 20;
const std::size_t LINE_MIN = 12;
// Loaded geometry must stay in a range the simulation can handle.
const float MAX_COORDINATE = 1.0e6f;
const float MAX_RADIUS = 4096.0f;

struct EntityRecord {
    int type;
    std::size_t offset; // of the type value
    std::size_t length; // whole record
};


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

bool nearerBack(const std::pair<float, Entity*>& a, const std::pair<float, Entity*>& b)
{
    return a.first > b.first;
}

// How far from its anchor any sprite can reach: a frame never exceeds its sheet, and
// every sheet keeps its origin inside the frame.
float spriteReach()
{
    unsigned largest = 0;
    for (const auto& entry : ResourceManager::textures)
        if (entry.second != nullptr)
            largest = std::max({largest, entry.second->getSize().x, entry.second->getSize().y});
    for (const DoodadTexture& prop : ResourceManager::doodadTextures)
        largest = std::max({largest, prop.texture.getSize().x, prop.texture.getSize().y});
    return static_cast<float>(largest);
}

bool nearView(const sf::FloatRect& box, const sf::Vector2f& screen, float reach)
{
    if (!std::isfinite(screen.x) || !std::isfinite(screen.y) || !std::isfinite(reach))
        return true;
    return screen.x >= box.left - reach && screen.x <= box.left + box.width + reach && screen.y >= box.top - reach
        && screen.y <= box.top + box.height + reach;
}

// Debug circles are 2.8 radii wide and the id label sits beside the anchor.
bool mayShow(const Entity& e, const sf::FloatRect& box, float reach)
{
    const float own = reach + 4.0f * std::fabs(e.radius) + 128.0f;
    if (nearView(box, worldToScreen(e.position), own))
        return true;
    const Entity* parent = e.getParent();
    return parent != nullptr && nearView(box, worldToScreen(e.position + parent->position), own);
}

bool isFactoryType(int type)
{
    switch (type) {
    case Entity::TYPE_PLAYER:
    case Entity::TYPE_MALE_PEDESTRIAN:
    case Entity::TYPE_CLERK:
    case Entity::TYPE_ROBBER:
    case Entity::TYPE_DOODAD:
    case Entity::TYPE_TRIGGER:
        return true;
    default:
        return false;
    }
}

bool checkTrigger(ByteChecker& c)
{
    bool fireOnEnter = false;
    int32_t uses = 0, team = 0, eventCount = 0;
    if (!c.bool8(fireOnEnter, "a trigger") || !c.int32(uses, "a trigger") || !c.int32(team, "a trigger") || !c.int32(eventCount, "a trigger"))
        return false;
    if (!c.fits(eventCount, EVENT_MIN))
        return c.fail("trigger event count " + std::to_string(eventCount) + " is more than the file holds");
    for (int32_t e = 0; e < eventCount; ++e) {
        int32_t eventType = 0, lineCount = 0;
        if (!c.int32(eventType, "an event") || !c.int32(lineCount, "an event"))
            return false;
        if (eventType != 0 && eventType != 1)
            return c.fail("unknown event type " + std::to_string(eventType));
        if (!c.fits(lineCount, LINE_MIN))
            return c.fail("dialog line count " + std::to_string(lineCount) + " is more than the file holds");
        for (int32_t l = 0; l < lineCount; ++l) {
            std::string text;
            int32_t portraitId = 0, portraitPos = 0;
            if (!c.string(text, "a dialog line") || !c.int32(portraitId, "a dialog line")
                || !c.int32(portraitPos, "a dialog line"))
                return false;
        }
        int32_t entityId = 0, destY = 0, destX = 0;
        if (!c.int32(entityId, "an event") || !c.int32(destY, "an event") || !c.int32(destX, "an event"))
            return false;
    }
    return true;
}

bool checkEntity(ByteChecker& c, std::vector<EntityRecord>& records, std::set<int>& ids, int& players)
{
    EntityRecord record{0, c.offset(), 0};
    int32_t type = 0, storedID = 0;
    float x = 0, y = 0, r = 0;
    if (!c.int32(type, "an entity"))
        return false;
    if (!isFactoryType(type))
        return c.fail("unknown entity type " + std::to_string(type));
    if (!c.int32(storedID, "an entity") || !c.float32(x, "an entity") || !c.float32(y, "an entity")
        || !c.float32(r, "an entity"))
        return false;
    if (storedID < 0 || storedID >= EntityManager::MAX_ENTITIES)
        return c.fail("entity id " + std::to_string(storedID) + " is out of range");
    if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > MAX_COORDINATE || std::fabs(y) > MAX_COORDINATE
        || !std::isfinite(r) || r < 0 || r > MAX_RADIUS)
        return c.fail("entity " + std::to_string(storedID) + " has an impossible position or radius");
    // The player always ends up with id 0, whatever was stored.
    const int finalID = type == Entity::TYPE_PLAYER ? 0 : storedID;
    if (type == Entity::TYPE_PLAYER && ++players > 1)
        return c.fail("more than one player");
    if (!ids.insert(finalID).second)
        return c.fail("entity id " + std::to_string(finalID) + " is used twice");

    if (type == Entity::TYPE_DOODAD) {
        int32_t imageIndex = 0;
        if (!c.int32(imageIndex, "a prop"))
            return false;
        if (imageIndex < 0 || static_cast<std::size_t>(imageIndex) >= ResourceManager::doodadTextures.size())
            return c.fail("prop number " + std::to_string(imageIndex) + " is not loaded");
    } else if (type == Entity::TYPE_TRIGGER && !checkTrigger(c)) {
        return false;
    }
    record.type = type;
    record.length = c.offset() - record.offset;
    records.push_back(record);
    return true;
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
    ++registryVersion;
}

void EntityManager::remove(int id, bool destroy)
{
    auto it = entities.find(id);
    MORVANE_ASSERT(it != entities.end(), SOURCE);
    Entity* e = it->second;
    // Unregister first so the destructor sees the registry without it.
    entities.erase(it);
    ++registryVersion;
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
    step(zone, frozen, true);
}

void EntityManager::updateAllPairs(Zone& zone, bool frozen)
{
    step(zone, frozen, false);
}

void EntityManager::step(Zone& zone, bool frozen, bool useGrid)
{
    std::vector<std::pair<int, Entity*>> deadOnes;
    gridValid = false;
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
            if (useGrid)
                collideNearby(zone, e, currentID);
            else
                collideFrom(e, entities.begin());
            move(*e, zone);
            if (gridValid && gridVersion == registryVersion && contactGrid.size() == entities.size()) {
                const int slot = contactGrid.slotOf(currentID);
                if (slot >= 0 && contactGrid.at(slot) == e)
                    contactGrid.moved(slot);
            }
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
        ++registryVersion;
        delete entry.second;
    }
}

void EntityManager::move(Entity& e, Zone& zone)
{
    e.velocity *= DAMPING;
    e.position += e.velocity;
    e.collideTiles(zone);
}

void EntityManager::collideFrom(Entity* e, std::map<int, Entity*>::iterator from)
{
    for (auto o = from; o != entities.end();) {
        const int otherID = o->first;
        Entity* other = o->second;
        if (other != e) {
            const sf::Vector2f push = e->pushOut(*other);
            if (push != ZERO_VECTOR)
                e->onCollide(*other, push);
        }
        o = entities.upper_bound(otherID);
    }
}

void EntityManager::collideNearby(Zone& zone, Entity* e, int id)
{
    if (!gridValid || gridVersion != registryVersion || contactGrid.size() != entities.size()) {
        contactGrid.build(entities, zone.getWidth(), zone.getHeight());
        gridVersion = registryVersion;
        gridValid = true;
    }
    int slot = contactGrid.slotOf(id);
    if (slot < 0 || contactGrid.at(slot) != e) {
        contactGrid.build(entities, zone.getWidth(), zone.getHeight());
        slot = contactGrid.slotOf(id);
    }
    // Its own update may have moved it.
    contactGrid.moved(slot);

    const Entity* parent = e->getParent();
    const sf::Vector2f at = parent != nullptr ? e->position + parent->position : e->position;
    const float reach = e->radius;
    if (!contactGrid.gather(at, reach, nearby)) {
        collideFrom(e, entities.begin());
        gridValid = false;
        return;
    }
    for (int s : nearby) {
        Entity* other = contactGrid.at(s);
        if (other == e)
            continue;
        const sf::Vector2f push = e->pushOut(*other);
        if (push == ZERO_VECTOR)
            continue;
        const sf::Vector2f otherAt = other->position;
        const float otherReach = other->radius;
        const int otherID = other->getID();
        e->onCollide(*other, push);
        if (otherAt != other->position || otherReach != other->radius)
            gridValid = false;
        const Entity* parentNow = e->getParent();
        const sf::Vector2f atNow = parentNow != nullptr ? e->position + parentNow->position : e->position;
        // A handler that reshaped the registry or moved this entity: finish the plain way.
        if (registryVersion != gridVersion || entities.size() != contactGrid.size() || atNow != at || reach != e->radius) {
            gridValid = false;
            collideFrom(e, entities.upper_bound(otherID));
            return;
        }
    }
}

void EntityManager::draw(sf::RenderTarget& target, bool debug)
{
    const sf::FloatRect box = VisibleTiles::viewBox(target);
    const float reach = spriteReach();
    NullTarget offView(target.getSize());
    // Same heap, same pushes and pops as drawAll, so equal depths come out in the same order.
    for (const auto& entry : entities) {
        depthQueue.emplace_back(depthOf(entry.second), entry.second);
        std::push_heap(depthQueue.begin(), depthQueue.end(), nearerBack);
    }
    while (!depthQueue.empty()) {
        Entity* e = depthQueue.front().second;
        sf::RenderTarget& into = mayShow(*e, box, reach) ? target : offView;
        if (debug)
            e->drawDebug(into, false);
        e->draw(into);
        std::pop_heap(depthQueue.begin(), depthQueue.end(), nearerBack);
        depthQueue.pop_back();
    }
}

void EntityManager::drawAll(sf::RenderTarget& target, bool debug)
{
    // The plain picture: every sprite whole.
    const bool trimming = SpriteTrim::trimming;
    SpriteTrim::trimming = false;
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
    SpriteTrim::trimming = trimming;
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
    ++registryVersion;
    for (auto& entry : dropped)
        delete entry.second;
}

bool EntityManager::makeEntities(ByteChecker& c, std::vector<Entity*>& made)
{
    int32_t count = 0;
    if (!c.int32(count, "the entity count"))
        return false;
    if (!c.fits(count, ENTITY_COMMON))
        return c.fail("entity count " + std::to_string(count) + " is more than the file holds");
    // Every record is checked before any entity is made.
    std::vector<EntityRecord> records;
    std::set<int> ids;
    int players = 0;
    for (int32_t i = 0; i < count; ++i)
        if (!checkEntity(c, records, ids, players))
            return false;

    for (const EntityRecord& record : records) {
        Entity* e = createEntity(record.type, this);
        if (!e) {
            c.fail("entity type " + std::to_string(record.type) + " cannot be made");
            break;
        }
        made.push_back(e);
        // The type value is consumed here, as the classes expect.
        std::istringstream in(c.bytes.substr(record.offset + 4, record.length - 4));
        e->load(in);
    }
    if (c.why.empty())
        return true;
    for (Entity* e : made)
        delete e;
    made.clear();
    return false;
}

Player* EntityManager::load(std::istream& in)
{
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ByteChecker checker(bytes);
    std::vector<Entity*> made;
    if (makeEntities(checker, made)) {
        for (Entity* e : made)
            if (get(e->getID()))
                checker.fail("entity id " + std::to_string(e->getID()) + " is already registered");
        if (!checker.why.empty()) {
            for (Entity* e : made)
                delete e;
            made.clear();
        }
    }
    if (!checker.why.empty()) {
        std::printf(MSG_REFUSED, checker.why.c_str());
        return nullptr;
    }
    return registerMade(made);
}

Player* EntityManager::registerMade(const std::vector<Entity*>& made)
{
    std::printf(MSG_ENTITY_COUNT, static_cast<int>(made.size()));
    Entity* player = nullptr;
    for (Entity* e : made) {
        add(e);
        if (e->getType() == Entity::TYPE_PLAYER)
            player = e;
    }
    return asPlayer(player);
}
