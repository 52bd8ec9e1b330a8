#include "world/tilepath.h"

namespace tilepath {
namespace detail {

void SearchGrid::begin(std::size_t size)
{
    if (nodes.size() < size)
        nodes.resize(size);
    if (++generation == 0) {
        for (SearchNode& n : nodes)
            n.stamp = 0;
        generation = 1;
    }
}

SearchGrid& searchGrid()
{
    static SearchGrid grid;
    return grid;
}

} // namespace detail
} // namespace tilepath
