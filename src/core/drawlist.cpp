#include "core/drawlist.h"

#include "core/globals.h"
#include "core/spritetrim.h"

#include <SFML/Graphics/Texture.hpp>

#include <algorithm>
#include <climits>

using picturekey::addFloat;
using picturekey::addRect;
using picturekey::addTexture;
using picturekey::addTransform;

DrawList::DrawList(const sf::RenderTarget& like) : size(like.getSize()) { setView(like.getView()); }

sf::Vector2u DrawList::getSize() const { return size; }

bool DrawList::setActive(bool active)
{
    // Only a draw that went around add activates a target: it would be lost.
    MORVANE_ASSERT(!active, __FILE__);
    return false;
}

void DrawList::add(const sf::Sprite& sprite, const sf::IntRect& visible, bool whole)
{
    steps.push_back({whole ? Kind::WHOLE : Kind::TRIMMED, sprites.size(), 0.0f, visible});
    sprites.push_back(sprite);
}

void DrawList::add(const sf::CircleShape& shape)
{
    steps.push_back({Kind::SHAPE, shapes.size(), 0.0f, sf::IntRect()});
    shapes.push_back(shape);
}

void DrawList::mark(float depth) { steps.push_back({Kind::MARK, 0, depth, sf::IntRect()}); }

void DrawList::describe(const Step& step, Key& key) const
{
    key.push_back(static_cast<std::uint64_t>(step.kind));
    switch (step.kind) {
    case Kind::TRIMMED:
    case Kind::WHOLE: {
        const sf::Sprite& s = sprites[step.index];
        addTexture(key, s.getTexture());
        addRect(key, s.getTextureRect());
        addRect(key, step.visible);
        addTransform(key, s.getTransform());
        key.push_back(s.getColor().toInteger());
        break;
    }
    case Kind::SHAPE: {
        const sf::CircleShape& c = shapes[step.index];
        addTexture(key, c.getTexture());
        addRect(key, c.getTextureRect());
        addTransform(key, c.getTransform());
        addFloat(key, c.getRadius());
        addFloat(key, c.getOutlineThickness());
        key.insert(key.end(), {c.getPointCount(), c.getFillColor().toInteger(), c.getOutlineColor().toInteger()});
        break;
    }
    case Kind::MARK:
        addFloat(key, step.depth);
        break;
    }
}

sf::IntRect DrawList::pixelsOf(const Step& step) const
{
    switch (step.kind) {
    case Kind::TRIMMED:
    case Kind::WHOLE: {
        const sf::Sprite& s = sprites[step.index];
        return SpriteTrim::pixelsUnder(*this, s.getTransform(), s.getLocalBounds());
    }
    case Kind::SHAPE: {
        const sf::CircleShape& c = shapes[step.index];
        return SpriteTrim::pixelsUnder(*this, c.getTransform(), c.getLocalBounds());
    }
    case Kind::MARK:
        break;
    }
    return sf::IntRect();
}

DrawList::Outline DrawList::outline() const
{
    Outline out;
    out.steps.resize(steps.size());
    out.pixels.reserve(steps.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        describe(steps[i], out.steps[i]);
        out.pixels.push_back(pixelsOf(steps[i]));
    }
    return out;
}

void DrawList::Outline::addTo(Key& key) const
{
    key.push_back(steps.size());
    for (const Key& step : steps)
        key.insert(key.end(), step.begin(), step.end());
}

bool DrawList::Outline::changedSince(const Outline& before, sf::IntRect& area) const
{
    if (before.steps.size() != steps.size())
        return false;
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    auto take = [&](const sf::IntRect& r) {
        if (r.width <= 0 || r.height <= 0)
            return;
        left = std::min(left, r.left);
        top = std::min(top, r.top);
        right = std::max(right, r.left + r.width);
        bottom = std::max(bottom, r.top + r.height);
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (steps[i] == before.steps[i])
            continue;
        // A wall's place in the order, or a step of another kind, changes more than pixels
        // (a step's description starts with its kind).
        if (steps[i].front() == static_cast<std::uint64_t>(Kind::MARK) || steps[i].front() != before.steps[i].front())
            return false;
        take(before.pixels[i]);
        take(pixels[i]);
    }
    area = left < right ? sf::IntRect(left, top, right - left, bottom - top) : sf::IntRect();
    return true;
}

void DrawList::paint(sf::RenderTarget& target, const std::function<void(float)>& due) const
{
    for (const Step& step : steps) {
        switch (step.kind) {
        case Kind::TRIMMED:
            SpriteTrim::draw(target, sprites[step.index], step.visible);
            break;
        case Kind::WHOLE:
            target.draw(sprites[step.index]);
            break;
        case Kind::SHAPE:
            target.draw(shapes[step.index]);
            break;
        case Kind::MARK:
            due(step.depth);
            break;
        }
    }
}

void DrawList::draw(sf::RenderTarget& target, const sf::CircleShape& shape)
{
    if (auto* list = dynamic_cast<DrawList*>(&target))
        list->add(shape);
    else
        target.draw(shape);
}

void DrawList::draw(sf::RenderTarget& target, const sf::Sprite& sprite)
{
    if (auto* list = dynamic_cast<DrawList*>(&target))
        list->add(sprite, sf::IntRect(), true);
    else
        target.draw(sprite);
}
