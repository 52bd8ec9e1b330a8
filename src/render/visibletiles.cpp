#include "render/visibletiles.h"

#include <SFML/Graphics/View.hpp>
#include <algorithm>
#include <cmath>

VisibleTiles::VisibleTiles(const sf::View& view, int width, int height, float halfWidth, float above,
                           float below)
    : firstColumn(width), lastColumn(-1), firstRows(static_cast<std::size_t>(std::max(width, 0))),
      lastRows(static_cast<std::size_t>(std::max(width, 0)))
{
    const sf::FloatRect box = viewBox(view);
    // The anchor of (x, y) is (64 (x - y), 32 (x + y)); a pixel more all round for rounding.
    const double left = box.left - halfWidth - 1.0, right = box.left + box.width + halfWidth + 1.0;
    const double top = box.top - below - 1.0, bottom = box.top + box.height + above + 1.0;
    for (int x = 0; x < width; ++x) {
        const double low = std::max(top / 32.0 - x, x - right / 64.0);
        const double high = std::min(bottom / 32.0 - x, x - left / 64.0);
        // Compared as doubles first: a view far off the grid gives rows beyond int.
        const double first = std::max(std::ceil(low), 0.0), last = std::min(std::floor(high), height - 1.0);
        const bool any = first <= last;
        firstRows[static_cast<std::size_t>(x)] = any ? static_cast<int>(first) : height;
        lastRows[static_cast<std::size_t>(x)] = any ? static_cast<int>(last) : -1;
        if (any) {
            firstColumn = std::min(firstColumn, x);
            lastColumn = x;
        }
    }
}

sf::FloatRect VisibleTiles::viewBox(const sf::View& view)
{
    const sf::Transform& inverse = view.getInverseTransform();
    const sf::Vector2f corners[4] = {inverse.transformPoint(-1.0f, -1.0f), inverse.transformPoint(1.0f, -1.0f),
                                     inverse.transformPoint(-1.0f, 1.0f), inverse.transformPoint(1.0f, 1.0f)};
    float left = corners[0].x, top = corners[0].y, right = left, bottom = top;
    for (const sf::Vector2f& c : corners) {
        left = std::min(left, c.x);
        top = std::min(top, c.y);
        right = std::max(right, c.x);
        bottom = std::max(bottom, c.y);
    }
    return sf::FloatRect(left, top, right - left, bottom - top);
}
