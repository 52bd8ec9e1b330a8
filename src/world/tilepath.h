#pragma once
// The units' path search, A* over a grid of tiles with eight neighbours, apart from the
// game's objects: units walk what it finds, and the zone checks measure a robber's walk
// with the very same search, so what they promise is what a robber does.

#include <vector>

struct PathNode {
    int row;
    int column;
    float f;
    float g;
    float h;
    PathNode* parent; // only meaningful during a search; copies in a path hold null
};

namespace tilepath {

constexpr float STRAIGHT_COST = 1.0f;
constexpr float DIAGONAL_COST = 1.4142135f;

// A grid of columns x rows and which of its tiles can be walked on.
class Ground {
public:
    virtual ~Ground() = default;
    virtual int columns() const = 0;
    virtual int rows() const = 0;
    // Asked of tiles inside the grid only.
    virtual bool walkable(int column, int row) const = 0;
};

// path becomes the way from the start tile to the destination: the destination first, the
// first step last, the start left out. Empty when there is none, or the start is the
// destination. Diagonal steps never cut a wall corner; the start itself is not tested, and
// may lie off the grid. The estimate is the tiles' Manhattan distance and ties go to the
// node opened first, so the way found is the one units have always walked, not always the
// shortest.
void find(const Ground& ground, int startRow, int startColumn, int row, int column, std::vector<PathNode>& path);

// How far a path found by find walks, in tiles (a diagonal step counts its length).
float tiles(const std::vector<PathNode>& path);

} // namespace tilepath
