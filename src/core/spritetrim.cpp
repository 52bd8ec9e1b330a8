#include "core/spritetrim.h"

#include "core/drawlist.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/Graphics/Transform.hpp>
#include <SFML/OpenGL.hpp>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

namespace {

// One bit a pixel, set where alpha is above 0, each row starting a fresh word; a sheet of
// 1024 x 512 takes 64 KB.
struct Coverage {
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
sf::IntRect bounds(unsigned width, unsigned height, const sf::IntRect& region, RowSpan rowSpan)
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

sf::IntRect SpriteTrim::visibleBounds(const sf::Image& image, const sf::IntRect& region)
{
    const sf::Vector2u size = image.getSize();
    const sf::Uint8* pixels = image.getPixelsPtr();
    return bounds(size.x, size.y, region, [&](int y, int left, int right, int& first, int& last) {
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

bool SpriteTrim::isRemembered(const sf::Texture& texture) { return coverageOf(texture) != nullptr; }

sf::IntRect SpriteTrim::visibleBounds(const sf::Texture& texture, const sf::IntRect& region)
{
    if (const Coverage* found = coverageOf(texture)) {
        const Coverage& coverage = *found;
        return bounds(coverage.width, coverage.height, region,
                      [&](int y, int left, int right, int& first, int& last) {
                          return coverage.rowSpan(y, left, right, first, last);
                      });
    }
    return visibleBounds(texture.copyToImage(), region);
}

void SpriteTrim::remember(const sf::Texture& texture, const sf::Image& image)
{
    Coverage coverage;
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

void SpriteTrim::forget(const sf::Texture& texture) { remembered().erase(&texture); }

void SpriteTrim::forgetAll() { remembered().clear(); }

namespace {

struct HiddenArea {
    const sf::RenderTarget* target = nullptr;
    sf::IntRect area; // top row first
};

HiddenArea& hiddenArea()
{
    static HiddenArea hidden;
    return hidden;
}

// The area draws are held to, as OpenGL counts it (rows from the bottom).
struct ClipArea {
    sf::RenderTarget* target = nullptr;
    GLint box[4] = {0, 0, 0, 0};
};

ClipArea& clipArea()
{
    static ClipArea clip;
    return clip;
}

// box cut to the clip on target, when there is one; false when nothing is left.
bool cutToClip(const sf::RenderTarget& target, GLint box[4])
{
    const ClipArea& clip = clipArea();
    if (clip.target != &target)
        return true;
    const GLint x0 = std::max(box[0], clip.box[0]), x1 = std::min(box[0] + box[2], clip.box[0] + clip.box[2]);
    const GLint y0 = std::max(box[1], clip.box[1]), y1 = std::min(box[1] + box[3], clip.box[1] + clip.box[3]);
    if (x0 >= x1 || y0 >= y1)
        return false;
    box[0] = x0;
    box[1] = y0;
    box[2] = x1 - x0;
    box[3] = y1 - y0;
    return true;
}

// The parts of box (the renderer's way: x, y from the bottom, width, height) outside
// hidden (top row first) on a target height rows tall: the rows above and below it
// whole, and either side of it on the rows between.
int outside(const GLint box[4], const sf::IntRect& hidden, GLint height, GLint parts[4][4])
{
    const GLint x0 = box[0], x1 = box[0] + box[2];
    const GLint y0 = height - box[1] - box[3], y1 = height - box[1]; // top row first
    const GLint hx0 = hidden.left, hx1 = hidden.left + hidden.width;
    const GLint hy0 = hidden.top, hy1 = hidden.top + hidden.height;
    int count = 0;
    auto add = [&](GLint left, GLint top, GLint right, GLint bottom) {
        if (left < right && top < bottom) {
            GLint* part = parts[count++];
            part[0] = left;
            part[1] = height - bottom;
            part[2] = right - left;
            part[3] = bottom - top;
        }
    };
    if (hx1 <= x0 || x1 <= hx0 || hy1 <= y0 || y1 <= hy0) {
        add(x0, y0, x1, y1);
        return count;
    }
    add(x0, y0, x1, std::min(y1, hy0));
    add(x0, std::max(y0, hy1), x1, y1);
    const GLint middleTop = std::max(y0, hy0), middleBottom = std::min(y1, hy1);
    add(x0, middleTop, std::min(x1, hx0), middleBottom);
    add(std::max(x0, hx1), middleTop, x1, middleBottom);
    return count;
}

} // namespace

bool SpriteTrim::trimming = true;

sf::IntRect SpriteTrim::pixelsUnder(const sf::RenderTarget& target, const sf::Transform& transform, const sf::FloatRect& local)
{
    const sf::View& view = target.getView();
    const sf::Transform toView = view.getTransform() * transform;
    const sf::FloatRect port(target.getViewport(view));
    const float right = local.left + local.width, bottom = local.top + local.height;
    float minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (const sf::Vector2f& corner : {sf::Vector2f(local.left, local.top), sf::Vector2f(right, local.top),
                                       sf::Vector2f(local.left, bottom), sf::Vector2f(right, bottom)}) {
        const sf::Vector2f clip = toView.transformPoint(corner);
        const float x = port.left + (clip.x + 1.0f) * 0.5f * port.width;
        const float y = port.top + (1.0f - clip.y) * 0.5f * port.height;
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
    // A pixel more each way: the renderer does this sum its own way and may round apart.
    const sf::Vector2f size(target.getSize());
    const float x0 = std::max(0.0f, std::floor(minX) - 1.0f), x1 = std::min(size.x, std::ceil(maxX) + 1.0f);
    const float y0 = std::max(0.0f, std::floor(minY) - 1.0f), y1 = std::min(size.y, std::ceil(maxY) + 1.0f);
    if (!(x0 < x1 && y0 < y1))
        return sf::IntRect();
    return sf::IntRect(static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0), static_cast<int>(y1 - y0));
}

namespace {

// The target's pixels, as OpenGL counts them (rows from the bottom), that the part of
// sprite around visible can cover; false when there are none.
bool paintedBox(const sf::RenderTarget& target, const sf::Sprite& sprite, const sf::IntRect& visible, GLint box[4])
{
    if (visible.width <= 0 || visible.height <= 0)
        return false;
    // visible in the sprite's own coordinates, a texel wider all round: a pixel whose
    // centre lies within a hair of a texel edge may take either texel.
    const sf::IntRect rect = sprite.getTextureRect();
    const sf::FloatRect local(static_cast<float>(visible.left - rect.left) - 1.0f,
                              static_cast<float>(visible.top - rect.top) - 1.0f,
                              static_cast<float>(visible.width) + 2.0f, static_cast<float>(visible.height) + 2.0f);
    const sf::IntRect pixels = SpriteTrim::pixelsUnder(target, sprite.getTransform(), local);
    if (pixels.width <= 0 || pixels.height <= 0)
        return false;
    box[0] = pixels.left;
    box[1] = static_cast<GLint>(target.getSize().y) - pixels.top - pixels.height;
    box[2] = pixels.width;
    box[3] = pixels.height;
    return true;
}

} // namespace

sf::IntRect SpriteTrim::sampledBounds(const sf::Texture& texture, const sf::IntRect& region)
{
    return visibleBounds(texture, sf::IntRect(region.left - 1, region.top - 1, region.width + 2, region.height + 2));
}

void SpriteTrim::draw(sf::RenderTarget& target, const sf::Sprite& sprite, const sf::IntRect& visible)
{
    // Cutting the sprite's rectangle instead would move its triangles, and with them which
    // texel a pixel centre on a texel edge takes; a scissor box leaves them as they are.
    if (auto* list = dynamic_cast<DrawList*>(&target)) {
        list->add(sprite, visible, false);
        return;
    }
    if (!trimming || !target.setActive(true)) {
        target.draw(sprite);
        return;
    }
    GLint box[4];
    if (!paintedBox(target, sprite, visible, box) || !cutToClip(target, box))
        return;
    // Less a hidden area: up to four boxes that share no pixel, so none is painted twice.
    GLint parts[4][4];
    int count = 1;
    if (Hidden::on(target))
        count = outside(box, hiddenArea().area, static_cast<GLint>(target.getSize().y), parts);
    else
        std::copy(box, box + 4, parts[0]);
    if (count == 0)
        return;
    glEnable(GL_SCISSOR_TEST);
    for (int i = 0; i < count; ++i) {
        glScissor(parts[i][0], parts[i][1], parts[i][2], parts[i][3]);
        target.draw(sprite);
    }
    const ClipArea& clip = clipArea();
    if (clip.target == &target)
        glScissor(clip.box[0], clip.box[1], clip.box[2], clip.box[3]);
    else
        glDisable(GL_SCISSOR_TEST);
}

SpriteTrim::Clip::Clip(sf::RenderTarget& target, const sf::IntRect& area)
{
    ClipArea& clip = clipArea();
    clip.target = &target;
    clip.box[0] = area.left;
    clip.box[1] = static_cast<GLint>(target.getSize().y) - area.top - area.height;
    clip.box[2] = std::max(0, area.width);
    clip.box[3] = std::max(0, area.height);
    if (target.setActive(true)) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(clip.box[0], clip.box[1], clip.box[2], clip.box[3]);
    }
}

SpriteTrim::Clip::~Clip()
{
    ClipArea& clip = clipArea();
    if (clip.target != nullptr && clip.target->setActive(true))
        glDisable(GL_SCISSOR_TEST);
    clip = ClipArea();
}

SpriteTrim::Hidden::Hidden(const sf::RenderTarget& target, const sf::IntRect& area)
{
    hiddenArea() = {&target, area};
}

SpriteTrim::Hidden::~Hidden() { hiddenArea() = HiddenArea(); }

bool SpriteTrim::Hidden::on(const sf::RenderTarget& target)
{
    return hiddenArea().target == &target && hiddenArea().area.width > 0 && hiddenArea().area.height > 0;
}

sf::IntRect SpriteTrim::Hidden::area(const sf::RenderTarget& target)
{
    return on(target) ? hiddenArea().area : sf::IntRect();
}
