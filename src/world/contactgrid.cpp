#include "world/contactgrid.h"

#include "world/entity.h"

#include <algorithm>
#include <cmath>

void ContactGrid::build(const std::map<int, std::unique_ptr<Entity>>& entities, int zoneWidth, int zoneHeight)
{
    // Only the cells used last time need emptying; a big zone has far more cells than entities.
    for (int cell : cellOf)
        if (cell != ALWAYS)
            cells[static_cast<std::size_t>(cell)].clear();
    always.clear();
    const int newColumns = std::max(zoneWidth, 1);
    const int newRows = std::max(zoneHeight, 1);
    if (newColumns != columns || newRows != rows) {
        columns = newColumns;
        rows = newRows;
        cells.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), std::vector<int>());
    }
    slots.clear();
    ids.clear();
    cellOf.clear();
    largestRadius = 0.0f;
    for (const auto& entry : entities) {
        ids.push_back(entry.first);
        slots.push_back(entry.second.get());
        cellOf.push_back(ALWAYS);
    }
    for (std::size_t s = 0; s < slots.size(); ++s) {
        const int cell = cellFor(*slots[s]);
        cellOf[s] = cell;
        insert(static_cast<int>(s), cell);
    }
}

int ContactGrid::slotOf(int id) const
{
    auto found = std::lower_bound(ids.begin(), ids.end(), id);
    if (found == ids.end() || *found != id)
        return -1;
    return static_cast<int>(found - ids.begin());
}

void ContactGrid::moved(int slot)
{
    const std::size_t s = static_cast<std::size_t>(slot);
    const int cell = cellFor(*slots[s]);
    if (cell != ALWAYS)
        largestRadius = std::max(largestRadius, slots[s]->radius);
    if (cell == cellOf[s])
        return;
    erase(slot, cellOf[s]);
    cellOf[s] = cell;
    insert(slot, cell);
}

bool ContactGrid::gather(const sf::Vector2f& point, float radius, std::vector<int>& out) const
{
    out.clear();
    if (!std::isfinite(point.x) || !std::isfinite(point.y) || !std::isfinite(radius) || radius > MAX_QUERY_RADIUS)
        return false;
    // Widened a little beyond the touching distance so float rounding in the exact test
    // can never accept a pair the grid left out.
    const double reach = std::max(0.0, (static_cast<double>(radius) + largestRadius) * (1.0 + 1e-5) + 1e-3);
    const int firstColumn = clampedColumn(point.x - reach);
    const int lastColumn = clampedColumn(point.x + reach);
    const int firstRow = clampedRow(point.y - reach);
    const int lastRow = clampedRow(point.y + reach);
    for (int row = firstRow; row <= lastRow; ++row) {
        const std::size_t base = static_cast<std::size_t>(row) * static_cast<std::size_t>(columns);
        for (int column = firstColumn; column <= lastColumn; ++column) {
            appendSorted(cells[base + static_cast<std::size_t>(column)], out);
        }
    }
    appendSorted(always, out);
    return true;
}

int ContactGrid::cellFor(const Entity& e) const
{
    const sf::Vector2f p = e.position;
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !(e.radius >= 0.0f) || e.radius > MAX_BINNED_RADIUS)
        return ALWAYS;
    return clampedRow(p.y) * columns + clampedColumn(p.x);
}

int ContactGrid::clampedColumn(double x) const
{
    const double c = std::floor(x / CELL_SIZE);
    return c < 0.0 ? 0 : (c >= columns ? columns - 1 : static_cast<int>(c));
}

int ContactGrid::clampedRow(double y) const
{
    const double r = std::floor(y / CELL_SIZE);
    return r < 0.0 ? 0 : (r >= rows ? rows - 1 : static_cast<int>(r));
}

void ContactGrid::appendSorted(const std::vector<int>& list, std::vector<int>& out)
{
    // Every list is kept ascending, so merging beats sorting the lot: a crowd on one tile
    // would otherwise be sorted again for each of its members.
    if (list.empty())
        return;
    const std::ptrdiff_t mid = static_cast<std::ptrdiff_t>(out.size());
    out.insert(out.end(), list.begin(), list.end());
    std::inplace_merge(out.begin(), out.begin() + mid, out.end());
}

void ContactGrid::insert(int slot, int cell)
{
    std::vector<int>& list = cell == ALWAYS ? always : cells[static_cast<std::size_t>(cell)];
    list.insert(std::lower_bound(list.begin(), list.end(), slot), slot);
    if (cell == ALWAYS)
        return;
    largestRadius = std::max(largestRadius, slots[static_cast<std::size_t>(slot)]->radius);
}

void ContactGrid::erase(int slot, int cell)
{
    std::vector<int>& list = cell == ALWAYS ? always : cells[static_cast<std::size_t>(cell)];
    auto found = std::lower_bound(list.begin(), list.end(), slot);
    if (found != list.end() && *found == slot)
        list.erase(found);
}
