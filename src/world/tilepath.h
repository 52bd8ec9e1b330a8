#pragma once
// The units' path search, A* over a grid of tiles with eight neighbours, apart from the
// game's objects: units walk what it finds, and the zone checks measure a robber's walk
// with the very same search, so what they promise is what a robber does.

#include <cstdlib>
#include <queue>
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

namespace detail {

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
    void begin(std::size_t size);
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

// The one grid every search works in.
SearchGrid& searchGrid();

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

inline float manhattan(int row, int column, int destRow, int destColumn)
{
    return static_cast<float>(std::abs(row - destRow) + std::abs(column - destColumn));
}

} // namespace detail

// path becomes the way from the start tile to the destination over a grid of columns x
// rows: the destination first, the first step last, the start left out. Empty when there
// is none, or the start is the destination. walkable(column, row) is asked of tiles inside
// the grid only. Diagonal steps never cut a wall corner; the start itself is not tested,
// and may lie off the grid. The estimate is the tiles' Manhattan distance and ties go to
// the node opened first, so the way found is the one units have always walked, not always
// the shortest. A template, so a unit's search calls its zone's tiles directly.
template <class Walkable>
void find(int width, int height, const Walkable& walkable, int startRow, int startColumn, int row, int column,
          std::vector<PathNode>& path)
{
    using namespace detail;
    path.clear();
    if (width < 1 || height < 1)
        return;
    auto inGrid = [&](int r, int c) { return r >= 0 && c >= 0 && r < height && c < width; };
    // Off the grid counts as open beside a diagonal step, as no corner stands there.
    auto openGround = [&](int c, int r) { return !inGrid(r, c) || walkable(c, r); };

    // One slot per tile, plus one for a start that lies off the grid.
    const int offGrid = width * height;
    SearchGrid& grid = searchGrid();
    grid.begin(static_cast<std::size_t>(offGrid) + 1);
    auto indexOf = [&](int r, int c) { return inGrid(r, c) ? r * width + c : offGrid; };
    std::priority_queue<OpenEntry, std::vector<OpenEntry>, LaterEntry> open;
    int nextSeq = 0;

    const float startH = manhattan(startRow, startColumn, row, column);
    {
        SearchNode& start = grid.at(indexOf(startRow, startColumn));
        start.node = PathNode{startRow, startColumn, startH, 0.0f, startH, nullptr};
        start.seq = nextSeq++;
        start.state = OPEN;
        open.push({startH, start.seq, indexOf(startRow, startColumn)});
    }

    while (!open.empty()) {
        const OpenEntry entry = open.top();
        open.pop();
        SearchNode& current = grid.at(entry.index);
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
                if (!inGrid(r, c) || !walkable(c, r))
                    continue;
                SearchNode& next = grid.at(r * width + c);
                if (next.state == CLOSED)
                    continue;
                const bool diagonal = dr != 0 && dc != 0;
                // No cutting across a wall corner.
                if (diagonal && !(openGround(c, r0) && openGround(c0, r)))
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

// How far a path found by find walks, in tiles (a diagonal step counts its length).
inline float tiles(const std::vector<PathNode>& path) { return path.empty() ? 0.0f : path.front().g; }

} // namespace tilepath
