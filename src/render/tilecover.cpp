#include "render/tilecover.h"

#include "core/globals.h"
#include "core/grid.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <algorithm>
#include <array>
#include <map>
#include <utility>

namespace {

// Per image: where a pixel centre may take a visible texel, and where it surely takes an
// opaque one (see solidCores).
struct Texels {
    int width = 0;
    int height = 0;
    std::vector<char> touched;
    std::vector<char> core;
};

struct Cover {
    std::vector<std::pair<const sf::Texture*, unsigned>> seen;
    int count = 0;
    int steps = 0;
    std::vector<char> hides; // [steps - 1][front][back]
    std::vector<Texels> texels;
    std::map<std::array<int, 4>, sf::IntRect> showing; // by back, right, left, below
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

// For each texel, whether every texel (or some texel) of the nine around it passes test,
// those beyond the edge taken as the edge texel the sampler clamps to. A pixel centre on a
// texel edge may take either texel.
template <typename Test>
std::vector<char> aroundEach(const sf::Image& image, bool every, Test test)
{
    const int w = static_cast<int>(image.getSize().x), h = static_cast<int>(image.getSize().y);
    std::vector<char> result(static_cast<std::size_t>(w * h), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // Stops at the first texel that settles it: a failure for every, a pass for some.
            bool holds = every;
            for (int dy = -1; dy <= 1 && holds == every; ++dy)
                for (int dx = -1; dx <= 1 && holds == every; ++dx) {
                    const int sx = std::min(std::max(x + dx, 0), w - 1), sy = std::min(std::max(y + dy, 0), h - 1);
                    holds = test(image.getPixel(static_cast<unsigned>(sx), static_cast<unsigned>(sy)).a);
                }
            result[static_cast<std::size_t>(y * w + x)] = holds;
        }
    return result;
}

// Opaque with all eight neighbours.
std::vector<char> solidCores(const sf::Image& image)
{
    return aroundEach(image, true, [](sf::Uint8 alpha) { return alpha == 255; });
}

// Some texel with alpha above 0 among the nine around each.
std::vector<char> touchedCells(const sf::Image& image)
{
    return aroundEach(image, false, [](sf::Uint8 alpha) { return alpha > 0; });
}

// Where the image (of the given size) of the tile steps (dx, dy) in front starts, from the
// back image's corner: both are centred on their anchors, their bottoms one diamond below.
sf::Vector2i frontOffset(sf::Vector2u back, sf::Vector2u front, int dx, int dy)
{
    const sf::Vector2f step = worldToScreen(sf::Vector2f(static_cast<float>(dx) * TILE_SIZE, static_cast<float>(dy) * TILE_SIZE));
    return sf::Vector2i(static_cast<int>(step.x) + static_cast<int>(back.x / 2) - static_cast<int>(front.x / 2),
                        static_cast<int>(step.y) + static_cast<int>(back.y) - static_cast<int>(front.y));
}

sf::IntRect workOutShowing(const Cover& c, int back, const std::array<int, 3>& fronts)
{
    static const int STEPS[3][2] = {{1, 0}, {0, 1}, {1, 1}};
    const Texels& b = c.texels[static_cast<std::size_t>(back)];
    struct Front {
        const Texels* texels;
        sf::Vector2i offset;
    };
    std::vector<Front> inFront;
    for (int k = 0; k < 3; ++k)
        if (fronts[static_cast<std::size_t>(k)] >= 0) {
            const Texels& f = c.texels[static_cast<std::size_t>(fronts[static_cast<std::size_t>(k)])];
            inFront.push_back({&f, frontOffset(sf::Vector2u(static_cast<unsigned>(b.width), static_cast<unsigned>(b.height)),
                                               sf::Vector2u(static_cast<unsigned>(f.width), static_cast<unsigned>(f.height)),
                                               STEPS[k][0], STEPS[k][1])});
        }
    int minX = b.width, minY = b.height, maxX = -1, maxY = -1;
    bool anyHidden = false;
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) {
            if (!b.touched[static_cast<std::size_t>(y * b.width + x)])
                continue;
            // A pixel centre in this texel lies at least a texel inside the front image, so
            // the front one's rasteriser takes it whichever way it rounds, and takes an opaque texel.
            const bool hidden = std::any_of(inFront.begin(), inFront.end(), [&](const Front& f) {
                const int fx = x - f.offset.x, fy = y - f.offset.y;
                return fx >= 1 && fy >= 1 && fx < f.texels->width - 1 && fy < f.texels->height - 1
                    && f.texels->core[static_cast<std::size_t>(fy * f.texels->width + fx)];
            });
            anyHidden = anyHidden || hidden;
            if (hidden)
                continue;
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
    if (!anyHidden)
        return sf::IntRect(0, 0, b.width, b.height);
    if (maxX < 0)
        return sf::IntRect(0, 0, 0, 0);
    return sf::IntRect(minX, minY, maxX - minX + 1, maxY - minY + 1);
}

// The front image on the tile steps further along both axes. The back image must lie
// within the front one, so that the edges they share are the same lines to the rasteriser.
bool frontHides(const sf::Image& front, const std::vector<char>& core, const sf::Image& back, int steps)
{
    const int fw = static_cast<int>(front.getSize().x), fh = static_cast<int>(front.getSize().y);
    const int bw = static_cast<int>(back.getSize().x), bh = static_cast<int>(back.getSize().y);
    const sf::Vector2i offset = frontOffset(back.getSize(), front.getSize(), steps, steps);
    const int ox = -offset.x, oy = -offset.y; // the back image's corner in the front one
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
    c.showing.clear();
    c.texels.clear();
    for (const sf::Image& image : pixels)
        c.texels.push_back({static_cast<int>(image.getSize().x), static_cast<int>(image.getSize().y), touchedCells(image),
                            solidCores(image)});
    for (int front = 0; front < c.count; ++front) {
        const sf::Image& image = pixels[static_cast<std::size_t>(front)];
        // Only an image taller than a step can reach over the tile behind.
        if (static_cast<int>(image.getSize().y) <= TILE_SCREEN_HEIGHT)
            continue;
        const std::vector<char>& core = c.texels[static_cast<std::size_t>(front)].core;
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

sf::IntRect TileCover::showing(int back, int right, int left, int below)
{
    Cover& c = cover();
    if (back < 0 || back >= c.count)
        return sf::IntRect(0, 0, 0, 0);
    const Texels& b = c.texels[static_cast<std::size_t>(back)];
    std::array<int, 3> fronts{right, left, below};
    for (int& f : fronts)
        if (f >= c.count)
            f = -1;
    if (fronts == std::array<int, 3>{-1, -1, -1})
        return sf::IntRect(0, 0, b.width, b.height);
    const std::array<int, 4> key{back, fronts[0], fronts[1], fronts[2]};
    auto found = c.showing.find(key);
    if (found == c.showing.end())
        found = c.showing.emplace(key, workOutShowing(c, back, fronts)).first;
    return found->second;
}

void TileCover::forget() { cover() = Cover(); }
