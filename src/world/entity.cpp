#include "world/entity.h"

#include "world/entitymanager.h"
#include "core/globals.h"
#include "world/resourcemanager.h"
#include "world/tile.h"
#include "world/zone.h"
#include "world/zonefile.h"

#include "render/framelist.h"

#include <SFML/Graphics/CircleShape.hpp>
#include <SFML/Graphics/Text.hpp>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace {

const char* SOURCE = "src/entity";

} // namespace

Entity::Entity(int typeIn, EntityManager* managerIn)
    : position(ZERO_VECTOR), velocity(0.0f, 0.0f), radius(1.0f), dead(false), facing(1.0f, 0.0f),
      manager(managerIn), id(-1), tileCollision(false), interactable(false), type(typeIn),
      parentID(NO_PARENT)
{
    const int nextID = manager->allocateID();
    MORVANE_ASSERT(nextID != -1, SOURCE);
    id = nextID;
}

Entity::~Entity()
{
    if (!manager)
        return;
    if (Entity* parent = getParent()) {
        std::vector<int>& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), id), siblings.end());
    }
    for (int childID : children) {
        Entity* child = manager->get(childID);
        if (child && child != this)
            child->parentID = NO_PARENT;
    }
}

void Entity::save(zonefile::EntityRecord& record) const
{
    record.type = type;
    record.id = id;
    record.x = position.x;
    record.y = position.y;
    record.radius = radius;
}

void Entity::load(const zonefile::EntityRecord& record)
{
    id = record.id;
    position = sf::Vector2f(record.x, record.y);
    radius = record.radius;
}

int Entity::getID() const { return id; }

int Entity::getType() const { return type; }

std::string Entity::getTypeName(int typeValue) { return kinds::name(typeValue); }

bool Entity::isUnitType(int typeValue) { return kinds::isUnit(typeValue); }

Entity* Entity::getParent() const
{
    if (parentID == NO_PARENT || !manager)
        return nullptr;
    Entity* parent = manager->get(parentID);
    return parent == this ? nullptr : parent;
}

void Entity::setParent(Entity* parent)
{
    MORVANE_ASSERT(parent != nullptr, SOURCE);
    if (Entity* old = getParent()) {
        std::vector<int>& siblings = old->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), id), siblings.end());
    }
    parentID = parent->id;
    std::vector<int>& siblings = parent->children;
    if (std::find(siblings.begin(), siblings.end(), id) == siblings.end())
        siblings.push_back(id);
}

bool Entity::containsPoint(const sf::Vector2f& point) const
{
    const sf::Vector2f d = position - point;
    return d.x * d.x + d.y * d.y <= radius * radius;
}

sf::Vector2f Entity::pushOut(const Entity& other) const
{
    sf::Vector2f a = position;
    if (const Entity* parent = getParent())
        a += parent->position;
    const float d = distance(a, other.position);
    const float s = radius + other.radius;
    if (d > s)
        return ZERO_VECTOR;
    // The distance, not the vector: points a hair apart have a length that rounds to zero.
    if (d == 0.0f)
        return ZERO_VECTOR;
    const sf::Vector2f v = a - other.position;
    return v / d * (s - d);
}

void Entity::collideTiles(Zone& zone)
{
    if (!tileCollision)
        return;
    const float r = radius;
    const int firstColumn = position.x - r < 0 ? -1 : tileIndex(position.x - r);
    const int lastColumn = tileIndex(position.x + r);
    const int firstRow = position.y - r < 0 ? -1 : tileIndex(position.y - r);
    const int lastRow = tileIndex(position.y + r);

    for (int column = firstColumn; column <= lastColumn; ++column) {
        for (int row = firstRow; row <= lastRow; ++row) {
            const Tile* tile = zone.getTile(column, row);
            if (tile && tile->type != TILE_WALL)
                continue;
            // Outside the grid blocks like a wall, so the border is solid.
            const float left = column * TILE_SIZE;
            const float top = row * TILE_SIZE;
            const float right = left + TILE_SIZE;
            const float bottom = top + TILE_SIZE;
            const float x = position.x;
            const float y = position.y;
            const int sideX = x < left ? -1 : (x > right ? 1 : 0);
            const int sideY = y < top ? -1 : (y > bottom ? 1 : 0);
            if (sideX == 0 && sideY == 0)
                continue;
            if (sideY == 0) {
                position.x = sideX < 0 ? left - r : right + r;
            } else if (sideX == 0) {
                position.y = sideY < 0 ? top - r : bottom + r;
            } else {
                const sf::Vector2f corner(sideX < 0 ? left : right, sideY < 0 ? top : bottom);
                const float d = distance(position, corner);
                if (!(d < r))
                    continue;
                // A hair from the corner the distance rounds to zero: out along the diagonal.
                const sf::Vector2f diagonal(sideX / std::sqrt(2.0f), sideY / std::sqrt(2.0f));
                position += (d > 0.0f ? (position - corner) / d : diagonal) * (r - d);
            }
        }
    }
}

void Entity::submitDebug(FrameList& frame, bool highlighted) const
{
    const sf::Vector2f screen = worldToScreen(position);
    sf::CircleShape circle(radius, 30);
    circle.setOrigin(radius, radius);
    circle.setPosition(screen);
    circle.setScale(2.8f, 1.4f);
    circle.setOutlineThickness(2.0f);
    circle.setOutlineColor(sf::Color::Green);
    circle.setFillColor(highlighted ? sf::Color(255, 0, 0, 100) : sf::Color::Transparent);
    frame.draw(std::move(circle));

    sf::Text text(std::to_string(id), ResourceManager::debugFont, 10);
    text.setFillColor(sf::Color::White);
    text.setPosition(screen);
    frame.draw(std::move(text));
}
