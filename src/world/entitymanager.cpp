#include "world/entitymanager.h"

#include "core/globals.h"
#include "render/framelist.h"
#include "render/visibletiles.h"
#include "world/entity.h"
#include "world/resourcemanager.h"
#include "world/zone.h"
#include "world/zonefile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <istream>
#include <iterator>
#include <utility>

namespace {

const char* SOURCE = "src/entitymanager";
const char* MSG_ENTITY_COUNT = "%d entities to load\n";
const char* MSG_REFUSED = "Entities not loaded: %s\n";

// The absolute position: the parent's offset counts, one level only.
sf::Vector2f feetOf(const Entity* e)
{
    sf::Vector2f p = e->position;
    if (const Entity* parent = e->getParent())
        p += parent->position;
    return p;
}

float depthOf(const Entity* e)
{
    const sf::Vector2f p = feetOf(e);
    return p.x + p.y;
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

// Makers by type value, filled before main by the kinds' own sources.
std::vector<EntityMaker>& makers()
{
    static std::vector<EntityMaker> byType;
    return byType;
}

} // namespace

KindMaker::KindMaker(int type, EntityMaker make)
{
    MORVANE_ASSERT(type >= 0, SOURCE);
    std::vector<EntityMaker>& byType = makers();
    if (static_cast<std::size_t>(type) >= byType.size())
        byType.resize(static_cast<std::size_t>(type) + 1, nullptr);
    byType[static_cast<std::size_t>(type)] = make;
}

bool canMake(int type)
{
    const std::vector<EntityMaker>& byType = makers();
    return type >= 0 && static_cast<std::size_t>(type) < byType.size() && byType[static_cast<std::size_t>(type)];
}

std::unique_ptr<Entity> createEntity(int type, EntityManager* manager)
{
    return canMake(type) ? makers()[static_cast<std::size_t>(type)](manager) : nullptr;
}

EntityManager::EntityManager(EventQueue* eventsIn) : events(eventsIn), nextID(1) {}

EntityManager::~EntityManager()
{
    clear();
}

int EntityManager::allocateID()
{
    if (registry.size() >= static_cast<std::size_t>(MAX_ENTITIES))
        return -1;
    while (registry.find(nextID) != registry.end())
        ++nextID;
    return nextID;
}

void EntityManager::adopt(std::unique_ptr<Entity> e)
{
    MORVANE_ASSERT(e != nullptr && e->manager == this, SOURCE);
    MORVANE_ASSERT(registry.size() < MAX_ENTITIES, SOURCE);
    MORVANE_ASSERT(registry.find(e->getID()) == registry.end(), SOURCE);
    const int id = e->getID();
    registry[id] = std::move(e);
    ++registryVersion;
}

std::unique_ptr<Entity> EntityManager::take(int id)
{
    auto it = registry.find(id);
    MORVANE_ASSERT(it != registry.end(), SOURCE);
    std::unique_ptr<Entity> e = std::move(it->second);
    registry.erase(it);
    ++registryVersion;
    return e;
}

void EntityManager::remove(int id)
{
    // Unregistered first, so the destructor sees the registry without it.
    take(id).reset();
}

Entity* EntityManager::get(int id) const
{
    auto it = registry.find(id);
    return it == registry.end() ? nullptr : it->second.get();
}

int EntityManager::countType(int typeValue) const
{
    int count = 0;
    for (const auto& entry : registry)
        if (entry.second->getType() == typeValue)
            ++count;
    return count;
}

Entity* EntityManager::entityAt(const sf::Vector2f& point) const
{
    for (const auto& entry : registry)
        if (entry.second->containsPoint(point))
            return entry.second.get();
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
    for (auto it = registry.begin(); it != registry.end();) {
        const int currentID = it->first;
        Entity* e = it->second.get();
        if (!frozen) {
            e->update(zone);
            if (get(currentID) != e) {
                it = registry.upper_bound(currentID);
                continue;
            }
            if (useGrid)
                collideNearby(zone, e, currentID);
            else
                collideFrom(e, registry.begin());
            move(*e, zone);
            if (gridValid && gridVersion == registryVersion && contactGrid.size() == registry.size()) {
                const int slot = contactGrid.slotOf(currentID);
                if (slot >= 0 && contactGrid.at(slot) == e)
                    contactGrid.moved(slot);
            }
        }
        if (e->dead)
            deadOnes.emplace_back(currentID, e);
        it = registry.upper_bound(currentID);
    }
    for (const auto& entry : deadOnes)
        if (get(entry.first) == entry.second)
            remove(entry.first);
}

void EntityManager::move(Entity& e, Zone& zone)
{
    e.velocity *= DAMPING;
    e.position += e.velocity;
    e.collideTiles(zone);
}

void EntityManager::collideFrom(Entity* e, Registry::iterator from)
{
    for (auto o = from; o != registry.end();) {
        const int otherID = o->first;
        Entity* other = o->second.get();
        if (other != e) {
            const sf::Vector2f push = e->pushOut(*other);
            if (push != ZERO_VECTOR)
                e->onCollide(*other, push);
        }
        o = registry.upper_bound(otherID);
    }
}

void EntityManager::collideNearby(Zone& zone, Entity* e, int id)
{
    if (!gridValid || gridVersion != registryVersion || contactGrid.size() != registry.size()) {
        contactGrid.build(registry, zone.getWidth(), zone.getHeight());
        gridVersion = registryVersion;
        gridValid = true;
    }
    int slot = contactGrid.slotOf(id);
    if (slot < 0 || contactGrid.at(slot) != e) {
        contactGrid.build(registry, zone.getWidth(), zone.getHeight());
        slot = contactGrid.slotOf(id);
    }
    // Its own update may have moved it.
    contactGrid.moved(slot);

    const Entity* parent = e->getParent();
    const sf::Vector2f at = parent != nullptr ? e->position + parent->position : e->position;
    const float reach = e->radius;
    if (!contactGrid.gather(at, reach, nearby)) {
        collideFrom(e, registry.begin());
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
        if (registryVersion != gridVersion || registry.size() != contactGrid.size() || atNow != at || reach != e->radius) {
            gridValid = false;
            collideFrom(e, registry.upper_bound(otherID));
            return;
        }
    }
}

void EntityManager::animate()
{
    // A heap of the depths, popped in turn: entities of equal depth keep the order they
    // have always come out in.
    drawOrder.clear();
    for (const auto& entry : registry) {
        depthQueue.emplace_back(depthOf(entry.second.get()), entry.second.get());
        std::push_heap(depthQueue.begin(), depthQueue.end(), nearerBack);
    }
    while (!depthQueue.empty()) {
        Entity* e = depthQueue.front().second;
        drawOrder.emplace_back(feetOf(e), e->getID());
        std::pop_heap(depthQueue.begin(), depthQueue.end(), nearerBack);
        depthQueue.pop_back();
        // Blows thrown here join the registry, not this frame's order.
        e->animate();
    }
}

void EntityManager::submit(FrameList& frame, bool debug, const DrawUpTo& upTo, bool every, const SortDepth& sortDepth) const
{
    const sf::FloatRect box = VisibleTiles::viewBox(frame.getView());
    const float reach = spriteReach();
    static std::vector<std::pair<float, const Entity*>> shown;
    shown.clear();
    bool moved = false;
    for (const auto& [feet, id] : drawOrder) {
        const Entity* e = get(id);
        if (e == nullptr || (!every && !mayShow(*e, box, reach)))
            continue;
        const float depth = feet.x + feet.y, sorted = sortDepth ? sortDepth(feet) : depth;
        moved = moved || sorted > depth;
        shown.emplace_back(sorted, e);
    }
    // Those of one depth keep the order animate ran them in; one off every grid (NaN) goes last.
    if (moved)
        std::stable_sort(shown.begin(), shown.end(), [](const auto& a, const auto& b) {
            return a.first < b.first || (std::isnan(b.first) && !std::isnan(a.first));
        });
    for (const auto& [depth, e] : shown) {
        if (upTo)
            upTo(depth);
        frame.setDepth(depth);
        if (debug)
            e->submitDebug(frame, false);
        e->submit(frame);
    }
    if (upTo)
        upTo(INFINITY);
}

void EntityManager::save(std::vector<zonefile::EntityRecord>& records) const
{
    records.resize(registry.size());
    std::size_t k = 0;
    for (const auto& entry : registry)
        entry.second->save(records[k++]);
}

void EntityManager::clear()
{
    // Take the map out first: destructors then see an empty registry.
    Registry dropped;
    dropped.swap(registry);
    ++registryVersion;
    dropped.clear();
}

bool EntityManager::canBuild(const std::vector<zonefile::EntityRecord>& records, std::string& why) const
{
    if (!zonefile::check(records, static_cast<int>(ResourceManager::doodadTextures.size()), why))
        return false;
    for (const zonefile::EntityRecord& record : records) {
        if (!canMake(record.type)) {
            why = "entity type " + std::to_string(record.type) + " cannot be made";
            return false;
        }
    }
    return true;
}

Entity* EntityManager::load(std::istream& in)
{
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<zonefile::EntityRecord> records;
    std::string why;
    bool accepted = zonefile::decodeEntities(bytes, records, why) && canBuild(records, why);
    for (std::size_t k = 0; accepted && k < records.size(); ++k)
        if (get(zonefile::finalId(records[k]))) {
            why = "entity id " + std::to_string(zonefile::finalId(records[k])) + " is already registered";
            accepted = false;
        }
    if (!accepted) {
        std::printf(MSG_REFUSED, why.c_str());
        return nullptr;
    }
    sayEntityCount(records.size());
    return build(records);
}

void EntityManager::sayEntityCount(std::size_t count)
{
    std::printf(MSG_ENTITY_COUNT, static_cast<int>(count));
}

Entity* EntityManager::build(const std::vector<zonefile::EntityRecord>& records)
{
    // One after another, each made and added before the next: every constructor's id
    // allocation sees the ids registered so far, which decides where nextID ends.
    Entity* player = nullptr;
    for (const zonefile::EntityRecord& record : records) {
        std::unique_ptr<Entity> made = createEntity(record.type, this);
        made->load(record);
        Entity* e = add(std::move(made));
        if (e->getType() == Entity::TYPE_PLAYER)
            player = e;
    }
    return player;
}
