#include "spritetrim.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <algorithm>

sf::IntRect SpriteTrim::visibleBounds(const sf::Image& image, const sf::IntRect& region)
{
    const sf::Vector2u size = image.getSize();
    const int left = std::max(region.left, 0);
    const int top = std::max(region.top, 0);
    const int right = std::min(region.left + region.width, static_cast<int>(size.x));
    const int bottom = std::min(region.top + region.height, static_cast<int>(size.y));
    bool found = false;
    int minX = right, minY = bottom, maxX = left, maxY = top;
    const sf::Uint8* pixels = image.getPixelsPtr();
    for (int y = top; y < bottom; ++y) {
        const sf::Uint8* row = pixels + (static_cast<std::size_t>(y) * size.x) * 4;
        for (int x = left; x < right; ++x) {
            if (row[static_cast<std::size_t>(x) * 4 + 3] == 0)
                continue;
            found = true;
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = y;
        }
    }
    if (!found)
        return sf::IntRect(region.left, region.top, 0, 0);
    return sf::IntRect(minX, minY, maxX - minX + 1, maxY - minY + 1);
}

void SpriteTrim::draw(sf::RenderTarget& target, const sf::Sprite& sprite, const sf::IntRect& visible)
{
    const sf::IntRect whole = sprite.getTextureRect();
    sf::Sprite part(sprite);
    part.setTextureRect(visible);
    // Keep the visible pixels where they were: the origin moves with the rectangle's corner.
    part.setOrigin(sprite.getOrigin() - sf::Vector2f(static_cast<float>(visible.left - whole.left),
                                                     static_cast<float>(visible.top - whole.top)));
    target.draw(part);
}
