#include "core/letterbox.h"

#include <algorithm>
#include <cmath>

const sf::Vector2u Letterbox::PICTURE(800, 600);

namespace {
// Picture pixel under the centre of window pixel p, along one axis.
int sampleAxis(int p, int start, int size, unsigned picture)
{
    const double u = (p - start + 0.5) * picture / size;
    return std::clamp(static_cast<int>(std::floor(u)), 0, static_cast<int>(picture) - 1);
}
} // namespace

Letterbox::Letterbox(sf::Vector2u windowSize)
{
    const double w = std::max(1u, windowSize.x);
    const double h = std::max(1u, windowSize.y);
    const double scale = std::min(w / PICTURE.x, h / PICTURE.y);
    const int width = std::clamp(static_cast<int>(std::lround(PICTURE.x * scale)), 1, static_cast<int>(w));
    const int height = std::clamp(static_cast<int>(std::lround(PICTURE.y * scale)), 1, static_cast<int>(h));
    shown = sf::IntRect((static_cast<int>(w) - width) / 2, (static_cast<int>(h) - height) / 2, width, height);
}

bool Letterbox::isExact() const
{
    return shown.left == 0 && shown.top == 0 && shown.width == static_cast<int>(PICTURE.x) &&
           shown.height == static_cast<int>(PICTURE.y);
}

sf::Vector2i Letterbox::toPicture(sf::Vector2i windowPixel) const
{
    // Unscaled, a cursor outside the window keeps its position, as it always has.
    if (isExact())
        return windowPixel;
    return sf::Vector2i(sampleAxis(windowPixel.x, shown.left, shown.width, PICTURE.x),
                        sampleAxis(windowPixel.y, shown.top, shown.height, PICTURE.y));
}
