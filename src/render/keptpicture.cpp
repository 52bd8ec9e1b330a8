#include "render/keptpicture.h"

#include "render/painter.h"
#include "render/visiblepixels.h"

#define GL_GLEXT_PROTOTYPES
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/OpenGL.hpp>
#include <GL/glext.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <type_traits>

bool KeptPicture::enabled = true;

namespace {

const char* MSG_CANNOT_COPY = "Every frame is painted afresh from now on: the renderer cannot copy a kept picture back\n";

// Floats compare by their bits: the same bits paint the same pixels.
bool sameBits(const float* a, const float* b, std::size_t count) { return std::memcmp(a, b, count * sizeof(float)) == 0; }

bool sameTransform(const sf::Transform& a, const sf::Transform& b) { return sameBits(a.getMatrix(), b.getMatrix(), 16); }

bool sameView(const sf::View& a, const sf::View& b)
{
    return a.getViewport() == b.getViewport() && sameTransform(a.getTransform(), b.getTransform());
}

// The same image, known by the number it was loaded with; no texture is the same as none.
bool sameImage(const sf::Texture* a, const sf::Texture* b)
{
    if (a == nullptr || b == nullptr)
        return a == b;
    const std::uint64_t stamp = VisiblePixels::stamp(a);
    return stamp != 0 && stamp == VisiblePixels::stamp(b);
}

bool same(const sf::Sprite& a, const sf::Sprite& b)
{
    return sameImage(a.getTexture(), b.getTexture()) && a.getTextureRect() == b.getTextureRect()
        && a.getColor() == b.getColor() && sameTransform(a.getTransform(), b.getTransform());
}

bool same(const sf::Shape& a, const sf::Shape& b)
{
    if (a.getPointCount() != b.getPointCount() || !sameImage(a.getTexture(), b.getTexture())
        || a.getTextureRect() != b.getTextureRect() || a.getFillColor() != b.getFillColor()
        || a.getOutlineColor() != b.getOutlineColor() || !sameTransform(a.getTransform(), b.getTransform()))
        return false;
    const float thickness[2] = {a.getOutlineThickness(), b.getOutlineThickness()};
    if (!sameBits(&thickness[0], &thickness[1], 1))
        return false;
    for (std::size_t i = 0; i < a.getPointCount(); ++i) {
        const sf::Vector2f p = a.getPoint(i), q = b.getPoint(i);
        if (!sameBits(&p.x, &q.x, 1) || !sameBits(&p.y, &q.y, 1))
            return false;
    }
    return true;
}

bool same(const sf::VertexArray& a, const sf::VertexArray& b)
{
    static_assert(sizeof(sf::Vertex) == 5 * sizeof(float), "vertices compare as their bytes");
    return a.getPrimitiveType() == b.getPrimitiveType() && a.getVertexCount() == b.getVertexCount()
        && (a.getVertexCount() == 0 || std::memcmp(&a[0], &b[0], a.getVertexCount() * sizeof(sf::Vertex)) == 0);
}

// Text is left out: its glyphs live in a texture that grows as new ones are needed.
bool same(const sf::Text&, const sf::Text&) { return false; }

bool sameItem(const FrameList& a, const FrameList::Item& x, const FrameList& b, const FrameList::Item& y)
{
    if (x.kind != y.kind || x.part != y.part || !(x.blend == y.blend) || x.silhouette != y.silhouette
        || !sameBits(&x.depth, &y.depth, 1)
        || !sameImage(x.texture, y.texture) || !sameView(a.view(x), b.view(y)))
        return false;
    const FrameList::Drawn& p = a.drawn(x);
    const FrameList::Drawn& q = b.drawn(y);
    if (p.index() != q.index())
        return false;
    return std::visit(
        [&](const auto& first) {
            using T = std::decay_t<decltype(first)>;
            return same(first, std::get<T>(q));
        },
        p);
}

// True when inner is empty or lies within outer.
bool within(const sf::IntRect& inner, const sf::IntRect& outer)
{
    if (inner.width <= 0 || inner.height <= 0)
        return true;
    return outer.left <= inner.left && outer.top <= inner.top && inner.left + inner.width <= outer.left + outer.width
        && inner.top + inner.height <= outer.top + outer.height;
}

} // namespace

KeptPicture::KeptPicture() = default;

KeptPicture::~KeptPicture() = default;

std::size_t KeptPicture::worldEnd(const FrameList& frame)
{
    const std::vector<FrameList::Item>& items = frame.items();
    std::size_t end = 0;
    while (end < items.size() && !std::isnan(items[end].depth))
        ++end;
    return end;
}

bool KeptPicture::sameWorld(const FrameList& a, const FrameList& b)
{
    const std::size_t end = worldEnd(a);
    if (end != worldEnd(b))
        return false;
    for (std::size_t i = 0; i < end; ++i)
        if (!sameItem(a, a.items()[i], b, b.items()[i]))
            return false;
    return true;
}

std::vector<std::uint64_t> KeptPicture::stampsOf(const FrameList& frame, std::size_t end)
{
    std::vector<std::uint64_t> stamps;
    for (std::size_t i = 0; i < end; ++i) {
        const FrameList::Item& item = frame.items()[i];
        stamps.push_back(VisiblePixels::stamp(item.texture));
        std::visit(
            [&](const auto& drawn) {
                using T = std::decay_t<decltype(drawn)>;
                if constexpr (std::is_same_v<T, sf::Sprite> || std::is_base_of_v<sf::Shape, T>)
                    stamps.push_back(VisiblePixels::stamp(drawn.getTexture()));
            },
            frame.drawn(item));
    }
    return stamps;
}

bool KeptPicture::stillSince(const FrameList& frame) const
{
    const std::size_t end = worldEnd(frame);
    std::size_t seenViews = 0;
    std::uint32_t last = static_cast<std::uint32_t>(-1);
    for (std::size_t i = 0; i < end; ++i) {
        const FrameList::Item& item = frame.items()[i];
        if (item.view == last)
            continue;
        last = item.view;
        if (seenViews >= lastViews.size() || !sameView(frame.view(item), lastViews[seenViews]))
            return false;
        ++seenViews;
    }
    return seenViews == lastViews.size();
}

void KeptPicture::noteViews(const FrameList& frame)
{
    lastViews.clear();
    const std::size_t end = worldEnd(frame);
    std::uint32_t last = static_cast<std::uint32_t>(-1);
    for (std::size_t i = 0; i < end; ++i)
        if (frame.items()[i].view != last) {
            last = frame.items()[i].view;
            lastViews.push_back(frame.view(frame.items()[i]));
        }
    seen = true;
}

KeptPicture::Drawn KeptPicture::paint(const FrameList& frame, sf::RenderTexture& target)
{
    const std::size_t world = worldEnd(frame);
    const sf::IntRect hole = frame.covered();
    // A view that has not moved will most likely show the same next frame: what it paints
    // is kept at once. One that moves would only pay for the comparisons and copies.
    const bool still = enabled && !broken && (!seen || stillSince(frame));
    Painter::Options over;
    over.from = world;
    over.clear = false;
    // An image loaded again since has another number, wherever it lies.
    if (still && holds && keptSize == target.getSize() && keptColour == frame.clearColour() && within(keptHole, hole)
        && sameWorld(frame, kept) && stampsOf(frame, world) == keptStamps && restoreTo(target)) {
        Painter::paint(frame, target, over);
        noteViews(frame);
        return Drawn::COPIED;
    }
    Painter::Options under;
    under.to = world;
    // The ground at the start of the world may come from the ring, the clear with it.
    under.from = std::min(ring.paint(frame, target), world);
    under.clear = under.from == 0;
    Painter::paint(frame, target, under);
    if (still && sameWorld(frame, frame) && copyFrom(target)) {
        kept.clear(frame.clearColour());
        kept.append(frame, 0, world);
        keptStamps = stampsOf(frame, world);
        keptHole = hole;
        keptSize = target.getSize();
        keptColour = frame.clearColour();
        holds = true;
    }
    Painter::paint(frame, target, over);
    noteViews(frame);
    return Drawn::PAINTED;
}

bool KeptPicture::restoreTo(sf::RenderTexture& target)
{
    if (!target.setActive(true))
        return false;
    if (!reader.bind(picture)) {
        std::printf("%s", MSG_CANNOT_COPY);
        std::fflush(stdout);
        broken = true;
        holds = false;
        return false;
    }
    const GLint w = static_cast<GLint>(picture.getSize().x), h = static_cast<GLint>(picture.getSize().y);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    reader.unbind();
    return true;
}

bool KeptPicture::fit(sf::RenderTexture& target)
{
    const sf::Vector2u size = target.getSize();
    if (picture.getSize() == size)
        return true;
    holds = false;
    if (!picture.create(size.x, size.y)) {
        broken = true;
        return false;
    }
    return target.setActive(true);
}

void KeptPicture::reserve(sf::RenderTexture& target, const FrameList* warm)
{
    ring.reserve(target, warm);
    if (!broken && target.setActive(true))
        fit(target);
}

bool KeptPicture::copyFrom(sf::RenderTexture& target)
{
    if (!target.setActive(true) || !fit(target))
        return false;
    // Errors left by others would read as this copy's.
    for (int i = 0; i < 8 && glGetError() != GL_NO_ERROR; ++i) {
    }
    const sf::Vector2u size = target.getSize();
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindTexture(GL_TEXTURE_2D, picture.getNativeHandle());
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, static_cast<GLsizei>(size.x), static_cast<GLsizei>(size.y));
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    return glGetError() == GL_NO_ERROR;
}
