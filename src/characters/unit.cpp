#include "characters/unit.h"

#include "render/animation.h"
#include "core/globals.h"
#include "world/kinds.h"
#include "world/tile.h"
#include "world/zone.h"

#include <cmath>

const sf::Color Unit::HIT_FLASH(255, 110, 110);

Unit::Unit(int typeValue, EntityManager* owner, int teamValue)
    : Entity(typeValue, owner), team(teamValue)
{
    tileCollision = true;
}

void Unit::update(Zone&)
{
    if (hitPoints < 1)
        dead = true;
}

void Unit::onCollide(Entity& other, const sf::Vector2f& push)
{
    if (!isUnitType(other.getType()))
        return;
    velocity += 0.5f * push;
    other.velocity -= 0.5f * push;
}

int Unit::damage(int amount)
{
    hitPoints -= amount;
    flashLeft = HIT_FLASH_FRAMES;
    return amount;
}

void Unit::steer(float speed)
{
    if (moveDirection != ZERO_VECTOR) {
        moveDirection = normalize(moveDirection);
        if (speed > dot(moveDirection, velocity))
            velocity += 0.1f * speed * moveDirection;
        facing = moveDirection;
        return;
    }
    if (path.empty())
        return;
    const PathNode& waypoint = path.back();
    const sf::Vector2f target(TILE_SIZE * static_cast<float>(waypoint.column) + TILE_SIZE * 0.5f,
                              TILE_SIZE * static_cast<float>(waypoint.row) + TILE_SIZE * 0.5f);
    const sf::Vector2f d = target - position;
    // Dropped now, but this frame still pulls toward it.
    if (length(d) < WAYPOINT_REACHED)
        path.pop_back();
    if (d == ZERO_VECTOR)
        return;
    const sf::Vector2f dir = normalize(d);
    if (speed > dot(dir, velocity))
        velocity += 0.4f * speed * dir;
    facing = dir;
}

bool Unit::hasPath() const { return !path.empty(); }

void Unit::clearPath() { path.clear(); }

bool Unit::isMoving() const { return moveDirection != ZERO_VECTOR || !path.empty(); }

bool Unit::facesUp() const { return facing.x + facing.y < 0.0f; }

bool Unit::facesLeft() const { return facing.x - facing.y <= 0.0f; }

void Unit::showAnimation(Animation& animation, bool advance)
{
    animation.position = worldToScreen(position);
    animation.mirrored = facesLeft();
    if (advance)
        animation.update();
    showing = &animation;
    flashShown = flashLeft > 0;
    if (flashShown)
        flashLeft -= 1;
}

void Unit::submit(FrameList& frame) const
{
    if (showing == nullptr)
        return;
    const Kind* kind = kinds::find(getType());
    const long rgb = kind != nullptr ? kind->silhouette : -1;
    const sf::Color silhouette = rgb < 0 ? sf::Color::Transparent
                                         : sf::Color(static_cast<sf::Uint8>(rgb >> 16), static_cast<sf::Uint8>(rgb >> 8),
                                                     static_cast<sf::Uint8>(rgb));
    showing->submit(frame, facesUp(), silhouette, flashShown ? HIT_FLASH : sf::Color::White);
}

bool Unit::showsAt(const sf::Vector2f& picturePoint) const
{
    return showing != nullptr && showing->covers(picturePoint, facesUp());
}

bool Unit::reusePaths = true;

void Unit::findPathReusing(Zone& zone, int row, int column)
{
    const int startRow = tileIndex(position.y);
    const int startColumn = tileIndex(position.x);
    LastSearch& last = lastSearch;
    if (reusePaths && last.valid && last.zone == &zone && last.layoutVersion == Tile::layoutVersion
        && last.startRow == startRow && last.startColumn == startColumn && last.row == row && last.column == column) {
        // Whole again, waypoints steering has since dropped included, as a fresh search gives it.
        path = last.result;
        return;
    }
    findPath(zone, row, column);
    last.zone = &zone;
    last.layoutVersion = Tile::layoutVersion;
    last.startRow = startRow;
    last.startColumn = startColumn;
    last.row = row;
    last.column = column;
    last.valid = true;
    last.result = path;
}

void Unit::findPath(Zone& zone, int row, int column)
{
    auto walkable = [&zone](int c, int r) { return zone.getTile(c, r)->walkable; };
    tilepath::find(zone.getWidth(), zone.getHeight(), walkable, tileIndex(position.y), tileIndex(position.x), row,
                   column, path);
}
