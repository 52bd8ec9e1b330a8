#include "render/visiblepixels.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

namespace {

// One bit a pixel, set where alpha is above 0, each row starting a fresh word; a sheet of
// 1024 x 512 takes 64 KB.
struct Coverage {
    std::uint64_t stamp = 0;
    unsigned handle = 0; // the texture's name on the card, to notice a reload
    unsigned width = 0;
    unsigned height = 0;
    std::size_t words = 0; // per row
    std::vector<std::uint64_t> bits;

    // First and last set bit of row y within [left, right), a word at a time.
    bool rowSpan(int y, int left, int right, int& first, int& last) const
    {
        const std::uint64_t* row = bits.data() + static_cast<std::size_t>(y) * words;
        auto word = [&](int w, int from, int to) {
            // Bits from..to-1 of word w, where from and to are columns.
            std::uint64_t v = row[w];
            const int base = w * 64;
            if (from > base)
                v &= ~std::uint64_t{0} << (from - base);
            if (to < base + 64)
                v &= (std::uint64_t{1} << (to - base)) - 1;
            return v;
        };
        int w = left / 64;
        const int lastWord = (right - 1) / 64;
        std::uint64_t v = 0;
        for (; w <= lastWord; ++w)
            if ((v = word(w, left, right)) != 0)
                break;
        if (w > lastWord)
            return false;
        first = w * 64 + __builtin_ctzll(v);
        for (w = lastWord; (v = word(w, left, right)) == 0; --w) {
        }
        last = w * 64 + 63 - __builtin_clzll(v);
        return true;
    }
};

std::map<const sf::Texture*, Coverage>& remembered()
{
    static std::map<const sf::Texture*, Coverage> coverages;
    return coverages;
}

// The bounds of the visible pixels of region, given rowSpan(y, left, right, first, last),
// which finds the first and last visible column of one row within [left, right).
template <typename RowSpan>
sf::IntRect boundsOf(unsigned width, unsigned height, const sf::IntRect& region, RowSpan rowSpan)
{
    const int left = std::max(region.left, 0);
    const int top = std::max(region.top, 0);
    const int right = std::min(region.left + region.width, static_cast<int>(width));
    const int bottom = std::min(region.top + region.height, static_cast<int>(height));
    bool found = false;
    int minX = right, minY = bottom, maxX = left, maxY = top;
    for (int y = top; y < bottom && left < right; ++y) {
        int first = 0, last = 0;
        if (!rowSpan(y, left, right, first, last))
            continue;
        found = true;
        minX = std::min(minX, first);
        maxX = std::max(maxX, last);
        minY = std::min(minY, y);
        maxY = y;
    }
    if (!found)
        return sf::IntRect(region.left, region.top, 0, 0);
    return sf::IntRect(minX, minY, maxX - minX + 1, maxY - minY + 1);
}

} // namespace

sf::IntRect VisiblePixels::bounds(const sf::Image& image, const sf::IntRect& region)
{
    const sf::Vector2u size = image.getSize();
    const sf::Uint8* pixels = image.getPixelsPtr();
    return boundsOf(size.x, size.y, region, [&](int y, int left, int right, int& first, int& last) {
        const sf::Uint8* row = pixels + static_cast<std::size_t>(y) * size.x * 4 + 3;
        first = left;
        while (first < right && row[static_cast<std::size_t>(first) * 4] == 0)
            ++first;
        if (first == right)
            return false;
        last = right - 1;
        while (row[static_cast<std::size_t>(last) * 4] == 0)
            --last;
        return true;
    });
}

namespace {

const Coverage* coverageOf(const sf::Texture& texture)
{
    const auto found = remembered().find(&texture);
    if (found != remembered().end() && found->second.handle == texture.getNativeHandle() &&
        found->second.width == texture.getSize().x && found->second.height == texture.getSize().y)
        return &found->second;
    return nullptr;
}

} // namespace

bool VisiblePixels::isRemembered(const sf::Texture& texture) { return coverageOf(texture) != nullptr; }

sf::IntRect VisiblePixels::bounds(const sf::Texture& texture, const sf::IntRect& region)
{
    if (const Coverage* found = coverageOf(texture)) {
        const Coverage& coverage = *found;
        return boundsOf(coverage.width, coverage.height, region,
                      [&](int y, int left, int right, int& first, int& last) {
                          return coverage.rowSpan(y, left, right, first, last);
                      });
    }
    return bounds(texture.copyToImage(), region);
}

std::uint64_t VisiblePixels::stamp(const sf::Texture* texture)
{
    const Coverage* found = texture != nullptr ? coverageOf(*texture) : nullptr;
    return found != nullptr ? found->stamp : 0;
}

void VisiblePixels::remember(const sf::Texture& texture, const sf::Image& image)
{
    static std::uint64_t stamps = 0;
    Coverage coverage;
    coverage.stamp = ++stamps;
    coverage.handle = texture.getNativeHandle();
    coverage.width = image.getSize().x;
    coverage.height = image.getSize().y;
    coverage.words = (coverage.width + 63) / 64;
    coverage.bits.assign(coverage.words * coverage.height, 0);
    const sf::Uint8* pixels = image.getPixelsPtr();
    for (std::size_t y = 0; y < coverage.height; ++y)
        for (std::size_t x = 0; x < coverage.width; ++x)
            if (pixels[(y * coverage.width + x) * 4 + 3] != 0)
                coverage.bits[y * coverage.words + x / 64] |= std::uint64_t{1} << (x % 64);
    remembered()[&texture] = std::move(coverage);
}

void VisiblePixels::forget(const sf::Texture& texture) { remembered().erase(&texture); }

void VisiblePixels::forgetAll() { remembered().clear(); }

sf::IntRect VisiblePixels::sampled(const sf::Texture& texture, const sf::IntRect& region)
{
    return bounds(texture, sf::IntRect(region.left - 1, region.top - 1, region.width + 2, region.height + 2));
}

