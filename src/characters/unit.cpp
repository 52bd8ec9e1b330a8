#include "characters/unit.h"

#include "render/animation.h"
#include "core/globals.h"
#include "world/tile.h"
#include "world/zone.h"

#include <cmath>
#include <cstdlib>
#include <queue>

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
}

void Unit::submit(FrameList& frame) const
{
    if (showing != nullptr)
        showing->submit(frame, facesUp());
}

namespace {

enum : signed char { UNSEEN = 0, OPEN = 1, CLOSED = 2 };

struct SearchNode {
    PathNode node;
    int seq = 0;
    unsigned stamp = 0; // the search that last touched it; older means unseen
    signed char state = UNSEEN;
};

// Kept between searches and stamped, so a search costs what it visits, not the zone's size.
class SearchGrid {
public:
    void begin(std::size_t size)
    {
        if (nodes.size() < size)
            nodes.resize(size);
        if (++generation == 0) {
            for (SearchNode& n : nodes)
                n.stamp = 0;
            generation = 1;
        }
    }
    SearchNode& at(int index)
    {
        SearchNode& n = nodes[static_cast<std::size_t>(index)];
        if (n.stamp != generation) {
            n.stamp = generation;
            n.state = UNSEEN;
        }
        return n;
    }

private:
    std::vector<SearchNode> nodes;
    unsigned generation = 0;
};

SearchGrid searchGrid;

struct OpenEntry {
    float f;
    int seq;
    int index;
};

// Lowest f first; equal f in the order the nodes were first opened.
struct LaterEntry {
    bool operator()(const OpenEntry& a, const OpenEntry& b) const
    {
        if (a.f != b.f)
            return a.f > b.f;
        return a.seq > b.seq;
    }
};

float manhattan(int row, int column, int destRow, int destColumn)
{
    return static_cast<float>(std::abs(row - destRow) + std::abs(column - destColumn));
}

bool openGround(Zone& zone, int column, int row)
{
    const Tile* tile = zone.getTile(column, row);
    return tile == nullptr || tile->walkable;
}

} // namespace

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
    path.clear();
    const int width = zone.getWidth();
    const int height = zone.getHeight();
    if (width < 1 || height < 1)
        return;

    // One slot per tile, plus one for a start that lies off the grid.
    const int offGrid = width * height;
    searchGrid.begin(static_cast<std::size_t>(offGrid) + 1);
    auto indexOf = [&](int r, int c) {
        return (r >= 0 && c >= 0 && r < height && c < width) ? r * width + c : offGrid;
    };
    std::priority_queue<OpenEntry, std::vector<OpenEntry>, LaterEntry> open;
    int nextSeq = 0;

    const int startRow = tileIndex(position.y);
    const int startColumn = tileIndex(position.x);
    const float startH = manhattan(startRow, startColumn, row, column);
    {
        SearchNode& start = searchGrid.at(indexOf(startRow, startColumn));
        start.node = PathNode{startRow, startColumn, startH, 0.0f, startH, nullptr};
        start.seq = nextSeq++;
        start.state = OPEN;
        open.push({startH, start.seq, indexOf(startRow, startColumn)});
    }

    while (!open.empty()) {
        const OpenEntry entry = open.top();
        open.pop();
        SearchNode& current = searchGrid.at(entry.index);
        // A node whose g improved is queued again; the outdated entry is skipped here.
        if (current.state != OPEN)
            continue;
        if (current.node.row == row && current.node.column == column) {
            for (const PathNode* n = &current.node; n->parent != nullptr; n = n->parent) {
                path.push_back(*n);
                path.back().parent = nullptr;
            }
            return;
        }
        current.state = CLOSED;
        const int r0 = current.node.row;
        const int c0 = current.node.column;
        for (int dr = -1; dr <= 1; ++dr) {
            for (int dc = -1; dc <= 1; ++dc) {
                if (dr == 0 && dc == 0)
                    continue;
                const int r = r0 + dr;
                const int c = c0 + dc;
                const Tile* tile = zone.getTile(c, r);
                if (tile == nullptr || !tile->walkable)
                    continue;
                SearchNode& next = searchGrid.at(r * width + c);
                if (next.state == CLOSED)
                    continue;
                const bool diagonal = dr != 0 && dc != 0;
                // No cutting across a wall corner.
                if (diagonal && !(openGround(zone, c, r0) && openGround(zone, c0, r)))
                    continue;
                const float g = current.node.g + (diagonal ? DIAGONAL_COST : STRAIGHT_COST);
                if (next.state == OPEN) {
                    if (g < next.node.g) {
                        next.node.g = g;
                        next.node.f = g + next.node.h;
                        next.node.parent = &current.node;
                        open.push({next.node.f, next.seq, r * width + c});
                    }
                    continue;
                }
                const float h = manhattan(r, c, row, column);
                next.node = PathNode{r, c, g + h, g, h, &current.node};
                next.seq = nextSeq++;
                next.state = OPEN;
                open.push({next.node.f, next.seq, r * width + c});
            }
        }
    }
}
