#include "render/framelist.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

bool sameView(const sf::View& a, const sf::View& b)
{
    return a.getViewport() == b.getViewport()
        && std::memcmp(a.getTransform().getMatrix(), b.getTransform().getMatrix(), 16 * sizeof(float)) == 0;
}

} // namespace

FrameList::FrameList(sf::Vector2u sizeIn) : size(sizeIn)
{
    views.push_back(getDefaultView());
}

void FrameList::clear(const sf::Color& colour)
{
    background = colour;
    const sf::View kept = views.back();
    views.assign(1, kept);
    drawables.clear();
    list.clear();
    currentDepth = NAN;
}

void FrameList::setView(const sf::View& view)
{
    if (sameView(view, views.back()))
        return;
    // A view no item uses yet is replaced rather than kept.
    if (list.empty() || list.back().view + 1 < views.size())
        views.back() = view;
    else
        views.push_back(view);
}

sf::View FrameList::getDefaultView() const
{
    return sf::View(sf::FloatRect(0.f, 0.f, static_cast<float>(size.x), static_cast<float>(size.y)));
}

// The sums below are the media library's own for a render target, to the last bit.
sf::IntRect FrameList::getViewport(const sf::View& view) const
{
    const float width = static_cast<float>(size.x), height = static_cast<float>(size.y);
    const sf::FloatRect& port = view.getViewport();
    return sf::IntRect(static_cast<int>(0.5f + width * port.left), static_cast<int>(0.5f + height * port.top),
                       static_cast<int>(0.5f + width * port.width), static_cast<int>(0.5f + height * port.height));
}

sf::Vector2f FrameList::mapPixelToCoords(const sf::Vector2i& pixel, const sf::View& view) const
{
    const sf::IntRect port = getViewport(view);
    const sf::Vector2f normalized(-1.f + 2.f * (pixel.x - port.left) / port.width,
                                  1.f - 2.f * (pixel.y - port.top) / port.height);
    return view.getInverseTransform().transformPoint(normalized);
}

sf::Vector2i FrameList::mapCoordsToPixel(const sf::Vector2f& point, const sf::View& view) const
{
    const sf::Vector2f normalized = view.getTransform().transformPoint(point);
    const sf::IntRect port = getViewport(view);
    return sf::Vector2i(static_cast<int>((normalized.x + 1.f) / 2.f * port.width + port.left),
                        static_cast<int>((-normalized.y + 1.f) / 2.f * port.height + port.top));
}

void FrameList::add(Kind kind, Drawn&& drawable, const sf::IntRect& part, const sf::BlendMode& blend,
                    const sf::Texture* texture, const sf::Color& silhouette)
{
    list.push_back({kind, static_cast<std::uint32_t>(views.size() - 1), static_cast<std::uint32_t>(drawables.size()),
                    currentDepth, part, blend, texture, silhouette});
    drawables.push_back(std::move(drawable));
}

void FrameList::draw(const sf::Sprite& sprite, const sf::BlendMode& blend) { add(Kind::DRAWN, sprite, sf::IntRect(), blend); }

void FrameList::draw(sf::Text text) { add(Kind::DRAWN, std::move(text)); }

void FrameList::draw(sf::RectangleShape shape) { add(Kind::DRAWN, std::move(shape)); }

void FrameList::draw(sf::CircleShape shape) { add(Kind::DRAWN, std::move(shape)); }

void FrameList::draw(sf::ConvexShape shape) { add(Kind::DRAWN, std::move(shape)); }

void FrameList::draw(sf::VertexArray vertices, const sf::Texture* texture)
{
    add(Kind::DRAWN, std::move(vertices), sf::IntRect(), sf::BlendAlpha, texture);
}

void FrameList::trimmed(const sf::Sprite& sprite, const sf::IntRect& visible) { add(Kind::TRIMMED, sprite, visible); }

void FrameList::trimmed(const sf::Sprite& sprite, const sf::IntRect& visible, const sf::Color& silhouette)
{
    add(Kind::TRIMMED, sprite, visible, sf::BlendAlpha, nullptr, silhouette);
}

void FrameList::ground(const sf::Texture& image, sf::VertexArray&& triangles)
{
    add(Kind::GROUND, std::move(triangles), sf::IntRect(), sf::BlendAlpha, &image);
}

void FrameList::wall(const sf::Sprite& sprite, const sf::IntRect& showing) { add(Kind::WALL, sprite, showing); }

void FrameList::cover(const sf::IntRect& pixels)
{
    if (pixels.width > 0 && pixels.height > 0)
        add(Kind::COVER, sf::VertexArray(), pixels);
}

void FrameList::append(const FrameList& other, std::size_t from, std::size_t to)
{
    const float depth = currentDepth;
    for (std::size_t i = from; i < std::min(to, other.list.size()); ++i) {
        const Item& item = other.list[i];
        setView(other.view(item));
        currentDepth = item.depth;
        add(item.kind, Drawn(other.drawn(item)), item.part, item.blend, item.texture, item.silhouette);
    }
    currentDepth = depth;
}

sf::IntRect FrameList::covered() const
{
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        if (it->kind == Kind::COVER)
            return it->part;
    return sf::IntRect();
}
