#pragma once
// Which tiles of a grid can touch a view: per column, the first and last row. Anything
// else can be left undrawn without changing a pixel.

#include <SFML/Graphics/Rect.hpp>
#include <vector>

namespace sf { class View; }

class VisibleTiles final {
public:
    // What a tile draws lies within halfWidth to either side of its anchor (the diamond's
    // top corner), from above over it to below under it.
    VisibleTiles(const sf::View& view, int width, int height, float halfWidth, float above, float below);

    bool empty() const { return lastColumn < firstColumn; }
    // The part of the screen plane that the view shows.
    static sf::FloatRect viewBox(const sf::View& view);

    int firstColumn;
    int lastColumn;
    // Indexed by column; a column with nothing to draw has its first row after its last.
    std::vector<int> firstRows;
    std::vector<int> lastRows;
};
