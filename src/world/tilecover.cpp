#include "world/tilecover.h"

#include "world/tile.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <algorithm>
#include <utility>

namespace {

struct Cover {
    std::vector<std::pair<const sf::Texture*, unsigned>> seen;
    int count = 0;
    int steps = 0;
    std::vector<char> hides; // [steps - 1][front][back]
};

Cover& cover()
{
    // Never destroyed: resources may be unloaded from an exit handler, after the statics.
    static Cover* const c = new Cover;
    return *c;
}

std::vector<std::pair<const sf::Texture*, unsigned>> identities(const std::vector<sf::Texture>& images)
{
    std::vector<std::pair<const sf::Texture*, unsigned>> ids;
    for (const sf::Texture& t : images)
        ids.emplace_back(&t, t.getNativeHandle());
    return ids;
}

bool visible(const sf::Image& image, int x, int y) { return image.getPixel(static_cast<unsigned>(x), static_cast<unsigned>(y)).a > 0; }

// Opaque with all eight neighbours, those beyond the edge taken as the edge texel the
// sampler clamps to. A pixel inside the front image whose centre lies on a texel edge may
// take either texel.
std::vector<char> solidCores(const sf::Image& image)
{
    const int w = static_cast<int>(image.getSize().x), h = static_cast<int>(image.getSize().y);
    std::vector<char> core(static_cast<std::size_t>(w * h), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool solid = true;
            for (int dy = -1; dy <= 1 && solid; ++dy)
                for (int dx = -1; dx <= 1 && solid; ++dx) {
                    const int sx = std::min(std::max(x + dx, 0), w - 1), sy = std::min(std::max(y + dy, 0), h - 1);
                    solid = image.getPixel(static_cast<unsigned>(sx), static_cast<unsigned>(sy)).a == 255;
                }
            core[static_cast<std::size_t>(y * w + x)] = solid;
        }
    return core;
}

// Both images are centred on their anchors; the front one's anchor lies 64 pixels lower
// for every step. The back image must lie within the front one, so that the edges they
// share are the same lines to the rasteriser.
bool frontHides(const sf::Image& front, const std::vector<char>& core, const sf::Image& back, int steps)
{
    const int fw = static_cast<int>(front.getSize().x), fh = static_cast<int>(front.getSize().y);
    const int bw = static_cast<int>(back.getSize().x), bh = static_cast<int>(back.getSize().y);
    const int ox = fw / 2 - bw / 2;
    const int oy = fh - bh - steps * static_cast<int>(TILE_SCREEN_HEIGHT);
    if (ox < 0 || oy < 0 || ox + bw > fw || oy + bh > fh)
        return false;
    for (int y = 0; y < bh; ++y)
        for (int x = 0; x < bw; ++x)
            if (visible(back, x, y) && !core[static_cast<std::size_t>((y + oy) * fw + x + ox)])
                return false;
    return true;
}

} // namespace

void TileCover::refresh(const std::vector<sf::Texture>& images)
{
    Cover& c = cover();
    auto ids = identities(images);
    if (ids == c.seen)
        return;
    std::vector<sf::Image> pixels;
    int tallest = 0;
    for (const sf::Texture& t : images) {
        pixels.push_back(t.copyToImage());
        tallest = std::max(tallest, static_cast<int>(t.getSize().y));
    }
    c.seen = std::move(ids);
    c.count = static_cast<int>(images.size());
    c.steps = std::max(0, (tallest - 1) / static_cast<int>(TILE_SCREEN_HEIGHT));
    c.hides.assign(static_cast<std::size_t>(c.steps * c.count * c.count), 0);
    for (int front = 0; front < c.count; ++front) {
        const sf::Image& image = pixels[static_cast<std::size_t>(front)];
        // Only an image taller than a step can reach over the tile behind.
        if (static_cast<int>(image.getSize().y) <= TILE_SCREEN_HEIGHT)
            continue;
        const std::vector<char> core = solidCores(image);
        for (int s = 1; s <= c.steps; ++s)
            for (int back = 0; back < c.count; ++back)
                c.hides[static_cast<std::size_t>(((s - 1) * c.count + front) * c.count + back)] =
                    frontHides(image, core, pixels[static_cast<std::size_t>(back)], s);
    }
}

bool TileCover::hides(int front, int back, int steps)
{
    const Cover& c = cover();
    if (steps < 1 || steps > c.steps || front < 0 || back < 0 || front >= c.count || back >= c.count)
        return false;
    return c.hides[static_cast<std::size_t>(((steps - 1) * c.count + front) * c.count + back)] != 0;
}

int TileCover::reach() { return cover().steps; }

void TileCover::forget() { cover() = Cover(); }
