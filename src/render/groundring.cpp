#include "render/groundring.h"

#include "render/visiblepixels.h"

#define GL_GLEXT_PROTOTYPES
#include <SFML/Graphics/Texture.hpp>
#include <SFML/OpenGL.hpp>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <tuple>

bool GroundRing::enabled = true;

namespace {

const char* MSG_CANNOT_COPY = "The ground is painted afresh every frame from now on: the renderer cannot copy it\n";

// How near a pixel edge a pixel centre may fall before the renderer's own rounding, not
// the ring's, says which world pixel it shows: measured, pixel centres up to 1/512 past a
// pixel's top edge go to the pixel above; the bounds keep twice that, and a float's error
// below the next edge.
const double EDGE_AFTER = 1.0 / 256.0;
const double EDGE_BEFORE = 1.0 / 1024.0;
// Tiles further out than this are not on whole pixels in a float.
const float FAR = 1.0e6f;
// Past this many changed rectangles the whole view is painted.
const std::size_t MAX_STALE = 64;

int wrap(int value, int size) { return ((value % size) + size) % size; }

bool whole(float value) { return std::floor(value) == value && std::fabs(value) < FAR; }

bool sameVertex(const sf::Vertex& v, const sf::Vector2f& position, const sf::Vector2f& texture)
{
    return v.position == position && v.texCoords == texture && v.color == sf::Color::White;
}

// The parts of area outside inner (which lies within it): the rows above and below, then
// either side on the rows between.
std::vector<sf::IntRect> around(const sf::IntRect& area, const sf::IntRect& inner)
{
    std::vector<sf::IntRect> parts;
    auto add = [&](int left, int top, int right, int bottom) {
        if (left < right && top < bottom)
            parts.emplace_back(left, top, right - left, bottom - top);
    };
    const int right = area.left + area.width, bottom = area.top + area.height;
    const int innerRight = inner.left + inner.width, innerBottom = inner.top + inner.height;
    add(area.left, area.top, right, inner.top);
    add(area.left, innerBottom, right, bottom);
    add(area.left, inner.top, inner.left, innerBottom);
    add(innerRight, inner.top, right, innerBottom);
    return parts;
}

// A range of world pixels [from, from + length) as pieces that each lie unbroken in a ring
// of size: (world start, length).
std::vector<std::pair<int, int>> pieces(int from, int length, int size)
{
    std::vector<std::pair<int, int>> out;
    while (length > 0) {
        const int take = std::min(length, size - wrap(from, size));
        out.emplace_back(from, take);
        from += take;
        length -= take;
    }
    return out;
}

} // namespace

GroundRing::GroundRing() = default;

GroundRing::~GroundRing() = default;

bool GroundRing::origin(const sf::View& view, sf::Vector2u size, sf::Vector2i& at)
{
    if (view.getRotation() != 0.0f || view.getViewport() != sf::FloatRect(0.f, 0.f, 1.f, 1.f)
        || view.getSize() != sf::Vector2f(size))
        return false;
    // Target pixel p's centre shows the world at the view's left + p + 0.5.
    const double left = static_cast<double>(view.getCenter().x) - size.x / 2.0 + 0.5;
    const double top = static_cast<double>(view.getCenter().y) - size.y / 2.0 + 0.5;
    const double x = std::floor(left), y = std::floor(top);
    if (std::fabs(left) > FAR || std::fabs(top) > FAR || left - x < EDGE_AFTER || left - x > 1.0 - EDGE_BEFORE
        || top - y < EDGE_AFTER || top - y > 1.0 - EDGE_BEFORE)
        return false;
    at = sf::Vector2i(static_cast<int>(x), static_cast<int>(y));
    return true;
}

bool GroundRing::collect(const FrameList& frame, std::size_t end, std::vector<Quad>& into)
{
    into.clear();
    for (std::size_t i = 0; i < end; ++i) {
        const FrameList::Item& item = frame.items()[i];
        const std::uint64_t stamp = VisiblePixels::stamp(item.texture);
        const auto* vertices = std::get_if<sf::VertexArray>(&frame.drawn(item));
        if (stamp == 0 || item.texture->isSmooth() || !(item.blend == sf::BlendAlpha) || vertices == nullptr
            || vertices->getPrimitiveType() != sf::Triangles || vertices->getVertexCount() % 6 != 0)
            return false;
        // Each tile the two triangles of its sprite: corners 0, 1, 2 and 2, 1, 3.
        for (std::size_t v = 0; v < vertices->getVertexCount(); v += 6) {
            const sf::Vertex* q = &(*vertices)[v];
            const sf::Vector2f p = q[0].position, t = q[0].texCoords;
            const float w = q[2].position.x - p.x, h = q[1].position.y - p.y;
            if (!whole(p.x) || !whole(p.y) || !whole(t.x) || !whole(t.y) || !whole(w) || !whole(h) || w <= 0 || h <= 0
                || q[0].color != sf::Color::White || !sameVertex(q[1], p + sf::Vector2f(0, h), t + sf::Vector2f(0, h))
                || !sameVertex(q[2], p + sf::Vector2f(w, 0), t + sf::Vector2f(w, 0))
                || !sameVertex(q[3], q[2].position, q[2].texCoords) || !sameVertex(q[4], q[1].position, q[1].texCoords)
                || !sameVertex(q[5], p + sf::Vector2f(w, h), t + sf::Vector2f(w, h)))
                return false;
            into.push_back(Quad{stamp,
                                sf::IntRect(static_cast<int>(p.x), static_cast<int>(p.y), static_cast<int>(w),
                                            static_cast<int>(h)),
                                sf::Vector2i(static_cast<int>(t.x), static_cast<int>(t.y)), static_cast<std::uint32_t>(i),
                                static_cast<std::uint32_t>(v)});
        }
    }
    return true;
}

bool GroundRing::make(sf::Vector2u to)
{
    if (size == to)
        return true;
    holds = false;
    size = sf::Vector2u();
    if (!ring.create(to.x, to.y)) {
        broken = true;
        return false;
    }
    size = to;
    return true;
}

void GroundRing::reserve(sf::RenderTexture& target, const FrameList* warm)
{
    if (!make(target.getSize()) || warm == nullptr || warmed)
        return;
    warmed = true;
    sf::View view(sf::FloatRect(0.f, 0.f, static_cast<float>(size.x), static_cast<float>(size.y)));
    for (int step = 0; step < 2; ++step) {
        FrameList ground(size);
        ground.setView(view);
        for (const FrameList::Item& item : warm->items())
            if (item.kind == FrameList::Kind::GROUND && item.texture != nullptr)
                ground.ground(*item.texture, sf::VertexArray(std::get<sf::VertexArray>(warm->drawn(item))));
        paint(ground, target);
        view.move(1.25f, 0.75f);
    }
    holds = false;
    target.clear();
}

void GroundRing::paintArea(const FrameList& frame, const sf::IntRect& area)
{
    const int w = static_cast<int>(size.x), h = static_cast<int>(size.y);
    const int x = wrap(area.left, w), y = wrap(area.top, h);
    // The ring's pixel (x, y) shows world pixel (area.left, area.top).
    ring.setView(sf::View(sf::FloatRect(static_cast<float>(area.left - x), static_cast<float>(area.top - y),
                                        static_cast<float>(w), static_cast<float>(h))));
    if (!ring.setActive(true))
        return;
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, h - y - area.height, area.width, area.height);
    ring.clear(colour);
    std::size_t at = 0;
    while (at < current.size()) {
        const std::uint32_t item = current[at].item;
        const FrameList::Item& it = frame.items()[item];
        const sf::VertexArray& vertices = std::get<sf::VertexArray>(frame.drawn(it));
        scratch.clear();
        for (; at < current.size() && current[at].item == item; ++at)
            if (current[at].rect.intersects(area))
                scratch.insert(scratch.end(), &vertices[current[at].vertex], &vertices[current[at].vertex] + 6);
        if (!scratch.empty())
            ring.draw(scratch.data(), scratch.size(), sf::Triangles, sf::RenderStates(it.texture));
    }
    glDisable(GL_SCISSOR_TEST);
    painted += static_cast<std::size_t>(area.width) * static_cast<std::size_t>(area.height);
}

void GroundRing::paintWorld(const FrameList& frame, const sf::IntRect& area)
{
    for (const auto& across : pieces(area.left, area.width, static_cast<int>(size.x)))
        for (const auto& down : pieces(area.top, area.height, static_cast<int>(size.y)))
            paintArea(frame, sf::IntRect(across.first, down.first, across.second, down.second));
}

bool GroundRing::copyTo(sf::RenderTexture& target, sf::Vector2i at)
{
    if (!target.setActive(true))
        return false;
    if (!reader.bind(ring.getTexture())) {
        std::printf("%s", MSG_CANNOT_COPY);
        std::fflush(stdout);
        broken = true;
        holds = false;
        return false;
    }
    const int w = static_cast<int>(size.x), h = static_cast<int>(size.y);
    // Both count rows from the bottom: a top-first row r of height n is rows h - r - n up.
    for (const auto& across : pieces(at.x, w, w))
        for (const auto& down : pieces(at.y, h, h)) {
            const int fromX = wrap(across.first, w), fromY = wrap(down.first, h);
            const int toX = across.first - at.x, toY = down.first - at.y;
            glBlitFramebuffer(fromX, h - fromY - down.second, fromX + across.second, h - fromY, toX,
                              h - toY - down.second, toX + across.second, h - toY, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        }
    reader.unbind();
    return true;
}

bool GroundRing::changes(const sf::IntRect& area, std::vector<sf::IntRect>& stale) const
{
    // Each tile meeting area, then and now, known by what it paints, with its place in
    // each order.
    struct Seen {
        const Quad* quad;
        std::uint32_t then;
        std::uint32_t now;
    };
    auto key = [](const Quad& q) {
        return std::make_tuple(q.rect.left, q.rect.top, q.rect.width, q.rect.height, q.stamp, q.texture.x, q.texture.y);
    };
    auto byKey = [&](const Seen& a, const Seen& b) { return key(*a.quad) < key(*b.quad); };
    std::vector<Seen> before, after;
    for (std::uint32_t i = 0; i < quads.size(); ++i)
        if (quads[i].rect.intersects(area))
            before.push_back(Seen{&quads[i], i, 0});
    for (std::uint32_t i = 0; i < current.size(); ++i)
        if (current[i].rect.intersects(area))
            after.push_back(Seen{&current[i], 0, i});
    std::sort(before.begin(), before.end(), byKey);
    std::sort(after.begin(), after.end(), byKey);
    // A tile gone or come repaints its rectangle.
    std::vector<Seen> both;
    std::size_t a = 0, b = 0;
    while (a < before.size() || b < after.size()) {
        if (b == after.size() || (a < before.size() && byKey(before[a], after[b]))) {
            stale.push_back(before[a++].quad->rect);
        } else if (a == before.size() || byKey(after[b], before[a])) {
            stale.push_back(after[b++].quad->rect);
        } else {
            both.push_back(Seen{after[b].quad, before[a].then, after[b].now});
            ++a;
            ++b;
        }
        if (stale.size() > MAX_STALE)
            return false;
    }
    // Two that overlap painted in the other order repaint where they overlap.
    std::sort(both.begin(), both.end(), [](const Seen& x, const Seen& y) { return x.quad->rect.top < y.quad->rect.top; });
    for (std::size_t i = 0; i < both.size(); ++i) {
        const sf::IntRect& r = both[i].quad->rect;
        for (std::size_t j = i + 1; j < both.size() && both[j].quad->rect.top < r.top + r.height; ++j) {
            sf::IntRect overlap;
            if ((both[i].then < both[j].then) != (both[i].now < both[j].now) && r.intersects(both[j].quad->rect, overlap))
                stale.push_back(overlap);
        }
        if (stale.size() > MAX_STALE)
            return false;
    }
    // A tile that changed its image is gone and come in one place: painted once.
    auto corner = [](const sf::IntRect& r) { return std::make_tuple(r.left, r.top, r.width, r.height); };
    std::sort(stale.begin(), stale.end(), [&](const sf::IntRect& p, const sf::IntRect& q) { return corner(p) < corner(q); });
    stale.erase(std::unique(stale.begin(), stale.end()), stale.end());
    return true;
}

std::size_t GroundRing::paint(const FrameList& frame, sf::RenderTexture& target)
{
    painted = 0;
    serving = false;
    const std::vector<FrameList::Item>& items = frame.items();
    if (!enabled || broken || items.empty() || items[0].kind != FrameList::Kind::GROUND)
        return 0;
    std::size_t end = 1;
    while (end < items.size() && items[end].kind == FrameList::Kind::GROUND && items[end].view == items[0].view)
        ++end;
    sf::Vector2i at;
    if (!origin(frame.view(items[0]), target.getSize(), at) || !collect(frame, end, current) || !make(target.getSize()))
        return 0;
    const sf::IntRect now(at.x, at.y, static_cast<int>(size.x), static_cast<int>(size.y));
    // What the ring holds of the new view serves where the same tiles paint it, each pair
    // that overlaps in the same order; the rest is painted.
    sf::IntRect still;
    std::vector<sf::IntRect> stale;
    if (!(holds && colour == frame.clearColour() && region.intersects(now, still)) || !changes(still, stale))
        stale.assign(1, still = sf::IntRect());
    colour = frame.clearColour();
    holds = false;
    if (still.width <= 0 || still.height <= 0) {
        paintWorld(frame, now);
    } else {
        for (const sf::IntRect& part : around(now, still))
            paintWorld(frame, part);
        for (const sf::IntRect& part : stale) {
            sf::IntRect inside;
            if (part.intersects(still, inside))
                paintWorld(frame, inside);
        }
    }
    if (!ring.setActive(true))
        return 0;
    // Painted in the ring's context, copied in the target's.
    glFlush();
    quads.swap(current);
    region = now;
    holds = true;
    serving = copyTo(target, at);
    return serving ? end : 0;
}
